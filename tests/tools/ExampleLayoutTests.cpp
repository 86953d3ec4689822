// Tests of the example layouts: strict parsing and the bundled example's cover of the sphere.
#include <gtest/gtest.h>

#include <cmath>

#include "tools/examplegen/ExampleLayout.h"
#include "tools/examplegen/LayoutCoverage.h"

// Fault: a mistyped angle or size taken as 0 or cut short instead of refused; a layout change
// that leaves holes in the bundled example, or photos that hardly overlap or nearly coincide,
// which the editor's alignment tools could not work with, or without the visible rolls that show
// a wrong roll.
TEST(ExampleLayout, ParsesStrictlyAndTheEarthCoversTheSphereWithAThirdOverlap)
{
    ExampleShot shot;
    ASSERT_TRUE(ExampleLayout::ParseShot("-120.5,+30,7", &shot));
    EXPECT_TRUE(shot.yaw == -120.5 && shot.pitch == 30.0 && shot.roll == 7.0);
    for (const char* bad : {"", "1,2", "1,2,3,4", "a,2,3", "181,0,0", "0,91,0", "0,0,nan", "1 ,2,3"})
        EXPECT_FALSE(ExampleLayout::ParseShot(bad, &shot)) << bad;
    int w = 0, h = 0;
    ASSERT_TRUE(ExampleLayout::ParseSize("960x720", &w, &h));
    EXPECT_TRUE(w == 960 && h == 720);
    for (const char* bad : {"960", "0x10", "10x", "x10", "30001x2", "9x9x9", "-5x5"})
        EXPECT_FALSE(ExampleLayout::ParseSize(bad, &w, &h)) << bad;

    ExampleLayout layout;
    ASSERT_TRUE(ExampleLayout::BuiltIn("earth", &layout));
    EXPECT_TRUE(layout.Check().empty());
    EXPECT_TRUE(layout.shots.size() >= 8u && layout.shots.size() <= 12u) << layout.shots.size();
    const LayoutCoverage coverage = LayoutCoverage::Measure(layout);
    EXPECT_EQ(coverage.uncovered, 0.0);
    for (size_t i = 0; i < coverage.neighbourOverlap.size(); i++)
        EXPECT_TRUE(coverage.neighbourOverlap[i] > 0.25 && coverage.neighbourOverlap[i] < 0.45)
            << "photo " << i + 1 << ": " << coverage.neighbourOverlap[i];
    int rolled = 0;
    for (const ExampleShot& s : layout.shots)
        rolled += std::fabs(s.roll) >= 5.0 ? 1 : 0;
    EXPECT_GE(rolled, 8);
}
