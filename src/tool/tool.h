// areatool's table of commands and its command line. Each command is one
// row of the table in areatool.cpp: its name, help, options with their
// takers, and run function. The help, the parser and, through the help,
// the shell's completion all read the row.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "tiles/tiles.h"
#include "tool/area_functions.h"

constexpr int status_fine = 0;
constexpr int status_file_problem = 1;  // a file, a check or a merge went wrong
constexpr int status_usage = 2;         // the command line is wrong
// diff's and review's, as diff and cmp give them
constexpr int status_same = 0;
constexpr int status_different = 1;
constexpr int status_trouble = 2;

// The options the commands take; each takes a value but --json.
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
// show, check, diff: JSON Lines for scripts instead of text
constexpr std::string_view json_option = "--json";
constexpr std::string_view columns_option = "--columns";  // atlas
constexpr std::string_view out_option = "--out";          // review's folder

constexpr int min_scale = 1;
constexpr int default_scale = 1;
constexpr int max_scale = 16;
constexpr std::array<int, 4> depths = {15, 16, 24, 32};  // ascending
constexpr int default_depth = 32;  // keeps the tile pictures' colours exact
// atlas: boards to a row; 0 until --columns names a number
constexpr int min_columns = 1;
constexpr int max_columns = 1000;

// What the options of a command line ask for. Each command reads only what
// its own options fill; the rest stays as it starts.
struct tool_options {
    std::string tiles;  // empty: the tile set the editor would read
    int scale = default_scale;
    int depth = default_depth;
    std::string png;                   // diff's picture; empty for none
    std::vector<area_change> changes;  // set's changes and new's --time, in the order given
    bool json = false;                 // --json: JSON Lines instead of text
    int columns = 0;                   // atlas's --columns; 0: as many as rows
    std::string out;                   // review's folder
};

// What an option does with its value, into options: returns why the value
// is wrong, empty when it took it.
using option_taker = std::string (*)(std::string_view option, const std::string &value,
                                     tool_options &options);
std::string take_tiles(std::string_view option, const std::string &value, tool_options &options);
std::string take_png(std::string_view option, const std::string &value, tool_options &options);
std::string take_scale(std::string_view option, const std::string &value, tool_options &options);
std::string take_depth(std::string_view option, const std::string &value, tool_options &options);
std::string take_change(std::string_view option, const std::string &value, tool_options &options);
std::string take_json(std::string_view option, const std::string &value, tool_options &options);
std::string take_columns(std::string_view option, const std::string &value, tool_options &options);
std::string take_out(std::string_view option, const std::string &value, tool_options &options);

// "1 to 16" (the whole numbers from min to max, or --scale's) and "15, 16,
// 24 or 32", for the help and the messages.
std::string range_text(int min, int max);
std::string scale_range();
std::string depth_choices();

// An option of a command: the option, its value's placeholder (empty for a
// switch, which takes none), what it does (in lines) and its taker; a
// required one is refused when missing and shown without brackets.
struct tool_option {
    std::string_view name;
    std::string_view value;
    std::string help;
    option_taker take;
    bool required = false;
};

struct command_line;

// One row of the table: a command. Its synopsis is its name, each option
// in brackets (or options_shown_as in their place), then its arguments.
struct tool_command {
    std::string_view name;
    std::string_view summary;      // one line, for areatool --help
    std::string_view arguments;    // as the synopsis names them: "FILE OUT.png"
    std::string_view description;  // areatool NAME --help: what it does, in lines
    std::vector<tool_option> options;
    int (*run)(const command_line &line);
    std::string exit_statuses;
    std::string_view options_shown_as = {};
};

// The command line of one command, sorted.
struct command_line {
    const tool_command &command;
    tool_options options;
    std::vector<std::string> files;
};

// The table, in the order areatool --help lists it.
extern const std::vector<tool_command> commands;

// areatool's whole work on the arguments after its own name; returns its
// exit status.
int run_areatool(const std::vector<std::string> &args);

// areatool COMMAND --help, and areatool --help.
std::string command_help(const tool_command &command);
std::string tool_help();

// Sorts args, the arguments after the command's name, into line's files and
// options, handing each option's value (the next argument, or after '=') to
// the taker its row lists; "--" ends the options. Returns why the arguments
// are wrong, empty when they are not.
std::string parse_arguments(const std::vector<std::string> &args, command_line &line);

// Prints why the command line is wrong in one line, pointing to command's
// help (to areatool's with none); returns status_usage.
int refuse_command_line(std::string_view command, const std::string &why);
// As refuse_command_line for line's command, why following its name.
int refuse_arguments(const command_line &line, const std::string &why);

// Prints "areatool: WHAT: WHY" on stderr.
void report(const std::string &what, const std::string &why);

// A whole number from min to max written as plain digits, or -1.
int parse_bounded(const std::string &text, int min, int max);

// Reads the file at path into area, refusing one that holds more than an
// area, as merge, diff and set do: they compare or rewrite it whole.
std::string read_whole_area(const std::string &path, area_record &area);

// Whether check takes value as one the editor can draw: empty, or with a
// picture of tiles (with none loaded, the tiles every usable tile set has).
bool value_drawable(const loaded_tiles &tiles, std::int32_t value);

int run_show(const command_line &line);
int run_render(const command_line &line);
int run_check(const command_line &line);
int run_merge(const command_line &line);
int run_tileset(const command_line &line);
int run_diff(const command_line &line);
int run_new(const command_line &line);
int run_set(const command_line &line);
int run_edit(const command_line &line);
int run_atlas(const command_line &line);
int run_review(const command_line &line);
