// areatool atlas: many areas in one PNG, as pictures' draw_atlas draws
// them. Start reading at run_atlas().

#include <cstdint>
#include <string>
#include <vector>

#include "pictures/pictures.h"
#include "text/text.h"
#include "tool/command_line.h"

namespace {

// The picture is held whole in memory until it is written: past this it
// is refused rather than risking the machine's memory.
constexpr std::int64_t max_picture_bytes = std::int64_t{1} << 30;
constexpr int png_pixel_bytes = 3;

}  // namespace

int run_atlas(const command_line &line)
{
    std::vector<std::string> paths(line.arguments.begin(), line.arguments.end() - 1);
    const std::string &out = line.arguments.back();
    int scale = line.options.scale;
    atlas_layout layout = lay_out_atlas(paths.size(), line.options.columns);
    std::int64_t width = layout.width * scale, height = layout.height * scale;
    if (width * height * png_pixel_bytes > max_picture_bytes)
        return refuse_command_line(line.command.name,
                                   std::string(line.command.name) + " of " + std::to_string(paths.size())
                                       + " boards at scale " + std::to_string(scale) + " would be "
                                       + std::to_string(width) + " x " + std::to_string(height) + " pixels, more than "
                                       + std::to_string(max_picture_bytes >> 30)
                                       + " GiB of memory; use a smaller --scale or fewer files");
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
            report("cannot read " + paths[i], why);
            status = status_file_problem;
        } else {
            boards[i].read = true;
        }
    }
    owned_bitmap picture;
    if (std::string why = draw_atlas(boards, layout, drawn.tiles, scale, picture); !why.empty())
        return fail_with(said_of(out, why), status_file_problem);
    if (std::string why = write_png(out, picture.get()); !why.empty()) {
        report("cannot write " + out, why);
        return status_file_problem;
    }
    return status;
}
