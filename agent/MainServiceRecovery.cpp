// The overlay the job draws, and the error handler with the recoveries it
// starts when a job fails.

#include "agent/MainService.h"

#include "agent/ActionManager.h"
#include "platform/forms/Dialogs.h"
#include "platform/graphics/Graphics.h"
#include "platform/net/HTTPClient.h"
#include "platform/rtl/AppPaths.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/LegacyText.h"
#include "platform/win/WinError.h"
#include "settings/PictureToWallpaper.h"

#include <chrono>
#include <utility>

namespace velvane::agent {

void DrawOverlay(TBitmap& bitmap, const String& text, const String& miniBannerFile)
{
    TCanvas& canvas = bitmap.Canvas();
    canvas.Font.Style |= fsBold;
    canvas.Font.Size = 9;
    // Read before anything is drawn; outside the picture it reads -1.
    const TColor sampled = canvas.Pixels(16, 52);
    canvas.Font.Color = static_cast<std::int32_t>(sampled) > 0x7FFFFF ? clBlack : clWhite;
    canvas.Brush.Color = sampled;
    canvas.Brush.Style = TBrushStyle::bsSolid;
    int top = 10;
    if (FileExists(miniBannerFile)) {
        TJPEGImage banner;
        banner.LoadFromFile(miniBannerFile);
        canvas.Draw(10, 10, banner);
        top = banner.Height() + 12;
    }
    canvas.TextOut(10, top, LegacyTextToUtf8(text));
}

bool TMainForm::DrawWallpaperOverlay(TBitmap& bitmap)
{
    DrawOverlay(bitmap, OverlayMessage.empty() ? WallpaperMessage : OverlayMessage,
                GetAppFilePath() + "minibanner.jpg");
    OverlayMessage.clear();
    return true;
}

void TMainForm::JobStarting()
{
    // A job that no recovery started begins a new chain; the outcome of the
    // last one stays on show until then.
    if (inRecovery_) return;
    recoveryJobs_ = 0;
    chainChose_ = chainApplied_ = false;
    failureStanding_ = false;
}

void TMainForm::EntryChosen() { chainChose_ = true; }

void TMainForm::PictureApplied(const String& entry)
{
    Cfg.cfg_CurrentIMG = entry;
    Cfg.cfg_CurrentImgPos = EntryPosition(*EnabledImages, entry);
    Cfg.cfg_LastAplly = Now();
    appliedSet_ = true;
    chainApplied_ = true;
    failureStanding_ = false;
    failedRuns_ = 0;
    retryAt_.reset();
}

void TMainForm::JobEnded()
{
    if (inRecovery_ || !chainChose_ || chainApplied_) return;
    // Every road of the chain failed: the user is told, and the next
    // automatic run waits longer after each such chain.
    failureStanding_ = true;
    ++failedRuns_;
    retryAt_ = TickClock().Now() + std::chrono::seconds(RetryDelay(failedRuns_));
    ConStatus->SetPanel(1, Msg(52));
}

bool TMainForm::RetryDue() const { return !retryAt_ || TickClock().Now() >= *retryAt_; }

bool TMainForm::RecoveryJob(const String& forced)
{
    // Every entry and the default image have had their turn: a list whose
    // pictures all fail ends here instead of trying forever.
    if (recoveryJobs_ > EnabledImages->Count()) return false;
    ++recoveryJobs_;
    ForcedImage = forced;
    const bool outer = std::exchange(inRecovery_, true);
    try {
        ApplyUpdate(Widget());
    } catch (...) {
        inRecovery_ = outer;
        ForcedImage.clear();
        throw;
    }
    inRecovery_ = outer;
    ForcedImage.clear();
    return true;
}

void TMainForm::HandJobError(std::unique_ptr<Exception> error)
{
    // The recovery's own jobs fail into the loop below rather than into a
    // handler within a handler, so a long chain does not grow the stack.
    if (handlingJobError_) {
        nextJobError_ = std::move(error);
        return;
    }
    handlingJobError_ = true;
    try {
        while (error) {
            AppEventsException(this, *error);
            error = std::move(nextJobError_);
        }
    } catch (...) {
        handlingJobError_ = false;
        nextJobError_.reset();
        throw;
    }
    handlingJobError_ = false;
}

std::optional<String> TMainForm::NextLocalEntry(const String& from)
{
    // Web entries by the job's own rule, "http://" ones too: offline, each
    // would fail again as the one before.
    const auto web = [](const String& name) { return IsWebAddress(name); };
    String name = from;
    for (;;) {
        for (int steps = 0; web(name);) {
            Cfg.cfg_Order = 0;
            SetImageAndPos();
            name = Cfg.cfg_CurrentIMG;
            if (web(name) && (name == from || ++steps >= EnabledImages->Count())) break;
        }
        if (!web(name)) return name;
        if (MessageDlg(Format(Msg(40), {"\r"}), TMsgDlgType::mtError, mbOK) == mrOk) return std::nullopt;
    }
}

void TMainForm::TellError(const String& message)
{
    const DWORD code = GetLastError();
    if (code != ERROR_SUCCESS && code != WSAEADDRNOTAVAIL) MessageDlg(message, TMsgDlgType::mtError, mbOK);
}

void TMainForm::AppEventsException(TPersistent*, const Exception& e)
{
    const auto text = [this](const String& why) {
        return Format(Msg(39), {static_cast<std::int32_t>(GetLastError()), why, "\r"});
    };
    const String message = text(e.Message());
    HTTPc->Disconnect();
    const std::string_view kind = e.ClassName();
    bool tell = false;
    // A recovery's job that fails in a way no recovery follows (a damaged
    // picture, a server out of reach) is told by the same rule, never
    // passed on to be shown as it stands.
    try {
        if (kind == "EIdProtocolReplyError") {
            // A web picture the server would not give: its default image.
            if (!Cfg.cfg_UseDefaultImage) {
                tell = true;
            } else {
                try {
                    RecoveryJob(DefaultImage);
                } catch (const std::exception&) {
                    HTTPc->Disconnect();
                    tell = true;
                }
            }
        } else if (kind == "EIdSocketError") {
            // The default image failed too: a local picture.
            const int order = Cfg.cfg_Order;
            std::optional<String> local = NextLocalEntry(Cfg.cfg_CurrentIMG);
            Cfg.cfg_Order = order;
            if (local) RecoveryJob(*local);
        } else if (kind == "EFOpenError") {
            SetImageAndPos();
            RecoveryJob(String());
        } else {
            tell = true;
        }
    } catch (const Exception& failed) {
        HTTPc->Disconnect();
        TellError(text(failed.Message()));
        return;
    } catch (const std::exception& failed) {
        HTTPc->Disconnect();
        TellError(text(failed.what()));
        return;
    }
    if (tell) TellError(message);
}

} // namespace velvane::agent
