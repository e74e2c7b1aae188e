// areaedit: an editor for the areas of a game. The console menu picks a new
// or an existing area, the editor window paints it, and the console asks
// whether to save it. Start reading at main(), then console.cpp.

#include <cstdlib>

#include <allegro.h>

#include "console/console.h"

int main()
{
    for (;;) {
        switch (choose_from_menu(main_menu)) {
        case new_area_choice:
            start_new_area();
            break;
        case load_area_choice:
            open_existing_area();
            break;
        case exit_choice:
            return EXIT_SUCCESS;
        }
    }
}
END_OF_MAIN()
