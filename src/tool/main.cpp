// areatool's main: the table of commands and everything they share are in
// the areatool_commands library; start reading at help.cpp's run_areatool.

#include <string>
#include <vector>

#include "tool/command_line.h"

int main(int argc, char **argv)
{
    return run_areatool({argv + 1, argv + argc});
}
