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

// One row of the table: a command.
struct tool_command {
    std::string_view name;
    std::string_view summary;  // one line, for areatool --help
    std::string_view usage;    // areatool NAME --help: the synopsis, then more
    std::vector<std::string_view> options;  // for a shell's completion
    int (*run)(const std::vector<std::string> &args);  // the arguments after the name
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

// The taker of --tiles, into tiles.
option_taker take_tiles(std::string &tiles);

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
