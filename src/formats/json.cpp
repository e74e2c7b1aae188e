// The JSON objects of show, check and diff --json, formed from the area
// records and what check and diff found, one a line. Start reading at
// area_json_line().

#include <algorithm>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "formats/formats.h"
#include "text/text.h"

using nlohmann::ordered_json;

namespace {

ordered_json position_json(std::int32_t col, std::int32_t row)
{
    return {{"column", col}, {"row", row}};
}

// All 8 bytes, each 0 to 255.
ordered_json name_bytes_json(const area_record &area)
{
    ordered_json bytes = ordered_json::array();
    for (char ch : area.name)
        bytes.push_back(static_cast<unsigned char>(ch));
    return bytes;
}

// The name as a string when it is one a script can take as it is: ended
// within its 8 bytes, every byte printable ASCII. Otherwise null, and
// name_bytes tells what is there.
ordered_json name_json(const area_record &area)
{
    std::string_view name = area_name(area);
    if (!name_terminated(area) || !printable_ascii(name))
        return nullptr;
    return std::string(name);
}

// A part's label as a JSON key: "time allowed" is "time_allowed".
std::string key_of(std::string_view label)
{
    std::string key(label);
    std::replace(key.begin(), key.end(), ' ', '_');
    return key;
}

std::string part_name(area_part part)
{
    switch (part) {
    case area_part::mark: return key_of(mark_label);
    case area_part::time_allowed: return key_of(time_label);
    case area_part::cell: return "cell";
    case area_part::name: return key_of(name_label);
    }
    return "";
}

// A file name is bytes, and need not be UTF-8, which JSON text must be:
// what is not is written as U+FFFD rather than failing the whole line.
std::string json_line(const ordered_json &object)
{
    return object.dump(-1, ' ', false, ordered_json::error_handler_t::replace);
}

// The value of difference's part in area.
ordered_json part_json(const area_record &area, const area_difference &difference)
{
    switch (difference.part) {
    case area_part::mark: return position_json(area.mark_col, area.mark_row);
    case area_part::time_allowed: return area.time_allowed;
    case area_part::cell: return area.cells[difference.col][difference.row];
    case area_part::name: return name_bytes_json(area);
    }
    return nullptr;
}

}  // namespace

std::string area_json_line(const std::string &file, const area_record &area, bool longer)
{
    ordered_json columns = ordered_json::array();
    for (const auto &column : area.cells)
        columns.push_back(column);
    ordered_json object = {{"format_version", json_format_version},
                           {"file", file},
                           {key_of(name_label), name_json(area)},
                           {"name_bytes", name_bytes_json(area)},
                           {key_of(mark_label), position_json(area.mark_col, area.mark_row)},
                           {key_of(time_label), area.time_allowed},
                           {"columns", columns},
                           {"longer", longer}};
    return json_line(object);
}

std::string problem_json_line(const std::string &file, const area_problem &problem)
{
    ordered_json object = {{"format_version", json_format_version}, {"file", file}, {"message", problem.line}};
    if (problem.cell) {
        object["column"] = problem.col;
        object["row"] = problem.row;
    }
    return json_line(object);
}

std::string difference_json_line(const area_record &old_area, const area_record &new_area,
                                 const area_difference &difference)
{
    ordered_json object = {{"format_version", json_format_version}, {"part", part_name(difference.part)}};
    if (difference.part == area_part::cell) {
        object["column"] = difference.col;
        object["row"] = difference.row;
    }
    object["old"] = part_json(old_area, difference);
    object["new"] = part_json(new_area, difference);
    return json_line(object);
}
