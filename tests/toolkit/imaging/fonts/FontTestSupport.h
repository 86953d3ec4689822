// Helpers shared by the font tests: the built-in font table as the interface expects it, owned
// fonts, canvases, and a reader for the bitmap-font dump format.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/fonts/Quor_Font.h"

namespace font_test {

struct ExpectedFont {
    const char* prefix;
    const char* dataFile;
    int32_t fontWidth, fontHeight, fontBaseHeight;
    int32_t space, a, w, i;
};

inline constexpr ExpectedFont kExpected[Quor_Font::kEmbeddedFontCount] = {
    {"RG", "toolkit/imaging/data/Quor_FontData_RG.cpp", 1522, 15, 11, 4, 8, 11, 3},
    {"BD", "toolkit/imaging/data/Quor_FontData_BD.cpp", 1689, 15, 11, 4, 9, 12, 4},
    {"IT", "toolkit/imaging/data/Quor_FontData_IT.cpp", 1768, 15, 11, 4, 8, 11, 3},
    {"RGLG", "toolkit/imaging/data/Quor_FontData_RGLG.cpp", 1820, 18, 13, 5, 9, 13, 3},
    {"BDLG", "toolkit/imaging/data/Quor_FontData_BDLG.cpp", 2011, 18, 13, 4, 10, 14, 4},
    {"ITLG", "toolkit/imaging/data/Quor_FontData_ITLG.cpp", 2048, 18, 13, 5, 8, 12, 3},
};

using FontPtr = std::unique_ptr<Quor_Font>;

inline FontPtr Embedded(int index)
{
    return FontPtr(Quor_Font::GetBitmapFontEmbedded(index));
}

// The outline faces the built-in fonts come from; tests that need one skip without it.
inline const char* kDejaVuBook = "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed.ttf";

// A canvas: 32-bit ones cleared to a colour, other depths to zero.
struct Canvas {
    Quor_BaseImage image;
    Canvas(int width, int height, rgb_color fill, int bits = 32)
    {
        image.Initialize(width, height, bits);
        if (bits == 32)
            image.Clear(fill);
        else
            for (int y = 0; y < height; y++)
                std::fill(image.RowPtr(y), image.RowPtr(y) + image.RowBytes(), uint8_t(0));
    }
    const Quor_image* Img() const { return &image.Image(); }
    uint32_t At(int x, int y) const { return image.Image().Row32(y)[x]; }
};

// The arrays of one font read back from its dump text.
struct ParsedFont {
    int64_t fontWidth = -1, fontHeight = -1, fontBaseHeight = -1;
    std::vector<int64_t> charOffset, charWidth, charAdvance, charDelta, fontBmp;
};

// Reads "k<prefix><name> = value;" and "k<prefix><name>[] = { v, v, ... };" back; a missing or
// malformed entry leaves its field at -1 or empty.
inline bool ParseDump(const std::string& text, const std::string& prefix, ParsedFont* out)
{
    auto scalar = [&](const char* name, int64_t* value) {
        const std::string key = "k" + prefix + name + " = ";
        const size_t at = text.find(key);
        if (at == std::string::npos)
            return false;
        *value = std::stoll(text.substr(at + key.size()));
        return true;
    };
    auto array = [&](const char* name, std::vector<int64_t>* values) {
        const std::string key = "k" + prefix + name + "[] = {\n";
        size_t at = text.find(key);
        if (at == std::string::npos)
            return false;
        at += key.size();
        const size_t end = text.find("\n};\n", at);
        if (end == std::string::npos)
            return false;
        const std::string body = text.substr(at, end - at);
        size_t p = 0;
        while (p < body.size()) {
            while (p < body.size() && (body[p] == '\t' || body[p] == '\n' || body[p] == ' '))
                p++;
            if (p >= body.size())
                break;
            size_t used = 0;
            values->push_back(std::stoll(body.substr(p, 24), &used));
            p += used;
            if (body.compare(p, 2, ", ") != 0)
                return false;
            p += 2;
        }
        return true;
    };
    return scalar("fontWidth", &out->fontWidth) && scalar("fontHeight", &out->fontHeight) &&
           scalar("fontBaseHeight", &out->fontBaseHeight) &&
           array("charOffset", &out->charOffset) && array("charWidth", &out->charWidth) &&
           array("charAdvance", &out->charAdvance) && array("charDelta", &out->charDelta) &&
           array("fontBmp", &out->fontBmp);
}

}  // namespace font_test
