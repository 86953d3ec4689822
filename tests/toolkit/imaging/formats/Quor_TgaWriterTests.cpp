// Tests of the bytes the Targa writer produces.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/ImageFixtures.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/formats/Quor_MemorySink.h"
#include "toolkit/imaging/formats/Quor_TgaWriter.h"

// Catches a Targa header with the wrong type, size or origin, and a writer that reorders the
// source pixels in place (another thread may be drawing the image meanwhile).
TEST(QuorTgaWriter, LayoutAndSourceUntouched)
{
    Quor_BaseImage source;
    quor_test::MakeRandom(&source, 300, 2, 77u);
    const std::vector<uint8_t> before(source.Bits(), source.Bits() + source.RowBytes() * 2);
    Quor_MemorySink sink;
    ASSERT_EQ(Quor_TgaWriter::Write(sink, source.Image()), QUOR_OK);
    EXPECT_EQ(std::vector<uint8_t>(source.Bits(), source.Bits() + source.RowBytes() * 2), before);
    const std::vector<uint8_t>& bytes = sink.Bytes();
    ASSERT_EQ(bytes.size(), 18u + 300 * 2 * 4);
    const std::vector<uint8_t> header(bytes.begin(), bytes.begin() + 18);
    EXPECT_EQ(header, (std::vector<uint8_t>{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 44, 1, 2, 0, 32, 0x20}));
    const rgb_color p = quor_test::PixelAt(source, 5, 1);
    const size_t at = 18 + (300 + 5) * 4;
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + at, bytes.begin() + at + 4), (std::vector<uint8_t>{p.blue, p.green, p.red, p.alpha}));
}
