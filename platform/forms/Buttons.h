#pragma once
// TBitBtn: a push button with a kind (its picture and its first caption and
// modal result) whose click sets its form's modal result. The pictures are
// our own (resources/platform/BitBtnGlyphs.xpm), the captions Portuguese.

#include "platform/forms/ModalService.h"

#include <QImage>
#include <QPushButton>

namespace velvane {

class TForm;

enum class TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };

constexpr int BitBtnGlyphSize = 16;

// The kind's picture on a clear ground; empty for bkCustom.
QImage BitBtnGlyph(TBitBtnKind kind);

class TBitBtn : public QPushButton {
public:
    TBitBtn(TForm* form, QWidget* parent);

    TBitBtnKind Kind() const { return kind_; }
    // Takes the kind's picture, caption and modal result; the kind it has
    // already changes nothing.
    void SetKind(TBitBtnKind kind);
    int ModalResult = mrNone;

private:
    TForm* form_;
    TBitBtnKind kind_ = TBitBtnKind::bkCustom;
};

} // namespace velvane
