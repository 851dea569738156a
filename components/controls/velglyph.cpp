#include "components/controls/velglyph.h"

#include "components/drawing/DrawRoutinesBitmaps.h"
#include "platform/graphics/RasterOps.h"

#include <algorithm>

namespace velvane {

namespace {

#include "resources/components/GlyphStrip.xpm"

} // namespace

TVELGlyphCache* GlyphCache = nullptr;

// ------------------------------------------------------------ TVELGlyphList

TVELGlyphList::TVELGlyphList(int width, int height) : TVELImageListItem(nullptr)
{
    SetWidth(width);
    SetHeight(height);
}

int TVELGlyphList::AllocCell()
{
    const auto free = std::find(used_.begin(), used_.end(), false);
    int index = static_cast<int>(free - used_.begin());
    if (free == used_.end()) {
        index = AddCell();
        used_.resize(static_cast<std::size_t>(index) + 1, false);
    }
    used_[static_cast<std::size_t>(index)] = true;
    return index;
}

int TVELGlyphList::AddGlyph(const TBitmap& bitmap, TColor transparentColor)
{
    const int index = AllocCell();
    ReplaceMasked(index, &bitmap, transparentColor);
    ++count_;
    return index;
}

void TVELGlyphList::FreeCell(int index)
{
    if (index < 0 || index >= static_cast<int>(used_.size()) || !used_[static_cast<std::size_t>(index)]) return;
    used_[static_cast<std::size_t>(index)] = false;
    --count_;
}

// ----------------------------------------------------------- TVELGlyphCache

TVELGlyphList* TVELGlyphCache::GetList(int width, int height)
{
    for (const auto& list : lists_)
        if (list->Width() == width && list->Height() == height) return list.get();
    auto list = std::make_unique<TVELGlyphList>(width, height);
    list->SetMasked(true);
    lists_.push_back(std::move(list));
    return lists_.back().get();
}

void TVELGlyphCache::ReleaseList(TVELGlyphList* list)
{
    if (!list || list->Count() != 0) return;
    std::erase_if(lists_, [list](const auto& held) { return held.get() == list; });
}

// ---------------------------------------------------------------- TVELGlyph

TVELGlyph::TVELGlyph()
{
    cells_.fill(-1);
    if (!GlyphCache) GlyphCache = new TVELGlyphCache;
}

TVELGlyph::~TVELGlyph()
{
    OnChange = nullptr;
    ReleaseCells();
    if (GlyphCache && GlyphCache->IsEmpty()) {
        delete GlyphCache;
        GlyphCache = nullptr;
    }
}

void TVELGlyph::SetBitmap(const TBitmap* bitmap)
{
    ReleaseCells();
    if (bitmap) bitmap_.Assign(*bitmap);
    else bitmap_.SetSize(0, 0);
    if (bitmap && bitmap->Height() > 0) {
        transparentColor_ = bitmap->TransparentColor();
        const int w = bitmap->Width(), h = bitmap->Height();
        if (w % h == 0) SetNumGlyphs(w / h < 6 ? w / h : 1);
    }
    if (OnChange) OnChange();
}

void TVELGlyph::BitmapChanged()
{
    transparentColor_ = bitmap_.TransparentColor();
    ReleaseCells();
    if (OnChange) OnChange();
}

void TVELGlyph::SetNumGlyphs(int value)
{
    if (value == numGlyphs_ || value == 0) return;
    ReleaseCells();
    numGlyphs_ = value;
}

void TVELGlyph::SetStyle(int value)
{
    if (value == style_) return;
    ReleaseCells();
    style_ = value;
}

void TVELGlyph::ReleaseCells()
{
    for (int& cell : cells_) {
        if (cell != -1 && list_) list_->FreeCell(cell);
        cell = -1;
    }
    if (GlyphCache) GlyphCache->ReleaseList(list_);
    list_ = nullptr;
}

int TVELGlyph::GetStateCell(int state)
{
    if (bitmap_.Width() <= 0 || bitmap_.Height() <= 0) return -1;
    // A bitmap narrower than its cell count has one-pixel cells, as many as
    // fit, rather than cells of no width read past its right edge.
    const int cellCount = std::clamp(numGlyphs_, 1, bitmap_.Width());
    int slot = state;
    if (state == 1 || state == 7) slot = 1;
    else if (state > cellCount - 1) slot = style_ == gsUnColored ? (state == 6 ? 4 : 2) : 0;
    if (slot < 0 || slot >= static_cast<int>(cells_.size())) return -1;
    if (cells_[static_cast<std::size_t>(slot)] != -1) return cells_[static_cast<std::size_t>(slot)];

    const int width = bitmap_.Width() / cellCount, height = bitmap_.Height();
    if (!GlyphCache) GlyphCache = new TVELGlyphCache;
    if (!list_) list_ = GlyphCache->GetList(width, height);

    auto cutCell = [&](TBitmap& to, int n) {
        to.SetSize(width, height);
        BitBlt(to.Canvas().Handle(), 0, 0, width, height, bitmap_.Canvas().Handle(), n * width, 0, SRCCOPY);
        to.SetTransparentColor(transparentColor_);
    };
    TBitmap cell;
    if (slot < cellCount && !(style_ == gsUnColored && slot == 0)) {
        cutCell(cell, slot);
    } else if (slot == 0) {
        TBitmap coloured;
        cutCell(coloured, 0);
        MakeDisabledBitmap(cell, coloured);
    } else if (slot == 1) {
        TBitmap normal;
        cutCell(normal, 0);
        cell.SetSize(width, height);
        MakeEmbossedBitmap(cell, normal, 0, 0);
    } else if (slot <= 4) {
        cutCell(cell, 0);
    } else {
        return -1;
    }
    const int index = list_->AddGlyph(cell, transparentColor_);
    cells_[static_cast<std::size_t>(slot)] = index;
    return index;
}

void TVELGlyph::Draw(TCanvas& canvas, const String& text, TVELFxCaption* caption, const TRect& target, int state,
                     const TVELButtonLayout& layout, unsigned options, bool multiLine, unsigned textFlags)
{
    const int cell = GetStateCell(state);
    TRect source;
    TCanvas* image = nullptr;
    TBitmap* mask = nullptr;
    if (cell >= 0) {
        source = list_->GetCellRect(cell);
        image = &list_->ImageStrip().Canvas();
        mask = &list_->MaskStrip();
    }
    TVELLayoutResult result;
    LayoutGlyphText(canvas, text, caption, result, textFlags, options, true, true, multiLine, layout,
                    transparentColor_, mask, source, image, target);
}

// --------------------------------------------------------- the glyph strip

void LoadGlyphCell(TBitmap* bitmap, int n)
{
    if (!bitmap) return;
    constexpr int w = 13, h = 14;
    // The picture number is a byte of 0..127 in stored buttons; anything
    // outside the eight pictures is held to the strip's ends instead of
    // copying from beyond them.
    n = std::clamp(n % 128, 1, GlyphStripCells);
    bitmap->Image() = QImage(GlyphStrip_xpm).convertToFormat(QImage::Format_RGB32);
    bitmap->SetPixelFormat(TPixelFormat::pf4bit);
    if (n != 1)
        BitBlt(bitmap->Canvas().Handle(), 0, 0, w, h, bitmap->Canvas().Handle(), (n - 1) * w, 0, SRCCOPY);
    bitmap->SetWidth(w);
}

} // namespace velvane
