// Built-in font metrics, text measuring, the source dump and the generated font tables.

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/TestFiles.h"
#include "tests/toolkit/imaging/fonts/FontTestSupport.h"

using namespace font_test;

// Catches built-in tables that drift from the interface metrics (every widget's layout is sized
// from these heights, baselines and advances), cells that do not tile the strip, unknown indices
// that give no font, and tab widths, signed-char indexing of bytes above 127 and the empty-string
// width in StringWidth.
TEST(QuorFont, EveryFontMatchesTheMetricTable)
{
    for (int index = 0; index < Quor_Font::kEmbeddedFontCount; index++) {
        const ExpectedFont& e = kExpected[index];
        SCOPED_TRACE(e.prefix);
        FontPtr font = Embedded(index);
        ASSERT_TRUE(font);
        const Quor_bitmapFont data = font->BitmapData();
        EXPECT_TRUE(font->Kind() == Quor_Font::kBitmap && font->Name() == "Bitmap Font");
        EXPECT_EQ((std::array{data.fontWidth, font->LineToLineHeight(), font->FontHeight()}),
                  (std::array{e.fontWidth, e.fontHeight, e.fontBaseHeight}));
        EXPECT_EQ((std::array{font->StringWidth(" "), font->StringWidth("A"), font->StringWidth("W"), font->StringWidth("i"),
                              font->StringWidth("\t")}),
                  (std::array{e.space, e.a, e.w, e.i, 4 * e.space}));
        EXPECT_EQ(font->StringWidth("\xC5\xE9\xFF"), data.charAdvance[0xC5] + data.charAdvance[0xE9] + data.charAdvance[0xFF]);
        EXPECT_GT(data.charAdvance[0xE9], 0);
        int64_t x = 0;
        for (int c = 0; c < 256; x += data.charWidth[c], c++)
            ASSERT_TRUE(data.charOffset[c] == x && data.charWidth[c] >= 1) << "code " << c;
        EXPECT_EQ(x, e.fontWidth);
    }
    for (int index : {-1, 6, 1000})
        EXPECT_EQ(Embedded(index)->BitmapData().fontBmp, Embedded(0)->BitmapData().fontBmp) << index;
    FontPtr regular = Embedded(0);
    EXPECT_EQ((std::array{regular->StringWidth(""), regular->StringWidth("\t"), regular->StringWidth("AW"),
                          regular->StringWidth("A\tW")}),
              (std::array{0, 16, 19, 35}));
}

// Catches a dump whose layout drifts (lines, separators, "%ld" of an int) or whose values do not
// read back: the committed tables, compiled into the fonts, must be exactly what dumping those
// fonts writes.
TEST(QuorFont, BuiltinFontsDumpToTheirCommittedTables)
{
    quor_test::ScratchDir scratch;
    for (const ExpectedFont& e : kExpected) {
        const std::string path = scratch.File(std::string(e.prefix) + ".txt");
        ASSERT_EQ(Embedded(int(&e - kExpected))->DumpBitmapFont(path.c_str(), e.prefix), QUOR_OK);
        const std::string dump = quor_test::ReadFileBytes(path);
        EXPECT_TRUE(dump.size() > 4000 && quor_test::ReadFileBytes(quor_test::SourcePath(e.dataFile)).find(dump) != std::string::npos)
            << e.prefix << ": the table file differs from a dump";
    }
}

// Catches a copy that loses data, and dumps of fonts that are not bitmap fonts or to places that
// cannot be written reported as success.
TEST(QuorFont, CopiedFontDumpsIdenticallyAndFailuresAreReported)
{
    quor_test::ScratchDir scratch;
    FontPtr original = Embedded(4);
    FontPtr copy(Quor_Font::CreateBitmapFont(original->BitmapData()));
    ASSERT_TRUE(copy);
    EXPECT_NE(copy->BitmapData().fontBmp, original->BitmapData().fontBmp);
    const std::string a = scratch.File("a"), b = scratch.File("b");
    ASSERT_TRUE(original->DumpBitmapFont(a.c_str(), "X") == 0 && copy->DumpBitmapFont(b.c_str(), "X") == 0);
    EXPECT_EQ(quor_test::ReadFileBytes(a), quor_test::ReadFileBytes(b));
    EXPECT_EQ((std::array{original->DumpBitmapFont((scratch.Path() + "/missing/dir/x").c_str(), "X"),
                  original->DumpBitmapFont(nullptr, "X"), original->DumpBitmapFont("/dev/full", "X")}),
        (std::array{int(QUOR_ERR_CREATE), int(QUOR_ERR_ARGUMENT), int(QUOR_ERR_WRITE)}));
}

// Catches bitmap fonts accepted with cells outside their strip (drawing would read past it), with
// strips too large to allocate or whose byte count overflows 32 bits, or with the baseline below
// the strip.
TEST(QuorFont, CreateBitmapFontRefusesInconsistentData)
{
    FontPtr font = Embedded(0);
    const Quor_bitmapFont good = font->BitmapData();
    std::vector<int32_t> offsets(good.charOffset, good.charOffset + 256);
    const std::function<void(Quor_bitmapFont&)> faults[] = {
        [&](Quor_bitmapFont& f) { f.charOffset = offsets.data(); offsets[255] = good.fontWidth - good.charWidth[255] + 1; },
        [&](Quor_bitmapFont& f) { f.charOffset = offsets.data(); offsets[255] = -1; },
        [&](Quor_bitmapFont& f) { f.fontHeight = Quor_Font::kMaxStripHeight + 1; },
        [&](Quor_bitmapFont& f) { f.fontWidth = 0x7fffffff; },
        [&](Quor_bitmapFont& f) { f.fontBaseHeight = good.fontHeight + 1; },
    };
    for (const auto& fault : faults) {
        Quor_bitmapFont bad = good;
        fault(bad);
        EXPECT_FALSE(FontPtr(Quor_Font::CreateBitmapFont(bad))) << "case " << (&fault - faults);
    }
}

// Catches a generator that is not reproducible, or committed tables that no longer match what it
// makes from the outline faces.
TEST(QuorFont, FreshRunReproducesTheCommittedTables)
{
    REQUIRE_DEJAVU();
    quor_test::ScratchDir scratch;
    const std::string command = std::string("\"") + QUOR_FONTGEN_PATH + "\" \"" + scratch.Path() + "\" > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (const ExpectedFont& e : kExpected) {
        const std::string name = std::string(e.dataFile).substr(std::string(e.dataFile).rfind('/'));
        const std::string fresh = quor_test::ReadFileBytes(scratch.Path() + name);
        ASSERT_FALSE(fresh.empty()) << name;
        EXPECT_TRUE(fresh == quor_test::ReadFileBytes(quor_test::SourcePath(e.dataFile)))
            << name << " differs from a fresh generator run";
    }
}
