// Tests of the fast 1/8 JPEG decoder: its pixels are libjpeg's own 1/8 decode byte for byte, and a
// damaged file reads exactly as libjpeg alone reads it.
#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "tests/support/TestFiles.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/formats/Quor_JpegDcDecoder.h"
#include "toolkit/imaging/formats/Quor_JpegReader.h"
#include "toolkit/imaging/formats/Quor_JpegShim.h"

namespace {

struct Encoding {
    int width;
    int height;
    int components;
    int lumaH;            // luma sampling against chroma 1 x 1
    int lumaV;
    int quality;
    int restartInterval;  // MCUs, 0 for none
    bool optimize;        // Huffman tables made for the picture instead of the standard ones
    bool progressive;
};

// Gradients under strong noise, so that blocks keep many AC coefficients, encoded by libjpeg.
std::string Encode(const Encoding& e, uint32_t seed)
{
    std::mt19937 random(seed);
    std::vector<uint8_t> pixels(static_cast<size_t>(e.width) * e.height * e.components);
    size_t at = 0;
    for (int y = 0; y < e.height; y++) {
        for (int x = 0; x < e.width; x++) {
            for (int c = 0; c < e.components; c++) {
                const int ramp = c == 1 ? x * 255 / e.width : (c == 2 ? y * 255 / e.height : (x + y) * 127 / e.width);
                const int value = ramp + static_cast<int>(random() % 121) - 60;
                pixels[at++] = static_cast<uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
            }
        }
    }
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(e.width);
    info.image_height = static_cast<JDIMENSION>(e.height);
    info.input_components = e.components;
    info.in_color_space = e.components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, e.quality, TRUE);
    info.comp_info[0].h_samp_factor = e.lumaH;
    info.comp_info[0].v_samp_factor = e.lumaV;
    info.restart_interval = static_cast<unsigned int>(e.restartInterval);
    info.optimize_coding = e.optimize;
    if (e.progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = &pixels[static_cast<size_t>(info.next_scanline) * e.width * e.components];
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::string bytes(reinterpret_cast<const char*>(buffer), size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

struct Decoded {
    int start = QUOR_ERR_READ;
    int finish = QUOR_ERR_READ;
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

// What the reader makes of the file at 1/8, with or without the fast decoder.
Decoded ReadAtOneEighth(const std::string& path, bool dcDecoder)
{
    Decoded decoded;
    Quor_JpegReader::SetDcDecoder(dcDecoder);
    Quor_ReadLimits limits;
    limits.maxSize = 1;
    Quor_ImageReader* reader = nullptr;
    decoded.start = Quor_JpegReader::Start(std::fopen(path.c_str(), "rb"), limits, &reader);
    if (decoded.start == QUOR_OK) {
        Quor_BaseImage image;
        decoded.width = reader->Width();
        decoded.height = reader->Height();
        EXPECT_EQ(image.Initialize(decoded.width, decoded.height, 32), QUOR_OK);
        decoded.finish = reader->Finish(image.Image());
        for (int y = 0; y < decoded.height; y++)
            decoded.pixels.insert(decoded.pixels.end(), image.Image().Row32(y), image.Image().Row32(y) + decoded.width);
        delete reader;
    }
    Quor_JpegReader::SetDcDecoder(true);
    return decoded;
}

// The fast decoder alone on the file: its code, and its pixels in `pixels`.
int DecodeAlone(const std::string& path, std::vector<uint32_t>* pixels)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    Quor_JpegDecoder decoder;
    const J_COLOR_SPACE packed = std::endian::native == std::endian::little ? JCS_EXT_ARGB : JCS_EXT_BGRA;
    int code = Quor_JpegShim::ReadHeader(&decoder, file, long(1) << 30);
    if (code == QUOR_OK)
        code = Quor_JpegShim::CalcOutput(&decoder, 8, packed);
    if (code == QUOR_OK) {
        const jpeg_decompress_struct& info = decoder.cinfo;
        Quor_BaseImage image;
        EXPECT_EQ(image.Initialize(static_cast<int>(info.output_width), static_cast<int>(info.output_height), 32), QUOR_OK);
        code = Quor_JpegDcDecoder::Handles(info) ? QUOR_OK : QUOR_ERR_READ;
        if (code == QUOR_OK)
            code = Quor_JpegDcDecoder::Decode(info, info.src->next_input_byte, info.src->bytes_in_buffer, file, image.Image());
        for (int y = 0; y < image.Height(); y++)
            pixels->insert(pixels->end(), image.Image().Row32(y), image.Image().Row32(y) + image.Width());
    }
    Quor_JpegShim::DestroyDecoder(&decoder);
    std::fclose(file);
    return code;
}

void ExpectSameRead(const Decoded& fast, const Decoded& library)
{
    EXPECT_EQ(fast.start, library.start);
    EXPECT_EQ(fast.finish, library.finish);
    ASSERT_TRUE(fast.width == library.width && fast.height == library.height);
    for (size_t i = 0; i < library.pixels.size(); i++)
        ASSERT_EQ(fast.pixels[i], library.pixels[i]) << "pixel " << i % library.width << ", " << i / library.width;
}

}  // namespace

// Catches any difference from libjpeg's 1/8 decode: DC prediction, the 1x1 and 2x2 transforms'
// rounding, the colour tables, edge blocks and partial MCUs (sides not multiples of 8 or 16),
// restart handling, long codes that miss the lookup, and files taken that should be declined.
TEST(QuorJpegDcDecoder, DecodesAsTheLibraryDoes)
{
    const Encoding kCases[] = {
        {6000, 4000, 3, 2, 2, 90, 0, false, false},  // a camera photo's shape
        {8 * 25 + 3, 16 * 10 + 5, 3, 2, 2, 75, 3, false, false},
        {8 * 25 + 3, 16 * 10 + 5, 3, 1, 1, 95, 7, true, false},
        {9, 9, 3, 2, 2, 90, 0, false, false},
        {9, 9, 1, 1, 1, 90, 1, false, false},
        {1001, 333, 1, 1, 1, 100, 0, true, false},   // large coefficients: codes longer than a lookup
        {517, 389, 3, 2, 2, 100, 5, true, false},
        {640, 480, 3, 1, 1, 30, 0, false, false},
        {333, 250, 3, 2, 1, 90, 0, false, false},    // 4:2:2, as many cameras write
        {16 * 20 + 9, 8 * 9 + 1, 3, 2, 1, 95, 2, true, false},
        {333, 250, 3, 1, 2, 90, 0, false, false},    // 4:4:0 and progressive stay with libjpeg
        {333, 250, 3, 2, 2, 90, 0, false, true},
    };
    quor_test::ScratchDir dir;
    uint32_t seed = 1;
    for (const Encoding& e : kCases) {
        SCOPED_TRACE(testing::Message() << e.width << "x" << e.height << " components " << e.components << " sampling "
                                        << e.lumaH << "x" << e.lumaV << " quality " << e.quality << " restart "
                                        << e.restartInterval << (e.progressive ? " progressive" : ""));
        const std::string path = dir.File("case.jpg");
        ASSERT_TRUE(quor_test::WriteFileBytes(path, Encode(e, seed++)));
        const Decoded library = ReadAtOneEighth(path, false);
        ASSERT_EQ(library.start, QUOR_OK);
        ASSERT_EQ(library.finish, QUOR_OK);
        ASSERT_EQ(library.width, (e.width + 7) / 8);
        ExpectSameRead(ReadAtOneEighth(path, true), library);
        const bool handled = !e.progressive && e.lumaH >= e.lumaV;
        std::vector<uint32_t> alone;
        ASSERT_EQ(DecodeAlone(path, &alone), handled ? QUOR_OK : QUOR_ERR_READ);
        if (handled) {
            ASSERT_TRUE(alone == library.pixels);
        }
    }
}

// Catches a fast decoder that lets damage through instead of handing the file back: data cut
// short, a changed byte, restarts out of order or where none belong must read exactly as libjpeg
// reads them (its warnings, its grey), and the decoder must notice those it is sure to notice.
TEST(QuorJpegDcDecoder, DamagedFilesReadAsTheLibraryReadsThem)
{
    quor_test::ScratchDir dir;
    const std::string restarts = Encode({1203, 805, 3, 2, 2, 90, 4, false, false}, 11);
    const std::string plain = Encode({1203, 805, 3, 2, 2, 90, 0, false, false}, 12);
    const size_t scan = restarts.find("\xFF\xDA");
    ASSERT_NE(scan, std::string::npos);
    size_t third = scan;
    for (int found = 0; found < 3;) {
        third = restarts.find('\xFF', third + 1);
        ASSERT_NE(third, std::string::npos);
        found += (static_cast<uint8_t>(restarts[third + 1]) & 0xF8) == 0xD0;
    }
    std::string outOfOrder = restarts;
    outOfOrder[third + 1] = static_cast<char>(0xD0 | ((static_cast<uint8_t>(restarts[third + 1]) + 1) & 7));
    std::string flipped = plain;
    flipped[plain.size() * 3 / 5] ^= 0x24;
    const std::string stray = plain.substr(0, plain.size() / 2) + "\xFF\xD0" + plain.substr(plain.size() / 2);

    const struct {
        const char* name;
        std::string bytes;
        bool noticed;
    } kCases[] = {
        {"cut in its data", plain.substr(0, plain.size() / 2), true},
        {"cut with restarts", restarts.substr(0, restarts.size() * 2 / 3), true},
        {"a restart out of order", outOfOrder, true},
        {"a restart where none belongs", stray, true},
        {"a changed byte", flipped, false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File("case.jpg");
        ASSERT_TRUE(quor_test::WriteFileBytes(path, c.bytes));
        ExpectSameRead(ReadAtOneEighth(path, true), ReadAtOneEighth(path, false));
        std::vector<uint32_t> alone;
        if (c.noticed) {
            EXPECT_EQ(DecodeAlone(path, &alone), QUOR_ERR_DECODE);
        }
    }
}
