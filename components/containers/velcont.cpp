// Change links, the base containers and list items, the string and wave
// lists, the shared container and the list references.

#include "components/containers/velcont.h"

#include "components/foundation/VELStreamUtils.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/rtl/Exceptions.h"

#include <typeinfo>

namespace velvane {

TVELContainer* GlobalContainer = nullptr;

const std::vector<String>& SavePixelFormatIdents()
{
    static const std::vector<String> idents = {"spfDefault", "spfMono", "spf4bit", "spf8bit"};
    return idents;
}

// ------------------------------------------------------------- change links

TVELChangeLink::~TVELChangeLink()
{
    // Every registration goes, or the container would call a freed link.
    while (sender_) sender_->RemoveChangeLink(this);
}

void TVELChangeLink::ClientChanged()
{
    if (OnChange) OnChange(sender_);
}

TVELBaseContainer::~TVELBaseContainer()
{
    while (!clients_.Empty()) RemoveChangeLink(clients_.Last());
}

void TVELBaseContainer::AddChangeLink(TVELChangeLink* link)
{
    if (!link) return;
    link->sender_ = this;
    clients_.Add(link);
}

void TVELBaseContainer::RemoveChangeLink(TVELChangeLink* link)
{
    // The Sender stays while a registration is left, so that the link's
    // destructor still finds this container.
    if (clients_.Remove(link) >= 0 && clients_.IndexOf(link) < 0 && link->sender_ == this) link->sender_ = nullptr;
}

void TVELBaseContainer::NotifyChange()
{
    // By index: a handler may remove links (its own or others).
    for (int i = 0; i < clients_.Count(); ++i) clients_[i]->ClientChanged();
    TVELCustomComponent::NotifyChange();
}

// --------------------------------------------------------------- list items

std::uint8_t TVELListItem::GetStoreFlags() const
{
    std::uint8_t flags = 0;
    if (Compressed) flags |= lifCompressed;
    if (!Description.empty()) flags |= lifDescription;
    if (Ident != 0) flags |= lifIdent;
    return flags;
}

TVELListItem::THeader TVELListItem::ParseHeader(TStream& stream)
{
    THeader header;
    header.Flags = ReadByte(stream);
    if (header.Flags & lifDescription) header.Description = ReadShortString(stream);
    if (header.Flags & lifIdent) header.Ident = static_cast<std::uint16_t>(ReadInt32(stream));
    return header;
}

void TVELListItem::ApplyHeader(const THeader& header)
{
    Compressed = (header.Flags & lifCompressed) != 0;
    Description = header.Description;
    Ident = header.Ident;
}

void TVELListItem::WriteHeader(TStream& stream)
{
    const std::uint8_t flags = GetStoreFlags();
    WriteByte(stream, flags);
    if (flags & lifDescription) WriteShortString(stream, Description);
    if (flags & lifIdent) WriteInt32(stream, Ident);
}

void TVELListItem::AssignHeader(const TVELListItem& source)
{
    Compressed = source.Compressed;
    Description = source.Description;
    Ident = source.Ident;
}

void TVELListItem::NotifyChange()
{
    TVELCustomComponent::NotifyChange();
    if (auto* container = dynamic_cast<TVELCustomContainer*>(Owner()); container && container->OnChange)
        container->OnChange(this);
}

void TVELListItem::ReadState(TReader& reader)
{
    TVELCustomComponent::ReadState(reader);
    auto* container = dynamic_cast<TVELCustomContainer*>(reader.Parent());
    if (!container) return;
    // An item of another kind would be taken for one of the container's
    // own by every operation of the list; the read fails and frees it.
    if (!container->CanHold(this))
        throw EReadError(String(container->ClassName()) + " cannot hold a " + ClassName() +
                         (container->ItemClass ? String(", only a ") + container->ItemClass.Name : String()));
    container->AddItem(this);
}

void TVELListItem::DefineInternal(TFiler& filer)
{
    filer.DefineBinaryProperty(
        "Internal", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); }, true);
}

// ------------------------------------------------------------ the container

TVELCustomContainer::~TVELCustomContainer()
{
    // The items are owned components and go with the inherited destructor.
    items_.Clear();
}

int TVELCustomContainer::AddItem(TVELListItem* item)
{
    if (!item) {
        if (!ItemClass) throw EInvalidOperation(String(ClassName()) + " holds no items of its own");
        item = ItemClass.Create(this);
    } else if (!CanHold(item)) {
        throw EInvalidOperation(String(ClassName()) + " cannot hold a " + item->ClassName());
    }
    const int index = items_.Add(item);
    NotifyChange();
    return index;
}

void TVELCustomContainer::AddItemsFrom(const TVELCustomContainer& source)
{
    for (int i = 0; i < source.Count(); ++i) {
        if (!ItemClass) throw EInvalidOperation(String(ClassName()) + " holds no items of its own");
        TVELListItem* item = ItemClass.Create(this);
        items_.Add(item);
        item->Assign(*source.GetItem(i));
    }
    NotifyChange();
}

void TVELCustomContainer::Clear()
{
    // Taken out of the list first: each item's destruction tells this
    // container, which would look for it there.
    std::vector<TVELListItem*> items(items_.begin(), items_.end());
    items_.Clear();
    for (TVELListItem* item : items) delete item;
    NotifyChange();
}

void TVELCustomContainer::Assign(const TPersistent& source)
{
    if (&source == this) return;  // copying from itself would first empty it
    // Only a container of this very class; no class here derives further.
    if (typeid(source) != typeid(*this)) {
        TVELBaseContainer::Assign(source);
        return;
    }
    BeginUpdate();
    try {
        CopyFrom(static_cast<const TVELCustomContainer&>(source));
    } catch (...) {
        EndUpdate(true);
        throw;
    }
    EndUpdate(true);
}

void TVELCustomContainer::CopyFrom(const TVELCustomContainer& source)
{
    Clear();
    DefaultCompressed = source.DefaultCompressed;
    AddItemsFrom(source);
}

void TVELCustomContainer::ReadFromStream(TStream& stream, bool withOffsets)
{
    BeginUpdate();
    try {
        Clear();
        const std::int32_t count = ReadInt32(stream);
        if (count < 0 || count > stream.Size() - stream.Position()) throw EReadError("Stream read error");
        if (withOffsets && count > 0) stream.Seek(4 * static_cast<std::int64_t>(count), TSeekOrigin::soCurrent);
        for (std::int32_t i = 0; i < count; ++i) {
            TVELListItem* item = GetItem(AddItem(nullptr));
            try {
                item->ReadData(stream);
            } catch (const EReadError&) {
                throw;
            } catch (const Exception& e) {
                // A damaged item is a read error, as it is in a stored form.
                throw EReadError(e.Message());
            }
        }
    } catch (...) {
        EndUpdate(true);
        throw;
    }
    EndUpdate(true);
}

void TVELCustomContainer::WriteToStream(TStream& stream, bool withOffsets)
{
    const int count = Count();
    WriteInt32(stream, count);
    if (!withOffsets || count == 0) {
        for (int i = 0; i < count; ++i) GetItem(i)->WriteData(stream);
        return;
    }
    const std::int64_t table = stream.Position();
    stream.SetPosition(table + 4 * static_cast<std::int64_t>(count));
    std::vector<std::int64_t> starts;
    for (int i = 0; i < count; ++i) {
        starts.push_back(stream.Position());
        GetItem(i)->WriteData(stream);
    }
    const std::int64_t end = stream.Position();
    stream.SetPosition(table);
    for (std::int64_t start : starts) {
        if (start > INT32_MAX) throw EWriteError("Container too large to store");
        WriteInt32(stream, static_cast<std::int32_t>(start));
    }
    stream.SetPosition(end);
}

void TVELCustomContainer::GetChildren(const std::function<void(TComponent*)>& proc, TComponent*)
{
    for (TVELListItem* item : items_) proc(item);
}

void TVELCustomContainer::Notification(TComponent* component, TOperation operation)
{
    TVELBaseContainer::Notification(component, operation);
    // An item freed on its own (or by a stored form that failed to load)
    // leaves the list.
    if (operation != TOperation::opRemove || component->Owner() != this) return;
    for (int i = items_.Count(); i-- > 0;)
        if (static_cast<TComponent*>(items_[i]) == component) items_.Delete(i);
}

// ----------------------------------------------------- strings and sounds

std::uint8_t TVELStringListItem::GetStoreFlags() const
{
    return TVELListItem::GetStoreFlags() | (items_.Count() > 0 ? lifData : 0);
}

void TVELStringListItem::ReadData(TStream& stream)
{
    const THeader header = ParseHeader(stream);
    TStringList read;
    if (header.Flags & lifData) ReadStrings(stream, read, (header.Flags & lifCompressed) != 0);
    ApplyHeader(header);
    items_.Assign(read);
}

void TVELStringListItem::WriteData(TStream& stream)
{
    WriteHeader(stream);
    if (items_.Count() > 0) WriteStrings(stream, items_, Compressed);
}

void TVELStringListItem::Assign(const TPersistent& source)
{
    if (const auto* item = dynamic_cast<const TVELStringListItem*>(&source)) {
        if (item == this) return;
        AssignHeader(*item);
        items_.Assign(item->items_);
        return;
    }
    TVELListItem::Assign(source);
}

namespace {

void DeclareDescriptionAndIdent(TVELListItem& item, TPropertyList& list)
{
    list.Text("Description", [&item] { return item.Description; },
              [&item](const String& v) { item.Description = v; });
    list.Integer("Ident", [&item] { return item.Ident; },
                 [&item](std::int64_t v) { item.Ident = static_cast<std::uint16_t>(v); })
        .Default(0)
        .Range(0, 0xFFFF);
}

void DeclareDefaultCompressed(TVELCustomContainer& container, TPropertyList& list)
{
    list.Boolean("DefaultCompressed", [&container] { return container.DefaultCompressed; },
                 [&container](bool v) { container.DefaultCompressed = v; })
        .Default(0);
}

} // namespace

void TVELStringListItem::DeclareProperties(TPropertyList& list)
{
    TVELListItem::DeclareProperties(list);
    DeclareDescriptionAndIdent(*this, list);
}

std::uint8_t TVELWaveListItem::GetStoreFlags() const
{
    return TVELListItem::GetStoreFlags() | (wave_.Empty() ? 0 : lifData);
}

void TVELWaveListItem::ReadData(TStream& stream)
{
    const THeader header = ParseHeader(stream);
    TVELWave read;
    if (header.Flags & lifData) {
        try {
            ReadWave(stream, read, (header.Flags & lifCompressed) != 0);
        } catch (const EErrorCheckingWave& e) {
            throw EReadError(e.Message());
        }
    }
    ApplyHeader(header);
    // Bytes that are no WAVE file are passed over, as the wave itself does:
    // the item keeps its sound. No data block at all empties it.
    if (!(header.Flags & lifData))
        wave_.Clear();
    else if (!read.Empty())
        wave_.Assign(read);
}

void TVELWaveListItem::WriteData(TStream& stream)
{
    WriteHeader(stream);
    if (!wave_.Empty()) WriteWave(stream, wave_, Compressed);
}

void TVELWaveListItem::Assign(const TPersistent& source)
{
    if (const auto* item = dynamic_cast<const TVELWaveListItem*>(&source)) {
        if (item == this) return;
        AssignHeader(*item);
        wave_.Assign(item->wave_);
        return;
    }
    TVELListItem::Assign(source);
}

void TVELWaveListItem::DeclareProperties(TPropertyList& list)
{
    TVELListItem::DeclareProperties(list);
    DeclareDescriptionAndIdent(*this, list);
}

TVELStringList::TVELStringList(TComponent* owner) : TVELCustomContainer(owner)
{
    ItemClass = ListItemClassOf<TVELStringListItem>("TVELStringListItem");
    RegisterContainerClasses();
}

void TVELStringList::DeclareProperties(TPropertyList& list)
{
    TVELCustomContainer::DeclareProperties(list);
    DeclareDefaultCompressed(*this, list);
}

TVELWaveList::TVELWaveList(TComponent* owner) : TVELCustomContainer(owner)
{
    ItemClass = ListItemClassOf<TVELWaveListItem>("TVELWaveListItem");
    RegisterContainerClasses();
}

void TVELWaveList::DeclareProperties(TPropertyList& list)
{
    TVELCustomContainer::DeclareProperties(list);
    DeclareDefaultCompressed(*this, list);
}

// ------------------------------------------------------- shared container

TVELContainer::TVELContainer(TComponent* owner)
    : TVELBaseContainer(owner),
      bitmapList_(new TVELBitmapList(this)),
      imageList_(new TVELImageList(this)),
      stringList_(new TVELStringList(this)),
      waveList_(new TVELWaveList(this))
{
    for (TVELCustomContainer* list : {static_cast<TVELCustomContainer*>(bitmapList_),
                                      static_cast<TVELCustomContainer*>(imageList_),
                                      static_cast<TVELCustomContainer*>(stringList_),
                                      static_cast<TVELCustomContainer*>(waveList_)})
        list->OnChange = [this](TPersistent*) { Change(); };
}

TVELContainer::~TVELContainer()
{
    for (TVELCustomContainer* list : {static_cast<TVELCustomContainer*>(bitmapList_),
                                      static_cast<TVELCustomContainer*>(imageList_),
                                      static_cast<TVELCustomContainer*>(stringList_),
                                      static_cast<TVELCustomContainer*>(waveList_)}) {
        list->OnChange = nullptr;
        delete list;
    }
}

bool IsSharedList(const TVELCustomImageList* list)
{
    return list && GlobalContainer &&
           (list == GlobalContainer->BitmapList() || list == GlobalContainer->ImageList());
}

void WriteListRef(TWriter& writer, const TVELCustomImageList* list)
{
    if (!GlobalContainer || !list) return;
    if (list == GlobalContainer->BitmapList())
        writer.WriteString("VELBML30");
    else if (list == GlobalContainer->ImageList())
        writer.WriteString("VELIML30");
}

TVELCustomImageList* ReadListRef(TReader& reader)
{
    const String ref = reader.ReadString();
    if (!GlobalContainer) return nullptr;
    if (ref == "VELIML30") return GlobalContainer->ImageList();
    if (ref == "VELBML30") return GlobalContainer->BitmapList();
    return nullptr;
}

void RegisterContainerClasses()
{
    static const bool registered = [] {
        RegisterClass<TVELImageListItem>("TVELImageListItem");
        RegisterClass<TVELBitmapListItem>("TVELBitmapListItem");
        RegisterClass<TVELStringListItem>("TVELStringListItem");
        RegisterClass<TVELWaveListItem>("TVELWaveListItem");
        RegisterClass<TVELImageList>("TVELImageList");
        RegisterClass<TVELBitmapList>("TVELBitmapList");
        RegisterClass<TVELStringList>("TVELStringList");
        RegisterClass<TVELWaveList>("TVELWaveList");
        RegisterClass<TVELImageListConnector>("TVELImageListConnector");
        RegisterClass<TVELContainer>("TVELContainer");
        return true;
    }();
    (void)registered;
}

} // namespace velvane
