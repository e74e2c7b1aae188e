// Areas for the tests and the fuzz targets: one of empty cells, as the
// editor starts one, and the bytes of a file as another program might have
// left it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "area/area.h"

// An area of empty cells with the mark at (mark_col, mark_row), no time,
// and name as its name field's first bytes (at most all 8), the rest zero.
inline area_record empty_area(std::string_view name = "hall", int mark_col = 0, int mark_row = 0)
{
    area_record area{};
    for (auto &column : area.cells)
        column.fill(empty_tile);
    std::memcpy(area.name.data(), name.data(), std::min(name.size(), area.name.size()));
    area.mark_col = mark_col;
    area.mark_row = mark_row;
    return area;
}

// area's 420 bytes, as its file holds them.
inline std::string file_bytes(const area_record &area)
{
    return std::string(reinterpret_cast<const char *>(&area), sizeof area);
}

// A file as another program might have left it: every byte set, the name
// "cave" followed by leftovers after its terminator.
inline std::string sample_area_file()
{
    std::string data(area_file_size, '\0');
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 7 + 3);
    const char name[name_size] = {'c', 'a', 'v', 'e', '\0', 'x', 'y', 'z'};
    std::memcpy(data.data() + area_file_size - name_size, name, name_size);
    return data;
}

// The 32-bit value at offset in a file's bytes.
inline std::int32_t int_at(const std::string &data, std::size_t offset)
{
    std::int32_t value;
    std::memcpy(&value, data.data() + offset, sizeof value);
    return value;
}
