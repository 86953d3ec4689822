// The toolkit's text encoding: decoding with stray bytes, walking boundaries both ways, cutting,
// encoding and repairing for the host.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "toolkit/core/Quor_Utf8.h"

TEST(QuorUtf8, StrayBytesStandForLatin1AndBoundariesNeverSplitASequence)
{
    // Catches malformed sequences decoded (overlong, surrogate, cut off, beyond U+10FFFF), a
    // stray byte that swallows the bytes after it, a backward walk that lands inside a sequence
    // or skips a stray continuation byte, and a cut that splits a character.
    struct Piece {
        const char* bytes;
        uint32_t codePoint;
    };
    // Cyrillic, CJK one, a stray Latin-1 e acute, a camera, an overlong lead, a surrogate's bytes
    // each stray, four stray bytes beyond U+10FFFF, a dotless i, and a sequence cut off at the end.
    const Piece pieces[] = {
        {"a", 'a'}, {"\xD0\xA4", 0x424}, {"\xE4\xB8\x80", 0x4E00}, {"\xE9", 0xE9}, {"\xF0\x9F\x93\xB7", 0x1F4F7},
        {"\xC0", 0xC0}, {"\xAF", 0xAF}, {"\xED", 0xED}, {"\xA0", 0xA0}, {"\x80", 0x80},
        {"\xF4", 0xF4}, {"\x90", 0x90}, {"\x80", 0x80}, {"\x80", 0x80}, {"\xC4\xB1", 0x131}, {"\xE4", 0xE4}, {"\xB8", 0xB8},
    };
    std::string text;
    for (const Piece& p : pieces)
        text += p.bytes;
    const size_t n = text.size();
    size_t at = 0;
    const char* cursor = text.c_str();
    for (size_t i = 0; i < std::size(pieces); ++i) {
        SCOPED_TRACE("piece " + std::to_string(i));
        size_t bytes = 0;
        EXPECT_EQ(Quor_Utf8::Decode(text.data(), n, at, &bytes), pieces[i].codePoint);
        EXPECT_EQ(Quor_Utf8::Next(&cursor), pieces[i].codePoint);
        const size_t next = Quor_Utf8::NextBoundary(text.data(), n, at);
        ASSERT_EQ(next, at + std::strlen(pieces[i].bytes));
        EXPECT_EQ(bytes, next - at);
        EXPECT_EQ(cursor - text.c_str(), static_cast<ptrdiff_t>(next));
        EXPECT_EQ(Quor_Utf8::PreviousBoundary(text.data(), n, next), at);
        // Every byte inside the character cuts back to its start.
        for (size_t inside = at + 1; inside < next; ++inside)
            EXPECT_EQ(Quor_Utf8::BoundaryAtOrBefore(text.data(), n, inside), at) << inside;
        EXPECT_EQ(Quor_Utf8::BoundaryAtOrBefore(text.data(), n, at), at);
        at = next;
    }
    EXPECT_EQ(at, n);
    EXPECT_EQ(Quor_Utf8::PreviousBoundary(text.data(), n, 0), 0u);
    EXPECT_EQ(Quor_Utf8::BoundaryAtOrBefore(text.data(), n, n + 5), n);

    // Encoding is the inverse of decoding; surrogates and values beyond the last have none.
    char out[4];
    for (int piece : {0, 1, 2, 4, 14})
        EXPECT_EQ(std::string(out, size_t(Quor_Utf8::Encode(pieces[piece].codePoint, out))), pieces[piece].bytes);
    EXPECT_TRUE(Quor_Utf8::Encode(0xD800, out) == 0 && Quor_Utf8::Encode(0x110000, out) == 0);

    // Repairing keeps every well-formed sequence and widens each stray byte to its character.
    std::string repaired;
    EXPECT_TRUE(Quor_Utf8::Repaired("caf\xE9 \xD0\xA4\xE4\xB8", &repaired));
    EXPECT_EQ(repaired, "caf\xC3\xA9 \xD0\xA4\xC3\xA4\xC2\xB8");
}
