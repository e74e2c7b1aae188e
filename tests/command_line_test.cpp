// areatool's command line: that the help, the parser and the completion
// words read the same row of the table for every command. What the
// commands compute is tested below it, in records_test.cpp,
// pictures_test.cpp and formats_test.cpp; the process tests in
// tool/test_areatool*.py keep statuses, files and messages.

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/files.h"
#include "tool/command_line.h"

// Each row's positionals and options are what its synopsis and option
// lines show, what the completion words offer, and what the parser takes:
// an option's value of its placeholder's form, spaced or after '=', the
// positionals as many as the row allows and no more.
TEST(command_line, help_parser_and_completion_read_the_same_row_for_every_command)
{
    const std::map<std::string_view, std::string> values = {
        {"PATH", "tiles.dat"}, {"N", "2"}, {"BITS", "16"}, {"OUT.png", "out.png"}, {"T", "90"},
        {"C,R=V", "1,2=3"}, {"V", "4"}, {"OLD=NEW", "1=2"}, {"C,R", "1,2"}, {"NAME", "hall"}, {"DIR", "out"},
        {"FORMAT", "sarif"}, {"FILE", "summary.md"}, {"URL", "https://example.org/review"},
        {"ours|theirs", "theirs"}};
    const std::map<word_kind, std::string> kinds = {{word_kind::area, "area"}, {word_kind::png, "png"},
                                                    {word_kind::tsx, "tsx"},   {word_kind::path, "path"},
                                                    {word_kind::folder, "folder"}, {word_kind::choice, "choice"},
                                                    {word_kind::none, "none"}};
    const std::map<arity, std::string> counts = {{arity::one, "one"}, {arity::optional, "optional"},
                                                 {arity::many, "many"}};
    std::string words = completion_words();
    for (const tool_command &command : commands) {
        std::string name(command.name);
        SCOPED_TRACE(name);
        std::string help = command_help(command);
        std::string synopsis = help.substr(0, help.find("\n\n")) + " ";  // a long one goes on a line more
        std::replace(synopsis.begin(), synopsis.end(), '\n', ' ');
        EXPECT_NE(tool_help().find("\n  " + name + " "), std::string::npos);
        EXPECT_NE(words.find("command " + name + "\n"), std::string::npos);
        for (const std::string &line : lines_of(help))
            EXPECT_LE(line.size(), 80u) << line;

        // The fewest positionals the row takes, and the required options.
        std::vector<std::string> least, needed;
        std::string arguments_offered;
        for (const tool_positional &positional : command.positionals) {
            std::string shown(positional.name);
            shown = positional.count == arity::optional ? "[" + shown + "]"
                    : positional.count == arity::many   ? shown + "..."
                                                        : shown;
            EXPECT_NE(synopsis.find(" " + shown + " "), std::string::npos) << shown;
            arguments_offered += "argument " + name + " " + kinds.at(positional.names) + " "
                                 + counts.at(positional.count) + "\n";
            if (positional.count != arity::optional)
                least.push_back(positional.name == "NAME" ? "hall" : "a.ard");
        }
        EXPECT_NE(words.find(arguments_offered), std::string::npos);
        for (const tool_option &option : command.options) {
            bool first_of_group = !option.group.empty() && &option == &*std::find_if(
                command.options.begin(), command.options.end(),
                [&option](const tool_option &other) { return other.group == option.group; });
            if (option.required && (option.group.empty() || first_of_group))
                needed.push_back(std::string(option.name) + "=" + values.at(option.value));
        }
        auto parsed = [&](std::vector<std::string> args, std::vector<std::string> &arguments) {
            args.insert(args.begin(), needed.begin(), needed.end());
            command_line line{command, {}, {}};
            std::string why = parse_arguments(args, line);
            arguments = line.arguments;
            return why;
        };
        std::vector<std::string> arguments;
        EXPECT_EQ(parsed(least, arguments), "");
        EXPECT_EQ(arguments, least);
        bool bounded = std::none_of(command.positionals.begin(), command.positionals.end(),
                                    [](const tool_positional &positional) { return positional.count == arity::many; });
        std::vector<std::string> too_many(command.positionals.size() + 1, "a.ard");
        if (bounded) {
            EXPECT_EQ(parsed(too_many, arguments), name + " " + std::string(command.refusal));
        }
        if (!least.empty()) {
            EXPECT_EQ(parsed({}, arguments), name + " " + std::string(command.refusal));
        }

        std::size_t option_lines = 0;
        for (const std::string &line : lines_of(help))
            option_lines += line.starts_with("  --");
        EXPECT_EQ(option_lines, command.options.size());
        for (const tool_option &option : command.options) {
            bool takes_value = !option.value.empty();
            std::string head = std::string(option.name) + (takes_value ? " " : "") + std::string(option.value);
            SCOPED_TRACE(head);
            EXPECT_NE(help.find("\n  " + head + " "), std::string::npos);
            EXPECT_NE(words.find("option " + name + " " + std::string(option.name) + " "
                                 + (!takes_value ? "switch"
                                    : option.names == word_kind::choice
                                        ? "choice:" + std::string(option.value)
                                        : kinds.at(option.names))
                                 + "\n"),
                      std::string::npos);
            if (option.group.empty()) {
                EXPECT_EQ(synopsis.find("[" + head + "]") != std::string::npos, !option.required);
                EXPECT_NE(synopsis.find(" " + head + " ") != std::string::npos, !option.required);
            } else {
                EXPECT_NE(synopsis.find(" " + std::string(option.group) + "... "), std::string::npos);
            }
            if (!takes_value) {  // a switch: it stands alone
                std::vector<std::string> args = least;
                args.insert(args.begin(), head);
                EXPECT_EQ(parsed(args, arguments), "");  // no command needs a switch
                EXPECT_EQ(arguments, least);
                EXPECT_EQ(parsed({head + "=1"}, arguments), head + " takes no value");
                continue;
            }
            const std::string &value = values.at(option.value);
            std::vector<std::string> spaced = least, joined = least;
            spaced.insert(spaced.end(), {std::string(option.name), value});
            joined.insert(joined.begin(), std::string(option.name) + "=" + value);
            for (const std::vector<std::string> &args : {spaced, joined}) {
                EXPECT_EQ(parsed(args, arguments), "");
                EXPECT_EQ(arguments, least);
            }
        }
        command_line line{command, {}, {}};
        EXPECT_EQ(parse_arguments({"--frob", "1"}, line), "'--frob' is not an option of " + name);
        if (!needed.empty()) {
            command_line bare{command, {}, {}};
            EXPECT_EQ(parse_arguments(least, bare).find(name + " needs "), 0u);
        }
    }
}
