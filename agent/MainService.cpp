// Start-up, display, the settings read and written back, the window and
// menu handlers, and shutdown.

#include "agent/MainService.h"

#include "agent/ActionManager.h"
#include "agent/WallPaper.h"
#include "components/controls/VELTrayIcon.h"
#include "dialogs/Unt_About.h"
#include "platform/forms/Application.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Menus.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/AppPaths.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/LegacyText.h"
#include "platform/rtl/TempFiles.h"
#include "platform/win/ShellApi.h"
#include "platform/win/WinError.h"
#include "settings/SettingsFile.h"
#include "settings/WinRegistry.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTimer>

namespace velvane::agent {

String ForcedImage;
String OverlayMessage;
std::atomic<bool> ConnectEvent{false};
std::atomic<bool> SettingsLoaded{false};

TBitmap& WorkBitmap()
{
    static TBitmap bitmap;
    return bitmap;
}

namespace {

void ShowText(QLabel* label, const String& text) { label->setText(QString::fromStdString(LegacyTextToUtf8(text))); }

} // namespace

String ShortPath(const String& s)
{
    String result = s;
    if (result.size() > 36) {
        for (char separator : {'\\', '/'})
            if (size_t at = result.rfind(separator); at != String::npos) result.erase(0, at + 1);
    }
    if (size_t drive = result.find(":\\"); drive != String::npos && drive > 0) result.erase(drive - 1, 1);
    return "..." + result;
}

void TMainForm::RequestQuit()
{
    quitRequested_ = true;
    if (Application) Application->Terminate();
}

void TMainForm::FormCreate(QObject*)
{
    Cfg.cfg_LastImageError = -1;
    const String noDocument = Format(Msg(15), {"\r"});
    WallPaperFile = GetAppFilePath() + "wallpaper.bmp";
    // What a killed run left half-written goes before anything is read.
    RemoveStaleTempFilesAtStart(String());
    DownloadStream = std::make_unique<TMemoryStream>();
    EnabledImages = std::make_unique<TStringList>();
    WallPaper = std::make_unique<TWallPaper>(this);
    SettingsBusy = false;
    ConnectEvent = true;

    // A value missing from the store ends start-up here, through the error
    // handler; the scheduler is never started then.
    LoadRegistry();
    if (!Cfg.cfg_Activate) RequestQuit();
    if (Cfg.cfg_Priority <= 3) {
        static constexpr TThreadPriority kPriorities[] = {TThreadPriority::tpLowest, TThreadPriority::tpLower,
                                                          TThreadPriority::tpNormal, TThreadPriority::tpHigher};
        WallPaper->SetPriority(kPriorities[Cfg.cfg_Priority]);
        ShowText(DownPriority, Msg(45 + Cfg.cfg_Priority));
    }
    ActionManager = std::make_unique<TActionManager>(this);
    SetConnection();

    TStringList document;
    if (Cfg.cfg_FileInUse.empty()) {
        if (MessageDlg(noDocument, TMsgDlgType::mtInformation, mbOK) == mrOk) RequestQuit();
    } else {
        try {
            document.SetText(ReadFileBytes(Cfg.cfg_FileInUse));
        } catch (const Exception&) {
            MessageDlg(Msg(16), TMsgDlgType::mtError, mbOK);
            RequestQuit();
        }
    }
    TakeEnabledImages(document);
    ReadLocalSettings();
    UpdateDisplay();
    if (RunScheduler) ActionManager->Resume();
}

void TMainForm::TakeEnabledImages(const TStrings& lines)
{
    TStringList enabled;
    for (int n = 0; n < lines.Count(); ++n) {
        const String line = lines[n];
        if (line.find("1|") == String::npos) continue;
        const String entry = line.substr(2);
        enabled.Add(entry);
        // The caption shows every "&" of the entry; the item keeps the entry
        // itself, which is what it applies.
        auto* item = new QAction(QString::fromStdString(LegacyTextToUtf8(entry)).replace('&', "&&"), Popup->Items());
        item->setObjectName(QString("Menu_%1").arg(n));
        item->setData(QByteArray::fromStdString(entry));
        QObject::connect(item, &QAction::triggered, item, [this, item] { MenuItemAction(item); });
        Popup->Items()->addAction(item);
    }
    EnabledImages->Assign(enabled);
}

void TMainForm::ReadLocalSettings()
{
    const String file = GetAppFilePath() + "kestrin.net";
    // None exists before the first download: a first start is a normal start.
    // One that exists but cannot be read stops start-up here.
    String bytes;
    try {
        bytes = ReadFileBytes(file);
    } catch (const EFOpenError&) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND) return;
        throw;
    }
    TStringList lines;
    SetSettingsText(lines, bytes);
    TakeSettingsKeys(lines, {{"host=", &Host},
                             {"netfile=", &NetFile},
                             {"bannerurl=", &BannerUrl},
                             {"wallpapermessage=", &WallpaperMessage},
                             {"defaultimage=", &DefaultImage},
                             {"homeurl=", &HomeUrl},
                             {"mailto=", &MailTo}});
    if (lines.Count() > 0) Image->setToolTip(QString::fromStdString(Host));
}

void TMainForm::LoadRegistry()
{
    auto read = [this](int line) { return WinRegistry->ReadValue(WinRegistry->RegistryLines()[line]); };
    // The 16 as one moment of the store holds them, never half of a save.
    WinRegistry->Together([&] {
        Cfg.cfg_Action = read(0).AsInteger();
        Cfg.cfg_TimeLenght = read(1).AsInteger();
        Cfg.cfg_Order = read(2).AsInteger();
        Cfg.cfg_ProxyIP = read(3).AsString();
        Cfg.cfg_ProxyPort = read(4).AsInteger();
        Cfg.cfg_CurrentIMG = read(5).AsString();
        saved_.CurrentIMG = Cfg.cfg_CurrentIMG;
        Cfg.cfg_CurrentImgPos = read(6).AsInteger();
        saved_.CurrentImgPos = Cfg.cfg_CurrentImgPos;
        Cfg.cfg_LastAplly = read(7).AsDateTime();
        saved_.LastAplly = Cfg.cfg_LastAplly;
        Cfg.cfg_FileInUse = read(8).AsString();
        Cfg.cfg_ConType = read(9).AsInteger();
        Cfg.cfg_Activate = read(10).AsBoolean();
        Cfg.cfg_UseDefaultImage = read(11).AsBoolean();
        Cfg.cfg_IEProxyAuto = read(12).AsBoolean();
        Cfg.cfg_Silent = read(13).AsBoolean();
        Cfg.cfg_Priority = static_cast<std::uint16_t>(read(14).AsInteger());
        // Only the agent keeps the position of the last failed picture: the
        // editor's save never holds it, so before the agent's first write-back
        // the store has none. That is a new installation, not damage: the
        // value starts as start-up set it and is stored at the next write-back.
        if (WinRegistry->ValueExists(WinRegistry->RegistryLines()[15])) {
            Cfg.cfg_LastImageError = read(15).AsInteger();
            saved_.LastImageError = Cfg.cfg_LastImageError;
        } else {
            saved_.LastImageError = kNeverStored;
        }
    });
}

void TMainForm::UpdateWinRegistry()
{
    // Only values this agent read and has changed since: one it never read
    // (start-up stopped before it) holds nothing of its own, and one it has
    // not changed may be the editor's newer one. All in one transaction.
    const auto changed = [](const auto& saved, const auto& value) { return saved && *saved != value; };
    WinRegistry->Together([&] {
        if (changed(saved_.CurrentIMG, Cfg.cfg_CurrentIMG))
            WinRegistry->WriteValue("cfg_CurrentIMG|" + Cfg.cfg_CurrentIMG + "|String");
        if (changed(saved_.CurrentImgPos, Cfg.cfg_CurrentImgPos))
            WinRegistry->WriteValue("cfg_CurrentImgPos|" + IntToStr(Cfg.cfg_CurrentImgPos) + "|Integer");
        if (changed(saved_.LastAplly, Cfg.cfg_LastAplly))
            WinRegistry->WriteValue("cfg_LastAplly|" + DateTimeToStr(Cfg.cfg_LastAplly) + "|DateTime");
        if (changed(saved_.LastImageError, Cfg.cfg_LastImageError))
            WinRegistry->WriteValue("cfg_LastImageError|" + IntToStr(Cfg.cfg_LastImageError) + "|Integer");
    });
    const auto keep = [](auto& saved, const auto& value) {
        if (saved) saved = value;
    };
    keep(saved_.CurrentIMG, Cfg.cfg_CurrentIMG);
    keep(saved_.CurrentImgPos, Cfg.cfg_CurrentImgPos);
    keep(saved_.LastAplly, Cfg.cfg_LastAplly);
    keep(saved_.LastImageError, Cfg.cfg_LastImageError);
}

void TMainForm::UpdateDisplay()
{
    static constexpr int kConnectionLines[] = {2, 3, 4, 5, 50};
    if (Cfg.cfg_ConType >= 0 && Cfg.cfg_ConType <= 4) ShowText(ConType, Msg(kConnectionLines[Cfg.cfg_ConType]));
    switch (Cfg.cfg_Action) {
    case 0: ShowText(Atualization, Msg(6)); break;
    case 1: ShowText(Atualization, Msg(7)); break;
    case 2: ShowText(Atualization, Format(Msg(8), {Cfg.cfg_TimeLenght})); break;
    case 3: ShowText(Atualization, Msg(9)); break;
    case 4: ShowText(Atualization, Msg(10)); break;
    default: break;
    }
    if (Cfg.cfg_Order == 0 || Cfg.cfg_Order == 1) ShowText(Order, Msg(11 + Cfg.cfg_Order));
    ShowText(LastUpdate, Format(Msg(13), {DateToStr(Cfg.cfg_LastAplly), TimeToStr(Cfg.cfg_LastAplly)}));
    ShowText(FileInUse, ShortPath(Cfg.cfg_FileInUse));
    ShowText(CurrentImage, "[" + IntToStr(Cfg.cfg_CurrentImgPos + 1) + "]" + ShortPath(Cfg.cfg_CurrentIMG));
    ShowText(ImagesAvailable, IntToStr(EnabledImages ? EnabledImages->Count() : 0));
    TrayIcon->SetHint(Msg(14) + " " + Cfg.cfg_CurrentIMG + ".");
}

void TMainForm::RestaurarClick(QObject*)
{
    if (!Visible()) {
        SetWindowState(TWindowState::wsNormal);
        Show();
    } else if (TrayDocked()) {
        Hide();
    } else {
        // Without an icon to bring it back, a hidden window would be lost.
        SetWindowState(TWindowState::wsMinimized);
    }
}

void TMainForm::SobreClick(QObject*)
{
    auto* about = new TAboutBox(nullptr);
    AboutBox = about;
    about->SiteDress->setText(QString::fromStdString(Host));
    about->MailDress->setText(QString::fromStdString(MailTo));
    about->ShowModal();
}

void TMainForm::AtualizaragoraClick(QObject* sender) { ApplyUpdate(sender); }

void TMainForm::MenuItemAction(QObject* sender)
{
    auto* item = qobject_cast<QAction*>(sender);
    ForcedImage = item ? item->data().toByteArray().toStdString() : String();
    try {
        ApplyUpdate(sender);
    } catch (...) {
        ForcedImage.clear();
        throw;
    }
    ForcedImage.clear();
}

void TMainForm::ImageClick(QObject*)
{
    ShellExecuteA(nullptr, "open", HomeUrl.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TMainForm::SairClick(QObject*) { Close(); }

void TMainForm::Btn_CancelClick(QObject*)
{
    if (HTTPc->Connected()) HTTPc->Disconnect();
}

void TMainForm::ApplyUpdate(QObject*)
{
    if (WallPaper) WallPaper->Execute();
}

void TMainForm::SetImageAndPos()
{
    if (EnabledImages) agent::SetImageAndPos(Cfg, *EnabledImages, RandomPosition);
}

void TMainForm::SetDataTimeOnConfig() { Cfg.cfg_LastAplly = Now(); }

bool TMainForm::JobRunning() const { return (WallPaper && WallPaper->Busy) || SettingsBusy; }

void TMainForm::StopScheduler()
{
    // Start-up may have stopped before the scheduler was made or resumed.
    if (!ActionManager) return;
    ActionManager->Terminate();
    if (!ActionManager->Suspended()) ActionManager->WaitFor();
    ActionManager.reset();
}

void TMainForm::FormClose(QObject*, TCloseAction& action)
{
    // A job or the settings download still uses what closing frees: stop its
    // transfer, and close once it has let go.
    if (JobRunning()) {
        action = TCloseAction::caNone;
        HTTPc->Disconnect();
        QTimer::singleShot(50, Widget(), [this] { Close(); });
        return;
    }
    // The scheduler starts nothing more, not even from the messages served now.
    if (ActionManager) ActionManager->Terminate();
    ConStatus->SetPanel(1, Msg(49));
    if (Application) Application->ProcessMessages();
    HTTPc->Disconnect();
    StopScheduler();
    WallPaper.reset();
    EnabledImages.reset();
    DownloadStream.reset();
    // A store that cannot take the values is reported; the program still ends.
    try {
        UpdateWinRegistry();
    } catch (...) {
        if (Application) Application->HandleException(this);
    }
    action = TCloseAction::caFree;
}

} // namespace velvane::agent
