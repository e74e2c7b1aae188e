// The takers of areatool's options: each puts its option's value where its
// command reads it, or says why the value is wrong. Values of set's changes
// read as records.h reads them. Start reading at take_scale().

#include <string>
#include <string_view>
#include <vector>

#include "formats/formats.h"
#include "number/number.h"
#include "text/text.h"
#include "tool/command_line.h"

namespace {

std::string take_path(std::string_view option, const std::string &value, std::string &path)
{
    path = value;
    return value.empty() ? std::string(option) + " needs a path" : "";
}

std::string take_whole_number(std::string_view option, const std::string &value, int min, int max, int &number)
{
    if (!parse_bounded(value, min, max, number).empty())
        return std::string(option) + " takes a whole number from " + range_text(min, max) + ", not '"
               + printable(value) + "'";
    return {};
}

using change_reader = std::string (*)(std::string_view option, std::string_view text, area_change &change);

std::string take_change(change_reader read, std::string_view option, const std::string &value,
                        tool_options &options)
{
    area_change change{};
    std::string why = read(option, value, change);
    options.changes.push_back(change);
    return why;
}

// --json is --format json, so the two may only agree.
std::string clashing_formats(const tool_options &options)
{
    if (!options.json || options.format.empty() || options.format == json_format)
        return {};
    return std::string(format_option) + " " + options.format + " and " + std::string(json_option)
           + " ask for two forms";
}

}  // namespace

std::string scale_range()
{
    return range_text(min_scale, max_scale);
}

std::string depth_choices()
{
    std::vector<std::string> choices;
    for (int depth : depths)
        choices.push_back(std::to_string(depth));
    return either_of(choices);
}

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

std::string take_scale(std::string_view option, const std::string &value, tool_options &options)
{
    return take_whole_number(option, value, min_scale, max_scale, options.scale);
}

std::string take_depth(std::string_view option, const std::string &value, tool_options &options)
{
    int depth = 0;
    parse_bounded(value, depths.front(), depths.back(), depth);
    for (int known : depths) {
        if (depth == known) {
            options.depth = depth;
            return {};
        }
    }
    return std::string(option) + " takes " + depth_choices() + ", not '" + printable(value) + "'";
}

std::string take_columns(std::string_view option, const std::string &value, tool_options &options)
{
    return take_whole_number(option, value, min_columns, max_columns, options.columns);
}

std::string take_json(std::string_view, const std::string &, tool_options &options)
{
    options.json = true;
    return clashing_formats(options);
}

std::string take_format(std::string_view option, const std::string &value, tool_options &options)
{
    if (!find_check_format(value))
        return std::string(option) + " takes " + check_format_choices() + ", not '" + printable(value) + "'";
    options.format = value;
    return clashing_formats(options);
}

std::string take_summary(std::string_view option, const std::string &value, tool_options &options)
{
    return take_path(option, value, options.summary);
}

// GitHub shows no picture from a relative address or a data: one.
std::string take_image_url(std::string_view option, const std::string &value, tool_options &options)
{
    std::string_view rest = value;
    for (std::string_view scheme : {"https://", "http://"}) {
        if (rest.starts_with(scheme))
            rest.remove_prefix(scheme.size());
    }
    if (rest.size() == value.size() || rest.empty() || rest.front() == '/')
        return std::string(option) + " takes an absolute address, such as https://example.org/review, not '"
               + printable(value) + "'";
    options.image_url = value.substr(0, value.find_last_not_of('/') + 1);
    return {};
}

std::string take_files(std::string_view, const std::string &, tool_options &options)
{
    options.files = true;
    return {};
}

// new's allowed time reads as set's does.
std::string take_time(std::string_view option, const std::string &value, tool_options &options)
{
    area_change change{};
    std::string why = read_time_change(option, value, change);
    options.time_allowed = change.value;
    return why;
}

std::string take_cell(std::string_view option, const std::string &value, tool_options &options)
{
    return take_change(read_cell_change, option, value, options);
}

std::string take_fill(std::string_view option, const std::string &value, tool_options &options)
{
    return take_change(read_fill_change, option, value, options);
}

std::string take_replace(std::string_view option, const std::string &value, tool_options &options)
{
    return take_change(read_replace_change, option, value, options);
}

std::string take_mark(std::string_view option, const std::string &value, tool_options &options)
{
    return take_change(read_mark_change, option, value, options);
}

std::string take_time_change(std::string_view option, const std::string &value, tool_options &options)
{
    return take_change(read_time_change, option, value, options);
}

std::string take_name(std::string_view option, const std::string &value, tool_options &options)
{
    return take_change(read_name_change, option, value, options);
}

std::string take_side(std::string_view option, const std::string &value, tool_options &options)
{
    for (std::size_t i = 0; i < side_names.size(); ++i) {
        if (value == side_names[i]) {
            options.take = i == 0 ? merge_side::ours : merge_side::theirs;
            return {};
        }
    }
    return std::string(option) + " takes " + std::string(side_names[0]) + " or " + std::string(side_names[1])
           + ", not '" + printable(value) + "'";
}
