// areatool edit: an area as text in the user's own editor, for designers
// who work with a screen reader or simply prefer their editor to the
// window. The editing module runs the editor until its text reads as an
// area, which is saved as a save does; the area file is touched only by
// that one save. Start reading at run_edit().

#include <cstdio>
#include <cstring>
#include <string>

#include "editing/editing.h"
#include "formats/formats.h"
#include "platform/platform.h"
#include "text/text.h"
#include "tool/command_line.h"

int run_edit(const command_line &line)
{
    const std::string &path = line.arguments[0];
    area_record area;
    if (std::string why = read_whole_area(path, area); !why.empty()) {
        report(cannot_read(path, why));
        return status_file_problem;
    }
    // Before the user spends any work on it; the save asks again.
    if (std::string why = write_problem(path); !why.empty()) {
        report(cannot_write(path, why));
        return status_file_problem;
    }
    area_record edited;
    temporary_text temp;
    edit_end end = edit_end::read;
    if (std::string why = edit_until_read(path, write_area_text(area, base_name(path)), area, nullptr, temp, edited, end);
        !why.empty())
        return fail_with(why, status_file_problem);
    if (end == edit_end::emptied) {
        std::printf("%s\n", said_of(path, emptied_text).c_str());
        return status_fine;
    }
    if (std::memcmp(&edited, &area, sizeof area) == 0) {
        std::printf("%s: unchanged\n", printable(path).c_str());
        return status_fine;
    }
    if (std::string why = write_area_file(path, edited); !why.empty()) {
        report(cannot_write(path, why + "; " + keep_text(temp)));
        return status_file_problem;
    }
    return status_fine;
}
