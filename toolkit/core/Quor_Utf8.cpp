#include "toolkit/core/Quor_Utf8.h"

#include <cstring>
#include <new>

namespace {

bool IsContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// The length of the well-formed sequence at text[at], or 0 when the bytes there do not form one
// (overlong forms, surrogates, values beyond U+10FFFF and cut-off sequences included).
size_t SequenceAt(const unsigned char* text, size_t length, size_t at, uint32_t* codePoint)
{
    const unsigned char lead = text[at];
    size_t bytes;
    uint32_t value;
    uint32_t smallest;
    if (lead >= 0xC2 && lead <= 0xDF) {
        bytes = 2;
        value = lead & 0x1F;
        smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        bytes = 3;
        value = lead & 0x0F;
        smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        bytes = 4;
        value = lead & 0x07;
        smallest = 0x10000;
    } else {
        return 0;
    }
    if (length - at < bytes)
        return 0;
    for (size_t k = 1; k < bytes; ++k) {
        const unsigned char c = text[at + k];
        if (!IsContinuation(c))
            return 0;
        value = value << 6 | (c & 0x3F);
    }
    if (value < smallest || value > Quor_Utf8::kLastCodePoint || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    *codePoint = value;
    return bytes;
}

const unsigned char* Bytes(const char* text)
{
    return reinterpret_cast<const unsigned char*>(text);
}

}  // namespace

uint32_t Quor_Utf8::Decode(const char* text, size_t length, size_t at, size_t* bytes)
{
    const unsigned char c = Bytes(text)[at];
    uint32_t codePoint = c;
    size_t n = c < 0x80 ? 1 : SequenceAt(Bytes(text), length, at, &codePoint);
    if (n == 0) {
        n = 1;
        codePoint = c;
    }
    *bytes = n;
    return codePoint;
}

uint32_t Quor_Utf8::Next(const char** p)
{
    const unsigned char c = Bytes(*p)[0];
    if (c < 0x80) {
        ++*p;
        return c;
    }
    // A sequence is at most 4 bytes and stops at the NUL, which is no continuation byte.
    size_t bytes = 0;
    const uint32_t codePoint = Decode(*p, strnlen(*p, 4), 0, &bytes);
    *p += bytes;
    return codePoint;
}

size_t Quor_Utf8::NextBoundary(const char* text, size_t length, size_t at)
{
    if (at >= length)
        return length;
    size_t bytes = 0;
    Decode(text, length, at, &bytes);
    return at + bytes;
}

// Every byte that is no continuation byte starts a character: a well-formed sequence never
// reaches over one. The character that starts nearest before `at`, looking back at most `reach`
// bytes: where it starts, and in *end where it ends; false when there is none in reach.
bool Quor_Utf8::CharacterBefore(const char* text, size_t length, size_t at, size_t reach, size_t* start, size_t* end)
{
    const size_t stop = at >= reach ? at - reach : 0;
    for (size_t j = at; j-- > stop;) {
        if (IsContinuation(Bytes(text)[j]))
            continue;
        size_t bytes = 0;
        Decode(text, length, j, &bytes);
        *start = j;
        *end = j + bytes;
        return true;
    }
    return false;
}

// The character before a boundary is the sequence that starts at the nearest such byte when it
// ends exactly there, and otherwise a single stray byte.
size_t Quor_Utf8::PreviousBoundary(const char* text, size_t length, size_t at)
{
    if (at == 0)
        return 0;
    at = at > length ? length : at;
    size_t start = 0;
    size_t end = 0;
    return CharacterBefore(text, length, at, 4, &start, &end) && end == at ? start : at - 1;
}

size_t Quor_Utf8::BoundaryAtOrBefore(const char* text, size_t length, size_t at)
{
    if (at >= length)
        return length;
    size_t start = 0;
    size_t end = 0;
    return CharacterBefore(text, length, at, 3, &start, &end) && end > at ? start : at;
}

int Quor_Utf8::Encode(uint32_t codePoint, char out[4])
{
    if (codePoint < 0x80) {
        out[0] = static_cast<char>(codePoint);
        return 1;
    }
    if (codePoint < 0x800) {
        out[0] = static_cast<char>(0xC0 | codePoint >> 6);
        out[1] = static_cast<char>(0x80 | (codePoint & 0x3F));
        return 2;
    }
    if ((codePoint >= 0xD800 && codePoint <= 0xDFFF) || codePoint > kLastCodePoint)
        return 0;
    if (codePoint < 0x10000) {
        out[0] = static_cast<char>(0xE0 | codePoint >> 12);
        out[1] = static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
        out[2] = static_cast<char>(0x80 | (codePoint & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | codePoint >> 18);
    out[1] = static_cast<char>(0x80 | (codePoint >> 12 & 0x3F));
    out[2] = static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
    out[3] = static_cast<char>(0x80 | (codePoint & 0x3F));
    return 4;
}

bool Quor_Utf8::Repaired(const char* text, std::string* out)
{
    out->clear();
    if (text == nullptr)
        return true;
    const size_t length = std::strlen(text);
    try {
        out->reserve(length);
        size_t at = 0;
        while (at < length) {
            size_t bytes = 0;
            const uint32_t codePoint = Decode(text, length, at, &bytes);
            if (bytes == 1 && codePoint >= 0x80) {
                char utf8[4];
                out->append(utf8, static_cast<size_t>(Encode(codePoint, utf8)));
            } else {
                out->append(text + at, bytes);
            }
            at += bytes;
        }
    } catch (const std::bad_alloc&) {
        out->clear();
        return false;
    }
    return true;
}
