#include "inhouse/basekit/bk_ptrlist.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

int v[20];
void* P(int i) { return &v[i]; }

std::vector<void*> Items(BkPtrList& list)
{
    std::vector<void*> out;
    for (BKPOSITION pos = list.GetHeadPosition(); pos;)
        out.push_back(list.GetNext(pos));
    return out;
}

}  // namespace

TEST(BkPtrList, EmptyList)
{
    BkPtrList list(10);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(0, list.GetCount());
    EXPECT_EQ(nullptr, list.GetHeadPosition());
    EXPECT_EQ(nullptr, list.GetTailPosition());
    EXPECT_EQ(nullptr, list.FindIndex(0));
    EXPECT_EQ(nullptr, list.FindIndex(-1));
    EXPECT_EQ(nullptr, list.Find(P(0)));
    list.RemoveAll();
    list.RemoveAt(nullptr);
}

TEST(BkPtrList, HeadAndTailInsertionsKeepPositions)
{
    BkPtrList list(2);  // small blocks: several are needed
    BKPOSITION p1 = list.AddTail(P(1));
    BKPOSITION p0 = list.AddHead(P(0));
    BKPOSITION p2 = list.AddTail(P(2));
    for (int i = 3; i < 12; ++i)
        list.AddTail(P(i));
    list.AddHead(P(19));
    EXPECT_EQ(13, list.GetCount());
    EXPECT_EQ(P(0), list.GetAt(p0));
    EXPECT_EQ(P(1), list.GetAt(p1));
    EXPECT_EQ(P(2), list.GetAt(p2));
    EXPECT_EQ(P(19), list.GetHead());
    EXPECT_EQ(P(11), list.GetTail());

    BKPOSITION pos = p1;
    EXPECT_EQ(P(1), list.GetNext(pos));
    EXPECT_EQ(p2, pos);
    pos = list.GetTailPosition();
    list.GetNext(pos);
    EXPECT_EQ(nullptr, pos);
    pos = list.GetHeadPosition();
    list.GetPrev(pos);
    EXPECT_EQ(nullptr, pos);
}

TEST(BkPtrList, FindAndFindIndex)
{
    BkPtrList list;
    for (int i : {5, 6, 5, 7})
        list.AddTail(P(i));
    BKPOSITION first = list.Find(P(5));
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(list.GetHeadPosition(), first);
    EXPECT_EQ(first, list.Find(P(5), first));  // the start is searched too
    BKPOSITION after = first;
    list.GetNext(after);
    EXPECT_EQ(list.FindIndex(2), list.Find(P(5), after));
    EXPECT_EQ(nullptr, list.Find(P(9)));
    EXPECT_EQ(P(7), list.GetAt(list.FindIndex(3)));
    EXPECT_EQ(nullptr, list.FindIndex(4));
    EXPECT_EQ(nullptr, list.Find(nullptr));
    list.AddTail(nullptr);
    EXPECT_EQ(list.GetTailPosition(), list.Find(nullptr));
}

TEST(BkPtrList, RemoveAtRemovesOnlyThatElement)
{
    BkPtrList list(3);
    std::vector<BKPOSITION> at;
    for (int i = 0; i < 6; ++i)
        at.push_back(list.AddTail(P(i)));
    list.RemoveAt(at[0]);  // head
    list.RemoveAt(at[5]);  // tail
    list.RemoveAt(at[2]);  // middle
    EXPECT_EQ((std::vector<void*>{P(1), P(3), P(4)}), Items(list));
    EXPECT_EQ(P(3), list.GetAt(at[3]));  // other positions stay valid
    EXPECT_EQ(P(1), list.GetHead());
    EXPECT_EQ(P(4), list.GetTail());
    list.AddHead(P(9));  // reuses a freed node
    EXPECT_EQ((std::vector<void*>{P(9), P(1), P(3), P(4)}), Items(list));
    EXPECT_EQ(P(9), list.RemoveHead());
    EXPECT_EQ(P(4), list.RemoveTail());
    EXPECT_EQ(2, list.GetCount());
    list.RemoveAll();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(nullptr, list.GetHeadPosition());
    list.AddTail(P(1));
    EXPECT_EQ(1, list.GetCount());
}

TEST(BkPtrList, ElementsAreReferencesAndNeverFreed)
{
    BkPtrList list;
    int* owned = new int(42);
    BKPOSITION pos = list.AddTail(owned);
    list.GetAt(pos) = P(3);
    EXPECT_EQ(P(3), list.GetHead());
    list.SetAt(pos, owned);
    list.RemoveAll();  // the list does not free: the owner does
    EXPECT_EQ(42, *owned);
    delete owned;
}
