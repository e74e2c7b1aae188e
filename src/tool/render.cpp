// areatool render: draws an area's board into a PNG with the editor's own
// drawing code. Start reading at run_render().

#include <string>

#include "pictures/pictures.h"
#include "text/text.h"
#include "tool/command_line.h"

int run_render(const command_line &line)
{
    const std::string &path = line.arguments[0];
    const std::string &out = line.arguments[1];
    owned_tiles drawn;
    bool output_is_input = false;
    if (std::string why = start_drawing({line.options.tiles, line.options.depth, {out}, {path}}, drawn,
                                        output_is_input);
        !why.empty())
        return fail_with(why, output_is_input ? status_usage : status_file_problem);
    area_record area;
    bool longer = false;
    if (std::string why = read_area_file(path.c_str(), area, longer); !why.empty()) {
        report(cannot_read(path, why));
        return status_file_problem;
    }
    owned_bitmap picture;
    if (std::string why = draw_board_picture(area, drawn.tiles, line.options.scale, picture); !why.empty())
        return fail_with(said_of(out, why), status_file_problem);
    if (std::string why = write_png(out, picture.get()); !why.empty()) {
        report(cannot_write(out, why));
        return status_file_problem;
    }
    return status_fine;
}
