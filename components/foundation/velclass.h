#pragma once
// The component library's process-wide application object and its timer
// pool.
//
// TVELTimerPool multiplexes any number of timers over one window timer of a
// hidden window: it ticks every MinInterval milliseconds, and a timer whose
// Interval is k times MinInterval fires on every k-th tick. TVELApplication
// (GlobalApplication) holds the theme switch, the checker pattern of pressed
// flat buttons, the check-box size, the settings control and 250 timer slots
// on one pool.

#include "components/foundation/VELCustomComponent.h"
#include "components/foundation/velprocs.h"
#include "platform/classes/Lists.h"
#include "platform/graphics/Graphics.h"
#include "platform/win/Synch.h"
#include "platform/win/SysInfo.h"
#include "platform/win/Windows.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

namespace velvane {

class TVELIniCtrl;
class TVELTimerPool;

// The library's messages.
constexpr UINT WM_THEMECHANGED = 0x031A;
constexpr UINT CM_THEMESWITCHED = 0xB0D6;

// The library's "no colour".
constexpr TColor clVELNone = 0x1FFFFFFF;

// Timer periods in milliseconds, 1..65535.
using TVELTimerInterval = std::uint16_t;

// Sender, ident, counter.
using TVELTimerPoolEvent = std::function<void(TPersistent* sender, std::uint16_t ident, int counter)>;

class TVELTimerItem {
public:
    // Raises EInvalidOperation "TVELTimerItem: Invalid Owner or List" without
    // a pool or a list. Does not add itself to the list.
    TVELTimerItem(TVELTimerPool* pool, std::uint16_t ident, TList<TVELTimerItem>* list);
    // Disables, drops the handler and leaves the list.
    ~TVELTimerItem();
    TVELTimerItem(const TVELTimerItem&) = delete;
    TVELTimerItem& operator=(const TVELTimerItem&) = delete;

    int CallCount = -1;  // fires this often, then disables itself; -1 without end
    int Counter() const { return counter_; }
    bool Enabled() const { return enabled_; }
    // Refused (no change) while CallCount is 0; zeroes Counter.
    void SetEnabled(bool value);
    std::uint16_t Ident() const { return ident_; }
    TVELTimerInterval Interval() const { return interval_; }
    // Ignored unless a multiple of the pool's MinInterval (0 means
    // MinInterval); zeroes Counter.
    void SetInterval(TVELTimerInterval value);
    int Ratio() const { return ratio_; }
    // Sender: the pool.
    TVELNotifyEvent OnTimer;

private:
    friend class TVELTimerPool;
    void Fire();

    int counter_ = 0;
    bool enabled_ = true;
    std::uint16_t ident_;
    TVELTimerInterval interval_ = 1000;
    int ratio_;
    TList<TVELTimerItem>* list_;
    TVELTimerPool* pool_;
};

class TVELTimerPool : public TVELCustomComponent {
public:
    explicit TVELTimerPool(TComponent* owner) : TVELTimerPool(owner, 1000) {}
    TVELTimerPool(TComponent* owner, TVELTimerInterval minInterval);
    // Removes every timer and frees the hidden window.
    ~TVELTimerPool() override;
    const char* ClassName() const override { return "TVELTimerPool"; }

    TVELTimerInterval MinInterval() const { return minInterval_; }
    // Changes only while loading or designing.
    void SetMinInterval(TVELTimerInterval value);
    // For timers without a handler of their own.
    TVELTimerPoolEvent OnTimer;

    // Raises "List index out of bounds (ident)" for an ident present and
    // "Interval not compatible with MinInterval property!" for an interval
    // that is not a multiple of MinInterval (or below it, or above 65535).
    // The new timer is enabled and the pool runs; answers its index.
    int AddTimer(std::uint16_t ident, int interval, TVELNotifyEvent handler);
    void RemoveTimer(std::uint16_t ident);
    void RemoveAll();
    int IndexOfIdent(std::uint16_t ident) const;
    TVELTimerItem* FindItem(std::uint16_t ident) const;
    int ActiveTimers() const;
    // Starts the window timer when run and some timer is enabled, else
    // stops it. Raises EOutOfResources "Not enough timers available".
    void ActivatePool(bool run);

    bool Active() const { return active_; }
    int TickCounter() const { return tickCounter_; }
    int Count() const { return items_.Count(); }
    // The hidden window whose WM_TIMER drives the pool (null until needed).
    HWND WindowHandle() const { return window_; }

    void DeclareProperties(TPropertyList& list) override;

private:
    void WndProc(TMessage& message);
    void PoolTick();

    TVELTimerInterval minInterval_;
    bool active_ = false;
    bool ticking_ = false;
    HWND window_ = nullptr;
    int tickCounter_ = 0;
    TList<TVELTimerItem> items_;
    bool removeGuard_ = false;
};

class TVELApplication : public TComponent {
public:
    // Creates the mutex named after the program, the timer pool (50 ms),
    // the settings control, and reads the check-box size.
    TVELApplication();
    ~TVELApplication() override;
    const char* ClassName() const override { return "TVELApplication"; }

    bool UseXPThemes = true;
    bool VELOnly = false;  // only the library's own controls hear of a theme change
    std::uint8_t Options = 0x36;
    std::uint8_t EffectDelay = 3;
    String Mask = "#tdl";
    bool AlreadyRunning = false;
    TVELPathPrefix LogPrefix = TVELPathPrefix::ppProgram;
    String LogName;
    int LogMaxSize = -1;
    int EditMode = 1;
    LARGE_INTEGER PerfFrequency = 0;
    int CheckWidth = 0;
    int CheckHeight = 0;

    TVELIniCtrl* IniCtrl() const { return iniCtrl_.get(); }
    TVELTimerPool* TimerPool() const { return pool_.get(); }
    HANDLE Mutex() const { return mutex_; }
    TColor LastColor() const { return lastColor_; }

    // UseXPThemes, and the visual-styles library says a theme is active.
    bool ThemesActive() const;
    // Switches theme use and tells every visible form's windows. A switch
    // asked for while one is being told is ignored.
    void SetThemeUse(bool value);
    // UseXPThemes := a theme is active (nothing is told).
    void RecheckThemes();

    // An 8 x 8 pattern: white, with the pixels whose column and row differ
    // in parity set to color. Null for clVELNone before any other colour.
    // Owned by the object.
    TBitmap* GetCheckerBitmap(TColor color);

    // A timer on the pool in the lowest free of 250 slots (ident 0xFD00 +
    // slot), enabled and running; 0 when every slot is taken.
    std::uint16_t AllocTimer(int interval, TVELNotifyEvent handler);
    void ReleaseTimer(std::uint16_t ident);
    TVELTimerItem* FindTimer(std::uint16_t ident) const;

    // Sets LogName: the name (blank: the program file's name with ".LOG")
    // in the folder of LogPrefix, or as it is for ppFixed.
    void MakeLogFileName(const String& name);

private:
    std::unique_ptr<TVELIniCtrl> iniCtrl_;
    std::unique_ptr<TVELTimerPool> pool_;
    std::unique_ptr<TBitmap> patternBitmap_;
    TColor lastColor_ = clVELNone;
    HANDLE mutex_ = nullptr;
    std::array<std::uint8_t, 250> slots_{};
    bool switching_ = false;
};

// The process-wide application object; null before the library starts.
extern TVELApplication* GlobalApplication;

// Hands an exception being caught now to the program's application object
// (or to stderr without one); the library's message handlers use it so that
// nothing escapes into the event loop.
void VELHandleException(TPersistent* sender);

} // namespace velvane
