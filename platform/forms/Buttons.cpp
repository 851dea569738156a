#include "platform/forms/Buttons.h"

#include "platform/forms/Form.h"

#include <QApplication>
#include <QStyle>

namespace velvane {

namespace {

struct KindLook {
    TBitBtnKind kind;
    const char* caption;
    int modalResult;
    QStyle::StandardPixmap icon;
};

const KindLook kLooks[] = {
    {TBitBtnKind::bkOK, "OK", mrOk, QStyle::SP_DialogOkButton},
    {TBitBtnKind::bkCancel, "Cancel", mrCancel, QStyle::SP_DialogCancelButton},
    {TBitBtnKind::bkHelp, "&Help", mrNone, QStyle::SP_DialogHelpButton},
    {TBitBtnKind::bkYes, "&Yes", mrYes, QStyle::SP_DialogYesButton},
    {TBitBtnKind::bkNo, "&No", mrNo, QStyle::SP_DialogNoButton},
    {TBitBtnKind::bkClose, "&Close", mrNone, QStyle::SP_DialogCloseButton},
    {TBitBtnKind::bkAbort, "Abort", mrAbort, QStyle::SP_DialogAbortButton},
    {TBitBtnKind::bkRetry, "&Retry", mrRetry, QStyle::SP_DialogRetryButton},
    {TBitBtnKind::bkIgnore, "&Ignore", mrIgnore, QStyle::SP_DialogIgnoreButton},
    {TBitBtnKind::bkAll, "&All", mrAll, QStyle::SP_DialogYesToAllButton},
};

} // namespace

TBitBtn::TBitBtn(TForm* form, QWidget* parent) : QPushButton(parent), form_(form)
{
    connect(this, &QPushButton::clicked, this, [this] {
        if (ModalResult != mrNone && form_) form_->ModalResult = ModalResult;
    });
}

void TBitBtn::SetKind(TBitBtnKind kind)
{
    kind_ = kind;
    for (const KindLook& look : kLooks) {
        if (look.kind != kind) continue;
        setText(QString::fromUtf8(look.caption));
        ModalResult = look.modalResult;
        setIcon(QApplication::style()->standardIcon(look.icon));
        return;
    }
    setIcon(QIcon());
}

} // namespace velvane
