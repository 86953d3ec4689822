// Outline fonts through FreeType: opening, measuring, drawing, rasterising, sizes and locking.
// The cases use DejaVu Sans Condensed and skip when it is not installed.

#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/TestFiles.h"
#include "tests/toolkit/imaging/fonts/FontTestSupport.h"
#include "toolkit/imaging/Quor_ColorOps.h"

using namespace font_test;
using namespace quor_test;

// Catches files that are not fonts accepted as fonts (or crashing FreeType), which would replace a
// working built-in interface font with nothing.
TEST(QuorFont, UnreadableFilesGiveNoFont)
{
    REQUIRE_DEJAVU();
    quor_test::ScratchDir scratch;
    const std::string text = scratch.File("notes.ttf");
    ASSERT_TRUE(quor_test::WriteFileBytes(text, "not a font at all\n"));
    for (const char* path : {static_cast<const char*>(nullptr), "", "/nonexistent/font.ttf", text.c_str(), scratch.Path().c_str()})
        EXPECT_FALSE(FontPtr(Quor_Font::GetFreeTypeFontFile(path))) << (path ? path : "null");
    FontPtr font = OpenBook();
    ASSERT_TRUE(font);
    EXPECT_TRUE(font->Kind() == Quor_Font::kFreeType && font->Name() == "DejaVu Sans Condensed" && font->StringWidth("") == 0);
    EXPECT_EQ(font->DumpBitmapFont(scratch.File("x").c_str(), "X"), QUOR_ERR_ARGUMENT);
}

// Catches glyphs misplaced by the rasteriser (cell, bearing or baseline) or by direct outline
// drawing: both must put the same pixels where the outline font measures them.
TEST(QuorFont, RasterisedFontDrawsLikeTheOutlineFont)
{
    REQUIRE_DEJAVU();
    FontPtr outline = OpenBook();
    ASSERT_TRUE(outline);
    ASSERT_EQ(outline->SetPointSize(10, 96), QUOR_OK);
    FontPtr bitmap(outline->RasterizeFreeType());
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->Kind(), Quor_Font::kBitmap);
    EXPECT_EQ(std::pair(bitmap->LineToLineHeight(), bitmap->FontHeight()), std::pair(outline->LineToLineHeight(), outline->FontHeight()));
    EXPECT_GT(outline->LineToLineHeight(), outline->FontHeight());
    for (int c = 32; c < 256; c = c == 126 ? 160 : c + 1) {
        const char one[2] = {char(c), 0};
        ASSERT_EQ(bitmap->StringWidth(one), outline->StringWidth(one)) << "code " << c;
    }
    // A text without kerned pairs draws identically both ways.
    const char* text = "Hello, 123 \xE9t\xE9 [fig]";
    int singles = 0;
    for (const char* p = text; *p; p++)
        singles += outline->StringWidth(std::string(1, *p).c_str());
    ASSERT_EQ(outline->StringWidth(text), singles) << "the sample text has kerned pairs";
    Canvas direct(150, 24, Quor_ColorOps::White), converted(150, 24, Quor_ColorOps::White);
    // Start left of the image so both paths clip the same way.
    outline->DrawString(direct.Img(), text, -3, 15, Quor_ColorOps::Black);
    bitmap->DrawString(converted.Img(), text, -3, 15, Quor_ColorOps::Black);
    EXPECT_TRUE(direct.MatchesWindowOf(converted));
}

// Catches font sizes from settings that make the rasteriser allocate a strip of gigabytes (or
// overflow its size), and failures reported as fonts.
TEST(QuorFont, AbsurdSizesAreClampedOrRefused)
{
    REQUIRE_DEJAVU();
    FontPtr outline = OpenBook();
    ASSERT_TRUE(outline);
    ASSERT_EQ(outline->SetPointSize(Quor_Font::kMaxPointSize, 96), QUOR_OK);
    FontPtr largest(outline->RasterizeFreeType());
    ASSERT_EQ(outline->SetPointSize(5000, 96), QUOR_OK);
    FontPtr huge(outline->RasterizeFreeType());
    ASSERT_TRUE(largest && huge);
    EXPECT_EQ(std::pair(huge->BitmapData().fontWidth, huge->LineToLineHeight()),
        std::pair(largest->BitmapData().fontWidth, largest->LineToLineHeight()));
    EXPECT_LE(huge->LineToLineHeight(), 200);

    ASSERT_EQ(outline->SetPointSize(Quor_Font::kMinPointSize, 96), QUOR_OK);
    const int smallest = outline->LineToLineHeight();
    ASSERT_EQ(outline->SetPointSize(-40, 96), QUOR_OK);
    EXPECT_TRUE(outline->LineToLineHeight() == smallest && smallest >= 1) << smallest;
    for (double size : {std::nan(""), double(INFINITY)})
        EXPECT_EQ(outline->SetFractionalPointSize(size, 96), QUOR_ERR_ARGUMENT) << size;
    ASSERT_EQ(outline->SetPixelSize(1000000), 0);
    EXPECT_LE(outline->LineToLineHeight(), 200);

    // A size set on the face directly is refused by the rasteriser rather than rendered.
    ASSERT_EQ(FT_Set_Pixel_Sizes(outline->FreeTypeFace(), 0, 5000), 0);
    EXPECT_FALSE(FontPtr(outline->RasterizeFreeType()) || FontPtr(outline->RasterizeFreeType(15, 11)));
    ASSERT_EQ(outline->SetPixelSize(12), 0);
    EXPECT_TRUE(FontPtr(outline->RasterizeFreeType(15, 11)));
    for (const auto& strip : {std::pair{0, 0}, {Quor_Font::kMaxStripHeight + 1, 11}, {15, 16}, {15, -1}})
        EXPECT_FALSE(FontPtr(outline->RasterizeFreeType(strip.first, strip.second))) << strip.first << ", " << strip.second;

    // Bitmap fonts have no size to set and nothing to rasterise.
    FontPtr builtin = Embedded(0);
    EXPECT_TRUE(builtin->SetPointSize(12, 96) == QUOR_ERR_ARGUMENT && !FontPtr(builtin->RasterizeFreeType()));
}

// Catches unserialised FreeType calls: the render thread and the interface measure one face at the
// same time (run under the sanitizers to see the races themselves).
TEST(QuorFont, ConcurrentUseOfOneFaceIsSerialised)
{
    REQUIRE_DEJAVU();
    FontPtr outline = OpenBook();
    ASSERT_TRUE(outline);
    const char* text = "Concurrent measuring, AVAVA 0123";
    const int expected = outline->StringWidth(text);
    std::vector<int> wrong(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; t++) {
        threads.emplace_back([&, t] {
            Canvas canvas(120, 20, Quor_ColorOps::White);
            for (int i = 0; i < 150; i++) {
                if (t == 0 && i % 50 == 0)
                    wrong[t] += FontPtr(outline->RasterizeFreeType()) ? 0 : 1;
                wrong[t] += outline->StringWidth(text) != expected;
                outline->DrawString(canvas.Img(), text, 0, 14, Quor_ColorOps::Black);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int t = 0; t < 4; t++)
        EXPECT_EQ(wrong[t], 0) << "thread " << t;
}

// Catches the library being closed under open faces (a use after free in every later call and in
// the font's destructor), and a library that does not start again.
TEST(QuorFont, LibraryShutdownWaitsForTheLastFont)
{
    REQUIRE_DEJAVU();
    ASSERT_TRUE(Quor_Font::InitFreeType());
    FontPtr font = OpenBook();
    ASSERT_TRUE(font);
    const int width = font->StringWidth("Shutdown");
    Quor_Font::ShutdownFreeType();
    EXPECT_EQ(font->StringWidth("Shutdown"), width);
    Canvas canvas(80, 20, Quor_ColorOps::White);
    font->DrawString(canvas.Img(), "Shutdown", 0, 14, Quor_ColorOps::Black);
    font.reset();
    FontPtr again = OpenBook();
    ASSERT_TRUE(again);
    EXPECT_EQ(again->StringWidth("Shutdown"), width);
}
