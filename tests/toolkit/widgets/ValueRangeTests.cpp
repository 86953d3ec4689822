// Value ranges: steps, fractions and track positions of ranges that reach the ends of int, alone
// and as the sliders and scroll bars built on them show them.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "tests/toolkit/widgets/WidgetHarness.h"
#include "toolkit/widgets/Quor_ScrollBar.h"
#include "toolkit/widgets/Quor_Slider.h"
#include "toolkit/widgets/Quor_ValueRange.h"

using namespace quor_test;

class QuorValueRange : public WidgetWindowTest {};

TEST_F(QuorValueRange, StepsFractionsAndTrackPositionsHoldAtTheEndsOfInt)
{
    // Catches a step past INT_MAX or INT_MIN that wraps round (and so jumps to the other end of
    // the range), and a fraction or track value worked out in int that overflows for a range
    // wider than INT_MAX.
    struct Case { const char* name; int minimum; int maximum; int value; int step; int stepped; bool moved; };
    const Case cases[] = {
        {"up past INT_MAX", 0, INT_MAX, INT_MAX - 2, 5, INT_MAX, true},
        {"up at INT_MAX", 0, INT_MAX, INT_MAX, 5, INT_MAX, false},
        {"down past INT_MIN", INT_MIN, 0, INT_MIN + 2, -5, INT_MIN, true},
        {"a step as wide as int", INT_MIN, INT_MAX, 0, INT_MAX, INT_MAX, true},
        {"an ordinary step", 0, 100, 40, -20, 20, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Quor_ValueRange range(c.minimum, c.maximum);
        range.SetValue(c.value);
        EXPECT_EQ(range.Step(c.step), c.moved);
        EXPECT_EQ(range.Value(), c.stepped);
    }

    Quor_ValueRange whole(INT_MIN, INT_MAX);
    EXPECT_EQ(whole.Span(), 4294967295LL);
    EXPECT_EQ(whole.Fraction(), 0.0);
    whole.SetValue(INT_MAX);
    EXPECT_EQ(whole.Fraction(), 1.0);
    whole.SetValue(0);
    EXPECT_NEAR(whole.Fraction(), 0.5, 1e-9);
    EXPECT_EQ(whole.ValueAt(0, 100), INT_MIN);
    EXPECT_EQ(whole.ValueAt(100, 100), INT_MAX);
    EXPECT_EQ(whole.ValueAt(250, 100), INT_MAX);
    EXPECT_EQ(whole.ValueAt(5, 0), INT_MIN) << "a track of no length gives the minimum";

    // A reversed range is raised to one value, which every track position and fraction gives;
    // a shrinking range takes the value with it.
    Quor_ValueRange range(0, 100);
    range.SetValue(80);
    range.SetRange(1, 4);
    EXPECT_EQ(range.Value(), 4);
    range.SetRange(10, 5);
    EXPECT_EQ(range.Maximum(), 10);
    EXPECT_EQ(range.Value(), 10);
    EXPECT_EQ(range.Fraction(), 0.0);
    EXPECT_EQ(range.ValueAt(60, 100), 10);
}

TEST_F(QuorValueRange, BarsAtTheEndsOfIntLookLikeTheirSmallTwins)
{
    // Catches tick marks counted in int (a range ending at INT_MAX never stops counting, one
    // wider than INT_MAX wraps into a short one and fills the groove), and a knob or thumb
    // placed by a difference that overflows. A range shows only where its value stands in it,
    // so each bar must look exactly like a small range with its value at the same place.
    struct Case { const char* name; int minimum; int maximum; int value; int twinMaximum; int twinValue; };
    const Case cases[] = {
        {"ticks up to INT_MAX", INT_MAX - 4, INT_MAX, INT_MAX - 1, 4, 3},
        {"ticks down to INT_MIN", INT_MIN, INT_MIN + 4, INT_MIN + 1, 4, 1},
        {"every int, at the top", INT_MIN, INT_MAX, INT_MAX, 2000, 2000},
        {"every int, at the bottom", INT_MIN, INT_MAX, INT_MIN, 2000, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUpWindowAgain();
        Quor_Slider* wide = Place(new Quor_Slider(140, false, true, 1, 3), 4, 4);
        Quor_Slider* twin = Place(new Quor_Slider(140, false, true, 2, 3), 4, 30);
        wide->SetRange(c.minimum, c.maximum);
        wide->SetValue(c.value);
        twin->SetRange(0, c.twinMaximum);
        twin->SetValue(c.twinValue);
        Open();
        Quor_BaseImage wideShot;
        Quor_BaseImage twinShot;
        Capture(wide, &wideShot);
        Capture(twin, &twinShot);
        const RgbaPicture wideSeen = PictureFromImage(wideShot.Image());
        const RgbaPicture twinSeen = PictureFromImage(twinShot.Image());
        EXPECT_EQ(wideSeen.width, twinSeen.width);
        EXPECT_TRUE(wideSeen.rgba == twinSeen.rgba);

        Quor_ScrollBar bar(200, false, 1, 3);
        Quor_ScrollBar small(200, false, 1, 3);
        bar.SetRange(c.minimum, c.maximum);
        bar.SetValue(c.value);
        small.SetRange(0, c.twinMaximum);
        small.SetValue(c.twinValue);
        EXPECT_EQ(bar.ThumbRect(), small.ThumbRect());
    }
}
