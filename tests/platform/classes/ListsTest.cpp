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
    EXPECT_EQ(MessageOf<EListError>([&] { list.Items(2); }), "Índice de lista fora dos limites (2)");
    EXPECT_THROW(list.Delete(-1), EListError);
    EXPECT_THROW(list.Insert(3, &a), EListError);
    EXPECT_THROW(list.Move(0, 5), EListError);
}

TEST(Collection, AnItemFreedDirectlyLeavesAndUpdatesWaitForTheLastEndUpdate)
{
    std::vector<TCollectionItem*> updates;
    struct TNotes : TCollection {
        explicit TNotes(std::vector<TCollectionItem*>& log)
            : TCollection([](TCollection* c) { return new TCollectionItem(c); }), log_(log) {}
        void Update(TCollectionItem* item) override { log_.push_back(item); }
        std::vector<TCollectionItem*>& log_;
    } notes(updates);
    TCollectionItem* first = notes.Add();
    TCollectionItem* middle = notes.Add();
    notes.Add();
    const int oldId = middle->ID();
    delete middle;
    EXPECT_EQ(notes.Count(), 2);
    EXPECT_GT(notes.Add()->ID(), oldId);  // IDs are not given out again
    EXPECT_EQ(notes.FindItemID(first->ID()), first);

    updates.clear();
    notes.BeginUpdate();
    notes.BeginUpdate();
    notes.Delete(2);
    notes.EndUpdate();
    EXPECT_TRUE(updates.empty());
    notes.EndUpdate();
    EXPECT_EQ(updates, std::vector<TCollectionItem*>{nullptr});
}
