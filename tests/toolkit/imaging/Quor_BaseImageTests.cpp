// Owned images: row layout, refused sizes, clipped views and built-in images.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <tuple>
#include <vector>

#include "tests/support/ImageFixtures.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"

using namespace quor_test;
// Catches rows that are not padded to 4 bytes, or a depth table that gives the wrong bytes.
TEST(QuorBaseImage, InitializePadsRowsToFourBytes)
{
    struct Case {
        int width, height, bits, pixelBytes, rowBytes;
    } cases[] = {{3, 2, 32, 4, 12}, {3, 2, 24, 3, 12}, {3, 2, 16, 2, 8}, {3, 2, 15, 2, 8},
                 {3, 2, 8, 1, 4},   {1, 1, 24, 3, 4},  {5, 1, 8, 1, 8}};
    for (const Case& c : cases) {
        Quor_BaseImage img;
        ASSERT_EQ(img.Initialize(c.width, c.height, c.bits), QUOR_OK) << c.bits;
        EXPECT_EQ(std::pair(img.PixelBytes(), img.RowBytes()), std::pair(c.pixelBytes, c.rowBytes)) << c.width << "x" << c.bits;
        // The last byte of the last row must be inside the allocation (ASan checks).
        img.RowPtr(c.height - 1)[c.rowBytes - 1] = 1;
    }
}

// Catches a failed Initialize that leaves the old pixels (or a half-set record) behind, and a
// repeated Initialize that reallocates needlessly.
TEST(QuorBaseImage, InitializeFailuresLeaveTheImageEmpty)
{
    Quor_BaseImage img;
    ASSERT_EQ(img.Initialize(4, 4, 32), QUOR_OK);
    uint8_t* bits = img.Bits();
    EXPECT_EQ(img.Initialize(4, 4, 32), QUOR_OK);
    EXPECT_EQ(img.Bits(), bits);

    const int bad[][3] = {{0, 5, 32}, {5, 5, 12}, {5, -1, 8}};
    for (const auto& b : bad) {
        ASSERT_EQ(img.Initialize(4, 4, 32), QUOR_OK);
        EXPECT_EQ(img.Initialize(b[0], b[1], b[2]), QUOR_ERR_ARGUMENT) << b[0] << "x" << b[1] << "x" << b[2];
        EXPECT_TRUE(!img.IsValid() && img.Width() == QUOR_ERR_MEMORY);
    }

    Quor_image view;
    EXPECT_EQ(img.FillImage(&view), QUOR_ERR_NO_IMAGE);
}

// Catches 32-bit size arithmetic: rowBytes * height wrapping to a small allocation that the
// caller then overruns, or a 2^32-byte row truncated into the int rowBytes.
TEST(QuorBaseImage, HugeSizesAreRefusedWithoutOverflow)
{
    Quor_BaseImage img;
    // 2.5e9 pixels: over the cap; 4.9e9 * 4 wraps a 32-bit product; at the cap, but a row of 2^32 bytes.
    for (const auto& [w, h, bits] : {std::tuple{50000, 50000, 32}, {70000, 70000, 32}, {INT_MAX, INT_MAX, 8}, {1 << 30, 2, 32}})
        EXPECT_EQ(img.Initialize(w, h, bits), QUOR_ERR_MEMORY) << w << "x" << h;
    EXPECT_FALSE(img.IsValid());

    int rowBytes = 0;
    int64_t byteSize = 0;
    ASSERT_EQ(Quor_BaseImage::ComputeLayout(46341, 46340, 32, nullptr, &rowBytes, &byteSize), QUOR_OK);
    EXPECT_TRUE(rowBytes == 185364 && byteSize == int64_t(185364) * 46340) << byteSize;   // beyond 2^32: must not wrap
    EXPECT_EQ(Quor_BaseImage::ComputeLayout(46341, 46341, 32, nullptr, nullptr, nullptr), QUOR_ERR_MEMORY);
}

// Catches sub-image views that do not clip, lose the parent's rowBytes or point at the wrong
// first pixel.
TEST(QuorBaseImage, FillImageGivesClippedViews)
{
    Quor_BaseImage img;
    MakeIndexed(&img, 10, 10);
    Quor_image view;

    ASSERT_EQ(img.FillImage(&view, Quor_Rect(-5, -5, 2, 2)), QUOR_OK);
    EXPECT_TRUE(view.width == 3 && view.height == 3 && view.bits == img.Bits() && view.rowBytes == img.RowBytes())
        << view.width << "x" << view.height << ", rowBytes " << view.rowBytes;

    // Reversed edges are normalised; the far edge clips to the image.
    ASSERT_EQ(img.FillImage(&view, Quor_Rect(20, 20, 8, 7)), QUOR_OK);
    EXPECT_TRUE(view.width == 2 && view.height == 3 && At(view, 0, 0) == At(img.Image(), 8, 7) && At(view, 1, 2) == At(img.Image(), 9, 9));

    EXPECT_EQ(img.FillImage(&view, Quor_Rect(10, 0, 20, 5)), QUOR_ERR_ARGUMENT);
    EXPECT_EQ(img.FillImage(&view, Quor_Rect(-9, -9, -1, QUOR_ERR_MEMORY)), QUOR_ERR_ARGUMENT);
    EXPECT_TRUE(img.FillImage(&view, Quor_Rect(INT_MIN, INT_MIN, INT_MAX, INT_MAX)) == QUOR_OK && view.width == 10);
}

// Catches built-in data being reversed in place: a record over read-only data must draw (the
// write would fault), and the older reversed form is corrected exactly once.
TEST(QuorBaseImage, BuiltinImagesAreNeverWrittenWhenDrawn)
{
    static const uint32_t kArt[2 * 3] = {Px(1, 2, 3), Px(4, 5, 6, 0), Px(7, 8, 9),
                                         Px(10, 11, 12), Px(13, 14, 15), Px(16, 17, 18, 128)};
    Quor_image art{reinterpret_cast<uint8_t*>(const_cast<uint32_t*>(kArt)), 3, 2, 32, 4, 12};

    Quor_BaseImage dst;
    Fill(&dst, 7, 5, Px(0, 0, 0));
    Quor_ImageOps::Blit(&art, dst, 1, 1);
    Quor_ImageOps::BlitAlpha(&art, dst, 4, 2, false);
    Quor_ImageOps::TileImage(&art, dst, 0, 0);
    Quor_image view;
    EXPECT_EQ(Quor_ImageOps::FillImage(&art, Quor_Rect(1, 0, 2, 1), &view), QUOR_OK);
    EXPECT_EQ(At(dst.Image(), 3, 1), kArt[3]);   // the tile grid restarts at x = 3

    // The older form: words byte-reversed, rowBytes 0 as the mark.
    uint32_t reversed[4] = {0x04030201u, 0x08070605u, 0x0C0B0A09u, 0x100F0E0Du};
    Quor_image old{reinterpret_cast<uint8_t*>(reversed), 2, 2, 32, 4, 0};
    Quor_ImageOps::Blit(&old, dst, 0, 0);   // refused: not yet a valid record
    EXPECT_EQ(At(dst.Image(), 0, 0), kArt[0]);
    Quor_ImageOps::CorrectBuiltin(&old);
    Quor_ImageOps::CorrectBuiltin(&old);
    EXPECT_EQ(old.rowBytes, 8);
    EXPECT_EQ((std::vector<uint32_t>(reversed, reversed + 4)),
              (std::vector<uint32_t>{0x01020304u, 0x05060708u, 0x090A0B0Cu, 0x0D0E0F10u}));
}
