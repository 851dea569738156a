#include "dialogs/NumEdit.h"

#include "platform/rtl/Conversions.h"
#include "platform/win/MessageBeep.h"

#include <QKeyEvent>

namespace velvane {

namespace {

// The character a key press types, as the old edit box received it: a
// control chord gives its control code (Ctrl+V is 22), a key that types
// nothing (arrows, Delete, Home) gives none.
int TypedCharacter(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers mods = event.modifiers();
    if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier) && event.key() >= Qt::Key_A &&
        event.key() <= Qt::Key_Z)
        return event.key() - Qt::Key_A + 1;
    switch (event.key()) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Escape: return 27;
    default: break;
    }
    const QString text = event.text();
    if (text.isEmpty()) return -1;
    const char16_t c = text.at(0).unicode();
    if (c == 127) return -1;  // Delete is an editing key, not a character
    return c;
}

} // namespace

TIntEdit::TIntEdit(QWidget* parent) : TEdit(parent)
{
    setText(QStringLiteral("0"));
    resize(33, height());
}

std::int64_t TIntEdit::Value() const { return StrToIntDef(Text(), 0); }

void TIntEdit::SetValue(std::int64_t value) { SetText(IntToStr(value)); }

void TIntEdit::KeyPress(char& key)
{
    if (key == 8 || key == 13 || key == '+' || key == '-' || (key >= '0' && key <= '9')) return;
    key = 0;
    MessageBeep(MB_ICONEXCLAMATION);
}

void TIntEdit::keyPressEvent(QKeyEvent* event)
{
    const int typed = TypedCharacter(*event);
    if (typed < 0) {
        TEdit::keyPressEvent(event);
        return;
    }
    // Anything beyond ASCII is refused like a letter.
    char key = typed < 128 ? static_cast<char>(typed) : '\x7f';
    KeyPress(key);
    if (key == 0) {
        event->accept();
        return;
    }
    TEdit::keyPressEvent(event);
}

} // namespace velvane
