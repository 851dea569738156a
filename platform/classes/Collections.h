#pragma once
// TCollection and TCollectionItem: an owned, ordered set of items of one
// class, stored in a form as one property (Filer.h).
//
// The collection owns its items; an item freed directly leaves its collection
// first. Changes are told through the virtual Update (item, or null for the
// whole collection), held back between BeginUpdate and the last EndUpdate.

#include "platform/classes/Component.h"
#include "platform/classes/Lists.h"

#include <memory>

namespace velvane {

class TCollection;

class TCollectionItem : public TPersistent {
public:
    // Joins collection (when given) at its end.
    explicit TCollectionItem(TCollection* collection);
    ~TCollectionItem() override;
    TCollectionItem(const TCollectionItem&) = delete;
    TCollectionItem& operator=(const TCollectionItem&) = delete;

    const char* ClassName() const override { return "TCollectionItem"; }

    TCollection* Collection() const { return collection_; }
    // Moves the item to another collection (or out of any, given null).
    void SetCollection(TCollection* collection);
    // Position in the collection, -1 without one. Setting moves the item.
    int Index() const;
    void SetIndex(int index);
    // Unique within the collection, never reused by it.
    int ID() const { return id_; }

    // The name a designer shows; the default is the class name.
    virtual String DisplayName() const;
    virtual void SetDisplayName(const String& name);

protected:
    // Tells the collection that this item (or, with allItems, everything) changed.
    void Changed(bool allItems);

private:
    friend class TCollection;
    TCollection* collection_ = nullptr;
    int id_ = 0;
};

enum class TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollection : public TPersistent {
public:
    using ItemFactory = std::function<TCollectionItem*(TCollection*)>;

    // createItem makes one item in the given collection (Add, and reading).
    explicit TCollection(ItemFactory createItem);
    ~TCollection() override;
    TCollection(const TCollection&) = delete;
    TCollection& operator=(const TCollection&) = delete;

    const char* ClassName() const override { return "TCollection"; }

    int Count() const { return items_.Count(); }
    TCollectionItem* Items(int index) const { return items_.Items(index); }
    TCollectionItem* Add();
    // A new item at index (0..Count).
    TCollectionItem* Insert(int index);
    void Delete(int index);
    void Clear();
    TCollectionItem* FindItemID(int id) const;

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }

    // From another collection: its items copied one by one through Assign.
    void Assign(const TPersistent& source) override;

    // The object that holds the collection, for names shown to the user.
    virtual TPersistent* GetOwner() const { return nullptr; }

protected:
    // A change of item, or of the whole collection when item is null.
    virtual void Update(TCollectionItem* item);
    virtual void Notify(TCollectionItem* item, TCollectionNotification action);
    // Update(nullptr) unless held back.
    void Changed();

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* item);
    void RemoveItem(TCollectionItem* item);
    void MoveItem(TCollectionItem* item, int index);
    void ItemChanged(TCollectionItem* item);

    ItemFactory createItem_;
    TList<TCollectionItem> items_;
    int updateCount_ = 0;
    int nextId_ = 0;
    bool changedWhileHeld_ = false;
};

} // namespace velvane
