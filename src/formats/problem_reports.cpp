// check's formats: its text lines, its JSON Lines and the forms CI systems
// read, GitHub's workflow commands, GitLab's Code Quality report and a
// SARIF 2.1.0 log (the two JSON documents are written in json.cpp). Each
// is a writer over the same problem records; what they say of a kind of
// problem and where it lies in the file is here. Start reading at
// check_formats.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "area/area.h"
#include "formats/formats.h"
#include "text/text.h"

const std::array<problem_rule, 5> problem_rules = {{
    {problem_kind::file_size, "file-size", "The file " + longer_than_area},
    {problem_kind::name_unterminated, "name-unterminated",
     "The name is " + std::string(name_unterminated)},
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

// Never the same for two problems: the rule and the place are words
// without '|', and the path, which may hold anything, comes last.
std::string problem_fingerprint(const std::string &path, const area_problem &problem)
{
    std::string place = problem.cell ? std::to_string(problem.col) + "," + std::to_string(problem.row)
                                     : region_of(problem).length ? "field" : "file";
    return sha256_hex(std::string(rule_of(problem.kind).id) + "|" + place + "|" + path);
}

namespace {

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
        lines += problem_json_line(file.path, problem) + "\n";
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

}  // namespace

const std::array<check_format, 5> check_formats = {{
    {text_format, text_lines, nullptr},
    {json_format, json_lines, nullptr},
    {"github", github_lines, nullptr},
    {"gitlab", nullptr, gitlab_report},
    {"sarif", nullptr, sarif_log},
}};

std::string check_format_choices()
{
    std::vector<std::string> choices;
    for (const check_format &format : check_formats)
        choices.emplace_back(format.name);
    return either_of(choices);
}

const check_format *find_check_format(std::string_view name)
{
    for (const check_format &format : check_formats) {
        if (format.name == name)
            return &format;
    }
    return nullptr;
}
