// areatool: works on area files from the command line, without a window or
// a display. Its commands are the rows of the table below, each option
// with its taker; the help and the parsing of the command line are made
// from the rows, and each command is a file of its own (show.cpp,
// render.cpp, check.cpp, merge.cpp, tileset.cpp, diff.cpp, new.cpp,
// set.cpp, edit.cpp, atlas.cpp, review.cpp). main.cpp hands the arguments to run_areatool.
//
// Start reading at the table, then run_areatool().

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "text/text.h"
#include "tool/tool.h"

namespace {

constexpr std::size_t help_width = 75;  // the longest line of help text

// text broken into lines of at most help_width characters, at spaces.
std::string wrapped(std::string_view text)
{
    std::string lines;
    while (text.size() > help_width) {
        std::size_t space = text.rfind(' ', help_width);
        lines += std::string(text.substr(0, space)) + "\n";
        text.remove_prefix(space + 1);
    }
    return lines + std::string(text) + "\n";
}

// The exit statuses of a command whose status 1 means failure.
std::string statuses_with(std::string_view failure)
{
    return wrapped("Exit status: 0 all fine; 1 " + std::string(failure)
                   + "; 2 the command line is wrong.");
}

// The options that several commands take alike.
const tool_option tiles_to_draw_with = {tiles_option, "PATH", "tile set to draw with (default: as for render)",
                                        take_tiles};
const tool_option scale_choice = {
    scale_option, "N",
    "whole-number enlargement, " + scale_range() + " (default: " + std::to_string(default_scale) + ")",
    take_scale};

}  // namespace

const std::vector<tool_command> commands = {
    {"show", "print each area as text", "FILE...",
     "Prints each area as text: name, mark, allowed time and the board\n"
     "('.' empty, 0-9 a tile, '?' other).\n",
     {{json_option, "", "print one JSON object per file instead, every field\n"
                        "of the record in it", take_json}},
     run_show, statuses_with("a file could not be read")},
    {"render", "draw the board as the editor does, into a PNG", "FILE OUT.png",
     "Draws the board as the editor does, into a PNG.\n",
     {{tiles_option, "PATH",
       "tile set to draw with (default: graphics.dat in this\n"
       "folder, else the editor's own)",
       take_tiles},
      scale_choice,
      {depth_option, "BITS",
       "colour depth to draw at: " + depth_choices() + " (default: " + std::to_string(default_depth)
           + ";\nthe editor shows new areas at 16 and loaded ones at 15)",
       take_depth}},
     run_render, statuses_with("a file could not be read, rendered or written")},
    {"check", "report every problem of each file as an area file", "FILE...",
     "Reports every problem of each file as an area file.\n",
     {{tiles_option, "PATH",
       "accept any value that is a bitmap in PATH\n"
       "(default: only -1 and 0 to 8)",
       take_tiles},
      {json_option, "", "print one JSON object per problem instead", take_json}},
     run_check, statuses_with("a file could not be read or has a problem")},
    {"merge", "merge two areas changed from a base, as git's merge driver",
     "BASE OURS THEIRS [NAME]",
     "Merges two areas changed from BASE (git's merge driver: %O %A %B %P),\n"
     "cell by cell and field by field, into OURS; each value changed two ways\n"
     "keeps ours and is listed, NAME in each line.\n",
     {}, run_merge, statuses_with("a file could not be read or written, or values changed two ways")},
    {"tileset", "write the tile pictures as a tile set for Tiled", "[OUT.tsx]",
     "Writes the tile pictures as a Tiled tile set, tile v as the editor draws\n"
     "value v: OUT.tsx (default: graphics.tsx) and its PNG sheet, OUT.png\n"
     "beside it.\n",
     {{tiles_option, "PATH", "tile set to draw (default: as for render)", take_tiles}},
     run_tileset, statuses_with("the tile set could not be read or the files written")},
    {"diff", "list what changed between two areas, or draw it into a PNG", "OLD NEW",
     "Prints one line for each difference, in the order of the file: the mark,\n"
     "the allowed time, each cell by column and row, the name (all 8 bytes).\n",
     {{png_option, "OUT.png",
       "also draw OLD left and NEW right as render does, the\n"
       "unchanged cells darkened, the changed ones framed in\n"
       "black and yellow",
       take_png},
      tiles_to_draw_with,
      scale_choice,
      {json_option, "", "print one JSON object per difference instead", take_json}},
     run_diff,
     "Exit status: 0 the areas are the same; 1 they differ; 2 trouble: a file\n"
     "could not be read or is not an area, the PNG could not be written, or the\n"
     "command line is wrong.\n"},
    {"new", "write NAME.ard, a new empty area", "NAME",
     "Writes NAME.ard as the editor's \"Start a new area\" makes it: every cell\n"
     "empty (-1), the mark at column 0, row 0, the allowed time 0 or T. An\n"
     "existing NAME.ard is never replaced.\n",
     {{time_option, "T", "the allowed time (a number: 90, -5, 0x1e, 036)", take_change}},
     run_new, statuses_with("NAME.ard exists already or could not be written")},
    {"set", "change cells, mark, time or name of areas without the window", "FILE...",
     "Applies the changes, in the order given, to each FILE and saves it as the\n"
     "editor does; a file they leave as it was is not written. A value is a\n"
     "number as the editor reads one: 12, -1, 0x1f (hex), 017 (octal).\n",
     {{cell_option, "C,R=V",
       "set the cell at column C, row R (0 to 9) to V; 3 also\n"
       "moves the mark there, as painting does",
       take_change},
      {fill_option, "V", "set every cell to V; the mark stays", take_change},
      {replace_option, "OLD=NEW", "set every cell holding OLD to NEW; the mark stays", take_change},
      {mark_option, "C,R", "put the mark at column C, row R", take_change},
      {time_option, "T", "set the allowed time", take_change},
      {name_option, "NAME", "set the stored name; the file keeps its own", take_change}},
     run_set, statuses_with("a file could not be read or written"), "CHANGE..."},
    {"edit", "change an area as text in your own text editor", "FILE",
     "Opens the area as text in $VISUAL, else $EDITOR, else vi (notepad on\n"
     "Windows): the name, the mark, the allowed time and each row's cells. When\n"
     "the editor ends, the text is saved as the editor saves; text that does not\n"
     "read comes back with its errors on top, and an emptied or unchanged text\n"
     "leaves the file as it was.\n",
     {}, run_edit, statuses_with("the file could not be read or written, or the editor failed")},
    {"atlas", "draw many areas into one PNG, each named under its board", "FILE... OUT.png",
     "Draws every area into one PNG as render draws it, in the order given, left\n"
     "to right and then top to bottom, each board in a margin of the editor's\n"
     "green with its file's name under it. A file that cannot be read leaves\n"
     "its place empty but for its name.\n",
     {tiles_to_draw_with,
      scale_choice,
      {columns_option, "N",
       "boards to a row, " + range_text(min_columns, max_columns) + " (default: as many as\nthere are rows)",
       take_columns}},
     run_atlas, statuses_with("a file could not be read, or the PNG drawn or written")},
    {"review", "write a web page of what changed between two folders of areas", "OLD NEW",
     "Pairs the files of folders OLD and NEW by their paths within them, as\n"
     "git difftool --dir-diff hands them over, and writes DIR/index.html: the\n"
     "counts of changed, added, removed and unchanged areas, each change's\n"
     "picture as diff draws it with its differences and the problems check\n"
     "finds in the new version, each added area's picture and problems, each\n"
     "removed one's picture, and the unchanged ones by path. The page is\n"
     "static: its pictures are beside it in DIR, and nothing else in DIR is\n"
     "touched.\n",
     {tiles_to_draw_with,
      scale_choice,
      {out_option, "DIR", "the folder to write the page and its pictures into", take_out, true}},
     run_review,
     "Exit status: 0 no area differs; 1 some differ; 2 trouble: a file is not\n"
     "an area, a folder could not be read, the page could not be written, or\n"
     "the command line is wrong.\n"},
};

namespace {

constexpr const char *exit_statuses =
    "Exit status: 0 all fine; 1 a file could not be read, rendered or written,\n"
    "check found a problem, or merge left conflicts; 2 the command line is\n"
    "wrong. diff and review: 0 same, 1 different, 2 trouble.\n";

constexpr std::size_t summary_column = 12;  // where the summaries start in the help
constexpr std::size_t option_column = 15;   // where an option's text starts, past its indent, at least

std::string padded(std::string text, std::size_t width)
{
    text.resize(std::max(text.size(), width), ' ');
    return text;
}

// The option lines of a command's help: each option with its value, then
// its text, every line of that text starting in one column.
std::string options_help(const std::vector<tool_option> &options)
{
    if (options.empty())
        return {};
    std::size_t column = option_column;
    for (const tool_option &option : options)
        column = std::max(column, option.name.size() + 1 + option.value.size() + 2);
    std::string help = "\n";
    for (const tool_option &option : options) {
        std::string head(option.name);
        if (!option.value.empty())
            head += " " + std::string(option.value);
        std::string_view text = option.help;
        for (bool first = true; !text.empty() || first; first = false) {
            std::size_t end = std::min(text.find('\n'), text.size());
            help += "  " + padded(first ? head : "", column) + std::string(text.substr(0, end)) + "\n";
            text.remove_prefix(std::min(end + 1, text.size()));
        }
    }
    return help;
}

const tool_command *find_command(std::string_view name)
{
    for (const tool_command &command : commands) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

bool asks_for_help(const std::vector<std::string> &args)
{
    for (const std::string &arg : args) {
        if (arg == "--")
            return false;
        if (arg == "--help" || arg == "-h")
            return true;
    }
    return false;
}

}  // namespace

std::string command_help(const tool_command &command)
{
    std::string synopsis = "Usage: areatool " + std::string(command.name);
    if (!command.options_shown_as.empty())
        synopsis += " " + std::string(command.options_shown_as);
    else {
        for (const tool_option &option : command.options) {
            std::string shown = std::string(option.name) + (option.value.empty() ? "" : " ")
                                + std::string(option.value);
            synopsis += " " + (option.required ? shown : "[" + shown + "]");
        }
    }
    return synopsis + " " + std::string(command.arguments) + "\n\n" + std::string(command.description)
           + options_help(command.options) + "\n" + command.exit_statuses;
}

std::string tool_help()
{
    std::string help = "Usage: areatool COMMAND [OPTIONS] FILE...\n\nCommands:\n";
    for (const tool_command &row : commands)
        help += "  " + padded(std::string(row.name), summary_column) + std::string(row.summary) + "\n";
    return help
           + "\n"
             "  areatool COMMAND --help   that command's usage and options\n"
             "  areatool --help           this text\n"
             "  areatool --version        the version of areatool\n"
             "\n"
           + exit_statuses;
}

int run_areatool(const std::vector<std::string> &args)
{
    const tool_command *command = args.empty() ? nullptr : find_command(args[0]);
    if (asks_for_help(args)) {
        std::fputs((command ? command_help(*command) : tool_help()).c_str(), stdout);
        return status_fine;
    }
    if (args.empty())
        return refuse_command_line({}, "no command given");
    if (args[0] == "--version") {
        std::printf("areatool (areaedit) %s\n", AREAEDIT_VERSION);
        return status_fine;
    }
    if (!command)
        return refuse_command_line({}, "unknown command '" + printable(args[0]) + "'");
    command_line line{*command, {}, {}};
    if (std::string why = parse_arguments({args.begin() + 1, args.end()}, line); !why.empty())
        return refuse_command_line(command->name, why);
    return command->run(line);
}
