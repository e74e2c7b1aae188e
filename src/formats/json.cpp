// The JSON objects of show, check, diff, usage and find --json, formed from
// the area records and what those commands found, one a line; and the two
// JSON documents of check's formats for CI, GitLab's Code Quality report and
// a SARIF log. Start reading at area_json_line(), then sarif_log().

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
// indent -1: all on one line.
std::string json_line(const ordered_json &object, int indent = -1)
{
    return object.dump(indent, ' ', false, ordered_json::error_handler_t::replace);
}

// A path as a SARIF artifact's URI: relative stays relative, with "./"
// before a first part holding a colon, which would read as a scheme; an
// absolute one is a file: URI.
std::string artifact_uri(const std::string &path)
{
    if (!path.empty() && path.front() == '/')
        return "file://" + uri_escaped(path);
    if (path.find(':') < path.find('/'))
        return "./" + uri_escaped(path);
    return uri_escaped(path);
}

ordered_json sarif_result(const checked_file &file, const area_problem &problem)
{
    // Code scanning shows a result only at a line, and a binary file is one.
    ordered_json region = {{"startLine", 1}};
    if (byte_region bytes = region_of(problem); bytes.length > 0) {
        region["byteOffset"] = bytes.offset;
        region["byteLength"] = bytes.length;
    }
    const problem_rule &rule = rule_of(problem.kind);
    return {{"ruleId", rule.id},
            {"ruleIndex", &rule - problem_rules.data()},
            {"level", "error"},
            {"message", {{"text", problem.line}}},
            {"locations",
             {{{"physicalLocation", {{"artifactLocation", {{"uri", artifact_uri(file.path)}}}, {"region", region}}}}}},
            {"partialFingerprints", {{"areatoolProblem/v1", problem_fingerprint(file.path, problem)}}}};
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

std::string gitlab_report(const std::vector<checked_file> &files)
{
    // One issue a line, so that the report reads as check's text does.
    std::string report = "[";
    const char *separator = "\n";
    for (const checked_file &file : files) {
        for (const area_problem &problem : file.problems) {
            ordered_json issue = {{"description", problem.line},
                                  {"check_name", rule_of(problem.kind).id},
                                  {"fingerprint", problem_fingerprint(file.path, problem)},
                                  {"severity", "major"},
                                  {"location", {{"path", file.path}, {"lines", {{"begin", 1}}}}}};
            report += separator + json_line(issue);
            separator = ",\n";
        }
    }
    return report + "\n]\n";
}

std::string sarif_log(const std::vector<checked_file> &files)
{
    ordered_json rules = ordered_json::array();
    for (const problem_rule &rule : problem_rules) {
        rules.push_back({{"id", rule.id},
                         {"shortDescription", {{"text", rule.description}}},
                         {"defaultConfiguration", {{"level", "error"}}}});
    }
    ordered_json results = ordered_json::array();
    for (const checked_file &file : files) {
        for (const area_problem &problem : file.problems)
            results.push_back(sarif_result(file, problem));
    }
    ordered_json driver = {{"name", "areatool"}, {"version", AREAEDIT_VERSION}, {"rules", rules}};
    ordered_json log = {{"$schema", "https://json.schemastore.org/sarif-2.1.0.json"},
                        {"version", "2.1.0"},
                        {"runs", {{{"tool", {{"driver", driver}}}, {"results", results}}}}};
    return json_line(log, 2) + "\n";
}

std::string usage_json_line(const value_usage &usage, bool drawable)
{
    return json_line({{"format_version", json_format_version},
                      {"value", usage.value},
                      {"cells", usage.cells},
                      {"areas", usage.areas},
                      {"drawable", drawable}});
}

std::string found_cell_json_line(const std::string &file, cell_position cell, std::int32_t value)
{
    return json_line({{"format_version", json_format_version},
                      {"file", file},
                      {"column", cell.col},
                      {"row", cell.row},
                      {"value", value}});
}

std::string found_file_json_line(const std::string &file)
{
    return json_line({{"format_version", json_format_version}, {"file", file}});
}
