#include "toolkit/framework/Quor_Latin1.h"

#include <cstdint>

std::string Quor_Latin1::ToUtf8(const std::string& latin1)
{
    std::string out;
    out.reserve(latin1.size() * 2);
    for (unsigned char c : latin1) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

namespace {

// Decodes one well-formed sequence at s[i]; returns its length, or 0 when the bytes there do not
// form one (overlong forms, surrogates and values beyond U+10FFFF included).
size_t DecodeOne(const std::string& s, size_t i, uint32_t* codePoint)
{
    const unsigned char lead = static_cast<unsigned char>(s[i]);
    size_t length;
    uint32_t value;
    uint32_t minimum;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (i + length > s.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        const unsigned char c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80)
            return 0;
        value = value << 6 | (c & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    *codePoint = value;
    return length;
}

}  // namespace

std::string Quor_Latin1::FromUtf8(const std::string& utf8, bool dropBeyond)
{
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        uint32_t codePoint = 0;
        const size_t length = DecodeOne(utf8, i, &codePoint);
        if (length == 0) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        if (codePoint <= 0xFF || !dropBeyond)
            out += static_cast<char>(codePoint & 0xFF);
        i += length;
    }
    return out;
}
