// areatool atlas: many areas in one PNG, each board drawn as render draws
// it, in the order given, with its file's name under it in the library's
// own font. Start reading at run_atlas(), then lay_out_atlas().

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <allegro.h>

#include "platform/platform.h"
#include "text/text.h"
#include "tool/drawing.h"
#include "tool/tool.h"

namespace {

// The picture is held whole in memory until it is written: past this it
// is refused rather than risking the machine's memory.
constexpr std::int64_t max_picture_bytes = std::int64_t{1} << 30;
constexpr int png_pixel_bytes = 3;

constexpr rgb name_colour{0, 0, 0};
constexpr std::string_view cut_mark = "...";

// The file's name without its folder, as the library's font can write it:
// control characters as \xHH, other bytes outside ASCII as '?', cut with
// "..." to the width of a board.
std::string label_text(const std::string &path)
{
    std::string name = printable(base_name(path));
    for (char &c : name) {
        if (static_cast<unsigned char>(c) >= 0x80)
            c = '?';
    }
    std::size_t fits = board_size / text_length(font, "x");
    if (name.size() > fits)
        name = name.substr(0, fits - cut_mark.size()) + std::string(cut_mark);
    return name;
}

// Writes path's name centred under the board whose top left is at (x, y),
// enlarged with it.
void write_label(BITMAP *picture, const std::string &path, int scale, int x, int y)
{
    std::string text = label_text(path);
    int width = text_length(font, text.c_str()), height = text_height(font);
    owned_bitmap label = make_bitmap(width, height, png_depth);
    if (!label)
        return;
    clear_to_color(label.get(), colour_at_depth(outside_colour, png_depth));
    textout_ex(label.get(), font, text.c_str(), 0, 0, colour_at_depth(name_colour, png_depth), -1);
    copy_scaled(label.get(), picture, scale, x + (board_size - width) / 2 * scale,
                y + (board_size + (atlas_margin - height) / 2) * scale);
}

}  // namespace

atlas_layout lay_out_atlas(std::size_t count, int columns)
{
    atlas_layout layout;
    layout.columns = columns;
    while (layout.columns == 0 || static_cast<std::size_t>(layout.columns) * layout.columns < count)
        ++layout.columns;
    layout.rows = static_cast<int>((count + layout.columns - 1) / layout.columns);
    layout.width = atlas_margin + std::int64_t{layout.columns} * atlas_pitch;
    layout.height = atlas_margin + std::int64_t{layout.rows} * atlas_pitch;
    return layout;
}

int run_atlas(const command_line &line)
{
    if (line.files.size() < 2)
        return refuse_arguments(line, "takes one or more area files and one PNG to write");
    std::vector<std::string> paths(line.files.begin(), line.files.end() - 1);
    const std::string &out = line.files.back();
    int scale = line.options.scale;
    atlas_layout layout = lay_out_atlas(paths.size(), line.options.columns);
    std::int64_t width = layout.width * scale, height = layout.height * scale;
    if (width * height * png_pixel_bytes > max_picture_bytes)
        return refuse_arguments(line, "of " + std::to_string(paths.size()) + " boards at scale "
                                          + std::to_string(scale) + " would be " + std::to_string(width) + " x "
                                          + std::to_string(height)
                                          + " pixels, more than " + std::to_string(max_picture_bytes >> 30)
                                          + " GiB of memory; use a smaller --scale or fewer files");
    std::string tiles = tile_set_to_draw(line.options.tiles);
    if (tiles.empty())
        return status_file_problem;
    std::vector<std::string> inputs = paths;
    inputs.push_back(tiles);
    if (writes_over_input(out, inputs))
        return status_usage;
    loaded_tiles drawn;
    if (!start_drawing(default_depth, tiles, drawn))
        return status_file_problem;

    int status = status_fine;
    owned_bitmap board = make_bitmap(board_size, board_size);
    owned_bitmap picture = make_bitmap(static_cast<int>(width), static_cast<int>(height), png_depth);
    if (!board || !picture) {
        report(out, no_memory_for_picture);
        status = status_file_problem;
    } else {
        clear_to_color(picture.get(), colour_at_depth(outside_colour, png_depth));
        for (std::size_t i = 0; i < paths.size(); ++i) {
            int x = (atlas_margin + static_cast<int>(i % layout.columns) * atlas_pitch) * scale;
            int y = (atlas_margin + static_cast<int>(i / layout.columns) * atlas_pitch) * scale;
            area_record area;
            bool longer = false;
            if (std::string why = read_area_file(paths[i].c_str(), area, longer); !why.empty()) {
                report("cannot read " + paths[i], why);
                status = status_file_problem;
            } else {
                draw_board_at(area, drawn, board.get(), picture.get(), scale, x, y);
            }
            write_label(picture.get(), paths[i], scale, x, y);
        }
        if (std::string why = write_png(out, picture.get()); !why.empty()) {
            report("cannot write " + out, why);
            status = status_file_problem;
        }
    }
    unload_tiles(drawn);
    return status;
}
