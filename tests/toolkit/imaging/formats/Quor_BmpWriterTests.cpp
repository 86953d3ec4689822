// Tests of the bytes the BMP writer produces.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "tests/support/ImageFixtures.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/formats/Quor_BmpWriter.h"
#include "toolkit/imaging/formats/Quor_MemorySink.h"

using quor_test::Px;

namespace {

uint32_t Le32(const std::string& bytes, size_t at)
{
    return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8 | uint32_t(uint8_t(bytes[at + 2])) << 16
        | uint32_t(uint8_t(bytes[at + 3])) << 24;
}

}  // namespace

// Catches BMP rows without their padding, a wrong file size or offset field, and pixels written
// in another byte order; the row order is pinned by the round trips through the reader.
TEST(QuorBmpWriter, LayoutOfSmallImages)
{
    Quor_BaseImage source;
    quor_test::Make(&source, 3, 1, [](int x, int) { return Px(1 + 3 * x, 2 + 3 * x, 3 + 3 * x); });
    Quor_MemorySink sink;
    ASSERT_EQ(Quor_BmpWriter::Write(sink, source.Image()), QUOR_OK);
    const std::string bytes(sink.Bytes().begin(), sink.Bytes().end());
    ASSERT_EQ(bytes.size(), 66u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ((std::array{Le32(bytes, 2), Le32(bytes, 10), Le32(bytes, 14), Le32(bytes, 18), Le32(bytes, 22)}),
        (std::array<uint32_t, 5>{66, 54, 40, 3, 1}));
    EXPECT_EQ(bytes.substr(54), std::string("\3\2\1\6\5\4\x09\x08\x07\0\0\0", 12));
}
