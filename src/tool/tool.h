// areatool's commands and what they share. areatool.cpp holds the table of
// commands; each command is a file of its own with its run function, and
// what it computes over area records is a plain function beside it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "area/area.h"
#include "tiles/tiles.h"

constexpr int status_fine = 0;
constexpr int status_file_problem = 1;  // a file, a check or a merge went wrong
constexpr int status_usage = 2;         // the command line is wrong

// The options the commands take; each takes a value.
constexpr std::string_view tiles_option = "--tiles";
constexpr std::string_view scale_option = "--scale";
constexpr std::string_view depth_option = "--depth";
constexpr std::string_view png_option = "--png";
constexpr std::string_view time_option = "--time";
// set's changes
constexpr std::string_view cell_option = "--cell";
constexpr std::string_view fill_option = "--fill";
constexpr std::string_view replace_option = "--replace";
constexpr std::string_view mark_option = "--mark";
constexpr std::string_view name_option = "--name";

constexpr int default_scale = 1;
constexpr int max_scale = 16;

// An option of a command, as its help lists it (and so a shell's
// completion reads it): the option, its value's placeholder, and what it
// does, in lines.
struct tool_option {
    std::string_view name;
    std::string_view value;
    std::string_view help;
};

// One row of the table: a command.
struct tool_command {
    std::string_view name;
    std::string_view summary;  // one line, for areatool --help
    std::string_view usage;    // areatool NAME --help: the synopsis, then what it does
    std::vector<tool_option> options;
    int (*run)(const std::vector<std::string> &args);  // the arguments after the name
    std::string_view exit_statuses = {};  // when they are not the common ones
};

// What a command does with the value of one of its options: returns why the
// value is wrong, empty when it took it.
struct option_taker {
    std::string_view name;
    std::function<std::string(const std::string &value)> take;
};

// Sorts the arguments of command into files and options, handing each
// option's value (the next argument, or after '=') to its taker; "--" ends
// the options. Returns why the arguments are wrong, empty when they are not.
std::string parse_arguments(std::string_view command, const std::vector<std::string> &args,
                            const std::vector<option_taker> &options,
                            std::vector<std::string> &files);

// The takers of --tiles, into tiles, and of --scale, into scale.
option_taker take_tiles(std::string &tiles);
option_taker take_scale(int &scale);

// Prints why the command line is wrong, in one line; returns status_usage.
int refuse_command_line(const std::string &why);

// Prints "areatool: WHAT: WHY" on stderr.
void report(const std::string &what, const std::string &why);

// A whole number from min to max written as plain digits, or -1.
int parse_bounded(const std::string &text, int min, int max);

int run_show(const std::vector<std::string> &args);
int run_render(const std::vector<std::string> &args);
int run_check(const std::vector<std::string> &args);
int run_merge(const std::vector<std::string> &args);
int run_tileset(const std::vector<std::string> &args);
int run_diff(const std::vector<std::string> &args);
int run_new(const std::vector<std::string> &args);
int run_set(const std::vector<std::string> &args);
int run_edit(const std::vector<std::string> &args);

// Reads the file at path into area, refusing one that holds more than an
// area, as merge, diff and set do: they compare or rewrite it whole.
std::string read_whole_area(const std::string &path, area_record &area);

// show: the text of one area, as show prints it; longer tells that its
// file holds more than the record.
std::string show_area(const area_record &area, bool longer);
bool mark_on_board(const area_record &area);

// check: one line for each problem of area (without the file's name);
// drawable tells whether the editor can draw a cell value.
std::vector<std::string> find_problems(const area_record &area, bool longer,
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

// Shared by the commands that draw. The tile set to draw with: --tiles as
// given, or the one the editor would read (empty, said why, when there is
// none). The graphics library started at depth without a display, and the
// tile set at path loaded into tiles (false, said why, when either cannot
// be). from copied onto to, which is at png_depth, each pixel a scale ×
// scale square. picture saved as a whole PNG into the open file fd at
// temp_path, for replace_file(s); and a PNG written whole or not at all.
constexpr int default_depth = 32;  // keeps the tile pictures' colours exact
// The PNG is written from a 24-bit copy: at 32 bits the PNG writer would
// take the unused top byte of each pixel for its opacity, all transparent.
constexpr int png_depth = 24;
std::string tile_set_to_draw(const std::string &tiles_given);
bool start_drawing(int depth, const std::string &path, loaded_tiles &tiles);
void copy_scaled(BITMAP *from, BITMAP *to, int scale);
std::string save_whole_png(int fd, const std::string &temp_path, BITMAP *picture);
std::string write_png(const std::string &out, BITMAP *picture);
