// Pointer lists: growth, order, refused indices and typed deletion.
#include <gtest/gtest.h>

#include "toolkit/core/Quor_ArrayList.h"
#include "toolkit/core/Quor_Path.h"
#include "toolkit/core/Quor_String.h"

TEST(QuorArrayList, GrowsByDoublingAndKeepsOrder)
{
    // Catches lost or reordered items when the slot array is replaced.
    Quor_ArrayList list;
    int items[9];
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(list.Add(&items[i]));
    EXPECT_EQ(list.Capacity(), 8);
    list.Add(&items[5], 0);    // front
    list.Add(&items[6], 3);    // middle
    list.Add(&items[7], 99);   // any other index appends
    list.Add(&items[8], -1);
    const int expected[] = {5, 0, 1, 6, 2, 3, 4, 7, 8};
    ASSERT_EQ(list.Count(), 9);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(list[i], &items[expected[i]]) << i;

    EXPECT_EQ(list.RemoveAt(0), &items[5]);
    list.RemoveRange(2, 2);  // 6, 2
    list.Remove(&items[4]);
    list.Remove(&items[4]);  // absent: nothing
    EXPECT_TRUE(list.Count() == 5 && list.IndexOf(&items[3]) == 2 && !list.ContainsItem(&items[6]));
    list.RemoveRange(3, 100);  // cut to what exists
    EXPECT_EQ(list.Count(), 3);
}

TEST(QuorArrayList, OutOfRangeIndicesAreRefused)
{
    // Catches unchecked indices reading or writing outside the slot array (asserts in debug builds).
    Quor_ArrayList list;
    int item = 0;
    list.Add(&item);
    EXPECT_DEBUG_DEATH(EXPECT_EQ(list[1], nullptr), "out of range");
    EXPECT_DEBUG_DEATH(EXPECT_EQ(list.RemoveAt(-1), nullptr), "out of range");
    EXPECT_DEBUG_DEATH(list.ReplaceAt(4, &item), "out of range");
    EXPECT_TRUE(list.Count() == 1 && list[0] == &item);
}

namespace {

struct Counted {
    explicit Counted(int* counter) : fCounter(counter) {}
    ~Counted() { ++*fCounter; }
    int* fCounter;
};

}  // namespace

TEST(QuorArrayList, TypedDeleteAllDestroysEveryItemThroughItsType)
{
    // Catches deleting items through an untyped pointer (no destructor, UB; ASan reports a mismatch).
    int destroyed = 0;
    Quor_ArrayList list;
    for (int i = 0; i < 7; ++i)
        list.Add(new Counted(&destroyed));
    list.DeleteAll<Counted>();
    EXPECT_TRUE(destroyed == 7 && list.Count() == 0) << destroyed;

    // Polymorphic items go through the base's virtual destructor.
    Quor_ArrayList lines;
    lines.Add(new Quor_Path("/a/b"));
    lines.Add(new Quor_String("text"));
    lines.DeleteAll<Quor_String>();
    EXPECT_EQ(lines.Count(), 0);
}
