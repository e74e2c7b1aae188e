// What areatool computes over area records, called directly: show's text,
// the problems check finds, the three-way merge with its conflicts, diff's
// differences in the order of the file, new's area, and set's changes as
// read from their options' values and applied. The forms these are
// written in are formats_test.cpp's; the process tests in
// tool/test_areatool*.py keep statuses, files and messages.

#include <climits>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "records/records.h"
#include "support/areas.h"
#include "support/files.h"
#include "tiles/tiles.h"

namespace {

TEST(show, shows_strange_areas_honestly)
{
    area_record area = empty_area("a\x1b" "bcdefg", 10, 3);
    area.name[7] = 'g';
    area.cells[0][0] = -7;
    area.cells[1][0] = 9;
    area.cells[2][0] = 10;
    area.cells[3][0] = 2147483647;
    std::string text = show_area(area, true);
    std::vector<std::string> lines = lines_of(text);
    EXPECT_EQ(lines[0], "name: a\\x1bbcdefg (not terminated within its 8 bytes)");
    EXPECT_EQ(lines[1], "mark: column 10, row 3 (off the board)");
    EXPECT_NE(lines[3].find("more than 420 bytes"), std::string::npos);
    EXPECT_EQ(lines[6], " 0  ?9??......");
    EXPECT_EQ(text.substr(text.find("0123456789")).find('v'), std::string::npos);
    EXPECT_EQ(text.find_first_of("<>\x1b"), std::string::npos);
}

TEST(check, collapses_many_bad_cells_to_a_count)
{
    area_record area = empty_area("all");
    for (auto &column : area.cells)
        column.fill(99);
    // With no tile set loaded, the tiles every usable one has.
    auto drawable = [](std::int32_t value) { return value_drawable(loaded_tiles{}, value); };
    std::vector<area_problem> problems = find_problems(area, false, drawable);
    ASSERT_EQ(problems.size(), 11u);
    EXPECT_EQ(problems.back().line, "and 90 more cells the tile set cannot draw");
    EXPECT_FALSE(problems.back().cell);
}

TEST(merge, one_sided_and_equal_changes_merge_and_two_way_ones_keep_ours)
{
    area_record base = empty_area("hall", 1, 1);
    base.cells[2][2] = 0;
    area_record ours = base, theirs = base;
    ours.cells[2][2] = 1;
    theirs.cells[2][2] = 6;
    ours.cells[0][0] = 5;     // only ours changed
    theirs.time_allowed = 60;  // only theirs changed
    theirs.name = {'d', 'e', 'n', '\0', 'o', 'l', 'd', '\0'};
    ours.cells[5][5] = theirs.cells[5][5] = 7;  // the same change
    theirs.mark_col = 3;

    merge_result result = merge_areas(&base, ours, theirs);
    area_record want = ours;
    want.time_allowed = 60;
    want.name = theirs.name;
    want.mark_col = 3;
    EXPECT_EQ(std::memcmp(&result.merged, &want, sizeof want), 0);
    ASSERT_EQ(result.conflicts.size(), 1u);
    EXPECT_EQ(conflict_line(result.conflicts[0], &base, ours, theirs),
              "cell at column 2, row 2 changed two ways: base 0; ours 1; theirs 6");
}

std::vector<std::string> lines(const std::vector<area_difference> &differences)
{
    std::vector<std::string> text;
    for (const area_difference &difference : differences)
        text.push_back(difference.line);
    return text;
}

TEST(diff, equal_areas_have_no_differences)
{
    area_record area = empty_area();
    area.name[6] = '\x7f';  // bytes after the terminator count too, and are equal here
    EXPECT_TRUE(diff_areas(area, area).empty());
}

TEST(diff, lists_every_field_in_file_order_with_old_and_new_values)
{
    area_record old_area = empty_area(), new_area = old_area;
    new_area.name = {'c', '"', '\\', '\x1b', '\xe9', '\0', 'x', '\0'};
    new_area.cells[9][0] = 3;
    new_area.cells[0][9] = -2147483647 - 1;
    new_area.cells[0][1] = 8;
    new_area.time_allowed = -5;
    new_area.mark_row = 7;

    std::vector<area_difference> differences = diff_areas(old_area, new_area);
    EXPECT_EQ(lines(differences), (std::vector<std::string>{
                                      "mark: column 0, row 0 -> column 0, row 7",
                                      "time allowed: 0 -> -5",
                                      "cell at column 0, row 1: -1 -> 8",
                                      "cell at column 0, row 9: -1 -> -2147483648",
                                      "cell at column 9, row 0: -1 -> 3",
                                      "name: \"hall\\x00\\x00\\x00\\x00\" -> \"c\\x22\\x5c\\x1b\\xe9\\x00x\\x00\"",
                                  }));
    ASSERT_EQ(differences[4].part, area_part::cell);
    EXPECT_EQ((std::pair{differences[4].col, differences[4].row}), (std::pair{9, 0}));
}

TEST(new_area, is_the_area_of_a_fresh_programs_start_a_new_area)
{
    area_record area = new_area("cave", 90);
    area_record want = empty_area("cave");  // the mark at 0, 0 and the name's tail zero, as at program start
    want.time_allowed = 90;
    EXPECT_EQ(std::memcmp(&area, &want, sizeof want), 0);
}

// The reader of each of set's options.
using change_reader = std::string (*)(std::string_view, std::string_view, area_change &);
const std::map<std::string_view, change_reader> change_readers = {
    {"--cell", read_cell_change}, {"--fill", read_fill_change}, {"--replace", read_replace_change},
    {"--mark", read_mark_change}, {"--time", read_time_change}, {"--name", read_name_change}};

area_record changed(area_record area, std::string_view option, std::string_view value)
{
    area_change change{};
    EXPECT_EQ(change_readers.at(option)(option, value, change), "") << option << " " << value;
    apply_change(area, change);
    return area;
}

TEST(set, each_change_does_what_the_editor_would)
{
    area_record base = new_area("hall", 0);
    base.name = {'l', 'o', 'n', 'g', 'e', 's', 't', '\0'};

    area_record painted = changed(changed(base, "--cell", "2,7=3"), "--cell", "2,7=0x10");
    EXPECT_EQ((std::pair{painted.mark_col, painted.mark_row}), (std::pair{2, 7}));  // 3 moved it, 16 left it
    EXPECT_EQ(painted.cells[2][7], 16);

    area_record filled = changed(changed(painted, "--fill", "3"), "--replace", "03=-1");
    EXPECT_EQ((std::pair{filled.mark_col, filled.mark_row}), (std::pair{2, 7}));
    for (const auto &column : filled.cells)
        EXPECT_EQ(column, (std::array<std::int32_t, board_rows>{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1}));

    area_record other = changed(changed(changed(base, "--mark", "9,0"), "--time", "-0x1E"), "--name", "ab");
    EXPECT_EQ((std::array{other.mark_col, other.mark_row, other.time_allowed}), (std::array{9, 0, -30}));
    EXPECT_EQ(std::string(other.name.data(), name_size), std::string("ab\0gest\0", name_size));
    EXPECT_EQ(other.cells, base.cells);
}

TEST(set, malformed_changes_are_refused)
{
    for (auto [option, value] : {std::pair<std::string_view, std::string_view>{"--cell", "10,0=1"},
                                 {"--cell", "0,-1=1"}, {"--cell", "1,1"}, {"--cell", "1,1=x"}, {"--mark", "1;1"},
                                 {"--mark", "1,"}, {"--fill", "2147483648"}, {"--fill", "08"}, {"--fill", "0x"},
                                 {"--fill", ""}, {"--replace", "1"}, {"--replace", "1=2=3"}, {"--time", " 5"},
                                 {"--name", ""}, {"--name", "eight888"}, {"--name", "a/b"}, {"--name", "a b"}}) {
        area_change change{};
        EXPECT_NE(change_readers.at(option)(option, value, change), "") << option << " '" << value << "'";
    }
}

}  // namespace
