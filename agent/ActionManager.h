#pragma once
// TActionManager: the agent's scheduler. Every few seconds, while no job
// runs, it has the main thread check the connection, fetch the server's
// settings once per connection and run the schedule, then show the
// connection state: all in one hand-over, so an idle cycle wakes each thread
// once. Also the schedule's due rules and the choice of the next image,
// which the main thread applies.

#include "platform/classes/Thread.h"
#include "platform/rtl/Types.h"

#include <functional>

namespace velvane {
struct TConfig;
class TStrings;
} // namespace velvane

namespace velvane::agent {

class TMainForm;

class TActionManager : public TThread {
public:
    // Created suspended, at a lower priority; the window resumes it.
    explicit TActionManager(TMainForm* form);
    ~TActionManager() override;

    // Waits between cycles; returns early once the thread is terminated.
    // Tests replace it.
    std::function<void(int milliseconds)> Pause;

protected:
    void Execute() override;

private:
    // One cycle on the main thread; idle: no job ran when the thread looked.
    void Cycle(bool idle);
    TMainForm* form_;
};

// Mode 1: the day (as the short date text shows it) has changed.
bool DueToday(TDateTime lastApply, TDateTime now);
// Mode 2: more than the hours have passed (equal is not due).
bool DueOnTime(TDateTime lastApply, int hours, TDateTime now);
// Mode 3: another moment on the same weekday.
bool DueThisWeek(TDateTime lastApply, TDateTime now);

// Seconds the next automatic run waits once that many runs in a row could
// apply no picture: from 3 s, doubling, up to an hour.
int RetryDelay(int failures);

// The first entry equal to entry, letter case ignored; -1 when none.
int EntryPosition(const TStrings& images, const String& entry);
// Chooses the next image into cfg_CurrentIMG, cfg_CurrentImgPos and
// cfg_LastImageError: the one after the current entry, or (order 1) one
// drawn at random, drawn again up to twice when it is the current one.
// Nothing changes for an empty list.
void SetImageAndPos(TConfig& cfg, const TStrings& images, const std::function<int(int count)>& random);

} // namespace velvane::agent
