// What areatool new, set, edit and resolve compute, called directly: the
// new area, each change as parsed from its option and applied, the values
// they read, edit's text of an area and resolve's of a merge read back. The process test
// window/test_areatool_edit.py keeps files, statuses and the editor runs.

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "support/areas.h"
#include "formats/formats.h"
#include "number/number.h"
#include "tool/command_line.h"

namespace {

// The change set's row reads from option's value, as the command line hands it over.
std::string parse_change(std::string_view option, const std::string &value, area_change &change)
{
    const tool_command &set = *std::find_if(commands.begin(), commands.end(),
                                            [](const tool_command &command) { return command.name == "set"; });
    const tool_option &listed = *std::find_if(set.options.begin(), set.options.end(),
                                              [option](const tool_option &row) { return row.name == option; });
    tool_options options;
    std::string why = listed.take(listed.name, value, options);
    if (!options.changes.empty())
        change = options.changes.back();
    return why;
}

area_record changed(area_record area, std::string_view option, const std::string &value)
{
    area_change change{};
    EXPECT_EQ(parse_change(option, value, change), "") << option << " " << value;
    apply_change(area, change);
    return area;
}

std::optional<std::int32_t> parse_number(std::string_view text)
{
    std::int32_t number = 0;
    return ::parse_number(text, number).empty() ? std::optional(number) : std::nullopt;
}

TEST(areatool_new, makes_the_area_of_a_fresh_programs_start_a_new_area)
{
    area_record area = new_area("cave", 90);
    area_record want = empty_area("cave");  // the mark at 0, 0 and the name's tail zero, as at program start
    want.time_allowed = 90;
    EXPECT_EQ(std::memcmp(&area, &want, sizeof want), 0);
}

TEST(areatool_set, each_change_does_what_the_editor_would)
{
    area_record base = new_area("hall", 0);
    base.name = {'l', 'o', 'n', 'g', 'e', 's', 't', '\0'};

    area_record painted = changed(changed(base, cell_option, "2,7=3"), cell_option, "2,7=0x10");
    EXPECT_EQ((std::pair{painted.mark_col, painted.mark_row}), (std::pair{2, 7}));  // 3 moved it, 16 left it
    EXPECT_EQ(painted.cells[2][7], 16);

    area_record filled = changed(changed(painted, fill_option, "3"), replace_option, "03=-1");
    EXPECT_EQ((std::pair{filled.mark_col, filled.mark_row}), (std::pair{2, 7}));
    for (const auto &column : filled.cells)
        EXPECT_EQ(column, (std::array<std::int32_t, board_rows>{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1}));

    area_record other = changed(changed(changed(base, mark_option, "9,0"), time_option, "-0x1E"), name_option, "ab");
    EXPECT_EQ((std::array{other.mark_col, other.mark_row, other.time_allowed}), (std::array{9, 0, -30}));
    EXPECT_EQ(std::string(other.name.data(), name_size), std::string("ab\0gest\0", name_size));
    EXPECT_EQ(other.cells, base.cells);
}

TEST(areatool_set, malformed_changes_are_refused)
{
    for (auto [option, value] : {std::pair{cell_option, "10,0=1"}, {cell_option, "0,-1=1"}, {cell_option, "1,1"},
                                 {cell_option, "1,1=x"}, {mark_option, "1;1"}, {mark_option, "1,"},
                                 {fill_option, "2147483648"}, {fill_option, "08"}, {fill_option, "0x"},
                                 {fill_option, ""}, {replace_option, "1"}, {replace_option, "1=2=3"},
                                 {time_option, " 5"}, {name_option, ""}, {name_option, "eight888"},
                                 {name_option, "a/b"}, {name_option, "a b"}}) {
        area_change change{};
        EXPECT_NE(parse_change(option, value, change), "") << option << " '" << value << "'";
    }
}

TEST(areatool_set, values_are_read_as_the_console_reads_the_allowed_time)
{
    EXPECT_EQ(parse_number("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(parse_number("0x7fffffff"), 2147483647);
    EXPECT_EQ(parse_number("+010"), 8);
    EXPECT_EQ(parse_number("0"), 0);
    EXPECT_EQ(parse_number("-0x80000001"), std::nullopt);
    EXPECT_EQ(parse_number("12 "), std::nullopt);
}

// An area with something odd in every field.
area_record odd_area()
{
    area_record area = new_area("x", INT_MAX);
    area.mark_col = INT_MIN;
    area.mark_row = 12;
    area.cells[0][0] = INT_MIN;
    area.cells[9][9] = INT_MAX;
    area.cells[3][4] = 0;
    area.name = {' ', '\\', '\xe9', 'a', ' ', '\0', '\xff', '\x01'};
    return area;
}

std::string replaced(std::string text, const std::string &line, const std::string &with)
{
    text.replace(text.find(line), line.size(), with);
    return text;
}

TEST(areatool_edit, every_byte_of_an_odd_area_survives_its_text)
{
    area_record area = odd_area();
    std::string text = write_area_text(area, "odd.ard");
    for (const char *line : {"\nname: \\x20\\\\\\xe9a\\x20\n", "\nafter the name: ff 01\n",
                             "\nmark: column -2147483648, row 12\n", "\ntime allowed: 2147483647\n",
                             "\nrow 0: -2147483648 . . . . . . . . .\n", "\nrow 4: . . . 0 . . . . . .\n",
                             "\nrow 9: . . . . . . . . . 2147483647\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    area_record read{};
    EXPECT_TRUE(read_area_text(text, area, read).empty());
    EXPECT_EQ(std::memcmp(&read, &area, sizeof area), 0);
    // As the editor of a Windows user may save it.
    std::string windows = "\xef\xbb\xbf";
    for (char ch : text)
        windows += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    EXPECT_TRUE(read_area_text(windows, area, read).empty());
    EXPECT_EQ(std::memcmp(&read, &area, sizeof area), 0);
}

TEST(areatool_edit, what_the_text_says_is_what_is_read)
{
    area_record area = new_area("longest", 0);
    area.name = {'a', 'b', '\0', 'g', 'e', 's', 't', '\0'};
    std::string text = write_area_text(area, "a.ard");
    text = replaced(text, "name: ab\n", "name:   cave  \n");
    text = replaced(text, "row 7: . . .", "row 7:\t.   .  3");
    text = replaced(text, "time allowed: 0", "time allowed: 010");
    text = replaced(text, "mark: column 0, row 0", "mark: column 0x2,row -1");
    area_record read{};
    ASSERT_EQ(read_area_text(text, area, read).size(), 0u);
    EXPECT_EQ(read.cells[2][7], 3);
    EXPECT_EQ((std::array{read.mark_col, read.mark_row, read.time_allowed}), (std::array{2, -1, 8}));  // the 3 left it
    // The bytes after the name stay at the end of the field, as a rename in the editor keeps them.
    EXPECT_EQ(std::string(read.name.data(), name_size), std::string("cave\0st\0", name_size));
}

TEST(areatool_edit, every_problem_is_found_with_its_line)
{
    area_record area = new_area("hall", 0);
    std::string text = write_area_text(area, "hall.ard");
    struct malformed {
        std::string line, with, why;
    };
    for (const malformed &bad : std::vector<malformed>{
             {"name: hall", "name: a/b", "cannot use that name: the name holds a path separator"},
             {"name: hall", "name: ab\\q", "a backslash in the name starts"},
             {"after the name: 00 00 00", "after the name: 0g", "two hex digits each, not '0g'"},
             {"mark: column 0, row 0", "mark: row 0, column 0", "the mark should read"},
             {"time allowed: 0", "time allowed: 2147483648", "the allowed time should be a number"},
             {"row 3: . . . . . . . . . .", "row 3: . . . . . . . . .", "row 3 holds 9 cells, not 10"},
             {"row 3: . . . . . . . . . .", "row 3: . . 08 . . . . . . .", "column 2 of row 3 should be"},
             {"row 3: . . . . . . . . . .", "row 3: . . . . . . . . . .\nrow 03: . . . . . . . . . .",
              "a second 'row 03:' line; the first is line"},
             {"row 3: . . . . . . . . . .", "row 3: . . . . . . . . . .\nrow 10: 1", "not a part of an area"},
             {"row 3: . . . . . . . . . .", "row 3: . . . . . . . . . .\nlevel", "not a part of an area"},
             {"row 3: . . . . . . . . . .", "row 3: . . 1|6 . . . . . . .",
              "the cell at column 2, row 3 still holds both sides, '1|6'"},
             {"name: hall", "name: a|b", "the name still holds both sides, 'a|b'"},
         }) {
        std::string changed = replaced(text, bad.line, bad.with);
        area_record read{};
        std::vector<text_problem> problems = read_area_text(changed, area, read);
        ASSERT_EQ(problems.size(), 1u) << bad.with;
        EXPECT_NE(problems[0].why.find(bad.why), std::string::npos) << problems[0].why;
        // The line that holds the change, or the second of two added.
        std::size_t at = changed.find(bad.with);
        int line = 1 + static_cast<int>(std::count(changed.begin(), changed.begin() + at, '\n'))
                   + static_cast<int>(std::count(bad.with.begin(), bad.with.end(), '\n'));
        EXPECT_EQ(problems[0].line, line) << bad.with;
    }
    area_record read{};
    std::vector<text_problem> missing = read_area_text(replaced(text, "row 9:", "# row 9:"), area, read);
    ASSERT_EQ(missing.size(), 1u);
    EXPECT_EQ(missing[0].why, "the text ends without a 'row 9:' line");
}

// text with each conflict's value settled for one side: what stands
// before the '|' of each value line (ours) or after it.
std::string settled(const std::string &text, bool theirs)
{
    std::string kept;
    for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
        end = text.find('\n', start);
        std::string line = text.substr(start, end - start);
        for (std::size_t bar; line[0] != '#' && (bar = line.find('|')) != std::string::npos;) {
            bool row = line.starts_with("row ");  // a row's cells are words; another line's value is whole
            std::size_t from = row ? line.rfind(' ', bar) + 1 : line.find_first_not_of(' ', line.find(':') + 1);
            std::size_t to = row ? std::min(line.find(' ', bar), line.size()) : line.size();
            line.replace(from, to - from, theirs ? line.substr(bar + 1, to - bar - 1) : line.substr(from, bar - from));
        }
        kept += line + "\n";
    }
    return kept;
}

// A merge with a conflict in every part: its text holds both sides of each
// where it stands and lists them on top; as it is, it does not read, and
// each side kept reads as the merge that keeps that side.
TEST(areatool_resolve, a_merges_text_holds_both_sides_and_reads_as_the_side_kept)
{
    merge_sides sides;
    sides.base = empty_area("hall");
    sides.base->cells[2][2] = 0;
    sides.base->time_allowed = 90;
    sides.ours = sides.theirs = *sides.base;
    name_area(sides.ours, "a|b");
    name_area(sides.theirs, "ca ve");  // a name set would refuse, but theirs
    sides.ours.cells[2][2] = 1;
    sides.theirs.cells[2][2] = empty_tile;
    sides.ours.time_allowed = 60;
    sides.theirs.time_allowed = 120;
    sides.ours.mark_col = 1;
    sides.theirs.mark_row = 2;
    sides.ours.cells[0][0] = 5;    // only ours changed
    sides.theirs.cells[9][9] = 8;  // only theirs changed
    merge_result merge = merge_areas(&*sides.base, sides.ours, sides.theirs);
    ASSERT_EQ(merge.conflicts.size(), 4u);

    std::string text = write_merge_text(sides, merge, "hall.ard");
    for (const char *line : {"\n# conflict: mark: base column 0, row 0, ours column 1, row 0, theirs column 0, row 2\n",
                             "\n# conflict: time allowed: base 90, ours 60, theirs 120\n",
                             "\n# conflict: name: base hall, ours a\\x7cb, theirs ca ve\n",
                             "\n# conflict: cell at column 2, row 2: base 0, ours 1, theirs .\n",
                             "\nname: a\\x7cb|ca ve\n", "\nafter the name: 00 00 00 00\n",
                             "\nmark: column 1, row 0|column 0, row 2\n", "\ntime allowed: 60|120\n",
                             "\nrow 0: 5 . . . . . . . . .\n", "\nrow 2: . . 1|. . . . . . . .\n",
                             "\nrow 9: . . . . . . . . . 8\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    area_record read{};
    std::vector<text_problem> problems = read_area_text(text, merge.merged, read, &sides.theirs);
    ASSERT_EQ(problems.size(), 4u);
    for (const text_problem &problem : problems)
        EXPECT_NE(problem.why.find(" still holds both sides, "), std::string::npos) << problem.why;

    ASSERT_EQ(read_area_text(settled(text, false), merge.merged, read, &sides.theirs).size(), 0u) << settled(text, false);
    EXPECT_EQ(std::memcmp(&read, &merge.merged, sizeof read), 0);
    area_record theirs_kept = merge_areas(&*sides.base, sides.theirs, sides.ours).merged;
    ASSERT_EQ(read_area_text(settled(text, true), merge.merged, read, &sides.theirs).size(), 0u) << settled(text, true);
    EXPECT_EQ(std::memcmp(&read, &theirs_kept, sizeof read), 0);

    // Without a base, every value that differs is a conflict.
    sides.base.reset();
    merge = merge_areas(nullptr, sides.ours, sides.theirs);
    EXPECT_EQ(merge.conflicts.size(), 6u);
    EXPECT_NE(write_merge_text(sides, merge, "hall.ard").find("\n# conflict: cell at column 9, row 9: base none, ours ., theirs 8\n"),
              std::string::npos);
}

TEST(areatool_edit, problems_go_on_top_in_place_of_the_last_ones_and_count_the_new_lines)
{
    std::string text = "# error: line 9: old\nname: a\n# error: line 9: old\nmark: x\n";
    EXPECT_EQ(mark_problems(text, {{4, "bad mark"}, {1, "first"}}),
              "# error: line 4: bad mark\n# error: line 3: first\nname: a\nmark: x\n");
    EXPECT_TRUE(area_text_empty(" \n# name: a\n\t\n"));
    EXPECT_FALSE(area_text_empty("# a\nx"));
}

}  // namespace
