// show's text of an area: the name, the mark, the allowed time, then the
// board with its column numbers above and row numbers to the left, stable
// enough to serve git as a textconv driver. Start reading at show_area().

#include <cstdio>
#include <string>
#include <string_view>

#include "records/records.h"
#include "text/text.h"

namespace {

constexpr char empty_cell = '.';
constexpr char unknown_cell = '?';
constexpr const char *column_indent = "    ";  // the width of a row's label and marker

std::string board_row(const area_record &area, int row)
{
    std::string cells;
    for (int col = 0; col < board_cols; ++col) {
        std::int32_t value = area.cells[col][row];
        if (value == empty_tile)
            cells += empty_cell;
        else if (value >= 0 && value <= 9)
            cells += static_cast<char>('0' + value);
        else
            cells += unknown_cell;
    }
    return cells;
}

// printf into a string, for the lines of show_area.
template <typename... Args>
std::string format(const char *pattern, Args... args)
{
    int size = std::snprintf(nullptr, 0, pattern, args...);
    std::string text(static_cast<std::size_t>(size), '\0');
    std::snprintf(text.data(), text.size() + 1, pattern, args...);
    return text;
}

}  // namespace

// 'v' above and '>' '<' beside the board point at the mark's column and row.
std::string show_area(const area_record &area, bool longer)
{
    std::string_view name = area_name(area);
    std::string text = std::string(name_label) + ":" + (name.empty() ? "" : " ") + printable(name)
                       + (name_terminated(area) ? "" : " (" + std::string(name_unterminated) + ")") + "\n";
    bool marked = mark_on_board(area);
    text += std::string(mark_label) + ": " + position_text(area.mark_col, area.mark_row) + (marked ? "" : " (off the board)")
            + "\n";
    text += std::string(time_label) + ": " + value_text(area.time_allowed) + "\n";
    if (longer)
        text += "note: the file holds more than " + std::to_string(area_file_size) + " bytes; only the first "
                + std::to_string(area_file_size) + " are the area\n";
    text += format("\n%s0123456789\n", column_indent);
    if (marked)
        text += format("%s%*sv\n", column_indent, area.mark_col, "");
    for (int row = 0; row < board_rows; ++row) {
        bool mark_row = marked && row == area.mark_row;
        text += format("%2d %c%s%s\n", row, mark_row ? '>' : ' ', board_row(area, row).c_str(),
                       mark_row ? "<" : "");
    }
    return text;
}
