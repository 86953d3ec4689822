// The token forms every stream shares: numbers, booleans, words, quoted strings, lines and paths
// relative to the document, read the same way from files and from memory.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/TestFiles.h"
#include "tests/support/TextStreams.h"
#include "toolkit/core/Quor_FileStream.h"
#include "toolkit/core/Quor_MemStream.h"
#include "toolkit/core/Quor_String.h"

using quor_test::BothKinds;
using quor_test::FileReader;
using quor_test::TextReader;

namespace {

std::string FloatText(float value)
{
    Quor_MemStream stream;
    stream.OpenWrite();
    stream.WriteFloat(value);
    return quor_test::Written(stream);
}

// A word as the transcript shows it: short ones as they are, long ones by their length.
std::string Shown(const char* word)
{
    const size_t n = std::strlen(word);
    return n <= 16 ? std::string(word) : "#" + std::to_string(n);
}

// Runs the reads named by `script` (i int, f float, b bool, s word, q quoted string, l line,
// k skip line, c one byte) and writes down what each gave: its value, or "fail".
std::string Transcript(Quor_IoStream* in, const char* script)
{
    std::string out;
    for (const char* op = script; *op; ++op) {
        char text[Quor_IoStream::kTokenSize];
        bool ok = false;
        std::string value;
        switch (*op) {
        case 'i': {
            int i = 0;
            ok = in->ReadInt(&i);
            value = std::to_string(i);
            break;
        }
        case 'f': {
            float f = 0.0f;
            ok = in->ReadFloat(&f);
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, "%g", double(f));
            value = buffer;
            break;
        }
        case 'b': {
            bool b = false;
            ok = in->ReadBool(&b);
            value = b ? "true" : "false";
            break;
        }
        case 's':
            ok = in->ReadString(sizeof text, text);
            value = Shown(text);
            break;
        case 'q':
            ok = in->ReadQuoteString(sizeof text, text);
            value = "\"" + Shown(text) + "\"";
            break;
        case 'l':
            ok = in->ReadLine(sizeof text, text);
            value = "[" + Shown(text) + "]";
            break;
        case 'k':
            ok = in->SkipLine();
            value = "skip";
            break;
        case 'c': {
            char c = 0;
            ok = in->ReadChar(&c);
            value = std::string(1, c);
            break;
        }
        }
        out += (out.empty() ? "" : " ") + (ok ? value : std::string("fail"));
    }
    return out;
}

}  // namespace

TEST(QuorIoStream, FileAndMemoryStreamsReadTheSameTextTheSameWay)
{
    // Catches a memory stream that stops at a word of 255 bytes (a document read ending early
    // as if it had ended), file streams that split long words so that their tail reads as a
    // keyword, and number, boolean and line rules that differ between the two kinds.
    const std::string word254(254, 'w'), word300(300, 'x');
    const struct {
        std::string text;
        const char* script;
        const char* want;
    } cases[] = {
        {word300 + " crop 7", "ssi", "#255 crop 7"},
        {word254 + "crop 1", "sss", "#255 1 fail"},
        {word254 + " a\tb", "sss", "#254 a b"},
        {"  \n\t ", "sibfq", "fail fail fail fail fail"},
        {"12-3 +4 -0 007", "iiiii", "12 -3 4 0 7"},
        {"+2.5 -7e-2 1e3 .5 1e39 4 - 5", "ffffffi", "2.5 -0.07 1000 0.5 fail 4 fail"},
        {std::string(300, '1') + " 5", "ii", "fail 5"},
        {"nan 3", "fsi", "fail nan 3"},
        {"true 1 false 0 truex 1.0 yes", "bbbbbbb", "true true false false fail fail fail"},
        {"\"a b\" rest\nline two\r\nlast", "qslllll", "\"a b\" rest [] [line two] [] fail fail"},
        {"one\r\ntwo\nthree", "kkks", "skip skip skip three"},
        {"\"unclosed", "qc", "fail fail"},
        {"word\"quoted\"", "qsq", "fail word\"quoted\" fail"},
    };
    for (const auto& c : cases) {
        BothKinds both(c.text);
        EXPECT_EQ(Transcript(&both.fMemory.fStream, c.script), c.want) << "memory: " << c.text.substr(0, 40);
        EXPECT_EQ(Transcript(&both.fFile.fStream, c.script), c.want) << "file: " << c.text.substr(0, 40);
    }
}

TEST(QuorIoStream, FloatsAreWrittenShortAndExact)
{
    // Catches trailing zeros, "-0" and exponent forms, and the undefined float-to-integer
    // conversion of values beyond the 64-bit range (1e30 once came out as -9223372036854775808).
    const std::pair<float, const char*> cases[] = {
        {3.0f, "3"}, {2.5f, "2.5"}, {-0.125f, "-0.125"}, {-0.0000004f, "0"}, {0.1f, "0.1"}, {1.25f, "1.25"},
        {-2.9999996f, "-3"}, {1e30f, "1000000015047466219876688855040"},
        {-4611686018427387904.0f, "-4611686018427387904"}, {std::nanf(""), "nan"}, {-INFINITY, "-inf"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(FloatText(value), text) << text;

    const float values[] = {1e30f, -3.4e38f, 4611686018427387904.0f, 123456.5f, -0.5f, 7.0e-3f};
    for (float v : values) {
        const std::string text = FloatText(v);
        EXPECT_EQ(text.find('e'), std::string::npos) << text;
        BothKinds both(text);
        for (Quor_IoStream* in : both.fAll) {
            float back = 0.0f;
            ASSERT_TRUE(in->ReadFloat(&back)) << text;
            EXPECT_EQ(back, v) << text;
        }
    }
}

TEST(QuorIoStream, NonFiniteAndOutOfRangeTextsFailToRead)
{
    // Catches "%f" accepting nan and inf, which poison every computation of a loaded document,
    // and integers beyond the int range wrapping around.
    for (const char* text : {"nan", "inf", "-inf", "NaN", "-nan", "infinity", "1e39", "-1e400"}) {
        BothKinds both(text);
        for (Quor_IoStream* in : both.fAll) {
            float value = 7.0f;
            EXPECT_FALSE(in->ReadFloat(&value)) << text;
            EXPECT_EQ(value, 7.0f) << text;
        }
    }
    for (const char* text : {"2147483648", "-2147483649"}) {
        BothKinds both(text);
        for (Quor_IoStream* in : both.fAll) {
            int i = 5;
            EXPECT_FALSE(in->ReadInt(&i)) << text;
            EXPECT_EQ(i, 5) << text;
        }
    }
}

TEST(QuorIoStream, BooleansAndIntegersReadBackInBothKinds)
{
    // Catches "%ld" on an int (stack overwrite on LP64) and boolean words written in a form the
    // streams do not read back.
    Quor_MemStream out;
    out.OpenWrite();
    out.WriteBool(true);
    out.Space();
    out.WriteBool(false);
    out.Space();
    out.WriteInt(INT_MIN);
    out.Space();
    out.Write("1");
    const std::string text = quor_test::Written(out);
    EXPECT_EQ(text, "true false -2147483648 1");

    BothKinds both(text);
    for (Quor_IoStream* in : both.fAll) {
        bool b1 = false, b2 = true, b3 = false, b4;
        int i = 0;
        EXPECT_TRUE(in->ReadBool(&b1) && in->ReadBool(&b2) && in->ReadInt(&i) && in->ReadBool(&b3));
        EXPECT_TRUE(b1 && !b2 && b3);
        EXPECT_EQ(i, INT_MIN);
        EXPECT_FALSE(in->ReadBool(&b4));
    }
}

TEST(QuorIoStream, BoundedReadsKeepTheirLimitsWithoutOverflow)
{
    // Catches string reads writing past maxLen (guard bytes), lines read past their limit, and
    // bytes read past the end of the data.
    const std::string line254(254, 'a');
    const std::string line255(255, 'b');
    const std::string text = line254 + "\n" + line255 + "\nshort\r\nlast";
    BothKinds lines(text);
    for (Quor_IoStream* in : lines.fAll) {
        char buffer[300];
        EXPECT_TRUE(in->ReadLine(sizeof buffer, buffer));
        EXPECT_EQ(std::string(buffer), line254);
        EXPECT_FALSE(in->ReadLine(sizeof buffer, buffer));  // 255 characters
        char small[8];
        std::memset(small, '#', sizeof small);
        EXPECT_TRUE(in->ReadLine(4, small));  // cut to 3
        EXPECT_STREQ(small, "sho");
        EXPECT_EQ(small[4], '#');
        EXPECT_TRUE(in->ReadLine(sizeof buffer, buffer));  // the LF of CR LF
        EXPECT_STREQ(buffer, "");
        EXPECT_FALSE(in->ReadLine(sizeof buffer, buffer));  // unterminated last line
    }

    const std::string quoted = " \"abc\" \"abcd\" \"open";
    BothKinds quotes(quoted);
    for (Quor_IoStream* in : quotes.fAll) {
        char guarded[6];
        std::memset(guarded, '#', sizeof guarded);
        EXPECT_TRUE(in->ReadQuoteString(4, guarded));  // exactly maxLen - 1 characters fit
        EXPECT_STREQ(guarded, "abc");
        std::memset(guarded, '#', sizeof guarded);
        EXPECT_FALSE(in->ReadQuoteString(4, guarded));  // one more does not
        EXPECT_STREQ(guarded, "abc");
        EXPECT_EQ(guarded[4], '#');
        Quor_String rest;
        EXPECT_TRUE(in->ReadToNextChar('"'));  // the end of "abcd"
        EXPECT_FALSE(in->ReadQuoteString(&rest));  // no closing quote before the end
        EXPECT_STREQ(rest, "open");
    }

    BothKinds words(std::string(300, 'x') + " next");
    for (Quor_IoStream* in : words.fAll) {
        char tiny[6];
        std::memset(tiny, '#', sizeof tiny);
        ASSERT_TRUE(in->ReadString(4, tiny));  // the long word, cut
        EXPECT_STREQ(tiny, "xxx");
        EXPECT_EQ(tiny[4], '#');
        EXPECT_STREQ(in->Read(), "next");
        EXPECT_EQ(in->Read(), nullptr);
    }

    BothKinds bytes("abcdef");
    for (Quor_IoStream* in : bytes.fAll) {
        char buffer[12];
        std::memset(buffer, '#', sizeof buffer);
        in->SetFilePos(4);
        EXPECT_EQ(in->ReadBytes(buffer, 10), 2);  // only the bytes that are there
        EXPECT_EQ(std::string(buffer, 4), "ef##");
        EXPECT_EQ(in->ReadBytes(buffer, 10), 0);
        in->SetFilePos(1);
        EXPECT_EQ(in->ReadBytes(buffer, 8), 5);
        EXPECT_EQ(std::string(buffer, 6), "bcdef#");
        char c;
        EXPECT_FALSE(in->ReadChar(&c));
    }
    // A count far beyond the data must not wrap the memory stream's position arithmetic.
    bytes.fMemory.fStream.SetFilePos(3);
    char buffer[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(bytes.fMemory.fStream.ReadBytes(buffer, INT_MAX), 3);
    EXPECT_EQ(std::string(buffer, 4), "def#");
}

TEST(QuorIoStream, PathsAreRelativeOnlyInsideTheDocumentFolder)
{
    // Catches the sibling-folder trap (/p/docs is not inside /p/doc) and paths of a document
    // without a folder losing their leading "/" on save.
    quor_test::ScratchDir scratch;
    const std::string root = scratch.Path();
    const std::string doc = root + "/doc/x.qpm";
    ASSERT_EQ(mkdir((root + "/doc").c_str(), 0755), 0);
    // Inside the folder, a sibling folder, the folder itself, a name with a drive-like part, and
    // texts that read back as relative ("1:1.jpg") or absolute ("C:/win.jpg").
    const std::pair<std::string, std::string> cases[] = {
        {root + "/doc/img/a.jpg", root + "/doc/img/a.jpg"}, {root + "/docs/b.jpg", root + "/docs/b.jpg"},
        {root + "/doc/c.jpg", root + "/doc/c.jpg"}, {root + "/doc/C:/d.jpg", root + "/doc/./C:/d.jpg"},
        {"\"1:1.jpg\"", root + "/doc/1:1.jpg"}, {"\"C:/win.jpg\"", "C:/win.jpg"},
    };
    Quor_FileStream out;
    ASSERT_EQ(out.Open(doc.c_str(), false), QUOR_OK);
    for (const auto& [written, read] : cases) {
        if (written[0] == '"')
            out.WriteString(written.c_str());
        else
            out.WritePath(written.c_str());
        out.Space();
    }
    out.Close();
    EXPECT_FALSE(out.WriteFailed());
    EXPECT_EQ(quor_test::ReadFileBytes(doc),
              "\"img/a.jpg\" \"" + root + "/docs/b.jpg\" \"c.jpg\" \"./C:/d.jpg\" \"1:1.jpg\" \"C:/win.jpg\" ");
    Quor_FileStream in;
    ASSERT_EQ(in.Open(doc.c_str(), true), QUOR_OK);
    Quor_String path;
    for (const auto& [written, read] : cases) {
        ASSERT_TRUE(in.ReadPath(&path));
        EXPECT_EQ(std::string(path), read);
    }

    // A document opened by a bare name has no folder: absolute paths stay absolute, and
    // relative ones read back against the current folder.
    char old[4096], here[4096];
    ASSERT_NE(getcwd(old, sizeof old), nullptr);
    ASSERT_EQ(chdir((root + "/doc").c_str()), 0);
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    Quor_FileStream bare;
    ASSERT_EQ(bare.Open("bare.qpm", false), QUOR_OK);
    bare.WritePath("/home/u/a.jpg");
    bare.Space();
    bare.WriteQuoteString("rel.jpg");
    bare.Close();
    EXPECT_EQ(quor_test::ReadFileBytes("bare.qpm"), "\"/home/u/a.jpg\" \"rel.jpg\"");
    ASSERT_EQ(bare.Open("bare.qpm", true), QUOR_OK);
    ASSERT_TRUE(bare.ReadPath(&path));
    EXPECT_STREQ(path, "/home/u/a.jpg");
    ASSERT_TRUE(bare.ReadPath(&path));
    EXPECT_EQ(std::string(path), std::string(here) + "/rel.jpg");
    bare.Close();
    ASSERT_EQ(chdir(old), 0);
}

TEST(QuorIoStream, LongQuotedPathsRoundTripThroughBothKinds)
{
    // Catches the 256-character limit that made a project with one deep photo path unreadable.
    quor_test::ScratchDir scratch;
    const std::string longPath = "/" + std::string(999, 'p');
    std::string folder = scratch.Path();
    for (int i = 0; i < 4; ++i) {
        folder += "/" + std::string(250, static_cast<char>('a' + i));
        ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    }
    const std::string file = folder + "/doc.qpm";
    Quor_FileStream out;
    ASSERT_EQ(out.Open(file.c_str(), false), QUOR_OK);
    EXPECT_EQ(std::string(out.Pathname()), file);
    out.WritePath(longPath.c_str());
    out.Close();
    Quor_FileStream in;
    ASSERT_EQ(in.Open(file.c_str(), true), QUOR_OK);
    Quor_String path;
    ASSERT_TRUE(in.ReadPath(&path));
    EXPECT_EQ(std::string(path), longPath);

    Quor_MemStream memory;
    memory.OpenWrite();
    memory.WritePath(longPath.c_str());
    TextReader back(quor_test::Written(memory));
    ASSERT_TRUE(back.fStream.ReadPath(&path));
    EXPECT_EQ(path.Length(), 1000);
}
