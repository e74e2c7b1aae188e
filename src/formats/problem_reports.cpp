// check's problems in the forms CI systems read: GitHub's workflow
// commands, GitLab's Code Quality report and a SARIF 2.1.0 log. Each is a
// writer over the same problem records that check's text and JSON lines
// are written from. Start reading at check_formats, then sarif_log().

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "area/area.h"
#include "formats/formats.h"
#include "text/text.h"

using nlohmann::ordered_json;

namespace {

// What every format says of a kind of problem: its rule (SARIF) or check
// (GitLab) id and what it is, in the order of problem_kind.
struct problem_rule {
    problem_kind kind;
    std::string_view id;
    std::string description;
};

const std::array<problem_rule, 5> problem_rules = {{
    {problem_kind::file_size, "file-size",
     "The file holds more than the " + std::to_string(area_file_size) + " bytes of an area"},
    {problem_kind::name_unterminated, "name-unterminated",
     "The name is not terminated within its " + std::to_string(name_size) + " bytes"},
    {problem_kind::name_unusable, "name-unusable", "The name cannot be a file's name, here or on Windows"},
    {problem_kind::cell_undrawable, "cell-undrawable", "A cell holds a value the tile set cannot draw"},
    {problem_kind::mark_off_board, "mark-off-board", "The mark lies off the board"},
}};

const problem_rule &rule_of(problem_kind kind)
{
    for (const problem_rule &rule : problem_rules) {
        if (rule.kind == kind)
            return rule;
    }
    return problem_rules.front();
}

// The bytes of the file a problem names: the cell's value, both numbers of
// the mark, or the whole name field. length 0: the file as a whole.
struct byte_region {
    std::size_t offset = 0, length = 0;
};

byte_region region_of(const area_problem &problem)
{
    switch (problem.kind) {
    case problem_kind::cell_undrawable:
        if (!problem.cell)
            return {};  // the cells counted past the reported ones
        return {offsetof(area_record, cells)
                    + sizeof(std::int32_t) * (static_cast<std::size_t>(problem.col) * board_rows + problem.row),
                sizeof(std::int32_t)};
    case problem_kind::mark_off_board:
        return {offsetof(area_record, mark_col), 2 * sizeof(std::int32_t)};
    case problem_kind::name_unterminated:
    case problem_kind::name_unusable:
        return {offsetof(area_record, name), name_size};
    case problem_kind::file_size:
        break;
    }
    return {};
}

// The same for the same problem at the same place of the same path in
// every run, and never the same for two: the rule and the place come from
// fixed words without '|', and the path, which may hold anything, is last.
std::string fingerprint(const std::string &path, const area_problem &problem)
{
    std::string place = problem.cell ? std::to_string(problem.col) + "," + std::to_string(problem.row)
                                     : region_of(problem).length ? "field" : "file";
    return sha256_hex(std::string(rule_of(problem.kind).id) + "|" + place + "|" + path);
}

// GitHub's runner reads %, CR and LF escaped in a command's message; in a
// property also the ':' and ',' that would end it.
std::string workflow_escaped(std::string_view text, bool property)
{
    std::string escaped;
    for (char ch : text) {
        switch (ch) {
        case '%': escaped += "%25"; break;
        case '\r': escaped += "%0D"; break;
        case '\n': escaped += "%0A"; break;
        case ':': escaped += property ? "%3A" : ":"; break;
        case ',': escaped += property ? "%2C" : ","; break;
        default: escaped += ch;
        }
    }
    return escaped;
}

std::string text_lines(const checked_file &file)
{
    std::string lines;
    for (const area_problem &problem : file.problems)
        lines += printable(file.path) + ": " + problem.line + "\n";
    return lines;
}

std::string json_lines(const checked_file &file)
{
    std::string lines;
    for (const area_problem &problem : file.problems)
        lines += json_text(form_problem_json(file.path, problem)) + "\n";
    return lines;
}

std::string github_lines(const checked_file &file)
{
    std::string lines;
    for (const area_problem &problem : file.problems) {
        lines += "::error file=" + workflow_escaped(file.path, true) + ",title="
                 + workflow_escaped("areatool check", true) + "::" + workflow_escaped(problem.line, false) + "\n";
    }
    return lines;
}

// One issue a line, so that a report reads as the text does.
std::string gitlab_report(const std::vector<checked_file> &files)
{
    std::string report = "[";
    const char *separator = "\n";
    for (const checked_file &file : files) {
        for (const area_problem &problem : file.problems) {
            ordered_json issue = {{"description", problem.line},
                                  {"check_name", rule_of(problem.kind).id},
                                  {"fingerprint", fingerprint(file.path, problem)},
                                  {"severity", "major"},
                                  {"location", {{"path", file.path}, {"lines", {{"begin", 1}}}}}};
            report += separator + json_text(issue);
            separator = ",\n";
        }
    }
    return report + "\n]\n";
}

ordered_json sarif_result(const checked_file &file, const area_problem &problem)
{
    // Code scanning shows a result only at a line: a binary file has one.
    ordered_json region = {{"startLine", 1}};
    if (byte_region bytes = region_of(problem); bytes.length > 0) {
        region["byteOffset"] = bytes.offset;
        region["byteLength"] = bytes.length;
    }
    std::string_view rule = rule_of(problem.kind).id;
    return {{"ruleId", rule},
            {"ruleIndex", &rule_of(problem.kind) - problem_rules.data()},
            {"level", "error"},
            {"message", {{"text", problem.line}}},
            {"locations",
             {{{"physicalLocation",
                {{"artifactLocation", {{"uri", file_uri(file.path)}}}, {"region", region}}}}}},
            {"partialFingerprints", {{"areatoolProblem/v1", fingerprint(file.path, problem)}}}};
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
    ordered_json log = {
        {"$schema", "https://json.schemastore.org/sarif-2.1.0.json"},
        {"version", "2.1.0"},
        {"runs",
         {{{"tool", {{"driver", {{"name", "areatool"}, {"version", AREAEDIT_VERSION}, {"rules", rules}}}}},
           {"results", results}}}}};
    return json_text(log, 2) + "\n";
}

}  // namespace

const std::array<check_format, 5> check_formats = {{
    {"text", text_lines, nullptr},
    {"json", json_lines, nullptr},
    {"github", github_lines, nullptr},
    {"gitlab", nullptr, gitlab_report},
    {"sarif", nullptr, sarif_log},
}};

const check_format *find_check_format(std::string_view name)
{
    for (const check_format &format : check_formats) {
        if (format.name == name)
            return &format;
    }
    return nullptr;
}
