// The token forms every stream shares: numbers, booleans, words, quoted strings, lines and paths
// relative to the document, read the same way from files and from memory.
#include <gtest/gtest.h>

#include <cctype>
#include <climits>
#include <cmath>
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
// k skip line, c one byte; S, Q and L read into a buffer of 4) and writes down what each gave:
// its value, or "fail". A read that writes past its buffer adds "!overrun", a failed number or
// boolean read that changes its variable "!changed".
std::string Transcript(Quor_IoStream* in, const char* script)
{
    std::string out;
    for (const char* op = script; *op; ++op) {
        const int maxLen = std::isupper(static_cast<unsigned char>(*op)) ? 4 : Quor_IoStream::kTokenSize;
        char text[Quor_IoStream::kTokenSize + 8];
        std::memset(text, '#', sizeof text);
        int i = -99;
        float f = -99.0f;
        bool b = false, ok = false;
        char c = 0;
        std::string value;
        switch (std::tolower(static_cast<unsigned char>(*op))) {
        case 'i': ok = in->ReadInt(&i), value = std::to_string(i); break;
        case 'f': ok = in->ReadFloat(&f), value = testing::PrintToString(f); break;
        case 'b': ok = in->ReadBool(&b), value = b ? "true" : "false"; break;
        case 's': ok = in->ReadString(maxLen, text), value = Shown(text); break;
        case 'q': ok = in->ReadQuoteString(maxLen, text), value = "\"" + Shown(text) + "\""; break;
        case 'l': ok = in->ReadLine(maxLen, text), value = "[" + Shown(text) + "]"; break;
        case 'k': ok = in->SkipLine(), value = "skip"; break;
        case 'c': ok = in->ReadChar(&c), value = std::string(1, c); break;
        }
        const bool changed = i != -99 || f != -99.0f || b;
        out += (out.empty() ? "" : " ") + (ok ? value : std::string("fail")) + (!ok && changed ? "!changed" : "");
        if (std::string(text + maxLen, 8) != "########")
            out += "!overrun";
    }
    return out;
}

}  // namespace

TEST(QuorIoStream, FileAndMemoryStreamsReadTheSameTextTheSameWay)
{
    // Catches a memory stream that stops at a word of 255 bytes (a document read ending early
    // as if it had ended), file streams that split long words so that their tail reads as a
    // keyword, number, boolean and line rules that differ between the two kinds, "%f" accepting
    // nan and inf (which poison every computation of a loaded document), integers beyond the int
    // range wrapping around, failed reads that change their variable, and bounded reads writing
    // past their buffer or keeping lines longer than their limit.
    const std::string word254(254, 'w'), word300(300, 'x');
    const struct {
        std::string text;
        const char *script, *want;
    } cases[] = {
        {word300 + " crop 7", "ssi", "#255 crop 7"}, {word254 + "crop 1", "sss", "#255 1 fail"},
        {word254 + " a\tb", "sss", "#254 a b"}, {word300 + " next", "Sss", "xxx next fail"},
        {"  \n\t ", "sibfq", "fail fail fail fail fail"}, {"12-3 +4 -0 007 -2147483648", "iiiiii", "12 -3 4 0 7 -2147483648"},
        {"2147483648\n-2147483649", "iki", "fail skip fail"},
        {"+2.5 -7e-2 1e3 .5 1e39 4 - 5", "ffffffi", "2.5 -0.07 1000 0.5 fail 4 fail"},
        {std::string(300, '1') + " 5", "ii", "fail 5"}, {"nan 3", "fsi", "fail nan 3"},
        {"inf\n-inf\nNaN\n-nan\ninfinity\n-1e400", "fkfkfkfkfkf", "fail skip fail skip fail skip fail skip fail skip fail"},
        {"true 1 false 0 truex 1.0 yes", "bbbbbbb", "true true false false fail fail fail"},
        {"\"a b\" rest\nline two\r\nlast", "qslllll", "\"a b\" rest [] [line two] [] fail fail"},
        {std::string(254, 'a') + "\n" + std::string(255, 'b') + "\nshort\r\nlast", "llLll", "[#254] fail [sho] [] fail"},
        {"one\r\ntwo\nthree", "kkks", "skip skip skip three"}, {" \"abc\" \"abcd\"", "QQ", "\"abc\" fail"},
        {"\"unclosed", "qc", "fail fail"}, {"word\"quoted\"", "qsq", "fail word\"quoted\" fail"},
    };
    for (const auto& c : cases) {
        BothKinds both(c.text);
        EXPECT_EQ(Transcript(&both.fMemory.fStream, c.script), c.want) << "memory: " << c.text.substr(0, 40);
        EXPECT_EQ(Transcript(&both.fFile.fStream, c.script), c.want) << "file: " << c.text.substr(0, 40);
    }
}

TEST(QuorIoStream, NumbersAreWrittenShortAndExact)
{
    // Catches trailing zeros, "-0" and exponent forms, the undefined float-to-integer conversion
    // of values beyond the 64-bit range (1e30 once came out as -9223372036854775808), "%ld" on an
    // int, and boolean words written in a form the streams do not read back.
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

    Quor_MemStream out;
    out.OpenWrite();
    out.WriteBool(true);
    out.Space();
    out.WriteBool(false);
    out.Space();
    out.WriteInt(INT_MIN);
    EXPECT_EQ(quor_test::Written(out), "true false -2147483648");
}

TEST(QuorIoStream, ReadBytesStopsAtTheEndOfTheData)
{
    // Catches bytes read past the end of the data, and a count far beyond it wrapping the memory
    // stream's position arithmetic.
    BothKinds bytes("abcdef");
    for (Quor_IoStream* in : bytes.fAll) {
        char buffer[12];
        std::memset(buffer, '#', sizeof buffer);
        in->SetFilePos(4);
        EXPECT_EQ(in->ReadBytes(buffer, 10), 2);  // only the bytes that are there
        EXPECT_TRUE(std::string(buffer, 4) == "ef##" && in->ReadBytes(buffer, 10) == 0);
        in->SetFilePos(1);
        char c;
        EXPECT_TRUE(in->ReadBytes(buffer, 8) == 5 && std::string(buffer, 6) == "bcdef#" && !in->ReadChar(&c));
    }
    bytes.fMemory.fStream.SetFilePos(3);
    char buffer[4] = {'#', '#', '#', '#'};
    EXPECT_TRUE(bytes.fMemory.fStream.ReadBytes(buffer, INT_MAX) == 3 && std::string(buffer, 4) == "def#");
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
    // A stream in memory has no folder: a relative path reads back as it was written.
    Quor_MemStream relative;
    relative.OpenWrite();
    relative.WriteQuoteString("rel/a.jpg");
    TextReader rel(quor_test::Written(relative));
    ASSERT_TRUE(rel.fStream.ReadPath(&path));
    EXPECT_STREQ(path, "rel/a.jpg");
}
