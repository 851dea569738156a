#pragma once
// Containers: named collections of images, bitmaps, string lists and sounds
// kept as non-visual components whose entries (list items) are components
// they own. A control hears of a container's changes through a change link;
// a stored form holds a container's items as its child components, each with
// its data in the binary property "Internal".
//
// An item's "Internal" data begins with its header (integers little-endian):
//   flags   1 byte: 1 compressed, 2 description, 4 ident, 8 data block,
//           0x10/0x20/0x40 bitmaps stored at 1/4/8 bits
//   [description: 1 length byte and the text]   flag 2
//   [ident: int32 holding the 16-bit Ident]      flag 4
// An image-list item follows it with Height, Width, AllocBy (int32), Masked
// (1 byte), the image count N (int32) and, when N > 0, the strip bitmap (N x
// Width by Height) and, when masked, the 1-bit mask, each written as
// VELStreamUtils.h writes bitmaps.

#include "components/foundation/VELCustomComponent.h"
#include "components/foundation/velwave.h"
#include "platform/classes/Collections.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Lists.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace velvane {

class TChangeLink;
class TCustomImageList;
class TVELBaseContainer;
class TVELCustomContainer;
class TVELImageListConnector;

// Header flags.
constexpr std::uint8_t lifCompressed = 0x01;
constexpr std::uint8_t lifDescription = 0x02;
constexpr std::uint8_t lifIdent = 0x04;
constexpr std::uint8_t lifData = 0x08;
constexpr std::uint8_t lifMono = 0x10;
constexpr std::uint8_t lif4bit = 0x20;
constexpr std::uint8_t lif8bit = 0x40;

// The depth at which bitmaps are stored.
enum class TVELSavePixelFormat : std::uint8_t { spfDefault, spfMono, spf4bit, spf8bit };
const std::vector<String>& SavePixelFormatIdents();

// A client's link to a container: OnChange (sender: the container) runs on
// every change of the container.
class TVELChangeLink {
public:
    TVELChangeLink() = default;
    // Leaves the container it is registered with.
    virtual ~TVELChangeLink();
    TVELChangeLink(const TVELChangeLink&) = delete;
    TVELChangeLink& operator=(const TVELChangeLink&) = delete;

    // The container it is registered with, or null.
    TVELBaseContainer* Sender() const { return sender_; }
    TVELNotifyEvent OnChange;
    virtual void ClientChanged();

private:
    friend class TVELBaseContainer;
    TVELBaseContainer* sender_ = nullptr;
};

class TVELBaseContainer : public TVELCustomComponent {
public:
    explicit TVELBaseContainer(TComponent* owner) : TVELCustomComponent(owner) {}
    // Unregisters every link still registered (their Sender becomes null).
    ~TVELBaseContainer() override;
    const char* ClassName() const override { return "TVELBaseContainer"; }

    // A link added twice is told twice per change.
    void AddChangeLink(TVELChangeLink* link);
    // Removes one registration of the link; its Sender is cleared when that
    // was its last one here.
    void RemoveChangeLink(TVELChangeLink* link);
    int ClientCount() const { return clients_.Count(); }

    // Tells every link, whatever the update state, then fires OnChange
    // unless updating.
    void NotifyChange() override;

private:
    TList<TVELChangeLink> clients_;
};

// An entry of a container.
class TVELListItem : public TVELCustomComponent {
public:
    explicit TVELListItem(TComponent* owner) : TVELCustomComponent(owner) {}
    const char* ClassName() const override { return "TVELListItem"; }

    String Description;
    std::uint16_t Ident = 0;
    bool Compressed = false;

    virtual void ClearData() {}
    virtual bool HasNoData() const { return false; }
    // The item's "Internal" data.
    virtual void ReadData(TStream&) {}
    virtual void WriteData(TStream&) {}
    // lifCompressed, lifDescription and lifIdent as they apply.
    virtual std::uint8_t GetStoreFlags() const;

    void WriteHeader(TStream& stream);
    void AssignHeader(const TVELListItem& source);

    // Fires the item's OnChange unless updating, then the owning container's
    // OnChange with the item as sender.
    void NotifyChange() override;

protected:
    struct THeader {
        std::uint8_t Flags = 0;
        String Description;
        std::uint16_t Ident = 0;
    };
    // The header read, without changing the item.
    static THeader ParseHeader(TStream& stream);
    void ApplyHeader(const THeader& header);

    // Joins the container whose children are being read.
    void ReadState(TReader& reader) override;
    // The stored form's "Internal" binary property.
    void DefineInternal(TFiler& filer);
};

// The kind of item a container holds: it makes one, owned by the
// container, and tells whether an item is of that kind (or derived from it).
struct TVELListItemClass {
    const char* Name = nullptr;
    TVELListItem* (*Create)(TComponent* owner) = nullptr;
    bool (*Holds)(const TVELListItem* item) = nullptr;
    explicit operator bool() const { return Create != nullptr; }
};

template <typename T>
TVELListItemClass ListItemClassOf(const char* name)
{
    return {name, [](TComponent* owner) -> TVELListItem* { return new T(owner); },
            [](const TVELListItem* item) { return dynamic_cast<const T*>(item) != nullptr; }};
}

class TVELCustomContainer : public TVELBaseContainer {
public:
    explicit TVELCustomContainer(TComponent* owner) : TVELBaseContainer(owner) {}
    ~TVELCustomContainer() override;
    const char* ClassName() const override { return "TVELCustomContainer"; }

    bool DefaultCompressed = false;
    TVELListItemClass ItemClass;
    // The item is of ItemClass (or derived from it).
    bool CanHold(const TVELListItem* item) const { return ItemClass && item && ItemClass.Holds(item); }

    virtual int Count() const { return items_.Count(); }
    virtual bool IsEmpty() const { return Count() == 0; }
    // Raises EListError for an index outside 0..Count - 1.
    virtual TVELListItem* GetItem(int index) const { return items_.Items(index); }
    // Whole lists: N, with offsets the position of each item, the items.
    virtual void ReadFromStream(TStream& stream, bool withOffsets);
    virtual void WriteToStream(TStream& stream, bool withOffsets);

    // Null makes a new item of ItemClass; answers the item's index. An item
    // of another class raises EInvalidOperation.
    int AddItem(TVELListItem* item);
    // Copies of every item of source, one notification at the end.
    void AddItemsFrom(const TVELCustomContainer& source);
    void Clear();
    // Index of a list index in 0..Count - 1.
    bool InRange(int index) const { return index >= 0 && index < Count(); }

    // From a container of this class (or a descendant): its items and
    // DefaultCompressed; anything else raises EConvertError.
    void Assign(const TPersistent& source) override;
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;
    TComponent* GetChildOwner() override { return this; }

protected:
    void Notification(TComponent* component, TOperation operation) override;
    // Assign's body between BeginUpdate and EndUpdate.
    virtual void CopyFrom(const TVELCustomContainer& source);
    // Item index of the container's own class; EListError outside the
    // items, EInvalidOperation should one be of another class.
    template <typename T>
    T* ItemAs(int index) const
    {
        auto* item = dynamic_cast<T*>(GetItem(index));
        if (!item) throw EInvalidOperation(String(ClassName()) + " holds an item of another class");
        return item;
    }

private:
    TList<TVELListItem> items_;
};

// ---------------------------------------------------------------- images

class TVELImageListItem : public TVELListItem {
public:
    explicit TVELImageListItem(TComponent* owner);
    // An item without owner of the given size; raises EInvalidGraphic
    // "Invalid image size" for a size that is not positive.
    static std::unique_ptr<TVELImageListItem> CreateSize(int width, int height);
    const char* ClassName() const override { return "TVELImageListItem"; }

    int AllocBy() const { return allocBy_; }
    void SetAllocBy(int value) { allocBy_ = value; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // A new positive size drops every image; others are ignored.
    void SetWidth(int value) { SetDimension(0, value); }
    void SetHeight(int value) { SetDimension(1, value); }
    void SetDimension(int index, int value);
    bool Masked() const { return masked_; }
    // The images stay; a new mask is opaque.
    void SetMasked(bool value);
    TVELSavePixelFormat PixelFormat = TVELSavePixelFormat::spfDefault;

    int ImageCount() const { return static_cast<int>(cells_.size()); }
    int UsedWidth() const { return usedWidth_; }
    TBitmap& ImageStrip() { return *strip_; }
    TBitmap& MaskStrip() { return *mask_; }
    // Raises EListError for a cell that does not exist.
    TRect GetCellRect(int index) const;

    void ClearImages();
    // False for null; true for a bitmap Height() high and a whole number of
    // cells wide; otherwise raises "Invalid image size".
    bool CheckImageSize(const TBitmap* bitmap) const;
    // A new empty cell; raises "Too many images" past 32768 pixels of strip.
    int AddCell();
    // The new cell's index; -1 for an image (or mask) of the wrong size.
    int AddImage(const TBitmap* image, const TBitmap* mask);
    // Stores the image's first cell (and the mask's, or an opaque mask).
    void ReplaceImage(int index, const TBitmap* image, const TBitmap* mask);
    // With the mask made from the pixels of transparentColor.
    void ReplaceMasked(int index, const TBitmap* image, TColor transparentColor);
    void AppendImages(const TVELImageListItem& source);

    void DrawImage(TCanvas& canvas, int x, int y, int index);
    void DrawImageRect(TCanvas& canvas, const TRect& rect, int flags, int index, TRect& drawn);
    void DrawImageExt(TCanvas& canvas, const TRect& rect, int flags, std::uint32_t clipOffset,
                      TColor transparentColor, int index);
    // The cell's bottom-left pixel.
    TColor CellTransparentColor(int index) const;
    TColor CellPixel(TPoint point, int index) const;
    // bitmap sized Width() x Height() holding the cell.
    void CopyCell(int index, TBitmap* bitmap);

    void ClearData() override { ClearImages(); }
    bool HasNoData() const override { return ImageCount() == 0; }
    // Nothing is trusted: a stored form that is cut short, inconsistent or
    // beyond the limits raises EReadError and leaves the item as it was.
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) override;
    std::uint8_t GetStoreFlags() const override;

    // From another image item (never itself): its settings and images.
    void Assign(const TPersistent& source) override;
    void DeclareProperties(TPropertyList& list) override;
    void DefineProperties(TFiler& filer) override;

private:
    struct Images;
    Images ReadImages(TStream& stream, int width, int height, bool masked, bool compressed) const;
    void TakeImages(Images& images, int width);
    void RebuildCells(int count);
    void SetCellsWidth(int width);
    int CellX(int index) const;

    int allocBy_ = 4;
    int width_ = 16;
    int height_ = 16;
    bool masked_ = false;
    int usedWidth_ = 0;
    std::vector<std::int16_t> cells_;
    std::unique_ptr<TBitmap> strip_;
    std::unique_ptr<TBitmap> mask_;
};

// The questions a control asks of an image list about image ImageIndex of
// item ListIndex, and the draws it asks for.
class TVELCustomImageList : public TVELCustomContainer {
public:
    explicit TVELCustomImageList(TComponent* owner) : TVELCustomContainer(owner) {}
    const char* ClassName() const override { return "TVELCustomImageList"; }

    TVELSavePixelFormat DefaultPixelFormat = TVELSavePixelFormat::spfDefault;

    virtual TCanvas* GetItemCanvas(int listIndex) = 0;
    virtual void GetImageRect(int listIndex, int imageIndex, TRect& rect) = 0;
    // which: 0 width, 1 height.
    virtual int GetImageExtent(int listIndex, std::uint8_t which) = 0;
    virtual int GetImageCount(int listIndex) = 0;
    virtual bool IsValidImage(int listIndex, int imageIndex) = 0;
    virtual void GetImage(int listIndex, int imageIndex, TBitmap* bitmap) = 0;
    virtual bool IsMasked(int listIndex) = 0;
    virtual HPALETTE GetItemPalette(int listIndex) = 0;
    virtual TColor GetTransparentColor(int listIndex, int imageIndex) = 0;
    virtual TColor GetPixel(TPoint point, int listIndex, int imageIndex) = 0;
    virtual void Draw(TCanvas& canvas, int x, int y, int listIndex, int imageIndex) = 0;
    virtual void DrawRect(TCanvas& canvas, const TRect& rect, int flags, int listIndex, int imageIndex,
                          TRect& drawn) = 0;
    virtual void DrawExt(TCanvas& canvas, const TRect& rect, int flags, std::uint32_t clipOffset,
                         TColor transparentColor, int listIndex, int imageIndex) = 0;

protected:
    void CopyFrom(const TVELCustomContainer& source) override;
};

class TVELImageList : public TVELCustomImageList {
public:
    explicit TVELImageList(TComponent* owner);
    const char* ClassName() const override { return "TVELImageList"; }
    void DeclareProperties(TPropertyList& list) override;

    // Raises EListError for a list index outside the items.
    TVELImageListItem* Item(int listIndex) const;

    TCanvas* GetItemCanvas(int listIndex) override;
    void GetImageRect(int listIndex, int imageIndex, TRect& rect) override;
    int GetImageExtent(int listIndex, std::uint8_t which) override;
    int GetImageCount(int listIndex) override;
    bool IsValidImage(int listIndex, int imageIndex) override;
    void GetImage(int listIndex, int imageIndex, TBitmap* bitmap) override;
    bool IsMasked(int listIndex) override;
    HPALETTE GetItemPalette(int listIndex) override;
    TColor GetTransparentColor(int listIndex, int imageIndex) override;
    TColor GetPixel(TPoint point, int listIndex, int imageIndex) override;
    void Draw(TCanvas& canvas, int x, int y, int listIndex, int imageIndex) override;
    void DrawRect(TCanvas& canvas, const TRect& rect, int flags, int listIndex, int imageIndex,
                  TRect& drawn) override;
    void DrawExt(TCanvas& canvas, const TRect& rect, int flags, std::uint32_t clipOffset, TColor transparentColor,
                 int listIndex, int imageIndex) override;
};

class TVELBitmapListItem : public TVELListItem {
public:
    explicit TVELBitmapListItem(TComponent* owner);
    const char* ClassName() const override { return "TVELBitmapListItem"; }

    TBitmap& Bitmap() { return *bitmap_; }
    void SetBitmap(const TBitmap& bitmap) { bitmap_->Assign(bitmap); }
    TVELSavePixelFormat PixelFormat = TVELSavePixelFormat::spfDefault;

    void ClearData() override { bitmap_ = std::make_unique<TBitmap>(); }
    bool HasNoData() const override { return bitmap_->Empty(); }
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) override;
    std::uint8_t GetStoreFlags() const override;
    void Assign(const TPersistent& source) override;
    void DefineProperties(TFiler& filer) override { DefineInternal(filer); }

private:
    std::unique_ptr<TBitmap> bitmap_;
};

// Each item one bitmap: every operation ignores ImageIndex.
class TVELBitmapList : public TVELCustomImageList {
public:
    explicit TVELBitmapList(TComponent* owner);
    const char* ClassName() const override { return "TVELBitmapList"; }
    void DeclareProperties(TPropertyList& list) override;

    TVELBitmapListItem* Item(int listIndex) const;

    TCanvas* GetItemCanvas(int listIndex) override;
    void GetImageRect(int listIndex, int imageIndex, TRect& rect) override;
    int GetImageExtent(int listIndex, std::uint8_t which) override;
    int GetImageCount(int listIndex) override;
    bool IsValidImage(int listIndex, int imageIndex) override;
    void GetImage(int listIndex, int imageIndex, TBitmap* bitmap) override;
    bool IsMasked(int listIndex) override;
    HPALETTE GetItemPalette(int listIndex) override;
    TColor GetTransparentColor(int listIndex, int imageIndex) override;
    TColor GetPixel(TPoint point, int listIndex, int imageIndex) override;
    void Draw(TCanvas& canvas, int x, int y, int listIndex, int imageIndex) override;
    void DrawRect(TCanvas& canvas, const TRect& rect, int flags, int listIndex, int imageIndex,
                  TRect& drawn) override;
    void DrawExt(TCanvas& canvas, const TRect& rect, int flags, std::uint32_t clipOffset, TColor transparentColor,
                 int listIndex, int imageIndex) override;
};

// ----------------------------------------------------------- connector

class TVELBorImageListItem : public TCollectionItem {
public:
    explicit TVELBorImageListItem(TCollection* collection);
    ~TVELBorImageListItem() override;
    const char* ClassName() const override { return "TVELBorImageListItem"; }

    const String& Name() const { return name_; }
    void SetName(const String& name);
    TCustomImageList* ImageList() const { return imageList_; }
    // Follows the list's changes and hears of its removal; the connector is
    // told even when the list stays the same.
    void SetImageList(TCustomImageList* list);

    String DisplayName() const override;
    void DeclareProperties(TPropertyList& list) override;

private:
    TVELImageListConnector* Connector() const;

    String name_;
    TCustomImageList* imageList_ = nullptr;
    std::unique_ptr<TChangeLink> link_;
};

class TVELBorImageListItems : public TCollection {
public:
    explicit TVELBorImageListItems(TVELImageListConnector* connector);
    const char* ClassName() const override { return "TVELBorImageListItems"; }
    TVELImageListConnector* Connector() const { return connector_; }
    TVELBorImageListItem* Items(int index) const { return static_cast<TVELBorImageListItem*>(TCollection::Items(index)); }
    TPersistent* GetOwner() const override;

protected:
    void Update(TCollectionItem* item) override;

private:
    TVELImageListConnector* connector_;
};

// Entries that name the class library's own image lists.
class TVELImageListConnector : public TVELCustomImageList {
public:
    explicit TVELImageListConnector(TComponent* owner);
    ~TVELImageListConnector() override;
    const char* ClassName() const override { return "TVELImageListConnector"; }

    TVELBorImageListItems& ImageLists() { return *imageLists_; }
    void SetImageLists(const TVELBorImageListItems& items) { imageLists_->Assign(items); }

    int Count() const override { return imageLists_->Count(); }
    // The entry item, its Description the entry's Name.
    TVELListItem* GetItem(int index) const override;

    TCanvas* GetItemCanvas(int listIndex) override;
    void GetImageRect(int listIndex, int imageIndex, TRect& rect) override;
    int GetImageExtent(int listIndex, std::uint8_t which) override;
    int GetImageCount(int listIndex) override;
    bool IsValidImage(int listIndex, int imageIndex) override;
    void GetImage(int listIndex, int imageIndex, TBitmap* bitmap) override;
    bool IsMasked(int listIndex) override;
    HPALETTE GetItemPalette(int listIndex) override;
    TColor GetTransparentColor(int listIndex, int imageIndex) override;
    TColor GetPixel(TPoint point, int listIndex, int imageIndex) override;
    void Draw(TCanvas& canvas, int x, int y, int listIndex, int imageIndex) override;
    void DrawRect(TCanvas& canvas, const TRect& rect, int flags, int listIndex, int imageIndex,
                  TRect& drawn) override;
    void DrawExt(TCanvas& canvas, const TRect& rect, int flags, std::uint32_t clipOffset, TColor transparentColor,
                 int listIndex, int imageIndex) override;

    void DeclareProperties(TPropertyList& list) override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    // The entry's list, when the list index is in range and it has one.
    TCustomImageList* ListAt(int listIndex) const;

    std::unique_ptr<TVELBorImageListItems> imageLists_;
    std::unique_ptr<TVELListItem> entryItem_;
};

bool IsListConnector(const TVELCustomImageList* list);

// ---------------------------------------------------- strings and sounds

class TVELStringListItem : public TVELListItem {
public:
    explicit TVELStringListItem(TComponent* owner) : TVELListItem(owner) {}
    const char* ClassName() const override { return "TVELStringListItem"; }

    TStringList& Items() { return items_; }
    void SetItems(const TStrings& strings) { items_.Assign(strings); }

    void ClearData() override { items_.Clear(); }
    bool HasNoData() const override { return items_.Count() == 0; }
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) override;
    std::uint8_t GetStoreFlags() const override;
    void Assign(const TPersistent& source) override;
    void DeclareProperties(TPropertyList& list) override;
    void DefineProperties(TFiler& filer) override { DefineInternal(filer); }

private:
    TStringList items_;
};

class TVELWaveListItem : public TVELListItem {
public:
    explicit TVELWaveListItem(TComponent* owner) : TVELListItem(owner) {}
    const char* ClassName() const override { return "TVELWaveListItem"; }

    TVELWave& Wave() { return wave_; }
    void SetWave(const TVELWave& wave) { wave_.Assign(wave); }

    void ClearData() override { wave_.Clear(); }
    bool HasNoData() const override { return wave_.Empty(); }
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) override;
    std::uint8_t GetStoreFlags() const override;
    void Assign(const TPersistent& source) override;
    void DeclareProperties(TPropertyList& list) override;
    void DefineProperties(TFiler& filer) override { DefineInternal(filer); }

private:
    TVELWave wave_;
};

class TVELStringList : public TVELCustomContainer {
public:
    explicit TVELStringList(TComponent* owner);
    const char* ClassName() const override { return "TVELStringList"; }
    void DeclareProperties(TPropertyList& list) override;
};

class TVELWaveList : public TVELCustomContainer {
public:
    explicit TVELWaveList(TComponent* owner);
    const char* ClassName() const override { return "TVELWaveList"; }
    void DeclareProperties(TPropertyList& list) override;
};

// One list of each kind; a change of any of them is a change of the
// container.
class TVELContainer : public TVELBaseContainer {
public:
    explicit TVELContainer(TComponent* owner);
    ~TVELContainer() override;
    const char* ClassName() const override { return "TVELContainer"; }

    TVELBitmapList* BitmapList() const { return bitmapList_; }
    TVELImageList* ImageList() const { return imageList_; }
    TVELStringList* StringList() const { return stringList_; }
    TVELWaveList* WaveList() const { return waveList_; }

private:
    TVELBitmapList* bitmapList_;
    TVELImageList* imageList_;
    TVELStringList* stringList_;
    TVELWaveList* waveList_;
};

// The process-wide container, made when the component library starts
// (ComponentLibrary.h) and freed when it ends; null outside.
extern TVELContainer* GlobalContainer;

// The shared image or bitmap list of GlobalContainer.
bool IsSharedList(const TVELCustomImageList* list);
// "VELIML30" for the shared image list, "VELBML30" for the shared bitmap
// list, nothing for any other.
void WriteListRef(TWriter& writer, const TVELCustomImageList* list);
// The shared list the next string value names (exactly), else null.
TVELCustomImageList* ReadListRef(TReader& reader);

// Registers the item classes, so that stored forms can make them.
void RegisterContainerClasses();

} // namespace velvane
