// areatool set: changes areas without the window, as the editor would
// change them, for designers who work by keyboard alone and for bulk edits
// by script. Each change was read whole by its option's taker before any
// file is touched; here they are applied in order to each file, and a file
// they change is written as a save writes it. Start reading at run_set().

#include <cstring>
#include <string>

#include "tool/command_line.h"

int run_set(const command_line &line)
{
    int status = status_fine;
    for (const std::string &path : line.arguments) {
        area_record area;
        if (std::string why = read_whole_area(path, area); !why.empty()) {
            report(cannot_read(path, why));
            status = status_file_problem;
            continue;
        }
        area_record changed = area;
        for (const area_change &change : line.options.changes)
            apply_change(changed, change);
        if (std::memcmp(&changed, &area, sizeof area) == 0)
            continue;  // not even rewritten
        if (std::string why = write_area_file(path, changed); !why.empty()) {
            report(cannot_write(path, why));
            status = status_file_problem;
        }
    }
    return status;
}
