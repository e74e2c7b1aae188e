// What areatool computes over area records: show's text, check's problems,
// diff's differences, merge's result, set's changes, and usage's counts and
// find's cells over many areas. Plain functions of records and values; none
// reads a command line, prints or ends the program.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "area/area.h"

// Reads the file at path into area, refusing one that holds more than an
// area, as merge, diff, set and edit do: they compare or rewrite it whole.
std::string read_whole_area(const std::string &path, area_record &area);

// show: the text of one area, as show prints it; longer tells that its
// file holds more than the record.
std::string show_area(const area_record &area, bool longer);

// check: one problem of an area; line is what check prints for it, after
// the file's name. cell tells that it is the problem of the cell at col, row.
enum class problem_kind { file_size, name_unterminated, name_unusable, cell_undrawable, mark_off_board };
struct area_problem {
    problem_kind kind;
    std::string line;
    bool cell = false;
    int col = 0, row = 0;
};
// Every problem of area; drawable tells whether the editor can draw a cell
// value.
std::vector<area_problem> find_problems(const area_record &area, bool longer,
                                        const std::function<bool(std::int32_t)> &drawable);

// merge's sides as git hands them over, read from their files: an empty
// BASE file, git's for a file added on both sides, is no base. Returns
// "PATH: why" for the first that is not an area (as said_of says it),
// empty when all read.
struct merge_sides {
    std::optional<area_record> base;
    area_record ours, theirs;
};
std::string read_merge_sides(const std::string &base, const std::string &ours, const std::string &theirs,
                             merge_sides &sides);

// merge: ours and theirs merged field by field and cell by cell from base
// (nullptr: no base, only equal values agree). A value changed two ways keeps ours and
// is one conflict: its part, the cell's column and row for a cell, and its
// values those of that part in the sides. Conflicts come in the order of
// merge's lines: the mark, the allowed time, the name (all 8 bytes), then
// each cell column by column.
enum class area_part { mark, time_allowed, cell, name };
struct merge_conflict {
    area_part part;
    int col = 0, row = 0;
};
struct merge_result {
    area_record merged;
    std::vector<merge_conflict> conflicts;
};
merge_result merge_areas(const area_record *base, const area_record &ours, const area_record &theirs);
// What merge's line and resolve's text call conflict's part: "mark",
// "time allowed", "name", "cell at column 2, row 2".
std::string part_label(const merge_conflict &conflict);
// The line merge prints for conflict: "cell at column 2, row 2 changed two
// ways: base 0; ours 1; theirs 6".
std::string conflict_line(const merge_conflict &conflict, const area_record *base, const area_record &ours,
                          const area_record &theirs);

// diff: one difference between two areas, in the order of the file: the
// mark (both positions as one), the allowed time, each cell, the name (all
// 8 bytes); line is what diff prints for it.
struct area_difference {
    area_part part;
    int col = 0, row = 0;  // the cell's, for area_part::cell
    std::string line;
};
std::vector<area_difference> diff_areas(const area_record &old_area, const area_record &new_area);

// new: the area the editor's "Start a new area" makes in a fresh program.
area_record new_area(std::string_view name, std::int32_t time_allowed);
// Why new, set and edit refuse name: the editor's reason, or white space,
// which its prompts never take; empty when they take it.
std::string tool_name_problem(std::string_view name);

// set: one change of an area, as one of its options asks for it.
enum class change_kind { cell, fill, replace, mark, time_allowed, name };
struct area_change {
    change_kind kind;
    int col = 0, row = 0;       // cell, mark
    std::int32_t from = 0;      // replace: the value replaced
    std::int32_t value = 0;     // cell, fill, replace, time_allowed
    std::string name;
};
// Each reads the value of option (for its messages) into change: "C,R=V",
// "V", "OLD=NEW", "C,R", "T" and a name. Each returns why the value does
// not read, empty when it does.
std::string read_cell_change(std::string_view option, std::string_view text, area_change &change);
std::string read_fill_change(std::string_view option, std::string_view text, area_change &change);
std::string read_replace_change(std::string_view option, std::string_view text, area_change &change);
std::string read_mark_change(std::string_view option, std::string_view text, area_change &change);
std::string read_time_change(std::string_view option, std::string_view text, area_change &change);
std::string read_name_change(std::string_view option, std::string_view text, area_change &change);
// A value as set's options read one ("%i": -1 is the empty cell), into
// value; returns why text is none, naming what, empty when it is one.
std::string read_value_of(std::string_view what, std::string_view text, std::int32_t &value);
// Applies change to area as the editor would: a cell set to 3 moves the
// mark there, and a name replaces only its characters and terminator.
void apply_change(area_record &area, const area_change &change);

// usage: how many cells hold value over the areas counted, and in how many
// areas; the tally holds each value used, in order of value.
struct value_usage {
    std::int32_t value = 0;
    std::int64_t cells = 0, areas = 0;
};
using usage_tally = std::map<std::int32_t, value_usage>;
// Adds area's cells to tally.
void count_usage(const area_record &area, usage_tally &tally);
// The entries below entries of a tile set that drawable takes and that no
// value of tally uses, in order.
std::vector<std::int32_t> find_unused_tiles(const usage_tally &tally, int entries,
                                            const std::function<bool(std::int32_t)> &drawable);
// "3: 412 cells in 57 areas", flagged when the tile set cannot draw it;
// "tile 6: not used in any area".
std::string usage_line(const value_usage &usage, bool drawable);
std::string unused_tile_line(std::int32_t tile);

// find: the cells of area holding value, row by row as show prints the
// board; "cell at column 2, row 7", what find prints after the file's name.
std::vector<cell_position> find_cells(const area_record &area, std::int32_t value);
std::string found_cell_line(cell_position cell);
