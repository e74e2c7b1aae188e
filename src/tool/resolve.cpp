// areatool resolve: git's mergetool for areas. BASE LOCAL REMOTE MERGED
// are merged as merge merges them; the values changed two ways go to the
// user's editor in the text of the merge, both sides where each stands,
// until the text reads, and MERGED is then written as a save writes it.
// --take settles them for one side without the editor. Start reading at
// run_resolve().

#include <string>

#include "editing/editing.h"
#include "formats/formats.h"
#include "platform/platform.h"
#include "text/text.h"
#include "tool/command_line.h"

int run_resolve(const command_line &line)
{
    const std::string &merged_path = line.arguments[3];
    merge_sides sides;
    if (std::string why = read_merge_sides(line.arguments[0], line.arguments[1], line.arguments[2], sides);
        !why.empty()) {
        report("cannot merge " + merged_path, why);
        return status_file_problem;
    }
    const area_record *base = sides.base ? &*sides.base : nullptr;
    merge_result merge = merge_areas(base, sides.ours, sides.theirs);
    area_record settled = merge.merged;
    temporary_text temp;
    if (line.options.take == merge_side::theirs) {
        // The same merge with the sides swapped: every value merges alike
        // but where the two differ, which keeps theirs.
        settled = merge_areas(base, sides.theirs, sides.ours).merged;
    } else if (line.options.take == merge_side::none && !merge.conflicts.empty()) {
        // Before the user spends any work on it; the save asks again.
        if (std::string why = write_problem(merged_path); !why.empty()) {
            report(cannot_write(merged_path, why));
            return status_file_problem;
        }
        edit_end end = edit_end::read;
        if (std::string why = edit_until_read(merged_path, write_merge_text(sides, merge, base_name(merged_path)),
                                              merge.merged, &sides.theirs, temp, settled, end);
            !why.empty())
            return fail_with(why, status_file_problem);
        if (end == edit_end::emptied)  // the conflicts stay for git
            return fail_with(said_of(merged_path, emptied_text), status_file_problem);
    }
    if (std::string why = write_area_file(merged_path, settled); !why.empty()) {
        report(cannot_write(merged_path, temp.path.empty() ? why : why + "; " + keep_text(temp)));
        return status_file_problem;
    }
    return status_fine;
}
