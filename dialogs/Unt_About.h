#pragma once
// TAboutBox: the program's title, icon and version, with links to the
// publisher's site and mailbox. The about command makes one with no owner,
// keeps it in AboutBox, fills in the two addresses and shows it modally; it
// frees itself when closed.

#include "platform/forms/Buttons.h"
#include "platform/forms/Form.h"
#include "platform/forms/LinkLabel.h"

class QFrame;
class QLabel;

namespace velvane {

class TAboutBox : public TForm {
public:
    explicit TAboutBox(TComponent* owner);
    ~TAboutBox() override;
    const char* ClassName() const override { return "TAboutBox"; }

    QFrame* Panel1 = nullptr;
    QLabel* ProgramIcon = nullptr;
    QLabel* ProductNameBack = nullptr;
    QLabel* ProductNameCover = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Version = nullptr;
    TLinkLabel* SiteDress = nullptr;
    TLinkLabel* MailDress = nullptr;
    TBitBtn* OKButton = nullptr;

    void FormCreate(QObject* sender);
    void OKButtonClick(QObject* sender);
    void FormClose(QObject* sender, TCloseAction& action);
    void MailDressClick(QObject* sender);
    void SiteDressClick(QObject* sender);
};

// The box on show; cleared when it frees itself.
extern TAboutBox* AboutBox;

} // namespace velvane
