// The atlas: many boards in one picture, each drawn as render draws it, in
// the order given, with its file's name under it in the library's own font.
// Start reading at draw_atlas(), then lay_out_atlas().

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <allegro.h>

#include "pictures/pictures.h"
#include "platform/platform.h"
#include "text/text.h"

namespace {

constexpr rgb name_colour{0, 0, 0};
constexpr std::string_view cut_mark = "...";

// The file's name without its folder, as the library's font can write it:
// control characters as \xHH, other bytes outside ASCII as '?', cut with
// "..." to the width of a board.
std::string label_text(const std::string &path)
{
    std::string name = printable(base_name(path));
    for (char &c : name) {
        if (!printable_byte(c))
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
    owned_bitmap label;
    if (!make_bitmap(width, height, png_depth, label).empty())
        return;  // the board stays unnamed rather than the atlas undrawn
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

std::string draw_atlas(const std::vector<atlas_board> &boards, const atlas_layout &layout,
                       const loaded_tiles &tiles, int scale, owned_bitmap &picture)
{
    owned_bitmap board;
    std::string why = make_bitmap(board_size, board_size, depth_set, board);
    if (why.empty())
        why = make_bitmap(static_cast<int>(layout.width * scale), static_cast<int>(layout.height * scale), png_depth,
                          picture);
    if (!why.empty())
        return why;
    clear_to_color(picture.get(), colour_at_depth(outside_colour, png_depth));
    for (std::size_t i = 0; i < boards.size(); ++i) {
        int x = (atlas_margin + static_cast<int>(i % layout.columns) * atlas_pitch) * scale;
        int y = (atlas_margin + static_cast<int>(i / layout.columns) * atlas_pitch) * scale;
        if (boards[i].read)
            draw_board_at(boards[i].area, tiles, board.get(), picture.get(), scale, x, y);
        write_label(picture.get(), boards[i].path, scale, x, y);
    }
    return {};
}
