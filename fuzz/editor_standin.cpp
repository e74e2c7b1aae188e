// The editor as the console dialogue sees it, for the fuzz targets: no
// window and no library, and a visit that returns at once after painting
// one cell chosen from a count of visits, so saves write changed areas.

#include "editor/editor.h"

#include "editor_standin.h"

namespace {
int visits = 0;
}

void reset_editor_standin()
{
    visits = 0;
}

void init_graphics(int, int, int, int, std::int8_t, int) {}

void exit_graphics(std::int8_t) {}

void edit_area()
{
    paint_cell(current_area, {visits % board_cols, (visits / board_cols) % board_rows},
               visits % painted_tiles);
    ++visits;
}

int brush_from_keys(const volatile char *, int brush)
{
    return brush;
}

std::optional<cell_position> cell_at(int, int)
{
    return std::nullopt;
}
