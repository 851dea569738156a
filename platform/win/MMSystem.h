#pragma once
// Multimedia timers and the one sound call the programs make.
//
// Each timer event runs on a thread of its own that waits for absolute
// deadlines of the monotonic clock (start + k x delay), so a periodic event
// does not drift however long it runs; a callback that overruns skips the
// deadlines it missed instead of firing in a burst. Callbacks run on that
// thread, as the system's timer callbacks do.

#include "platform/win/WinTypes.h"

#include <cstdint>

namespace velvane {

using MMRESULT = UINT;
using DWORD_PTR = std::uintptr_t;

constexpr MMRESULT TIMERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT TIMERR_NOCANDO = 97;

constexpr UINT TIME_ONESHOT = 0x0000;
constexpr UINT TIME_PERIODIC = 0x0001;
constexpr UINT TIME_CALLBACK_FUNCTION = 0x0000;

struct TIMECAPS {
    UINT wPeriodMin;
    UINT wPeriodMax;
};

// Called with the event's id, 0, the caller's value and two zeros.
using LPTIMECALLBACK = void (*)(UINT timerId, UINT message, DWORD_PTR user, DWORD_PTR dw1, DWORD_PTR dw2);

// Periods from 1 ms to 1,000,000 ms.
MMRESULT timeGetDevCaps(TIMECAPS* caps, UINT size);
// Accepted for periods within the device's range (our waits are always as
// fine as the system allows); TIMERR_NOCANDO otherwise.
MMRESULT timeBeginPeriod(UINT period);
MMRESULT timeEndPeriod(UINT period);

// Starts an event: the callback runs after delay milliseconds, and every
// delay milliseconds after that with TIME_PERIODIC. resolution is not used.
// Returns the event's id (never 0 and never reused), or 0 for a delay
// outside the device's range, no callback, or flags other than the above.
// A one-shot event is gone once its callback has returned.
UINT timeSetEvent(UINT delay, UINT resolution, LPTIMECALLBACK callback, DWORD_PTR user, UINT flags);
// Stops an event and returns once no callback of it runs any more (called
// from the event's own callback, it returns at once and no further callback
// follows). MMSYSERR_INVALPARAM for an id that is not running.
MMRESULT timeKillEvent(UINT id);

constexpr UINT SND_SYNC = 0x0000;
constexpr UINT SND_ASYNC = 0x0001;
constexpr UINT SND_NODEFAULT = 0x0002;
constexpr UINT SND_MEMORY = 0x0004;

// No sound is played here: given no sound, the call stops what this process
// plays (nothing) and succeeds; asked to play, it fails with
// ERROR_NOT_SUPPORTED.
BOOL sndPlaySoundA(LPCSTR sound, UINT flags);

} // namespace velvane
