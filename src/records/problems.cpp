// check's problems of an area: its size, its name, the cells the tile set
// cannot draw and the mark. Start reading at find_problems().

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "records/records.h"
#include "text/text.h"

namespace {

constexpr int max_cell_reports = 10;  // per file; the rest are counted

}  // namespace

std::vector<area_problem> find_problems(const area_record &area, bool longer,
                                        const std::function<bool(std::int32_t)> &drawable)
{
    std::vector<area_problem> problems;
    if (longer)
        problems.push_back({problem_kind::file_size, longer_than_area});
    std::string_view name = area_name(area);
    if (!name_terminated(area))
        problems.push_back({problem_kind::name_unterminated, "the name is " + std::string(name_unterminated)});
    else if (std::string why = name_problem(name); !why.empty())
        problems.push_back({problem_kind::name_unusable, why});
    else if (std::string why_not_on_windows = windows_name_problem(name); !why_not_on_windows.empty())
        problems.push_back({problem_kind::name_unusable, why_not_on_windows});  // usable here, not on Windows
    int bad_cells = 0;
    for (int col = 0; col < board_cols; ++col) {
        for (int row = 0; row < board_rows; ++row) {
            std::int32_t value = area.cells[col][row];
            if (drawable(value) || ++bad_cells > max_cell_reports)
                continue;
            problems.push_back({problem_kind::cell_undrawable,
                                "cell at " + position_text(col, row) + " holds " + value_text(value)
                                    + ", which the tile set cannot draw",
                                true, col, row});
        }
    }
    if (bad_cells > max_cell_reports)
        problems.push_back({problem_kind::cell_undrawable, "and " + std::to_string(bad_cells - max_cell_reports)
                                                               + " more cells the tile set cannot draw"});
    if (!mark_on_board(area))
        problems.push_back({problem_kind::mark_off_board,
                            "the mark (" + position_text(area.mark_col, area.mark_row) + ") is off the board"});
    return problems;
}
