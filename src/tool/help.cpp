// areatool's help and its entry: the help of areatool and of each command,
// and the words the shell's completion offers, all made from the rows of
// the table; run_areatool hands a command line to its command's row.
// main.cpp calls run_areatool. Start reading at run_areatool().

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "text/text.h"
#include "tool/command_line.h"

namespace {

constexpr const char *exit_statuses =
    "Exit status: 0 all fine; 1 a file could not be read, rendered or written,\n"
    "check found a problem, or merge or resolve left conflicts; 2 the command\n"
    "line is wrong. diff and review: 0 same, 1 different, 2 trouble. find: 0\n"
    "found, 1 none found, 2 trouble.\n";

constexpr std::size_t summary_column = 12;  // where the summaries start in the help
constexpr std::size_t option_column = 15;   // where an option's text starts, past its indent, at least
constexpr std::size_t synopsis_width = 80;  // the longest line of a synopsis

// What areatool itself takes, before any command.
constexpr std::string_view help_option = "--help";
constexpr std::string_view short_help_option = "-h";
constexpr std::string_view version_option = "--version";
constexpr std::string_view complete_option = "--complete-words";  // for the completion script, not shown

std::string padded(std::string text, std::size_t width)
{
    text.resize(std::max(text.size(), width), ' ');
    return text;
}

// The option lines of a command's help: each option with its value, then
// its text, every line of that text starting in one column.
std::string options_help(const std::vector<tool_option> &options)
{
    if (options.empty())
        return {};
    std::size_t column = option_column;
    for (const tool_option &option : options)
        column = std::max(column, option.name.size() + 1 + option.value.size() + 2);
    std::string help = "\n";
    for (const tool_option &option : options) {
        std::string head(option.name);
        if (!option.value.empty())
            head += " " + std::string(option.value);
        std::string_view text = option.help;
        for (bool first = true; !text.empty() || first; first = false) {
            std::size_t end = std::min(text.find('\n'), text.size());
            help += "  " + padded(first ? head : "", column) + std::string(text.substr(0, end)) + "\n";
            text.remove_prefix(std::min(end + 1, text.size()));
        }
    }
    return help;
}

// The synopsis' words: each option, bracketed unless required, a group
// once as "GROUP..."; then each positional.
std::vector<std::string> synopsis_words(const tool_command &command)
{
    std::vector<std::string> words;
    std::vector<std::string_view> groups_shown;
    for (const tool_option &option : command.options) {
        if (!option.group.empty()) {
            if (std::find(groups_shown.begin(), groups_shown.end(), option.group) == groups_shown.end())
                words.push_back(std::string(option.group) + "...");
            groups_shown.push_back(option.group);
            continue;
        }
        std::string shown = std::string(option.name) + (option.value.empty() ? "" : " ") + std::string(option.value);
        words.push_back(option.required ? shown : "[" + shown + "]");
    }
    for (const tool_positional &positional : command.positionals) {
        std::string name(positional.name);
        words.push_back(positional.count == arity::optional ? "[" + name + "]"
                        : positional.count == arity::many   ? name + "..."
                                                            : name);
    }
    return words;
}

// "Usage: areatool NAME" and the words, on lines of at most
// synopsis_width, each further line starting under the first word.
std::string synopsis(const tool_command &command)
{
    std::string head = "Usage: areatool " + std::string(command.name);
    std::string text = head, line = head;
    for (const std::string &word : synopsis_words(command)) {
        if (line.size() + 1 + word.size() > synopsis_width) {
            text += "\n" + std::string(head.size(), ' ');
            line = std::string(head.size(), ' ');
        }
        text += " " + word;
        line += " " + word;
    }
    return text + "\n";
}

const char *kind_word(word_kind kind)
{
    switch (kind) {
    case word_kind::area: return "area";
    case word_kind::png: return "png";
    case word_kind::tsx: return "tsx";
    case word_kind::path: return "path";
    case word_kind::folder: return "folder";
    case word_kind::choice: return "choice";
    case word_kind::none: return "none";
    }
    return "none";
}

const char *arity_word(arity count)
{
    switch (count) {
    case arity::one: return "one";
    case arity::optional: return "optional";
    case arity::many: return "many";
    }
    return "one";
}

// What the completion offers for option's value: "switch" for none, a
// choice as "choice:WORD|WORD".
std::string value_word(const tool_option &option)
{
    if (option.value.empty())
        return "switch";
    if (option.names == word_kind::choice)
        return std::string(kind_word(option.names)) + ":" + std::string(option.value);
    return kind_word(option.names);
}

const tool_command *find_command(std::string_view name)
{
    for (const tool_command &command : commands) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

bool asks_for_help(const std::vector<std::string> &args)
{
    for (const std::string &arg : args) {
        if (arg == "--")
            return false;
        if (arg == help_option || arg == short_help_option)
            return true;
    }
    return false;
}

}  // namespace

std::string command_help(const tool_command &command)
{
    return synopsis(command) + "\n" + command.description + options_help(command.options) + "\n"
           + command.exit_statuses;
}

std::string tool_help()
{
    std::string help = "Usage: areatool COMMAND [OPTIONS] FILE...\n\nCommands:\n";
    for (const tool_command &row : commands)
        help += "  " + padded(std::string(row.name), summary_column) + std::string(row.summary) + "\n";
    return help + "\n"
           + "  areatool COMMAND " + std::string(help_option) + "   that command's usage and options\n"
           + "  areatool " + padded(std::string(help_option), 17) + "this text\n"
           + "  areatool " + padded(std::string(version_option), 17) + "the version of areatool\n"
           + "\n" + exit_statuses;
}

// Lines of words: "command NAME", "option COMMAND OPTION KIND" (KIND
// "switch" for an option without a value, "choice:WORD|WORD" for one of
// those words), "argument COMMAND KIND ARITY";
// areatool's own options under the command "-".
std::string completion_words()
{
    std::string words = "option - " + std::string(help_option) + " switch\noption - " + std::string(version_option)
                        + " switch\n";
    for (const tool_command &command : commands) {
        std::string name(command.name);
        words += "command " + name + "\n";
        for (const tool_option &option : command.options)
            words += "option " + name + " " + std::string(option.name) + " " + value_word(option) + "\n";
        words += "option " + name + " " + std::string(help_option) + " switch\n";
        for (const tool_positional &positional : command.positionals)
            words += "argument " + name + " " + kind_word(positional.names) + " " + arity_word(positional.count) + "\n";
    }
    return words;
}

int run_areatool(const std::vector<std::string> &args)
{
    const tool_command *command = args.empty() ? nullptr : find_command(args[0]);
    if (asks_for_help(args)) {
        std::fputs((command ? command_help(*command) : tool_help()).c_str(), stdout);
        return status_fine;
    }
    if (args.empty())
        return refuse_command_line({}, "no command given");
    if (args[0] == version_option) {
        std::printf("areatool (areaedit) %s\n", AREAEDIT_VERSION);
        return status_fine;
    }
    if (args[0] == complete_option) {
        std::fputs(completion_words().c_str(), stdout);
        return status_fine;
    }
    if (!command)
        return refuse_command_line({}, "unknown command '" + printable(args[0]) + "'");
    command_line line{*command, {}, {}};
    if (std::string why = parse_arguments({args.begin() + 1, args.end()}, line); !why.empty())
        return refuse_command_line(command->name, why);
    return command->run(line);
}
