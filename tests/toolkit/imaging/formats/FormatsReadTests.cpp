#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/toolkit/imaging/formats/FormatsFixtures.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/imaging/formats/Quor_ImageReader.h"
#include "toolkit/imaging/formats/Quor_JpegReader.h"

using namespace formats_test;

namespace {

::testing::Environment* const sRegistry = ::testing::AddGlobalTestEnvironment(new RegistryEnvironment);

const Rgba kRed = {255, 0, 0, 255};
const Rgba kBlue = {0, 0, 255, 255};
const Rgba kGreyFigure = {200, 200, 200, 255};
const Rgba kGreyBackground = {50, 50, 50, 255};

// Both ways of loading: the full picture and the thumbnail.
int (*const kLoads[])(const char*, Quor_BaseImage*, int) = {Quor_ImageIo::LoadImage, Quor_ImageIo::LoadThumbnail};

// The fixture decodes to the F at full size and reduced, through both ways of loading.
void ExpectFigure(const std::string& file, Rgba figure = kRed, Rgba background = kBlue, int tolerance = 0, int edge = 0)
{
    SCOPED_TRACE(file);
    for (int maxSize : {0, 64})
        for (auto load : kLoads) {
            Quor_BaseImage image;
            ASSERT_EQ(load(quor_test::DataPath(file).c_str(), &image, maxSize), 0);
            EXPECT_EQ(CompareWithFigure(image, figure, background, tolerance, edge), "");
        }
}

// Every file in tests/data/<format>/malformed.
std::vector<std::string> MalformedFiles(const char* format)
{
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(quor_test::DataPath(std::string(format) + "/malformed")))
        files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

// Catches row-order flips, mirrored rows, red/blue swaps and rows off by one in the lossless readers.
TEST(FormatsRead, LosslessVariantsDecodeToTheFigure)
{
    for (const char* file : {"bmp/f-24-bottomup.bmp", "bmp/f-24-topdown.bmp", "bmp/f-8-bottomup.bmp", "bmp/f-8-topdown.bmp",
             "bmp/f-24-os2-12.bmp", "bmp/f-8-os2-12.bmp", "bmp/f-24-os2-64.bmp", "bmp/f-8-v5-124.bmp",
             "bmp/f-24-imagemagick.bmp", "gif/f.gif", "gif/f-interlaced.gif", "gif/f-uncompressed-lzw.gif",
             "png/f-rgb8.png", "png/f-rgba8.png", "png/f-rgb16.png", "png/f-rgb8-interlaced.png", "png/f-palette8.png",
             "png/f-palette2.png", "tga/f-imagemagick-type2.tga", "tga/f-imagemagick-type10.tga",
             "tga/f-imagemagick-type9.tga", "tga/f-type1-16-cmap16-first10.tga"})
        ExpectFigure(file);
    for (const char* file : {"png/f-grey8.png", "png/f-grey16.png", "png/f-greyalpha8.png", "tga/f-imagemagick-type3.tga"})
        ExpectFigure(file, kGreyFigure, kGreyBackground);
    ExpectFigure("png/f-grey1.png", {255, 255, 255, 255}, {0, 0, 0, 255});
    ExpectFigure("png/f-grey4.png", {204, 204, 204, 255}, {51, 51, 51, 255});
    // Targa in both row orders, every depth, plain and run-length encoded (runs cross rows).
    for (const std::string order : {"topdown", "bottomup"}) {
        for (int bits : {15, 16, 24, 32})
            for (int type : {2, 10})
                ExpectFigure("tga/f-type" + std::to_string(type) + "-" + std::to_string(bits) + "-" + order + ".tga");
        for (const char* type : {"type1-8", "type9-8"})
            ExpectFigure("tga/f-" + std::string(type) + "-" + order + ".tga");
        for (const char* type : {"type3-8", "type11-8"})
            ExpectFigure("tga/f-" + std::string(type) + "-" + order + ".tga", kGreyFigure, kGreyBackground);
    }
}

// Catches JPEG colour handling gone wrong: grey not spread to RGB, R/B swapped, CMYK not
// inverted, flipped rows or rows off by one. Unsubsampled files hold every pixel within the
// tolerance (a row shift costs 255); 4:2:0 blurs colour across the outline, which is excluded.
TEST(FormatsRead, JpegVariantsDecodeToTheFigure)
{
    ExpectFigure("jpeg/f-rgb.jpg", kRed, kBlue, 24, 0);
    ExpectFigure("jpeg/f-rgb-progressive.jpg", kRed, kBlue, 24, 0);
    ExpectFigure("jpeg/f-rgb-420.jpg", kRed, kBlue, 12, 2);
    ExpectFigure("jpeg/f-grey.jpg", kGreyFigure, kGreyBackground, 12, 0);
    // Stored inverted with an Adobe marker; the conversion's factors give blue 255 * 0.921.
    ExpectFigure("jpeg/f-cmyk.jpg", kRed, {0, 0, 235, 255}, 24, 0);
}

// Catches tRNS and alpha channels dropped or misplaced in the PNG reader, and the opaque
// guarantee of the other module broken by a 32-bit Targa carrying alpha 128.
TEST(FormatsRead, TransparencyReachesAlphaOnlyFromPng)
{
    ExpectFigure("png/f-palette8-trns.png", kRed, {0, 0, 255, 0}, 0, 0);
    ExpectFigure("png/f-rgb8-trns.png", kRed, {0, 0, 255, 0}, 0, 0);
    ExpectFigure("png/f-rgba8-alpha.png", {255, 0, 0, 128}, kBlue, 0, 0);
    ExpectFigure("tga/f-type2-32-topdown.tga", kRed, kBlue, 0, 0);
}

// Catches readers that crash, read out of bounds, hang or report success on hostile files
// (run under ASan/UBSan): every malformed file fails with a negative code and leaves no image.
TEST(FormatsRead, MalformedFilesFailCleanly)
{
    for (const char* format : {"bmp", "gif", "jpeg", "png", "tga"})
        for (const std::string& path : MalformedFiles(format))
            for (int maxSize : {0, 64}) {
                // A header too large to decode at full size, with no data: reduced, it is a
                // truncated JPEG, which decodes (see TruncatedJpegKeepsItsDecodedRows).
                if (maxSize > 0 && path.find("no-data.jpg") != std::string::npos)
                    continue;
                for (auto load : kLoads) {
                    Quor_BaseImage image;
                    EXPECT_LT(load(path.c_str(), &image, maxSize), 0) << path << " maxSize " << maxSize;
                    EXPECT_FALSE(image.IsValid()) << path << " maxSize " << maxSize;
                }
            }
}

// Catches the failures whose code the caller acts on being mixed up: oversize headers are
// refused as too large before any allocation, palette and run faults as corrupt data.
TEST(FormatsRead, MalformedFilesGiveTheirCodes)
{
    const std::pair<const char*, int> cases[] = {
        {"bmp/malformed/huge-70000x70000.bmp", -1}, {"bmp/malformed/huge-40000x60000.bmp", -1},
        {"png/malformed/huge-70000x70000.png", -1}, {"png/malformed/huge-47000x47000.png", -1},
        {"png/malformed/too-short-for-45000x45000.png", -5}, {"gif/malformed/too-short-for-40000x40000.gif", -5},
        {"tga/malformed/huge-65535x65535.tga", -1}, {"gif/malformed/huge-65535x65535.gif", -1},
        {"jpeg/malformed/huge-65500x65500-no-data.jpg", -1}, {"bmp/malformed/zero-width.bmp", -6},
        {"tga/malformed/zero-height.tga", -6}, {"jpeg/malformed/not-a-jpeg.jpg", -6},
        {"bmp/malformed/index-beyond-palette.bmp", -5}, {"tga/malformed/index-beyond-colormap.tga", -5},
        {"gif/malformed/index-beyond-colormap.gif", -5}, {"gif/malformed/lzw-code-4095-first.gif", -5},
        {"tga/malformed/rle-run-past-end.tga", -5}, {"tga/malformed/rle-literal-past-end.tga", -5},
        {"bmp/malformed/truncated-pixels.bmp", -5},
    };
    for (const auto& [file, code] : cases) {
        Quor_BaseImage image;
        EXPECT_EQ(Quor_ImageIo::LoadImage(quor_test::DataPath(file).c_str(), &image, 0), code) << file;
    }
}

// Catches a decode that fails half-way leaving a "valid" image whose undecoded rows hold stale
// or uninitialised memory (a previous picture of the same size is reused by the load).
TEST(FormatsRead, FailedDecodeLeavesNoImage)
{
    for (const char* file : {"tga/malformed/truncated-rle.tga", "gif/malformed/truncated-in-image-data.gif",
             "png/malformed/truncated-in-idat.png", "tga/malformed/index-beyond-colormap.tga"}) {
        Quor_BaseImage image;
        ASSERT_EQ(Quor_ImageIo::LoadImage(quor_test::DataPath("bmp/f-24-topdown.bmp").c_str(), &image, 0), 0);
        EXPECT_LT(Quor_ImageIo::LoadImage(quor_test::DataPath(file).c_str(), &image, 0), 0) << file;
        EXPECT_FALSE(image.IsValid()) << file;
    }
    // A thumbnail load decodes elsewhere, so a failure leaves the caller's picture alone.
    Quor_BaseImage thumbnail;
    ASSERT_EQ(Quor_ImageIo::LoadImage(quor_test::DataPath("bmp/f-24-topdown.bmp").c_str(), &thumbnail, 0), 0);
    EXPECT_LT(Quor_ImageIo::LoadThumbnail(quor_test::DataPath("tga/malformed/truncated-rle.tga").c_str(), &thumbnail, 0), 0);
    EXPECT_EQ(CompareWithFigure(thumbnail, kRed, kBlue), "");
}

// Catches opening something other than a regular file: a FIFO named like a photo blocked the
// loader (and the window holding its lock) for good; folders and missing files must fail too;
// and a loader that picks the module by content or by a case-sensitive extension.
TEST(FormatsRead, OnlyRegularFilesAreOpenedByTheModuleTheNameSelects)
{
    quor_test::ScratchDir scratch;
    const std::string fifo = scratch.File("p.jpg");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    auto load = std::async(std::launch::async, [&] {
        Quor_BaseImage image;
        return Quor_ImageIo::LoadImage(fifo.c_str(), &image, 0);
    });
    if (load.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        // Unblock the reader so the test can end, then fail.
        const int writer = open(fifo.c_str(), O_WRONLY);
        if (writer != -1)
            close(writer);
        FAIL() << "LoadImage blocked on a FIFO";
    }
    EXPECT_EQ(load.get(), -6);

    const std::string folder = scratch.File("folder.png");
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    Quor_BaseImage image;
    EXPECT_EQ(Quor_ImageIo::LoadImage(folder.c_str(), &image, 0), -6);
    EXPECT_EQ(Quor_ImageIo::LoadImage(scratch.File("missing.bmp").c_str(), &image, 0), -6);
    EXPECT_EQ(Quor_ImageIo::LoadImage(scratch.File("notes.txt").c_str(), &image, 0), -8);
    ASSERT_EQ(symlink("/dev/zero", scratch.File("zero.bmp").c_str()), 0);
    EXPECT_EQ(Quor_ImageIo::LoadImage(scratch.File("zero.bmp").c_str(), &image, 0), -6);
    EXPECT_FALSE(image.IsValid());

    // The module is chosen by the MIME type of the name, not by content nor by a case-sensitive
    // extension: an upper-case ".BMP" loads and a ".png" holding a BMP fails.
    const std::string bytes = quor_test::ReadFileBytes(quor_test::DataPath("bmp/f-24-bottomup.bmp"));
    ASSERT_TRUE(quor_test::WriteFileBytes(scratch.File("UPPER.BMP"), bytes));
    ASSERT_TRUE(quor_test::WriteFileBytes(scratch.File("wrong.png"), bytes));
    EXPECT_EQ(Quor_ImageIo::LoadImage(scratch.File("UPPER.BMP").c_str(), &image, 0), 0);
    EXPECT_EQ(Quor_ImageIo::LoadImage(scratch.File("wrong.png").c_str(), &image, 0), -6);
}

// Catches a wrong choice of DCT scale: the reduced decode must never fall below maxSize, and
// must use the smallest scale that keeps it there.
TEST(FormatsRead, JpegScaleNeverGoesBelowMaxSize)
{
    const uint32_t seed = 20240611;
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    for (int i = 0; i < 20000; i++) {
        const int maxSize = 1 + static_cast<int>(random() % 2000);
        const int64_t side = 1 + static_cast<int64_t>(random() % 65500);
        const int denominator = Quor_JpegReader::ScaleDenominator(side, maxSize);
        const int64_t decoded = (side + denominator - 1) / denominator;
        if (side <= maxSize) {
            EXPECT_EQ(denominator, 1);
            continue;
        }
        EXPECT_GE(decoded, maxSize) << side << " " << maxSize;
        if (denominator < 8) {
            EXPECT_LT(side / (denominator * 2), maxSize) << side << " " << maxSize;
        }
    }
}

// Catches wrong sizes from reduced loads: the DCT scale and the fitting step together.
TEST(FormatsRead, ReducedLoadsHaveTheDocumentedSizes)
{
    quor_test::ScratchDir scratch;
    const int kJpeg = Quor_ImageIo::Format_JPEG, kBmp = Quor_ImageIo::Format_BMP;
    const struct {
        int width, height, maxSize, format, expectWidth, expectHeight;
        const char* name;
    } cases[] = {
        {3000, 2000, 500, kJpeg, 500, 333, "a.jpg"}, {4000, 3000, 500, kJpeg, 500, 375, "b.jpg"},
        {1000, 200, 500, kJpeg, 500, 100, "c.jpg"},  {1000, 200, 500, kBmp, 500, 100, "c.bmp"},
        {10, 1000, 100, kBmp, 1, 100, "d.bmp"},      {10, 1000, 100, Quor_ImageIo::Format_PNG, 1, 100, "d.png"},
        {300, 200, 0, kJpeg, 300, 200, "e.jpg"},     {300, 200, 300, Quor_ImageIo::Format_TGA, 300, 200, "e.tga"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Quor_BaseImage source;
        ASSERT_EQ(source.Initialize(c.width, c.height, 32), 0);
        source.Clear({255, 0, 0, 255});
        const std::string path = scratch.File(c.name);
        ASSERT_EQ(Quor_ImageIo::SaveImage(path.c_str(), &source, c.format, 80), 0);
        for (auto load : kLoads) {
            Quor_BaseImage image;
            ASSERT_EQ(load(path.c_str(), &image, c.maxSize), 0);
            EXPECT_EQ(image.Width(), c.expectWidth);
            EXPECT_EQ(image.Height(), c.expectHeight);
            const Rgba centre = PixelAt(image, image.Width() / 2, image.Height() / 2);
            EXPECT_NEAR(centre.r, 255, 8);
            EXPECT_NEAR(centre.b, 0, 8);
        }
    }
}

// Catches a DCT-scaled decode that scales the wrong way or loses the picture's layout: a
// 1/8 decode of a left-red, right-blue image keeps red on the left and blue on the right.
TEST(FormatsRead, ScaledJpegKeepsTheLayout)
{
    quor_test::ScratchDir scratch;
    Quor_BaseImage source;
    ASSERT_EQ(source.Initialize(1600, 800, 32), 0);
    source.Clear({255, 0, 0, 255});
    Quor_image right;
    ASSERT_EQ(source.FillImage(&right, Quor_Rect(800, 0, 1599, 799)), 0);
    Quor_ImageOps::Clear(&right, {0, 0, 255, 255});
    const std::string path = scratch.File("halves.jpg");
    ASSERT_EQ(Quor_ImageIo::SaveImage(path.c_str(), &source, Quor_ImageIo::Format_JPEG, 90), 0);
    Quor_BaseImage image;
    ASSERT_EQ(Quor_ImageIo::LoadImage(path.c_str(), &image, 200), 0);
    ASSERT_EQ(image.Width(), 200);
    ASSERT_EQ(image.Height(), 100);
    EXPECT_NEAR(PixelAt(image, 20, 50).r, 255, 10);
    EXPECT_NEAR(PixelAt(image, 180, 50).b, 255, 10);
    EXPECT_NEAR(PixelAt(image, 180, 50).r, 0, 10);
    EXPECT_EQ(PixelAt(image, 180, 50).a, 255);
}

// Catches a JPEG reader stricter than its peers: a photo cut short (an interrupted copy) shows
// what it holds, the library filling the rest, rather than failing.
TEST(FormatsRead, TruncatedJpegKeepsItsDecodedRows)
{
    quor_test::ScratchDir scratch;
    Quor_BaseImage source;
    ASSERT_EQ(source.Initialize(400, 300, 32), 0);
    source.Clear({255, 0, 0, 255});
    const std::string path = scratch.File("cut.jpg");
    ASSERT_EQ(Quor_ImageIo::SaveImage(path.c_str(), &source, Quor_ImageIo::Format_JPEG, 90), 0);
    const std::string bytes = quor_test::ReadFileBytes(path);
    ASSERT_TRUE(quor_test::WriteFileBytes(path, bytes.substr(0, bytes.size() / 2)));
    Quor_BaseImage image;
    ASSERT_EQ(Quor_ImageIo::LoadImage(path.c_str(), &image, 0), 0);
    ASSERT_EQ(image.Width(), 400);
    EXPECT_NEAR(PixelAt(image, 200, 10).r, 255, 8);
    EXPECT_EQ(PixelAt(image, 200, 290).a, 255);
}

// Catches a pixel budget that is not honoured before allocation (a process that lowers it
// must see even plausible images refused, not allocated).
TEST(FormatsRead, PixelLimitRefusesLargerImages)
{
    Quor_ImageIo::SetPixelLimit(47 * 33 - 1);
    Quor_BaseImage image;
    for (const char* file : {"bmp/f-24-bottomup.bmp", "png/f-rgb8.png", "gif/f.gif", "tga/f-type2-24-topdown.tga", "jpeg/f-rgb.jpg"})
        EXPECT_EQ(Quor_ImageIo::LoadImage(quor_test::DataPath(file).c_str(), &image, 0), -1) << file;
    Quor_ImageIo::SetPixelLimit(0);  // back to the default
    EXPECT_EQ(Quor_ImageIo::LoadImage(quor_test::DataPath("png/f-rgb8.png").c_str(), &image, 0), 0);
}

// Catches drift in the strings that dialogs and callers depend on: type lists, filters, the
// global write numbers and the extension checks.
TEST(FormatsRead, RegistryPublishesItsTypes)
{
    EXPECT_STREQ(Quor_ImageIo::ReadFormatList, "*.jpg;*.bmp;*.gif;*.tga;*.png;*.jpeg");
    Quor_String filter;
    Quor_ImageIo::GetReadFilter(&filter);
    EXPECT_STREQ(filter, "Image Files|*.jpg;*.bmp;*.gif;*.tga;*.png|All Files (*.*)|*.*||");
    Quor_ImageIo::GetWriteFilter(&filter);
    EXPECT_STREQ(filter, "JPG|*.jpg|BMP|*.bmp|TGA|*.tga|PNG|*.png||");
    EXPECT_EQ(Quor_ImageIo::CountWriteFormats(), 4);
    EXPECT_STREQ(Quor_ImageIo::GetWriteFormatName(2), "Targa");
    EXPECT_STREQ(Quor_ImageIo::GetWriteFormatExtension(3), "png");
    EXPECT_STREQ(Quor_ImageIo::GetWriteFormatName(4), "");
    EXPECT_STREQ(Quor_ImageIo::GetWriteFormatName(-1), "");
    for (const char* name : {"/a/b.C/photo.JPG", "x.gif", "x.jpeg"})
        EXPECT_TRUE(Quor_ImageIo::CanReadImage(name)) << name;
    EXPECT_FALSE(Quor_ImageIo::CanReadImage("gif") || Quor_ImageIo::CanReadImage("x.gif.txt"));
    EXPECT_FALSE(Quor_ImageIo::CanWriteImage("x.gif"));
    EXPECT_TRUE(Quor_ImageIo::CanWriteImage("x.Tga"));
}
