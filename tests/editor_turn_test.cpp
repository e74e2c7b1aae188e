// The pieces of an editor turn that need no window: the brush from the
// held number keys, the cell under a screen pixel, and a paint with the
// mark it moves. The window tests under tests/window/ drive the same
// pieces through real input; these pin the edges.

#include <array>
#include <optional>

#include <gtest/gtest.h>

#include <allegro.h>

#include "editor/editor.h"
#include "support/areas.h"

namespace {

struct held_keys {
    std::array<char, KEY_MAX> keys{};

    held_keys(std::initializer_list<int> digits)
    {
        for (int digit : digits)
            keys[KEY_0 + digit] = 1;
    }
};

TEST(editor_turn, highest_held_number_key_wins_and_none_keeps_the_brush)
{
    EXPECT_EQ(brush_from_keys(held_keys{2, 6, 4}.keys.data(), empty_tile), 6);
    EXPECT_EQ(brush_from_keys(held_keys{0}.keys.data(), 7), 0);
    EXPECT_EQ(brush_from_keys(held_keys{}.keys.data(), 7), 7);
    EXPECT_EQ(brush_from_keys(held_keys{}.keys.data(), empty_tile), empty_tile);
}

TEST(editor_turn, nine_erases_and_beats_every_other_key)
{
    EXPECT_EQ(brush_from_keys(held_keys{9}.keys.data(), 4), empty_tile);
    EXPECT_EQ(brush_from_keys(held_keys{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}.keys.data(), 4), empty_tile);
}

TEST(editor_turn, edge_pixels_of_the_board_are_inside_and_their_neighbours_outside)
{
    auto at = [](int x, int y) -> std::optional<std::pair<int, int>> {
        if (auto cell = cell_at(x, y))
            return std::pair{cell->col, cell->row};
        return std::nullopt;
    };
    EXPECT_EQ(at(280, 10), std::pair(0, 0));
    EXPECT_EQ(at(629, 359), std::pair(9, 9));
    EXPECT_EQ(at(314, 44), std::pair(0, 0));  // last pixel of the first cell
    EXPECT_EQ(at(315, 45), std::pair(1, 1));
    EXPECT_EQ(at(279, 100), std::nullopt);
    EXPECT_EQ(at(630, 100), std::nullopt);
    EXPECT_EQ(at(400, 9), std::nullopt);
    EXPECT_EQ(at(400, 360), std::nullopt);
    // Truncating division would take these to column or row 0.
    EXPECT_EQ(at(250, 100), std::nullopt);
    EXPECT_EQ(at(400, -20), std::nullopt);
}

TEST(editor_turn, mark_follows_the_last_three_and_stays_when_it_is_painted_over)
{
    current_area = empty_area();
    paint_cell(current_area, {2, 5}, mark_tile);
    EXPECT_EQ(current_area.mark_col, 2);
    EXPECT_EQ(current_area.mark_row, 5);
    paint_cell(current_area, {7, 1}, mark_tile);
    EXPECT_EQ(current_area.mark_col, 7);
    EXPECT_EQ(current_area.mark_row, 1);

    paint_cell(current_area, {7, 1}, 4);
    paint_cell(current_area, {2, 5}, empty_tile);
    EXPECT_EQ(current_area.cells[7][1], 4);
    EXPECT_EQ(current_area.cells[2][5], empty_tile);
    EXPECT_EQ(current_area.mark_col, 7);
    EXPECT_EQ(current_area.mark_row, 1);
}

}  // namespace
