// The atlas: many boards in one picture, each drawn as render draws it, in
// the order given, with its file's name under it in the library's own font.
// It is drawn and written one band at a time, so that its memory does not
// grow with the number of boards. Start reading at write_atlas(), then
// lay_out_atlas().

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <allegro.h>

#include "pictures/pictures.h"
#include "platform/platform.h"
#include "text/text.h"

namespace {

// The most one band of the atlas holds; a row of boards larger than that
// is drawn in parts.
constexpr std::int64_t band_bytes_limit = std::int64_t{16} << 20;
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

// Draws into band every board and name of the atlas that reaches into its
// rows, the band's row 0 being the atlas's row top; board is the square
// each board is composed on.
void draw_atlas_band(const std::vector<atlas_board> &boards, const atlas_layout &layout, const loaded_tiles &tiles,
                     int scale, BITMAP *board, BITMAP *band, int top)
{
    clear_to_color(band, colour_at_depth(outside_colour, png_depth));
    for (int row = 0; row < layout.rows; ++row) {
        int y = (atlas_margin + row * atlas_pitch) * scale - top;
        if (y >= band->h)
            break;
        if (y + atlas_pitch * scale <= 0)
            continue;
        for (int col = 0; col < layout.columns; ++col) {
            std::size_t i = static_cast<std::size_t>(row) * layout.columns + col;
            if (i >= boards.size())
                break;
            int x = (atlas_margin + col * atlas_pitch) * scale;
            if (boards[i].read && y + board_size * scale > 0)
                draw_board_at(boards[i].area, tiles, board, band, scale, x, y);
            if (y + board_size * scale < band->h)
                write_label(band, boards[i].path, scale, x, y);
        }
    }
}

}  // namespace

atlas_layout lay_out_atlas(std::size_t count, int columns)
{
    atlas_layout layout;
    layout.columns = columns;
    if (columns == 0) {
        layout.columns = 1;
        while (static_cast<std::size_t>(layout.columns) * layout.columns < count)
            ++layout.columns;
    }
    layout.rows = static_cast<int>((count + layout.columns - 1) / layout.columns);
    layout.width = atlas_margin + std::int64_t{layout.columns} * atlas_pitch;
    layout.height = atlas_margin + std::int64_t{layout.rows} * atlas_pitch;
    return layout;
}

bool atlas_fits_png(const atlas_layout &layout, int scale)
{
    return layout.width * scale <= png_side_limit && layout.height * scale <= png_side_limit;
}

std::string write_atlas(const std::vector<atlas_board> &boards, const atlas_layout &layout,
                        const loaded_tiles &tiles, int scale, const std::string &out)
{
    owned_bitmap board;
    if (std::string why = make_bitmap(board_size, board_size, depth_set, board); !why.empty())
        return why;
    int width = static_cast<int>(layout.width * scale), height = static_cast<int>(layout.height * scale);
    // A band is one row of boards with the margin above it, or the fewest
    // equal parts of one that each stay within the limit.
    std::int64_t pitch_rows = std::int64_t{atlas_pitch} * scale;
    std::int64_t parts = (pitch_rows * width * png_pixel_bytes + band_bytes_limit - 1) / band_bytes_limit;
    int band_rows = static_cast<int>((pitch_rows + parts - 1) / parts);
    return write_png_in_bands(out, width, height, band_rows, [&](BITMAP *band, int top) {
        draw_atlas_band(boards, layout, tiles, scale, board.get(), band, top);
    });
}
