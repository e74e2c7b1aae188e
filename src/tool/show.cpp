// areatool show: each area as plain text (records' show_area), or with
// --json as one JSON object a file. Start reading at run_show().

#include <cstdio>
#include <string>

#include "formats/formats.h"
#include "text/text.h"
#include "tool/command_line.h"

int run_show(const command_line &line)
{
    const std::vector<std::string> &files = line.arguments;
    int status = status_fine;
    bool first = true;
    for (const std::string &path : files) {
        area_record area;
        bool longer = false;
        if (std::string why = read_area_file(path.c_str(), area, longer); !why.empty()) {
            report(cannot_read(path, why));
            status = status_file_problem;
            continue;
        }
        if (line.options.json) {
            std::printf("%s\n", area_json_line(path, area, longer).c_str());
            continue;
        }
        if (files.size() > 1)
            std::printf("%s==> %s <==\n", first ? "" : "\n", printable(path).c_str());
        first = false;
        std::fputs(show_area(area, longer).c_str(), stdout);
    }
    std::fflush(stdout);
    return status;
}
