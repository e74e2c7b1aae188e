// How the editor's program stops on a failure.
#pragma once

#include <string>

// Prints "areaedit: " and line on stderr and ends the program with status
// 1: the one way the editor's program stops on a failure. line is freed
// first; the caller should hold no other string then, as exit runs no
// destructors of locals.
[[noreturn]] void fail(std::string &&line);
