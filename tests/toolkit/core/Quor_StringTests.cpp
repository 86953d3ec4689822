// Strings: fields and pieces, edits at any index, case changes and number forms.
#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cstring>
#include <string>

#include "toolkit/core/Quor_String.h"

TEST(QuorString, FieldsAndPiecesFollowTheirContracts)
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

TEST(QuorString, IndicesOutsideTheTextNeverTouchMemoryOutsideIt)
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
    EXPECT_TRUE(s.GetAt(3) == '\0' && s.GetAt(-1) == '\0' && s.Length() == 3);
    s += s;  // appending itself must survive the buffer moving
    EXPECT_STREQ(s, "bcdbcd");
    s = s.Buffer() + 2;  // assigning a piece of itself
    EXPECT_STREQ(s, "dbcd");
    EXPECT_TRUE(s.Find('c') == 2 && s.ReverseFind('d') == 3 && s.Find('z') == -1);
}

TEST(QuorString, CaseChangesLeaveHighBytesAlone)
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

TEST(QuorString, FloatsUseSixDecimalsWithoutOverflow)
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
