// areatool check: says whether files are sound area files, one line for
// each problem records' find_problems finds (with --json, one object).
// Start reading at run_check().

#include <cstdio>
#include <string>
#include <vector>

#include "formats/formats.h"
#include "pictures/pictures.h"
#include "text/text.h"
#include "tool/command_line.h"

int run_check(const command_line &line)
{
    owned_tiles drawn;
    if (!line.options.tiles.empty()) {
        if (std::string why = load_tiles_for_drawing(line.options.tiles, default_depth, drawn); !why.empty())
            return fail_with(why, status_file_problem);
    }
    auto drawable = [&drawn](std::int32_t value) { return value_drawable(drawn.tiles, value); };
    int status = status_fine;
    for (const std::string &path : line.arguments) {
        area_record area;
        bool longer = false;
        if (std::string why = read_area_file(path.c_str(), area, longer); !why.empty()) {
            std::fflush(stdout);  // keeps the lines of both streams in file order
            report("cannot read " + path, why);
            status = status_file_problem;
            continue;
        }
        std::vector<area_problem> problems = find_problems(area, longer, drawable);
        for (const area_problem &problem : problems) {
            if (line.options.json)
                std::printf("%s\n", problem_json_line(path, problem).c_str());
            else
                std::printf("%s: %s\n", printable(path).c_str(), problem.line.c_str());
        }
        if (!problems.empty())
            status = status_file_problem;
    }
    std::fflush(stdout);
    return status;
}
