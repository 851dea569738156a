#pragma once
// Fonts as the drawing code describes them: a TFont turns into the Qt font
// it draws with, and into and out of the 60-byte logical-font record through
// which code makes a rotated copy of a font (escapement in tenths of a degree).

#include "platform/graphics/Graphics.h"

#include <QFont>

#include <cstdint>

namespace velvane {

struct LOGFONTA {
    std::int32_t lfHeight;  // below 0: character height in pixels; above: cell height
    std::int32_t lfWidth;
    std::int32_t lfEscapement;  // tenths of a degree, counter-clockwise
    std::int32_t lfOrientation;
    std::int32_t lfWeight;  // 400 normal, 700 bold
    std::uint8_t lfItalic;
    std::uint8_t lfUnderline;
    std::uint8_t lfStrikeOut;
    std::uint8_t lfCharSet;
    std::uint8_t lfOutPrecision;
    std::uint8_t lfClipPrecision;
    std::uint8_t lfQuality;
    std::uint8_t lfPitchAndFamily;
    char lfFaceName[32];
};
static_assert(sizeof(LOGFONTA) == 60);

constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;

// What reading the font's handle gives.
LOGFONTA GetLogFont(const TFont& font);
// The font made from the record replaces the font's face, size, style and
// escapement; its colour stays.
void SetLogFont(TFont& font, const LOGFONTA& logFont);

// Bit of TEXTMETRICA::tmPitchAndFamily: an outline font that turns to any angle.
constexpr std::uint8_t TMPF_TRUETYPE = 0x04;

struct TEXTMETRICA {
    std::int32_t tmHeight;
    std::int32_t tmAscent;
    std::int32_t tmDescent;
    std::int32_t tmInternalLeading;
    std::int32_t tmExternalLeading;
    std::int32_t tmAveCharWidth;
    std::int32_t tmMaxCharWidth;
    std::int32_t tmWeight;
    std::uint8_t tmPitchAndFamily;
};

// Metrics of the font as it is drawn.
TEXTMETRICA GetTextMetrics(const TFont& font);

// The Qt font a TFont draws with: its pixel size from the points at 96 dots
// per inch (a negative Size is pixels), with extra pixels after each character.
QFont QFontOf(const TFont& font, int characterExtra = 0);

} // namespace velvane
