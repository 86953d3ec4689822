// Tests of the JPEG reader's choice of decoding scale, and of how it reads the file's bytes.
#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include <jpeglib.h>

#include "tests/toolkit/imaging/formats/FormatsFixtures.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/formats/Quor_JpegReader.h"

namespace {

// The library's own decode of the bytes from memory, in the reader's packed pixel layout.
std::vector<uint32_t> LibraryDecode(const std::string& bytes, int* width, int* height)
{
    jpeg_decompress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    error.output_message = [](j_common_ptr) {};
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = std::endian::native == std::endian::little ? JCS_EXT_ARGB : JCS_EXT_BGRA;
    jpeg_start_decompress(&info);
    *width = static_cast<int>(info.output_width);
    *height = static_cast<int>(info.output_height);
    std::vector<uint32_t> pixels(static_cast<size_t>(*width) * static_cast<size_t>(*height));
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(&pixels[static_cast<size_t>(info.output_scanline) * *width]);
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return pixels;
}

}  // namespace

// Catches a wrong choice of DCT scale: the reduced decode must never fall below maxSize, and
// must use the smallest scale that keeps it there.
TEST(QuorJpegReader, ScaleNeverGoesBelowMaxSize)
{
    const uint32_t seed = 20240611;
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    for (int i = 0; i < 20000; i++) {
        const int maxSize = 1 + static_cast<int>(random() % 2000);
        const int64_t side = 1 + static_cast<int64_t>(random() % 65500);
        const int denominator = Quor_JpegReader::ScaleDenominator(side, maxSize);
        const int64_t decoded = (side + denominator - 1) / denominator;
        EXPECT_TRUE(side <= maxSize ? denominator == 1 : decoded >= maxSize) << side << " " << maxSize;
        if (side <= maxSize)
            continue;
        EXPECT_TRUE(denominator == 8 || side / (denominator * 2) < maxSize) << side << " " << maxSize;
    }
}

// Catches a file reader that loses or repeats bytes where its buffer is refilled, or where a
// marker it skips reaches past the buffer, and one that fails a file cut short in its pixel data
// instead of decoding what is there (the rest grey): every pixel must equal the library's decode.
TEST(QuorJpegReader, ReadsTheFileAsTheLibraryDoes)
{
    quor_test::ScratchDir dir;
    Quor_BaseImage noise;
    ASSERT_EQ(noise.Initialize(640, 480, 32), QUOR_OK);
    std::mt19937 random(7);
    for (int y = 0; y < noise.Height(); y++)
        for (int x = 0; x < noise.Width(); x++)
            noise.Image().Row32(y)[x] = quor_test::Px(random() & 255, (x + y) & 255, random() & 255);
    ASSERT_EQ(Quor_ImageIo::SaveImage(dir.File("noise.jpg").c_str(), &noise, Quor_ImageIo::Format_JPEG, 95), QUOR_OK);
    const std::string whole = quor_test::ReadFileBytes(dir.File("noise.jpg"));
    ASSERT_GT(whole.size(), size_t(4) << 16) << "the file must span several buffers";

    // Application segments of the largest size, which the decoder skips, after the start marker.
    std::string marked = whole.substr(0, 2);
    for (int i = 0; i < 3; i++)
        marked += std::string("\xFF\xEF\xFF\xFF", 4) + std::string(65533, char('a' + i));
    marked += whole.substr(2);
    const struct { const char* name; std::string bytes; } kCases[] = {{"whole", whole}, {"large markers", marked}, {"cut in its data", whole.substr(0, whole.size() / 2)}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(quor_test::WriteFileBytes(dir.File("case.jpg"), c.bytes));
        int width = 0, height = 0;
        const std::vector<uint32_t> expected = LibraryDecode(c.bytes, &width, &height);
        Quor_BaseImage image;
        ASSERT_EQ(Quor_ImageIo::LoadImage(dir.File("case.jpg").c_str(), &image, 0), QUOR_OK);
        ASSERT_TRUE(image.Width() == width && image.Height() == height);
        for (int y = 0; y < height; y++)
            ASSERT_EQ(std::memcmp(image.Image().Row32(y), &expected[static_cast<size_t>(y) * width], size_t(width) * 4), 0)
                << "row " << y;
    }
}
