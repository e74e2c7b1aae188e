// The editor's wait for the display's retrace on Windows: the time left
// until the next one is slept, not polled. Start reading at
// wait_for_retrace().
//
// The graphics library's own vsync cannot be the wait here. Its windowed
// DirectDraw driver asks DirectDraw to wait for the vertical blank, which
// comes back at once under Wine and busy-waits on many Windows drivers:
// either way the editor would draw as fast as the processor allows and
// keep a core busy while it sits still. In a window the system composes
// the screen itself, so the frame only needs the pace of the retraces,
// not to meet one.

#include "platform/platform.h"

#include <allegro.h>
#include <winalleg.h>  // <windows.h>, as the library's own BITMAP allows it beside

#include <mmsystem.h>

namespace {

constexpr int unreported_refresh_rate = 60;  // Hz, where the library cannot tell
constexpr UINT finest_timer_tick = 1;        // ms

bool tick_asked = false;     // timeBeginPeriod is in force, to be ended
LONGLONG counts_per_second;  // of the performance counter
LONGLONG retrace_period;     // in counts
LONGLONG last_retrace;       // the latest retrace the editor was let go at

LONGLONG counter_now()
{
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

}  // namespace

void install_retrace_timer()
{
    // Windows wakes a sleeping thread at its timer tick, about 15.6 ms by
    // default: longer than a frame at 60 Hz, so a sleep of the time left
    // would miss every other retrace. The finer tick is asked for while
    // the editor's window is open only, as it costs the whole system power.
    tick_asked = ::timeBeginPeriod(finest_timer_tick) == TIMERR_NOERROR;
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    counts_per_second = frequency.QuadPart;
    int rate = get_refresh_rate();
    retrace_period = counts_per_second / (rate > 0 ? rate : unreported_refresh_rate);
    last_retrace = counter_now();
}

void wait_for_retrace()
{
    // The retraces fall at last_retrace plus whole periods, so a wake-up a
    // little late does not put the next one later. A frame that ends after
    // its retrace goes at once, to catch up; one more than a whole period
    // late (the machine was busy) starts the count afresh instead of
    // drawing the missed frames in a burst.
    LONGLONG now = counter_now();
    LONGLONG next = last_retrace + retrace_period;
    if (now - next >= retrace_period) {
        next = now;
    } else if (now < next) {
        // Rounded up to whole milliseconds, so as not to wake before it.
        LONGLONG left = next - now;
        ::Sleep(static_cast<DWORD>((left * 1000 + counts_per_second - 1) / counts_per_second));
    }
    last_retrace = next;
}

void remove_retrace_timer()
{
    if (tick_asked)
        ::timeEndPeriod(finest_timer_tick);
    tick_asked = false;
}
