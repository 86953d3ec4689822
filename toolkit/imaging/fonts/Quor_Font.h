// Measures and draws the toolkit's UTF-8 text (see Quor_Utf8) into Quor_image records, from a
// bitmap font (a strip of coverage glyphs) or from an outline font opened through FreeType. Both
// draw the 256 characters of Latin-1; any other character shows as one replacement mark.
#pragma once

#include <cstddef>
#include <cstdint>

#include "toolkit/core/Quor_Locker.h"
#include "toolkit/core/Quor_String.h"
#include "toolkit/core/Quor_RgbColor.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/Quor_image.h"
#include "toolkit/math/Quor_Point.h"
#include "toolkit/math/Quor_Rect.h"

// FreeType's face handle (FT_Face) without pulling its headers into every user of fonts.
struct FT_FaceRec_;

// A bitmap font as plain arrays: the glyph strip is fontWidth x fontHeight coverage bytes (0
// transparent, 255 solid), rows of fontWidth bytes; glyph c occupies the columns
// charOffset[c] .. charOffset[c] + charWidth[c] - 1 and is drawn charDelta[c] right of the pen,
// its top fontBaseHeight rows above the baseline. Each char array has 256 entries.
struct Quor_bitmapFont {
    int32_t fontWidth = 0;
    int32_t fontHeight = 0;
    int32_t fontBaseHeight = 0;
    const int32_t* charOffset = nullptr;
    const int32_t* charWidth = nullptr;
    const int32_t* charAdvance = nullptr;
    const int32_t* charDelta = nullptr;
    const uint8_t* fontBmp = nullptr;
};

class Quor_Font {
public:
    enum Kind { kNone = 0, kBitmap = 1, kFreeType = 2 };

    // How an outline font's glyphs are fitted to the pixel grid when loaded.
    enum class Hinting { kDefault, kLight, kNone };

    // Point sizes outside this range are clamped, so a wild settings value cannot ask for a glyph
    // strip of gigabytes. Pixel sizes are clamped to the pixel size of the largest point size.
    static constexpr int kMinPointSize = 4;
    static constexpr int kMaxPointSize = 96;
    static constexpr int kMinDpi = 24;
    static constexpr int kMaxDpi = 600;
    static constexpr int kMinPixelSize = 4;
    static constexpr int kMaxPixelSize = 128;
    // Largest glyph strip that RasterizeFreeType or CreateBitmapFont accept.
    static constexpr int32_t kMaxStripHeight = 512;
    static constexpr int64_t kMaxStripBytes = int64_t(32) << 20;

    // Number of built-in fonts: regular, bold and italic, each small then large.
    static constexpr int kEmbeddedFontCount = 6;

    ~Quor_Font();
    Quor_Font(const Quor_Font&) = delete;
    Quor_Font& operator=(const Quor_Font&) = delete;

    // --- Factories (the caller owns the result; null on failure) ---------------------------------
    // A built-in bitmap font: 0 regular small (also any unknown index), 1 bold small, 2 italic
    // small, 3 regular large, 4 bold large, 5 italic large. The font points at static data.
    static Quor_Font* GetBitmapFontEmbedded(int index);
    // An outline font from a file, with the first character map selected when the face selected
    // none, at 12 pixels. Null when FreeType cannot open the file.
    static Quor_Font* GetFreeTypeFontFile(const char* path);
    // A bitmap font owning copies of the given arrays; null when they are inconsistent (a glyph
    // outside the strip, a strip too large) or memory runs out.
    static Quor_Font* CreateBitmapFont(const Quor_bitmapFont& data);

    // --- The process-wide outline-font library ---------------------------------------------------
    // Initialised once; further calls only report whether it is there. GetFreeTypeFontFile starts
    // it on demand. Shutdown closes it as soon as no outline font is open any more.
    static bool InitFreeType();
    static void ShutdownFreeType();

    // --- Outline font settings (kind 2; QUOR_OK, or QUOR_ERR_ARGUMENT otherwise) ------------------
    int SetPointSize(int points, int dpi);
    // The same with a fractional point size, for fonts generated at sizes like 9.25 pt.
    int SetFractionalPointSize(double points, int dpi);
    int SetPixelSize(int pixels);
    void SetHinting(Hinting hinting);
    FT_FaceRec_* FreeTypeFace() const { return fFace; }

    // --- Measuring -----------------------------------------------------------------------------
    int Kind() const { return fKind; }
    // Width in pixels of the text; 0 for an empty text; 1 without a font or when the lock fails.
    int StringWidth(const char* text) const;
    // The same for the first `length` bytes of the text (which may hold no NUL).
    int StringWidth(const char* text, size_t length) const;
    // The line height.
    int LineToLineHeight() const;
    // The ascent: distance from the top of a line to its baseline.
    int FontHeight() const;
    Quor_String Name() const;
    // The arrays of a bitmap font (all null for other kinds).
    Quor_bitmapFont BitmapData() const;

    // --- Drawing -------------------------------------------------------------------------------
    // Draws with the baseline at y, the pen starting at x. The colour's alpha is not used.
    void DrawString(const Quor_image* dest, const char* text, int x, int y,
                    const rgb_color& color) const;
    // Composites an 8-bit coverage glyph with its top-left corner at (x, y) into a 32, 16, 15 or
    // 8-bit destination, clipped on all four sides.
    static void BlitGlyph(const Quor_image* glyph, const Quor_image* dest, int x, int y,
                          const rgb_color& color);

    // Where the pen goes so that the text stands at `anchor` with the given horizontal and
    // vertical alignment (0 left, 1 right, 2 top, 3 bottom, 4 centre). The names say on which
    // side of the anchor the text lies: horizontal 0 ends the text at the anchor, 1 starts it
    // there, 4 centres it; vertical 2 stands the text on the anchor (baseline there), 3 hangs it
    // below (baseline lowered by the ascent less an eighth), 4 centres the ascent on it.
    Quor_Point AlignAtPen(const char* text, int horizontal, int vertical, Quor_Point anchor) const;
    // Where the pen goes for text aligned inside r: horizontal 0 at the left edge, 1 against the
    // right edge, 4 centred by pixel width; vertical 2 hanging from the top, 3 standing on the
    // bottom, 4 centred.
    Quor_Point AlignInRect(const char* text, int horizontal, int vertical, const Quor_Rect& r) const;

    // --- Conversion ----------------------------------------------------------------------------
    // A bitmap font made from this outline font at its current size, with its natural line height
    // and ascent. Null for other kinds, when the lock fails or the strip would be too large.
    Quor_Font* RasterizeFreeType() const;
    // The same with the strip height and baseline given; glyphs are clipped to the strip.
    Quor_Font* RasterizeFreeType(int stripHeight, int baseHeight) const;
    // Writes a bitmap font as C source (arrays k<prefix>...). QUOR_OK; QUOR_ERR_ARGUMENT
    // not a bitmap font or no path; QUOR_ERR_CREATE the file cannot be created; QUOR_ERR_WRITE
    // writing failed.
    int DumpBitmapFont(const char* path, const char* prefix) const;

private:
    Quor_Font() = default;

    // Makes this a bitmap font over data's arrays, which it frees on destruction when it owns them.
    void SetBitmap(const Quor_bitmapFont& data, bool owns);

    bool LockFace() const;
    void UnlockFace() const;
    int LoadFlags() const;
    int FaceLineHeight() const;
    int FaceAscent() const;
    Quor_String FaceName() const;
    void CloseFace();
    void DrawBitmapString(const Quor_image* dest, const char* text, int x, int y,
                          const rgb_color& color) const;
    void DrawFreeTypeString(const Quor_image* dest, const char* text, int x, int y,
                            const rgb_color& color) const;
    int FreeTypeStringWidth(const char* text, size_t length) const;
    // The box that stands for a character beyond Latin-1, from the font's ascent (with the face
    // locked for outline fonts), and drawing it with its pen at `pen`.
    struct Mark {
        int width;
        int height;
        int advance;
    };
    static Mark MarkFor(int ascent);
    static void DrawMark(const Quor_image* dest, const Mark& mark, int64_t pen, int baseline,
                         const rgb_color& color);

    int fKind = kNone;
    bool fOwnsArrays = false;
    int32_t fFontWidth = 0;
    int32_t fFontHeight = 0;
    int32_t fFontBaseHeight = 0;
    const int32_t* fCharOffset = nullptr;
    const int32_t* fCharWidth = nullptr;
    const int32_t* fCharAdvance = nullptr;
    const int32_t* fCharDelta = nullptr;
    const uint8_t* fFontBmp = nullptr;

    FT_FaceRec_* fFace = nullptr;
    Hinting fHinting = Hinting::kDefault;
    // Serialises every FreeType call on the face: the render thread and the interface may
    // measure text at the same time. Bitmap fonts are read-only and never take it.
    mutable Quor_Locker fLock;
};
