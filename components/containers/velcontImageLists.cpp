// The image-list interface and its three containers: image strips, single
// bitmaps, and entries naming the class library's own image lists.

#include "components/containers/velcont.h"
#include "components/drawing/DrawRoutinesBitmaps.h"
#include "components/foundation/VELStreamUtils.h"
#include "platform/forms/ImgList.h"

namespace velvane {

namespace {

constexpr TColor NoColour = 0xFFFFFF;

void DeclareListDefaults(TVELCustomImageList& list, TPropertyList& props)
{
    props.Boolean("DefaultCompressed", [&list] { return list.DefaultCompressed; },
                  [&list](bool v) { list.DefaultCompressed = v; })
        .Default(0);
    props.Enum("DefaultPixelFormat", SavePixelFormatIdents(), [&list] { return static_cast<int>(list.DefaultPixelFormat); },
               [&list](int v) { list.DefaultPixelFormat = static_cast<TVELSavePixelFormat>(v); })
        .Default(0);
}

int Extent(int width, int height, std::uint8_t which)
{
    return which == 0 ? width : which == 1 ? height : 0;
}

} // namespace

void TVELCustomImageList::CopyFrom(const TVELCustomContainer& source)
{
    Clear();
    DefaultCompressed = source.DefaultCompressed;
    DefaultPixelFormat = static_cast<const TVELCustomImageList&>(source).DefaultPixelFormat;
    AddItemsFrom(source);
}

bool IsListConnector(const TVELCustomImageList* list)
{
    return dynamic_cast<const TVELImageListConnector*>(list) != nullptr;
}

// ------------------------------------------------------------ image list

TVELImageList::TVELImageList(TComponent* owner) : TVELCustomImageList(owner)
{
    ItemClass = ListItemClassOf<TVELImageListItem>("TVELImageListItem");
    RegisterContainerClasses();
}

void TVELImageList::DeclareProperties(TPropertyList& list)
{
    TVELCustomImageList::DeclareProperties(list);
    DeclareListDefaults(*this, list);
}

TVELImageListItem* TVELImageList::Item(int listIndex) const
{
    return ItemAs<TVELImageListItem>(listIndex);
}

TCanvas* TVELImageList::GetItemCanvas(int listIndex)
{
    return &Item(listIndex)->ImageStrip().Canvas();
}

void TVELImageList::GetImageRect(int listIndex, int imageIndex, TRect& rect)
{
    rect = Item(listIndex)->GetCellRect(imageIndex);
}

int TVELImageList::GetImageExtent(int listIndex, std::uint8_t which)
{
    if (!InRange(listIndex)) return 0;
    return Extent(Item(listIndex)->Width(), Item(listIndex)->Height(), which);
}

int TVELImageList::GetImageCount(int listIndex)
{
    return InRange(listIndex) ? Item(listIndex)->ImageCount() : -1;
}

bool TVELImageList::IsValidImage(int listIndex, int imageIndex)
{
    return InRange(listIndex) && imageIndex >= 0 && imageIndex < Item(listIndex)->ImageCount();
}

void TVELImageList::GetImage(int listIndex, int imageIndex, TBitmap* bitmap)
{
    if (bitmap) Item(listIndex)->CopyCell(imageIndex, bitmap);
}

bool TVELImageList::IsMasked(int listIndex)
{
    return Item(listIndex)->Masked();
}

HPALETTE TVELImageList::GetItemPalette(int listIndex)
{
    return InRange(listIndex) ? Item(listIndex)->ImageStrip().Palette() : nullptr;
}

TColor TVELImageList::GetTransparentColor(int listIndex, int imageIndex)
{
    return InRange(listIndex) ? Item(listIndex)->CellTransparentColor(imageIndex) : NoColour;
}

TColor TVELImageList::GetPixel(TPoint point, int listIndex, int imageIndex)
{
    return InRange(listIndex) ? Item(listIndex)->CellPixel(point, imageIndex) : NoColour;
}

void TVELImageList::Draw(TCanvas& canvas, int x, int y, int listIndex, int imageIndex)
{
    Item(listIndex)->DrawImage(canvas, x, y, imageIndex);
}

void TVELImageList::DrawRect(TCanvas& canvas, const TRect& rect, int flags, int listIndex, int imageIndex,
                             TRect& drawn)
{
    Item(listIndex)->DrawImageRect(canvas, rect, flags, imageIndex, drawn);
}

void TVELImageList::DrawExt(TCanvas& canvas, const TRect& rect, int flags, std::uint32_t clipOffset,
                            TColor transparentColor, int listIndex, int imageIndex)
{
    Item(listIndex)->DrawImageExt(canvas, rect, flags, clipOffset, transparentColor, imageIndex);
}

// ----------------------------------------------------------- bitmap list

TVELBitmapListItem::TVELBitmapListItem(TComponent* owner) : TVELListItem(owner), bitmap_(std::make_unique<TBitmap>())
{
}

std::uint8_t TVELBitmapListItem::GetStoreFlags() const
{
    static constexpr std::uint8_t bits[] = {0, lifMono, lif4bit, lif8bit};
    return TVELListItem::GetStoreFlags() | bits[static_cast<int>(PixelFormat)] | (bitmap_->Empty() ? 0 : lifData);
}

void TVELBitmapListItem::WriteData(TStream& stream)
{
    WriteHeader(stream);
    if (bitmap_->Empty()) return;
    static constexpr int colors[] = {-1, 2, 16, 256};
    WriteBitmap(stream, *bitmap_, Compressed, colors[static_cast<int>(PixelFormat)]);
}

void TVELBitmapListItem::ReadData(TStream& stream)
{
    const THeader header = ParseHeader(stream);
    std::unique_ptr<TBitmap> read;
    if (header.Flags & lifData) {
        read = std::make_unique<TBitmap>();
        ReadBitmap(stream, *read, (header.Flags & lifCompressed) != 0);
    }
    ApplyHeader(header);
    PixelFormat = (header.Flags & lifMono)   ? TVELSavePixelFormat::spfMono
                  : (header.Flags & lif4bit) ? TVELSavePixelFormat::spf4bit
                  : (header.Flags & lif8bit) ? TVELSavePixelFormat::spf8bit
                                             : TVELSavePixelFormat::spfDefault;
    if (read) bitmap_ = std::move(read);
}

void TVELBitmapListItem::Assign(const TPersistent& source)
{
    if (const auto* item = dynamic_cast<const TVELBitmapListItem*>(&source)) {
        if (item == this) return;
        AssignHeader(*item);
        bitmap_->Assign(*item->bitmap_);
        PixelFormat = item->PixelFormat;
        return;
    }
    TVELListItem::Assign(source);
}

TVELBitmapList::TVELBitmapList(TComponent* owner) : TVELCustomImageList(owner)
{
    ItemClass = ListItemClassOf<TVELBitmapListItem>("TVELBitmapListItem");
    RegisterContainerClasses();
}

void TVELBitmapList::DeclareProperties(TPropertyList& list)
{
    TVELCustomImageList::DeclareProperties(list);
    DeclareListDefaults(*this, list);
}

TVELBitmapListItem* TVELBitmapList::Item(int listIndex) const
{
    return ItemAs<TVELBitmapListItem>(listIndex);
}

TCanvas* TVELBitmapList::GetItemCanvas(int listIndex)
{
    return &Item(listIndex)->Bitmap().Canvas();
}

void TVELBitmapList::GetImageRect(int listIndex, int, TRect& rect)
{
    const TBitmap& bitmap = Item(listIndex)->Bitmap();
    rect = Rect(0, 0, bitmap.Width(), bitmap.Height());
}

int TVELBitmapList::GetImageExtent(int listIndex, std::uint8_t which)
{
    if (!InRange(listIndex)) return 0;
    return Extent(Item(listIndex)->Bitmap().Width(), Item(listIndex)->Bitmap().Height(), which);
}

int TVELBitmapList::GetImageCount(int listIndex)
{
    return InRange(listIndex) && !Item(listIndex)->Bitmap().Empty() ? 1 : 0;
}

bool TVELBitmapList::IsValidImage(int listIndex, int)
{
    return InRange(listIndex) && !Item(listIndex)->Bitmap().Empty();
}

void TVELBitmapList::GetImage(int listIndex, int, TBitmap* bitmap)
{
    if (bitmap) bitmap->Assign(Item(listIndex)->Bitmap());
}

bool TVELBitmapList::IsMasked(int)
{
    return false;
}

HPALETTE TVELBitmapList::GetItemPalette(int listIndex)
{
    return InRange(listIndex) ? Item(listIndex)->Bitmap().Palette() : nullptr;
}

TColor TVELBitmapList::GetTransparentColor(int listIndex, int)
{
    return InRange(listIndex) ? Item(listIndex)->Bitmap().TransparentColor() : NoColour;
}

TColor TVELBitmapList::GetPixel(TPoint point, int listIndex, int)
{
    return InRange(listIndex) ? Item(listIndex)->Bitmap().Canvas().Pixels(point.X, point.Y) : NoColour;
}

void TVELBitmapList::Draw(TCanvas& canvas, int x, int y, int listIndex, int)
{
    TBitmap& bitmap = Item(listIndex)->Bitmap();
    TRect drawn;
    DrawBitmapRect(canvas, Bounds(x, y, bitmap.Width(), bitmap.Height()), &bitmap, drawn, 0, 0);
}

void TVELBitmapList::DrawRect(TCanvas& canvas, const TRect& rect, int flags, int listIndex, int, TRect& drawn)
{
    TBitmap& bitmap = Item(listIndex)->Bitmap();
    DrawBitmapRect(canvas, rect, &bitmap, drawn, bitmap.TransparentColor(), flags);
}

void TVELBitmapList::DrawExt(TCanvas& canvas, const TRect& rect, int flags, std::uint32_t clipOffset,
                             TColor transparentColor, int listIndex, int)
{
    DrawBitmap(canvas, rect, &Item(listIndex)->Bitmap(), transparentColor, clipOffset, flags);
}

// -------------------------------------------------------------- connector

TVELBorImageListItem::TVELBorImageListItem(TCollection* collection)
    : TCollectionItem(collection), link_(std::make_unique<TChangeLink>())
{
    link_->OnChange = [this](TCustomImageList*) {
        if (TVELImageListConnector* connector = Connector()) connector->NotifyChange();
    };
}

TVELBorImageListItem::~TVELBorImageListItem()
{
    link_->OnChange = nullptr;
}

TVELImageListConnector* TVELBorImageListItem::Connector() const
{
    auto* items = dynamic_cast<TVELBorImageListItems*>(Collection());
    return items ? items->Connector() : nullptr;
}

void TVELBorImageListItem::SetImageList(TCustomImageList* list)
{
    if (imageList_ && link_->Sender == imageList_) imageList_->UnRegisterChanges(link_.get());
    imageList_ = list;
    TVELImageListConnector* connector = Connector();
    if (list) {
        list->RegisterChanges(link_.get());
        if (connector) list->FreeNotification(connector);
    }
    if (connector) connector->NotifyChange();
}

void TVELBorImageListItem::SetName(const String& name)
{
    if (name == name_) return;
    name_ = name;
    SetDisplayName(DisplayName());
}

String TVELBorImageListItem::DisplayName() const
{
    if (!name_.empty()) return name_;
    if (imageList_) return imageList_->Name();
    return TCollectionItem::DisplayName();
}

void TVELBorImageListItem::DeclareProperties(TPropertyList& list)
{
    TCollectionItem::DeclareProperties(list);
    list.Text("Name", [this] { return name_; }, [this](const String& v) { SetName(v); });
    list.Reference("ImageList", [this]() -> TComponent* { return imageList_; },
                   [this](TComponent* c) { SetImageList(dynamic_cast<TCustomImageList*>(c)); });
}

TVELBorImageListItems::TVELBorImageListItems(TVELImageListConnector* connector)
    : TCollection([](TCollection* c) -> TCollectionItem* { return new TVELBorImageListItem(c); }),
      connector_(connector)
{
}

TPersistent* TVELBorImageListItems::GetOwner() const
{
    return connector_;
}

void TVELBorImageListItems::Update(TCollectionItem*)
{
    if (connector_) connector_->NotifyChange();
}

TVELImageListConnector::TVELImageListConnector(TComponent* owner)
    : TVELCustomImageList(owner),
      imageLists_(std::make_unique<TVELBorImageListItems>(this)),
      entryItem_(std::make_unique<TVELListItem>(nullptr))
{
}

TVELImageListConnector::~TVELImageListConnector()
{
    // The entries tell the connector of their going no more.
    imageLists_->BeginUpdate();
    imageLists_.reset();
}

TVELListItem* TVELImageListConnector::GetItem(int index) const
{
    entryItem_->Description = imageLists_->Items(index)->Name();
    return entryItem_.get();
}

TCustomImageList* TVELImageListConnector::ListAt(int listIndex) const
{
    return InRange(listIndex) ? imageLists_->Items(listIndex)->ImageList() : nullptr;
}

TCanvas* TVELImageListConnector::GetItemCanvas(int)
{
    return nullptr;
}

void TVELImageListConnector::GetImageRect(int listIndex, int, TRect& rect)
{
    const TCustomImageList* list = ListAt(listIndex);
    rect = list ? Rect(0, 0, list->Width(), list->Height()) : TRect{};
}

int TVELImageListConnector::GetImageExtent(int listIndex, std::uint8_t which)
{
    const TCustomImageList* list = ListAt(listIndex);
    return list ? Extent(list->Width(), list->Height(), which) : 0;
}

int TVELImageListConnector::GetImageCount(int listIndex)
{
    if (!InRange(listIndex)) return -1;
    const TCustomImageList* list = ListAt(listIndex);
    return list ? list->Count() : 0;
}

bool TVELImageListConnector::IsValidImage(int listIndex, int imageIndex)
{
    const TCustomImageList* list = ListAt(listIndex);
    return list && imageIndex >= 0 && imageIndex < list->Count();
}

void TVELImageListConnector::GetImage(int listIndex, int imageIndex, TBitmap* bitmap)
{
    if (!bitmap) return;
    if (const TCustomImageList* list = ListAt(listIndex)) list->GetBitmap(imageIndex, *bitmap);
}

bool TVELImageListConnector::IsMasked(int listIndex)
{
    const TCustomImageList* list = ListAt(listIndex);
    return list && list->Masked;
}

HPALETTE TVELImageListConnector::GetItemPalette(int)
{
    return nullptr;
}

TColor TVELImageListConnector::GetTransparentColor(int listIndex, int imageIndex)
{
    TBitmap image;
    GetImage(listIndex, imageIndex, &image);
    return image.TransparentColor();
}

TColor TVELImageListConnector::GetPixel(TPoint, int, int)
{
    return NoColour;
}

void TVELImageListConnector::Draw(TCanvas& canvas, int x, int y, int listIndex, int imageIndex)
{
    if (const TCustomImageList* list = ListAt(listIndex)) list->Draw(canvas, x, y, imageIndex, true);
}

void TVELImageListConnector::DrawRect(TCanvas& canvas, const TRect& rect, int flags, int listIndex, int imageIndex,
                                      TRect& drawn)
{
    TBitmap image;
    GetImage(listIndex, imageIndex, &image);
    DrawBitmapRect(canvas, rect, &image, drawn, image.TransparentColor(), flags);
}

void TVELImageListConnector::DrawExt(TCanvas& canvas, const TRect& rect, int flags, std::uint32_t clipOffset,
                                     TColor transparentColor, int listIndex, int imageIndex)
{
    TBitmap image;
    GetImage(listIndex, imageIndex, &image);
    DrawBitmap(canvas, rect, &image, transparentColor, clipOffset, flags);
}

void TVELImageListConnector::DeclareProperties(TPropertyList& list)
{
    TVELCustomImageList::DeclareProperties(list);
    list.Collection("ImageLists", [this]() -> TCollection* { return imageLists_.get(); });
}

void TVELImageListConnector::Notification(TComponent* component, TOperation operation)
{
    TVELCustomImageList::Notification(component, operation);
    if (operation != TOperation::opRemove || !imageLists_) return;
    for (int i = 0; i < imageLists_->Count(); ++i) {
        TVELBorImageListItem* entry = imageLists_->Items(i);
        if (static_cast<TComponent*>(entry->ImageList()) == component) entry->SetImageList(nullptr);
    }
}

} // namespace velvane
