#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

#include "tests/toolkit/imaging/formats/FormatsFixtures.h"
#include "toolkit/imaging/formats/Quor_BmpWriter.h"
#include "toolkit/imaging/formats/Quor_MemorySink.h"
#include "toolkit/imaging/formats/Quor_TgaWriter.h"

using namespace formats_test;

namespace {

::testing::Environment* const sRegistry = ::testing::AddGlobalTestEnvironment(new RegistryEnvironment);

struct Format {
    int number;
    const char* extension;
};

std::vector<Format> AllFormats()
{
    return {{Quor_ImageIo::Format_JPEG, "jpg"}, {Quor_ImageIo::Format_BMP, "bmp"}, {Quor_ImageIo::Format_TGA, "tga"},
        {Quor_ImageIo::Format_PNG, "png"}};
}

// Smooth colours, so a lossy round trip can be held to a small tolerance.
void FillGradient(Quor_BaseImage* image, int width, int height)
{
    Make(image, width, height, [&](int x, int y) {
        return Quor_PixelConvert::Pack(x * 255 / (width - 1), y * 255 / (height - 1), 255 - x * 255 / (width - 1));
    });
}

uint32_t Le32(const std::string& bytes, size_t at)
{
    return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8 | uint32_t(uint8_t(bytes[at + 2])) << 16
        | uint32_t(uint8_t(bytes[at + 3])) << 24;
}

}  // namespace

// Catches writer/reader mismatches in any lossless format: swapped channels, flipped rows, lost
// padding, alpha lost where the format keeps it (PNG) or kept where the reader promises opaque.
TEST(FormatsWrite, LosslessRoundTripsKeepEveryPixel)
{
    quor_test::ScratchDir scratch;
    for (int width : {47, 1, 2, 3}) {
        Quor_BaseImage source;
        FillRandom(&source, width, 33, 1000u + static_cast<uint32_t>(width), false);
        for (const Format& format : AllFormats()) {
            if (format.number == Quor_ImageIo::Format_JPEG)
                continue;
            SCOPED_TRACE(std::string(format.extension) + " width " + std::to_string(width));
            const std::string path = scratch.File(std::string("round.") + format.extension);
            ASSERT_EQ(Quor_ImageIo::SaveImage(path.c_str(), &source, format.number, 90), 0);
            Quor_BaseImage back;
            ASSERT_EQ(Quor_ImageIo::LoadImage(path.c_str(), &back, 0), 0);
            ASSERT_EQ(back.Width(), width);
            ASSERT_EQ(back.Height(), 33);
            const bool keepsAlpha = format.number == Quor_ImageIo::Format_PNG;
            int mismatches = 0;
            for (int y = 0; y < 33; y++)
                for (int x = 0; x < width; x++) {
                    const uint32_t want = source.Image().Row32(y)[x] | (keepsAlpha ? 0u : 255u);
                    mismatches += back.Image().Row32(y)[x] != want;
                }
            EXPECT_EQ(mismatches, 0);
        }
    }
}

// Catches a JPEG writer that feeds the wrong channels or rows to the library.
TEST(FormatsWrite, JpegRoundTripStaysClose)
{
    quor_test::ScratchDir scratch;
    Quor_BaseImage source;
    FillGradient(&source, 47, 33);
    const std::string path = scratch.File("gradient.jpg");
    ASSERT_EQ(Quor_ImageIo::SaveImage(path.c_str(), &source, Quor_ImageIo::Format_JPEG, 95), 0);
    Quor_BaseImage back;
    ASSERT_EQ(Quor_ImageIo::LoadImage(path.c_str(), &back, 0), 0);
    ASSERT_EQ(back.Width(), 47);
    ASSERT_EQ(back.Height(), 33);
    int worst = 0;
    for (int y = 0; y < 33; y++)
        for (int x = 0; x < 47; x++) {
            const Rgba want = PixelAt(source, x, y);
            const Rgba got = PixelAt(back, x, y);
            worst = std::max({worst, std::abs(want.r - got.r), std::abs(want.g - got.g), std::abs(want.b - got.b)});
            EXPECT_EQ(got.a, 255);
        }
    EXPECT_LE(worst, 12);
}

// Catches BMP rows without their padding, a wrong file size field and rows written top-down.
TEST(FormatsWrite, BmpLayoutOfAThreeByOneImage)
{
    Quor_BaseImage source;
    ASSERT_EQ(source.Initialize(3, 1, 32), 0);
    uint32_t* row = source.Image().Row32(0);
    row[0] = Quor_PixelConvert::Pack(1, 2, 3);
    row[1] = Quor_PixelConvert::Pack(4, 5, 6);
    row[2] = Quor_PixelConvert::Pack(7, 8, 9);
    Quor_MemorySink sink;
    ASSERT_EQ(Quor_BmpWriter::Write(sink, source.Image()), 0);
    const std::string bytes(sink.Bytes().begin(), sink.Bytes().end());
    ASSERT_EQ(bytes.size(), 66u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(Le32(bytes, 2), 66u);
    EXPECT_EQ(Le32(bytes, 10), 54u);
    EXPECT_EQ(Le32(bytes, 14), 40u);
    EXPECT_EQ(Le32(bytes, 18), 3u);
    EXPECT_EQ(Le32(bytes, 22), 1u);
    EXPECT_EQ(bytes.substr(54), std::string("\3\2\1\6\5\4\x09\x08\x07\0\0\0", 12));

    // Two rows: the last image row comes first in the file.
    ASSERT_EQ(source.Initialize(1, 2, 32), 0);
    source.Image().Row32(0)[0] = Quor_PixelConvert::Pack(10, 0, 0);
    source.Image().Row32(1)[0] = Quor_PixelConvert::Pack(20, 0, 0);
    Quor_MemorySink tall;
    ASSERT_EQ(Quor_BmpWriter::Write(tall, source.Image()), 0);
    ASSERT_EQ(tall.Bytes().size(), 62u);
    EXPECT_EQ(tall.Bytes()[54 + 2], 20);
    EXPECT_EQ(tall.Bytes()[58 + 2], 10);
}

// Catches a Targa header with the wrong type, size or origin, and a writer that reorders the
// source pixels in place (another thread may be drawing the image meanwhile).
TEST(FormatsWrite, TgaLayoutAndSourceUntouched)
{
    Quor_BaseImage source;
    FillRandom(&source, 300, 2, 77u, false);
    const std::vector<uint8_t> before(source.Bits(), source.Bits() + source.RowBytes() * 2);
    Quor_MemorySink sink;
    ASSERT_EQ(Quor_TgaWriter::Write(sink, source.Image()), 0);
    EXPECT_EQ(std::vector<uint8_t>(source.Bits(), source.Bits() + source.RowBytes() * 2), before);
    const std::vector<uint8_t>& bytes = sink.Bytes();
    ASSERT_EQ(bytes.size(), 18u + 300 * 2 * 4);
    const std::vector<uint8_t> header(bytes.begin(), bytes.begin() + 18);
    EXPECT_EQ(header, (std::vector<uint8_t>{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 44, 1, 2, 0, 32, 0x20}));
    const uint32_t p = source.Image().Row32(1)[5];
    const size_t at = 18 + (300 + 5) * 4;
    EXPECT_EQ(bytes[at], Quor_PixelConvert::Blue(p));
    EXPECT_EQ(bytes[at + 1], Quor_PixelConvert::Green(p));
    EXPECT_EQ(bytes[at + 2], Quor_PixelConvert::Red(p));
    EXPECT_EQ(bytes[at + 3], Quor_PixelConvert::Alpha(p));
}

// Catches writers that accept an image of another depth (and create a file for it), and format
// numbers outside the registry reported as anything but "no module".
TEST(FormatsWrite, RefusalsCreateNoFile)
{
    quor_test::ScratchDir scratch;
    Quor_BaseImage source16;
    ASSERT_EQ(source16.Initialize(8, 8, 16), 0);
    for (const Format& format : AllFormats()) {
        const std::string path = scratch.File(std::string("sixteen.") + format.extension);
        EXPECT_EQ(Quor_ImageIo::SaveImage(path.c_str(), &source16, format.number, 90), -7) << format.extension;
        EXPECT_FALSE(std::filesystem::exists(path)) << format.extension;
    }
    Quor_BaseImage source;
    FillGradient(&source, 8, 8);
    EXPECT_EQ(Quor_ImageIo::SaveImage(scratch.File("x.psd").c_str(), &source, Quor_ImageIo::Format_PSD, 90), -8);
    EXPECT_EQ(Quor_ImageIo::SaveImage(scratch.File("x.gif").c_str(), &source, 4, 90), -8);
    EXPECT_EQ(Quor_ImageIo::SaveImage(scratch.File("x.gif").c_str(), &source, -1, 90), -8);
    EXPECT_EQ(Quor_ImageIo::SaveImage(scratch.File("missing/x.png").c_str(), &source, Quor_ImageIo::Format_PNG, 90), -7);
    Quor_BaseImage empty;
    EXPECT_EQ(Quor_ImageIo::SaveImage(scratch.File("empty.bmp").c_str(), &empty, Quor_ImageIo::Format_BMP, 90), -7);
    EXPECT_FALSE(std::filesystem::exists(scratch.File("empty.bmp")));
}

// Catches unchecked writes (a full disk must fail the save, never report a truncated file as
// saved) and a failed save that leaves a truncated file under the user's name: with the file
// size limited, every format fails and no file remains.
TEST(FormatsWrite, FailedSaveLeavesNoPartialFile)
{
    quor_test::ScratchDir scratch;
    Quor_BaseImage source;
    FillRandom(&source, 400, 300, 9u, true);
    for (const Format& format : AllFormats())
        EXPECT_EQ(Quor_ImageIo::SaveImage("/dev/full", &source, format.number, 90), -7) << format.extension;
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    // Writes past the limit fail with EFBIG instead of raising SIGXFSZ.
    void (*previous)(int) = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    std::vector<std::pair<std::string, int>> results;
    for (const Format& format : AllFormats()) {
        const std::string path = scratch.File(std::string("big.") + format.extension);
        results.emplace_back(path, Quor_ImageIo::SaveImage(path.c_str(), &source, format.number, 100));
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    for (const auto& [path, code] : results) {
        EXPECT_EQ(code, -7) << path;
        EXPECT_FALSE(std::filesystem::exists(path)) << path;
    }
}
