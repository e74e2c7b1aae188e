// areatool merge: git's merge driver for areas. BASE OURS THEIRS [NAME]
// merged by records' merge_areas into OURS; each value changed two ways
// keeps ours and is listed. Start reading at run_merge().

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

#include "text/text.h"
#include "tool/command_line.h"

namespace {

// git hands an empty BASE for a file added on both sides.
bool empty_file(const std::string &path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && std::filesystem::file_size(path, error) == 0;
}

}  // namespace

int run_merge(const command_line &line)
{
    const std::string &base_path = line.arguments[0];
    const std::string &ours_path = line.arguments[1];
    const std::string &theirs_path = line.arguments[2];
    const std::string &shown = line.arguments.size() > 3 ? line.arguments[3] : ours_path;

    area_record base_area, ours, theirs;
    bool have_base = !empty_file(base_path);
    for (auto [path, area] : {std::pair{&base_path, &base_area}, {&ours_path, &ours}, {&theirs_path, &theirs}}) {
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
