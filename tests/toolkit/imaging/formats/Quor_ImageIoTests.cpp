// Tests of the image file registry: loading every variant of every format, at full and reduced
// size, the refusals of hostile headers before anything is allocated, the memory budget of a load
// and its account in words, the promise of a thumbnail load, round trips and the published types.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/toolkit/imaging/formats/FormatsFixtures.h"
#include "toolkit/core/Quor_Status.h"

using namespace formats_test;
using quor_test::DataPath;
using quor_test::PixelAt;
using quor_test::Px;

namespace {

constexpr rgb_color kGreyFigure{200, 200, 200, 255};
constexpr rgb_color kGreyBackground{50, 50, 50, 255};

using LoadFunction = int (*)(const char*, Quor_BaseImage*, int, int64_t, Quor_String*);

// Both ways of loading: the full picture and the thumbnail.
const LoadFunction kLoads[] = {Quor_ImageIo::LoadImage, Quor_ImageIo::LoadThumbnail};

int Load(LoadFunction load, const std::string& path, Quor_BaseImage* image, int maxSize,
    int64_t budget = Quor_ImageIo::kNoBudget, Quor_String* refusal = nullptr)
{
    return load(path.c_str(), image, maxSize, budget, refusal);
}

// The fixture decodes to the F at full size and reduced, through both ways of loading.
void ExpectFigure(const std::string& file, rgb_color figure = quor_test::kRed, rgb_color background = quor_test::kBlue,
    int tolerance = 0, int edge = 0)
{
    SCOPED_TRACE(file);
    for (int maxSize : {0, 64})
        for (LoadFunction load : kLoads) {
            Quor_BaseImage image;
            ASSERT_EQ(Load(load, DataPath(file), &image, maxSize), QUOR_OK);
            EXPECT_EQ(CompareWithFigure(image, figure, background, tolerance, edge), "");
        }
}

// Every file in tests/data/<format>/malformed.
std::vector<std::string> MalformedFiles(const char* format)
{
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(DataPath(std::string(format) + "/malformed")))
        files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

// An image saved in `format`, flat red unless `pixel` says otherwise.
std::string Save(const quor_test::ScratchDir& scratch, const char* name, int width, int height, int format,
    uint32_t (*pixel)(int x, int y, int width, int height) = [](int, int, int, int) { return Px(quor_test::kRed); })
{
    Quor_BaseImage source;
    quor_test::Make(&source, width, height, [&](int x, int y) { return pixel(x, y, width, height); });
    const std::string path = scratch.File(name);
    EXPECT_EQ(Quor_ImageIo::SaveImage(path.c_str(), &source, format, 80), QUOR_OK);
    return path;
}

}  // namespace

// Catches row-order flips, mirrored rows, red/blue swaps and rows off by one in the readers;
// JPEG colour handling gone wrong (grey not spread to RGB, CMYK not inverted); and tRNS and alpha
// channels dropped or misplaced in the PNG reader, or the opaque guarantee of the other modules
// broken by a 32-bit Targa carrying alpha 128.
TEST(QuorImageIo, VariantsDecodeToTheFigure)
{
    for (const char* file : {"bmp/f-24-bottomup.bmp", "bmp/f-24-topdown.bmp", "bmp/f-8-bottomup.bmp", "bmp/f-8-topdown.bmp",
             "bmp/f-24-os2-12.bmp", "bmp/f-8-os2-12.bmp", "bmp/f-24-os2-64.bmp", "bmp/f-8-v5-124.bmp",
             "bmp/f-24-imagemagick.bmp", "gif/f.gif", "gif/f-interlaced.gif", "gif/f-uncompressed-lzw.gif",
             "png/f-rgb8.png", "png/f-rgba8.png", "png/f-rgb16.png", "png/f-rgb8-interlaced.png", "png/f-palette8.png",
             "png/f-palette2.png", "tga/f-imagemagick-type2.tga", "tga/f-imagemagick-type10.tga",
             "tga/f-imagemagick-type9.tga", "tga/f-type1-16-cmap16-first10.tga"})
        ExpectFigure(file);
    // Unsubsampled JPEGs hold every pixel within the tolerance (a row shift costs 255); 4:2:0
    // blurs colour across the outline, which is excluded. The CMYK file is stored inverted with
    // an Adobe marker; the conversion's factors give blue 255 * 0.921.
    const rgb_color red = quor_test::kRed, blue = quor_test::kBlue;
    const struct {
        const char* file;
        rgb_color figure, background;
        int tolerance, edge;
    } cases[] = {
        {"png/f-grey8.png", kGreyFigure, kGreyBackground, 0, 0}, {"png/f-grey16.png", kGreyFigure, kGreyBackground, 0, 0},
        {"png/f-greyalpha8.png", kGreyFigure, kGreyBackground, 0, 0},
        {"tga/f-imagemagick-type3.tga", kGreyFigure, kGreyBackground, 0, 0},
        {"png/f-grey1.png", quor_test::kWhite, quor_test::kBlack, 0, 0},
        {"png/f-grey4.png", {204, 204, 204, 255}, {51, 51, 51, 255}, 0, 0},
        {"jpeg/f-rgb.jpg", red, blue, 24, 0}, {"jpeg/f-rgb-progressive.jpg", red, blue, 24, 0},
        {"jpeg/f-rgb-420.jpg", red, blue, 12, 2}, {"jpeg/f-grey.jpg", kGreyFigure, kGreyBackground, 12, 0},
        {"jpeg/f-cmyk.jpg", red, {0, 0, 235, 255}, 24, 0},
        {"png/f-palette8-trns.png", red, {0, 0, 255, 0}, 0, 0}, {"png/f-rgb8-trns.png", red, {0, 0, 255, 0}, 0, 0},
        {"png/f-rgba8-alpha.png", {255, 0, 0, 128}, blue, 0, 0},
    };
    for (const auto& c : cases)
        ExpectFigure(c.file, c.figure, c.background, c.tolerance, c.edge);
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

// Catches readers that crash, read out of bounds, hang or report success on hostile files (run
// under ASan/UBSan): every malformed file fails at every load size, through both ways of loading,
// and leaves no image.
TEST(QuorImageIo, MalformedFilesFailCleanly)
{
    for (const char* format : {"bmp", "gif", "jpeg", "png", "tga"})
        for (const std::string& path : MalformedFiles(format))
            for (int maxSize : {0, 64, 640})
                for (LoadFunction load : kLoads) {
                    Quor_BaseImage image;
                    EXPECT_LT(Load(load, path, &image, maxSize), QUOR_OK) << path << " maxSize " << maxSize;
                    EXPECT_FALSE(image.IsValid()) << path << " maxSize " << maxSize;
                }
}

// Catches the failures whose code the caller acts on being mixed up, or refusals callers cannot
// pass on: oversize headers are refused as too large, headers declaring more pixels than their
// file could encode as corrupt (at every load size: a reduced JPEG decode must not allocate a
// quarter gigabyte for a 1 KB file), palette and run faults as corrupt data (a palette index
// exactly one past the end as much as any other), and what is not a regular image file as
// unreadable; each failure comes with a sentence naming the file (and the declared size where
// the size was refused).
TEST(QuorImageIo, RefusalsGiveTheirCodeAndSayWhy)
{
    quor_test::ScratchDir scratch;
    ASSERT_TRUE(std::filesystem::create_directory(scratch.File("folder.png")));
    ASSERT_EQ(symlink("/dev/zero", scratch.File("zero.bmp").c_str()), 0);
    const struct {
        std::string path;
        int maxSize, code;
        std::string words;
    } cases[] = {
        {"huge-70000x70000.bmp", 0, QUOR_ERR_MEMORY, ""}, {"huge-40000x60000.bmp", 0, QUOR_ERR_MEMORY, ""},
        {"huge-70000x70000.png", 0, QUOR_ERR_MEMORY, "huge-70000x70000.png holds 70000 x 70000 pixels"},
        {"huge-47000x47000.png", 0, QUOR_ERR_MEMORY, ""}, {"too-short-for-45000x45000.png", 0, QUOR_ERR_DECODE, ""},
        {"too-short-for-45000x45000.png", 640, QUOR_ERR_DECODE, ""}, {"too-short-for-40000x40000.gif", 0, QUOR_ERR_DECODE, ""},
        {"too-short-for-40000x40000.gif", 100, QUOR_ERR_DECODE, ""}, {"huge-rle-40000x40000.tga", 640, QUOR_ERR_DECODE, ""},
        {"huge-65535x65535.tga", 0, QUOR_ERR_MEMORY, ""}, {"huge-65535x65535.gif", 0, QUOR_ERR_MEMORY, ""},
        {"huge-65500x65500-no-data.jpg", 0, QUOR_ERR_MEMORY, ""}, {"huge-65500x65500-no-data.jpg", 100, QUOR_ERR_DECODE, ""},
        {"huge-65500x65500-no-data.jpg", 640, QUOR_ERR_DECODE,
         "huge-65500x65500-no-data.jpg declares 65500 x 65500 pixels, more than its 996 bytes can hold"},
        {"zero-width.bmp", 0, QUOR_ERR_READ, "zero-width.bmp declares an image of 0 x"}, {"zero-height.tga", 0, QUOR_ERR_READ, ""},
        {"not-a-jpeg.jpg", 0, QUOR_ERR_READ, "not-a-jpeg.jpg does not read as a JPG image"},
        {"index-beyond-palette.bmp", 0, QUOR_ERR_DECODE, ""}, {"index-equal-to-colormap-length.tga", 0, QUOR_ERR_DECODE, ""},
        {"index-equal-to-colormap-length.gif", 0, QUOR_ERR_DECODE, ""}, {"lzw-code-4095-first.gif", 0, QUOR_ERR_DECODE, ""},
        {"rle-run-past-end.tga", 0, QUOR_ERR_DECODE, ""}, {"rle-literal-past-end.tga", 0, QUOR_ERR_DECODE, ""},
        {"truncated-rle.tga", 0, QUOR_ERR_DECODE, "truncated-rle.tga is damaged"}, {"truncated-pixels.bmp", 0, QUOR_ERR_DECODE, ""},
        {scratch.File("missing.gif"), 0, QUOR_ERR_READ, "missing.gif cannot be opened: No such file or directory"},
        {scratch.File("folder.png"), 0, QUOR_ERR_READ, "folder.png is not a regular file"},
        {scratch.File("zero.bmp"), 0, QUOR_ERR_READ, ""},
        {scratch.File("notes.txt"), 0, QUOR_ERR_NO_MODULE, "notes.txt is not a kind of image file"},
    };
    for (const auto& c : cases)
        for (LoadFunction load : kLoads) {
            Quor_BaseImage image;
            Quor_String refusal = "stale";
            // A fixture is named without its folder, <format>/malformed.
            const std::string extension = c.path.substr(c.path.rfind('.') + 1);
            const std::string path =
                c.path[0] == '/' ? c.path : DataPath((extension == "jpg" ? "jpeg" : extension) + "/malformed/" + c.path);
            EXPECT_EQ(Load(load, path, &image, c.maxSize, Quor_ImageIo::kNoBudget, &refusal), c.code)
                << path << " maxSize " << c.maxSize;
            EXPECT_NE(std::string(refusal.Buffer()).find(c.words), std::string::npos) << refusal.Buffer();
            EXPECT_NE(std::string(refusal.Buffer()), "stale") << path;
        }
}

// Catches a memory budget checked after the pixels were decoded (or not at all), and a budget
// that forgets the reduced copy of a reduced load: a load beyond its budget is refused from the
// header alone (a file whose data is corrupt still reads as "beyond the budget", not "corrupt"),
// at every load size, and the refusal names the file and the size. And a header bound set so
// tight that real files are refused: the densest honest files (one flat colour, the best
// compression each format has) load at their full size.
TEST(QuorImageIo, MemoryBudgetIsCheckedBeforeDecoding)
{
    quor_test::ScratchDir scratch;
    const std::string corrupt = DataPath("tga/malformed/truncated-rle.tga");
    for (LoadFunction load : kLoads) {
        Quor_BaseImage image;
        Quor_String refusal;
        EXPECT_EQ(Load(load, corrupt, &image, 0, kFigureWidth * kFigureHeight * 4 - 1, &refusal), QUOR_ERR_MEMORY);
        EXPECT_NE(std::string(refusal.Buffer()).find(corrupt + " (47 x 33 pixels) needs"), std::string::npos) << refusal.Buffer();
        EXPECT_EQ(Load(load, corrupt, &image, 0, 0), QUOR_ERR_MEMORY) << "a budget of 0 is nothing, not no budget";
    }

    // A 3000 x 2000 JPEG reduced to 500 decodes at 1/4 (750 x 500, 1.5 MB) and is then copied
    // at 500 x 333 (0.67 MB): 2,166,000 bytes in all.
    const std::string jpeg = Save(scratch, "big.jpg", 3000, 2000, Quor_ImageIo::Format_JPEG);
    const std::string png = Save(scratch, "big.png", 3000, 2000, Quor_ImageIo::Format_PNG);
    const int64_t reduced = int64_t(750) * 500 * 4 + int64_t(500) * 333 * 4;
    for (LoadFunction load : kLoads) {
        Quor_BaseImage image;
        EXPECT_EQ(Load(load, jpeg, &image, 500, reduced - 1), QUOR_ERR_MEMORY);
        EXPECT_TRUE(Load(load, jpeg, &image, 500, reduced) == QUOR_OK && image.Width() == 500);
        EXPECT_EQ(Load(load, jpeg, &image, 0, int64_t(3000) * 2000 * 4 - 1), QUOR_ERR_MEMORY);
    }
    for (const std::string& flat : {jpeg, png}) {
        Quor_BaseImage image;
        EXPECT_EQ(Quor_ImageIo::LoadImage(flat.c_str(), &image, 0), QUOR_OK)
            << flat << ": " << std::filesystem::file_size(flat) << " bytes for 6 million pixels";
    }
}

// Catches a decode that fails half-way leaving a "valid" image whose undecoded rows hold stale
// or uninitialised memory (a previous picture of the same size is reused by the load).
TEST(QuorImageIo, FailedDecodeLeavesNoImage)
{
    for (const char* file : {"tga/malformed/truncated-rle.tga", "gif/malformed/truncated-in-image-data.gif",
             "png/malformed/truncated-in-idat.png", "tga/malformed/index-beyond-colormap.tga"}) {
        Quor_BaseImage image;
        ASSERT_EQ(Quor_ImageIo::LoadImage(DataPath("bmp/f-24-topdown.bmp").c_str(), &image, 0), QUOR_OK);
        EXPECT_LT(Quor_ImageIo::LoadImage(DataPath(file).c_str(), &image, 0), QUOR_OK) << file;
        EXPECT_FALSE(image.IsValid()) << file;
    }
}

namespace {

// An image whose next allocations are refused, as when memory runs out: like Quor_BaseImage's
// own Initialize, a refusal frees the old pixels first.
class ShortOfMemory : public Quor_BaseImage {
public:
    int fRefusals = 0;

    int Initialize(int width, int height, int pixelBits) override
    {
        const bool changes = !IsValid() || Width() != width || Height() != height || PixelBits() != pixelBits;
        if (changes && fRefusals > 0) {
            fRefusals--;
            Free();
            return QUOR_ERR_MEMORY;
        }
        return Quor_BaseImage::Initialize(width, height, pixelBits);
    }
};

}  // namespace

// Catches a thumbnail load that breaks its promise to leave the picture as it was on any
// failure: a file that does not decode, and memory refused for the new size (a full-size
// thumbnail, and a reduced one), all leave the old thumbnail intact.
TEST(QuorImageIo, FailedThumbnailKeepsThePicture)
{
    const std::string figure = DataPath("bmp/f-24-topdown.bmp");
    ShortOfMemory thumbnail;
    ASSERT_EQ(Quor_ImageIo::LoadImage(figure.c_str(), &thumbnail, 0), QUOR_OK);
    EXPECT_LT(Quor_ImageIo::LoadThumbnail(DataPath("tga/malformed/truncated-rle.tga").c_str(), &thumbnail, 0), QUOR_OK);
    EXPECT_EQ(CompareWithFigure(thumbnail, quor_test::kRed, quor_test::kBlue), "");

    quor_test::ScratchDir scratch;
    const std::string other = Save(scratch, "other.png", 100, 60, Quor_ImageIo::Format_PNG);
    for (int maxSize : {0, 50}) {
        thumbnail.fRefusals = 1;
        EXPECT_EQ(Quor_ImageIo::LoadThumbnail(other.c_str(), &thumbnail, maxSize), QUOR_ERR_MEMORY) << maxSize;
        EXPECT_EQ(CompareWithFigure(thumbnail, quor_test::kRed, quor_test::kBlue), "") << maxSize;
    }
    thumbnail.fRefusals = 0;
    ASSERT_EQ(Quor_ImageIo::LoadThumbnail(other.c_str(), &thumbnail, 50), QUOR_OK);
    EXPECT_TRUE(thumbnail.Width() == 50 && thumbnail.Height() == 30);
}

// Catches opening something other than a regular file (a FIFO named like a photo blocked the
// loader, and the window holding its lock, for good), and a loader that picks the module by
// content or by a case-sensitive extension: an upper-case ".BMP" loads, a ".png" holding a BMP
// fails.
TEST(QuorImageIo, OnlyRegularFilesAreOpenedByTheModuleTheNameSelects)
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
    EXPECT_EQ(load.get(), QUOR_ERR_READ);

    const std::string bytes = quor_test::ReadFileBytes(DataPath("bmp/f-24-bottomup.bmp"));
    ASSERT_TRUE(quor_test::WriteFileBytes(scratch.File("UPPER.BMP"), bytes));
    ASSERT_TRUE(quor_test::WriteFileBytes(scratch.File("wrong.png"), bytes));
    Quor_BaseImage image;
    EXPECT_EQ(Quor_ImageIo::LoadImage(scratch.File("UPPER.BMP").c_str(), &image, 0), QUOR_OK);
    EXPECT_EQ(Quor_ImageIo::LoadImage(scratch.File("wrong.png").c_str(), &image, 0), QUOR_ERR_READ);
}

// Catches wrong sizes from reduced loads (the DCT scale and the fitting step together), and a
// writer or scaled decode that loses the picture's layout (swapped channels, mirrored columns or
// rows, lost alpha): the left half stays red, the right half blue above and green below.
TEST(QuorImageIo, ReducedLoadsHaveTheDocumentedSizes)
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
        const std::string path = Save(scratch, c.name, c.width, c.height, c.format,
            [](int x, int y, int width, int height) {
                return Px(x < width / 2 ? quor_test::kRed : y < height / 2 ? quor_test::kBlue : rgb_color{0, 255, 0, 255});
            });
        for (LoadFunction load : kLoads) {
            Quor_BaseImage image;
            ASSERT_EQ(Load(load, path, &image, c.maxSize), QUOR_OK);
            EXPECT_EQ(std::pair(image.Width(), image.Height()), std::pair(c.expectWidth, c.expectHeight));
            const int right = image.Width() - 1, height = image.Height();
            // A column that stands for ten takes a twentieth of the sixth, which is blue.
            EXPECT_TRUE(quor_test::Near(PixelAt(image, 0, height / 2), quor_test::kRed, right == 0 ? 16 : 10, true));
            EXPECT_TRUE(right == 0 || quor_test::Near(PixelAt(image, right, height / 4), quor_test::kBlue, 10, true));
            EXPECT_TRUE(right == 0 || quor_test::Near(PixelAt(image, right, height * 3 / 4), {0, 255, 0, 255}, 10, true));
        }
    }
}

// Catches a reduction that shifts the picture: a preview the canvas maps as the photo must show
// each place where the full photo has it (a DCT-scaled pixel standing for the middle of its
// block, columns stepped from the left edge, rows picked instead of averaged). The picture is
// a ramp of one level a pixel across (red) and down (green), so a box mean reads the position.
TEST(QuorImageIo, ReducedLoadsLieWhereTheFullPictureDoes)
{
    quor_test::ScratchDir scratch;
    const struct {
        int width, height, maxSize, format;
        const char* name;
    } cases[] = {
        {2048, 1536, 256, Quor_ImageIo::Format_JPEG, "eighth.jpg"},   // decoded at 1/8 to exactly the size
        {2048, 1536, 200, Quor_ImageIo::Format_JPEG, "fit.jpg"},      // 1/8, then reduced
        {2048, 1536, 700, Quor_ImageIo::Format_JPEG, "half.jpg"},     // 1/2, then reduced
        {2001, 1501, 250, Quor_ImageIo::Format_JPEG, "partial.jpg"},  // partial blocks at the edges
        {2048, 1536, 300, Quor_ImageIo::Format_PNG, "full.png"},      // decoded at full size
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int x0 = c.width / 2 - 128, y0 = c.height / 2 - 128;
        Quor_BaseImage source;
        quor_test::Make(&source, c.width, c.height, [&](int x, int y) {
            return Px(uint32_t(std::clamp(x - x0, 0, 255)), uint32_t(std::clamp(y - y0, 0, 255)), 128);
        });
        const std::string path = scratch.File(c.name);
        ASSERT_EQ(Quor_ImageIo::SaveImage(path.c_str(), &source, c.format, 95), QUOR_OK);
        Quor_BaseImage image;
        ASSERT_EQ(Quor_ImageIo::LoadImage(path.c_str(), &image, c.maxSize), QUOR_OK);
        const int w = image.Width(), h = image.Height();
        ASSERT_EQ(std::max(w, h), c.maxSize);
        const double scale = double(std::min(c.width, c.height)) / std::min(w, h);
        double error = 0.0, worst = 0.0;
        int count = 0;
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                // Where the canvas takes this pixel to lie in the full picture.
                const double fx = c.width / 2.0 + scale * (x - w / 2.0) - x0;
                const double fy = c.height / 2.0 + scale * (y - h / 2.0) - y0;
                const double margin = scale / 2 + 2;
                if (fx < margin || fx > 255 - margin || fy < margin || fy > 255 - margin)
                    continue;
                const rgb_color p = PixelAt(image, x, y);
                for (const double e : {p.red - fx, p.green - fy}) {
                    error += std::fabs(e);
                    worst = std::max(worst, std::fabs(e));
                }
                count += 2;
            }
        ASSERT_GT(count, 100);
        EXPECT_LT(error / count, 0.75);
        EXPECT_LT(worst, 2.5);
    }
}

// Catches a pixel budget that is not honoured before allocation (a process that lowers it
// must see even plausible images refused, not allocated).
TEST(QuorImageIo, PixelLimitRefusesLargerImages)
{
    Quor_ImageIo::SetPixelLimit(kFigureWidth * kFigureHeight - 1);
    Quor_BaseImage image;
    for (const char* file : {"bmp/f-24-bottomup.bmp", "png/f-rgb8.png", "gif/f.gif", "tga/f-type2-24-topdown.tga", "jpeg/f-rgb.jpg"})
        EXPECT_EQ(Quor_ImageIo::LoadImage(DataPath(file).c_str(), &image, 0), QUOR_ERR_MEMORY) << file;
    Quor_ImageIo::SetPixelLimit(0);  // back to the default
    EXPECT_EQ(Quor_ImageIo::LoadImage(DataPath("png/f-rgb8.png").c_str(), &image, 0), QUOR_OK);
}

// Catches writer/reader mismatches in any lossless format: swapped channels, flipped rows, lost
// padding, alpha lost where the format keeps it (PNG) or kept where the reader promises opaque.
TEST(QuorImageIo, LosslessRoundTripsKeepEveryPixel)
{
    quor_test::ScratchDir scratch;
    const std::pair<int, const char*> formats[] = {
        {Quor_ImageIo::Format_BMP, "bmp"}, {Quor_ImageIo::Format_TGA, "tga"}, {Quor_ImageIo::Format_PNG, "png"}};
    for (int width : {47, 1, 2, 3}) {
        Quor_BaseImage source;
        quor_test::MakeRandom(&source, width, 33, 1000u + static_cast<uint32_t>(width));
        for (const auto& [format, extension] : formats) {
            SCOPED_TRACE(std::string(extension) + " width " + std::to_string(width));
            const std::string path = scratch.File(std::string("round.") + extension);
            ASSERT_EQ(Quor_ImageIo::SaveImage(path.c_str(), &source, format, 90), QUOR_OK);
            Quor_BaseImage back;
            ASSERT_EQ(Quor_ImageIo::LoadImage(path.c_str(), &back, 0), QUOR_OK);
            ASSERT_TRUE(back.Width() == width && back.Height() == 33);
            const bool keepsAlpha = format == Quor_ImageIo::Format_PNG;
            int mismatches = 0;
            for (int y = 0; y < 33; y++)
                for (int x = 0; x < width; x++)
                    mismatches += quor_test::At(back.Image(), x, y) != (quor_test::At(source.Image(), x, y) | (keepsAlpha ? 0u : 255u));
            EXPECT_EQ(mismatches, 0);
        }
    }
}

// Catches drift in the strings that dialogs and callers depend on (type lists, filters, the
// global write numbers) and extension checks that mind case or stop at the first dot.
TEST(QuorImageIo, RegistryPublishesItsTypes)
{
    Quor_String read, write;
    Quor_ImageIo::GetReadFilter(&read);
    Quor_ImageIo::GetWriteFilter(&write);
    EXPECT_EQ((std::vector<std::string>{Quor_ImageIo::ReadFormatList.Buffer(), read.Buffer(), write.Buffer(),
                  Quor_ImageIo::GetWriteFormatName(2), Quor_ImageIo::GetWriteFormatExtension(3),
                  Quor_ImageIo::GetWriteFormatName(4), Quor_ImageIo::GetWriteFormatName(-1)}),
        (std::vector<std::string>{"*.jpg;*.bmp;*.gif;*.tga;*.png;*.jpeg",
            "Image Files|*.jpg;*.bmp;*.gif;*.tga;*.png|All Files (*.*)|*.*||", "JPG|*.jpg|BMP|*.bmp|TGA|*.tga|PNG|*.png||",
            "Targa", "png", "", ""}));
    EXPECT_EQ(Quor_ImageIo::CountWriteFormats(), 4);
    for (const char* name : {"/a/b.C/photo.JPG", "x.gif", "x.jpeg"})
        EXPECT_TRUE(Quor_ImageIo::CanReadImage(name)) << name;
    EXPECT_FALSE(Quor_ImageIo::CanReadImage("gif") || Quor_ImageIo::CanReadImage("x.gif.txt"));
    EXPECT_FALSE(Quor_ImageIo::CanWriteImage("x.gif") || !Quor_ImageIo::CanWriteImage("x.Tga"));
}
