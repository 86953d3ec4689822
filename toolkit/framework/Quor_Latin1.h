// Conversion between the toolkit's 8-bit text (Latin-1: one byte per character) and the UTF-8
// the desktop speaks for titles, typed text and the clipboard.
#pragma once

#include <string>

class Quor_Latin1 {
public:
    // Every byte becomes its code point: 0x00 to 0x7F stay, 0x80 to 0xFF take two bytes.
    static std::string ToUtf8(const std::string& latin1);
    // Each code point becomes one byte. Code points beyond 0xFF are left out when dropBeyond is
    // set, otherwise they keep their low 8 bits. A byte that is not part of a well-formed
    // sequence stands for itself, so Latin-1 text passed by mistake survives unchanged.
    static std::string FromUtf8(const std::string& utf8, bool dropBeyond);
};
