#pragma once
// Button glyphs. A glyph bitmap holds up to five equal cells side by side
// (normal, disabled, hot, and further states); TVELGlyph turns it into one
// ready-masked cell per button state, made on the first draw of that state.
// The cells of every glyph of one size, across all buttons of the program,
// live in one shared masked strip (TVELGlyphList) that the process-wide
// GlyphCache hands out, so the conversion runs once per glyph and state and
// not on every paint.

#include "components/containers/velcont.h"
#include "components/drawing/DrawRoutinesCaption.h"
#include "components/drawing/VELCaption.h"
#include "components/drawing/VELLayout.h"
#include "platform/graphics/Graphics.h"

#include <array>
#include <functional>
#include <memory>
#include <vector>

namespace velvane {

// A masked strip of cells of one size, handed out one cell at a time. The
// strip never shrinks: freed cells are given out again first.
class TVELGlyphList : public TVELImageListItem {
public:
    TVELGlyphList(int width, int height);
    const char* ClassName() const override { return "TVELGlyphList"; }

    // The lowest free cell, the strip grown by one cell when none is free.
    int AllocCell();
    // A new cell holding bitmap (Width() x Height()), transparent where it
    // has transparentColor.
    int AddGlyph(const TBitmap& bitmap, TColor transparentColor);
    // Gives a cell back; a cell not in use is left alone.
    void FreeCell(int index);
    // Cells in use.
    int Count() const { return count_; }

private:
    int count_ = 0;
    std::vector<bool> used_;
};

// The strips of every glyph size in use.
class TVELGlyphCache {
public:
    // The strip for cells of the size, made (masked) when there is none.
    TVELGlyphList* GetList(int width, int height);
    // Frees the strip once no cell of it is in use.
    void ReleaseList(TVELGlyphList* list);
    bool IsEmpty() const { return lists_.empty(); }
    int ListCount() const { return static_cast<int>(lists_.size()); }

private:
    std::vector<std::unique_ptr<TVELGlyphList>> lists_;
};

// Null until the first glyph exists and again once the last one is gone.
extern TVELGlyphCache* GlyphCache;

// Glyph styles.
constexpr int gsColored = 0;
constexpr int gsUnColored = 1;  // the normal state drawn in greys, colour when hot or pressed

// Button states a glyph draws: 0 normal, 1 disabled, 2 hot, 4 pressed; 3
// and 5 to 8 are taken too, 7 (pressed and disabled) as disabled.
class TVELGlyph {
public:
    TVELGlyph();
    ~TVELGlyph();
    TVELGlyph(const TVELGlyph&) = delete;
    TVELGlyph& operator=(const TVELGlyph&) = delete;

    // Call BitmapChanged after drawing on it in place.
    TBitmap& Bitmap() { return bitmap_; }
    // A copy of bitmap (null empties it). A bitmap a whole number (up to
    // five) of squares wide sets NumGlyphs to that number, six or more to 1;
    // any other shape keeps NumGlyphs.
    void SetBitmap(const TBitmap* bitmap);
    void BitmapChanged();
    int NumGlyphs() const { return numGlyphs_; }
    // 0 is ignored.
    void SetNumGlyphs(int value);
    int Style() const { return style_; }
    void SetStyle(int value);
    TColor TransparentColor() const { return transparentColor_; }
    // Fired when the bitmap changes.
    std::function<void()> OnChange;

    // The cell of the state in GlyphList(), made now when needed; -1 for an
    // empty bitmap.
    int GetStateCell(int state);
    TVELGlyphList* GlyphList() const { return list_; }
    // Gives every cell back.
    void ReleaseCells();

    // Places and draws the state's cell and text in target (options: the
    // caption flags; textFlags: the text format).
    void Draw(TCanvas& canvas, const String& text, TVELFxCaption* caption, const TRect& target, int state,
              const TVELButtonLayout& layout, unsigned options, bool multiLine, unsigned textFlags);

private:
    TBitmap bitmap_;
    std::array<int, 9> cells_;
    TVELGlyphList* list_ = nullptr;
    int numGlyphs_ = 1;
    int style_ = gsColored;
    TColor transparentColor_ = clWhite;
};

// The built-in glyph strip (bitmap 16546 of the library): eight 13 x 14
// pictures, numbered from 1, on olive.
constexpr int GlyphStripResource = 16546;
constexpr int GlyphStripCells = 8;
// Makes bitmap the strip's picture n (13 x 14). Numbers outside 1..8 are
// taken as the nearest picture.
void LoadGlyphCell(TBitmap* bitmap, int n);

} // namespace velvane
