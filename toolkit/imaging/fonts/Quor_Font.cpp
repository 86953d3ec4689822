// Quor_Font: construction, bitmap-font measuring and drawing, text placement and the source dump.
// The outline-font side lives in Quor_FontFreeType.cpp, glyph compositing in Quor_FontGlyph.cpp
// and the built-in fonts in Quor_FontEmbedded.cpp.

#include "toolkit/imaging/fonts/Quor_Font.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "toolkit/core/Quor_Utf8.h"
#include "toolkit/math/Quor_Round.h"

namespace {

int32_t* CopyArray(const int32_t* src, size_t count)
{
    int32_t* dst = new (std::nothrow) int32_t[count];
    if (dst)
        std::memcpy(dst, src, count * sizeof(int32_t));
    return dst;
}

}  // namespace

Quor_Font::~Quor_Font()
{
    if (fFace) {
        LockFace();
        CloseFace();
        UnlockFace();
    }
    if (fOwnsArrays) {
        delete[] fCharOffset;
        delete[] fCharWidth;
        delete[] fCharAdvance;
        delete[] fCharDelta;
        delete[] fFontBmp;
    }
}

Quor_Font* Quor_Font::CreateBitmapFont(const Quor_bitmapFont& data)
{
    if (!data.charOffset || !data.charWidth || !data.charAdvance || !data.charDelta ||
        !data.fontBmp)
        return nullptr;
    if (data.fontWidth < 1 || data.fontHeight < 1 || data.fontHeight > kMaxStripHeight ||
        data.fontBaseHeight < 0 || data.fontBaseHeight > data.fontHeight)
        return nullptr;
    const int64_t stripBytes = int64_t(data.fontWidth) * data.fontHeight;
    if (stripBytes > kMaxStripBytes)
        return nullptr;
    // Every glyph cell must lie inside the strip, or drawing would read past it.
    for (int c = 0; c < 256; c++) {
        if (data.charOffset[c] < 0 || data.charWidth[c] < 0 ||
            int64_t(data.charOffset[c]) + data.charWidth[c] > data.fontWidth)
            return nullptr;
    }

    Quor_Font* font = new (std::nothrow) Quor_Font;
    if (!font)
        return nullptr;
    Quor_bitmapFont copy = data;
    copy.charOffset = CopyArray(data.charOffset, 256);
    copy.charWidth = CopyArray(data.charWidth, 256);
    copy.charAdvance = CopyArray(data.charAdvance, 256);
    copy.charDelta = CopyArray(data.charDelta, 256);
    uint8_t* bmp = new (std::nothrow) uint8_t[static_cast<size_t>(stripBytes)];
    if (bmp)
        std::memcpy(bmp, data.fontBmp, static_cast<size_t>(stripBytes));
    copy.fontBmp = bmp;
    font->SetBitmap(copy, true);
    if (!font->fCharOffset || !font->fCharWidth || !font->fCharAdvance || !font->fCharDelta ||
        !font->fFontBmp) {
        delete font;
        return nullptr;
    }
    return font;
}

void Quor_Font::SetBitmap(const Quor_bitmapFont& data, bool owns)
{
    fKind = kBitmap;
    fOwnsArrays = owns;
    fFontWidth = data.fontWidth;
    fFontHeight = data.fontHeight;
    fFontBaseHeight = data.fontBaseHeight;
    fCharOffset = data.charOffset;
    fCharWidth = data.charWidth;
    fCharAdvance = data.charAdvance;
    fCharDelta = data.charDelta;
    fFontBmp = data.fontBmp;
}

Quor_bitmapFont Quor_Font::BitmapData() const
{
    if (fKind != kBitmap)
        return Quor_bitmapFont();
    return Quor_bitmapFont{fFontWidth, fFontHeight, fFontBaseHeight, fCharOffset, fCharWidth,
                           fCharAdvance, fCharDelta, fFontBmp};
}

// --- Measuring ---------------------------------------------------------------------------------

int Quor_Font::StringWidth(const char* text) const
{
    return StringWidth(text, text != nullptr ? std::strlen(text) : 0);
}

int Quor_Font::StringWidth(const char* text, size_t length) const
{
    if (fKind == kFreeType)
        return FreeTypeStringWidth(text, length);
    if (fKind != kBitmap)
        return 1;
    if (!text)
        return 0;
    const int64_t markAdvance = MarkFor(fFontBaseHeight).advance;
    int64_t width = 0;
    size_t at = 0;
    while (at < length) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        uint32_t codePoint = c;
        size_t bytes = 1;
        if (c >= 0x80)
            codePoint = Quor_Utf8::Decode(text, length, at, &bytes);
        at += bytes;
        if (codePoint == '\t')
            width += int64_t(4) * fCharAdvance[static_cast<unsigned char>(' ')];
        else if (codePoint > 0xFF)
            width += markAdvance;
        else
            width += fCharAdvance[codePoint];
    }
    return Quor_NarrowToInt(width);
}

int Quor_Font::LineToLineHeight() const
{
    if (fKind == kBitmap)
        return fFontHeight;
    if (fKind == kFreeType) {
        if (!LockFace())
            return 1;
        const int height = FaceLineHeight();
        UnlockFace();
        return height;
    }
    return 1;
}

int Quor_Font::FontHeight() const
{
    if (fKind == kBitmap)
        return fFontBaseHeight;
    if (fKind == kFreeType) {
        if (!LockFace())
            return 1;
        const int ascent = FaceAscent();
        UnlockFace();
        return ascent;
    }
    return 1;
}

Quor_String Quor_Font::Name() const
{
    if (fKind == kBitmap)
        return Quor_String("Bitmap Font");
    if (fKind == kFreeType)
        return FaceName();
    return Quor_String("<Unknown Font>");
}

// --- Drawing -----------------------------------------------------------------------------------

void Quor_Font::DrawString(const Quor_image* dest, const char* text, int x, int y,
                           const rgb_color& color) const
{
    if (!dest || !dest->bits || !text)
        return;
    if (fKind == kBitmap)
        DrawBitmapString(dest, text, x, y, color);
    else if (fKind == kFreeType)
        DrawFreeTypeString(dest, text, x, y, color);
}

void Quor_Font::DrawBitmapString(const Quor_image* dest, const char* text, int x, int y,
                                 const rgb_color& color) const
{
    const int64_t top = int64_t(y) - fFontBaseHeight;
    if (x >= dest->width || top >= dest->height || top + fFontHeight <= 0)
        return;

    Quor_image glyph;
    glyph.height = fFontHeight;
    glyph.pixelBits = 8;
    glyph.pixelBytes = 1;
    glyph.rowBytes = fFontWidth;

    const int64_t tabAdvance = int64_t(4) * fCharAdvance[static_cast<unsigned char>(' ')];
    const Mark mark = MarkFor(fFontBaseHeight);
    int64_t pen = x;
    const char* p = text;
    while (*p != '\0') {
        const uint32_t c = Quor_Utf8::Next(&p);
        if (c == '\t') {
            pen += tabAdvance;
            continue;
        }
        if (c > 0xFF) {
            DrawMark(dest, mark, pen, y, color);
            pen += mark.advance;
            continue;
        }
        const int64_t left = pen + fCharDelta[c];
        pen += fCharAdvance[c];
        if (fCharWidth[c] < 1 || left >= dest->width || left + fCharWidth[c] <= 0)
            continue;
        glyph.bits = const_cast<uint8_t*>(fFontBmp) + fCharOffset[c];
        glyph.width = fCharWidth[c];
        BlitGlyph(&glyph, dest, int(left), int(top), color);
    }
}

// --- Text placement ----------------------------------------------------------------------------

Quor_Point Quor_Font::AlignAtPen(const char* text, int horizontal, int vertical,
                                 Quor_Point anchor) const
{
    const int64_t width = StringWidth(text);
    const int64_t h = FontHeight();
    int64_t x = anchor.x;
    int64_t y = anchor.y;
    // "Left" names the side the text lies on: the pen moves left by the whole width.
    if (horizontal == 0)
        x -= width;
    else if (horizontal == 4)
        x -= width / 2;
    if (vertical == 3)
        y += h - h / 8;
    else if (vertical == 4)
        y += h / 2 - h / 8;
    return Quor_Point(Quor_NarrowToInt(x), Quor_NarrowToInt(y));
}

Quor_Point Quor_Font::AlignInRect(const char* text, int horizontal, int vertical,
                                  const Quor_Rect& r) const
{
    const int64_t width = StringWidth(text);
    const int64_t h = FontHeight();
    int64_t x = r.left;
    int64_t y = int64_t(r.top) + h - h / 8;
    if (horizontal == 1)
        x = int64_t(r.right) - width;
    else if (horizontal == 4)
        x = int64_t(r.left) + r.Width() / 2 - width / 2;
    if (vertical == 3)
        y = r.bottom;
    else if (vertical == 4)
        y = int64_t(r.top) + r.Height() / 2 + h / 2 - h / 8;
    return Quor_Point(Quor_NarrowToInt(x), Quor_NarrowToInt(y));
}

// --- Source dump -------------------------------------------------------------------------------

namespace {

void AppendNumber(std::string* out, int64_t value)
{
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof(digits), value);
    out->append(digits, result.ptr);
}

// "type\tk<prefix><name>[] = {\n", the values as "v, " 64 to a line, each line opened by a tab,
// then "\n};\n".
template <typename T>
void AppendArray(std::string* out, const char* type, const char* prefix, const char* name,
                 const T* values, int64_t count)
{
    out->append(type).append("\tk").append(prefix).append(name).append("[] = {\n");
    for (int64_t i = 0; i < count; i++) {
        if (i % 64 == 0)
            out->append(i == 0 ? "\t" : "\n\t");
        AppendNumber(out, values[i]);
        out->append(", ");
    }
    out->append("\n};\n");
}

void AppendScalar(std::string* out, const char* prefix, const char* name, int32_t value)
{
    out->append("int32\tk").append(prefix).append(name).append(" = ");
    AppendNumber(out, value);
    out->append(";\n");
}

}  // namespace

int Quor_Font::DumpBitmapFont(const char* path, const char* prefix) const
{
    if (fKind != kBitmap || !path || !*path)
        return QUOR_ERR_ARGUMENT;
    if (!prefix)
        prefix = "";

    std::string text;
    try {
        text.reserve(static_cast<size_t>(int64_t(fFontWidth) * fFontHeight) * 5 + 16384);
        AppendScalar(&text, prefix, "fontWidth", fFontWidth);
        AppendScalar(&text, prefix, "fontHeight", fFontHeight);
        AppendScalar(&text, prefix, "fontBaseHeight", fFontBaseHeight);
        AppendArray(&text, "int32", prefix, "charOffset", fCharOffset, 256);
        AppendArray(&text, "int32", prefix, "charWidth", fCharWidth, 256);
        AppendArray(&text, "int32", prefix, "charAdvance", fCharAdvance, 256);
        AppendArray(&text, "int32", prefix, "charDelta", fCharDelta, 256);
        AppendArray(&text, "uint8", prefix, "fontBmp", fFontBmp,
                    int64_t(fFontWidth) * fFontHeight);
    } catch (const std::bad_alloc&) {
        return QUOR_ERR_MEMORY;
    }

    FILE* file = std::fopen(path, "w");
    if (!file)
        return QUOR_ERR_CREATE;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = std::fclose(file) == 0;
    return written && closed ? QUOR_OK : QUOR_ERR_WRITE;
}
