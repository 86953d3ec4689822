// Strings, paths and pointer lists: the edge cases callers rely on and the bounds that must hold.
#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cstring>
#include <string>
#include <unistd.h>

#include "tests/support/TestFiles.h"
#include "toolkit/core/Quor_ArrayList.h"
#include "toolkit/core/Quor_Path.h"
#include "toolkit/core/Quor_String.h"

TEST(CoreStringPieces, FieldsAndPiecesFollowTheirContracts)
{
    // Catches piece operations that return the whole text when the character is missing.
    const Quor_String fields("x|y|z"), plain("nodot"), dotted("a.b.c");
    const std::pair<std::string, const char*> cases[] = {
        {fields.Substring(0).Buffer(), "x"}, {fields.Substring(1).Buffer(), "y"},
        {fields.Substring(2).Buffer(), "z"}, {fields.Substring(3).Buffer(), ""},
        {fields.Substring(-1).Buffer(), ""}, {Quor_String("a||b").Substring(1).Buffer(), ""},
        {plain.LeftTo('.').Buffer(), ""}, {plain.LeftToLast('.').Buffer(), ""},
        {plain.RightAfter('.').Buffer(), ""}, {plain.RightAfterFirst('.').Buffer(), ""},
        {dotted.LeftTo('.').Buffer(), "a"}, {dotted.LeftToLast('.').Buffer(), "a.b"},
        {dotted.RightAfter('.').Buffer(), "c"}, {dotted.RightAfterFirst('.').Buffer(), "b.c"},
        {dotted.Left(0).Buffer(), ""}, {dotted.Left(99).Buffer(), "a.b.c"},
        {dotted.Right(2).Buffer(), ".c"}, {dotted.Right(99).Buffer(), "a.b.c"},
        {dotted.Slice(0, 1000).Buffer(), "a.b.c"}, {dotted.Slice(1, 3).Buffer(), ".b"},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].first, cases[i].second) << "case " << i;

    Quor_String dashes("a-b-c");
    dashes.Trim('-');
    EXPECT_STREQ(dashes, "abc");
    Quor_String padded(" \t text \n");
    padded.TrimLeft();
    padded.TrimRight();
    EXPECT_STREQ(padded, "text");
}

TEST(CoreStringEditing, IndicesOutsideTheTextNeverTouchMemoryOutsideIt)
{
    // Catches InsertAt/RemoveAt/SetAt/GetAt writing or reading past the buffer (run under ASan).
    Quor_String s("bc");
    s.InsertAt(-5, 'a');
    s.InsertAt(100, 'd');
    EXPECT_STREQ(s, "abcd");
    s.RemoveAt(-3);
    s.RemoveAt(50);
    EXPECT_STREQ(s, "bcd");
    s.SetAt(3, 'x');
    s.SetAt(-1, 'x');
    EXPECT_EQ(s.GetAt(3), '\0');
    EXPECT_EQ(s.GetAt(-1), '\0');
    EXPECT_EQ(s.Length(), 3);
    s += s;  // appending itself must survive the buffer moving
    EXPECT_STREQ(s, "bcdbcd");
    s = s.Buffer() + 2;  // assigning a piece of itself
    EXPECT_STREQ(s, "dbcd");
    EXPECT_EQ(s.Find('c'), 2);
    EXPECT_EQ(s.ReverseFind('d'), 3);
    EXPECT_EQ(s.Find('z'), -1);
}

TEST(CoreStringEditing, CaseChangesLeaveHighBytesAlone)
{
    // Catches <cctype> called with negative chars (UB under UBSan) and mangled UTF-8 names.
    ASSERT_NE(std::setlocale(LC_CTYPE, "C"), nullptr);
    Quor_String name("\xC3\xA9t\xC3\xA9 Photo.JPG\xFF");
    name.ToUpper();
    EXPECT_STREQ(name, "\xC3\xA9T\xC3\xA9 PHOTO.JPG\xFF");
    name.ToLower();
    EXPECT_STREQ(name, "\xC3\xA9t\xC3\xA9 photo.jpg\xFF");
    Quor_String mixed("aB1\x80");
    mixed.ReverseCase();
    EXPECT_STREQ(mixed, "Ab1\x80");
}

TEST(CoreStringNumbers, FloatsUseSixDecimalsWithoutOverflow)
{
    // Catches "%f" into a fixed buffer: the largest float needs 46 characters.
    Quor_String s;
    s = 1.5f;
    EXPECT_STREQ(s, "1.500000");
    s = -0.125f;
    EXPECT_STREQ(s, "-0.125000");
    s = 3.4e38f;
    EXPECT_EQ(s.Length(), 46);
    EXPECT_STREQ(s.Right(7), ".000000");
    s = INT_MIN;
    s += 2.25f;
    EXPECT_STREQ(s, "-21474836482.250000");
    s = u"caf\u00e9\u4e2d";  // 16-bit units keep their low byte
    EXPECT_STREQ(s, "caf\xE9\x2D");
    EXPECT_TRUE(Quor_String("abc") < "abd");
    EXPECT_STREQ('x' + Quor_String("y") + 'z', "xyz");
}

TEST(CorePathNaming, ExtensionTypeAndParts)
{
    // Catches case-sensitive extensions and Name/Parent returning the whole path without a separator.
    const Quor_Path photo("photos/a.JPG");
    EXPECT_STREQ(photo.Extension(), "jpg");
    EXPECT_STREQ(photo.Type(), "image/jpeg");
    EXPECT_STREQ(photo.Supertype(), "image");
    EXPECT_STREQ(photo.Name(), "a.JPG");
    EXPECT_STREQ(photo.Parent(), "photos");
    EXPECT_STREQ(Quor_Path("noext").Type(), "application/octet-stream");
    EXPECT_STREQ(Quor_Path("clip.MPEG").Type(), "video/mpeg");
    EXPECT_STREQ(Quor_Path("a.jpg").Name(), "");
    EXPECT_STREQ(Quor_Path("a.jpg").Parent(), "");

    const char* cases[][3] = {{"a", "b", "a/b"}, {"a/", "b", "a/b"}, {"a", "/b", "a/b"}, {"", "b", "b"}, {"/", "b", "/b"}};
    for (const auto& c : cases) {
        Quor_Path p(c[0]);
        p.Append(c[1]);
        EXPECT_STREQ(p, c[2]) << c[0] << " + " << c[1];
    }
}

TEST(CorePathNaming, AbsoluteResolvesDotsByTextAgainstTheCurrentFolder)
{
    // Catches a relative document path being kept relative, which breaks every photo reference.
    quor_test::ScratchDir scratch;
    char old[4096], here[4096];
    ASSERT_NE(getcwd(old, sizeof old), nullptr);
    ASSERT_EQ(chdir(scratch.Path().c_str()), 0);
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    const std::string cwd = here;

    EXPECT_EQ(std::string(Quor_Path("pano.qpm").Absolute()), cwd + "/pano.qpm");
    EXPECT_EQ(std::string(Quor_Path("./a//b/../c.qpm").Absolute()), cwd + "/a/c.qpm");
    EXPECT_STREQ(Quor_Path("/x/./y/../../z").Absolute(), "/z");
    EXPECT_STREQ(Quor_Path("/../..").Absolute(), "/");
    EXPECT_STREQ(Quor_Path("").Absolute(), "");
    EXPECT_TRUE(Quor_Path("C:/x").IsAbsolute());
    EXPECT_TRUE(Quor_Path("C:\\x").IsAbsolute());
    EXPECT_FALSE(Quor_Path("1:1.jpg").IsAbsolute());
    EXPECT_FALSE(Quor_Path("C:x").IsAbsolute());
    ASSERT_EQ(chdir(old), 0);
}

TEST(CoreArrayList, GrowsByDoublingAndKeepsOrder)
{
    // Catches lost or reordered items when the slot array is replaced.
    Quor_ArrayList list;
    int items[9];
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(list.Add(&items[i]));
    EXPECT_EQ(list.Capacity(), 8);
    list.Add(&items[5], 0);    // front
    list.Add(&items[6], 3);    // middle
    list.Add(&items[7], 99);   // any other index appends
    list.Add(&items[8], -1);
    const int expected[] = {5, 0, 1, 6, 2, 3, 4, 7, 8};
    ASSERT_EQ(list.Count(), 9);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(list[i], &items[expected[i]]) << i;

    EXPECT_EQ(list.RemoveAt(0), &items[5]);
    list.RemoveRange(2, 2);  // 6, 2
    list.Remove(&items[4]);
    list.Remove(&items[4]);  // absent: nothing
    EXPECT_EQ(list.Count(), 5);
    EXPECT_EQ(list.IndexOf(&items[3]), 2);
    EXPECT_FALSE(list.ContainsItem(&items[6]));
    list.RemoveRange(3, 100);  // cut to what exists
    EXPECT_EQ(list.Count(), 3);
}

TEST(CoreArrayList, OutOfRangeIndicesAreRefused)
{
    // Catches unchecked indices reading or writing outside the slot array (asserts in debug builds).
    Quor_ArrayList list;
    int item = 0;
    list.Add(&item);
    EXPECT_DEBUG_DEATH(EXPECT_EQ(list[1], nullptr), "out of range");
    EXPECT_DEBUG_DEATH(EXPECT_EQ(list.RemoveAt(-1), nullptr), "out of range");
    EXPECT_DEBUG_DEATH(list.ReplaceAt(4, &item), "out of range");
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list[0], &item);
}

namespace {

struct Counted {
    explicit Counted(int* counter) : fCounter(counter) {}
    ~Counted() { ++*fCounter; }
    int* fCounter;
};

}  // namespace

TEST(CoreArrayList, TypedDeleteAllDestroysEveryItemThroughItsType)
{
    // Catches deleting items through an untyped pointer (no destructor, UB; ASan reports a mismatch).
    int destroyed = 0;
    Quor_ArrayList list;
    for (int i = 0; i < 7; ++i)
        list.Add(new Counted(&destroyed));
    list.DeleteAll<Counted>();
    EXPECT_EQ(destroyed, 7);
    EXPECT_EQ(list.Count(), 0);

    // Polymorphic items go through the base's virtual destructor.
    Quor_ArrayList lines;
    lines.Add(new Quor_Path("/a/b"));
    lines.Add(new Quor_String("text"));
    lines.DeleteAll<Quor_String>();
    EXPECT_EQ(lines.Count(), 0);
}
