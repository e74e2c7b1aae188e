// Tiled's tile sheet: tile v of the sheet, left to right and then down, is
// what the editor draws for a cell holding v, picture or placeholder, on
// black. Start reading at draw_tile_sheet().

#include <algorithm>
#include <string>

#include <allegro.h>

#include "pictures/pictures.h"

namespace {

constexpr int board_cells = board_cols * board_rows;

}  // namespace

// The values the tile set pictures: up to its last bitmap entry. The
// library adds entries of its own after the pictures, such as the
// datafile's grabber information.
tile_sheet_layout lay_out_tile_sheet(const loaded_tiles &tiles)
{
    tile_sheet_layout layout;
    layout.count = tiles.count;
    while (layout.count > 0 && !tile_picture(tiles, layout.count - 1))
        --layout.count;
    layout.columns = std::min(layout.count, board_cols);
    layout.rows = layout.columns == 0 ? 0 : (layout.count + layout.columns - 1) / layout.columns;
    return layout;
}

// A board of up to 100 values is composed at a time, on board, and its
// cells copied out through flat, a copy of it at the sheet's depth.
std::string draw_tile_sheet(const loaded_tiles &tiles, const tile_sheet_layout &layout, owned_bitmap &sheet)
{
    owned_bitmap board, flat;
    std::string why = make_bitmap(board_size, board_size, depth_set, board);
    if (why.empty())
        why = make_bitmap(board_size, board_size, png_depth, flat);
    if (why.empty())
        why = make_bitmap(layout.columns * tile_size, layout.rows * tile_size, png_depth, sheet);
    if (!why.empty())
        return why;
    clear_to_color(sheet.get(), makecol_depth(png_depth, 0, 0, 0));
    for (int first = 0; first < layout.count; first += board_cells) {
        area_record area{};
        for (int c = 0; c < board_cols; ++c) {
            for (int r = 0; r < board_rows; ++r) {
                int value = first + board_rows * c + r;
                area.cells[c][r] = value < layout.count ? value : empty_tile;
            }
        }
        compose_board(area, tiles, board.get());
        copy_scaled(board.get(), flat.get(), 1);
        for (int value = first; value < layout.count && value < first + board_cells; ++value) {
            int cell = value - first;
            blit(flat.get(), sheet.get(), cell / board_rows * tile_size, cell % board_rows * tile_size,
                 value % layout.columns * tile_size, value / layout.columns * tile_size, tile_size, tile_size);
        }
    }
    return {};
}
