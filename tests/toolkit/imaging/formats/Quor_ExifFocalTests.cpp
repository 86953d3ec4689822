// Tests of the focal length read from photos' EXIF blocks: each way a camera records it, the
// values that must count as none, and blocks and files cut short.
#include <gtest/gtest.h>

#include <libexif/exif-format.h>
#include <libexif/exif-tag.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/ExifJpeg.h"
#include "tests/support/TestFiles.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/formats/Quor_ExifFocal.h"

using exif_test::Field;

namespace {

constexpr Quor_ExifFocal::Range kRange{8.0f, 1000.0f};

Field Short(ExifTag tag, uint32_t value)
{
    return Field{tag, EXIF_FORMAT_SHORT, value};
}

Field Rational(ExifTag tag, uint32_t numerator, uint32_t denominator = 1)
{
    return Field{tag, EXIF_FORMAT_RATIONAL, numerator, denominator};
}

// A 6 x 4 mm sensor (diagonal 7.211 mm) at 3000 x 2000 pixels behind a 5 mm lens: 30.0 mm on film.
std::vector<Field> SmallSensor(uint32_t unit, uint32_t numerator, uint32_t denominator)
{
    return {Rational(EXIF_TAG_FOCAL_LENGTH, 5), Rational(EXIF_TAG_FOCAL_PLANE_X_RESOLUTION, numerator, denominator),
        Rational(EXIF_TAG_FOCAL_PLANE_Y_RESOLUTION, numerator, denominator),
        Short(EXIF_TAG_FOCAL_PLANE_RESOLUTION_UNIT, unit), Short(EXIF_TAG_PIXEL_X_DIMENSION, 3000),
        Short(EXIF_TAG_PIXEL_Y_DIMENSION, 2000)};
}

}  // namespace

// Catches a misread of any way the focal length is recorded: the film equivalent ignored or taken
// when zero, a resolution unit's factor wrong, the pixel size taken from the JPEG when the block
// names it (or not taken when it does not), and zero, infinite or absurd values let through
// instead of counting as none. The blocks travel inside JPEG files, through the segment scan.
TEST(QuorExifFocal, ReadsEachRecordingAndRefusesUnusableValues)
{
    const float kNone = -1.0f;
    struct Case {
        const char* name;
        std::vector<Field> fields;
        float expected;
    };
    std::vector<Field> zeroFilm = SmallSensor(4, 500, 1);
    zeroFilm.push_back(Short(EXIF_TAG_FOCAL_LENGTH_IN_35MM_FILM, 0));
    std::vector<Field> noUnit = SmallSensor(2, 12700, 1);
    noUnit.erase(noUnit.begin() + 3);
    // 60 x 40 pixels at 10 per millimetre: the same 6 x 4 mm sensor, sized by the JPEG's frame.
    const std::vector<Field> jpegSized = {Rational(EXIF_TAG_FOCAL_LENGTH, 5),
        Rational(EXIF_TAG_FOCAL_PLANE_X_RESOLUTION, 10), Rational(EXIF_TAG_FOCAL_PLANE_Y_RESOLUTION, 10),
        Short(EXIF_TAG_FOCAL_PLANE_RESOLUTION_UNIT, 4)};
    std::vector<Field> zeroResolution = SmallSensor(4, 0, 1);
    std::vector<Field> noDenominator = SmallSensor(4, 500, 0);
    std::vector<Field> zeroFocal = SmallSensor(4, 500, 1);
    zeroFocal[0] = Rational(EXIF_TAG_FOCAL_LENGTH, 0);
    std::vector<Field> badUnit = SmallSensor(7, 500, 1);
    const Case cases[] = {
        {"film equivalent", {Short(EXIF_TAG_FOCAL_LENGTH_IN_35MM_FILM, 24), Rational(EXIF_TAG_FOCAL_LENGTH, 4)}, 24.0f},
        {"film equivalent at the top limit", {Short(EXIF_TAG_FOCAL_LENGTH_IN_35MM_FILM, 1000)}, 1000.0f},
        {"inches", SmallSensor(2, 12700, 1), 30.0f},
        {"centimetres", SmallSensor(3, 5000, 1), 30.0f},
        {"millimetres", SmallSensor(4, 500, 1), 30.0f},
        {"micrometres", SmallSensor(5, 1, 2), 30.0f},
        {"unit absent means inches", noUnit, 30.0f},
        {"zero film equivalent falls back", zeroFilm, 30.0f},
        {"pixel size from the frame", jpegSized, 30.0f},
        {"film equivalent above the limit", {Short(EXIF_TAG_FOCAL_LENGTH_IN_35MM_FILM, 5000)}, kNone},
        {"film equivalent below the limit", {Short(EXIF_TAG_FOCAL_LENGTH_IN_35MM_FILM, 4)}, kNone},
        {"zero focal length", zeroFocal, kNone},
        {"zero resolution", zeroResolution, kNone},
        {"zero denominator", noDenominator, kNone},
        {"unknown unit", badUnit, kNone},
        {"focal length alone", {Rational(EXIF_TAG_FOCAL_LENGTH, 50)}, kNone},
        {"empty block", {}, kNone},
    };
    const char* corpus = std::getenv("QUOR_EXIF_CORPUS_DIR");
    int seed = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> block = exif_test::Block(c.fields);
        ASSERT_FALSE(block.empty());
        const std::vector<uint8_t> jpeg = exif_test::Jpeg(60, 40, block);
        ASSERT_FALSE(jpeg.empty());
        float focal = 0.0f;
        const int code = Quor_ExifFocal::FromJpeg(jpeg.data(), jpeg.size(), kRange, &focal);
        if (c.expected == kNone) {
            EXPECT_EQ(code, QUOR_ERR_DECODE);
        } else {
            EXPECT_EQ(code, QUOR_OK);
            EXPECT_NEAR(focal, c.expected, 0.01f);
        }
        // The fuzzer starts from these blocks and files.
        if (corpus != nullptr) {
            const std::string stem = std::string(corpus) + "/seed" + std::to_string(seed++);
            EXPECT_TRUE(exif_test::WriteFile(stem + ".exif", block));
            EXPECT_TRUE(exif_test::WriteFile(stem + ".jpg", jpeg));
        }
    }
}

// Catches a read past the end of a block or file cut anywhere (the library's offsets and the
// segment lengths then point beyond the bytes), a value made up from a partial entry, and a file
// without EXIF, no JPEG at all or missing taken for one with a focal length.
TEST(QuorExifFocal, CutBlocksAndFilesGiveTheValueOrNone)
{
    const std::vector<uint8_t> block = exif_test::Block(
        {Short(EXIF_TAG_FOCAL_LENGTH_IN_35MM_FILM, 50), Rational(EXIF_TAG_FOCAL_LENGTH, 9)});
    const std::vector<uint8_t> jpeg = exif_test::Jpeg(16, 16, block);
    ASSERT_FALSE(jpeg.empty());
    for (size_t size = 0; size <= block.size(); size++) {
        // Copied, so that the sanitizers see a read past the cut.
        const std::vector<uint8_t> cut(block.begin(), block.begin() + static_cast<long>(size));
        float focal = 0.0f;
        const int code = Quor_ExifFocal::FromExif(cut.data(), cut.size(), 16, 16, kRange, &focal);
        EXPECT_TRUE(code == QUOR_ERR_DECODE || (code == QUOR_OK && focal == 50.0f)) << "cut at " << size;
    }
    for (size_t size = 0; size <= 4 + block.size() + 40; size++) {
        const std::vector<uint8_t> cut(jpeg.begin(), jpeg.begin() + static_cast<long>(std::min(size, jpeg.size())));
        float focal = 0.0f;
        const int code = Quor_ExifFocal::FromJpeg(cut.data(), cut.size(), kRange, &focal);
        EXPECT_TRUE(code == QUOR_ERR_READ || code == QUOR_ERR_DECODE || (code == QUOR_OK && focal == 50.0f))
            << "cut at " << size;
    }

    quor_test::ScratchDir dir;
    const std::string withExif = dir.File("with.jpg");
    const std::string without = dir.File("without.jpg");
    ASSERT_TRUE(exif_test::WriteFile(withExif, jpeg));
    ASSERT_TRUE(exif_test::WriteFile(without, exif_test::Jpeg(16, 16, {})));
    float focal = 0.0f;
    EXPECT_EQ(Quor_ExifFocal::FromFile(withExif.c_str(), kRange, &focal), QUOR_OK);
    EXPECT_EQ(focal, 50.0f);
    EXPECT_EQ(Quor_ExifFocal::FromFile(without.c_str(), kRange, &focal), QUOR_ERR_DECODE);
    EXPECT_EQ(Quor_ExifFocal::FromFile(dir.File("missing.jpg").c_str(), kRange, &focal), QUOR_ERR_READ);
    EXPECT_EQ(Quor_ExifFocal::FromFile(dir.Path().c_str(), kRange, &focal), QUOR_ERR_READ);
    EXPECT_EQ(Quor_ExifFocal::FromJpeg(block.data(), block.size(), kRange, &focal), QUOR_ERR_READ);
}
