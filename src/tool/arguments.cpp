// What every areatool command shares to read its command line, its files
// and to report: parse_arguments sorts a command's arguments into options
// and files, and report and refuse_command_line print the one-line
// messages.

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

int refuse_command_line(const std::string &why)
{
    std::fprintf(stderr, "areatool: %s (see areatool --help)\n", why.c_str());
    return status_usage;
}

option_taker take_tiles(std::string &tiles)
{
    return {tiles_option, [&tiles](const std::string &value) -> std::string {
                tiles = value;
                return value.empty() ? "--tiles needs a path" : "";
            }};
}

option_taker take_scale(int &scale)
{
    return {scale_option, [&scale](const std::string &value) -> std::string {
                scale = parse_bounded(value, 1, max_scale);
                return scale < 0 ? "--scale takes a whole number from 1 to 16, not '" + printable(value) + "'"
                                 : "";
            }};
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

std::string parse_arguments(std::string_view command, const std::vector<std::string> &args,
                            const std::vector<option_taker> &options,
                            std::vector<std::string> &files)
{
    bool options_done = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (options_done || arg.size() < 2 || arg[0] != '-') {
            files.push_back(arg);
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
        const option_taker *option = nullptr;
        for (const option_taker &known : options)
            option = known.name == arg ? &known : option;
        if (!option)
            return "'" + printable(arg) + "' is not an option of " + std::string(command);
        if (!has_value) {
            if (i + 1 == args.size())
                return arg + " needs a value";
            value = args[++i];
        }
        if (std::string why = option->take(value); !why.empty())
            return why;
    }
    return {};
}
