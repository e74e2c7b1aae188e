// areatool find: where a tile value is used: each cell holding it, in the
// order of the files and then row by row as show prints the board, or each
// file once with --files; its exit status is grep's. Start reading at
// run_find(); the search is records' find_cells().

#include <cstdio>
#include <string>
#include <vector>

#include "formats/formats.h"
#include "text/text.h"
#include "tool/command_line.h"

int run_find(const command_line &line)
{
    std::int32_t value = 0;
    if (std::string why = read_value_of(std::string(line.command.name) + " VALUE", line.arguments[0], value); !why.empty())
        return refuse_command_line(line.command.name, why);
    bool json = line.options.json;
    bool found = false, trouble = false;
    for (auto path = line.arguments.begin() + 1; path != line.arguments.end(); ++path) {
        area_record area;
        if (std::string why = read_whole_area(*path, area); !why.empty()) {
            std::fflush(stdout);  // keeps the lines of both streams in file order
            report(cannot_read(*path, why));
            trouble = true;
            continue;
        }
        std::vector<cell_position> cells = find_cells(area, value);
        found = found || !cells.empty();
        if (line.options.files && !cells.empty()) {
            std::string text = json ? found_file_json_line(*path) : printable(*path);
            std::printf("%s\n", text.c_str());
        } else if (!line.options.files) {
            for (cell_position cell : cells) {
                std::string text = json ? found_cell_json_line(*path, cell, value)
                                        : printable(*path) + ": " + found_cell_line(cell);
                std::printf("%s\n", text.c_str());
            }
        }
    }
    if (trouble)
        return status_trouble;
    return found ? status_found : status_none_found;
}
