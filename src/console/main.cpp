// areaedit: an editor for the areas of a game. The console menu picks a new
// or an existing area, the editor window paints it, and the console asks
// whether to save it. Start reading at main(), then console.cpp.

#include <cstdlib>

#include <allegro.h>

#include "console/console.h"

int main()
{
    run_main_menu();
    return EXIT_SUCCESS;
}
END_OF_MAIN()
