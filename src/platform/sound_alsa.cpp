// The system sound library on Linux (ALSA), which the graphics library's
// sound drivers open. Start reading at silence_sound_library().

#include "platform/platform.h"

#include <alsa/asoundlib.h>

namespace {

// ALSA prints every failure to find a device (no card, no "default" PCM)
// on stderr, one line per step of its configuration, and the graphics
// library asks it for a device more than once a visit. The editor runs
// without sound when there is none, so these lines say nothing to the user.
void drop_sound_error(const char *, int, const char *, int, const char *, ...)
{
}

}  // namespace

void silence_sound_library()
{
    // The graphics library's sound modules are linked to the same shared
    // ALSA library, so the handler set here is the one they report through.
    snd_lib_error_set_handler(drop_sound_error);
}
