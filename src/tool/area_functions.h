// What areatool's commands compute over area records: plain functions,
// each beside the run function of its command and tested directly.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "area/area.h"

// show: the text of one area, as show prints it; longer tells that its
// file holds more than the record.
std::string show_area(const area_record &area, bool longer);
bool mark_on_board(const area_record &area);

// check: one problem of an area; line is what check prints for it, after
// the file's name. cell tells that it is the problem of the cell at col, row.
struct area_problem {
    std::string line;
    bool cell = false;
    int col = 0, row = 0;
};
// Every problem of area; drawable tells whether the editor can draw a cell
// value.
std::vector<area_problem> find_problems(const area_record &area, bool longer,
                                        const std::function<bool(std::int32_t)> &drawable);

// merge: ours and theirs merged field by field and cell by cell from base
// (nullptr: no base, only equal values agree). A value changed two ways
// keeps ours and gives one line in conflicts.
struct merge_result {
    area_record merged;
    std::vector<std::string> conflicts;
};
merge_result merge_areas(const area_record *base, const area_record &ours,
                         const area_record &theirs);

// diff: one difference between two areas, in the order of the file: the
// mark (both positions as one), the allowed time, each cell, the name (all
// 8 bytes); line is what diff prints for it.
enum class area_part { mark, time_allowed, cell, name };
struct area_difference {
    area_part part;
    int col = 0, row = 0;  // the cell's, for area_part::cell
    std::string line;
};
std::vector<area_difference> diff_areas(const area_record &old_area, const area_record &new_area);

// new: the area the editor's "Start a new area" makes in a fresh program.
area_record new_area(std::string_view name, std::int32_t time_allowed);
// Why new and set refuse name: the editor's reason, or white space, which
// its prompts never take; nullptr when they take it.
const char *tool_name_problem(std::string_view name);

// set: one change of an area, as one of its options asks for it.
enum class change_kind { cell, fill, replace, mark, time_allowed, name };
struct area_change {
    change_kind kind;
    int col = 0, row = 0;       // cell, mark
    std::int32_t from = 0;      // replace: the value replaced
    std::int32_t value = 0;     // cell, fill, replace, time_allowed
    std::string name;
};
// The change option (--cell, --fill...) asks for with value, into change;
// returns why the value is malformed, empty when it is not.
std::string parse_change(std::string_view option, const std::string &value, area_change &change);
// Applies change to area as the editor would: a cell set to 3 moves the
// mark there, and a name replaces only its characters and terminator.
void apply_change(area_record &area, const area_change &change);

// atlas: how the boards of count areas are laid out, columns to a row (0:
// the smallest number whose square holds them all), and the picture's size
// in pixels at scale 1.
struct atlas_layout {
    int columns = 0, rows = 0;
    std::int64_t width = 0, height = 0;
};
constexpr int atlas_margin = 35;   // around each board, in pixels at scale 1
constexpr int atlas_pitch = 385;   // from one board to the next: the board and its margin
atlas_layout lay_out_atlas(std::size_t count, int columns);
