// usage and find: which tile values the cells of a game's areas hold, how
// often, in how many areas and where, so that a tile can be retired or
// swapped knowing what it touches. Start reading at count_usage(), then
// find_cells().

#include <algorithm>
#include <array>
#include <string>

#include "records/records.h"
#include "text/text.h"

namespace {

// "1 cell", "2 cells".
std::string counted(std::int64_t count, const char *thing)
{
    return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

}  // namespace

void count_usage(const area_record &area, usage_tally &tally)
{
    // Sorted, each value's cells are one run: one look-up a value, and the
    // area is counted once for each value it holds.
    std::array<std::int32_t, board_cols * board_rows> values;
    auto end = values.begin();
    for (const auto &column : area.cells)
        end = std::copy(column.begin(), column.end(), end);
    std::sort(values.begin(), values.end());
    for (auto run = values.begin(); run != values.end();) {
        auto past = std::upper_bound(run, values.end(), *run);
        value_usage &usage = tally.try_emplace(*run, value_usage{*run}).first->second;
        usage.cells += past - run;
        usage.areas += 1;
        run = past;
    }
}

std::vector<std::int32_t> find_unused_tiles(const usage_tally &tally, int entries,
                                            const std::function<bool(std::int32_t)> &drawable)
{
    std::vector<std::int32_t> unused;
    for (std::int32_t tile = 0; tile < entries; ++tile) {
        if (drawable(tile) && !tally.contains(tile))
            unused.push_back(tile);
    }
    return unused;
}

std::string usage_line(const value_usage &usage, bool drawable)
{
    std::string value = usage.value == empty_tile ? "empty" : value_text(usage.value);
    return value + ": " + counted(usage.cells, "cell") + " in " + counted(usage.areas, "area")
           + (drawable ? "" : " (the tile set cannot draw it)");
}

std::string unused_tile_line(std::int32_t tile)
{
    return "tile " + value_text(tile) + ": not used in any area";
}

std::vector<cell_position> find_cells(const area_record &area, std::int32_t value)
{
    std::vector<cell_position> found;
    for (int row = 0; row < board_rows; ++row) {
        for (int col = 0; col < board_cols; ++col) {
            if (area.cells[col][row] == value)
                found.push_back({col, row});
        }
    }
    return found;
}

std::string found_cell_line(cell_position cell)
{
    return "cell at " + position_text(cell.col, cell.row);
}
