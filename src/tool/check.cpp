// areatool check: says whether files are sound area files, each problem
// records' find_problems finds written in the format asked for: a line a
// problem as each file is read (text, JSON Lines, GitHub's workflow
// commands), or one document of them all at the end (GitLab's report, a
// SARIF log). Start reading at run_check().

#include <cstdio>
#include <string>
#include <vector>

#include "formats/formats.h"
#include "pictures/pictures.h"
#include "text/text.h"
#include "tool/command_line.h"

int run_check(const command_line &line)
{
    std::string_view format_name = !line.options.format.empty() ? std::string_view(line.options.format)
                                   : line.options.json          ? json_format
                                                                : text_format;
    const check_format &format = *find_check_format(format_name);
    owned_tiles drawn;
    if (!line.options.tiles.empty()) {
        if (std::string why = load_tiles_for_drawing(line.options.tiles, default_depth, drawn); !why.empty())
            return fail_with(why, status_file_problem);
    }
    auto drawable = [&drawn](std::int32_t value) { return value_drawable(drawn.tiles, value); };
    int status = status_fine;
    std::vector<checked_file> checked;
    for (const std::string &path : line.arguments) {
        area_record area;
        bool longer = false;
        if (std::string why = read_area_file(path.c_str(), area, longer); !why.empty()) {
            std::fflush(stdout);  // keeps the lines of both streams in file order
            report(cannot_read(path, why));
            status = status_file_problem;
            continue;
        }
        checked_file file{path, find_problems(area, longer, drawable)};
        if (!file.problems.empty())
            status = status_file_problem;
        if (format.lines)
            std::fputs(format.lines(file).c_str(), stdout);
        else
            checked.push_back(std::move(file));
    }
    if (format.document)
        std::fputs(format.document(checked).c_str(), stdout);
    std::fflush(stdout);
    return status;
}
