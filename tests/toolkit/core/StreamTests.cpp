// Token streams over files and memory: number forms, string limits, paths relative to the
// document, memory growth and clamping.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/TestFiles.h"
#include "toolkit/core/Quor_FileStream.h"
#include "toolkit/core/Quor_MemStream.h"
#include "toolkit/core/Quor_Number.h"

namespace {

std::string Written(Quor_MemStream& stream)
{
    return std::string(stream.RawData(), static_cast<size_t>(stream.FileSize()));
}

std::string FloatText(float value)
{
    Quor_MemStream stream;
    stream.OpenWrite();
    stream.WriteFloat(value);
    return Written(stream);
}

// A memory stream reading the given text (kept alive by the caller).
struct TextReader {
    explicit TextReader(const std::string& text) : fText(text) { fStream.OpenRead(fText.data(), static_cast<int64_t>(fText.size())); }
    std::string fText;
    Quor_MemStream fStream;
};

// A file stream reading the given text from a scratch file.
struct FileReader {
    explicit FileReader(const std::string& text)
    {
        quor_test::WriteFileBytes(fScratch.File("in.txt"), text);
        fStream.Open(fScratch.File("in.txt").c_str(), true);
    }
    quor_test::ScratchDir fScratch;
    Quor_FileStream fStream;
};

// The same text through both stream kinds, for rules that must hold in each.
struct BothKinds {
    explicit BothKinds(const std::string& text) : fMemory(text), fFile(text) {}
    TextReader fMemory;
    FileReader fFile;
    Quor_IoStream* const fAll[2] = {&fMemory.fStream, &fFile.fStream};
};

}  // namespace

TEST(CoreStreamNumbers, FloatsAreWrittenShortAndExact)
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

TEST(CoreStreamNumbers, NonFiniteAndOutOfRangeTextsFailToRead)
{
    // Catches "%f" accepting nan and inf, which poison every computation of a loaded document.
    for (const char* text : {"nan", "inf", "-inf", "NaN", "-nan", "infinity", "1e39", "-1e400"}) {
        float value = 7.0f;
        FileReader file(text);
        EXPECT_FALSE(file.fStream.ReadFloat(&value)) << text;
        // Memory streams take no exponent; their non-finite texts fail the same way.
        if (std::strchr(text, 'e') == nullptr || std::strchr(text, 'n') != nullptr) {
            TextReader memory(text);
            EXPECT_FALSE(memory.fStream.ReadFloat(&value)) << text;
        }
        EXPECT_EQ(value, 7.0f) << text;
    }
    int i = 5;
    FileReader bigInt("2147483648");
    EXPECT_FALSE(bigInt.fStream.ReadInt(&i));
    TextReader bigMemory("-2147483649");
    EXPECT_FALSE(bigMemory.fStream.ReadInt(&i));
    EXPECT_EQ(i, 5);

    // What "%f" and "%d" accept for finite values still reads in file streams.
    FileReader forms("  1e30 +2.5 -7e-2 1e-50 +12 -0");
    for (float want : {1e30f, 2.5f, -0.07f, 0.0f}) {
        float f = 1.0f;
        ASSERT_TRUE(forms.fStream.ReadFloat(&f));
        EXPECT_EQ(f, want);
    }
    for (int want : {12, 0}) {
        ASSERT_TRUE(forms.fStream.ReadInt(&i));
        EXPECT_EQ(i, want);
    }
    EXPECT_FALSE(forms.fStream.ReadInt(&i));
}

TEST(CoreStreamNumbers, BooleansAndIntegersReadBackInBothKinds)
{
    // Catches "%ld" on an int (stack overwrite on LP64) and boolean tokens read differently per stream kind.
    Quor_MemStream out;
    out.OpenWrite();
    out.WriteBool(true);
    out.Space();
    out.WriteBool(false);
    out.Space();
    out.WriteInt(INT_MIN);
    out.Space();
    out.Write("1");
    const std::string text = Written(out);
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

TEST(CoreStreamText, BoundedReadsKeepTheirLimitsWithoutOverflow)
{
    // Catches string reads writing past maxLen (guard bytes) and lines read past their limit.
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

    const std::string longToken(300, 'x');
    FileReader tokens(longToken + " next");
    char token[Quor_IoStream::kTokenSize];
    ASSERT_TRUE(tokens.fStream.ReadString(sizeof token, token));
    EXPECT_EQ(std::strlen(token), 254u);
    char tiny[5];
    std::memset(tiny, '#', sizeof tiny);
    ASSERT_TRUE(tokens.fStream.ReadString(4, tiny));  // the rest of the long token, cut
    EXPECT_STREQ(tiny, "xxx");
    EXPECT_EQ(tiny[4], '#');
    EXPECT_STREQ(tokens.fStream.Read(), "next");
    TextReader memoryToken(longToken);
    EXPECT_FALSE(memoryToken.fStream.ReadString(sizeof token, token));
}

TEST(CoreStreamPaths, PathsAreRelativeOnlyInsideTheDocumentFolder)
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
    ASSERT_EQ(out.Open(doc.c_str(), false), 0);
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
    ASSERT_EQ(in.Open(doc.c_str(), true), 0);
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
    ASSERT_EQ(bare.Open("bare.qpm", false), 0);
    bare.WritePath("/home/u/a.jpg");
    bare.Space();
    bare.WriteQuoteString("rel.jpg");
    bare.Close();
    EXPECT_EQ(quor_test::ReadFileBytes("bare.qpm"), "\"/home/u/a.jpg\" \"rel.jpg\"");
    ASSERT_EQ(bare.Open("bare.qpm", true), 0);
    ASSERT_TRUE(bare.ReadPath(&path));
    EXPECT_STREQ(path, "/home/u/a.jpg");
    ASSERT_TRUE(bare.ReadPath(&path));
    EXPECT_EQ(std::string(path), std::string(here) + "/rel.jpg");
    bare.Close();
    ASSERT_EQ(chdir(old), 0);
}

TEST(CoreStreamPaths, LongQuotedPathsRoundTripThroughBothKinds)
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
    ASSERT_EQ(out.Open(file.c_str(), false), 0);
    EXPECT_EQ(std::string(out.Pathname()), file);
    out.WritePath(longPath.c_str());
    out.Close();
    Quor_FileStream in;
    ASSERT_EQ(in.Open(file.c_str(), true), 0);
    Quor_String path;
    ASSERT_TRUE(in.ReadPath(&path));
    EXPECT_EQ(std::string(path), longPath);

    Quor_MemStream memory;
    memory.OpenWrite();
    memory.WritePath(longPath.c_str());
    const std::string bytes = Written(memory);
    TextReader back(bytes);
    ASSERT_TRUE(back.fStream.ReadPath(&path));
    EXPECT_EQ(path.Length(), 1000);
}

TEST(CoreMemStream, GrowsByDoublingAndClampsPositions)
{
    // Catches a position of -1 on an empty stream (a read of data[-1]) and growth that leaves
    // no spare bytes.
    Quor_MemStream stream;
    ASSERT_EQ(stream.OpenWrite(2048), 0);
    stream.SetFilePos(5);
    EXPECT_EQ(stream.FilePos(), 0);
    stream.SetFilePos(-3);
    EXPECT_EQ(stream.FilePos(), 0);
    char c;
    EXPECT_FALSE(stream.ReadChar(&c));

    const std::string block(2046, 'z');
    EXPECT_EQ(stream.WriteBytes(block.data(), 2046), 2046);
    EXPECT_EQ(stream.Capacity(), 2048);
    stream.WriteChar('!');
    EXPECT_EQ(stream.Capacity(), 4096);
    EXPECT_EQ(stream.FileSize(), 2047);
    stream.SetFilePos(1 << 30);
    EXPECT_EQ(stream.FilePos(), 2047);
    EXPECT_FALSE(stream.ReadChar(&c));
    stream.SetFilePos(2046);
    ASSERT_TRUE(stream.ReadChar(&c));
    EXPECT_EQ(c, '!');
    EXPECT_FALSE(stream.WriteFailed());

    EXPECT_EQ(Quor_MemStream().OpenRead(nullptr, 4), -3);
    TextReader reader("abc");
    reader.fStream.WriteString("x");  // read-only: dropped and noted
    EXPECT_TRUE(reader.fStream.WriteFailed());
    EXPECT_EQ(reader.fText, "abc");
}

TEST(CoreMemStream, TruncateDropsTheStaleTailOfAnOlderSnapshot)
{
    // Catches an undo snapshot that keeps the end of a longer, older one after it.
    Quor_MemStream snapshot;
    snapshot.OpenWrite();
    snapshot.WriteString("photo \"a.jpg\" photo \"b crop 1 2 3 4 .jpg\"");
    snapshot.Rewind();
    snapshot.Truncate();
    snapshot.WriteString("photo \"a.jpg\"");
    EXPECT_EQ(Written(snapshot), "photo \"a.jpg\"");

    snapshot.Rewind();  // without truncating, the size is kept
    snapshot.WriteString("x");
    EXPECT_EQ(snapshot.FileSize(), 13);
}

TEST(CoreFileStream, OpenFailsOnMissingFilesAndNonRegularFiles)
{
    // Catches a read open of a FIFO that blocks forever, and failures reported as success.
    quor_test::ScratchDir scratch;
    Quor_FileStream stream;
    EXPECT_EQ(stream.Open(nullptr, true), -3);
    EXPECT_EQ(stream.Open(scratch.File("missing").c_str(), true), -6);
    EXPECT_EQ(stream.Open(scratch.Path().c_str(), true), -6);  // a folder
    ASSERT_EQ(mkfifo(scratch.File("pipe.qpm").c_str(), 0600), 0);
    EXPECT_EQ(stream.Open(scratch.File("pipe.qpm").c_str(), true), -6);
    EXPECT_FALSE(stream.IsOpen());
    EXPECT_STREQ(stream.Pathname(), "");

    // Writes that the disk refuses are noted by the time the stream closes.
    if (access("/dev/full", W_OK) == 0) {
        ASSERT_EQ(stream.Open("/dev/full", false), 0);
        stream.WriteString("abc");
        stream.Close();
        EXPECT_TRUE(stream.WriteFailed());
    }
}

TEST(CoreFileStream, CurrentLineCountsLineFeedsBeforeThePosition)
{
    // Catches line numbers that are off by one or that move the read position.
    FileReader file("a\nb\n\"c\" d");
    Quor_String s;
    ASSERT_TRUE(file.fStream.Read(&s));
    ASSERT_TRUE(file.fStream.Read(&s));
    EXPECT_EQ(file.fStream.CurrentLine(), 2);
    ASSERT_TRUE(file.fStream.ReadQuoteString(&s));
    EXPECT_EQ(file.fStream.CurrentLine(), 3);
    ASSERT_TRUE(file.fStream.Read(&s));
    EXPECT_STREQ(s, "d");
}
