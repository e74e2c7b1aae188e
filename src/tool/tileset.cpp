// areatool tileset: writes the tile pictures as a tile set for the Tiled
// map editor (its extension in tiled/ opens areas with it): OUT.tsx and its
// PNG sheet beside it, tile v of the sheet what the editor draws for v.
// Start reading at run_tileset().

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <allegro.h>

#include "platform/platform.h"
#include "text/text.h"
#include "tool/drawing.h"
#include "tool/tool.h"

namespace {

constexpr const char *default_tileset_file = "graphics.tsx";
constexpr std::string_view tileset_extension = ".tsx";
constexpr const char *sheet_extension = ".png";
constexpr int board_cells = board_cols * board_rows;

// The PNG beside a tileset file: its name with .png for .tsx.
std::string sheet_path(const std::string &tsx)
{
    std::string base = tsx;
    if (base.ends_with(tileset_extension))
        base.resize(base.size() - tileset_extension.size());
    return base + sheet_extension;
}

// The values the tile set pictures: up to its last bitmap entry. The
// library adds entries of its own after the pictures, such as the
// datafile's grabber information.
int pictured_values(const loaded_tiles &tiles)
{
    int count = tiles.count;
    while (count > 0 && !tile_picture(tiles, count - 1))
        --count;
    return count;
}

// Tile v of the sheet, left to right and then down, is what the editor
// draws for a cell holding v: picture or placeholder, on black. A board of
// up to 100 values is composed at a time, on board, and its cells copied
// out through flat, a copy of it at the sheet's depth.
void draw_sheet(const loaded_tiles &tiles, BITMAP *sheet, BITMAP *board, BITMAP *flat, int count,
                int columns)
{
    for (int first = 0; first < count; first += board_cells) {
        area_record area{};
        for (int c = 0; c < board_cols; ++c) {
            for (int r = 0; r < board_rows; ++r) {
                int value = first + board_rows * c + r;
                area.cells[c][r] = value < count ? value : empty_tile;
            }
        }
        compose_board(area, tiles, board);
        copy_scaled(board, flat, 1);
        for (int value = first; value < count && value < first + board_cells; ++value) {
            int cell = value - first;
            blit(flat, sheet, cell / board_rows * tile_size, cell % board_rows * tile_size,
                 value % columns * tile_size, value / columns * tile_size, tile_size, tile_size);
        }
    }
}

std::string tileset_text(const std::string &name, const std::string &sheet, int count, int columns,
                         int rows)
{
    auto number = [](int n) { return std::to_string(n); };
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<tileset version=\"1.8\" name=\"" + markup_escaped(name) + "\" tilewidth=\""
           + number(tile_size) + "\" tileheight=\"" + number(tile_size) + "\" tilecount=\""
           + number(count) + "\" columns=\"" + number(columns) + "\">\n"
           " <image source=\"" + markup_escaped(sheet) + "\" width=\"" + number(columns * tile_size)
           + "\" height=\"" + number(rows * tile_size) + "\"/>\n"
           "</tileset>\n";
}

// The sheet and the tileset file are replaced together: a failure at any
// step, the last move included, leaves both old files as they were.
std::string write_tileset(const std::string &tsx, const std::string &text, const std::string &png,
                          BITMAP *sheet)
{
    return replace_files({png, tsx}, [&](std::size_t index, int fd, const std::string &temp_path) {
        if (index == 0)
            return save_whole_png(fd, temp_path, sheet);
        if (!write_all(fd, text.data(), text.size()).empty())
            return std::string("the tile set file could not be written (is the disk full?)");
        return std::string();
    });
}

bool is_folder(const std::string &path)
{
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

}  // namespace

int run_tileset(const command_line &line)
{
    const std::vector<std::string> &files = line.files;
    if (files.size() > 1)
        return refuse_arguments(line, "takes at most one file to write");

    std::string tsx = files.empty() ? default_tileset_file : files[0];
    std::string png = sheet_path(tsx);
    std::string tiles = tile_set_to_draw(line.options.tiles);
    if (tiles.empty())
        return status_file_problem;
    for (const std::string &out : {tsx, png}) {
        if (same_file(out, tiles)) {
            report(out, "is the tile set to read; choose another file to write");
            return status_usage;
        }
        // Said plainly before anything is drawn or written.
        if (is_folder(out)) {
            report("cannot write " + out, "is a folder");
            return status_file_problem;
        }
    }
    loaded_tiles drawn;
    if (!start_drawing(default_depth, tiles, drawn))
        return status_file_problem;

    int status = status_file_problem;
    int count = pictured_values(drawn);
    int columns = std::min(count, board_cols);
    int rows = (count + columns - 1) / columns;
    owned_bitmap board = make_bitmap(board_size, board_size);
    owned_bitmap flat = make_bitmap(board_size, board_size, png_depth);
    owned_bitmap sheet = make_bitmap(columns * tile_size, rows * tile_size, png_depth);
    if (!board || !flat || !sheet) {
        report(png, no_memory_for_picture);
    } else {
        clear_to_color(sheet.get(), makecol_depth(png_depth, 0, 0, 0));
        draw_sheet(drawn, sheet.get(), board.get(), flat.get(), count, columns);
        std::string image(base_name(png));
        std::string name = image.substr(0, image.size() - std::strlen(sheet_extension));
        std::string text = tileset_text(name, image, count, columns, rows);
        if (std::string why = write_tileset(tsx, text, png, sheet.get()); !why.empty())
            report("cannot write " + tsx, why);
        else
            status = status_fine;
    }
    unload_tiles(drawn);
    return status;
}
