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
    list.Add(&a);
    list.Add(&b);
    list.Insert(0, &c);   // c a b
    list.Insert(3, nullptr);
    list.Move(0, 2);      // a b c nil
    list.Exchange(0, 1);  // b a c nil
    list.Pack();
    EXPECT_EQ((std::vector<int*>(list.begin(), list.end())), (std::vector<int*>{&b, &a, &c}));
    EXPECT_EQ(list.Remove(&a), 1);
    EXPECT_EQ(list.Remove(&a), -1);
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

// Records the updates it is told of.
class TNotes : public TCollection {
public:
    TNotes() : TCollection([](TCollection* c) { return new TNoteItem(c); }) {}
    std::vector<TCollectionItem*> updates;

protected:
    void Update(TCollectionItem* item) override { updates.push_back(item); }
};

} // namespace

TEST(Collection, OwnsItsItemsAndTellsOfChanges)
{
    TNotes notes;
    auto* first = static_cast<TNoteItem*>(notes.Add());
    auto* second = static_cast<TNoteItem*>(notes.Add());
    EXPECT_EQ(notes.updates, (std::vector<TCollectionItem*>{nullptr, nullptr}));
    notes.updates.clear();
    second->Touch();
    EXPECT_EQ(notes.updates, (std::vector<TCollectionItem*>{second}));

    second->SetIndex(0);
    EXPECT_EQ(notes.Items(0), second);
    auto* middle = notes.Insert(1);
    EXPECT_EQ(middle->Index(), 1);
    // An item freed directly leaves; IDs are not given out again.
    const int oldId = middle->ID();
    delete middle;
    EXPECT_EQ(notes.Count(), 2);
    TCollectionItem* fresh = notes.Add();
    EXPECT_GT(fresh->ID(), oldId);
    EXPECT_EQ(notes.FindItemID(first->ID()), first);

    // Held back until the last EndUpdate.
    notes.updates.clear();
    notes.BeginUpdate();
    notes.BeginUpdate();
    first->Touch();
    notes.Delete(2);
    notes.EndUpdate();
    EXPECT_TRUE(notes.updates.empty());
    notes.EndUpdate();
    EXPECT_EQ(notes.updates, (std::vector<TCollectionItem*>{nullptr}));
}

TEST(Collection, AssignCopiesItemsAndRefusesOtherClasses)
{
    TNotes source, target;
    for (const char* text : {"um", "dois", "três"}) static_cast<TNoteItem*>(source.Add())->Text = text;
    target.Add();
    target.updates.clear();
    target.Assign(source);
    ASSERT_EQ(target.Count(), 3);
    EXPECT_EQ(static_cast<TNoteItem*>(target.Items(2))->Text, "três");
    EXPECT_NE(target.Items(0), source.Items(0));
    EXPECT_EQ(target.updates, (std::vector<TCollectionItem*>{nullptr}));

    TPersistent plain;
    EXPECT_THROW(target.Assign(plain), EConvertError);
    EXPECT_EQ(target.Count(), 3);
}
