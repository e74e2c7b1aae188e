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
    int scale = line.options.scale;
    std::string tiles = tile_set_to_draw(line.options.tiles);
    if (tiles.empty())
        return status_file_problem;
    if (same_file(out, path) || same_file(out, tiles)) {
        report(out, "is one of the files to read; choose another PNG to write");
        return status_usage;
    }
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
    int size = board_size * scale;
    owned_bitmap board = make_bitmap(board_size, board_size);
    owned_bitmap picture = make_bitmap(size, size, png_depth);
    if (!board || !picture) {
        report(out, "not enough memory for the picture");
    } else {
        draw_board_at(area, drawn, board.get(), picture.get(), scale, 0, 0);
        if (std::string why = write_png(out, picture.get()); !why.empty())
            report("cannot write " + out, why);
        else
            status = status_fine;
    }
    unload_tiles(drawn);
    return status;
}
