// diff_areas called directly: one line for each difference, in the order
// of the file, naming each cell, both marks and all 8 bytes of the name;
// and the JSON objects diff --json prints for them.
// The process test window/test_areatool_diff.py keeps statuses and the PNG.

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "support/areas.h"
#include "formats/formats.h"
#include "tool/command_line.h"

namespace {

std::vector<std::string> lines(const std::vector<area_difference> &differences)
{
    std::vector<std::string> text;
    for (const area_difference &difference : differences)
        text.push_back(difference.line);
    return text;
}

TEST(areatool_diff, equal_areas_have_no_differences)
{
    area_record area = empty_area();
    area.name[6] = '\x7f';  // bytes after the terminator count too, and are equal here
    EXPECT_TRUE(diff_areas(area, area).empty());
}

TEST(areatool_diff, lists_every_field_in_file_order_with_old_and_new_values)
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

// value, as a diff object gives it for its part, put into area.
void apply_json(area_record &area, const nlohmann::json &object, const nlohmann::json &value)
{
    if (object["part"] == "mark") {
        area.mark_col = value["column"];
        area.mark_row = value["row"];
    } else if (object["part"] == "time_allowed") {
        area.time_allowed = value;
    } else if (object["part"] == "cell") {
        area.cells[object["column"].get<int>()][object["row"].get<int>()] = value;
    } else {
        for (int i = 0; i < name_size; ++i)
            area.name[i] = static_cast<char>(value[i].get<int>());  // 0 to 255
    }
}

TEST(areatool_diff, json_objects_turn_each_area_into_the_other)
{
    area_record old_area = empty_area(), new_area = old_area;
    old_area.name[6] = 'x';
    new_area.name = {'c', '\xe9', '\0', '\x7f', '\xff', '\0', 'x', '\0'};
    new_area.mark_col = INT_MIN;
    new_area.mark_row = 10;
    old_area.time_allowed = INT_MAX;
    new_area.cells[0][9] = INT_MIN;
    new_area.cells[9][0] = INT_MAX;

    area_record forward = old_area, back = new_area;
    std::vector<std::string> lines;
    for (const area_difference &difference : diff_areas(old_area, new_area)) {
        lines.push_back(difference_json_line(old_area, new_area, difference));
        nlohmann::json object = nlohmann::json::parse(lines.back());
        apply_json(forward, object, object["new"]);
        apply_json(back, object, object["old"]);
    }
    EXPECT_EQ(std::memcmp(&forward, &new_area, sizeof new_area), 0);
    EXPECT_EQ(std::memcmp(&back, &old_area, sizeof old_area), 0);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[2], R"({"format_version":1,"part":"cell","column":0,"row":9,"old":-1,"new":-2147483648})");
}

}  // namespace
