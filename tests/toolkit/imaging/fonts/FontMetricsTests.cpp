// Built-in font metrics, text measuring, the source dump and the generated font tables.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "tests/support/TestFiles.h"
#include "tests/toolkit/imaging/fonts/FontTestSupport.h"

using namespace font_test;

// Catches built-in tables that drift from the interface metrics: every widget's layout is sized
// from these heights, baselines and advances.
TEST(fonts_Builtin, EveryFontMatchesTheMetricTable)
{
    for (int index = 0; index < Quor_Font::kEmbeddedFontCount; index++) {
        SCOPED_TRACE(kExpected[index].prefix);
        FontPtr font = Embedded(index);
        ASSERT_TRUE(font);
        const ExpectedFont& e = kExpected[index];
        const Quor_bitmapFont data = font->BitmapData();
        EXPECT_EQ(font->Kind(), Quor_Font::kBitmap);
        EXPECT_EQ(data.fontWidth, e.fontWidth);
        EXPECT_EQ(font->LineToLineHeight(), e.fontHeight);
        EXPECT_EQ(font->FontHeight(), e.fontBaseHeight);
        EXPECT_EQ(font->StringWidth(" "), e.space);
        EXPECT_EQ(font->StringWidth("A"), e.a);
        EXPECT_EQ(font->StringWidth("W"), e.w);
        EXPECT_EQ(font->StringWidth("i"), e.i);
        EXPECT_EQ(font->Name(), "Bitmap Font");

        // The cells tile the strip exactly, in code order.
        int64_t x = 0;
        for (int c = 0; c < 256; c++) {
            ASSERT_EQ(data.charOffset[c], x) << "code " << c;
            EXPECT_GE(data.charWidth[c], 1) << "code " << c;
            x += data.charWidth[c];
        }
        EXPECT_EQ(x, e.fontWidth);
    }
    // Unknown indices give the regular small font.
    for (int index : {-1, 6, 1000}) {
        FontPtr font = Embedded(index);
        ASSERT_TRUE(font);
        EXPECT_EQ(font->BitmapData().fontBmp, Embedded(0)->BitmapData().fontBmp);
    }
}

// Catches tab widths, signed-char indexing of bytes above 127 and the empty-string width.
TEST(fonts_Builtin, StringWidthSumsAdvancesWithTabsAsFourSpaces)
{
    FontPtr regular = Embedded(0);
    EXPECT_EQ(regular->StringWidth(""), 0);
    EXPECT_EQ(regular->StringWidth("\t"), 16);
    EXPECT_EQ(regular->StringWidth("AW"), 19);
    EXPECT_EQ(regular->StringWidth("A\tW"), 35);
    for (int index = 0; index < Quor_Font::kEmbeddedFontCount; index++) {
        FontPtr font = Embedded(index);
        const Quor_bitmapFont data = font->BitmapData();
        EXPECT_EQ(font->StringWidth("\t"), 4 * data.charAdvance[' ']);
        // Latin-1 letters measure with their own advances.
        EXPECT_EQ(font->StringWidth("\xC5\xE9\xFF"),
                  data.charAdvance[0xC5] + data.charAdvance[0xE9] + data.charAdvance[0xFF]);
        EXPECT_GT(data.charAdvance[0xE9], 0);
    }
}

// Catches a dump whose layout drifts (lines, separators, "%ld" of an int) or whose values do not
// read back: the committed tables must be exactly what dumping the compiled-in fonts writes.
TEST(fonts_Dump, BuiltinFontsDumpToTheirCommittedTables)
{
    quor_test::ScratchDir scratch;
    for (int index = 0; index < Quor_Font::kEmbeddedFontCount; index++) {
        const ExpectedFont& e = kExpected[index];
        SCOPED_TRACE(e.prefix);
        FontPtr font = Embedded(index);
        const std::string path = scratch.File(std::string(e.prefix) + ".txt");
        ASSERT_EQ(font->DumpBitmapFont(path.c_str(), e.prefix), 0);
        const std::string dump = quor_test::ReadFileBytes(path);

        const std::string committed = quor_test::ReadFileBytes(quor_test::SourcePath(e.dataFile));
        EXPECT_NE(committed.find(dump), std::string::npos) << "the table file differs from a dump";

        const std::string head = "int32\tk" + std::string(e.prefix) + "fontWidth = " +
                                 std::to_string(e.fontWidth) + ";\nint32\tk" + e.prefix +
                                 "fontHeight = ";
        EXPECT_EQ(dump.compare(0, head.size(), head), 0);

        // Exactly four lines of 64 values between the opening and closing lines of each table.
        for (const char* name : {"charOffset", "charWidth", "charAdvance", "charDelta"}) {
            const std::string open = "int32\tk" + std::string(e.prefix) + name + "[] = {\n";
            const size_t begin = dump.find(open);
            ASSERT_NE(begin, std::string::npos) << name;
            const size_t end = dump.find("\n};\n", begin);
            const std::string body = dump.substr(begin + open.size(), end - begin - open.size());
            size_t lines = 1, commas = 0;
            for (char c : body) {
                lines += c == '\n';
                commas += c == ',';
            }
            EXPECT_EQ(lines, 4u) << name;
            EXPECT_EQ(commas, 256u) << name;
            EXPECT_EQ(body[0], '\t');
        }

        ParsedFont parsed;
        ASSERT_TRUE(ParseDump(dump, e.prefix, &parsed));
        const Quor_bitmapFont data = font->BitmapData();
        EXPECT_EQ(parsed.fontWidth, data.fontWidth);
        EXPECT_EQ(parsed.fontHeight, data.fontHeight);
        EXPECT_EQ(parsed.fontBaseHeight, data.fontBaseHeight);
        ASSERT_EQ(parsed.charDelta.size(), 256u);
        ASSERT_EQ(parsed.fontBmp.size(), size_t(int64_t(data.fontWidth) * data.fontHeight));
        for (int c = 0; c < 256; c++) {
            EXPECT_EQ(parsed.charOffset[c], data.charOffset[c]);
            EXPECT_EQ(parsed.charWidth[c], data.charWidth[c]);
            EXPECT_EQ(parsed.charAdvance[c], data.charAdvance[c]);
            EXPECT_EQ(parsed.charDelta[c], data.charDelta[c]);
        }
        for (size_t i = 0; i < parsed.fontBmp.size(); i++)
            ASSERT_EQ(parsed.fontBmp[i], data.fontBmp[i]) << "byte " << i;
    }
}

// Catches a copy that loses data, and dumps of fonts that are not bitmap fonts or to places that
// cannot be written reported as success.
TEST(fonts_Dump, CopiedFontDumpsIdenticallyAndFailuresAreReported)
{
    quor_test::ScratchDir scratch;
    FontPtr original = Embedded(4);
    FontPtr copy(Quor_Font::CreateBitmapFont(original->BitmapData()));
    ASSERT_TRUE(copy);
    EXPECT_NE(copy->BitmapData().fontBmp, original->BitmapData().fontBmp);
    const std::string a = scratch.File("a"), b = scratch.File("b");
    ASSERT_EQ(original->DumpBitmapFont(a.c_str(), "X"), 0);
    ASSERT_EQ(copy->DumpBitmapFont(b.c_str(), "X"), 0);
    EXPECT_EQ(quor_test::ReadFileBytes(a), quor_test::ReadFileBytes(b));

    EXPECT_EQ(original->DumpBitmapFont((scratch.Path() + "/missing/dir/x").c_str(), "X"), -5);
    EXPECT_EQ(original->DumpBitmapFont(nullptr, "X"), -3);
    EXPECT_EQ(original->DumpBitmapFont("/dev/full", "X"), -7);
}

// Catches bitmap fonts accepted with cells outside their strip (drawing would read past it) or
// with strips too large to allocate.
TEST(fonts_Builtin, CreateBitmapFontRefusesInconsistentData)
{
    FontPtr font = Embedded(0);
    const Quor_bitmapFont good = font->BitmapData();
    std::vector<int32_t> offsets(good.charOffset, good.charOffset + 256);
    Quor_bitmapFont bad = good;
    bad.charOffset = offsets.data();
    offsets[255] = good.fontWidth - good.charWidth[255] + 1;
    EXPECT_FALSE(FontPtr(Quor_Font::CreateBitmapFont(bad)));
    offsets[255] = -1;
    EXPECT_FALSE(FontPtr(Quor_Font::CreateBitmapFont(bad)));

    bad = good;
    bad.fontHeight = Quor_Font::kMaxStripHeight + 1;
    EXPECT_FALSE(FontPtr(Quor_Font::CreateBitmapFont(bad)));
    bad = good;
    bad.fontWidth = 0x7fffffff;  // the strip bytes would overflow 32 bits
    EXPECT_FALSE(FontPtr(Quor_Font::CreateBitmapFont(bad)));
    bad = good;
    bad.fontBaseHeight = good.fontHeight + 1;
    EXPECT_FALSE(FontPtr(Quor_Font::CreateBitmapFont(bad)));
}

// Catches a generator that is not reproducible, or committed tables that no longer match what it
// makes from the outline faces.
TEST(fonts_Generator, FreshRunReproducesTheCommittedTables)
{
    if (!std::ifstream(kDejaVuBook))
        GTEST_SKIP() << "DejaVu fonts not installed";
    quor_test::ScratchDir scratch;
    const std::string command = std::string("\"") + QUOR_FONTGEN_PATH + "\" \"" + scratch.Path() +
                                "\" > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (const ExpectedFont& e : kExpected) {
        const std::string name = std::string(e.dataFile).substr(std::string(e.dataFile).rfind('/'));
        const std::string fresh = quor_test::ReadFileBytes(scratch.Path() + name);
        ASSERT_FALSE(fresh.empty()) << name;
        EXPECT_TRUE(fresh == quor_test::ReadFileBytes(quor_test::SourcePath(e.dataFile)))
            << name << " differs from a fresh generator run";
    }
}
