#pragma once
// Key presses as the window system delivers them to a control.

#include <QCoreApplication>
#include <QKeyEvent>
#include <QString>
#include <QWidget>

namespace velvane::test {

inline void Press(QWidget* to, int key, const QString& text = {}, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QKeyEvent event(QEvent::KeyPress, key, mods, text);
    QCoreApplication::sendEvent(to, &event);
}

// Types each character with the key that makes it.
inline void Type(QWidget* to, const QString& text)
{
    for (QChar c : text) {
        const int key = c.isLetter() ? Qt::Key_A + (c.toUpper().unicode() - 'A') : c.unicode();
        Press(to, key, QString(c));
    }
}

} // namespace velvane::test
