// The image-list item: equally sized images side by side in one strip
// bitmap, with a monochrome mask strip while masked (black opaque, white
// transparent; a masked image is black where it is transparent).

#include "components/drawing/DrawRoutinesBitmaps.h"
#include "components/foundation/VELStreamUtils.h"
#include "components/containers/velcont.h"
#include "platform/classes/Lists.h"
#include "platform/graphics/RasterOps.h"
#include "platform/graphics/BmpCodec.h"

#include <algorithm>

namespace velvane {

namespace {

// Cell positions are 16-bit: a strip is at most this wide.
constexpr int MaxStripWidth = 32768;

[[noreturn]] void InvalidSize()
{
    throw EInvalidGraphicOperation("Invalid image size");
}

[[noreturn]] void TooMany()
{
    throw EInvalidGraphicOperation("Too many images");
}

[[noreturn]] void Damaged(const String& what)
{
    throw EReadError("Image list data is damaged: " + what);
}

int StoredColors(TVELSavePixelFormat format)
{
    switch (format) {
    case TVELSavePixelFormat::spfMono: return 2;
    case TVELSavePixelFormat::spf4bit: return 16;
    case TVELSavePixelFormat::spf8bit: return 256;
    default: return -1;
    }
}

TVELSavePixelFormat FormatOfFlags(std::uint8_t flags)
{
    if (flags & lifMono) return TVELSavePixelFormat::spfMono;
    if (flags & lif4bit) return TVELSavePixelFormat::spf4bit;
    if (flags & lif8bit) return TVELSavePixelFormat::spf8bit;
    return TVELSavePixelFormat::spfDefault;
}

} // namespace

struct TVELImageListItem::Images {
    int count = 0;
    std::unique_ptr<TBitmap> strip;
    std::unique_ptr<TBitmap> mask;
};

TVELImageListItem::TVELImageListItem(TComponent* owner)
    : TVELListItem(owner), strip_(std::make_unique<TBitmap>()), mask_(std::make_unique<TBitmap>())
{
    // The mask grows opaque.
    mask_->Canvas().Brush.Color = clBlack;
}

std::unique_ptr<TVELImageListItem> TVELImageListItem::CreateSize(int width, int height)
{
    auto item = std::make_unique<TVELImageListItem>(nullptr);
    item->width_ = width;
    item->height_ = height;
    item->ClearImages();
    if (width <= 0 || height <= 0) InvalidSize();
    return item;
}

void TVELImageListItem::SetDimension(int index, int value)
{
    int& dimension = index == 0 ? width_ : height_;
    if (value <= 0 || value == dimension) return;
    dimension = value;
    ClearImages();
    NotifyChange();
}

void TVELImageListItem::SetMasked(bool value)
{
    if (value == masked_) return;
    mask_->SetSize(0, 0);
    if (value) {
        mask_->SetMonochrome(true);
        mask_->SetSize(strip_->Width(), height_);
    } else {
        mask_->SetMonochrome(false);
    }
    masked_ = value;
    RebuildCells(ImageCount());
    NotifyChange();
}

int TVELImageListItem::CellX(int index) const
{
    if (index < 0 || index >= ImageCount()) RaiseListIndexError(index);
    return cells_[static_cast<std::size_t>(index)];
}

TRect TVELImageListItem::GetCellRect(int index) const
{
    return Bounds(CellX(index), 0, width_, height_);
}

void TVELImageListItem::RebuildCells(int count)
{
    cells_.clear();
    for (int k = 0; k < count; ++k) cells_.push_back(static_cast<std::int16_t>(k * width_));
}

void TVELImageListItem::ClearImages()
{
    BeginUpdate();
    // No cells, but the item's height (as far as a bitmap can be high).
    const int height = std::clamp(height_, 0, MaxPictureSide);
    strip_->SetSize(0, height);
    strip_->SetMonochrome(false);
    mask_->SetSize(0, masked_ ? height : 0);
    mask_->SetMonochrome(masked_);
    usedWidth_ = 0;
    cells_.clear();
    EndUpdate(false);
}

bool TVELImageListItem::CheckImageSize(const TBitmap* bitmap) const
{
    if (!bitmap) return false;
    if (bitmap->Height() == height_ && bitmap->Width() % width_ == 0) return true;
    InvalidSize();
}

int TVELImageListItem::AddCell()
{
    const int x = usedWidth_;
    const int used = usedWidth_ + width_;
    if (strip_->Width() < used) {
        // At least to the cell being added, whatever AllocBy says.
        const std::int64_t grown = std::max<std::int64_t>(strip_->Width() + std::int64_t{allocBy_} * width_, used);
        // Refused before anything changes.
        if (grown > MaxStripWidth) TooMany();
        strip_->SetSize(static_cast<int>(grown), height_);
        if (masked_) mask_->SetSize(static_cast<int>(grown), height_);
    }
    usedWidth_ = used;
    cells_.push_back(static_cast<std::int16_t>(x));
    return ImageCount() - 1;
}

int TVELImageListItem::AddImage(const TBitmap* image, const TBitmap* mask)
{
    if (!image && !mask) return AddCell();
    if (!CheckImageSize(image)) return -1;
    if (masked_ && mask && !CheckImageSize(mask)) return -1;
    const int index = AddCell();
    ReplaceImage(index, image, mask);
    return index;
}

void TVELImageListItem::ReplaceImage(int index, const TBitmap* image, const TBitmap* mask)
{
    if (!CheckImageSize(image)) return;
    if (masked_ && mask && !CheckImageSize(mask)) return;
    const int x = CellX(index);
    BitBlt(strip_->Canvas().Handle(), x, 0, width_, height_, image->Canvas().Handle(), 0, 0, SRCCOPY);
    if (masked_) {
        mask_->SetMonochrome(true);
        if (mask) {
            BitBlt(mask_->Canvas().Handle(), x, 0, width_, height_, mask->Canvas().Handle(), 0, 0, SRCCOPY);
        } else {
            mask_->Canvas().Brush.Color = clBlack;
            mask_->Canvas().FillRect(Bounds(x, 0, width_, height_));
        }
    }
    NotifyChange();
}

void TVELImageListItem::ReplaceMasked(int index, const TBitmap* image, TColor transparentColor)
{
    if (!CheckImageSize(image)) return;
    if (!masked_) {
        ReplaceImage(index, image, nullptr);
        return;
    }
    TBitmap picture, mask;
    SplitMaskedBitmap(const_cast<TBitmap&>(*image), &mask, &picture, transparentColor);
    ReplaceImage(index, &picture, &mask);
}

void TVELImageListItem::AppendImages(const TVELImageListItem& source)
{
    if (source.width_ != width_ || source.height_ != height_) InvalidSize();
    const int count = source.ImageCount();
    if (count == 0) return;
    const std::int64_t used = std::int64_t{count} * width_ + usedWidth_;
    if (used > MaxStripWidth) TooMany();
    BeginUpdate();
    try {
        if (strip_->Width() < used) {
            strip_->SetSize(static_cast<int>(used), height_);
            if (masked_) mask_->SetSize(static_cast<int>(used), height_);
        }
        const int w = count * width_;
        BitBlt(strip_->Canvas().Handle(), usedWidth_, 0, w, height_, source.strip_->Canvas().Handle(), 0, 0, SRCCOPY);
        if (masked_ && source.masked_)
            BitBlt(mask_->Canvas().Handle(), usedWidth_, 0, w, height_, source.mask_->Canvas().Handle(), 0, 0,
                   SRCCOPY);
        for (int k = 0; k < count; ++k) cells_.push_back(static_cast<std::int16_t>(ImageCount() * width_));
        usedWidth_ = static_cast<int>(used);
    } catch (...) {
        EndUpdate(false);
        throw;
    }
    EndUpdate(true);
}

void TVELImageListItem::Assign(const TPersistent& source)
{
    const auto* item = dynamic_cast<const TVELImageListItem*>(&source);
    if (!item) {
        TVELListItem::Assign(source);
        return;
    }
    // From itself it would first drop every image it is to copy.
    if (item == this) return;
    AssignHeader(*item);
    PixelFormat = item->PixelFormat;
    allocBy_ = item->allocBy_;
    height_ = item->height_;
    masked_ = item->masked_;
    width_ = item->width_;
    ClearImages();
    AppendImages(*item);
}

// ------------------------------------------------------------------ drawing

void TVELImageListItem::DrawImage(TCanvas& canvas, int x, int y, int index)
{
    const TRect cell = GetCellRect(index);
    const TRect to = Bounds(x, y, width_, height_);
    if (!masked_) {
        canvas.CopyRect(to, strip_->Canvas(), cell);
        return;
    }
    const TCopyMode mode = canvas.CopyMode;
    canvas.CopyMode = cmSrcAnd;
    canvas.CopyRect(to, mask_->Canvas(), cell);
    canvas.CopyMode = cmSrcPaint;
    canvas.CopyRect(to, strip_->Canvas(), cell);
    canvas.CopyMode = mode;
}

void TVELImageListItem::DrawImageRect(TCanvas& canvas, const TRect& rect, int flags, int index, TRect& drawn)
{
    drawn = TRect{};
    const TRect cell = GetCellRect(index);
    if (masked_)
        BltImage(canvas, rect, &strip_->Canvas(), drawn, mask_.get(), nullptr, 0, flags | dfMasked, cell);
    else  // the palette-relative flag, as the system writes such colours
        BltImage(canvas, rect, &strip_->Canvas(), drawn, nullptr, nullptr, CellTransparentColor(index) | 0x02000000,
                 flags, cell);
}

void TVELImageListItem::DrawImageExt(TCanvas& canvas, const TRect& rect, int flags, std::uint32_t clipOffset,
                                     TColor transparentColor, int index)
{
    const TRect cell = GetCellRect(index);
    if (masked_)
        BltImageClipped(canvas, rect, &strip_->Canvas(), mask_.get(), 0, clipOffset, flags | dfMasked, cell);
    else
        BltImageClipped(canvas, rect, &strip_->Canvas(), nullptr, transparentColor, clipOffset, flags, cell);
}

TColor TVELImageListItem::CellTransparentColor(int index) const
{
    return strip_->Canvas().Pixels(CellX(index), height_ - 1);
}

TColor TVELImageListItem::CellPixel(TPoint point, int index) const
{
    return strip_->Canvas().Pixels(CellX(index) + point.X, point.Y);
}

void TVELImageListItem::CopyCell(int index, TBitmap* bitmap)
{
    if (!bitmap) return;
    const int x = CellX(index);
    bitmap->SetSize(width_, height_);
    BitBlt(bitmap->Canvas().Handle(), 0, 0, width_, height_, strip_->Canvas().Handle(), x, 0, SRCCOPY);
}

// ------------------------------------------------------------- stored form

std::uint8_t TVELImageListItem::GetStoreFlags() const
{
    static constexpr std::uint8_t bits[] = {0, lifMono, lif4bit, lif8bit};
    return TVELListItem::GetStoreFlags() | bits[static_cast<int>(PixelFormat)];
}

void TVELImageListItem::WriteData(TStream& stream)
{
    WriteHeader(stream);
    WriteInt32(stream, height_);
    WriteInt32(stream, width_);
    WriteInt32(stream, allocBy_);
    WriteByte(stream, masked_ ? 1 : 0);
    const int count = ImageCount();
    WriteInt32(stream, count);
    if (count == 0) return;
    // The cells reserved by AllocBy are not stored.
    usedWidth_ = count * width_;
    strip_->SetWidth(usedWidth_);
    if (masked_) mask_->SetWidth(usedWidth_);
    WriteBitmap(stream, *strip_, Compressed, StoredColors(PixelFormat));
    if (masked_) WriteBitmap(stream, *mask_, Compressed, 2);
}

TVELImageListItem::Images TVELImageListItem::ReadImages(TStream& stream, int width, int height, bool masked,
                                                        bool compressed) const
{
    Images images;
    const std::int32_t count = ReadInt32(stream);
    if (count < 0) Damaged("image count " + std::to_string(count));
    if (std::int64_t{count} * width > MaxStripWidth || std::int64_t{count} * width * height > MaxPicturePixels)
        Damaged(std::to_string(count) + " images of " + std::to_string(width) + " x " + std::to_string(height));
    images.count = count;
    if (count == 0) return images;
    images.strip = std::make_unique<TBitmap>();
    ReadBitmap(stream, *images.strip, compressed, count * width, height);
    // The strip is a colour bitmap whatever depth it was stored at.
    images.strip->SetPixelFormat(TPixelFormat::pfDevice);
    if (masked) {
        images.mask = std::make_unique<TBitmap>();
        ReadBitmap(stream, *images.mask, compressed, count * width, height);
        images.mask->Mask(clWhite);
    }
    return images;
}

void TVELImageListItem::TakeImages(Images& images, int width)
{
    strip_ = images.strip ? std::move(images.strip) : std::make_unique<TBitmap>();
    mask_ = images.mask ? std::move(images.mask) : std::make_unique<TBitmap>();
    mask_->Canvas().Brush.Color = clBlack;
    mask_->SetMonochrome(masked_);
    usedWidth_ = strip_->Width();
    cells_.clear();
    for (int k = 0; k < images.count; ++k) cells_.push_back(static_cast<std::int16_t>(k * width));
}

void TVELImageListItem::ReadData(TStream& stream)
{
    // Everything is read and checked first; the item changes only when all of
    // it is sound.
    const THeader header = ParseHeader(stream);
    const std::int32_t height = ReadInt32(stream);
    const std::int32_t width = ReadInt32(stream);
    const std::int32_t allocBy = ReadInt32(stream);
    const std::uint8_t masked = ReadByte(stream);
    if (width <= 0 || height <= 0 || width > MaxStripWidth || height > MaxPictureSide)
        Damaged("image size " + std::to_string(width) + " x " + std::to_string(height));
    if (masked > 1) Damaged("mask flag " + std::to_string(masked));
    Images images = ReadImages(stream, width, height, masked != 0, (header.Flags & lifCompressed) != 0);

    ApplyHeader(header);
    PixelFormat = FormatOfFlags(header.Flags);
    height_ = height;
    width_ = width;
    allocBy_ = allocBy;
    masked_ = masked != 0;
    TakeImages(images, width);
}

void TVELImageListItem::DeclareProperties(TPropertyList& list)
{
    TVELListItem::DeclareProperties(list);
    list.Integer("AllocBy", [this] { return allocBy_; }, [this](std::int64_t v) { allocBy_ = static_cast<int>(v); })
        .Default(4);
    list.Text("Description", [this] { return Description; }, [this](const String& v) { Description = v; });
    list.Boolean("Masked", [this] { return masked_; }, [this](bool v) { SetMasked(v); }).Default(0);
    list.Integer("Height", [this] { return height_; }, [this](std::int64_t v) { SetHeight(static_cast<int>(v)); })
        .Default(16);
    list.Integer("Width", [this] { return width_; }, [this](std::int64_t v) { SetWidth(static_cast<int>(v)); })
        .Default(16);
}

void TVELImageListItem::DefineProperties(TFiler& filer)
{
    TVELListItem::DefineProperties(filer);
    DefineInternal(filer);
    // Older forms: the images alone, at the item's current settings.
    filer.DefineBinaryProperty(
        "Bitmap",
        [this](TStream& s) {
            Images images = ReadImages(s, width_, height_, masked_, Compressed);
            TakeImages(images, width_);
        },
        nullptr, false);
}

} // namespace velvane
