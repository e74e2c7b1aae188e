// areatool show: each area as plain text, stable enough to serve git as a
// textconv driver, or with --json as one JSON object for scripts. Start
// reading at run_show(), then show_area().

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "tool/json.h"
#include "text/text.h"
#include "tool/tool.h"

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

bool mark_on_board(const area_record &area)
{
    return area.mark_col >= 0 && area.mark_col < board_cols && area.mark_row >= 0
           && area.mark_row < board_rows;
}

// The name, the mark, the time, then the board with its column numbers
// above and row numbers to the left; 'v' above and '>' '<' beside it point
// at the mark's column and row.
std::string show_area(const area_record &area, bool longer)
{
    std::string_view name = area_name(area);
    bool open = name.size() == static_cast<std::size_t>(name_size);
    std::string text = "name:" + std::string(name.empty() ? "" : " ") + printable(name)
                       + (open ? " (not terminated within its 8 bytes)" : "") + "\n";
    bool marked = mark_on_board(area);
    text += "mark: " + position_text(area.mark_col, area.mark_row) + (marked ? "" : " (off the board)")
            + "\n";
    text += "time allowed: " + value_text(area.time_allowed) + "\n";
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

int run_show(const command_line &line)
{
    const std::vector<std::string> &files = line.files;
    bool json = line.options.json;
    if (files.empty())
        return refuse_arguments(line, "needs at least one area file");
    int status = status_fine;
    bool first = true;
    for (const std::string &path : files) {
        area_record area;
        bool longer = false;
        if (std::string why = read_area_file(path.c_str(), area, longer); !why.empty()) {
            report("cannot read " + path, why);
            status = status_file_problem;
            continue;
        }
        if (json) {
            print_json_line(form_area_json(path, area, longer));
            continue;
        }
        if (files.size() > 1)
            std::printf("%s==> %s <==\n", first ? "" : "\n", printable(path).c_str());
        first = false;
        std::fputs(show_area(area, longer).c_str(), stdout);
    }
    std::fflush(stdout);
    return status;
}
