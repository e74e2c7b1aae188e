// areatool tileset: writes the tile pictures as a tile set for the Tiled
// map editor (its extension in tiled/ opens areas with it): OUT.tsx and its
// PNG sheet beside it, tile v of the sheet what the editor draws for v.
// Start reading at run_tileset().

#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "formats/formats.h"
#include "pictures/pictures.h"
#include "platform/platform.h"
#include "text/text.h"
#include "tool/command_line.h"

namespace {

constexpr const char *default_tileset_file = "graphics.tsx";
constexpr std::string_view tileset_extension = ".tsx";
constexpr const char *sheet_extension = ".png";

// The PNG beside a tileset file: its name with .png for .tsx.
std::string sheet_path(const std::string &tsx)
{
    std::string base = tsx;
    if (base.ends_with(tileset_extension))
        base.resize(base.size() - tileset_extension.size());
    return base + sheet_extension;
}

// The sheet and the tileset file are replaced together: a failure at any
// step, the last move included, leaves both old files as they were.
std::string write_tileset(const std::string &tsx, const std::string &text, const std::string &png,
                          BITMAP *sheet)
{
    return replace_files({png, tsx}, [&](std::size_t index, int fd, const std::string &) {
        if (index == 0)
            return save_whole_png(fd, sheet);
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
    std::string tsx = line.arguments.empty() ? default_tileset_file : line.arguments[0];
    std::string png = sheet_path(tsx);
    drawing_plan plan{line.options.tiles, default_depth, {tsx, png}, {}};
    plan.overwrite_refusal = "is the tile set to read; choose another file to write";
    owned_tiles drawn;
    bool output_is_input = false;
    if (std::string why = start_drawing(plan, drawn, output_is_input); !why.empty())
        return fail_with(why, output_is_input ? status_usage : status_file_problem);
    // Said plainly before anything is drawn or written.
    for (const std::string &out : {tsx, png}) {
        if (is_folder(out))
            return fail_with(cannot_write(out, "is a folder"), status_file_problem);
    }

    tile_sheet_layout layout = lay_out_tile_sheet(drawn.tiles);
    owned_bitmap sheet;
    if (std::string why = draw_tile_sheet(drawn.tiles, layout, sheet); !why.empty())
        return fail_with(said_of(png, why), status_file_problem);
    std::string image(base_name(png));
    std::string name = image.substr(0, image.size() - std::strlen(sheet_extension));
    std::string text = tile_set_xml(name, image, layout.count, layout.columns, layout.rows);
    if (std::string why = write_tileset(tsx, text, png, sheet.get()); !why.empty()) {
        report(cannot_write(tsx, why));
        return status_file_problem;
    }
    return status_fine;
}
