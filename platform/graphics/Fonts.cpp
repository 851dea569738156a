#include "platform/graphics/Fonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>

#include <algorithm>
#include <cstring>

namespace velvane {

namespace {

int PixelSize(const TFont& font)
{
    const int pixels = font.Size < 0 ? -font.Size : (font.Size * 96 + 36) / 72;
    return std::max(pixels, 1);
}

} // namespace

QFont QFontOf(const TFont& font, int characterExtra)
{
    QFont f(QString::fromStdString(font.Name));
    f.setPixelSize(PixelSize(font));
    f.setBold((font.Style & fsBold) != 0);
    f.setItalic((font.Style & fsItalic) != 0);
    f.setUnderline((font.Style & fsUnderline) != 0);
    f.setStrikeOut((font.Style & fsStrikeOut) != 0);
    if (characterExtra != 0) f.setLetterSpacing(QFont::AbsoluteSpacing, characterExtra);
    return f;
}

LOGFONTA GetLogFont(const TFont& font)
{
    LOGFONTA lf{};
    lf.lfHeight = -PixelSize(font);
    lf.lfEscapement = font.Orientation;
    lf.lfOrientation = font.Orientation;
    lf.lfWeight = (font.Style & fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (font.Style & fsItalic) ? 1 : 0;
    lf.lfUnderline = (font.Style & fsUnderline) ? 1 : 0;
    lf.lfStrikeOut = (font.Style & fsStrikeOut) ? 1 : 0;
    const std::size_t n = std::min(font.Name.size(), sizeof lf.lfFaceName - 1);
    std::memcpy(lf.lfFaceName, font.Name.data(), n);
    return lf;
}

void SetLogFont(TFont& font, const LOGFONTA& lf)
{
    font.Name.assign(lf.lfFaceName, strnlen(lf.lfFaceName, sizeof lf.lfFaceName));
    // Both signs are taken as pixels; 0 asks for the default size.
    font.Size = lf.lfHeight == 0 ? TFont{}.Size : -std::abs(lf.lfHeight);
    font.Style = static_cast<TFontStyles>((lf.lfWeight >= FW_BOLD ? fsBold : 0) | (lf.lfItalic ? fsItalic : 0) |
                                          (lf.lfUnderline ? fsUnderline : 0) | (lf.lfStrikeOut ? fsStrikeOut : 0));
    font.Orientation = lf.lfEscapement;
}

TEXTMETRICA GetTextMetrics(const TFont& font)
{
    const QFont f = QFontOf(font);
    const QFontMetrics metrics(f);
    TEXTMETRICA tm{};
    tm.tmHeight = metrics.height();
    tm.tmAscent = metrics.ascent();
    tm.tmDescent = metrics.descent();
    tm.tmExternalLeading = std::max(metrics.leading(), 0);
    tm.tmAveCharWidth = metrics.averageCharWidth();
    tm.tmMaxCharWidth = metrics.maxWidth();
    tm.tmWeight = (font.Style & fsBold) ? FW_BOLD : FW_NORMAL;
    // The face actually used, which may stand in for a missing one.
    if (QFontDatabase::isSmoothlyScalable(QFontInfo(f).family())) tm.tmPitchAndFamily |= TMPF_TRUETYPE;
    return tm;
}

} // namespace velvane
