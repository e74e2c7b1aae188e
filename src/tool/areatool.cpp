// areatool: works on area files from the command line, without a window or
// a display. Its commands are the rows of the table below; main, the help
// and the parsing of the command line are made from it, and each command
// is a file of its own (show.cpp, render.cpp, check.cpp, merge.cpp,
// tileset.cpp, diff.cpp, new.cpp, set.cpp) that parses its own options with
// parse_arguments.
//
// Start reading at the table, then main().

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "text/text.h"
#include "tool/tool.h"

namespace {

const std::vector<tool_command> commands = {
    {"show", "print each area as text",
     "show FILE...\n"
     "\n"
     "Prints each area as text: name, mark, allowed time and the board\n"
     "('.' empty, 0-9 a tile, '?' other).\n",
     {}, run_show},
    {"render", "draw the board as the editor does, into a PNG",
     "render [--tiles PATH] [--scale N] [--depth BITS] FILE OUT.png\n"
     "\n"
     "Draws the board as the editor does, into a PNG.\n",
     {{tiles_option, "PATH", "tile set to draw with (default: graphics.dat in this\n"
                             "folder, else the editor's own)"},
      {scale_option, "N", "whole-number enlargement, 1 to 16 (default: 1)"},
      {depth_option, "BITS", "colour depth to draw at: 15, 16, 24 or 32 (default: 32;\n"
                             "the editor shows new areas at 16 and loaded ones at 15)"}},
     run_render},
    {"check", "report every problem of each file as an area file",
     "check [--tiles PATH] FILE...\n"
     "\n"
     "Reports every problem of each file as an area file.\n",
     {{tiles_option, "PATH", "accept any value that is a bitmap in PATH\n"
                             "(default: only -1 and 0 to 8)"}},
     run_check},
    {"merge", "merge two areas changed from a base, as git's merge driver",
     "merge BASE OURS THEIRS [NAME]\n"
     "\n"
     "Merges two areas changed from BASE (git's merge driver: %O %A %B %P),\n"
     "cell by cell and field by field, into OURS; each value changed two ways\n"
     "keeps ours and is listed, NAME in each line.\n",
     {}, run_merge},
    {"tileset", "write the tile pictures as a tile set for Tiled",
     "tileset [--tiles PATH] [OUT.tsx]\n"
     "\n"
     "Writes the tile pictures as a Tiled tile set, tile v as the editor draws\n"
     "value v: OUT.tsx (default: graphics.tsx) and its PNG sheet, OUT.png\n"
     "beside it.\n",
     {{tiles_option, "PATH", "tile set to draw (default: as for render)"}},
     run_tileset},
    {"diff", "list what changed between two areas, or draw it into a PNG",
     "diff [--png OUT.png] [--tiles PATH] [--scale N] OLD NEW\n"
     "\n"
     "Prints one line for each difference, in the order of the file: the mark,\n"
     "the allowed time, each cell by column and row, the name (all 8 bytes).\n",
     {{png_option, "OUT.png", "also draw OLD left and NEW right as render does, the\n"
                              "changed cells framed in magenta"},
      {tiles_option, "PATH", "tile set to draw with (default: as for render)"},
      {scale_option, "N", "whole-number enlargement, 1 to 16 (default: 1)"}},
     run_diff,
     "Exit status: 0 the areas are the same; 1 they differ; 2 trouble: a file\n"
     "could not be read or is not an area, the PNG could not be written, or the\n"
     "command line is wrong.\n"},
    {"new", "write NAME.ard, a new empty area",
     "new [--time T] NAME\n"
     "\n"
     "Writes NAME.ard as the editor's \"Start a new area\" makes it: every cell\n"
     "empty (-1), the mark at column 0, row 0, the allowed time 0 or T. An\n"
     "existing NAME.ard is never replaced.\n",
     {{time_option, "T", "the allowed time (a number: 90, -5, 0x1e, 036)"}},
     run_new},
    {"set", "change cells, mark, time or name of areas without the window",
     "set CHANGE... FILE...\n"
     "\n"
     "Applies the changes, in the order given, to each FILE and saves it as the\n"
     "editor does; a file they leave as it was is not written. A value is a\n"
     "number as the editor reads one: 12, -1, 0x1f (hex), 017 (octal).\n",
     {{cell_option, "C,R=V", "set the cell at column C, row R (0 to 9) to V; 3 also\n"
                             "moves the mark there, as painting does"},
      {fill_option, "V", "set every cell to V; the mark stays"},
      {replace_option, "OLD=NEW", "set every cell holding OLD to NEW; the mark stays"},
      {mark_option, "C,R", "put the mark at column C, row R"},
      {time_option, "T", "set the allowed time"},
      {name_option, "NAME", "set the stored name; the file keeps its own"}},
     run_set},
};

constexpr const char *exit_statuses =
    "Exit status: 0 all fine; 1 a file could not be read, rendered or written,\n"
    "check found a problem, or merge left conflicts; 2 the command line is\n"
    "wrong. diff: 0 same, 1 different, 2 trouble.\n";

constexpr int summary_column = 12;  // where the summaries start in the help
constexpr int option_column = 15;   // where an option's text starts, past its indent, at least

// The option lines of a command's help: each option with its value, then
// its text, every line of that text starting in one column.
void print_options(const std::vector<tool_option> &options)
{
    if (options.empty())
        return;
    std::size_t column = option_column;
    for (const tool_option &option : options)
        column = std::max(column, option.name.size() + 1 + option.value.size() + 2);
    std::printf("\n");
    for (const tool_option &option : options) {
        std::string head = std::string(option.name) + " " + std::string(option.value);
        std::string_view text = option.help;
        for (bool first = true; !text.empty() || first; first = false) {
            std::size_t end = std::min(text.find('\n'), text.size());
            std::printf("  %-*s%.*s\n", static_cast<int>(column), first ? head.c_str() : "",
                        static_cast<int>(end), text.data());
            text.remove_prefix(std::min(end + 1, text.size()));
        }
    }
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

// The help of command, or with none, the list of all of them.
void print_help(const tool_command *command)
{
    if (command) {
        std::string_view statuses = command->exit_statuses.empty() ? exit_statuses : command->exit_statuses;
        std::printf("Usage: areatool %.*s", static_cast<int>(command->usage.size()),
                    command->usage.data());
        print_options(command->options);
        std::printf("\n%.*s", static_cast<int>(statuses.size()), statuses.data());
        return;
    }
    std::printf("Usage: areatool COMMAND [OPTIONS] FILE...\n\nCommands:\n");
    for (const tool_command &row : commands)
        std::printf("  %-*.*s%.*s\n", summary_column, static_cast<int>(row.name.size()),
                    row.name.data(), static_cast<int>(row.summary.size()), row.summary.data());
    std::printf("\n"
                "  areatool COMMAND --help   that command's usage and options\n"
                "  areatool --help           this text\n"
                "\n%s",
                exit_statuses);
}

}  // namespace

int main(int argc, char **argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    const tool_command *command = args.empty() ? nullptr : find_command(args[0]);
    if (asks_for_help(args)) {
        print_help(command);
        return status_fine;
    }
    if (args.empty())
        return refuse_command_line("no command given");
    if (!command)
        return refuse_command_line("unknown command '" + printable(args[0]) + "'");
    return command->run({args.begin() + 1, args.end()});
}
