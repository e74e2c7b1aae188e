// areatool: works on area files from the command line, without a window or
// a display. Its commands are the rows of the table below; main, the help
// and the parsing of the command line are made from it, and each command
// is a file of its own (show.cpp, render.cpp, check.cpp, merge.cpp,
// tileset.cpp) that parses its own options with parse_arguments.
//
// Start reading at the table, then main().

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

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
     "Draws the board as the editor does, into a PNG.\n"
     "\n"
     "  --tiles PATH   tile set to draw with (default: graphics.dat in this\n"
     "                 folder, else the editor's own)\n"
     "  --scale N      whole-number enlargement, 1 to 16 (default: 1)\n"
     "  --depth BITS   colour depth to draw at: 15, 16, 24 or 32 (default: 32;\n"
     "                 the editor shows new areas at 16 and loaded ones at 15)\n",
     {tiles_option, scale_option, depth_option}, run_render},
    {"check", "report every problem of each file as an area file",
     "check [--tiles PATH] FILE...\n"
     "\n"
     "Reports every problem of each file as an area file.\n"
     "\n"
     "  --tiles PATH   accept any value that is a bitmap in PATH\n"
     "                 (default: only -1 and 0 to 8)\n",
     {tiles_option}, run_check},
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
     "beside it.\n"
     "\n"
     "  --tiles PATH   tile set to draw (default: as for render)\n",
     {tiles_option}, run_tileset},
};

constexpr const char *exit_statuses =
    "Exit status: 0 all fine; 1 a file could not be read, rendered or written,\n"
    "check found a problem, or merge left conflicts; 2 the command line is\n"
    "wrong.\n";

constexpr int summary_column = 12;  // where the summaries start in the help

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
        std::printf("Usage: areatool %.*s\n%s", static_cast<int>(command->usage.size()),
                    command->usage.data(), exit_statuses);
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
