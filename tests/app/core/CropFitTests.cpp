// Tests of the crop as an export sees it: its fit to the output canvas and the export size.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "app/core/CropFit.h"
#include "app/core/PanomerDoc.h"
#include "app/core/ProjectionMap.h"
#include "toolkit/math/Quor_Round.h"

namespace {

constexpr float kPi = ProjectionMap::kPi;
constexpr int kTypes[] = {0, 1, 2, 3, 4};

// An export aspect taken from the crop's angles cuts off the sides of a perspective crop (and
// shows beyond the crop lines in fisheye): the fitted crop lines must land on the output's edges,
// with the linear types keeping the sizes the angles give. A crop without extent or with
// non-finite values (from a file) gives 0/0 and an infinite zoom: the type's default crop must
// stand in for it.
TEST(CropFit, FittedCropReachesEveryEdgeAndDegenerateCropsFallBack)
{
    const float crops[][4] = {{kPi, -kPi, kPi / 2, -kPi / 2}, {1.2217305f, -1.2217305f, 0.61f, -0.61f},
                              {0.9f, -0.3f, 0.5f, -0.2f}, {1.0f, -1.0f, 1.0f, -1.0f}, {kPi / 2, -kPi / 2, 0.8f, -1.1f}};
    const float degenerate[][4] = {{1, 1, 0.5f, 0.5f}, {1, 1, 0.5f, -0.5f}, {-1, 1, 0.5f, -0.5f},
                                   {1, -1, -0.5f, 0.5f}, {NAN, -1, 0.5f, -0.5f}, {1, -1, INFINITY, -0.5f}};
    const int width = 1024;
    for (int type : kTypes) {
        for (const auto& crop : crops) {
            if (type == ProjectionMap::kVerticalSpherical && crop[0] - crop[1] > crop[2] - crop[3] + 2.0f)
                continue;  // taller than the 30000-pixel limit at this width
            SCOPED_TRACE(testing::Message() << "type " << type << " crop " << crop[0] << " " << crop[2]);
            const int height = CropFit::HeightForWidth(type, crop, width);
            ASSERT_TRUE(CropFit::IsValidSize(width, height)) << height;
            ProjectionMap map(type, width, height);
            CropFit::Fit(map, crop);
            const bool vertical = type == ProjectionMap::kVerticalSpherical;
            Quor_Point left, right, top, bottom;
            map.AnglesToPoint(vertical ? 0 : crop[0], vertical ? crop[2] : 0, left);
            map.AnglesToPoint(vertical ? 0 : crop[1], vertical ? crop[3] : 0, right);
            map.AnglesToPoint(vertical ? crop[1] : 0, vertical ? 0 : crop[2], top);
            map.AnglesToPoint(vertical ? crop[0] : 0, vertical ? 0 : crop[3], bottom);
            // The flat type shows larger yaws to the right.
            EXPECT_LE(std::abs(std::min(left.x, right.x)), 1);
            EXPECT_LE(std::abs(std::max(left.x, right.x) - width), 1);
            EXPECT_LE(std::abs(top.y), 1);
            EXPECT_LE(std::abs(bottom.y - height), 1);
            if (type == 1 || type == 2 || type == 4) {
                const float aspect = (crop[0] - crop[1]) / (crop[2] - crop[3]);
                EXPECT_EQ(height, Quor_RoundToInt(vertical ? width * aspect : width / aspect));
            }
        }
        float standIn[4];
        ASSERT_TRUE(PanomerDoc::DefaultCrop(type, standIn));
        const int height = CropFit::HeightForWidth(type, standIn, width);
        ProjectionMap expected(type, width, height);
        CropFit::Fit(expected, standIn);
        for (const auto& crop : degenerate) {
            SCOPED_TRACE(testing::Message() << "type " << type << " crop " << crop[0] << " " << crop[1]);
            EXPECT_FLOAT_EQ(CropFit::Aspect(type, crop), CropFit::Aspect(type, standIn));
            EXPECT_EQ(CropFit::HeightForWidth(type, crop, width), height);
            ProjectionMap map(type, width, height);
            CropFit::Fit(map, crop);
            EXPECT_EQ(map.Zoom(), expected.Zoom());
            EXPECT_EQ(map.Offset(), expected.Offset());
        }
    }
    // A perspective crop of 140 by 70 degrees is far wider on the canvas than its angles say; the
    // dialogs' width for a height and proportion check follow the same aspect (type 2: inverted).
    const float wide[4] = {1.2217305f, -1.2217305f, 0.61086524f, -0.61086524f};
    EXPECT_NEAR(CropFit::Aspect(ProjectionMap::kPerspective, wide), 3.92f, 0.01f);
    const float* full = crops[0];
    EXPECT_EQ(CropFit::WidthForHeight(ProjectionMap::kHorizontalSpherical, full, 300), 600);
    EXPECT_TRUE(CropFit::RatioMatches(ProjectionMap::kHorizontalSpherical, full, 1000, 500));
    EXPECT_FALSE(CropFit::RatioMatches(ProjectionMap::kHorizontalSpherical, full, 1000, 600));
    EXPECT_TRUE(CropFit::RatioMatches(ProjectionMap::kVerticalSpherical, full, 500, 1000));
    EXPECT_FALSE(CropFit::RatioMatches(ProjectionMap::kHorizontalSpherical, full, 0, 0));
}

}  // namespace
