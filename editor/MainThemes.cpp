// The settings file's themes menu and the addresses it gives.

#include "editor/Main.h"

#include "editor/NetConnection.h"
#include "platform/rtl/AsciiText.h"

#include <QAction>
#include <QMenu>
#include <QStackedWidget>

namespace velvane {

String ThemeAddress(const String& text)
{
    const QString address = QString::fromStdString(text);
    QString folded;
    for (QChar c : address) {
        if (c >= u'A' && c <= u'Z') c = c.toLower();
        if (c == u'&') continue;
        if (c == u' ') c = u'_';
        switch (c.unicode()) {
        case u'ã': case u'á': case u'Ã': case u'Á': c = u'a'; break;
        case u'é': case u'ê': case u'É': case u'Ê': c = u'e'; break;
        case u'í': case u'Í': c = u'i'; break;
        case u'ó': case u'ô': case u'õ': case u'Ó': case u'Ô': case u'Õ': c = u'o'; break;
        case u'ú': case u'Ú': c = u'u'; break;
        case u'ç': case u'Ç': c = u'c'; break;
        default: break;
        }
        folded += c;
    }
    return folded.toStdString();
}

void TMainForm::SetMenuThemes()
{
    String text = Themes->Text();
    std::replace(text.begin(), text.end(), ';', '\n');
    Themes->SetText(text);
    Temas->clear();
    for (int i = 2; i < Themes->Count(); ++i) {
        QAction* item = Temas->addAction(QString::fromStdString((*Themes)[i]));
        item->setObjectName(QString("Theme%1").arg(i));
        QObject::connect(item, &QAction::triggered, item, [this, item] { ThemesClick(item); });
    }
}

void TMainForm::ThemesClick(QObject* sender)
{
    auto* item = qobject_cast<QAction*>(sender);
    if (!item || Themes->Count() < 2) return;
    String address = (*Themes)[0] + item->text().toStdString() + (*Themes)[1];
    Notebook->setCurrentIndex(0);
    OpenSettingsAddress(ThemeAddress(address));
}

} // namespace velvane
