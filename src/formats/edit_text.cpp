// The text form of an area that areatool edit hands to the user's editor.
// It is written for people and screen readers, one part a line with a
// comment before it, and read back leniently about spaces and strictly
// about values: every problem is found, each with its line. Start reading
// at write_area_text(), then read_area_text().

#include "formats/formats.h"

#include "number/number.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "records/records.h"
#include "text/text.h"

namespace {

constexpr std::string_view error_prefix = "# error: ";
constexpr std::string_view conflict_prefix = "# conflict: ";
// Between the two sides of a conflict, and nowhere else: a name's own is
// escaped.
constexpr char sides_separator = '|';
constexpr std::string_view empty_cell = ".";
constexpr std::string_view tail_label = "after the name";
constexpr std::string_view row_label = "row ";
constexpr std::size_t longest_quote = 40;  // of a line's text in a problem
constexpr std::string_view not_a_part =
    "not a part of an area (a line is 'name:', 'mark:', 'row 0:'... or a # comment): ";

std::string line_of(const char *pattern, int a, int b = 0)
{
    char line[64];
    std::snprintf(line, sizeof line, pattern, a, b);
    return line;
}

// Escaped where the line could not hold the byte or would lose it: control
// and non-ASCII bytes, the backslash itself, spaces at either end, which
// editors and the reader trim, and the bar that stands between two sides.
std::string escape_name(std::string_view name)
{
    std::string text;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char byte = name[i];
        bool edge_space = byte == ' ' && (i == 0 || i + 1 == name.size());
        if (byte == '\\')
            text += "\\\\";
        else if (!printable_byte(byte) || edge_space || byte == sides_separator)
            text += hex_escape(byte);
        else
            text += byte;
    }
    return text;
}

std::string_view trim(std::string_view text)
{
    std::size_t start = text.find_first_not_of(" \t\r\f\v");
    if (start == std::string_view::npos)
        return {};
    return text.substr(start, text.find_last_not_of(" \t\r\f\v") - start + 1);
}

std::vector<std::string_view> words(std::string_view text, std::string_view separators = " \t")
{
    std::vector<std::string_view> found;
    for (std::size_t at = 0; (at = text.find_first_not_of(separators, at)) != std::string_view::npos;) {
        std::size_t end = std::min(text.find_first_of(separators, at), text.size());
        found.push_back(text.substr(at, end - at));
        at = end;
    }
    return found;
}

std::vector<std::string_view> lines_of(std::string_view text)
{
    if (text.substr(0, 3) == "\xef\xbb\xbf")  // the byte order mark some Windows editors save
        text.remove_prefix(3);
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        std::size_t end = std::min(text.find('\n'), text.size());
        lines.push_back(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return lines;
}

bool is_comment(std::string_view line)
{
    line = trim(line);
    return line.empty() || line[0] == '#';
}

std::string quoted(std::string_view text)
{
    std::string shown = printable(text.substr(0, longest_quote));
    return "'" + shown + (text.size() > longest_quote ? "...'" : "'");
}

// name as written by escape_name, into bytes; returns why it does not read.
std::string unescape_name(std::string_view text, std::string &name)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            name += text[i];
        } else if (text.substr(i, 2) == "\\\\") {
            name += '\\';
            ++i;
        } else if (char byte = 0; text.size() >= i + 4 && text[i + 1] == 'x'
                                  && parse_hex_byte(text.substr(i + 2, 2), byte).empty()) {
            name += byte;
            i += 3;
        } else {
            return "a backslash in the name starts \\xHH (a byte in hex) or \\\\ (a backslash), not "
                   + quoted(text.substr(i, 4));
        }
    }
    return {};
}

// What each part of the text reads into, and where it was.
struct parts_read {
    int name_line = 0, tail_line = 0, mark_line = 0, time_line = 0;
    std::array<int, board_rows> row_lines{};
    std::string name, tail;
};

struct reader {
    const area_record &original;
    const area_record *other;  // the other side of a merge, or none
    area_record &area;
    parts_read parts;
    std::vector<text_problem> problems;
    int line = 0;

    void problem(std::string why) { problems.push_back({line, std::move(why)}); }

    // Whether this is the first line of the part; a second is a problem.
    bool first(int &seen, std::string_view label)
    {
        if (seen != 0) {
            problem("a second '" + std::string(label) + ":' line; the first is line " + std::to_string(seen));
            return false;
        }
        seen = line;
        return true;
    }

    // Whether value still holds the two sides of a conflict; a problem if so.
    bool both_sides(std::string_view what, std::string_view value, std::string_view note = {})
    {
        if (value.find(sides_separator) == std::string_view::npos)
            return false;
        problem(std::string(what) + " still holds both sides, " + quoted(value) + ": keep one, or write another value"
                + std::string(note));
        return true;
    }

    void read_name(std::string_view value)
    {
        if (both_sides("the name", value, "; a | of the name itself is " + hex_escape(sides_separator)))
            return;
        std::string name;
        if (std::string why = unescape_name(value, name); !why.empty())
            return problem(why);
        if (name.size() > static_cast<std::size_t>(name_size))  // an 8-byte name is kept as it came
            return problem(name_length_problem(name));
        if (name != area_name(original) && !(other && name == area_name(*other))) {
            if (std::string why = tool_name_problem(name); !why.empty())
                return problem(std::string(name_refused) + ": " + why);
        }
        parts.name = name;
    }

    void read_tail(std::string_view value)
    {
        if (both_sides("the bytes after the name", value))
            return;
        std::string tail;
        for (std::string_view word : words(value)) {
            char byte = 0;
            if (!parse_hex_byte(word, byte).empty())
                return problem("the bytes after the name should be two hex digits each, not " + quoted(word));
            tail += byte;
        }
        if (tail.size() > static_cast<std::size_t>(max_name_length))
            return problem("at most " + std::to_string(max_name_length) + " bytes follow the name, not "
                           + std::to_string(tail.size()));
        parts.tail = tail;
    }

    void read_mark(std::string_view value)
    {
        if (both_sides("the mark", value))
            return;
        std::vector<std::string_view> found = words(value, " \t,");
        std::int32_t col = 0, row = 0;
        bool fine = found.size() == 4 && found[0] == "column" && found[2] == "row"
                    && parse_number(found[1], col).empty() && parse_number(found[3], row).empty();
        if (!fine || value.find(',') == std::string_view::npos)
            return problem("the mark should read 'column C, row R' (numbers that fit 32 bits), not "
                           + quoted(value));
        area.mark_col = col;
        area.mark_row = row;
    }

    void read_time(std::string_view value)
    {
        if (both_sides("the allowed time", value))
            return;
        if (!parse_number(value, area.time_allowed).empty())
            return problem("the allowed time should be a number that fits 32 bits ("
                           + examples_text(time_examples, examples_form::listed) + "), not " + quoted(value));
    }

    void read_row(int row, std::string_view value)
    {
        std::vector<std::string_view> cells = words(value);
        bool settled = true;
        for (std::size_t col = 0; col < cells.size(); ++col)
            settled = !both_sides("the cell at " + position_text(static_cast<int>(col), row), cells[col]) && settled;
        if (!settled)
            return;
        if (cells.size() != static_cast<std::size_t>(board_cols))
            return problem(line_of("row %d holds %d cells, not ", row, static_cast<int>(cells.size()))
                           + std::to_string(board_cols));
        for (int col = 0; col < board_cols; ++col) {
            std::int32_t cell = empty_tile;
            if (cells[col] != empty_cell && !parse_number(cells[col], cell).empty()) {
                problem(line_of("column %d of row %d", col, row) + " should be '.' or a number that fits 32 bits, not "
                        + quoted(cells[col]));
                continue;
            }
            area.cells[col][row] = cell;
        }
    }

    void read_line(std::string_view text)
    {
        std::size_t colon = text.find(':');
        std::string_view label = colon == std::string_view::npos ? text : trim(text.substr(0, colon));
        std::string_view value = colon == std::string_view::npos ? "" : trim(text.substr(colon + 1));
        int row = -1;  // stays so unless the label is a row's
        if (label.substr(0, row_label.size()) == row_label)
            parse_bounded(trim(label.substr(row_label.size())), 0, board_rows - 1, row);
        if (colon == std::string_view::npos) {
            problem(std::string(not_a_part) + quoted(text));
        } else if (label == name_label) {
            if (first(parts.name_line, label))
                read_name(value);
        } else if (label == tail_label) {
            if (first(parts.tail_line, label))
                read_tail(value);
        } else if (label == mark_label) {
            if (first(parts.mark_line, label))
                read_mark(value);
        } else if (label == time_label) {
            if (first(parts.time_line, label))
                read_time(value);
        } else if (row >= 0) {
            if (first(parts.row_lines[row], label))
                read_row(row, value);
        } else {
            problem(std::string(not_a_part) + quoted(label) + ":");
        }
    }

    // Something the text never said: reported at its last line.
    void missing(int seen, std::string_view label)
    {
        if (seen == 0)
            problem("the text ends without a '" + std::string(label) + ":' line");
    }
};

// The tail keeps to the end of the field and the name goes over it as
// every renaming does; an unterminated name fills the field.
void fill_name_field(area_record &area, std::string_view name, std::string_view tail)
{
    area.name.fill('\0');
    std::copy(tail.begin(), tail.end(), area.name.end() - tail.size());
    if (name.size() == area.name.size())
        std::copy(name.begin(), name.end(), area.name.begin());
    else
        name_area(area, name);
}

// The bytes of the name field after the name's end.
std::string_view tail_of(const area_record &area)
{
    std::size_t end = std::min(area_name(area).size() + 1, area.name.size());
    return {area.name.data() + end, area.name.size() - end};
}

// Whether the bytes after the name are a conflict of their own: whichever
// name is kept, keeping ours' or theirs' makes two name fields. Otherwise
// only the names are.
bool tails_conflict(const area_record &ours, const area_record &theirs)
{
    for (const area_record *named : {&ours, &theirs}) {
        area_record with_ours = *named, with_theirs = *named;
        fill_name_field(with_ours, area_name(*named), tail_of(ours));
        fill_name_field(with_theirs, area_name(*named), tail_of(theirs));
        if (with_ours.name != with_theirs.name)
            return true;
    }
    return false;
}

// The text of each part of an area as its line holds it.
using part_text = std::string (*)(const area_record &area, int col, int row);

std::string name_text(const area_record &area, int, int)
{
    return escape_name(area_name(area));
}

std::string tail_text(const area_record &area, int, int)
{
    std::string tail;
    for (char byte : tail_of(area)) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%s%02x", tail.empty() ? "" : " ", static_cast<unsigned char>(byte));
        tail += hex;
    }
    return tail;
}

std::string mark_text(const area_record &area, int, int)
{
    return position_text(area.mark_col, area.mark_row);
}

std::string time_text(const area_record &area, int, int)
{
    return value_text(area.time_allowed);
}

std::string cell_text(const area_record &area, int col, int row)
{
    std::int32_t cell = area.cells[col][row];
    return cell == empty_tile ? std::string(empty_cell) : value_text(cell);
}

// The text of area, or with sides that of a merge whose result area is:
// each part in conflict is written ours|theirs where it stands and listed
// on top with its base.
std::string area_text(const area_record &area, std::string_view file_name, const merge_sides *sides,
                      const std::vector<merge_conflict> &conflicts)
{
    bool tails = sides && tails_conflict(sides->ours, sides->theirs);
    auto in_conflict = [&](area_part part, int col, int row) {
        return std::any_of(conflicts.begin(), conflicts.end(), [&](const merge_conflict &conflict) {
            return conflict.part == part && (part != area_part::cell || (conflict.col == col && conflict.row == row));
        });
    };
    auto both = [&](area_part part, part_text text_of, int col = 0, int row = 0) {
        std::string ours = text_of(area, col, row);
        if (!sides || !in_conflict(part, col, row) || text_of(sides->theirs, col, row) == ours)
            return ours;
        return ours + sides_separator + text_of(sides->theirs, col, row);
    };
    std::string listed;
    auto list = [&](std::string_view what, part_text text_of, int col = 0, int row = 0) {
        std::string ours = text_of(sides->ours, col, row), theirs = text_of(sides->theirs, col, row);
        if (ours != theirs)
            listed += std::string(conflict_prefix) + std::string(what) + ": base "
                      + (sides->base ? text_of(*sides->base, col, row) : "none") + ", ours " + ours + ", theirs "
                      + theirs + "\n";
    };
    for (const merge_conflict &conflict : sides ? conflicts : std::vector<merge_conflict>{}) {
        std::string what = part_label(conflict);
        switch (conflict.part) {
        case area_part::mark: list(what, mark_text); break;
        case area_part::time_allowed: list(what, time_text); break;
        case area_part::name:
            list(what, name_text);
            if (tails)
                list(tail_label, tail_text);
            break;
        case area_part::cell: list(what, cell_text, conflict.col, conflict.row); break;
        }
    }
    if (!listed.empty())
        listed = "#\n# Changed two ways, each written ours" + std::string(1, sides_separator)
                 + "theirs where it stands: keep one side,\n# or write another value.\n" + listed;

    std::string text =
        "# " + printable(file_name) + " as text. Lines that start with # are comments.\n"
        "# Save and quit to write the area back; empty the text to leave the file\n"
        "# as it is. Numbers: " + examples_text(value_examples, examples_form::with_bases) + ", within 32 bits.\n"
        + listed + "\n"
        "# The stored name, at most " + std::to_string(max_name_length) + " characters; \\xHH is a byte in hex, \\\\ a backslash.\n"
        + std::string(name_label) + ": " + both(area_part::name, name_text) + "\n"
        "# The bytes after the name's end, in hex. They mean nothing but are kept,\n"
        "# at the end of the " + std::to_string(name_size) + " bytes of the name.\n"
        + std::string(tail_label) + ": " + (tails ? both(area_part::name, tail_text) : tail_text(area, 0, 0)) + "\n"
        "# The marked cell. A 3 on the board does not move it: this line says where it is.\n";
    text += std::string(mark_label) + ": " + both(area_part::mark, mark_text) + "\n";
    if (!mark_on_board(area))
        text += "# (The mark is off the board, which holds columns and rows " + range_text(0, board_cols - 1) + ".)\n";
    text += "# The allowed time.\n";
    text += std::string(time_label) + ": " + both(area_part::time_allowed, time_text) + "\n";
    text += "# The board: each row's cells from column " + range_text(0, board_cols - 1) + ", "
            + std::string(empty_cell) + " for an empty cell.\n";
    for (int row = 0; row < board_rows; ++row) {
        text += std::string(row_label) + std::to_string(row) + ":";
        for (int col = 0; col < board_cols; ++col)
            text += " " + both(area_part::cell, cell_text, col, row);
        text += "\n";
    }
    return text;
}

}  // namespace

std::string write_area_text(const area_record &area, std::string_view file_name)
{
    return area_text(area, file_name, nullptr, {});
}

std::string write_merge_text(const merge_sides &sides, const merge_result &merge, std::string_view file_name)
{
    return area_text(merge.merged, file_name, &sides, merge.conflicts);
}

std::vector<text_problem> read_area_text(std::string_view text, const area_record &original,
                                         area_record &area, const area_record *other)
{
    area = original;
    reader read{original, other, area, {}, {}};
    std::vector<std::string_view> lines = lines_of(text);
    for (std::string_view line : lines) {
        ++read.line;
        if (!is_comment(line))
            read.read_line(trim(line));
    }
    read.line = std::max(read.line, 1);
    read.missing(read.parts.name_line, name_label);
    read.missing(read.parts.tail_line, tail_label);
    read.missing(read.parts.mark_line, mark_label);
    read.missing(read.parts.time_line, time_label);
    for (int row = 0; row < board_rows; ++row)
        read.missing(read.parts.row_lines[row], line_of("row %d", row));
    if (read.problems.empty())
        fill_name_field(area, read.parts.name, read.parts.tail);
    return read.problems;
}

bool area_text_empty(std::string_view text)
{
    for (std::string_view line : lines_of(text)) {
        if (!is_comment(line))
            return false;
    }
    return true;
}

std::string mark_problems(std::string_view text, const std::vector<text_problem> &problems)
{
    std::vector<std::string_view> lines = lines_of(text);
    // Where each line of text lands once the old error lines are gone and
    // the new ones are on top.
    std::vector<int> moved_to(lines.size() + 2, 0);
    std::string kept;
    int next = static_cast<int>(problems.size()) + 1;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        moved_to[i + 1] = next;
        if (lines[i].substr(0, error_prefix.size()) == error_prefix)
            continue;
        kept += std::string(lines[i]) + "\n";
        ++next;
    }
    moved_to[lines.size() + 1] = next;
    std::string marked;
    for (const text_problem &problem : problems) {
        int line = moved_to[std::min<std::size_t>(static_cast<std::size_t>(std::max(problem.line, 1)), lines.size() + 1)];
        marked += std::string(error_prefix) + "line " + std::to_string(line) + ": " + problem.why + "\n";
    }
    return marked + kept;
}
