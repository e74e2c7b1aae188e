// areatool tileset: writes the tile pictures as a tile set for the Tiled
// map editor (its extension in tiled/ opens areas with it): OUT.tsx and its
// PNG sheet beside it, tile v of the sheet what the editor draws for v.
// Start reading at run_tileset().

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include <allegro.h>

#include "editor/editor.h"
#include "platform/platform.h"
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

std::string base_name(const std::string &path)
{
    std::size_t slash = last_separator(path);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string xml_escaped(std::string_view text)
{
    std::string escaped;
    for (char ch : text) {
        switch (ch) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        default: escaped += ch;
        }
    }
    return escaped;
}

// The values the tile set pictures: up to its last bitmap entry. The
// library adds entries of its own after the pictures, such as the
// datafile's grabber information.
int pictured_values()
{
    int count = tile_count;
    while (count > 0 && !tile_picture(count - 1))
        --count;
    return count;
}

// Tile v of the sheet, left to right and then down, is what the editor
// draws for a cell holding v: picture or placeholder, on black. A board of
// up to 100 values is composed at a time, on board, and its cells copied
// out through flat, a copy of it at the sheet's depth.
void draw_sheet(BITMAP *sheet, BITMAP *board, BITMAP *flat, int count, int columns)
{
    for (int first = 0; first < count; first += board_cells) {
        area_record area{};
        for (int c = 0; c < board_cols; ++c) {
            for (int r = 0; r < board_rows; ++r) {
                int value = first + board_rows * c + r;
                area.cells[c][r] = value < count ? value : empty_tile;
            }
        }
        compose_board(area, board);
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
    char text[1024];
    std::snprintf(text, sizeof text,
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                  "<tileset version=\"1.8\" name=\"%s\" tilewidth=\"%d\" tileheight=\"%d\""
                  " tilecount=\"%d\" columns=\"%d\">\n"
                  " <image source=\"%s\" width=\"%d\" height=\"%d\"/>\n"
                  "</tileset>\n",
                  xml_escaped(name).c_str(), tile_size, tile_size, count, columns,
                  xml_escaped(sheet).c_str(), columns * tile_size, rows * tile_size);
    return text;
}

// The sheet is put in place from within the tileset file's replacement,
// once that file is written whole, and the tileset file right after it: a
// failure at any step before leaves both old files as they were.
std::string write_tileset(const std::string &tsx, const std::string &text, const std::string &png,
                          BITMAP *sheet)
{
    static std::string why;  // outlives the write below, which returns it
    return replace_file(tsx, [&](int fd, const char *) -> const char * {
        if (::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
            return "the tile set file could not be written (is the disk full?)";
        why = write_png(png, sheet);
        return why.empty() ? nullptr : why.c_str();
    });
}

bool is_folder(const std::string &path)
{
    struct stat file;
    return ::stat(path.c_str(), &file) == 0 && S_ISDIR(file.st_mode);
}

}  // namespace

int run_tileset(const std::vector<std::string> &args)
{
    std::string tiles;
    std::vector<std::string> files;
    std::string why = parse_arguments("tileset", args, {take_tiles(tiles)}, files);
    if (why.empty() && files.size() > 1)
        why = "tileset takes at most one file to write";
    if (!why.empty())
        return refuse_command_line(why);

    std::string tsx = files.empty() ? default_tileset_file : files[0];
    std::string png = sheet_path(tsx);
    tiles = tile_set_to_draw(tiles);
    if (tiles.empty())
        return status_file_problem;
    for (const std::string &out : {tsx, png}) {
        if (same_file(out, tiles)) {
            report(out, "is the tile set to read; choose another file to write");
            return status_usage;
        }
        // Found before the sheet is replaced, rather than when the
        // tileset file cannot be moved into place after it.
        if (is_folder(out)) {
            report("cannot write " + out, "is a folder");
            return status_file_problem;
        }
    }
    if (!start_library(default_depth, tiles))
        return status_file_problem;

    int status = status_file_problem;
    int count = pictured_values();
    int columns = std::min(count, board_cols);
    int rows = (count + columns - 1) / columns;
    BITMAP *board = create_bitmap(board_size, board_size);
    BITMAP *flat = create_bitmap_ex(png_depth, board_size, board_size);
    BITMAP *sheet = create_bitmap_ex(png_depth, columns * tile_size, rows * tile_size);
    if (!board || !flat || !sheet) {
        report(png, "not enough memory for the picture");
    } else {
        clear_to_color(sheet, makecol_depth(png_depth, 0, 0, 0));
        draw_sheet(sheet, board, flat, count, columns);
        std::string image = base_name(png);
        std::string name = image.substr(0, image.size() - std::strlen(sheet_extension));
        std::string text = tileset_text(name, image, count, columns, rows);
        if (std::string why = write_tileset(tsx, text, png, sheet); !why.empty())
            report("cannot write " + tsx, why);
        else
            status = status_fine;
    }
    for (BITMAP *bitmap : {sheet, flat, board}) {
        if (bitmap)
            destroy_bitmap(bitmap);
    }
    unload_tile_set();
    return status;
}
