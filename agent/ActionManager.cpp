#include "agent/ActionManager.h"

#include "agent/MainService.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/LegacyText.h"
#include "platform/rtl/Strings.h"
#include "settings/ShareMisc.h"

#include <QString>

#include <algorithm>

namespace velvane::agent {

TActionManager::TActionManager(TMainForm* form) : TThread(true), form_(form)
{
    SetPriority(TThreadPriority::tpLower);
    // Closing the window ends the pause at once.
    Pause = [this](int milliseconds) { PauseUnlessTerminated(milliseconds); };
}

TActionManager::~TActionManager()
{
    Terminate();
    if (!Suspended()) WaitFor();
}

void TActionManager::Cycle(bool idle)
{
    TMainForm& f = *form_;
    // Each step looks again: the one before may have let a job start from
    // the menu (a transfer serves the window's messages), and that job must
    // not see the connection set up again under it; a window that closes
    // meanwhile ends the cycle.
    const auto mayStep = [this, &f] { return !Terminated() && !f.JobRunning(); };
    try {
        if (idle) {
            if (mayStep()) f.CheckConnection();
            if (mayStep() && Online && !SettingsLoaded) f.LoadServerSettings();
            if (mayStep()) f.CheckSchedule();
        }
        if (!Terminated()) f.UpDateConStatus();
    } catch (...) {
        // A failed cycle shows the PC offline until the next check.
        Online = false;
        if (Terminated()) return;
        try {
            f.UpDateConStatus();
        } catch (...) {
        }
    }
}

void TActionManager::Execute()
{
    // Once the program is asked to end, no further cycle starts. A failed
    // cycle still pauses: a check that keeps failing must not spin.
    while (!Terminated() && !form_->QuitRequested()) {
        const bool idle = !form_->JobRunning();
        SynchronizeAndPause([this, idle] { Cycle(idle); }, Pause, 3000);
    }
}

bool DueToday(TDateTime lastApply, TDateTime now) { return DateToStr(now) != DateToStr(lastApply); }

bool DueOnTime(TDateTime lastApply, int hours, TDateTime now)
{
    return lastApply + hours * 0.0416666666666667 < now;
}

bool DueThisWeek(TDateTime lastApply, TDateTime now)
{
    return now != lastApply && DayOfWeek(now) == DayOfWeek(lastApply);
}

int RetryDelay(int failures)
{
    constexpr int kFirst = 3, kLongest = 60 * 60;
    int delay = kFirst;
    for (int i = 1; i < failures && delay < kLongest; ++i) delay *= 2;
    return std::min(delay, kLongest);
}

int EntryPosition(const TStrings& images, const String& entry)
{
    const QString wanted = QString::fromStdString(LegacyTextToUtf8(entry));
    for (int i = 0; i < images.Count(); ++i)
        if (QString::fromStdString(LegacyTextToUtf8(images[i])).compare(wanted, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

void SetImageAndPos(TConfig& cfg, const TStrings& images, const std::function<int(int count)>& random)
{
    const int n = images.Count();
    if (n == 0) return;
    if (cfg.cfg_CurrentImgPos <= 0) {
        // Resume where the last failed (or last chosen) image was.
        const int resume = cfg.cfg_LastImageError < 0 || cfg.cfg_LastImageError >= n ? 0 : cfg.cfg_LastImageError;
        cfg.cfg_CurrentImgPos = resume;
        cfg.cfg_CurrentIMG = images[resume];
    }
    const int i = EntryPosition(images, cfg.cfg_CurrentIMG);
    cfg.cfg_CurrentImgPos = i < 0 ? 0 : i;
    int candidate = i < 0 || i == n - 1 ? 0 : i + 1;
    if (cfg.cfg_Order == 1) {
        candidate = random(n);
        for (int draw = 2; draw <= 3 && candidate == cfg.cfg_CurrentImgPos; ++draw) candidate = random(n);
    }
    cfg.cfg_CurrentImgPos = candidate;
    cfg.cfg_LastImageError = candidate;
    cfg.cfg_CurrentIMG = images[candidate];
}

} // namespace velvane::agent
