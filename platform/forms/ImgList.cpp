#include "platform/forms/ImgList.h"

#include "platform/classes/Lists.h"
#include "platform/graphics/RasterOps.h"

#include <algorithm>

namespace velvane {

TChangeLink::~TChangeLink()
{
    if (Sender) Sender->UnRegisterChanges(this);
}

void TChangeLink::Change()
{
    if (OnChange) OnChange(Sender);
}

TCustomImageList::~TCustomImageList()
{
    // Before the component's own destruction tells anyone of the removal, so
    // that no link is left pointing at a list half gone.
    for (TChangeLink* link : links_) link->Sender = nullptr;
    links_.clear();
}

void TCustomImageList::SetSize(int width, int height)
{
    if (width <= 0 || height <= 0 || (width == width_ && height == height_)) return;
    width_ = width;
    height_ = height;
    Clear();
}

int TCustomImageList::Add(const TBitmap& image, const TBitmap* mask)
{
    if (image.Height() != height_ || image.Width() < width_) return -1;
    const int first = Count();
    for (int x = 0; x + width_ <= image.Width(); x += width_) {
        Image entry{std::make_unique<TBitmap>(), nullptr};
        TBitmap& picture = *entry.picture;
        picture.SetSize(width_, height_);
        BitBlt(picture.Canvas().Handle(), 0, 0, width_, height_, image.Canvas().Handle(), x, 0, SRCCOPY);
        if (mask) {
            entry.mask = std::make_unique<TBitmap>();
            TBitmap& cut = *entry.mask;
            cut.Canvas().Brush.Color = clBlack;  // past the mask's edge: opaque
            cut.SetSize(width_, height_);
            BitBlt(cut.Canvas().Handle(), 0, 0, width_, height_, mask->Canvas().Handle(), x, 0, SRCCOPY);
            cut.Mask(clWhite);
            // Transparent pixels of the picture become black, so that drawing
            // is an AND of the mask and an OR of the picture.
            picture.Canvas().State.BkColor = clBlack;
            picture.Canvas().State.TextColor = clWhite;
            BitBlt(picture.Canvas().Handle(), 0, 0, width_, height_, cut.Canvas().Handle(), 0, 0, SRCAND);
            picture.Canvas().State = TDeviceState{};
        }
        images_.push_back(std::move(entry));
    }
    Change();
    return first;
}

void TCustomImageList::Delete(int index)
{
    At(index);
    images_.erase(images_.begin() + index);
    Change();
}

void TCustomImageList::Clear()
{
    images_.clear();
    Change();
}

const TCustomImageList::Image& TCustomImageList::At(int index) const
{
    if (index < 0 || index >= Count()) RaiseListIndexError(index);
    return images_[static_cast<std::size_t>(index)];
}

void TCustomImageList::GetBitmap(int index, TBitmap& image) const
{
    At(index);
    image.SetSize(width_, height_);
    Draw(image.Canvas(), 0, 0, index);
}

void TCustomImageList::Draw(TCanvas& canvas, int x, int y, int index, bool) const
{
    const Image& entry = At(index);
    HDC dc = canvas.Handle();
    if (!Masked || !entry.mask) {
        BitBlt(dc, x, y, width_, height_, entry.picture->Canvas().Handle(), 0, 0, SRCCOPY);
        return;
    }
    const COLORREF bk = SetBkColor(dc, clWhite), text = SetTextColor(dc, clBlack);
    BitBlt(dc, x, y, width_, height_, entry.mask->Canvas().Handle(), 0, 0, SRCAND);
    BitBlt(dc, x, y, width_, height_, entry.picture->Canvas().Handle(), 0, 0, SRCPAINT);
    SetBkColor(dc, bk);
    SetTextColor(dc, text);
}

void TCustomImageList::RegisterChanges(TChangeLink* link)
{
    if (!link) return;
    link->Sender = this;
    links_.push_back(link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link)
{
    auto it = std::find(links_.begin(), links_.end(), link);
    if (it == links_.end()) return;
    (*it)->Sender = nullptr;
    links_.erase(it);
}

void TCustomImageList::Change()
{
    // By index: a handler may unregister links.
    for (std::size_t i = 0; i < links_.size(); ++i) links_[i]->Change();
    if (OnChange) OnChange(this);
}

} // namespace velvane
