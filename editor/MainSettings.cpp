// The editor's 22 settings lines: read at start, written at close, after the
// settings dialog and after every apply.

#include "editor/Main.h"

#include "dialogs/Config.h"
#include "dialogs/NumEdit.h"
#include "platform/forms/ComCtrls.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/StdCtrls.h"
#include "editor/FileSet.h"
#include "editor/NetConnection.h"
#include "editor/WallPaper.h"
#include "platform/forms/Dialogs.h"
#include "platform/net/HTTPClient.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/win/WinError.h"
#include "settings/WinRegistry.h"

#include <exception>
#include <optional>

namespace velvane {

namespace {

const char* BoolText(bool value) { return value ? "True" : "False"; }

// The lines of the values the agent writes too.
constexpr int kCurrentImgLine = 11, kCurrentImgPosLine = 12, kLastApllyLine = 13;

int StateOrdinal(TWindowState state)
{
    switch (state) {
    case TWindowState::wsMinimized: return 1;
    case TWindowState::wsMaximized: return 2;
    default: return 0;
    }
}

} // namespace

void TMainForm::UpdateSetings()
{
    // All 22 as one moment of the store holds them, never half of a save.
    WinRegistry->Together([this] { ReadSettingsLines(); });
    sharedChanged_.reset();
}

void TMainForm::ReadSettingsLines()
{
    // A value missing from the registry (the first start) or unreadable
    // reads as nothing: the field keeps its zero, and the window its stored
    // placement. Only a failure of the store itself is reported, once, after
    // every line has been tried.
    std::exception_ptr storeFailure;
    auto read = [&](int index) -> std::optional<Variant> {
        SetLastError(ERROR_SUCCESS);
        try {
            return WinRegistry->ReadValue(WinRegistry->RegistryLines()[index]);
        } catch (const Exception&) {
            if (GetLastError() != ERROR_SUCCESS && !storeFailure) storeFailure = std::current_exception();
            return std::nullopt;
        }
    };
    auto integer = [&](int index) { return read(index).value_or(Variant()).AsInteger(); };
    auto boolean = [&](int index) { return read(index).value_or(Variant()).AsBoolean(); };
    auto text = [&](int index) { return read(index).value_or(Variant()).AsString(); };

    std::optional<Variant> top = read(0), left = read(1), width = read(2), height = read(3);
    if (top && left && width && height && width->AsInteger() > 0 && height->AsInteger() > 0)
        SetBounds(left->AsInteger(), top->AsInteger(), width->AsInteger(), height->AsInteger());
    std::optional<Variant> state = read(4);
    FileSet->setVisible(boolean(5));

    Cfg.cfg_Action = integer(6);
    Cfg.cfg_TimeLenght = integer(7);
    Cfg.cfg_Order = integer(8);
    Cfg.cfg_ProxyIP = text(9);
    Cfg.cfg_ProxyPort = integer(10);
    Cfg.cfg_CurrentIMG = text(11);
    Cfg.cfg_CurrentImgPos = integer(12);
    Cfg.cfg_LastAplly = read(13).value_or(Variant()).AsDateTime();
    Cfg.cfg_FileInUse = text(14);
    Cfg.cfg_ConType = integer(15);
    Cfg.cfg_MailUser = text(16);
    Cfg.cfg_Activate = boolean(17);
    Cfg.cfg_UseDefaultImage = boolean(18);
    Cfg.cfg_IEProxyAuto = boolean(19);
    Cfg.cfg_Silent = boolean(20);
    Cfg.cfg_Priority = static_cast<std::uint16_t>(integer(21));

    // Any other value leaves the window in the state it has.
    if (state) {
        switch (state->AsInteger()) {
        case 0: SetWindowState(TWindowState::wsNormal); break;
        case 1: SetWindowState(TWindowState::wsMinimized); break;
        case 2: SetWindowState(TWindowState::wsMaximized); break;
        default: break;
        }
    }
    if (storeFailure) std::rethrow_exception(storeFailure);
}

void TMainForm::UpdateWinRegistry(QObject*)
{
    std::exception_ptr failure;
    try {
        const String values[22] = {
            IntToStr(Top()),
            IntToStr(Left()),
            IntToStr(Width()),
            IntToStr(Height()),
            IntToStr(StateOrdinal(WindowState())),
            BoolText(!FileSet->isHidden()),
            IntToStr(Cfg.cfg_Action),
            IntToStr(Cfg.cfg_TimeLenght),
            IntToStr(Cfg.cfg_Order),
            Cfg.cfg_ProxyIP,
            IntToStr(Cfg.cfg_ProxyPort),
            Cfg.cfg_CurrentIMG,
            IntToStr(Cfg.cfg_CurrentImgPos),
            DateTimeToStr(Cfg.cfg_LastAplly),
            Cfg.cfg_FileInUse,
            IntToStr(Cfg.cfg_ConType),
            Cfg.cfg_MailUser,
            BoolText(Cfg.cfg_Activate),
            BoolText(Cfg.cfg_UseDefaultImage),
            BoolText(Cfg.cfg_IEProxyAuto),
            BoolText(Cfg.cfg_Silent),
            IntToStr(Cfg.cfg_Priority),
        };
        TStrings& lines = WinRegistry->RegistryLines();
        for (int i = 0; i < 22; ++i) {
            // Name and type stay as stored; only the value text changes.
            std::vector<String> fields = TWinRegistry::SplitLine(lines[i]);
            lines.Put(i, fields.front() + "|" + values[i] + "|" + fields.back());
        }
    } catch (...) {
        failure = std::current_exception();
    }

    // One transaction: a reader sees this save whole or not at all. The
    // values the agent writes too are left as the store holds them (the
    // agent's, perhaps newer) unless this window changed them, or the store
    // has none yet. Lines the store did not take are told like any other
    // failure of it; the values stay in the window for the next save.
    const std::bitset<22> saved = sharedChanged_;
    const String keep = WinRegistry->Path;
    try {
        WinRegistry->Together([&] {
            TStrings& lines = WinRegistry->RegistryLines();
            const bool whole = WinRegistry->WriteAll([&](int i) {
                const bool shared = i == kCurrentImgLine || i == kCurrentImgPosLine || i == kLastApllyLine;
                return !shared || saved[i] || !WinRegistry->ValueExists(lines[i]);
            });
            if (!whole && !failure) failure = WinRegistry->WriteAllFailure();
            WinRegistry->Path = "Control Panel\\Desktop\\";
            WinRegistry->WriteValue("Wallpaper|" + WallPaperFile + "|String");
            WinRegistry->Path = keep;
        });
    } catch (...) {
        WinRegistry->Path = keep;
        throw;
    }
    if (failure) std::rethrow_exception(failure);
    // Saved: what is changed from here on is a new change.
    sharedChanged_ &= ~saved;
}

void TMainForm::RecordApplied(TDateTime when, int row, const String& entry)
{
    Cfg.cfg_LastAplly = when;
    sharedChanged_.set(kLastApllyLine);
    if (row < 0) return;
    Cfg.cfg_CurrentImgPos = row;
    Cfg.cfg_CurrentIMG = entry;
    sharedChanged_.set(kCurrentImgLine).set(kCurrentImgPosLine);
}

void TMainForm::SetUpClick(QObject*)
{
    TCfgForm dialog(nullptr);
    dialog.MailDerss->SetText(Cfg.cfg_MailUser);
    dialog.Atualization->SetItemIndex(Cfg.cfg_Action);
    dialog.TimeLength->SetText(IntToStr(Cfg.cfg_TimeLenght));
    dialog.Order->SetItemIndex(Cfg.cfg_Order);
    dialog.ProXY_IP->SetText(Cfg.cfg_ProxyIP);
    dialog.ProXY_Port->SetValue(Cfg.cfg_ProxyPort);
    dialog.ConType->SetItemIndex(Cfg.cfg_ConType);
    dialog.Activate->SetChecked(Cfg.cfg_Activate);
    dialog.UseDefaultImage->SetChecked(Cfg.cfg_UseDefaultImage);
    dialog.AutoProxy->SetChecked(Cfg.cfg_IEProxyAuto);
    dialog.SilentDownload->SetChecked(Cfg.cfg_Silent);
    dialog.TrackPriority->SetPosition(Cfg.cfg_Priority);
    if (Cfg.cfg_ConType == 2 || Cfg.cfg_ConType == 3) {
        dialog.ProXY_IP->setEnabled(true);
        dialog.ProXY_Port->setEnabled(true);
    }
    // The proxy type offers the browser's proxy, as choosing it does.
    if (Cfg.cfg_ConType == 3) dialog.AutoProxy->setEnabled(true);
    if (dialog.ShowModal() != mrOk) return;

    // Every field is converted before any setting changes: the dialog does
    // not let bad text through, and a value it would still refuse here
    // leaves the settings whole.
    const TCfgValues v = dialog.Values();
    Cfg.cfg_MailUser = v.MailUser;
    Cfg.cfg_Action = v.Action;
    Cfg.cfg_TimeLenght = v.TimeLength;
    Cfg.cfg_Order = v.Order;
    Cfg.cfg_ConType = v.ConType;
    Cfg.cfg_ProxyIP = v.ProxyIP;
    Cfg.cfg_ProxyPort = v.ProxyPort;
    Cfg.cfg_Activate = v.Activate;
    Cfg.cfg_UseDefaultImage = v.UseDefaultImage;
    Cfg.cfg_IEProxyAuto = v.IEProxyAuto;
    Cfg.cfg_Silent = v.Silent;
    Cfg.cfg_Priority = static_cast<std::uint16_t>(v.Priority);

    // A store that cannot take them is reported; the values are taken all
    // the same and the connection is checked with them.
    Guarded([this] { UpdateWinRegistry(nullptr); });
    CheckConnection();
    UpDateStatusBar();
    if (!Online) return;
    if (MessageDlg(Format(Msg(21), {"\r\r"}), TMsgDlgType::mtConfirmation, mbYesNo) != mrYes) return;
    // A job still running keeps its busy flag: the download waits its turn.
    if (NetConnection->Busy || WallPaper->Busy || Busy) {
        StatusBar->SetPanel(1, Msg(72));
        return;
    }
    HTTPc->Disconnect();
    Busy = false;
    WallPaper->Busy = false;
    NetConnection->Busy = false;
    NetConnection->Execute();
    // Without a local copy there was nowhere to fetch the file from.
    if (NetConnection->NetFile.empty()) StatusBar->SetPanel(1, Msg(73));
}

} // namespace velvane
