// The display under X11: what happens when the connection to it is lost
// while the editor's window is open.

#include "platform/platform.h"

#include <cstdlib>

#include <unistd.h>

#include <X11/Xlib.h>

namespace {

// Xlib's own handler for a lost display calls exit from inside the library,
// whose exit handler then waits for a lock the library already holds: the
// program hangs or aborts. Nothing can be saved without the window, so end
// at once with one line. The line is spelled out here rather than going
// through warn (failure/): inside the handler only write and _exit are
// safe, and warn's stdio and strings are not.
int lose_display(Display *)
{
    static constexpr char message[] = "areaedit: lost the connection to the display; the area is not saved\n";
    [[maybe_unused]] auto written = ::write(STDERR_FILENO, message, sizeof message - 1);
    ::_exit(EXIT_FAILURE);
}

}  // namespace

void watch_display()
{
    XSetIOErrorHandler(lose_display);
}
