// areatool new: writes NAME.ard as the editor's "Start a new area" makes it
// in a fresh program, for scripts and for designers who work without the
// window. Start reading at run_new().

#include <string>

#include "tool/command_line.h"

int run_new(const command_line &line)
{
    const std::string &name = line.arguments[0];
    if (std::string why = tool_name_problem(name); !why.empty()) {
        report(name_refused, why);
        return status_usage;
    }
    std::string path = name + area_extension;
    if (std::string why = create_area_file(path, new_area(name, line.options.time_allowed)); !why.empty()) {
        report("cannot create " + path, why);
        return status_file_problem;
    }
    return status_fine;
}
