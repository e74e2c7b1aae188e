// fail: the editor's one way to stop on a failure, shared by the area
// file, the console and the editor window.

#include "failure/failure.h"

#include <cstdio>
#include <cstdlib>

void fail(std::string &&line)
{
    std::fprintf(stderr, "areaedit: %s\n", line.c_str());
    // Freed here, as exit leaves the callers' frames without unwinding them.
    std::string().swap(line);
    std::exit(EXIT_FAILURE);
}
