#include "settings/WindowData.h"

#include "platform/rtl/Exceptions.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>

namespace velvane {

TStringList WindowDataLines(const String& resource)
{
    QFile file(QString::fromStdString(resource));
    if (!file.open(QIODevice::ReadOnly)) throw EFOpenError("Cannot open resource " + resource);
    TStringList lines;
    lines.SetText(file.readAll().toStdString());
    return lines;
}

void SetMemoLines(QPlainTextEdit* memo, const TStrings& lines)
{
    QStringList texts;
    for (int i = 0; i < lines.Count(); ++i) texts << QString::fromStdString(lines[i]);
    memo->setPlainText(texts.join('\n'));
}

String MemoLine(const QPlainTextEdit* memo, int line)
{
    QTextBlock block = memo->document()->findBlockByNumber(line);
    return block.isValid() ? block.text().toStdString() : String();
}

} // namespace velvane
