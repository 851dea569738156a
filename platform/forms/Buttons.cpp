#include "platform/forms/Buttons.h"

#include "platform/forms/Form.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>

#include "resources/platform/BitBtnGlyphs.xpm"

namespace velvane {

namespace {

struct KindLook {
    TBitBtnKind kind;
    const char* caption;
    int modalResult;
};

// In the order of the cells of the glyph strip; the captions in the
// programs' language.
const KindLook kLooks[] = {
    {TBitBtnKind::bkOK, "OK", mrOk},
    {TBitBtnKind::bkCancel, "Cancelar", mrCancel},
    {TBitBtnKind::bkHelp, "&Ajuda", mrNone},
    {TBitBtnKind::bkYes, "&Sim", mrYes},
    {TBitBtnKind::bkNo, "&Não", mrNo},
    {TBitBtnKind::bkClose, "&Fechar", mrNone},
    {TBitBtnKind::bkAbort, "Abortar", mrAbort},
    {TBitBtnKind::bkRetry, "&Repetir", mrRetry},
    {TBitBtnKind::bkIgnore, "&Ignorar", mrIgnore},
    {TBitBtnKind::bkAll, "&Todos", mrAll},
};

} // namespace

QImage BitBtnGlyph(TBitBtnKind kind)
{
    static const QImage strip = QImage(BitBtnGlyphs_xpm).convertToFormat(QImage::Format_ARGB32);
    for (size_t i = 0; i < std::size(kLooks); ++i)
        if (kLooks[i].kind == kind) return strip.copy(static_cast<int>(i) * BitBtnGlyphSize, 0, BitBtnGlyphSize, BitBtnGlyphSize);
    return {};
}

TBitBtn::TBitBtn(TForm* form, QWidget* parent) : QPushButton(parent), form_(form)
{
    setIconSize(QSize(BitBtnGlyphSize, BitBtnGlyphSize));
    connect(this, &QPushButton::clicked, this, [this] {
        if (ModalResult != mrNone && form_) form_->ModalResult = ModalResult;
    });
}

void TBitBtn::SetKind(TBitBtnKind kind)
{
    // The kind it has already: its caption, which may have been set since,
    // stays.
    if (kind == kind_) return;
    kind_ = kind;
    for (const KindLook& look : kLooks) {
        if (look.kind != kind) continue;
        setText(QString::fromUtf8(look.caption));
        ModalResult = look.modalResult;
        setIcon(QIcon(QPixmap::fromImage(BitBtnGlyph(kind))));
        return;
    }
    setIcon(QIcon());
}

} // namespace velvane
