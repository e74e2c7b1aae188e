// The forms areatool writes and reads besides plain text lines: the JSON
// Lines of --json, the text form of an area that edit and resolve hand to
// an editor, the review's web page and the tile set file for Tiled. Each is
// built from the records' computations and returned as text; nothing here
// prints.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "records/records.h"

// JSON Lines: one object a line, without its line end. Within a format
// version keys are only ever added, never renamed, moved or dropped.
constexpr int json_format_version = 1;
// show: every field of area, losslessly; file as given on the command line.
std::string area_json_line(const std::string &file, const area_record &area, bool longer);
// check: one problem of the area in file.
std::string problem_json_line(const std::string &file, const area_problem &problem);
// diff: one difference, with the old and new values of its part.
std::string difference_json_line(const area_record &old_area, const area_record &new_area,
                                 const area_difference &difference);
// usage: one value's count, drawable telling whether the tile set draws
// it; a tile no area uses is a value of no cells.
std::string usage_json_line(const value_usage &usage, bool drawable);
// find: one cell of file that holds value; with --files, only the file.
std::string found_cell_json_line(const std::string &file, cell_position cell, std::int32_t value);
std::string found_file_json_line(const std::string &file);

// check's problems as CI systems read them, each format written from the
// problems of every file checked, in the order given.
struct checked_file {
    std::string path;  // as given
    std::vector<area_problem> problems;
};
// What a format says of a kind of problem: its id (SARIF's rule, GitLab's
// check) and what it is.
struct problem_rule {
    problem_kind kind;
    std::string_view id;
    std::string description;
};
extern const std::array<problem_rule, 5> problem_rules;  // in problem_kind's order
const problem_rule &rule_of(problem_kind kind);
// The bytes of the file a problem lies in: a cell's value, both numbers of
// the mark, the whole name field; length 0 for the file as a whole.
struct byte_region {
    std::size_t offset = 0, length = 0;
};
byte_region region_of(const area_problem &problem);
// The same for the same problem at the same place of the same path in
// every run, and never the same for two problems: a SHA-256 in hex.
std::string problem_fingerprint(const std::string &path, const area_problem &problem);
std::string sha256_hex(std::string_view bytes);
// path as a URI reference: relative stays relative, every byte but
// letters, digits, "-._~" and '/' as %HH.
std::string uri_escaped(std::string_view path);
// A format of check: lines writes one file's problems as the file is
// checked (text, json, github); document writes them all at the end
// (gitlab, sarif).
struct check_format {
    std::string_view name;
    std::string (*lines)(const checked_file &file);
    std::string (*document)(const std::vector<checked_file> &files);
};
constexpr std::string_view text_format = "text";  // the default
constexpr std::string_view json_format = "json";  // as --json
extern const std::array<check_format, 5> check_formats;
// The format named name, or nullptr; and "text, json, ... or sarif".
const check_format *find_check_format(std::string_view name);
std::string check_format_choices();
// The two documents, written in json.cpp: GitLab's Code Quality report and
// a SARIF 2.1.0 log of one run.
std::string gitlab_report(const std::vector<checked_file> &files);
std::string sarif_log(const std::vector<checked_file> &files);

// edit's and resolve's text form: comment lines for what each part is,
// then the name, the bytes after it, the mark, the allowed time and the ten
// rows of the board. Every byte of the record survives the round trip.
// The text of area; file_name heads it.
std::string write_area_text(const area_record &area, std::string_view file_name);
// The text of merge's result from sides, for its conflicts to be settled:
// each conflicting value written ours|theirs where it stands, and one
// "# conflict: ..." comment a conflict on top, with the base's value. A |
// of a name itself is written escaped, so that a bare one only ever stands
// between two sides, and a text that still holds one does not read.
std::string write_merge_text(const merge_sides &sides, const merge_result &merge, std::string_view file_name);
// Why line (counted from 1 in the text read) does not read.
struct text_problem {
    int line;
    std::string why;
};
// Reads text into area; original is the area the text was made from: a
// name other than its own (or other's, the other side of a merge) must be
// one that set would take. Returns every problem found; area is only
// complete when there are none.
std::vector<text_problem> read_area_text(std::string_view text, const area_record &original,
                                         area_record &area, const area_record *other = nullptr);
// Whether text holds nothing but blank and comment lines.
bool area_text_empty(std::string_view text);
// text with one "# error: line N: ..." comment at the top for each problem,
// in place of those a previous pass put there; N counts lines of the new
// text.
std::string mark_problems(std::string_view text, const std::vector<text_problem> &problems);

// review's page: one entry a path of the OLD or NEW folder, or both.
enum class review_kind { changed, added, removed, unchanged, trouble };
struct review_entry {
    std::string path;  // within the folders, '/' between its parts
    bool in_old = false, in_new = false;
    area_record old_area{}, new_area{};
    review_kind kind = review_kind::unchanged;
    std::vector<area_difference> differences;  // changed
    std::vector<area_problem> problems;        // of the new version: changed, added
    std::vector<std::string> troubles;         // "old: why", "new: why"
    int width = 0, height = 0;                 // of its picture, if it has one
};
// Whether entry has a picture beside the page, and its name there.
bool has_picture(const review_entry &entry);
std::string picture_name(const review_entry &entry);
constexpr const char *review_page_file = "index.html";
// The whole page, each section in the order of entries.
std::string review_page(const std::string &old_folder, const std::string &new_folder,
                        const std::vector<review_entry> &entries);
// What the page and the summary open with: "1 changed, 2 added, ...".
std::string review_counts(const std::vector<review_entry> &entries);
// entry's picture as an image from src, its path and what it shows as its
// alternative text.
std::string picture_html(const review_entry &entry, const std::string &src);
// The review as GitHub-flavoured Markdown of at most summary_limit
// characters (a comment's most): the counts, a table of the areas that
// are not unchanged, and a section for each. image_url (absolute, without
// a '/' at its end): each picture from image_url/PATH.png; empty: none.
// out: the page's folder, named where the summary is cut; empty: no page.
constexpr std::size_t summary_limit = 65536;
struct summary_place {
    std::string image_url;
    std::string out;
};
std::string review_summary(const std::vector<review_entry> &entries, const summary_place &place);
// A relative path as a link in the page: uri_escaped after "./", so that
// no name can reach outside the folder or be read as a scheme, a query or
// a fragment.
std::string link_to(std::string_view path);

// Tiled's tile set file for a sheet of count tiles, columns to a row.
std::string tile_set_xml(const std::string &name, const std::string &sheet, int count, int columns, int rows);
