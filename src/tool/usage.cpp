// areatool usage: how often each tile value is used over many areas and in
// how many of them, then the tile set's pictures no area uses. Start
// reading at run_usage(); the counting is records' count_usage().

#include <cstdio>
#include <string>

#include "formats/formats.h"
#include "pictures/pictures.h"
#include "tool/command_line.h"

int run_usage(const command_line &line)
{
    owned_tiles tiles;
    drawing_plan plan{line.options.tiles, default_depth, {}, {}};  // writes nothing
    bool output_is_input = false;
    if (std::string why = start_drawing(plan, tiles, output_is_input); !why.empty())
        return fail_with(why, status_file_problem);
    int status = status_fine;
    usage_tally tally;
    for (const std::string &path : line.arguments) {
        area_record area;
        if (std::string why = read_whole_area(path, area); !why.empty()) {
            report(cannot_read(path, why));
            status = status_file_problem;
            continue;
        }
        count_usage(area, tally);
    }
    auto drawable = [&tiles](std::int32_t value) { return value_drawable(tiles.tiles, value); };
    bool json = line.options.json;
    for (const auto &[value, usage] : tally) {
        std::string text = json ? usage_json_line(usage, drawable(value)) : usage_line(usage, drawable(value));
        std::printf("%s\n", text.c_str());
    }
    for (std::int32_t tile : find_unused_tiles(tally, tiles.tiles.count, drawable)) {
        std::string text = json ? usage_json_line({tile}, true) : unused_tile_line(tile);
        std::printf("%s\n", text.c_str());
    }
    return status;
}
