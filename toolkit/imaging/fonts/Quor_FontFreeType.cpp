// Quor_Font, outline side: the process-wide FreeType library, opening faces, sizes, measuring and
// drawing through FreeType, and conversion of an outline font into a bitmap font.
//
// Threading: FreeType allows one face to be used by one thread at a time, and face creation and
// destruction to run one at a time per library. Every call on a face therefore runs under the
// font's own lock, and FT_New_Face / FT_Done_Face / FT_Init_FreeType / FT_Done_FreeType under the
// library mutex as well (always taken after the font lock, never before it).

#include "toolkit/imaging/fonts/Quor_Font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "toolkit/core/Quor_Utf8.h"
#include "toolkit/math/Quor_Round.h"

namespace {

// --- The library -------------------------------------------------------------------------------

struct LibraryState {
    std::mutex mutex;
    FT_Library library = nullptr;
    int64_t openFaces = 0;
    bool closeWhenUnused = false;
};

LibraryState& Library()
{
    static LibraryState state;
    return state;
}

// With the library mutex held.
bool StartLibrary(LibraryState& state)
{
    state.closeWhenUnused = false;
    if (!state.library && FT_Init_FreeType(&state.library) != 0)
        state.library = nullptr;
    return state.library != nullptr;
}

// With the library mutex held.
void StopLibraryIfUnused(LibraryState& state)
{
    if (state.closeWhenUnused && state.openFaces == 0 && state.library) {
        FT_Done_FreeType(state.library);
        state.library = nullptr;
        state.closeWhenUnused = false;
    }
}

// 26.6 fixed point to whole pixels, rounding down like an arithmetic shift.
int64_t Pixels(FT_Pos v)
{
    return int64_t(v) >> 6;
}

// The rendered glyph of a slot as an 8-bit coverage record. Anti-aliased bitmaps are used in
// place; one-bit and coarser grey bitmaps (from fonts with embedded strikes) are expanded into
// `scratch`. False when the glyph has no pixels or a format without coverage.
bool GlyphCoverage(const FT_GlyphSlot slot, std::vector<uint8_t>* scratch, Quor_image* out)
{
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.width == 0 || bitmap.rows == 0 || !bitmap.buffer ||
        bitmap.width > unsigned(Quor_Font::kMaxStripBytes) || bitmap.rows > 65536)
        return false;
    const int width = int(bitmap.width);
    const int rows = int(bitmap.rows);
    // A negative pitch means the rows are stored bottom-up; the top row is then the last one.
    const int pitch = bitmap.pitch;
    const uint8_t* top = bitmap.buffer;
    if (pitch < 0)
        top -= static_cast<ptrdiff_t>(rows - 1) * pitch;

    out->width = width;
    out->height = rows;
    out->pixelBits = 8;
    out->pixelBytes = 1;
    if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY && bitmap.num_grays == 256) {
        out->bits = const_cast<uint8_t*>(top);
        out->rowBytes = pitch;
        return true;
    }
    if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)
        return false;
    try {
        scratch->assign(static_cast<size_t>(width) * rows, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const int maxGrey = bitmap.num_grays > 1 ? bitmap.num_grays - 1 : 1;
    for (int row = 0; row < rows; row++) {
        const uint8_t* src = top + static_cast<ptrdiff_t>(row) * pitch;
        uint8_t* dst = scratch->data() + static_cast<size_t>(row) * width;
        if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
            for (int col = 0; col < width; col++)
                dst[col] = (src[col >> 3] & (0x80 >> (col & 7))) ? 255 : 0;
        } else {
            for (int col = 0; col < width; col++)
                dst[col] = uint8_t(src[col] >= maxGrey ? 255 : src[col] * 255 / maxGrey);
        }
    }
    out->bits = scratch->data();
    out->rowBytes = width;
    return true;
}

// Copies glyph coverage into the strip at (x, y), clipped to the strip's rows. The caller has
// already fitted the glyph's columns into its cell.
void CopyCoverage(const Quor_image* glyph, const Quor_image* strip, int x, int y)
{
    const int row0 = y < 0 ? -y : 0;
    int row1 = glyph->height;
    if (int64_t(y) + row1 > strip->height)
        row1 = int(int64_t(strip->height) - y);
    for (int row = row0; row < row1; row++)
        std::memcpy(strip->Row(y + row) + x, glyph->Row(row), static_cast<size_t>(glyph->width));
}

}  // namespace

// --- Library -----------------------------------------------------------------------------------

bool Quor_Font::InitFreeType()
{
    LibraryState& state = Library();
    std::lock_guard<std::mutex> guard(state.mutex);
    return StartLibrary(state);
}

void Quor_Font::ShutdownFreeType()
{
    LibraryState& state = Library();
    std::lock_guard<std::mutex> guard(state.mutex);
    // Faces belong to the library; closing it under an open font would free that font's face.
    state.closeWhenUnused = true;
    StopLibraryIfUnused(state);
}

Quor_Font* Quor_Font::GetFreeTypeFontFile(const char* path)
{
    if (!path || !*path)
        return nullptr;
    Quor_Font* font = new (std::nothrow) Quor_Font;
    if (!font)
        return nullptr;

    FT_Face face = nullptr;
    {
        LibraryState& state = Library();
        std::lock_guard<std::mutex> guard(state.mutex);
        if (!StartLibrary(state) || FT_New_Face(state.library, path, 0, &face) != 0) {
            StopLibraryIfUnused(state);
            delete font;
            return nullptr;
        }
        state.openFaces++;
    }
    font->fKind = kFreeType;
    font->fFace = face;

    if (!font->LockFace()) {
        delete font;
        return nullptr;
    }
    if (!face->charmap && face->num_charmaps > 0)
        FT_Set_Charmap(face, face->charmaps[0]);
    FT_Set_Pixel_Sizes(face, 0, 12);
    font->UnlockFace();
    return font;
}

// With the font lock held (or from the destructor).
void Quor_Font::CloseFace()
{
    if (!fFace)
        return;
    LibraryState& state = Library();
    std::lock_guard<std::mutex> guard(state.mutex);
    FT_Done_Face(fFace);
    fFace = nullptr;
    state.openFaces--;
    StopLibraryIfUnused(state);
}

bool Quor_Font::LockFace() const
{
    return fLock.Lock(-1);
}

void Quor_Font::UnlockFace() const
{
    fLock.Unlock();
}

int Quor_Font::LoadFlags() const
{
    switch (fHinting) {
    case Hinting::kLight:
        return FT_LOAD_TARGET_LIGHT;
    case Hinting::kNone:
        return FT_LOAD_NO_HINTING;
    case Hinting::kDefault:
        break;
    }
    return FT_LOAD_DEFAULT;
}

// --- Sizes -------------------------------------------------------------------------------------

int Quor_Font::SetPointSize(int points, int dpi)
{
    return SetFractionalPointSize(points, dpi);
}

int Quor_Font::SetFractionalPointSize(double points, int dpi)
{
    if (fKind != kFreeType || !std::isfinite(points))
        return QUOR_ERR_ARGUMENT;
    if (points < kMinPointSize)
        points = kMinPointSize;
    if (points > kMaxPointSize)
        points = kMaxPointSize;
    if (dpi < kMinDpi)
        dpi = kMinDpi;
    if (dpi > kMaxDpi)
        dpi = kMaxDpi;
    if (!LockFace())
        return QUOR_ERR_ARGUMENT;
    const FT_Error error =
        FT_Set_Char_Size(fFace, 0, FT_F26Dot6(Quor_RoundToInt(points * 64.0)), FT_UInt(dpi),
                         FT_UInt(dpi));
    UnlockFace();
    return error == 0 ? QUOR_OK : QUOR_ERR_ARGUMENT;
}

int Quor_Font::SetPixelSize(int pixels)
{
    if (fKind != kFreeType)
        return QUOR_ERR_ARGUMENT;
    if (pixels < kMinPixelSize)
        pixels = kMinPixelSize;
    if (pixels > kMaxPixelSize)
        pixels = kMaxPixelSize;
    if (!LockFace())
        return QUOR_ERR_ARGUMENT;
    const FT_Error error = FT_Set_Pixel_Sizes(fFace, 0, FT_UInt(pixels));
    UnlockFace();
    return error == 0 ? QUOR_OK : QUOR_ERR_ARGUMENT;
}

void Quor_Font::SetHinting(Hinting hinting)
{
    if (!LockFace())
        return;
    fHinting = hinting;
    UnlockFace();
}

// --- Metrics (with the font lock held) ---------------------------------------------------------

int Quor_Font::FaceLineHeight() const
{
    if (!FT_IS_SCALABLE(fFace) || !fFace->size)
        return 12;
    return Quor_NarrowToInt(Pixels(FT_MulFix(fFace->height, fFace->size->metrics.y_scale)));
}

int Quor_Font::FaceAscent() const
{
    if (!FT_IS_SCALABLE(fFace) || !fFace->size)
        return 12;
    return Quor_NarrowToInt(Pixels(FT_MulFix(fFace->ascender, fFace->size->metrics.y_scale)));
}

Quor_String Quor_Font::FaceName() const
{
    if (!LockFace())
        return Quor_String("<Unknown Font>");
    Quor_String name(fFace->family_name ? fFace->family_name : "");
    name += " ";
    name += fFace->style_name ? fFace->style_name : "";
    UnlockFace();
    return name;
}

// --- Measuring and drawing ---------------------------------------------------------------------

int Quor_Font::FreeTypeStringWidth(const char* text, size_t length) const
{
    if (!LockFace())
        return 1;
    const bool kerning = FT_HAS_KERNING(fFace);
    const int flags = LoadFlags();
    const int markAdvance = MarkFor(FaceAscent()).advance;
    int64_t width = 0;
    FT_UInt previous = 0;
    size_t at = 0;
    while (text != nullptr && at < length) {
        size_t bytes = 0;
        const uint32_t c = Quor_Utf8::Decode(text, length, at, &bytes);
        at += bytes;
        if (c > 0xFF) {
            width += markAdvance;
            previous = 0;
            continue;
        }
        const FT_UInt index = FT_Get_Char_Index(fFace, c);
        if (kerning && previous && index) {
            FT_Vector delta;
            if (FT_Get_Kerning(fFace, previous, index, FT_KERNING_DEFAULT, &delta) == 0)
                width += Pixels(delta.x);
        }
        previous = index;
        if (FT_Load_Glyph(fFace, index, flags) == 0)
            width += Pixels(fFace->glyph->advance.x);
    }
    UnlockFace();
    return Quor_NarrowToInt(width);
}

void Quor_Font::DrawFreeTypeString(const Quor_image* dest, const char* text, int x, int y,
                                   const rgb_color& color) const
{
    if (!LockFace())
        return;
    const bool kerning = FT_HAS_KERNING(fFace);
    const int flags = LoadFlags() | FT_LOAD_RENDER;
    const Mark mark = MarkFor(FaceAscent());
    std::vector<uint8_t> scratch;
    int64_t pen = x;
    FT_UInt previous = 0;
    const char* p = text;
    while (*p != '\0') {
        const uint32_t c = Quor_Utf8::Next(&p);
        // Beyond Latin-1 the outline font shows the same mark as the bitmap fonts made from it,
        // so that both measure a text alike.
        if (c > 0xFF) {
            DrawMark(dest, mark, pen, y, color);
            pen += mark.advance;
            previous = 0;
            continue;
        }
        const FT_UInt index = FT_Get_Char_Index(fFace, c);
        if (kerning && previous && index) {
            FT_Vector delta;
            if (FT_Get_Kerning(fFace, previous, index, FT_KERNING_DEFAULT, &delta) == 0)
                pen += Pixels(delta.x);
        }
        previous = index;
        if (FT_Load_Glyph(fFace, index, flags) != 0)
            continue;
        const FT_GlyphSlot slot = fFace->glyph;
        Quor_image glyph;
        if (c != ' ' && GlyphCoverage(slot, &scratch, &glyph)) {
            const int64_t left = pen + slot->bitmap_left;
            const int64_t top = int64_t(y) - slot->bitmap_top;
            if (left < dest->width && top < dest->height && left + glyph.width > 0 &&
                top + glyph.height > 0)
                BlitGlyph(&glyph, dest, int(left), int(top), color);
        }
        pen += Pixels(slot->advance.x);
    }
    UnlockFace();
}

// --- Conversion into a bitmap font -------------------------------------------------------------

Quor_Font* Quor_Font::RasterizeFreeType() const
{
    if (fKind != kFreeType || !LockFace())
        return nullptr;
    const int height = FaceLineHeight();
    int base = FaceAscent();
    UnlockFace();
    if (base > height)
        base = height;
    if (base < 0)
        base = 0;
    return RasterizeFreeType(height, base);
}

Quor_Font* Quor_Font::RasterizeFreeType(int stripHeight, int baseHeight) const
{
    if (fKind != kFreeType || stripHeight < 1 || stripHeight > kMaxStripHeight ||
        baseHeight < 0 || baseHeight > stripHeight)
        return nullptr;
    if (!LockFace())
        return nullptr;

    struct Arrays {
        int32_t* offset = new (std::nothrow) int32_t[256];
        int32_t* width = new (std::nothrow) int32_t[256];
        int32_t* advance = new (std::nothrow) int32_t[256];
        int32_t* delta = new (std::nothrow) int32_t[256];
        uint8_t* strip = nullptr;
        ~Arrays()
        {
            delete[] offset;
            delete[] width;
            delete[] advance;
            delete[] delta;
            delete[] strip;
        }
    } arrays;

    Quor_Font* font = nullptr;
    const int flags = LoadFlags() | FT_LOAD_RENDER;
    // A face scaled far beyond any strip we accept (set directly through FreeTypeFace()) would
    // make FreeType render huge bitmaps for nothing.
    const bool sizeSane = fFace->size && fFace->size->metrics.y_ppem <= kMaxStripHeight;
    if (sizeSane && arrays.offset && arrays.width && arrays.advance && arrays.delta) {
        // Pass 1: the metrics of every code, and the strip's width.
        int64_t stripWidth = 0;
        for (int c = 0; c < 256; c++) {
            const FT_UInt index = FT_Get_Char_Index(fFace, FT_ULong(c));
            int64_t width = 8, advance = 0, delta = 0;
            if (FT_Load_Glyph(fFace, index, flags) == 0) {
                const FT_GlyphSlot slot = fFace->glyph;
                width = slot->bitmap.width > 0 ? int64_t(slot->bitmap.width) : 1;
                advance = Pixels(slot->advance.x);
                delta = slot->bitmap_left;
            }
            arrays.offset[c] = Quor_NarrowToInt(stripWidth);
            arrays.width[c] = Quor_NarrowToInt(width);
            arrays.advance[c] = Quor_NarrowToInt(advance);
            arrays.delta[c] = Quor_NarrowToInt(delta);
            stripWidth += width;
            if (stripWidth * stripHeight > kMaxStripBytes)
                break;
        }
        const int64_t stripBytes = stripWidth * stripHeight;
        if (stripBytes <= kMaxStripBytes)
            arrays.strip = new (std::nothrow) uint8_t[static_cast<size_t>(stripBytes)]();

        // Pass 2: every glyph but the space, with its baseline on the strip's, clipped to it.
        if (arrays.strip) {
            Quor_image strip;
            strip.bits = arrays.strip;
            strip.width = int32_t(stripWidth);
            strip.height = stripHeight;
            strip.pixelBits = 8;
            strip.pixelBytes = 1;
            strip.rowBytes = int32_t(stripWidth);
            std::vector<uint8_t> scratch;
            for (int c = 0; c < 256; c++) {
                if (c == ' ')
                    continue;
                const FT_UInt index = FT_Get_Char_Index(fFace, FT_ULong(c));
                Quor_image glyph;
                if (FT_Load_Glyph(fFace, index, flags) != 0 ||
                    !GlyphCoverage(fFace->glyph, &scratch, &glyph))
                    continue;
                if (glyph.width > arrays.width[c])
                    glyph.width = arrays.width[c];
                const int64_t top = int64_t(baseHeight) - fFace->glyph->bitmap_top;
                if (top >= stripHeight || top + glyph.height <= 0)
                    continue;
                CopyCoverage(&glyph, &strip, arrays.offset[c], int(top));
            }

            font = new (std::nothrow) Quor_Font;
            if (font) {
                font->SetBitmap(Quor_bitmapFont{int32_t(stripWidth), stripHeight, baseHeight, arrays.offset,
                                                arrays.width, arrays.advance, arrays.delta, arrays.strip},
                                true);
                arrays.offset = arrays.width = arrays.advance = arrays.delta = nullptr;
                arrays.strip = nullptr;
            }
        }
    }
    UnlockFace();
    return font;
}
