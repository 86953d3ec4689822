// The editor's built-in pictures and their generator: every record complete and of the size its
// user lays out, cursors that a host cursor can show, tool bar cells that show their state, icons
// clear outside their shape, an about picture plain where the box writes its text, and committed
// files that a fresh run of panomer-artgen gives back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <filesystem>
#include <string>
#include <vector>

#include "app/ui/data/PanomerArt.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/TestFiles.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "tools/artgen/AppIconArt.h"
#include "tools/artgen/ArtGenerator.h"
#include "tools/artgen/ArtSourceWriter.h"

namespace {

using quor_test::Px;

struct Expected {
    const char* name;
    const Quor_image* image;
    int width;
    int height;
    int hot;  // a cursor's hot spot (the same across and down); -1 for the other pictures
};

// The sizes their users lay out: 16 x 16 cursors, strips of 25 x 24 cells plus the closing
// column, the alert icons, the about window and the window icon.
const Expected kPictures[] = {
    {"kcurs_move", &kcurs_move, 16, 16, 1}, {"kcurs_rotate", &kcurs_rotate, 16, 16, 1},
    {"kcurs_brighten", &kcurs_brighten, 16, 16, 1}, {"kcurs_updown", &kcurs_updown, 16, 16, 7},
    {"kcurs_leftright", &kcurs_leftright, 16, 16, 7}, {"kcurs_pan", &kcurs_pan, 16, 16, 7},
    {"kcurs_zoom", &kcurs_zoom, 16, 16, 7}, {"ktools_list", &ktools_list, 101, 24, -1},
    {"ktools_list_down", &ktools_list_down, 101, 24, -1}, {"ktools_list_disabled", &ktools_list_disabled, 101, 24, -1},
    {"ktools_panomer", &ktools_panomer, 176, 24, -1}, {"ktools_panomer_down", &ktools_panomer_down, 176, 24, -1},
    {"ktools_panomer_disabled", &ktools_panomer_disabled, 176, 24, -1}, {"kinformation", &kinformation, 50, 50, -1},
    {"kexclamation", &kexclamation, 56, 50, -1}, {"kquestion", &kquestion, 52, 50, -1},
    {"kabout", &kabout, 400, 225, -1}, {"kappicon", &kappicon, 64, 64, -1},
};

constexpr const char* kRunAgain = " differs from a fresh run of panomer-artgen (cmake --build <dir> --target artgen)";

constexpr uint32_t kCursorWhite = 0xFFFFFFFFu;
constexpr uint32_t kCursorBlack = 0x000000FFu;

bool Clear(uint32_t p)
{
    return (p & 255) == 0;
}

// Pixels that differ between two cells of the same size.
int CellDifference(const Quor_image& a, int ax, const Quor_image& b, int bx, int width)
{
    int count = 0;
    for (int y = 0; y < a.height; y++)
        for (int x = 0; x < width; x++)
            count += a.Row32(y)[ax + x] != b.Row32(y)[bx + x] ? 1 : 0;
    return count;
}

// Fault: a record left in the old built-in form (rowBytes 0, which blits refuse and the cursor
// code reads as empty) or drawn at a size its user does not lay out (tool bar cells cut across
// the signs, an about window of the wrong size).
TEST(PanomerArtTest, EveryPictureHasItsSizeAndACompleteRecord)
{
    for (const Expected& e : kPictures) {
        SCOPED_TRACE(e.name);
        EXPECT_NE(e.image->bits, nullptr);
        EXPECT_EQ((std::vector<int>{e.image->width, e.image->height, e.image->pixelBits, e.image->pixelBytes, e.image->rowBytes}),
            (std::vector<int>{e.width, e.height, 32, 4, e.width * 4}));
    }
}

// Fault: a host cursor knows only black, white and clear, so a grey or half-clear pixel (from
// anti-aliasing) turns white or solid and blots the shape; a white pixel without black around
// it vanishes on a white photo; a hot spot away from the shape acts where nothing is shown.
TEST(PanomerArtTest, CursorsAreOutlinedBlackAndWhite)
{
    for (const Expected& c : kPictures) {
        if (c.hot < 0)
            continue;
        SCOPED_TRACE(c.name);
        const Quor_image& img = *c.image;
        int white = 0;
        for (int y = 0; y < img.height; y++) {
            for (int x = 0; x < img.width; x++) {
                const uint32_t p = img.Row32(y)[x];
                ASSERT_TRUE(p == kCursorWhite || p == kCursorBlack || p == 0) << "pixel " << x << "," << y;
                if (p != kCursorWhite)
                    continue;
                white++;
                for (int d = 0; d < 9; d++) {
                    const int nx = x + d % 3 - 1, ny = y + d / 3 - 1;
                    const bool inside = nx >= 0 && ny >= 0 && nx < img.width && ny < img.height;
                    EXPECT_TRUE(inside && !Clear(img.Row32(ny)[nx])) << "white " << x << "," << y << " unringed";
                }
            }
        }
        EXPECT_GT(white, 20);
        // On the shape, or inside it (the middle of the magnifier's lens): drawn pixels on all
        // four sides.
        bool enclosed = !Clear(img.Row32(c.hot)[c.hot]);
        if (!enclosed) {
            enclosed = true;
            for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                bool hit = false;
                for (int x = c.hot, y = c.hot; x >= 0 && y >= 0 && x < img.width && y < img.height; x += dx, y += dy)
                    hit = hit || !Clear(img.Row32(y)[x]);
                enclosed = enclosed && hit;
            }
        }
        EXPECT_TRUE(enclosed) << "the hot spot lies off the shape";
    }
}

// Fault: the tool bar shows every state by taking the button's cell from another strip; a cell
// that looks the same pressed or disabled hides the current tool or what cannot be used, and two
// buttons drawn alike cannot be told apart.
TEST(PanomerArtTest, ToolBarCellsShowTheirState)
{
    struct Strips {
        const Quor_image *normal, *pressed, *disabled;
        int columns;
    };
    const Strips sets[] = {{&ktools_list, &ktools_list_down, &ktools_list_disabled, 4},
                           {&ktools_panomer, &ktools_panomer_down, &ktools_panomer_disabled, 7}};
    for (const Strips& s : sets) {
        const int cell = s.normal->width / s.columns;
        ASSERT_EQ(cell, 25);
        for (int i = 0; i < s.columns; i++) {
            SCOPED_TRACE("cell " + std::to_string(i));
            EXPECT_GT(CellDifference(*s.normal, i * cell, *s.pressed, i * cell, cell), cell * 10);
            EXPECT_GT(CellDifference(*s.normal, i * cell, *s.disabled, i * cell, cell), cell * 4);
            for (int j = 0; j < i; j++)
                EXPECT_GT(CellDifference(*s.normal, i * cell + 1, *s.normal, j * cell + 1, cell - 1), 20)
                    << "like cell " << j;
        }
    }
}

// Fault: an alert icon with a filled background shows as a box on the alert's gradient; the mark
// of an icon placed by its advance or its em box rather than by its ink leaves the "i", "!" or "?"
// off the middle of the disc or triangle.
TEST(PanomerArtTest, AlertIconsAreClearOutsideTheirShapeWithTheirMarksInTheMiddle)
{
    struct Case {
        const Quor_image* icon;
        bool lightMark;
    };
    for (const Case& c : {Case{&kinformation, true}, Case{&kexclamation, false}, Case{&kquestion, true}}) {
        const int w = c.icon->width, h = c.icon->height;
        SCOPED_TRACE(testing::Message() << w << " x " << h);
        for (const auto& [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}})
            EXPECT_TRUE(Clear(c.icon->Row32(y)[x])) << "corner " << x << "," << y;
        EXPECT_EQ(c.icon->Row32(h * 2 / 3)[w / 2] & 255, 255u);
        double sumX = 0.0, count = 0.0;
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                const rgb_color p = quor_test::PixelAt(*c.icon, x, y);
                const int light = (p.red + p.green + p.blue) / 3;
                if (p.alpha == 255 && (c.lightMark ? light > 235 : light < 70))
                    sumX += x + 0.5, count += 1.0;
            }
        ASSERT_GT(count, 40.0);
        EXPECT_NEAR(sumX / count, w / 2.0, 1.0);
    }
}

// Fault: detail under the about box's text: the box fills the credits band (96 to 46 pixels above
// the bottom) with its background colour and writes the maker's lines and the version below it,
// so anything drawn there shows a seam round the band and fights the text.
TEST(PanomerArtTest, AboutPictureIsPlainWhereTheBoxWrites)
{
    const uint32_t ground = Px(164, 158, 126);
    for (int y = kabout.height - 96; y < kabout.height; y++)
        for (int x = 0; x < kabout.width; x++)
            ASSERT_EQ(kabout.Row32(y)[x], ground) << "pixel " << x << "," << y;
}

// One run of the generator, shared by the tests that compare with it.
class ArtGeneratorTest : public ::testing::Test {
protected:
    static constexpr const char* kFonts = "/usr/share/fonts/truetype/dejavu";

    static void SetUpTestSuite()
    {
        for (const char* face : {ArtGenerator::kBoldFace, ArtGenerator::kBookFace})
            if (!std::filesystem::exists(std::string(kFonts) + "/" + face))
                return;
        gGenerator = new ArtGenerator;
        std::string error;
        if (gGenerator->Draw(kFonts, &error) != QUOR_OK) {
            delete gGenerator;
            gGenerator = nullptr;
            ADD_FAILURE() << error;
        }
    }
    static void TearDownTestSuite()
    {
        delete gGenerator;
        gGenerator = nullptr;
        Quor_Font::ShutdownFreeType();
    }
    void SetUp() override
    {
        if (!gGenerator)
            GTEST_SKIP() << "DejaVu Sans and DejaVu Sans Bold (package fonts-dejavu-core) are not installed in " << kFonts;
    }

    static ArtGenerator* gGenerator;
};

ArtGenerator* ArtGeneratorTest::gGenerator = nullptr;

// Fault: a source writer that garbles what it writes (rows or words out of order, the last short
// line dropped, the size in the record not the size of the array): comparing fresh files with
// committed ones cannot see it, because both came out of the same writer. The compiled records
// must hold exactly the drawn pixels.
TEST_F(ArtGeneratorTest, CompiledPicturesHoldTheDrawnPixels)
{
    ASSERT_EQ(gGenerator->Pictures().size(), std::size(kPictures));
    for (const Expected& e : kPictures) {
        const Quor_image* drawn = gGenerator->Find(e.name);
        ASSERT_NE(drawn, nullptr) << e.name;
        ASSERT_TRUE(drawn->width == e.image->width && drawn->height == e.image->height) << e.name;
        int differing = 0;
        for (int y = 0; y < drawn->height; y++)
            for (int x = 0; x < drawn->width; x++)
                differing += drawn->Row32(y)[x] != e.image->Row32(y)[x] ? 1 : 0;
        EXPECT_EQ(differing, 0) << e.name;
    }
}

// Fault: a length in the icon's design left in pixels instead of design units (a stroke, a
// shadow, a margin), so the desktop icons of other sizes are not the same picture as the window
// icon. The largest icon, box-filtered down to the window icon's size, must look like it.
TEST_F(ArtGeneratorTest, IconsOfEverySizeShowTheSamePicture)
{
    Quor_BaseImage large;
    ASSERT_EQ(AppIconArt::Draw(256, &large), QUOR_OK);
    const Quor_image& small = kappicon;
    double sum = 0.0;
    int worst = 0;
    for (int y = 0; y < small.height; y++)
        for (int x = 0; x < small.width; x++) {
            // Alpha-weighted mean of the 4 x 4 block, as the canvas reduces.
            double a = 0.0, c[3] = {0.0, 0.0, 0.0};
            for (int dy = 0; dy < 4; dy++)
                for (int dx = 0; dx < 4; dx++) {
                    const rgb_color p = quor_test::PixelAt(large, x * 4 + dx, y * 4 + dy);
                    a += p.alpha;
                    c[0] += p.red * p.alpha, c[1] += p.green * p.alpha, c[2] += p.blue * p.alpha;
                }
            const rgb_color q = quor_test::PixelAt(small, x, y);
            const int alpha = int(std::lround(a / 16.0));
            int d = std::abs(alpha - q.alpha);
            if (a > 0.0 && q.alpha > 32)
                for (int i = 0; i < 3; i++)
                    d = std::max(d, std::abs(int(std::lround(c[i] / a)) - (&q.red)[i]));
            sum += d;
            worst = std::max(worst, d);
        }
    // Measured: 0.5 on average, 27 at worst; the grid and the shadow left in pixels give 2.0, the
    // tile's corners 9.1 and 255.
    EXPECT_LT(sum / (small.width * small.height), 1.2);
    EXPECT_LT(worst, 48);
}

// Fault: a drawing changed in tools/artgen (or a drawing routine of the toolkit it uses) without
// the committed pictures being written again, or the committed files edited by hand, so the
// program shows something the code no longer describes. The desktop icons are compared by their
// pixels, since another zlib may pack the same pixels differently.
TEST_F(ArtGeneratorTest, CommittedFilesAreWhatTheGeneratorWrites)
{
    quor_test::ScratchDir scratch;
    std::string error;
    ASSERT_EQ(gGenerator->Write(scratch.Path(), &error), QUOR_OK) << error;

    const std::string committed = quor_test::SourcePath("app/ui/data/");
    std::vector<std::string> names{ArtSourceWriter::kHeaderName};
    for (const std::string& group : ArtSourceWriter::Groups(gGenerator->Pictures()))
        names.push_back(ArtSourceWriter::SourceName(group));
    for (const std::string& name : names) {
        const std::string fresh = quor_test::ReadFileBytes(scratch.File(name));
        ASSERT_FALSE(fresh.empty()) << name;
        EXPECT_LT(fresh.size(), 1000000u) << name << " is too large to review or compile comfortably";
        EXPECT_TRUE(fresh == quor_test::ReadFileBytes(committed + name)) << name << kRunAgain;
    }
    for (int size : ArtGenerator::kIconSizes) {
        const std::string name = "icons/panomer-" + std::to_string(size) + ".png";
        quor_test::RgbaPicture fresh, kept;
        ASSERT_TRUE(quor_test::ReadPng(scratch.File(name), &fresh)) << name;
        ASSERT_TRUE(quor_test::ReadPng(committed + name, &kept)) << name;
        EXPECT_TRUE(fresh.width == size && kept.width == fresh.width && kept.height == fresh.height) << name;
        EXPECT_TRUE(kept.rgba == fresh.rgba) << name << kRunAgain;
    }
}

}  // namespace
