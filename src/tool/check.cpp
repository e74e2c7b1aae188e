// areatool check: says whether files are sound area files, one line for
// each problem found (with --json, one object). Start reading at run_check(), then find_problems().

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "tool/json.h"
#include "tool/drawing.h"
#include "text/text.h"
#include "tool/tool.h"

namespace {

constexpr int max_cell_reports = 10;  // per file; the rest are counted

}  // namespace

std::vector<area_problem> find_problems(const area_record &area, bool longer,
                                        const std::function<bool(std::int32_t)> &drawable)
{
    std::vector<area_problem> problems;
    if (longer)
        problems.push_back({longer_than_area});
    std::string_view name = area_name(area);
    if (name.size() == static_cast<std::size_t>(name_size))
        problems.push_back({"the name is not terminated within its 8 bytes"});
    else if (const char *why = name_problem(name))
        problems.push_back({why});
    else if (const char *why_not_on_windows = windows_name_problem(name))
        problems.push_back({why_not_on_windows});  // usable here, but not saved on Windows
    int bad_cells = 0;
    for (int col = 0; col < board_cols; ++col) {
        for (int row = 0; row < board_rows; ++row) {
            std::int32_t value = area.cells[col][row];
            if (drawable(value) || ++bad_cells > max_cell_reports)
                continue;
            problems.push_back({"cell at " + position_text(col, row) + " holds " + value_text(value)
                                    + ", which the tile set cannot draw",
                                true, col, row});
        }
    }
    if (bad_cells > max_cell_reports)
        problems.push_back({"and " + std::to_string(bad_cells - max_cell_reports)
                            + " more cells the tile set cannot draw"});
    if (!mark_on_board(area))
        problems.push_back({"the mark (" + position_text(area.mark_col, area.mark_row)
                            + ") is off the board"});
    return problems;
}

bool value_drawable(const loaded_tiles &tiles, std::int32_t value)
{
    if (value == empty_tile)
        return true;
    if (!tiles.datafile)
        return value >= 0 && value < painted_tiles;
    return tile_picture(tiles, value) != nullptr;
}

int run_check(const command_line &line)
{
    const std::string &tiles = line.options.tiles;
    const std::vector<std::string> &files = line.files;
    bool json = line.options.json;
    if (files.empty())
        return refuse_arguments(line, "needs at least one area file");

    loaded_tiles drawn;
    if (!tiles.empty() && !start_drawing(default_depth, tiles, drawn))
        return status_file_problem;
    auto drawable = [&drawn](std::int32_t value) { return value_drawable(drawn, value); };
    int status = status_fine;
    for (const std::string &path : files) {
        area_record area;
        bool longer = false;
        if (std::string why = read_area_file(path.c_str(), area, longer); !why.empty()) {
            std::fflush(stdout);  // keeps the lines of both streams in file order
            report("cannot read " + path, why);
            status = status_file_problem;
            continue;
        }
        std::vector<area_problem> problems = find_problems(area, longer, drawable);
        for (const area_problem &problem : problems) {
            if (json)
                print_json_line(form_problem_json(path, problem));
            else
                std::printf("%s: %s\n", printable(path).c_str(), problem.line.c_str());
        }
        if (!problems.empty())
            status = status_file_problem;
    }
    std::fflush(stdout);
    unload_tiles(drawn);
    return status;
}
