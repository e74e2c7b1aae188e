// What every areatool command shares to read its command line, its files
// and to report: parse_arguments sorts a command's arguments into options
// and files by the options its row lists, the takers put each option's
// value where its command reads it, and report and refuse_command_line
// print the one-line messages. Start reading at parse_arguments().

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "text/text.h"
#include "tool/tool.h"

void report(const std::string &what, const std::string &why)
{
    std::fprintf(stderr, "areatool: %s: %s\n", printable(what).c_str(), why.c_str());
}

int refuse_command_line(std::string_view command, const std::string &why)
{
    std::string help = command.empty() ? "areatool --help" : "areatool " + std::string(command) + " --help";
    std::fprintf(stderr, "areatool: %s (see %s)\n", why.c_str(), help.c_str());
    return status_usage;
}

int refuse_arguments(const command_line &line, const std::string &why)
{
    return refuse_command_line(line.command.name, std::string(line.command.name) + " " + why);
}

namespace {

std::string take_path(std::string_view option, const std::string &value, std::string &path)
{
    path = value;
    return value.empty() ? std::string(option) + " needs a path" : "";
}

}  // namespace

std::string take_tiles(std::string_view option, const std::string &value, tool_options &options)
{
    return take_path(option, value, options.tiles);
}

std::string take_png(std::string_view option, const std::string &value, tool_options &options)
{
    return take_path(option, value, options.png);
}

std::string take_out(std::string_view option, const std::string &value, tool_options &options)
{
    return take_path(option, value, options.out);
}

std::string range_text(int min, int max)
{
    return std::to_string(min) + " to " + std::to_string(max);
}

std::string scale_range()
{
    return range_text(min_scale, max_scale);
}

std::string depth_choices()
{
    std::string text;
    for (std::size_t i = 0; i < depths.size(); ++i)
        text += (i == 0 ? "" : i + 1 == depths.size() ? " or " : ", ") + std::to_string(depths[i]);
    return text;
}

namespace {

std::string take_whole_number(std::string_view option, const std::string &value, int min, int max, int &number)
{
    number = parse_bounded(value, min, max);
    if (number < 0)
        return std::string(option) + " takes a whole number from " + range_text(min, max) + ", not '"
               + printable(value) + "'";
    return {};
}

}  // namespace

std::string take_scale(std::string_view option, const std::string &value, tool_options &options)
{
    return take_whole_number(option, value, min_scale, max_scale, options.scale);
}

std::string take_depth(std::string_view option, const std::string &value, tool_options &options)
{
    options.depth = parse_bounded(value, depths.front(), depths.back());
    for (int known : depths) {
        if (options.depth == known)
            return {};
    }
    return std::string(option) + " takes " + depth_choices() + ", not '" + printable(value) + "'";
}

std::string take_columns(std::string_view option, const std::string &value, tool_options &options)
{
    return take_whole_number(option, value, min_columns, max_columns, options.columns);
}

std::string take_change(std::string_view option, const std::string &value, tool_options &options)
{
    area_change change{};
    std::string why = parse_change(option, value, change);
    options.changes.push_back(change);
    return why;
}

std::string take_json(std::string_view, const std::string &, tool_options &options)
{
    options.json = true;
    return {};
}

std::string read_whole_area(const std::string &path, area_record &area)
{
    bool longer = false;
    std::string why = read_area_file(path.c_str(), area, longer);
    if (why.empty() && longer)
        why = longer_than_area;
    return why;
}

int parse_bounded(const std::string &text, int min, int max)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return -1;
    int value = std::atoi(text.c_str());
    return value >= min && value <= max ? value : -1;
}

std::string parse_arguments(const std::vector<std::string> &args, command_line &line)
{
    std::vector<std::string_view> given;
    bool options_done = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (options_done || arg.size() < 2 || arg[0] != '-') {
            line.files.push_back(arg);
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
        const tool_option *option = nullptr;
        for (const tool_option &listed : line.command.options)
            option = listed.name == arg ? &listed : option;
        if (!option)
            return "'" + printable(arg) + "' is not an option of " + std::string(line.command.name);
        if (option->value.empty()) {
            if (has_value)
                return arg + " takes no value";
        } else if (!has_value) {
            if (i + 1 == args.size())
                return arg + " needs a value";
            value = args[++i];
        }
        if (std::string why = option->take(option->name, value, line.options); !why.empty())
            return why;
        given.push_back(option->name);
    }
    for (const tool_option &option : line.command.options) {
        if (option.required && std::find(given.begin(), given.end(), option.name) == given.end())
            return std::string(line.command.name) + " needs " + std::string(option.name) + " "
                   + std::string(option.value);
    }
    return {};
}
