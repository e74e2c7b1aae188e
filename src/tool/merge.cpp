// areatool merge: git's merge driver for areas. BASE OURS THEIRS [NAME]
// merged by records' merge_areas into OURS; each value changed two ways
// keeps ours and is listed. Start reading at run_merge().

#include <cstdio>
#include <string>

#include "text/text.h"
#include "tool/command_line.h"

int run_merge(const command_line &line)
{
    const std::string &ours_path = line.arguments[1];
    const std::string &shown = line.arguments.size() > 3 ? line.arguments[3] : ours_path;
    merge_sides sides;
    if (std::string why = read_merge_sides(line.arguments[0], ours_path, line.arguments[2], sides); !why.empty()) {
        report("cannot merge " + shown, why);
        return status_file_problem;
    }
    const area_record *base = sides.base ? &*sides.base : nullptr;
    merge_result result = merge_areas(base, sides.ours, sides.theirs);
    for (const merge_conflict &conflict : result.conflicts)
        std::printf("%s: %s\n", printable(shown).c_str(), conflict_line(conflict, base, sides.ours, sides.theirs).c_str());
    std::fflush(stdout);
    if (std::string why = write_area_file(ours_path, result.merged); !why.empty()) {
        report(cannot_write(ours_path, why));
        return status_file_problem;
    }
    return result.conflicts.empty() ? status_fine : status_file_problem;
}
