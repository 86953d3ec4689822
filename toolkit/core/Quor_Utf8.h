// The toolkit's text encoding: strings are UTF-8, and a byte that is not part of a well-formed
// sequence stands for the Latin-1 character of its value. Older 8-bit text and file names that
// are not valid UTF-8 thus still show, and are kept byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class Quor_Utf8 {
public:
    static constexpr uint32_t kLastCodePoint = 0x10FFFF;

    // The character that starts at byte `at` of text[0, length) (at < length): its code point,
    // and in *bytes how many bytes it takes (1 for a stray byte).
    static uint32_t Decode(const char* text, size_t length, size_t at, size_t* bytes);
    // The character at *p of a NUL-terminated text (*p not at the NUL); *p moves past it.
    static uint32_t Next(const char** p);

    // Character boundaries of text[0, length); `at` must be one. The next one after `at` (length
    // at the end), the one before it (0 at the start).
    static size_t NextBoundary(const char* text, size_t length, size_t at);
    static size_t PreviousBoundary(const char* text, size_t length, size_t at);
    // The last boundary not past `at`: where to cut a text to at most `at` bytes without
    // splitting a character.
    static size_t BoundaryAtOrBefore(const char* text, size_t length, size_t at);

    // The code point's UTF-8 in out; its length, or 0 for a surrogate or a value beyond the last.
    static int Encode(uint32_t codePoint, char out[4]);
    // The text as well-formed UTF-8 in *out, for hosts that insist on it: each stray byte becomes
    // the UTF-8 of its Latin-1 character. False (and *out empty) when memory runs out.
    static bool Repaired(const char* text, std::string* out);

private:
    static bool CharacterBefore(const char* text, size_t length, size_t at, size_t reach, size_t* start,
                                size_t* end);
};
