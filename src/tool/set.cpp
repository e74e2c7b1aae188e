// areatool set: changes areas without the window, as the editor would
// change them, for designers who work by keyboard alone and for bulk edits
// by script. Each change is parsed whole before any file is touched; then
// they are applied in order to each file, and a file they change is written
// as a save writes it. Start reading at run_set(), then apply_change().

#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "number/number.h"
#include "platform/platform.h"
#include "text/text.h"
#include "tool/tool.h"

namespace {

// "C,R": a column and a row of the board.
bool parse_position(std::string_view text, int &col, int &row)
{
    std::size_t comma = text.find(',');
    if (comma == std::string_view::npos)
        return false;
    col = parse_bounded(std::string(text.substr(0, comma)), 0, board_cols - 1);
    row = parse_bounded(std::string(text.substr(comma + 1)), 0, board_rows - 1);
    return col >= 0 && row >= 0;
}

bool parse_value(std::string_view text, std::int32_t &value)
{
    std::optional<std::int32_t> number = parse_number(text);
    value = number.value_or(0);
    return number.has_value();
}

}  // namespace

std::string parse_change(std::string_view option, const std::string &value, area_change &change)
{
    std::string_view text = value;
    std::size_t equals = text.find('=');
    std::string_view left = text.substr(0, equals);
    std::string_view right = equals == std::string_view::npos ? "" : text.substr(equals + 1);
    bool paired = equals != std::string_view::npos;
    bool fine = false;
    const char *form = "";
    if (option == cell_option) {
        change.kind = change_kind::cell;
        form = "C,R=V: a column and a row from 0 to 9, and a value";
        fine = paired && parse_position(left, change.col, change.row) && parse_value(right, change.value);
    } else if (option == fill_option) {
        change.kind = change_kind::fill;
        form = "a value";
        fine = parse_value(text, change.value);
    } else if (option == replace_option) {
        change.kind = change_kind::replace;
        form = "OLD=NEW: two values";
        fine = paired && parse_value(left, change.from) && parse_value(right, change.value);
    } else if (option == mark_option) {
        change.kind = change_kind::mark;
        form = "C,R: a column and a row from 0 to 9";
        fine = parse_position(text, change.col, change.row);
    } else if (option == time_option) {
        change.kind = change_kind::time_allowed;
        form = "a value";
        fine = parse_value(text, change.value);
    } else if (option == name_option) {
        change.kind = change_kind::name;
        change.name = value;
        if (const char *why = tool_name_problem(value))
            return "cannot use that name: " + std::string(why);
        return {};
    }
    if (fine)
        return {};
    return std::string(option) + " takes " + form + " (a value is a number as 12, -1, 0x1f or 017 that"
           " fits 32 bits), not '" + printable(value) + "'";
}

void apply_change(area_record &area, const area_change &change)
{
    switch (change.kind) {
    case change_kind::cell:
        paint_cell(area, {change.col, change.row}, change.value);
        break;
    case change_kind::fill:
        for (auto &column : area.cells)
            column.fill(change.value);
        break;
    case change_kind::replace:
        for (auto &column : area.cells) {
            for (std::int32_t &cell : column)
                cell = cell == change.from ? change.value : cell;
        }
        break;
    case change_kind::mark:
        area.mark_col = change.col;
        area.mark_row = change.row;
        break;
    case change_kind::time_allowed:
        area.time_allowed = change.value;
        break;
    case change_kind::name:
        name_area(area, change.name);
        break;
    }
}

int run_set(const command_line &line)
{
    const std::vector<area_change> &changes = line.options.changes;
    const std::vector<std::string> &files = line.files;
    if (changes.empty())
        return refuse_arguments(line, "needs at least one change");
    if (files.empty())
        return refuse_arguments(line, "needs at least one area file");

    int status = status_fine;
    for (const std::string &path : files) {
        area_record area;
        if (std::string why = read_whole_area(path, area); !why.empty()) {
            report("cannot read " + path, why);
            status = status_file_problem;
            continue;
        }
        area_record changed = area;
        for (const area_change &change : changes)
            apply_change(changed, change);
        if (std::memcmp(&changed, &area, sizeof area) == 0)
            continue;  // not even rewritten
        if (std::string why = write_area_file(path, changed); !why.empty()) {
            report("cannot write " + path, why);
            status = status_file_problem;
        }
    }
    return status;
}
