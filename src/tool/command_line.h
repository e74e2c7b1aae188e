// areatool's table of commands and its command line. Each command is one
// row of the table in table.cpp: its name, help, positional arguments,
// options each with its own taker, and run function. The help, the
// parser, the usage errors and the shell's completion all read the row.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "records/records.h"
#include "tiles/tiles.h"

constexpr int status_fine = 0;
constexpr int status_file_problem = 1;  // a file, a check or a merge went wrong
constexpr int status_usage = 2;         // the command line is wrong
// diff's and review's, as diff and cmp give them
constexpr int status_same = 0;
constexpr int status_different = 1;
constexpr int status_trouble = 2;
// find's, as grep gives them, with status_trouble
constexpr int status_found = 0;
constexpr int status_none_found = 1;

constexpr int min_scale = 1;
constexpr int default_scale = 1;
constexpr int max_scale = 16;
constexpr std::array<int, 4> depths = {loaded_area_depth, new_area_depth, 24, 32};  // ascending
constexpr int default_depth = 32;  // keeps the tile pictures' colours exact
// resolve's --take: the side whose value every conflict keeps, none for
// the editor; side_names spells each, in that order.
enum class merge_side { none, ours, theirs };
constexpr std::array<std::string_view, 2> side_names = {"ours", "theirs"};
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
    std::vector<area_change> changes;  // set's changes, in the order given
    std::int32_t time_allowed = 0;     // new's --time
    bool json = false;                 // --json: JSON Lines instead of text
    int columns = 0;                   // atlas's --columns; 0: as many as rows
    std::string out;                   // review's folder
    std::string format;                // check's --format; empty: text, or json with --json
    std::string summary;               // review's Markdown file; empty for none
    std::string image_url;             // where the summary's pictures are, without a '/' at its end
    bool files = false;                // find's --files: each file found once
    merge_side take = merge_side::none;  // resolve's --take
};

// What an option does with its value, into options: returns why the value
// is wrong, empty when it took it.
using option_taker = std::string (*)(std::string_view option, const std::string &value,
                                     tool_options &options);

// The options the commands take; each takes a value but --json and --files.
constexpr std::string_view tiles_option = "--tiles";
constexpr std::string_view scale_option = "--scale";
constexpr std::string_view depth_option = "--depth";
constexpr std::string_view png_option = "--png";
constexpr std::string_view time_option = "--time";
// set's changes, shown in its synopsis as CHANGE...
constexpr std::string_view cell_option = "--cell";
constexpr std::string_view fill_option = "--fill";
constexpr std::string_view replace_option = "--replace";
constexpr std::string_view mark_option = "--mark";
constexpr std::string_view name_option = "--name";
constexpr std::string_view change_group = "CHANGE";
// show, check, diff: JSON Lines for scripts instead of text
constexpr std::string_view json_option = "--json";
constexpr std::string_view columns_option = "--columns";  // atlas
constexpr std::string_view out_option = "--out";          // review's folder
constexpr std::string_view format_option = "--format";    // check's form of its problems
constexpr std::string_view summary_option = "--summary";  // review as Markdown
constexpr std::string_view image_url_option = "--image-url";
constexpr std::string_view files_option = "--files";      // find
constexpr std::string_view take_option = "--take";        // resolve's side

// The takers of the options, each for its own (takers.cpp).
std::string take_tiles(std::string_view option, const std::string &value, tool_options &options);
std::string take_png(std::string_view option, const std::string &value, tool_options &options);
std::string take_out(std::string_view option, const std::string &value, tool_options &options);
std::string take_scale(std::string_view option, const std::string &value, tool_options &options);
std::string take_depth(std::string_view option, const std::string &value, tool_options &options);
std::string take_columns(std::string_view option, const std::string &value, tool_options &options);
std::string take_json(std::string_view option, const std::string &value, tool_options &options);
std::string take_format(std::string_view option, const std::string &value, tool_options &options);
std::string take_summary(std::string_view option, const std::string &value, tool_options &options);
std::string take_image_url(std::string_view option, const std::string &value, tool_options &options);
std::string take_files(std::string_view option, const std::string &value, tool_options &options);
std::string take_time(std::string_view option, const std::string &value, tool_options &options);
std::string take_cell(std::string_view option, const std::string &value, tool_options &options);
std::string take_fill(std::string_view option, const std::string &value, tool_options &options);
std::string take_replace(std::string_view option, const std::string &value, tool_options &options);
std::string take_mark(std::string_view option, const std::string &value, tool_options &options);
std::string take_time_change(std::string_view option, const std::string &value, tool_options &options);
std::string take_name(std::string_view option, const std::string &value, tool_options &options);
std::string take_side(std::string_view option, const std::string &value, tool_options &options);

// What a word on the command line names, for the shell's completion: an
// area file, a PNG or a tile set file to write, any file, a folder, one of
// the words its placeholder lists between '|', or nothing to complete (a
// number, a name).
enum class word_kind { area, png, tsx, path, folder, choice, none };

// An option of a command: the option, its value's placeholder (empty for a
// switch, which takes none), what it does (in lines), its taker and what
// its value names. A required one is refused when missing and shown
// without brackets; options of one group (set's changes) are shown as
// "GROUP...", and a required group needs at least one of them.
struct tool_option {
    std::string_view name;
    std::string_view value;
    std::string help;
    option_taker take;
    word_kind names = word_kind::none;
    bool required = false;
    std::string_view group = {};
};

// A positional argument: its placeholder, how many it stands for, and what
// it names.
enum class arity { one, optional, many };  // many: one or more
struct tool_positional {
    std::string_view name;
    arity count = arity::one;
    word_kind names = word_kind::area;
};

struct command_line;

// One row of the table: a command. Its synopsis is its name, each option
// in brackets, then its positionals; refusal is what the usage error says
// after the command's name when the positionals are not as the row has them.
struct tool_command {
    std::string_view name;
    std::string_view summary;      // one line, for areatool --help
    std::string description;  // areatool NAME --help: what it does, in lines
    std::vector<tool_positional> positionals;
    std::string_view refusal;
    std::vector<tool_option> options;
    int (*run)(const command_line &line);
    std::string exit_statuses;
};

// The command line of one command, sorted: arguments holds the positionals
// in order, as many as the row allows.
struct command_line {
    const tool_command &command;
    tool_options options;
    std::vector<std::string> arguments;
};

// The table, in the order areatool --help lists it.
extern const std::vector<tool_command> commands;

// areatool's whole work on the arguments after its own name; returns its
// exit status.
int run_areatool(const std::vector<std::string> &args);

// areatool COMMAND --help, and areatool --help.
std::string command_help(const tool_command &command);
std::string tool_help();
// What the shell's completion reads: one line a word areatool takes, from
// the rows (areatool --complete-words).
std::string completion_words();

// Sorts args, the arguments after the command's name, into line's
// positionals and options, handing each option's value (the next argument,
// or after '=') to the taker its row lists; "--" ends the options. Returns
// why the arguments are wrong, empty when they are not.
std::string parse_arguments(const std::vector<std::string> &args, command_line &line);

// "1 to 16" for --scale and "15, 16, 24 or 32" for --depth, for the help
// and the messages.
std::string scale_range();
std::string depth_choices();

// Prints why the command line is wrong in one line, pointing to command's
// help (to areatool's with none); returns status_usage.
int refuse_command_line(std::string_view command, const std::string &why);

// Prints "areatool: LINE" on stderr, a problem that does not end the
// command; report(what, why) prints "areatool: WHAT: WHY".
void report(const std::string &line);
void report(const std::string &what, const std::string &why);
// "cannot read PATH: WHY" and "cannot write PATH: WHY": what every command
// says of a file it could not read or write.
std::string cannot_read(const std::string &path, const std::string &why);
std::string cannot_write(const std::string &path, const std::string &why);
// Reports line and returns status, for a command that ends on it.
int fail_with(const std::string &line, int status);

int run_show(const command_line &line);
int run_render(const command_line &line);
int run_check(const command_line &line);
int run_merge(const command_line &line);
int run_tileset(const command_line &line);
int run_diff(const command_line &line);
int run_new(const command_line &line);
int run_set(const command_line &line);
int run_edit(const command_line &line);
int run_resolve(const command_line &line);
int run_atlas(const command_line &line);
int run_review(const command_line &line);
int run_usage(const command_line &line);
int run_find(const command_line &line);
