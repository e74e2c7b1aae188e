// What areatool new and set compute, called directly: the new area, each
// change as parsed from its option and applied, and the values they read.
// The process test window/test_areatool_edit.py keeps files and statuses.

#include <cstring>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "number/number.h"
#include "tool/tool.h"

namespace {

area_record changed(area_record area, std::string_view option, const std::string &value)
{
    area_change change{};
    EXPECT_EQ(parse_change(option, value, change), "") << option << " " << value;
    apply_change(area, change);
    return area;
}

TEST(areatool_new, makes_the_area_of_a_fresh_programs_start_a_new_area)
{
    area_record area = new_area("cave", 90);
    area_record want{};  // the mark at 0, 0 and the name's tail zero, as at program start
    for (auto &column : want.cells)
        column.fill(empty_tile);
    want.time_allowed = 90;
    std::memcpy(want.name.data(), "cave", 4);
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

}  // namespace
