// areatool's main: the table of commands and everything they share are in
// the tool_commands library; start reading at areatool.cpp.

#include <string>
#include <vector>

#include "tool/tool.h"

int main(int argc, char **argv)
{
    return run_areatool({argv + 1, argv + argc});
}
