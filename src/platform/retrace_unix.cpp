// The editor's wait for the display's retrace on Linux: the graphics
// library's own vsync, which sleeps here until the library's next retrace.
// Start reading at wait_for_retrace().

#include "platform/platform.h"

#include <allegro.h>

// The library paces its retraces by its own timer: nothing to ask for.
void install_retrace_timer() {}

void wait_for_retrace()
{
    vsync();
}

void remove_retrace_timer() {}
