// areatool's command line: parse_arguments sorts a command's arguments into
// its options and positionals by what its row lists, and the reporting
// functions print the one-line messages every command gives. Start
// reading at parse_arguments().

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "text/text.h"
#include "tool/command_line.h"

namespace {

constexpr const char *tool_prefix = "areatool: ";

// Whether the row's positionals take count arguments.
bool takes_count(const tool_command &command, std::size_t count)
{
    std::size_t least = 0, most = 0;
    bool unbounded = false;
    for (const tool_positional &positional : command.positionals) {
        least += positional.count == arity::optional ? 0 : 1;
        most += 1;
        unbounded = unbounded || positional.count == arity::many;
    }
    return count >= least && (unbounded || count <= most);
}

// Why an option the row requires, or a required group, is missing.
std::string missing_option(const tool_command &command, const std::vector<std::string_view> &given)
{
    auto was_given = [&given](std::string_view name) {
        return std::find(given.begin(), given.end(), name) != given.end();
    };
    for (const tool_option &option : command.options) {
        if (!option.required)
            continue;
        if (option.group.empty() && !was_given(option.name))
            return std::string(command.name) + " needs " + std::string(option.name) + " " + std::string(option.value);
        bool group_given = std::any_of(command.options.begin(), command.options.end(), [&](const tool_option &other) {
            return other.group == option.group && was_given(other.name);
        });
        if (!option.group.empty() && !group_given) {
            std::string group(option.group);
            std::transform(group.begin(), group.end(), group.begin(), [](unsigned char c) { return std::tolower(c); });
            return std::string(command.name) + " needs at least one " + group;
        }
    }
    return {};
}

}  // namespace

void report(const std::string &line)
{
    std::fprintf(stderr, "%s%s\n", tool_prefix, line.c_str());
}

void report(const std::string &what, const std::string &why)
{
    report(said_of(what, why));
}

std::string cannot_read(const std::string &path, const std::string &why)
{
    return said_of("cannot read " + path, why);
}

std::string cannot_write(const std::string &path, const std::string &why)
{
    return said_of("cannot write " + path, why);
}

int fail_with(const std::string &line, int status)
{
    report(line);
    return status;
}

int refuse_command_line(std::string_view command, const std::string &why)
{
    std::string help = command.empty() ? "areatool --help" : "areatool " + std::string(command) + " --help";
    return fail_with(why + " (see " + help + ")", status_usage);
}

std::string parse_arguments(const std::vector<std::string> &args, command_line &line)
{
    const tool_command &command = line.command;
    std::vector<std::string_view> given;
    bool options_done = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        // No option starts with a digit: "-1" is a value, as find's VALUE.
        bool negative_number = arg.size() >= 2 && arg[0] == '-' && std::isdigit(static_cast<unsigned char>(arg[1]));
        if (options_done || arg.size() < 2 || arg[0] != '-' || negative_number) {
            line.arguments.push_back(arg);
            continue;
        }
        if (arg == "--") {
            options_done = true;
            continue;
        }
        std::string value;
        bool has_value = false;
        if (auto equals = arg.find('='); equals != std::string::npos) {
            value = arg.substr(equals + 1);
            arg.resize(equals);
            has_value = true;
        }
        auto listed = std::find_if(command.options.begin(), command.options.end(),
                                   [&arg](const tool_option &option) { return option.name == arg; });
        if (listed == command.options.end())
            return "'" + printable(arg) + "' is not an option of " + std::string(command.name);
        if (listed->value.empty()) {
            if (has_value)
                return arg + " takes no value";
        } else if (!has_value) {
            if (i + 1 == args.size())
                return arg + " needs a value";
            value = args[++i];
        }
        if (std::string why = listed->take(listed->name, value, line.options); !why.empty())
            return why;
        given.push_back(listed->name);
    }
    if (std::string why = missing_option(command, given); !why.empty())
        return why;
    if (!takes_count(command, line.arguments.size()))
        return std::string(command.name) + " " + std::string(command.refusal);
    return {};
}
