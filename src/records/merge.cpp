// merge's computation: two areas changed from a base, merged field by field
// and cell by cell; a value changed two ways keeps ours and is a conflict,
// which merge lists and resolve hands to the user. Start reading at
// merge_areas().

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
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

// Merges one value into result; a conflict adds what to conflicts.
template <typename T>
void merge_field(const merge_conflict &what, const T *base, const T &ours, const T &theirs, T &result,
                 std::vector<merge_conflict> &conflicts)
{
    if (!merge_value(base, ours, theirs, result))
        conflicts.push_back(what);
}

// conflict's part of area, as merge's lines show it.
std::string part_text(const merge_conflict &conflict, const area_record &area)
{
    switch (conflict.part) {
    case area_part::mark: return mark_text(mark_of(area));
    case area_part::time_allowed: return value_text(area.time_allowed);
    case area_part::name: return kept_name_text(area.name);
    case area_part::cell: break;
    }
    return value_text(area.cells[conflict.col][conflict.row]);
}

bool empty_file(const std::string &path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && std::filesystem::file_size(path, error) == 0;
}

}  // namespace

std::string read_merge_sides(const std::string &base, const std::string &ours, const std::string &theirs,
                             merge_sides &sides)
{
    sides.base.reset();
    if (!empty_file(base))
        sides.base.emplace();
    for (auto [path, area] : {std::pair{&base, sides.base ? &*sides.base : nullptr}, {&ours, &sides.ours},
                              {&theirs, &sides.theirs}}) {
        if (!area)
            continue;
        if (std::string why = read_whole_area(*path, *area); !why.empty())
            return said_of(*path, why);
    }
    return {};
}

merge_result merge_areas(const area_record *base, const area_record &ours, const area_record &theirs)
{
    merge_result result{ours, {}};
    area_record &merged = result.merged;
    std::vector<merge_conflict> &conflicts = result.conflicts;
    mark_position base_mark = base ? mark_of(*base) : mark_position{};
    mark_position mark;
    merge_field({area_part::mark}, base ? &base_mark : nullptr, mark_of(ours), mark_of(theirs), mark, conflicts);
    merged.mark_col = mark[0];
    merged.mark_row = mark[1];
    merge_field({area_part::time_allowed}, base ? &base->time_allowed : nullptr, ours.time_allowed,
                theirs.time_allowed, merged.time_allowed, conflicts);
    merge_field({area_part::name}, base ? &base->name : nullptr, ours.name, theirs.name, merged.name, conflicts);
    for (int col = 0; col < board_cols; ++col) {
        for (int row = 0; row < board_rows; ++row) {
            merge_field({area_part::cell, col, row}, base ? &base->cells[col][row] : nullptr, ours.cells[col][row],
                        theirs.cells[col][row], merged.cells[col][row], conflicts);
        }
    }
    return result;
}

std::string part_label(const merge_conflict &conflict)
{
    switch (conflict.part) {
    case area_part::mark: return std::string(mark_label);
    case area_part::time_allowed: return std::string(time_label);
    case area_part::name: return std::string(name_label);
    case area_part::cell: break;
    }
    return "cell at " + position_text(conflict.col, conflict.row);
}

std::string conflict_line(const merge_conflict &conflict, const area_record *base, const area_record &ours,
                          const area_record &theirs)
{
    return part_label(conflict) + " changed two ways: base " + (base ? part_text(conflict, *base) : "none")
           + "; ours " + part_text(conflict, ours) + "; theirs " + part_text(conflict, theirs);
}
