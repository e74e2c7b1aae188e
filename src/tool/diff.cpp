// areatool diff: what changed between two areas, one line a difference in
// the order of the file (with --json, one object), with the exit status of
// diff and cmp; and with --png a picture of both boards side by side, the
// changed cells framed, for a review. Start reading at run_diff().

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "formats/formats.h"
#include "pictures/pictures.h"
#include "tool/command_line.h"

int run_diff(const command_line &line)
{
    const std::string &old_path = line.arguments[0];
    const std::string &new_path = line.arguments[1];
    area_record old_area, new_area;
    for (auto [path, area] : {std::pair{&old_path, &old_area}, {&new_path, &new_area}}) {
        if (std::string why = read_whole_area(*path, *area); !why.empty()) {
            report(cannot_read(*path, why));
            return status_trouble;
        }
    }
    std::vector<area_difference> differences = diff_areas(old_area, new_area);
    for (const area_difference &difference : differences) {
        if (line.options.json)
            std::printf("%s\n", difference_json_line(old_area, new_area, difference).c_str());
        else
            std::printf("%s\n", difference.line.c_str());
    }
    std::fflush(stdout);
    int status = differences.empty() ? status_same : status_different;
    const std::string &png = line.options.png;
    if (png.empty())
        return status;

    owned_tiles drawn;
    bool output_is_input = false;
    if (std::string why = start_drawing({line.options.tiles, default_depth, {png}, {old_path, new_path}}, drawn,
                                        output_is_input);
        !why.empty())
        return fail_with(why, status_trouble);
    owned_bitmap picture;
    std::string why = draw_difference(old_area, new_area, differences, drawn.tiles, line.options.scale, picture);
    if (why.empty())
        why = write_png(png, picture.get());
    if (!why.empty()) {
        report(cannot_write(png, why));
        return status_trouble;
    }
    return status;
}
