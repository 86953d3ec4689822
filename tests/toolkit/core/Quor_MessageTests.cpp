// Messages: typed fields stored as text, and the quoted text form of the settings files.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestFiles.h"
#include "toolkit/core/Quor_FileStream.h"
#include "toolkit/core/Quor_MemStream.h"
#include "toolkit/core/Quor_Message.h"

namespace {

Quor_Message Sample()
{
    Quor_Message m(-1006);
    m.Set("FocalLength", 35.0f);
    m.Set("Fisheye", true);
    m.Set("SmallFontSize", -12);
    m.Set("BackCol", rgb_color{1, 2, 3, 255});
    m.Set("where", Quor_Point(-4, 70000));
    m.Set("frame", Quor_Rect(32, 64, 811, 463));
    m.Set("FontDir", "/usr/share/fonts/truetype");
    m.Set("empty", "");
    return m;
}

std::string SaveText(const Quor_Message& m, bool withWhat)
{
    Quor_MemStream out;
    out.OpenWrite();
    m.Save(&out, withWhat);
    return std::string(out.RawData(), static_cast<size_t>(out.FileSize()));
}

Quor_Message LoadText(const std::string& text)
{
    Quor_MemStream in;
    in.OpenRead(text.data(), static_cast<int64_t>(text.size()));
    Quor_Message m;
    m.Load(&in);
    return m;
}

// Both messages hold the same names and value texts in the same order.
void ExpectSameFields(const Quor_Message& got, const Quor_Message& want)
{
    ASSERT_EQ(got.CountKeys(), want.CountKeys());
    for (int i = 0; i < want.CountKeys(); ++i)
        EXPECT_EQ(std::string(got.KeyAt(i)) + "=" + got.ValueAt(i), std::string(want.KeyAt(i)) + "=" + want.ValueAt(i));
}

}  // namespace

TEST(QuorMessage, RoundTripsThroughBothStreamKinds)
{
    // Catches fields lost or mangled between Save and Load, and the what-code line misread.
    const Quor_Message original = Sample();
    const std::string text = SaveText(original, true);
    const std::string head = "\"what\"\t\"-1006\"\n\"FocalLength\"\t\"35.000000\"\n\"Fisheye\"\t\"TRUE\"\n";
    EXPECT_EQ(text.substr(0, head.size()), head);

    Quor_Message loaded = LoadText(text);
    EXPECT_EQ(loaded.what, -1006);
    ExpectSameFields(loaded, original);

    quor_test::ScratchDir scratch;
    const std::string path = scratch.File("user.settings");
    ASSERT_TRUE(original.Save(path.c_str()));
    EXPECT_EQ(quor_test::ReadFileBytes(path), text.substr(15));  // no what line in files
    Quor_Message fromFile;
    fromFile.Set("stale", 1);
    ASSERT_TRUE(fromFile.Load(path.c_str()));
    ExpectSameFields(fromFile, original);
    EXPECT_FALSE(fromFile.Load(scratch.File("missing").c_str()));
    EXPECT_EQ(fromFile.CountKeys(), 0);

    // Point, rectangle and pointer fields read back through their typed getters.
    Quor_Point where;
    Quor_Rect frame;
    void* back = nullptr;
    loaded.SetPtr("target", &where);
    EXPECT_TRUE(loaded.Get("where", &where) && loaded.Get("frame", &frame) && loaded.GetPtr("target", &back));
    EXPECT_TRUE(where == Quor_Point(-4, 70000) && frame == Quor_Rect(32, 64, 811, 463) && back == &where);
}

TEST(QuorMessage, LongValuesAndUnreadableStringsAreHandledQuietly)
{
    // Catches one long value (over 255 characters) stopping the load and dropping every later key.
    const std::string longValue(1000, 'v');
    const std::string text = "\"FontDir\"\t\"" + longValue + "\"\n\"FocalLength\"\t\"50\"\n\"bad\" oops \"later\" \"1\"";
    Quor_Message m = LoadText(text);
    ASSERT_EQ(m.CountKeys(), 2);  // stops quietly at the unquoted value
    const char* value = nullptr;
    ASSERT_TRUE(m.Get("FontDir", &value));
    EXPECT_EQ(std::string(value), longValue);
    float focal = 0.0f;
    EXPECT_TRUE(m.Get("FocalLength", &focal) && focal == 50.0f) << focal;

    // A value holding a quote cannot be written; it is left out and the rest still reads back.
    m.Set("quoted", "say \"hi\"");
    const Quor_Message reread = LoadText(SaveText(m, false));
    EXPECT_TRUE(reread.CountKeys() == 2 && !reread.HasField("quoted"));
}

TEST(QuorMessage, TypedGettersParseClampAndRefuse)
{
    // Catches "%ld" into an int, unclamped colours, and unreadable text overwriting defaults.
    Quor_Message m;
    m.Set("b1", "True");
    m.Set("b2", "1");
    m.Set("b3", "yes");
    m.Set("color", "300 -5 10 255");
    m.Set("short", "1 2 3");
    m.Set("big", "99999999999");
    m.Set("nan", "nan");
    m.Set("word", "abc");
    m.Set("spaced", "  42 px");
    bool b1 = false, b2 = false, b3 = true;
    EXPECT_TRUE(m.Get("b1", &b1) && m.Get("b2", &b2) && m.Get("b3", &b3));
    EXPECT_TRUE(b1 && b2 && !b3);

    rgb_color color{9, 9, 9, 9};
    EXPECT_TRUE(m.Get("color", &color));
    EXPECT_EQ(color, (rgb_color{255, 0, 10, 255}));
    color = rgb_color{9, 9, 9, 9};
    EXPECT_FALSE(m.Get("short", &color));
    EXPECT_EQ(color, (rgb_color{9, 9, 9, 9}));

    int i = 7;
    float f = 1.0f;
    EXPECT_FALSE(m.Get("big", &i) || m.Get("word", &i) || m.Get("missing", &i) || m.Get("nan", &f));
    EXPECT_TRUE(i == 7 && f == 1.0f);
    EXPECT_TRUE(m.Get("spaced", &i) && i == 42) << i;

    m.Set("b1", false);  // replaced in place
    EXPECT_EQ(m.CountKeys(), 9);
    EXPECT_EQ(std::string(m.KeyAt(0)) + "=" + m.ValueAt(0), "b1=FALSE");
    EXPECT_STREQ(m.KeyAt(9), nullptr);

    Quor_Message copy(m);
    m.Set("b2", "0");
    EXPECT_STREQ(copy.ValueAt(1), "1");
}

TEST(QuorMessage, SavingAnEmptyMessageLeavesTheOldFileAlone)
{
    // Catches a settings file truncated by saving a message that has no fields.
    quor_test::ScratchDir scratch;
    const std::string path = scratch.File("app.settings");
    ASSERT_TRUE(quor_test::WriteFileBytes(path, "\"keep\"\t\"me\"\n"));
    Quor_Message empty;
    EXPECT_TRUE(empty.Save(path.c_str()));
    EXPECT_EQ(quor_test::ReadFileBytes(path), "\"keep\"\t\"me\"\n");

    EXPECT_FALSE(Sample().Save(scratch.File("app.settings/inner").c_str()));
    EXPECT_EQ(quor_test::ReadFileBytes(path), "\"keep\"\t\"me\"\n");
}
