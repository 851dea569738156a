#include "platform/graphics/DrawText.h"

#include "platform/graphics/Fonts.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace velvane {

namespace {

// A clip region selected into the canvas holds for text as for any drawing.
void ClipToCanvas(QPainter& painter, const TCanvas& canvas)
{
    if (canvas.State.Clipped) painter.setClipRect(ToQRect(canvas.VisibleRect(canvas.State.Clip)));
}

// One line as it is shown, with the positions of its accelerator characters.
struct Line {
    QString text;
    std::vector<int> underlined;
};

QString Decode(const char* text, int count)
{
    if (!text) return {};
    const auto n = count < 0 ? std::strlen(text) : static_cast<std::size_t>(count);
    return QString::fromUtf8(text, static_cast<qsizetype>(n));
}

Line TakePrefixes(const QString& raw, bool prefixes)
{
    Line line;
    if (!prefixes) {
        line.text = raw;
        return line;
    }
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] != u'&') {
            line.text += raw[i];
            continue;
        }
        if (++i == raw.size()) break;  // a lone "&" at the end shows nothing
        if (raw[i] != u'&') line.underlined.push_back(static_cast<int>(line.text.size()));
        line.text += raw[i];
    }
    return line;
}

QString ExpandTabs(const QString& text)
{
    QString out;
    for (QChar c : text) {
        if (c != u'\t') {
            out += c;
            continue;
        }
        do out += u' ';
        while (out.size() % 8 != 0);
    }
    return out;
}

// Part [from, to) of a line, its accelerators moved along.
Line Slice(const Line& line, int from, int to)
{
    Line part{line.text.mid(from, to - from), {}};
    for (int u : line.underlined)
        if (u >= from && u < to) part.underlined.push_back(u - from);
    return part;
}

// Breaks a line between words so that each piece fits width where it can;
// the blanks at a break are dropped.
void WrapInto(std::vector<Line>& out, const Line& line, const QFontMetrics& metrics, int width)
{
    const QString& t = line.text;
    const int n = static_cast<int>(t.size());
    int start = 0;
    while (start < n) {
        int end = start;  // end of the longest piece that fits, at a word's end
        int scan = start;
        while (scan < n) {
            int wordEnd = scan;
            while (wordEnd < n && t[wordEnd] == u' ') ++wordEnd;
            while (wordEnd < n && t[wordEnd] != u' ') ++wordEnd;
            if (end > start && metrics.horizontalAdvance(t.mid(start, wordEnd - start)) > width) break;
            end = scan = wordEnd;
        }
        out.push_back(Slice(line, start, end));
        start = end;
        while (start < n && t[start] == u' ') ++start;
    }
    if (n == 0) out.push_back(line);
}

void Ellipsize(Line& line, const QFontMetrics& metrics, int width)
{
    if (metrics.horizontalAdvance(line.text) <= width) return;
    const QString dots = QStringLiteral("...");
    qsizetype keep = line.text.size();
    while (keep > 0 && metrics.horizontalAdvance(line.text.left(keep) + dots) > width) --keep;
    line = Slice(line, 0, static_cast<int>(keep));
    line.text += dots;
}

std::vector<Line> LayOut(const QString& text, unsigned format, const QFontMetrics& metrics, int width)
{
    std::vector<QString> paragraphs;
    if (format & DT_SINGLELINE) {
        QString one = text;
        one.remove(u'\r');
        one.remove(u'\n');
        paragraphs.push_back(one);
    } else {
        QString unified = text;
        unified.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
        for (const QString& p : unified.split(u'\n')) paragraphs.push_back(p);
    }
    std::vector<Line> lines;
    for (const QString& p : paragraphs) {
        Line line = TakePrefixes((format & DT_EXPANDTABS) ? ExpandTabs(p) : p, !(format & DT_NOPREFIX));
        if ((format & DT_WORDBREAK) && !(format & DT_SINGLELINE)) WrapInto(lines, line, metrics, width);
        else lines.push_back(std::move(line));
    }
    if (format & DT_END_ELLIPSIS)
        for (Line& line : lines) Ellipsize(line, metrics, width);
    return lines;
}

QColor InkOf(const TCanvas& canvas) { return QColor::fromRgb(ColorToQRgb(canvas.Font.Color)); }

QColor BrushOf(const TCanvas& canvas) { return QColor::fromRgb(ColorToQRgb(canvas.Brush.Color)); }

} // namespace

int DrawTextExA(TCanvas& canvas, const String& text, TRect& rect, unsigned format)
{
    return DrawTextExA(canvas, text.data(), static_cast<int>(text.size()), rect, format);
}

int DrawTextExA(TCanvas& canvas, const char* text, int count, TRect& rect, unsigned format)
{
    const QFont font = QFontOf(canvas.Font, canvas.CharacterExtra);
    const QFontMetrics metrics(font);
    const std::vector<Line> lines = LayOut(Decode(text, count), format, metrics, rect.Width());
    const int lineHeight = metrics.height();
    const int height = lineHeight * static_cast<int>(lines.size());
    if (format & DT_CALCRECT) {
        int widest = 0;
        for (const Line& line : lines) widest = std::max(widest, metrics.horizontalAdvance(line.text));
        rect.Right = rect.Left + widest;
        rect.Bottom = rect.Top + height;
        return height;
    }

    int top = rect.Top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER) top = rect.Top + (rect.Height() - height) / 2;
        else if (format & DT_BOTTOM) top = rect.Bottom - height;
    }
    QPainter painter(&canvas.Image());
    ClipToCanvas(painter, canvas);
    if (!(format & DT_NOCLIP)) painter.setClipRect(ToQRect(rect), Qt::IntersectClip);
    painter.setFont(font);
    painter.setPen(InkOf(canvas));
    const bool opaque = canvas.Brush.Style != TBrushStyle::bsClear;
    const bool underline = !(format & (DT_NOPREFIX | DT_HIDEPREFIX));
    int y = top;
    for (const Line& line : lines) {
        const int width = metrics.horizontalAdvance(line.text);
        int x = rect.Left;
        if (format & DT_CENTER) x = rect.Left + (rect.Width() - width) / 2;
        else if (format & DT_RIGHT) x = rect.Right - width;
        const int baseline = y + metrics.ascent();
        if (canvas.PathOpen && canvas.Path) {
            canvas.Path->addText(QPointF(x, baseline), font, line.text);
        } else {
            if (opaque) painter.fillRect(QRect(x, y, width, lineHeight), BrushOf(canvas));
            painter.drawText(QPoint(x, baseline), line.text);
        }
        for (int u : underline ? line.underlined : std::vector<int>{}) {
            const int from = x + metrics.horizontalAdvance(line.text.left(u));
            const int to = x + metrics.horizontalAdvance(line.text.left(u + 1)) - canvas.CharacterExtra;
            const QRect bar(from, baseline + metrics.underlinePos(), std::max(to - from, 1), std::max(metrics.lineWidth(), 1));
            if (canvas.PathOpen && canvas.Path) canvas.Path->addRect(bar);
            else painter.fillRect(bar, InkOf(canvas));
        }
        y += lineHeight;
    }
    return y - rect.Top;
}

bool ExtTextOutA(TCanvas& canvas, int x, int y, unsigned options, const TRect* rect, const char* text, int count)
{
    const QString s = Decode(text, count);
    const QFont font = QFontOf(canvas.Font, canvas.CharacterExtra);
    const QFontMetrics metrics(font);
    QPainter painter(&canvas.Image());
    ClipToCanvas(painter, canvas);
    if (rect && (options & ETO_OPAQUE)) painter.fillRect(ToQRect(*rect), BrushOf(canvas));
    if (rect && (options & ETO_CLIPPED)) painter.setClipRect(ToQRect(*rect), Qt::IntersectClip);
    QTransform turn;
    turn.translate(x, y);
    turn.rotate(-canvas.Font.Orientation / 10.0);
    if (canvas.PathOpen && canvas.Path) {
        QPainterPath glyphs;
        glyphs.addText(QPointF(0, metrics.ascent()), font, s);
        canvas.Path->addPath(turn.map(glyphs));
        return true;
    }
    painter.setTransform(turn);
    if (canvas.Brush.Style != TBrushStyle::bsClear)
        painter.fillRect(QRect(0, 0, metrics.horizontalAdvance(s), metrics.height()), BrushOf(canvas));
    painter.setFont(font);
    painter.setPen(InkOf(canvas));
    painter.drawText(QPoint(0, metrics.ascent()), s);
    return true;
}

int SetTextCharacterExtra(TCanvas& canvas, int extra)
{
    return std::exchange(canvas.CharacterExtra, extra);
}

bool BeginPath(TCanvas& canvas)
{
    canvas.Path = std::make_shared<QPainterPath>();
    canvas.PathOpen = true;
    return true;
}

bool EndPath(TCanvas& canvas)
{
    if (!canvas.PathOpen) return false;
    canvas.PathOpen = false;
    return true;
}

bool StrokePath(TCanvas& canvas)
{
    if (!canvas.Path || canvas.PathOpen) return false;
    if (canvas.Pen.Style != TPenStyle::psClear) {
        QPainter painter(&canvas.Image());
        ClipToCanvas(painter, canvas);
        painter.setPen(QPen(QColor::fromRgb(ColorToQRgb(canvas.Pen.Color)), std::max(canvas.Pen.Width, 1)));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(*canvas.Path);
    }
    canvas.Path.reset();
    return true;
}

} // namespace velvane
