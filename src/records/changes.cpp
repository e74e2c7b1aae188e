// set's changes, read from their options' values and applied as the editor
// would apply them; new's fresh area; an area read whole. Start reading at apply_change().

#include <string>
#include <string_view>

#include "number/number.h"
#include "records/records.h"
#include "text/text.h"

namespace {

// "C,R": a column and a row of the board; returns whether text is one.
bool read_position(std::string_view text, int &col, int &row)
{
    std::size_t comma = text.find(',');
    if (comma == std::string_view::npos)
        return false;
    return parse_bounded(text.substr(0, comma), 0, board_cols - 1, col).empty()
           && parse_bounded(text.substr(comma + 1), 0, board_rows - 1, row).empty();
}

bool read_value(std::string_view text, std::int32_t &value)
{
    return parse_number(text, value).empty();
}

// The two sides of "LEFT=RIGHT", and whether there was an '='.
bool split_pair(std::string_view text, std::string_view &left, std::string_view &right)
{
    std::size_t equals = text.find('=');
    left = text.substr(0, equals);
    right = equals == std::string_view::npos ? "" : text.substr(equals + 1);
    return equals != std::string_view::npos;
}

// Why option's value text does not read: it should have form.
std::string malformed(std::string_view option, std::string_view form, std::string_view text)
{
    return std::string(option) + " takes " + std::string(form) + " (a value is a number as " + examples_text(value_examples, examples_form::alternatives)
           + " that fits 32 bits), not '" + printable(text) + "'";
}

std::string positions()
{
    return "a column and a row from " + range_text(0, board_cols - 1);
}

}  // namespace

std::string read_cell_change(std::string_view option, std::string_view text, area_change &change)
{
    change.kind = change_kind::cell;
    std::string_view left, right;
    if (split_pair(text, left, right) && read_position(left, change.col, change.row) && read_value(right, change.value))
        return {};
    return malformed(option, "C,R=V: " + positions() + ", and a value", text);
}

std::string read_fill_change(std::string_view option, std::string_view text, area_change &change)
{
    change.kind = change_kind::fill;
    return read_value_of(option, text, change.value);
}

std::string read_replace_change(std::string_view option, std::string_view text, area_change &change)
{
    change.kind = change_kind::replace;
    std::string_view left, right;
    if (split_pair(text, left, right) && read_value(left, change.from) && read_value(right, change.value))
        return {};
    return malformed(option, "OLD=NEW: two values", text);
}

std::string read_mark_change(std::string_view option, std::string_view text, area_change &change)
{
    change.kind = change_kind::mark;
    return read_position(text, change.col, change.row) ? "" : malformed(option, "C,R: " + positions(), text);
}

std::string read_time_change(std::string_view option, std::string_view text, area_change &change)
{
    change.kind = change_kind::time_allowed;
    return read_value_of(option, text, change.value);
}

std::string read_value_of(std::string_view what, std::string_view text, std::int32_t &value)
{
    return read_value(text, value) ? "" : malformed(what, "a value", text);
}

std::string read_name_change(std::string_view, std::string_view text, area_change &change)
{
    change.kind = change_kind::name;
    change.name = text;
    if (std::string why = tool_name_problem(text); !why.empty())
        return std::string(name_refused) + ": " + why;
    return {};
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

std::string read_whole_area(const std::string &path, area_record &area)
{
    bool longer = false;
    std::string why = read_area_file(path.c_str(), area, longer);
    if (why.empty() && longer)
        why = longer_than_area;
    return why;
}

area_record new_area(std::string_view name, std::int32_t time_allowed)
{
    area_record area{};  // a fresh program's: the mark at 0, 0, every byte of the name zero
    start_area(area, name);
    area.time_allowed = time_allowed;
    return area;
}

std::string tool_name_problem(std::string_view name)
{
    if (std::string why = name_problem(name); !why.empty())
        return why;
    // The editor reads names as words: it could never open this one.
    if (name.find(' ') != std::string_view::npos)
        return "the name holds a space";
    return {};
}
