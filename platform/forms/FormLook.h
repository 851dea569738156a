#pragma once
// Small helpers for building the programs' windows out of Qt widgets.

#include <QFont>
#include <QString>
#include <QWidget>

namespace velvane {

// Gives a widget the name of the component it stands for.
template <typename T>
T* Named(T* widget, const char* name)
{
    widget->setObjectName(QString::fromUtf8(name));
    return widget;
}

// The classic dialog font ("MS Sans Serif", 8 points); DejaVu Sans stands in
// where that is missing, so the windows look the same on every machine.
inline void SetClassicFont(QWidget* window)
{
    QFont font(QStringLiteral("MS Sans Serif"), 8);
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans")});
    window->setFont(font);
}

// Paints the widget's own area flat in its window colour instead of the
// style's shading (a tool bar's gradient): the library's buttons on it have
// faces of that colour, and a face and what it sits on are one colour.
void PaintFlat(QWidget* widget);

} // namespace velvane
