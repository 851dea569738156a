#include "platform/classes/Collections.h"
#include "platform/classes/Lists.h"
#include "tests/support/Raises.h"

#include <gtest/gtest.h>

#include <vector>

using namespace velvane;
using velvane::test::MessageOf;

TEST(List, KeepsOrderAndChecksEveryIndex)
{
    int a = 1, b = 2, c = 3;
    TList<int> list;
    EXPECT_EQ(list.Add(&a), 0);
    EXPECT_EQ(list.Add(&b), 1);
    list.Insert(0, &c);  // c a b
    list.Insert(3, nullptr);
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list.First(), &c);
    EXPECT_EQ(list.Last(), nullptr);
    list.Move(0, 2);  // a b c nil
    list.Exchange(0, 1);  // b a c nil
    EXPECT_EQ(list[0], &b);
    EXPECT_EQ(list[1], &a);
    EXPECT_EQ(list[2], &c);
    list.Pack();
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Remove(&a), 1);
    EXPECT_EQ(list.Remove(&a), -1);
    EXPECT_EQ(list.IndexOf(&c), 1);

    EXPECT_EQ(MessageOf<EListError>([&] { list.Items(2); }), "List index out of bounds (2)");
    EXPECT_EQ(MessageOf<EListError>([&] { list.Delete(-1); }), "List index out of bounds (-1)");
    EXPECT_EQ(MessageOf<EListError>([&] { list.Insert(3, &a); }), "List index out of bounds (3)");
    EXPECT_EQ(MessageOf<EListError>([&] { list.Move(0, 5); }), "List index out of bounds (5)");
    list.Clear();
    EXPECT_THROW(list.First(), EListError);
}

namespace {


class TNoteItem : public TCollectionItem {
public:
    using TCollectionItem::TCollectionItem;
    String Text;
    void Assign(const TPersistent& source) override
    {
        if (const auto* other = dynamic_cast<const TNoteItem*>(&source)) {
            Text = other->Text;
            Changed(false);
            return;
        }
        TCollectionItem::Assign(source);
    }
    void Touch() { Changed(false); }
};

// Records every Update and Notify it gets.
class TNotes : public TCollection {
public:
    TNotes() : TCollection([](TCollection* c) { return new TNoteItem(c); }) {}
    std::vector<TCollectionItem*> updates;
    std::vector<TCollectionNotification> notices;

protected:
    void Update(TCollectionItem* item) override { updates.push_back(item); }
    void Notify(TCollectionItem*, TCollectionNotification action) override { notices.push_back(action); }
};

TNoteItem* Note(TCollection& c, int i) { return static_cast<TNoteItem*>(c.Items(i)); }

} // namespace

TEST(Collection, OwnsItsItemsAndTellsOfChanges)
{
    TNotes notes;
    auto* first = static_cast<TNoteItem*>(notes.Add());
    auto* second = static_cast<TNoteItem*>(notes.Add());
    EXPECT_EQ(notes.Count(), 2);
    EXPECT_EQ(first->Collection(), &notes);
    EXPECT_EQ(second->Index(), 1);
    EXPECT_NE(first->ID(), second->ID());
    EXPECT_EQ(notes.updates, (std::vector<TCollectionItem*>{nullptr, nullptr}));

    notes.updates.clear();
    second->Touch();
    EXPECT_EQ(notes.updates, (std::vector<TCollectionItem*>{second}));

    // Moving and inserting.
    second->SetIndex(0);
    EXPECT_EQ(notes.Items(0), second);
    auto* middle = static_cast<TNoteItem*>(notes.Insert(1));
    EXPECT_EQ(middle->Index(), 1);
    EXPECT_EQ(notes.FindItemID(first->ID()), first);

    // An item freed directly leaves; IDs are not given out again.
    const int oldId = middle->ID();
    delete middle;
    EXPECT_EQ(notes.Count(), 2);
    auto* fresh = notes.Add();
    EXPECT_GT(fresh->ID(), oldId);
    EXPECT_EQ(notes.FindItemID(oldId), nullptr);

    // Moving an item to another collection.
    TNotes other;
    fresh->SetCollection(&other);
    EXPECT_EQ(notes.Count(), 2);
    EXPECT_EQ(other.Items(0), fresh);
    EXPECT_EQ(MessageOf<EListError>([&] { notes.Items(2); }), "List index out of bounds (2)");
}

TEST(Collection, UpdatesAreHeldUntilTheLastEndUpdate)
{
    TNotes notes;
    notes.BeginUpdate();
    notes.BeginUpdate();
    notes.Add();
    Note(notes, 0)->Touch();
    notes.Add();
    notes.EndUpdate();
    EXPECT_TRUE(notes.updates.empty());
    notes.EndUpdate();
    EXPECT_EQ(notes.updates, (std::vector<TCollectionItem*>{nullptr}));

    notes.updates.clear();
    notes.notices.clear();
    notes.Clear();
    EXPECT_EQ(notes.Count(), 0);
    EXPECT_EQ(notes.updates, (std::vector<TCollectionItem*>{nullptr}));
    EXPECT_EQ(notes.notices.size(), 4u);  // deleting and extracting, per item
}

TEST(Collection, AssignCopiesItemsAndRefusesOtherClasses)
{
    TNotes source, target;
    for (const char* text : {"um", "dois", "três"}) static_cast<TNoteItem*>(source.Add())->Text = text;
    target.Add();
    target.updates.clear();
    target.Assign(source);
    ASSERT_EQ(target.Count(), 3);
    EXPECT_EQ(Note(target, 2)->Text, "três");
    EXPECT_NE(target.Items(0), source.Items(0));
    EXPECT_EQ(target.updates, (std::vector<TCollectionItem*>{nullptr}));

    TPersistent plain;
    EXPECT_THROW(target.Assign(plain), EConvertError);
    EXPECT_EQ(target.Count(), 3);
}
