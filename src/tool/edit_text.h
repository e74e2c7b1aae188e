// An area as text for a person in a text editor, and that text read back:
// comment lines for what each part is, then the name, the bytes after it,
// the mark, the allowed time and the ten rows of the board. Every byte of
// the record survives the round trip.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "area/area.h"

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
