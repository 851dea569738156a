#pragma once
// TBitBtn: a push button with a kind (its picture and its first caption and
// modal result) whose click sets its form's modal result.

#include "platform/forms/ModalService.h"

#include <QPushButton>

namespace velvane {

class TForm;

enum class TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };

class TBitBtn : public QPushButton {
public:
    TBitBtn(TForm* form, QWidget* parent);

    TBitBtnKind Kind() const { return kind_; }
    // Takes the kind's picture, caption and modal result.
    void SetKind(TBitBtnKind kind);
    int ModalResult = mrNone;

private:
    TForm* form_;
    TBitBtnKind kind_ = TBitBtnKind::bkCustom;
};

} // namespace velvane
