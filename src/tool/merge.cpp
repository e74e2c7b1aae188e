// areatool merge: git's merge driver for areas. Two areas changed from a
// base are merged field by field and cell by cell into OURS; a value
// changed two ways keeps ours and is listed. Start reading at run_merge(),
// then merge_areas().

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "text/text.h"
#include "tool/tool.h"

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
std::string name_text(const std::array<char, name_size> &name)
{
    return name_field_text({name.data(), name.size()}, name_field_form::without_trailing_zeros);
}

std::string mark_text(const mark_position &mark)
{
    return position_text(mark[0], mark[1]);
}

// Merges one value into result; a conflict adds its line to conflicts.
template <typename T, typename Show>
void merge_field(const std::string &what, const T *base, const T &ours, const T &theirs,
                 T &result, Show show, std::vector<std::string> &conflicts)
{
    if (!merge_value(base, ours, theirs, result))
        conflicts.push_back(what + " changed two ways: base " + (base ? show(*base) : "none")
                            + "; ours " + show(ours) + "; theirs " + show(theirs));
}

bool empty_file(const std::string &path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && std::filesystem::file_size(path, error) == 0;
}

}  // namespace

merge_result merge_areas(const area_record *base, const area_record &ours,
                         const area_record &theirs)
{
    merge_result result{ours, {}};
    area_record &merged = result.merged;
    mark_position base_mark = base ? mark_of(*base) : mark_position{};
    mark_position mark;
    merge_field("mark", base ? &base_mark : nullptr, mark_of(ours), mark_of(theirs), mark,
                mark_text, result.conflicts);
    merged.mark_col = mark[0];
    merged.mark_row = mark[1];
    merge_field("time_allowed", base ? &base->time_allowed : nullptr, ours.time_allowed,
                theirs.time_allowed, merged.time_allowed, value_text, result.conflicts);
    merge_field("name", base ? &base->name : nullptr, ours.name, theirs.name, merged.name,
                name_text, result.conflicts);
    for (int col = 0; col < board_cols; ++col) {
        for (int row = 0; row < board_rows; ++row) {
            merge_field("cell at " + position_text(col, row),
                        base ? &base->cells[col][row] : nullptr, ours.cells[col][row],
                        theirs.cells[col][row], merged.cells[col][row], value_text,
                        result.conflicts);
        }
    }
    return result;
}

// git's merge driver: BASE OURS THEIRS [NAME], merged into OURS.
int run_merge(const command_line &line)
{
    const std::vector<std::string> &files = line.files;
    if (files.size() != 3 && files.size() != 4)
        return refuse_arguments(line, "takes BASE, OURS and THEIRS, and optionally the name to report");
    const std::string &base_path = files[0];
    const std::string &ours_path = files[1];
    const std::string &theirs_path = files[2];
    const std::string &shown = files.size() > 3 ? files[3] : ours_path;

    area_record base_area, ours, theirs;
    bool have_base = !empty_file(base_path);
    for (auto [path, area] : {std::pair{&base_path, &base_area}, {&ours_path, &ours},
                              {&theirs_path, &theirs}}) {
        if (area == &base_area && !have_base)
            continue;
        if (std::string why = read_whole_area(*path, *area); !why.empty()) {
            report("cannot merge " + shown + ": " + *path, why);
            return status_file_problem;
        }
    }
    merge_result result = merge_areas(have_base ? &base_area : nullptr, ours, theirs);
    for (const std::string &conflict : result.conflicts)
        std::printf("%s: %s\n", printable(shown).c_str(), conflict.c_str());
    std::fflush(stdout);
    if (std::string why = write_area_file(ours_path, result.merged); !why.empty()) {
        report("cannot write " + ours_path, why);
        return status_file_problem;
    }
    return result.conflicts.empty() ? status_fine : status_file_problem;
}
