// warn and fail: the editor's one way to tell of a failure, and to stop on
// one, shared by the area file, the console and the editor window.

#include "failure/failure.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char *program_prefix = "areaedit: ";

}  // namespace

void warn(const std::string &line)
{
    std::fprintf(stderr, "%s%s\n", program_prefix, line.c_str());
}

void fail(std::string &&line)
{
    warn(line);
    // Freed here, as exit leaves the callers' frames without unwinding them.
    std::string().swap(line);
    std::exit(EXIT_FAILURE);
}
