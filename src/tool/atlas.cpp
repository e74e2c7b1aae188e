// areatool atlas: many areas in one PNG, as pictures' write_atlas draws
// them. Start reading at run_atlas().

#include <string>
#include <vector>

#include "pictures/pictures.h"
#include "text/text.h"
#include "tool/command_line.h"

int run_atlas(const command_line &line)
{
    std::vector<std::string> paths(line.arguments.begin(), line.arguments.end() - 1);
    const std::string &out = line.arguments.back();
    int scale = line.options.scale;
    atlas_layout layout = lay_out_atlas(paths.size(), line.options.columns);
    if (!atlas_fits_png(layout, scale))
        return refuse_command_line(line.command.name,
                                   std::string(line.command.name) + " of " + std::to_string(paths.size())
                                       + " boards at scale " + std::to_string(scale) + " would be "
                                       + std::to_string(layout.width * scale) + " x "
                                       + std::to_string(layout.height * scale) + " pixels, more than a PNG's "
                                       + std::to_string(png_side_limit)
                                       + " a side; use a smaller --scale or fewer files");
    owned_tiles drawn;
    bool output_is_input = false;
    if (std::string why = start_drawing({line.options.tiles, default_depth, {out}, paths}, drawn, output_is_input);
        !why.empty())
        return fail_with(why, output_is_input ? status_usage : status_file_problem);

    int status = status_fine;
    std::vector<atlas_board> boards(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        boards[i].path = paths[i];
        bool longer = false;
        if (std::string why = read_area_file(paths[i].c_str(), boards[i].area, longer); !why.empty()) {
            report(cannot_read(paths[i], why));
            status = status_file_problem;
        } else {
            boards[i].read = true;
        }
    }
    if (std::string why = write_atlas(boards, layout, drawn.tiles, scale, out); !why.empty()) {
        report(cannot_write(out, why));
        return status_file_problem;
    }
    return status;
}
