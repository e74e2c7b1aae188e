// How the editor's program tells of a failure: warn for one it goes on
// after, fail for one that ends it.
#pragma once

#include <string>

// Prints "areaedit: " and line on stderr, and goes on.
void warn(const std::string &line);

// Prints "areaedit: " and line on stderr and ends the program with status
// 1: the one way the editor's program stops on a failure. line is freed
// first; the caller should hold no other string then, as exit runs no
// destructors of locals.
[[noreturn]] void fail(std::string &&line);
