#include "platform/classes/Collections.h"

namespace velvane {

// ------------------------------------------------------------ TCollectionItem

TCollectionItem::TCollectionItem(TCollection* collection)
{
    SetCollection(collection);
}

TCollectionItem::~TCollectionItem()
{
    SetCollection(nullptr);
}

void TCollectionItem::SetCollection(TCollection* collection)
{
    if (collection == collection_) return;
    if (collection_) collection_->RemoveItem(this);
    if (collection) collection->InsertItem(this);
}

int TCollectionItem::Index() const
{
    return collection_ ? collection_->items_.IndexOf(this) : -1;
}

void TCollectionItem::SetIndex(int index)
{
    if (collection_) collection_->MoveItem(this, index);
}

String TCollectionItem::DisplayName() const
{
    return ClassName();
}

void TCollectionItem::SetDisplayName(const String&)
{
    Changed(false);
}

void TCollectionItem::Changed(bool allItems)
{
    if (!collection_) return;
    if (allItems)
        collection_->Changed();
    else
        collection_->ItemChanged(this);
}

// ---------------------------------------------------------------- TCollection

TCollection::TCollection(ItemFactory createItem) : createItem_(std::move(createItem)) {}

TCollection::~TCollection()
{
    // Nothing is told while the items go: the collection is going too.
    ++updateCount_;
    while (!items_.Empty()) delete items_.Last();
}

TCollectionItem* TCollection::Add()
{
    if (!createItem_) throw EInvalidOperation("TCollection: no item class");
    TCollectionItem* item = createItem_(this);
    if (item && item->collection_ != this) item->SetCollection(this);
    return item;
}

TCollectionItem* TCollection::Insert(int index)
{
    if (index < 0 || index > Count()) RaiseListIndexError(index);
    BeginUpdate();
    TCollectionItem* item = nullptr;
    try {
        item = Add();
        if (item) MoveItem(item, index);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    return item;
}

void TCollection::Delete(int index)
{
    TCollectionItem* item = Items(index);
    Notify(item, TCollectionNotification::cnDeleting);
    delete item;
}

void TCollection::Clear()
{
    if (items_.Empty()) return;
    BeginUpdate();
    try {
        while (!items_.Empty()) Delete(Count() - 1);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

TCollectionItem* TCollection::FindItemID(int id) const
{
    for (TCollectionItem* item : items_)
        if (item->id_ == id) return item;
    return nullptr;
}

void TCollection::BeginUpdate()
{
    ++updateCount_;
}

void TCollection::EndUpdate()
{
    if (updateCount_ > 0) --updateCount_;
    Changed();
}

void TCollection::Assign(const TPersistent& source)
{
    const auto* other = dynamic_cast<const TCollection*>(&source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    if (other == this) return;
    BeginUpdate();
    try {
        Clear();
        for (int i = 0; i < other->Count(); ++i) {
            TCollectionItem* item = Add();
            if (item) item->Assign(*other->Items(i));
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Notify(TCollectionItem*, TCollectionNotification) {}

void TCollection::Changed()
{
    if (updateCount_ == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* item)
{
    items_.Add(item);
    item->collection_ = this;
    item->id_ = nextId_++;
    Notify(item, TCollectionNotification::cnAdded);
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* item)
{
    Notify(item, TCollectionNotification::cnExtracting);
    items_.Remove(item);
    item->collection_ = nullptr;
    Changed();
}

void TCollection::MoveItem(TCollectionItem* item, int index)
{
    const int current = items_.IndexOf(item);
    if (current < 0 || current == index) return;
    items_.Move(current, index);
    Changed();
}

void TCollection::ItemChanged(TCollectionItem* item)
{
    if (updateCount_ == 0) Update(item);
}

} // namespace velvane
