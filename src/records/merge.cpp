// merge's computation: two areas changed from a base, merged field by field
// and cell by cell; a value changed two ways keeps ours and is listed.
// Start reading at merge_areas().

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "records/records.h"
#include "text/text.h"

namespace {

// One value merged three ways: a side that left it as it was in base
// yields to the other, and the same change on both sides is one change.
// Without a base (git's empty BASE for a file added on both sides) only
// equal values agree. Returns false on a conflict, leaving result as ours.
template <typename T>
bool merge_value(const T *base, const T &ours, const T &theirs, T &result)
{
    result = ours;
    if (ours == theirs || (base && theirs == *base))
        return true;
    if (base && ours == *base) {
        result = theirs;
        return true;
    }
    return false;
}

using mark_position = std::array<std::int32_t, 2>;  // column, row: moved as one

mark_position mark_of(const area_record &area)
{
    return {area.mark_col, area.mark_row};
}

// All 8 bytes of the name field, since a merge keeps those after the
// terminator too.
std::string kept_name_text(const std::array<char, name_size> &name)
{
    return name_field_text({name.data(), name.size()}, name_field_form::without_trailing_zeros);
}

std::string mark_text(const mark_position &mark)
{
    return position_text(mark[0], mark[1]);
}

// Merges one value into result; a conflict adds its line to conflicts.
template <typename T, typename Show>
void merge_field(std::string_view what, const T *base, const T &ours, const T &theirs, T &result, Show show,
                 std::vector<std::string> &conflicts)
{
    if (!merge_value(base, ours, theirs, result))
        conflicts.push_back(std::string(what) + " changed two ways: base " + (base ? show(*base) : "none")
                            + "; ours " + show(ours) + "; theirs " + show(theirs));
}

}  // namespace

merge_result merge_areas(const area_record *base, const area_record &ours,
                         const area_record &theirs)
{
    merge_result result{ours, {}};
    area_record &merged = result.merged;
    mark_position base_mark = base ? mark_of(*base) : mark_position{};
    mark_position mark;
    merge_field(mark_label, base ? &base_mark : nullptr, mark_of(ours), mark_of(theirs), mark, mark_text,
                result.conflicts);
    merged.mark_col = mark[0];
    merged.mark_row = mark[1];
    merge_field(time_label, base ? &base->time_allowed : nullptr, ours.time_allowed, theirs.time_allowed,
                merged.time_allowed, value_text, result.conflicts);
    merge_field(name_label, base ? &base->name : nullptr, ours.name, theirs.name, merged.name, kept_name_text,
                result.conflicts);
    for (int col = 0; col < board_cols; ++col) {
        for (int row = 0; row < board_rows; ++row) {
            merge_field("cell at " + position_text(col, row), base ? &base->cells[col][row] : nullptr,
                        ours.cells[col][row], theirs.cells[col][row], merged.cells[col][row], value_text,
                        result.conflicts);
        }
    }
    return result;
}
