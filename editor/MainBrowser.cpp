// The browser page, the address box, page switching, hints and the help,
// about and share commands.

#include "editor/Main.h"

#include "browser/WebBrowser.h"
#include "components/controls/VELButton.h"
#include "dialogs/Unt_About.h"
#include "dialogs/Unt_Maill.h"
#include "editor/FileSet.h"
#include "editor/NetConnection.h"
#include "platform/forms/Application.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Help.h"
#include "platform/net/SMTPClient.h"
#include "platform/rtl/AsciiText.h"
#include "platform/win/ShellApi.h"
#include "settings/PictureToWallpaper.h"
#include "settings/SettingsFile.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QStackedWidget>

namespace velvane {

void TMainForm::Nav_BackClick(QObject* sender)
{
    const std::intptr_t tag = TagOf(sender);
    // What acts on the browser brings its page to the front first, as
    // entering the buttons does.
    if (tag >= 10 && tag <= 15 && Notebook->currentIndex() != 0) Nav_BackEnter(sender);
    switch (tag) {
    case 10: Browser->GoBack(); break;
    case 11: Browser->GoForward(); break;
    case 12: Browser->Stop(); break;
    case 13: Browser->Refresh(); break;
    case 14: OpenSettingsAddress(NetConnection->HomeUrl); break;
    case 15: Browser->Navigate(Nav_Url->currentText().toStdString()); break;
    case 16: {
        // A picture viewed from disk is added as the file it is.
        const String entry = LocalPathOf(Nav_Url->currentText().toStdString());
        bool present = false;
        for (int i = 0; i < CheckList->count() && !present; ++i) present = SameEntry(CheckList->item(i), entry);
        if (!present) {
            if (PictureKindOf(entry) == TPictureKind::pkNone) {
                MessageDlg(Msg(14) + "\r\n" + Msg(15), TMsgDlgType::mtInformation, mbOK);
            } else if (EntryFits(entry)) {
                AddEntry(entry, false);
                // A new entry is a change to the document like any other.
                Modified = true;
            }
        }
        Notebook->setCurrentIndex(1);
        break;
    }
    default: break;
    }
}

void TMainForm::AnteriorClick(QObject* sender)
{
    TVELButton* const buttons[] = {Nav_Back, Nav_Next, Nav_Stop, Nav_Refresh, Nav_Home};
    std::intptr_t tag = TagOf(sender);
    if (tag >= 0 && tag < 5) Nav_BackClick(buttons[tag]);
}

void TMainForm::Nav_BackEnter(QObject* sender)
{
    Notebook->setCurrentIndex(0);
    SavedItemIndex = CheckList->currentRow();
    if (auto* widget = qobject_cast<QWidget*>(sender)) StatusBar->SetPanel(1, widget->toolTip().toStdString());
    // With no entry selected the apply job takes the address box.
    CheckList->clearSelection();
    CheckList->setCurrentRow(-1);
}

void TMainForm::FileSetFileListEnter(QObject*)
{
    Notebook->setCurrentIndex(1);
    if (SavedItemIndex >= 0 && SavedItemIndex < CheckList->count()) {
        CheckList->setCurrentRow(SavedItemIndex);
        CheckList->item(SavedItemIndex)->setSelected(true);
    }
}

void TMainForm::Nav_BackMouseMove(QObject* sender)
{
    if (auto* widget = qobject_cast<QWidget*>(sender)) StatusBar->SetPanel(1, widget->toolTip().toStdString());
}

void TMainForm::FormKeyUp(QObject*, int& key)
{
    if (key == VK_RETURN && Nav_Url->hasFocus() && !Nav_Url->currentText().isEmpty()) Nav_BackClick(Nav_Go);
}

void TMainForm::BrowserDownloadBegin(QObject*) { StatusBar->SetPanel(1, Msg(70)); }

void TMainForm::BrowserProgressChange(QObject*, int, int)
{
    StatusBar->SetPanel(1, Msg(70));
    if (Application) Application->ProcessMessages();
}

void TMainForm::BrowserDownloadComplete(QObject*)
{
    QString location = QString::fromStdString(Browser->LocationURL());
    Nav_Url->setEditText(location);
    bool present = false;
    for (int i = 0; i < Nav_Url->count() && !present; ++i)
        present = Nav_Url->itemText(i).compare(location, Qt::CaseInsensitive) == 0;
    if (!present && !location.isEmpty()) Nav_Url->addItem(location);
    StatusBar->SetPanel(1, Msg(71));
    if (Application) Application->ProcessMessages();
}

void TMainForm::BrowserDocumentComplete(QObject* sender, const String&) { BrowserDownloadComplete(sender); }

void TMainForm::BrowserStatusTextChange(QObject*, const String& text) { StatusBar->SetPanel(1, text); }

void TMainForm::OpenSettingsAddress(const String& address)
{
    // No address known yet (before the first settings download): nothing to
    // open, and nothing wrong with the settings file either.
    if (TrimBlanks(address).empty()) return;
    if (!IsOpenableAddress(address)) {
        StatusBar->SetPanel(1, Msg(74));
        return;
    }
    Browser->Navigate(address);
}

void TMainForm::BannerClick(QObject*)
{
    const String& page = NetConnection->BannerUrl;
    if (TrimBlanks(page).empty()) return;
    if (!IsOpenableAddress(page)) {
        StatusBar->SetPanel(1, Msg(74));
        return;
    }
    ShellExecuteA(nullptr, "open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TMainForm::Kestrin_HelpClick(QObject*)
{
    WinHelpA(Handle(), Application ? Application->HelpFile.c_str() : "kestrin.hlp", HELP_FORCEFILE, 0);
}

void TMainForm::Sobre1Click(QObject*)
{
    auto* about = new TAboutBox(nullptr);
    AboutBox = about;
    about->MailDress->setText(QString::fromStdString(NetConnection->MailTo));
    about->SiteDress->setText(QString::fromStdString(NetConnection->Host));
    about->ShowModal();
}

void TMainForm::CompartilharImagemClick(QObject*)
{
    if (!CheckList->currentItem() || !CheckList->currentItem()->isSelected()) return;
    auto* dialog = new TForm_Maill(nullptr);
    QPointer<QWidget> alive = dialog->Widget();
    dialog->Constants = [this](int line) { return Msg(line); };
    dialog->MailUser = Cfg.cfg_MailUser;
    const String& user = Cfg.cfg_MailUser;
    const auto at = user.find('@');
    dialog->SMTP->Host = "smtp." + (at == String::npos ? user : user.substr(at + 1));
    dialog->SMTP->UserID = at == String::npos ? user : user.substr(0, at);
    dialog->EditFile->SetText(CheckList->currentItem()->text().toStdString());
    dialog->Category->clear();
    for (QAction* theme : Temas->actions()) {
        QString caption = theme->text();
        if (const auto amp = caption.indexOf(u'&'); amp >= 0) caption.remove(amp, 1);
        dialog->Category->addItem(caption);
    }
    dialog->Category->SetItemIndex(-1);
    dialog->ShowModal();
    // Closing may have freed it already.
    if (alive) delete dialog;
}

} // namespace velvane
