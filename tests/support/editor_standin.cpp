// The editor's functions as the console calls them, without a window (see
// editor_standin.h). Start reading at edit_area().

#include "editor/editor.h"

#include "support/editor_standin.h"

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
