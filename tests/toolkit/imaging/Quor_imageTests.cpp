// The image record: which records the pixel routines may walk.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "tests/support/ImageFixtures.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"

using namespace quor_test;

TEST(QuorImage, OnlyRecordsWithWholeRowsOfAKnownDepthAreUsable)
{
    // Catches a routine walking a record whose rows are shorter than its width (reading into the
    // next row or past the buffer), whose pixel size does not match its depth, or whose row
    // length check wraps in 32 bits.
    static uint8_t pixels[64];
    const struct {
        Quor_image record;
        bool usable, usable32;
    } cases[] = {
        {{pixels, 4, 2, 32, 4, 16}, true, true}, {{pixels, 4, 2, 32, 4, 20}, true, true},  // the second padded
        {{pixels, 5, 2, 24, 3, 16}, true, false}, {{pixels, 7, 2, 16, 2, 14}, true, false},
        {{pixels, 7, 2, 15, 2, 14}, true, false}, {{pixels, 9, 2, 8, 1, 9}, true, false},
        {{nullptr, 4, 2, 32, 4, 16}, false, false},   // no pixels
        {{pixels, 0, 2, 32, 4, 16}, false, false},    // no width
        {{pixels, 4, -1, 32, 4, 16}, false, false},   // no height
        {{pixels, 4, 2, 12, 2, 16}, false, false},    // unknown depth
        {{pixels, 4, 2, 32, 3, 16}, false, false},    // pixel size of another depth
        {{pixels, 4, 2, 32, 0, 16}, false, false},
        {{pixels, 4, 2, 32, 4, 15}, false, false},    // rows one byte short
        {{pixels, 4, 2, 32, 4, 0}, false, false},     // the uncorrected built-in mark
        {{pixels, 4, 2, 32, 4, -16}, false, false},   // bottom-up
        {{pixels, 0x40000001, 1, 32, 4, 4}, false, false},  // width * 4 wraps to 4 in 32 bits
    };
    for (const auto& c : cases) {
        const Quor_image& r = c.record;
        SCOPED_TRACE(testing::Message() << r.width << "x" << r.height << " bits " << r.pixelBits << " bytes "
                                        << r.pixelBytes << " rowBytes " << r.rowBytes);
        EXPECT_EQ(std::pair(r.IsUsable(), r.IsUsable32()), std::pair(c.usable, c.usable32));
        if (!c.usable && r.pixelBits == 32) {
            // The routines refuse it rather than walk it.
            EXPECT_EQ(Quor_ImageOps::SampleImage(&r, 1.0f, 1.0f), 0u);
            Quor_image view;
            EXPECT_NE(Quor_ImageOps::FillImage(&r, Quor_Rect(0, 0, 1, 1), &view), QUOR_OK);
        }
    }
}
