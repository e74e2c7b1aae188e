// areatool diff: what changed between two areas, one line a difference in
// the order of the file (with --json, one object), with the exit status of
// diff and cmp; and with --png a picture of both boards side by side, the
// changed cells framed (draw_difference draws it), for a review. Start
// reading at run_diff(), then diff_areas().

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include <allegro.h>

#include "platform/platform.h"
#include "text/text.h"
#include "tiles/tiles.h"
#include "tool/json.h"
#include "tool/drawing.h"
#include "tool/tool.h"

namespace {

// All 8 bytes of the name, so that two different names never look alike.
std::string name_text(const std::array<char, name_size> &name)
{
    return name_field_text({name.data(), name.size()}, name_field_form::every_byte);
}

}  // namespace

std::vector<area_difference> diff_areas(const area_record &old_area, const area_record &new_area)
{
    std::vector<area_difference> differences;
    if (old_area.mark_col != new_area.mark_col || old_area.mark_row != new_area.mark_row)
        differences.push_back({area_part::mark, 0, 0,
                               "mark: " + position_text(old_area.mark_col, old_area.mark_row) + " -> "
                                   + position_text(new_area.mark_col, new_area.mark_row)});
    if (old_area.time_allowed != new_area.time_allowed)
        differences.push_back({area_part::time_allowed, 0, 0,
                               "time allowed: " + value_text(old_area.time_allowed) + " -> "
                                   + value_text(new_area.time_allowed)});
    for (int col = 0; col < board_cols; ++col) {
        for (int row = 0; row < board_rows; ++row) {
            std::int32_t was = old_area.cells[col][row], is = new_area.cells[col][row];
            if (was != is)
                differences.push_back({area_part::cell, col, row,
                                       "cell at " + position_text(col, row) + ": " + value_text(was)
                                           + " -> " + value_text(is)});
        }
    }
    if (old_area.name != new_area.name)
        differences.push_back({area_part::name, 0, 0,
                               "name: " + name_text(old_area.name) + " -> "
                                   + name_text(new_area.name)});
    return differences;
}

int run_diff(const command_line &line)
{
    const std::string &png = line.options.png;
    const std::vector<std::string> &files = line.files;
    bool json = line.options.json;
    if (files.size() != 2)
        return refuse_arguments(line, "takes two area files, OLD and NEW");

    const std::string &old_path = files[0];
    const std::string &new_path = files[1];
    area_record old_area, new_area;
    for (auto [path, area] : {std::pair{&old_path, &old_area}, {&new_path, &new_area}}) {
        if (std::string why = read_whole_area(*path, *area); !why.empty()) {
            report("cannot read " + *path, why);
            return status_trouble;
        }
    }
    std::vector<area_difference> differences = diff_areas(old_area, new_area);
    for (const area_difference &difference : differences) {
        if (json)
            print_json_line(form_difference_json(old_area, new_area, difference));
        else
            std::printf("%s\n", difference.line.c_str());
    }
    std::fflush(stdout);
    int status = differences.empty() ? status_same : status_different;
    if (png.empty())
        return status;

    std::string tiles = tile_set_to_draw(line.options.tiles);
    if (tiles.empty())
        return status_trouble;
    if (writes_over_input(png, {old_path, new_path, tiles}))
        return status_trouble;
    loaded_tiles drawn;
    if (!start_drawing(default_depth, tiles, drawn))
        return status_trouble;
    owned_bitmap picture = draw_difference(old_area, new_area, differences, drawn, line.options.scale);
    std::string why = picture ? write_png(png, picture.get()) : no_memory_for_picture;
    unload_tiles(drawn);
    if (!why.empty()) {
        report("cannot write " + png, why);
        return status_trouble;
    }
    return status;
}
