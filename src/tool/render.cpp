// areatool render: draws an area's board into a PNG with the editor's own
// drawing code. Start reading at run_render().

#include <string>
#include <vector>

#include "platform/platform.h"
#include "tool/drawing.h"
#include "tool/tool.h"

int run_render(const command_line &line)
{
    if (line.files.size() != 2)
        return refuse_arguments(line, "takes one area file and one PNG to write");
    const std::string &path = line.files[0];
    const std::string &out = line.files[1];
    std::string tiles = tile_set_to_draw(line.options.tiles);
    if (tiles.empty())
        return status_file_problem;
    if (writes_over_input(out, {path, tiles}))
        return status_usage;
    area_record area;
    bool longer = false;
    if (std::string why = read_area_file(path.c_str(), area, longer); !why.empty()) {
        report("cannot read " + path, why);
        return status_file_problem;
    }
    loaded_tiles drawn;
    if (!start_drawing(line.options.depth, tiles, drawn))
        return status_file_problem;

    int status = status_file_problem;
    if (owned_bitmap picture = draw_board_picture(area, drawn, line.options.scale); !picture)
        report(out, no_memory_for_picture);
    else if (std::string why = write_png(out, picture.get()); !why.empty())
        report("cannot write " + out, why);
    else
        status = status_fine;
    unload_tiles(drawn);
    return status;
}
