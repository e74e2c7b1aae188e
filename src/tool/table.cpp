// areatool's table of commands: one row a command, with its positionals,
// its options and their takers. Everything areatool shows or parses of a
// command line comes from here: the help (help.cpp), the parser
// (parse.cpp) and the shell's completion (through completion_words).
// Start reading at the table.

#include <string>
#include <string_view>
#include <vector>

#include "formats/formats.h"
#include "number/number.h"
#include "platform/platform.h"
#include "text/text.h"
#include "tiles/tiles.h"
#include "tool/command_line.h"

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
                                        take_tiles, word_kind::path};
const tool_option scale_choice = {
    scale_option, "N",
    "whole-number enlargement, " + scale_range() + " (default: " + std::to_string(default_scale) + ")",
    take_scale};
const tool_positional area_files = {"FILE", arity::many};
// resolve's --take: its placeholder is its choice of words.
const std::string side_choice = std::string(side_names[0]) + "|" + std::string(side_names[1]);

}  // namespace

const std::vector<tool_command> commands = {
    {"show", "print each area as text",
     "Prints each area as text: name, mark, allowed time and the board\n"
     "('.' empty, 0-9 a tile, '?' other).\n",
     {area_files}, "needs at least one area file",
     {{json_option, "", "print one JSON object per file instead, every field\n"
                        "of the record in it", take_json}},
     run_show, statuses_with("a file could not be read")},
    {"render", "draw the board as the editor does, into a PNG",
     "Draws the board as the editor does, into a PNG.\n",
     {{"FILE"}, {"OUT.png", arity::one, word_kind::png}}, "takes one area file and one PNG to write",
     {{tiles_option, "PATH",
       "tile set to draw with (default: graphics.dat in this\n"
       "folder, else the editor's own)",
       take_tiles, word_kind::path},
      scale_choice,
      {depth_option, "BITS",
       "colour depth to draw at: " + depth_choices() + " (default: " + std::to_string(default_depth)
           + ";\nthe editor shows new areas at " + std::to_string(new_area_depth) + " and loaded ones at "
           + std::to_string(loaded_area_depth) + ")",
       take_depth}},
     run_render, statuses_with("a file could not be read, rendered or written")},
    {"check", "report every problem of each file as an area file",
     "Reports every problem of each file as an area file.\n",
     {area_files}, "needs at least one area file",
     {{tiles_option, "PATH",
       "accept any value that is a bitmap in PATH\n"
       "(default: only -1 and " + range_text(0, painted_tiles - 1) + ")",
       take_tiles, word_kind::path},
      {json_option, "", "print one JSON object per problem instead", take_json},
      {format_option, "FORMAT",
       "print problems as " + check_format_choices() + "\n(default: " + std::string(text_format) + "; "
           + std::string(json_format) + " as " + std::string(json_option) + "; see man areatool)",
       take_format}},
     run_check, statuses_with("a file could not be read or has a problem")},
    {"merge", "merge two areas changed from a base, as git's merge driver",
     "Merges two areas changed from BASE (git's merge driver: %O %A %B %P),\n"
     "cell by cell and field by field, into OURS; each value changed two ways\n"
     "keeps ours and is listed, NAME in each line.\n",
     {{"BASE"}, {"OURS"}, {"THEIRS"}, {"NAME", arity::optional}},
     "takes BASE, OURS and THEIRS, and optionally the name to report",
     {}, run_merge, statuses_with("a file could not be read or written, or values changed two ways")},
    {"resolve", "settle a merge's conflicts as text in your editor, as git's mergetool",
     wrapped("Merges LOCAL and REMOTE from BASE as merge does, into MERGED: the command git mergetool runs. "
             "Values changed two ways open as text in your editor, as edit opens an area, each written "
             "ours|theirs where it stands and listed on top; MERGED is written once the text reads with no "
             "| left. An emptied text, a failing editor or a text handed back unchanged leave MERGED as it "
             "was. Without conflicts, MERGED is written at once."),
     {{"BASE"}, {"LOCAL"}, {"REMOTE"}, {"MERGED"}}, "takes BASE, LOCAL, REMOTE and MERGED",
     {{take_option, side_choice, "settle every conflict for that side, without the\neditor, and merge the rest",
       take_side, word_kind::choice}},
     run_resolve,
     statuses_with("conflicts are left, a file could not be read or written, or the editor failed")},
    {"tileset", "write the tile pictures as a tile set for Tiled",
     "Writes the tile pictures as a Tiled tile set, tile v as the editor draws\n"
     "value v: OUT.tsx (default: graphics.tsx) and its PNG sheet, OUT.png\n"
     "beside it.\n",
     {{"OUT.tsx", arity::optional, word_kind::tsx}}, "takes at most one file to write",
     {{tiles_option, "PATH", "tile set to draw (default: as for render)", take_tiles, word_kind::path}},
     run_tileset, statuses_with("the tile set could not be read or the files written")},
    {"diff", "list what changed between two areas, or draw it into a PNG",
     "Prints one line for each difference, in the order of the file: the mark,\n"
     "the allowed time, each cell by column and row, the name (all 8 bytes).\n",
     {{"OLD"}, {"NEW"}}, "takes two area files, OLD and NEW",
     {{png_option, "OUT.png",
       "also draw OLD left and NEW right as render does, the\n"
       "unchanged cells darkened, the changed ones framed in\n"
       "black and yellow",
       take_png, word_kind::png},
      tiles_to_draw_with,
      scale_choice,
      {json_option, "", "print one JSON object per difference instead", take_json}},
     run_diff,
     "Exit status: 0 the areas are the same; 1 they differ; 2 trouble: a file\n"
     "could not be read or is not an area, the PNG could not be written, or the\n"
     "command line is wrong.\n"},
    {"new", "write NAME.ard, a new empty area",
     "Writes NAME.ard as the editor's \"Start a new area\" makes it: every cell\n"
     "empty (-1), the mark at column 0, row 0, the allowed time 0 or T. An\n"
     "existing NAME.ard is never replaced.\n",
     {{"NAME", arity::one, word_kind::none}}, "takes one name",
     {{time_option, "T", "the allowed time (a number: " + examples_text(time_examples, examples_form::listed) + ")",
       take_time}},
     run_new, statuses_with("NAME.ard exists already or could not be written")},
    {"set", "change cells, mark, time or name of areas without the window",
     "Applies the changes, in the order given, to each FILE and saves it as the\n"
     "editor does; a file they leave as it was is not written. A value is a\n"
     "number as the editor reads one: " + examples_text(value_examples, examples_form::with_bases) + ".\n",
     {area_files}, "needs at least one area file",
     {{cell_option, "C,R=V",
       "set the cell at column C, row R (" + range_text(0, board_cols - 1) + ") to V; "
           + std::to_string(mark_tile) + " also\nmoves the mark there, as painting does",
       take_cell, word_kind::none, true, change_group},
      {fill_option, "V", "set every cell to V; the mark stays", take_fill, word_kind::none, true, change_group},
      {replace_option, "OLD=NEW", "set every cell holding OLD to NEW; the mark stays", take_replace,
       word_kind::none, true, change_group},
      {mark_option, "C,R", "put the mark at column C, row R", take_mark, word_kind::none, true, change_group},
      {time_option, "T", "set the allowed time", take_time_change, word_kind::none, true, change_group},
      {name_option, "NAME", "set the stored name; the file keeps its own", take_name, word_kind::none, true,
       change_group}},
     run_set, statuses_with("a file could not be read or written")},
    {"usage", "count the tile values areas use, and the tiles none uses",
     "Prints one line for each value any cell of the areas holds, in order of\n"
     "value, empty (-1) first: its cells and the areas that hold it, flagged\n"
     "when the tile set cannot draw it; then each picture of the tile set that\n"
     "no area uses. A file that cannot be read is reported, the rest counted.\n",
     {area_files}, "needs at least one area file",
     {{tiles_option, "PATH", "tile set to judge by (default: as for render)", take_tiles, word_kind::path},
      {json_option, "", "print one JSON object per value and per unused tile\ninstead", take_json}},
     run_usage, statuses_with("a file could not be read or is not an area, or the tile set could not be read")},
    {"find", "list the cells that hold a tile value, or the files",
     "Prints each cell holding VALUE, a line each, in the order of the files and\n"
     "then row by row as show prints the board. VALUE is a number as set reads\n"
     "one: " + examples_text(value_examples, examples_form::with_bases) + "; -1 finds the empty cells.\n",
     {{"VALUE", arity::one, word_kind::none}, area_files}, "takes a value and one or more area files",
     {{files_option, "", "print each file holding VALUE once instead, as grep -l\ndoes", take_files},
      {json_option, "", "print one JSON object per cell (or file) instead", take_json}},
     run_find,
     "Exit status: 0 a cell was found; 1 none was; 2 trouble: a file could not\n"
     "be read or is not an area, or the command line is wrong.\n"},
    {"edit", "change an area as text in your own text editor",
     wrapped("Opens the area as text in $VISUAL, else $EDITOR, else " + std::string(posix_editor) + " ("
             + windows_editor + " on Windows): the name, the mark, the allowed time and each row's cells. "
             "When the editor ends, the text is saved as the editor saves; text that does not read comes "
             "back with its errors on top, and an emptied or unchanged text leaves the file as it was."),
     {{"FILE"}}, "takes one area file",
     {}, run_edit, statuses_with("the file could not be read or written, or the editor failed")},
    {"atlas", "draw many areas into one PNG, each named under its board",
     "Draws every area into one PNG as render draws it, in the order given, left\n"
     "to right and then top to bottom, each board in a margin of the editor's\n"
     "green with its file's name under it. A file that cannot be read leaves\n"
     "its place empty but for its name.\n",
     {area_files, {"OUT.png", arity::one, word_kind::png}}, "takes one or more area files and one PNG to write",
     {tiles_to_draw_with,
      scale_choice,
      {columns_option, "N",
       "boards to a row, " + range_text(min_columns, max_columns) + " (default: as many as\nthere are rows)",
       take_columns}},
     run_atlas, statuses_with("a file could not be read, or the PNG drawn or written")},
    {"review", "write a web page of what changed between two folders of areas",
     "Pairs the files of folders OLD and NEW by their paths within them, as\n"
     "git difftool --dir-diff hands them over, and writes DIR/index.html: the\n"
     "counts of changed, added, removed and unchanged areas, each change's\n"
     "picture as diff draws it with its differences and the problems check\n"
     "finds in the new version, each added area's picture and problems, each\n"
     "removed one's picture, and the unchanged ones by path. The page is\n"
     "static: its pictures are beside it in DIR, and nothing else in DIR is\n"
     "touched. With --summary it also writes the review as Markdown into FILE,\n"
     "or only that without --out: the counts, a table of the areas that are\n"
     "not unchanged and each change's lines, cut at "
         + digits_grouped(summary_limit) + " characters.\n",
     {{"OLD"}, {"NEW"}}, "takes two folders, OLD and NEW",
     {tiles_to_draw_with,
      scale_choice,
      {out_option, "DIR", "the folder to write the page and its pictures into", take_out, word_kind::folder},
      {summary_option, "FILE", "write the review into FILE as GitHub-flavoured Markdown,\n"
                               "for a job's summary or a request's comment", take_summary, word_kind::path},
      {image_url_option, "URL", "with --out, show each picture in the summary from\n"
                                "URL/PATH.png, an address where DIR is published", take_image_url}},
     run_review,
     "Exit status: 0 no area differs; 1 some differ; 2 trouble: a file is not\n"
     "an area, a folder could not be read, the page or the summary could not\n"
     "be written, or the command line is wrong.\n"},
};
