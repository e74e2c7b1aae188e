// areatool new: writes NAME.ard as the editor's "Start a new area" makes it
// in a fresh program, for scripts and for designers who work without the
// window. Start reading at run_new().

#include <string>
#include <vector>

#include "tool/tool.h"

area_record new_area(std::string_view name, std::int32_t time_allowed)
{
    area_record area{};  // a fresh program's: the mark at 0, 0, every byte of the name zero
    start_area(area, name);
    area.time_allowed = time_allowed;
    return area;
}

const char *tool_name_problem(std::string_view name)
{
    if (const char *why = name_problem(name))
        return why;
    // The editor reads names as words: it could never open this one.
    if (name.find(' ') != std::string_view::npos)
        return "the name holds a space";
    return nullptr;
}

int run_new(const command_line &line)
{
    if (line.files.size() != 1)
        return refuse_arguments(line, "takes one name");
    const std::string &name = line.files[0];
    std::int32_t time_allowed = 0;
    for (const area_change &time : line.options.changes)  // each a change of the time: the last counts
        time_allowed = time.value;
    if (const char *why = tool_name_problem(name)) {
        report("cannot use that name", why);
        return status_usage;
    }
    std::string path = name + area_extension;
    if (std::string why = create_area_file(path, new_area(name, time_allowed)); !why.empty()) {
        report("cannot create " + path, why);
        return status_file_problem;
    }
    return status_fine;
}
