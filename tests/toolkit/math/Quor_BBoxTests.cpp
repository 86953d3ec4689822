// Bounding boxes and polygon records.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "toolkit/math/Quor_BBox.h"
#include "toolkit/math/Quor_poly.h"

// Catches a box that bounds z after a 2-D point or reports empty after accumulating, and a
// polygon record that lets callers write a ninth vertex past the array.
TEST(QuorBBox, AccumulatesOnlyTheGivenComponentsAndPolyStopsAtEight)
{
    Quor_BBox box;
    EXPECT_TRUE(box.IsEmpty());
    box.AccumulatePoint(Quor_Vector2(3, -2));
    EXPECT_FALSE(box.IsEmpty());
    EXPECT_TRUE(box.min[0] == 3.0f && box.max[1] == -2.0f && box.min[2] == 1000000.0f && box.max[2] == -1000000.0f);
    Quor_poly poly;
    for (int i = 0; i < QUOR_POLY_MAX_VERTICES; i++)
        ASSERT_NE(poly.AddVertex(), nullptr);
    EXPECT_TRUE(poly.AddVertex() == nullptr && poly.count == 8 && poly.IsValid());
    poly.count = 9;
    EXPECT_TRUE(!poly.IsValid() && poly.AddVertex() == nullptr);
}
