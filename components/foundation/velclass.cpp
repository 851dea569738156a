#include "components/foundation/velclass.h"

#include "components/foundation/VELIniCtrl.h"
#include "components/foundation/VELStrings.h"
#include "components/foundation/VELXPStyles.h"
#include "platform/classes/Filer.h"
#include "platform/forms/Application.h"
#include "platform/forms/Form.h"
#include "platform/forms/Screen.h"
#include "platform/rtl/FileUtils.h"
#include "platform/win/Bitmaps.h"
#include "platform/win/WinError.h"

#include <QPointer>
#include <QWidget>

#include <climits>
#include <cstdio>
#include <vector>

namespace velvane {

TVELApplication* GlobalApplication = nullptr;

void VELHandleException(TPersistent* sender) { HandleCaught(sender); }

// -------------------------------------------------------------- TVELTimerItem

TVELTimerItem::TVELTimerItem(TVELTimerPool* pool, std::uint16_t ident, TList<TVELTimerItem>* list)
    : ident_(ident), list_(list), pool_(pool)
{
    if (!pool || !list) throw EInvalidOperation("TVELTimerItem: Invalid Owner or List");
    ratio_ = 1000 / pool->MinInterval();
}

TVELTimerItem::~TVELTimerItem()
{
    SetEnabled(false);
    OnTimer = nullptr;
    list_->Remove(this);
}

void TVELTimerItem::SetEnabled(bool value)
{
    if (value == enabled_ || (value && CallCount == 0)) return;
    enabled_ = value;
    counter_ = 0;
}

void TVELTimerItem::SetInterval(TVELTimerInterval value)
{
    const TVELTimerInterval minimum = pool_->MinInterval();
    if (value == interval_ || value % minimum != 0) return;
    if (value == 0) value = minimum;
    ratio_ = value / minimum;
    interval_ = value;
    counter_ = 0;
}

void TVELTimerItem::Fire()
{
    if (!enabled_) return;
    counter_ = counter_ == INT_MAX ? 0 : counter_ + 1;
    if (counter_ == CallCount) SetEnabled(false);
    // The handler may release this timer: nothing of it is used afterwards.
    TVELTimerPool* const pool = pool_;
    if (OnTimer) {
        const TVELNotifyEvent handler = OnTimer;
        handler(pool);
    } else if (pool->OnTimer) {
        const TVELTimerPoolEvent handler = pool->OnTimer;
        handler(pool, ident_, counter_);
    }
}

// -------------------------------------------------------------- TVELTimerPool

TVELTimerPool::TVELTimerPool(TComponent* owner, TVELTimerInterval minInterval)
    : TVELCustomComponent(owner), minInterval_(minInterval == 0 ? 1 : minInterval)
{
}

TVELTimerPool::~TVELTimerPool()
{
    RemoveAll();
    if (window_) DeallocateHWnd(window_);
    window_ = nullptr;
}

void TVELTimerPool::SetMinInterval(TVELTimerInterval value)
{
    if (value == 0 || !(Loading() || Designing())) return;
    minInterval_ = value;
}

int TVELTimerPool::AddTimer(std::uint16_t ident, int interval, TVELNotifyEvent handler)
{
    if (IndexOfIdent(ident) >= 0) throw Exception("List index out of bounds (" + std::to_string(ident) + ")");
    if (interval < minInterval_ || interval > 65535 || interval % minInterval_ != 0)
        throw Exception("Interval not compatible with MinInterval property!");
    auto* item = new TVELTimerItem(this, ident, &items_);
    const int index = items_.Add(item);
    item->SetInterval(static_cast<TVELTimerInterval>(interval));
    item->OnTimer = std::move(handler);
    ActivatePool(true);
    return index;
}

void TVELTimerPool::RemoveTimer(std::uint16_t ident)
{
    struct Guard {
        bool& flag;
        explicit Guard(bool& f) : flag(f) { flag = true; }
        ~Guard() { flag = false; }
    } guard(removeGuard_);
    TVELTimerItem* item = FindItem(ident);
    if (!item) return;
    item->SetEnabled(false);
    item->OnTimer = nullptr;
    delete item;
    if (items_.Empty()) ActivatePool(false);
}

void TVELTimerPool::RemoveAll()
{
    if (window_ && !Designing()) {
        active_ = false;
        KillTimer(window_, 1);
    }
    while (!items_.Empty()) delete items_.Last();
}

int TVELTimerPool::IndexOfIdent(std::uint16_t ident) const
{
    for (int i = 0; i < items_.Count(); ++i)
        if (items_[i]->ident_ == ident) return i;
    return -1;
}

TVELTimerItem* TVELTimerPool::FindItem(std::uint16_t ident) const
{
    const int index = IndexOfIdent(ident);
    return index < 0 ? nullptr : items_[index];
}

int TVELTimerPool::ActiveTimers() const
{
    int count = 0;
    for (const TVELTimerItem* item : items_) count += item->enabled_ ? 1 : 0;
    return count;
}

void TVELTimerPool::ActivatePool(bool run)
{
    if (Designing()) return;
    if (!window_) window_ = AllocateHWnd([this](TMessage& m) { WndProc(m); });
    active_ = false;
    KillTimer(window_, 1);
    if (run && ActiveTimers() > 0) {
        if (SetTimer(window_, 1, minInterval_) == 0) throw EOutOfResources("Not enough timers available");
        tickCounter_ = 1;
        active_ = true;
    }
}

void TVELTimerPool::WndProc(TMessage& message)
{
    if (message.Msg != WM_TIMER) {
        message.Result = DefWindowProcA(window_, message.Msg, message.WParam, message.LParam);
        return;
    }
    if (ticking_) return;
    ticking_ = true;
    try {
        PoolTick();
    } catch (...) {
        ticking_ = false;
        VELHandleException(this);
        return;
    }
    ticking_ = false;
}

void TVELTimerPool::PoolTick()
{
    if (removeGuard_) return;
    // Handlers may add or remove timers: the count is read again each time.
    for (int i = 0; i < items_.Count(); ++i) {
        TVELTimerItem* item = items_[i];
        if (item->enabled_ && item->ratio_ > 0 && tickCounter_ % item->ratio_ == 0) item->Fire();
    }
    tickCounter_ = tickCounter_ == INT_MAX ? 0 : tickCounter_ + 1;
}

void TVELTimerPool::DeclareProperties(TPropertyList& list)
{
    TVELCustomComponent::DeclareProperties(list);
    list.Integer("MinInterval", [this] { return std::int64_t{minInterval_}; },
                 [this](std::int64_t v) { SetMinInterval(static_cast<TVELTimerInterval>(v)); })
        .Default(1000)
        .Range(1, 65535);
}

// ------------------------------------------------------------ TVELApplication

namespace {

String UpperCaseAscii(String text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// Sends a message to every widget below parent that has a window, depth
// first in child order. Handlers may free widgets on the way.
void SendToWindowedChildren(QWidget* parent, UINT message)
{
    std::vector<QPointer<QWidget>> children;
    for (QObject* child : parent->children())
        if (child->isWidgetType()) children.emplace_back(static_cast<QWidget*>(child));
    for (const QPointer<QWidget>& child : children) {
        if (!child) continue;
        if (HWND window = WindowOf(child)) SendMessageA(window, message, 0, 0);
        if (child) SendToWindowedChildren(child, message);
    }
}

// The message to the form's own controls (its direct children with a window).
void Broadcast(QWidget* form, UINT message)
{
    std::vector<QPointer<QWidget>> children;
    for (QObject* child : form->children())
        if (child->isWidgetType()) children.emplace_back(static_cast<QWidget*>(child));
    for (const QPointer<QWidget>& child : children)
        if (child)
            if (HWND window = WindowOf(child)) SendMessageA(window, message, 0, 0);
}

} // namespace

TVELApplication::TVELApplication() : TComponent(nullptr)
{
    iniCtrl_ = std::make_unique<TVELIniCtrl>(nullptr);
    if (!Designing()) {
        const String name = UpperCaseAscii(ExtractFileName(ProgramFileName()));
        mutex_ = CreateMutexA(nullptr, FALSE, name.c_str());
        AlreadyRunning = mutex_ && GetLastError() == ERROR_ALREADY_EXISTS;
    }
    pool_ = std::make_unique<TVELTimerPool>(nullptr, 50);
    MakeLogFileName(String());
    QueryPerformanceFrequency(&PerfFrequency);
    if (HBITMAP checks = LoadBitmapA(nullptr, MAKEINTRESOURCEA(OBM_CHECKBOXES))) {
        BITMAP info{};
        if (GetObjectA(checks, sizeof info, &info)) {
            CheckWidth = info.bmWidth / 4;
            CheckHeight = info.bmHeight / 3;
        }
        DeleteObject(checks);
    }
}

TVELApplication::~TVELApplication()
{
    iniCtrl_.reset();
    patternBitmap_.reset();
    pool_.reset();
    if (mutex_) CloseHandle(mutex_);
}

bool TVELApplication::ThemesActive() const
{
    return UseXPThemes && VisualStyles().Available && VisualStylesThemeActive();
}

void TVELApplication::SetThemeUse(bool value)
{
    // A control that switches themes while hearing of a switch would
    // otherwise start the broadcast again from inside it, without end.
    if (switching_) return;
    if (value == UseXPThemes) return;
    if (value && (!VisualStyles().Available || !VisualStylesThemeActive())) return;
    UseXPThemes = value;
    if (Designing() || !VisualStyles().Available) return;

    struct Switching {
        bool& flag;
        explicit Switching(bool& f) : flag(f) { flag = true; }
        ~Switching() { flag = false; }
    } switching(switching_);

    if (Application) SendMessageA(Application->Handle(), WM_THEMECHANGED, 0, 0);
    if (value)
        VisualStylesSetAppProperties(3);
    else if (!VELOnly)
        VisualStylesSetAppProperties(0);

    for (int i = 0; i < Screen().FormCount(); ++i) {
        TForm* form = Screen().Forms(i);
        if (!form->Visible() || !form->Widget()) continue;
        QPointer<QWidget> widget = form->Widget();
        const HWND handle = form->Handle();
        if (!widget) continue;
        Broadcast(widget, CM_THEMESWITCHED);
        if (widget) SendToWindowedChildren(widget, WM_THEMECHANGED);
        if (!VELOnly) SendMessageA(handle, WM_THEMECHANGED, 0, 0);
    }
}

void TVELApplication::RecheckThemes()
{
    UseXPThemes = VisualStyles().Available && VisualStylesThemeActive();
}

TBitmap* TVELApplication::GetCheckerBitmap(TColor color)
{
    // The colour a system colour stands for may have changed since the
    // pattern was made: its pixels say which it was made in.
    if (color == lastColor_ &&
        (!patternBitmap_ || patternBitmap_->Canvas().Pixels(1, 0) == QRgbToColor(ColorToQRgb(color))))
        return patternBitmap_.get();
    if (!patternBitmap_) {
        patternBitmap_ = std::make_unique<TBitmap>();
        patternBitmap_->Canvas().Brush.Color = clWhite;
        patternBitmap_->SetSize(8, 8);
    }
    TCanvas& canvas = patternBitmap_->Canvas();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            if ((x + y) % 2 != 0) canvas.SetPixels(x, y, color);
    lastColor_ = color;
    return patternBitmap_.get();
}

std::uint16_t TVELApplication::AllocTimer(int interval, TVELNotifyEvent handler)
{
    for (std::size_t slot = 0; slot < slots_.size(); ++slot) {
        if (slots_[slot]) continue;
        const auto ident = static_cast<std::uint16_t>(0xFD01 + slot);
        pool_->AddTimer(ident, interval, std::move(handler));
        slots_[slot] = 1;
        return ident;
    }
    return 0;
}

void TVELApplication::ReleaseTimer(std::uint16_t ident)
{
    if (ident < 0xFD01 || ident > 0xFDFA) return;
    pool_->RemoveTimer(ident);
    slots_[ident - 0xFD01] = 0;
}

TVELTimerItem* TVELApplication::FindTimer(std::uint16_t ident) const
{
    return pool_->FindItem(ident);
}

void TVELApplication::MakeLogFileName(const String& name)
{
    String file = name;
    if (IsBlankStr(file)) {
        file = ExtractFileName(ProgramFileName());
        const String ext = ExtractFileExt(file);
        file = file.substr(0, file.size() - ext.size()) + ".LOG";
    }
    LogName = LogPrefix == TVELPathPrefix::ppFixed ? file : PrefixPath(LogPrefix, true) + ExtractFileName(file);
}

} // namespace velvane
