// The forms areatool writes and reads besides plain text lines: the JSON
// Lines of --json, the text form of an area that edit hands to an editor,
// the review's web page and the tile set file for Tiled. Each is built from
// the records' computations and returned as text; nothing here prints.
#pragma once

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

// edit's text form: comment lines for what each part is, then the name,
// the bytes after it, the mark, the allowed time and the ten rows of the
// board. Every byte of the record survives the round trip.
// The text of area; file_name heads it.
std::string write_area_text(const area_record &area, std::string_view file_name);
// Why line (counted from 1 in the text read) does not read.
struct text_problem {
    int line;
    std::string why;
};
// Reads text into area; original is the area the text was made from: a
// name other than its own must be one that set would take. Returns every
// problem found; area is only complete when there are none.
std::vector<text_problem> read_area_text(std::string_view text, const area_record &original,
                                         area_record &area);
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
// The whole page, each section in the order of entries.
std::string review_page(const std::string &old_folder, const std::string &new_folder,
                        const std::vector<review_entry> &entries);
// A relative path as a link in the page: every byte but letters, digits,
// "-._~" and '/' as %HH, after "./", so that no name can reach outside the
// folder or be read as a scheme, a query or a fragment.
std::string link_to(std::string_view path);

// Tiled's tile set file for a sheet of count tiles, columns to a row.
std::string tile_set_xml(const std::string &name, const std::string &sheet, int count, int columns, int rows);
