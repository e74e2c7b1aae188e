// diff's differences between two areas, one a part in the order of the
// file. Start reading at diff_areas().

#include <string>
#include <vector>

#include "records/records.h"
#include "text/text.h"

std::vector<area_difference> diff_areas(const area_record &old_area, const area_record &new_area)
{
    // All 8 bytes of the name, so that two different names never look alike.
    auto exact_name_text = [](const area_record &area) {
        return name_field_text({area.name.data(), area.name.size()}, name_field_form::every_byte);
    };
    std::vector<area_difference> differences;
    if (old_area.mark_col != new_area.mark_col || old_area.mark_row != new_area.mark_row)
        differences.push_back({area_part::mark, 0, 0,
                               std::string(mark_label) + ": " + position_text(old_area.mark_col, old_area.mark_row)
                                   + " -> " + position_text(new_area.mark_col, new_area.mark_row)});
    if (old_area.time_allowed != new_area.time_allowed)
        differences.push_back({area_part::time_allowed, 0, 0,
                               std::string(time_label) + ": " + value_text(old_area.time_allowed) + " -> "
                                   + value_text(new_area.time_allowed)});
    for (int col = 0; col < board_cols; ++col) {
        for (int row = 0; row < board_rows; ++row) {
            std::int32_t was = old_area.cells[col][row], is = new_area.cells[col][row];
            if (was != is)
                differences.push_back({area_part::cell, col, row,
                                       "cell at " + position_text(col, row) + ": " + value_text(was)
                                           + " -> " + value_text(is)});
        }
    }
    if (old_area.name != new_area.name)
        differences.push_back({area_part::name, 0, 0,
                               std::string(name_label) + ": " + exact_name_text(old_area) + " -> " + exact_name_text(new_area)});
    return differences;
}
