// Pixel routines on Quor_image records: sampling, tinting, filling, compositing and blend modes,
// scaling, rotation, flips, blurs, shadows and depth conversion. None owns or allocates images.
#pragma once

#include <array>
#include <cstdint>

#include "toolkit/core/Quor_RgbColor.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/ops/Quor_filterKernel.h"
#include "toolkit/imaging/Quor_image.h"
#include "toolkit/math/Quor_Rect.h"

struct Quor_palette;

// Unless a routine says otherwise it works on 32-bit images only and leaves other depths alone.
// Routines that place a source in a destination take the destination position of the source's
// top-left pixel and clip to both images. They never write to a source image, and they refuse
// a record whose rowBytes is shorter than a row (see CorrectBuiltin).
//
// Result codes (Quor_Status): QUOR_OK; QUOR_ERR_MEMORY (-1) out of memory; QUOR_ERR_ARGUMENT (-3)
// a bad argument (wrong depth or size); QUOR_ERR_NO_IMAGE (-4) a record without pixels.
class Quor_ImageOps {
public:
    using AlphaTable = std::array<std::array<uint8_t, 256>, 256>;

    // gAlphaMask[a][v] = trunc(v * a / 255): v scaled by a. Every blend multiplies through it,
    // so products are truncated. gAlphaBlack[a][v] = min(255, trunc(255 / a * v)), row 0 the
    // identity: the inverse scaling.
    // Both are computed at compile time, so they exist before any thread runs.
    static const AlphaTable gAlphaMask;
    static const AlphaTable gAlphaBlack;
    // Kept for the start-up sequence; the tables are already built, so this does nothing.
    static void InitAlphaTables();

    // --- Sampling and tinting ------------------------------------------------------------------
    // Bilinear sample with pixel centres at integer coordinates; edge pixels repeat outside.
    // A non-finite coordinate samples the nearest edge (NaN counts as 0).
    static uint32_t SampleImage(const Quor_image* img, float x, float y);
    static void TintPixel32(uint32_t* pixel, rgb_color tint);
    static void TintPixel16(uint16_t* pixel, rgb_color tint);
    static void TintPixel15(uint16_t* pixel, rgb_color tint);
    // The system palette is used when palette is null.
    static void TintPixel8(uint8_t* index, rgb_color tint, const Quor_palette* palette);
    // Depths 8, 15, 16 and 32.
    static void TintImage(const Quor_image* img, rgb_color tint);

    // --- Filling and alpha -----------------------------------------------------------------------
    // Depths 8, 15, 16, 24 and 32.
    static void Clear(const Quor_image* img, const rgb_color& color);
    static void SetAlpha(const Quor_image* img, uint8_t alpha);
    static void InvertAlpha(const Quor_image* img);
    static void Invert(const Quor_image* img);
    // Colour times |factor|, rounded and clamped; alpha unchanged. A non-finite factor does
    // nothing.
    static void Brighten(const Quor_image* img, float factor);
    // Maps alpha from the range [low, high] onto [0, 255]; where the new alpha is below `floor`
    // it becomes 0. Colour unchanged.
    static void RescaleAlpha(const Quor_image* img, int low, int high, int floor);
    // Undoes a multiplication of the colour by alpha (through gAlphaBlack), for art drawn onto
    // black.
    static void PrepForBlackAlpha(const Quor_image* img);
    // Adds noise in [-amount, amount] to the colour from a fixed-seed generator of its own;
    // monochrome adds the same offset to all three channels.
    static void AddNoise(const Quor_image* img, int amount, bool monochrome);

    // --- Copying and compositing -----------------------------------------------------------------
    // Copies whole rows for depths 8, 15, 16, 24 and 32 (source and destination of one depth).
    static void Blit(const Quor_image* src, const Quor_image* dst, int x, int y);
    // Over compositing; see Quor_Blend. Non-32-bit images of equal depth fall back to Blit.
    static void BlitAlpha(const Quor_image* src, const Quor_image* dst, int x, int y,
                          bool updateAlpha);
    // As BlitAlpha with the source alpha offset by alphaOffset: 0 or below skips the pixel,
    // 255 or above copies it opaque.
    static void BlitAlphaMod(const Quor_image* src, const Quor_image* dst, int x, int y,
                             int alphaOffset, bool updateAlpha);
    // Copies the source pixel with its alpha lowered to the destination's where that is smaller.
    static void BlitAlphaMin(const Quor_image* src, const Quor_image* dst, int x, int y);
    // Multiplies the destination (all four channels) by the source alpha: a mask.
    static void BlitAlphaScale(const Quor_image* src, const Quor_image* dst, int x, int y);

    static void BlitMultiply(const Quor_image* src, const Quor_image* dst, int x, int y,
                             bool updateAlpha);
    static void BlitScreen(const Quor_image* src, const Quor_image* dst, int x, int y,
                           bool updateAlpha);
    static void BlitOverlay(const Quor_image* src, const Quor_image* dst, int x, int y,
                            bool updateAlpha);
    static void BlitAdd(const Quor_image* src, const Quor_image* dst, int x, int y,
                        bool updateAlpha);
    static void BlitDifference(const Quor_image* src, const Quor_image* dst, int x, int y,
                               bool updateAlpha);
    static void BlitHue(const Quor_image* src, const Quor_image* dst, int x, int y,
                        bool updateAlpha);
    static void BlitSaturation(const Quor_image* src, const Quor_image* dst, int x, int y,
                               bool updateAlpha);
    static void BlitColor(const Quor_image* src, const Quor_image* dst, int x, int y,
                          bool updateAlpha);
    static void BlitLuminosity(const Quor_image* src, const Quor_image* dst, int x, int y,
                               bool updateAlpha);

    // Repeat the matching blit so that the source, with its top-left at (x, y), tiles the
    // whole destination.
    static void TileImage(const Quor_image* src, const Quor_image* dst, int x, int y);
    static void TileImageAlpha(const Quor_image* src, const Quor_image* dst, int x, int y);
    static void TileImageAlphaMod(const Quor_image* src, const Quor_image* dst, int x, int y,
                                  int alphaOffset);
    static void TileImageAlphaScale(const Quor_image* src, const Quor_image* dst, int x, int y);

    // A view of src clipped to r: QUOR_OK; QUOR_ERR_NO_IMAGE without pixels; QUOR_ERR_ARGUMENT
    // without overlap.
    static int FillImage(const Quor_image* src, Quor_Rect r, Quor_image* out);

    // --- Geometry --------------------------------------------------------------------------------
    // Scales the whole source into the rectangle (x, y, w, h) of the destination (depths 8, 15,
    // 16, 32; source and destination of one depth). filter interpolates 32-bit images.
    // QUOR_OK; QUOR_ERR_ARGUMENT for mismatched depths or w, h < 1; QUOR_ERR_NO_IMAGE without
    // pixels; QUOR_ERR_MEMORY out of memory.
    static int StretchBlit(const Quor_image* src, const Quor_image* dst, int x, int y, int w,
                           int h, bool filter);
    // Reduces a 32-bit source into the whole 32-bit destination by area: destination pixel
    // (x, y) is the mean of the step x step square of the source centred on source position
    // (originX + x * step, originY + y * step), where source pixel i sits at position i and
    // covers i - 1/2 to i + 1/2; the source's edge pixels stand for everything beyond them.
    // Each channel is averaged on its own and rounded to nearest. QUOR_OK; QUOR_ERR_NO_IMAGE
    // without pixels; QUOR_ERR_ARGUMENT for other depths or a step below 1; QUOR_ERR_MEMORY.
    static int ReduceArea(const Quor_image* src, const Quor_image* dst, double originX, double originY,
                          double step);
    // Quarter turns into a separate destination of swapped size and the same depth
    // (QUOR_ERR_ARGUMENT otherwise); any depth. Rotate90 turns clockwise: dst(col, row) = src(row, srcH - 1 - col).
    static int Rotate90(const Quor_image* src, const Quor_image* dst);
    static int RotateMinus90(const Quor_image* src, const Quor_image* dst);
    // In place, depths 8, 15, 16, 24 and 32.
    static void Rotate180(const Quor_image* img);
    static void FlipH(const Quor_image* img);
    static void FlipV(const Quor_image* img);

    // --- Filters ---------------------------------------------------------------------------------
    // Smooth round kernel: radius < 2 gives half 1; below 62 half = radius / 2; else half 30.
    // *radius becomes half.
    static void PrepareBlur(Quor_filterKernel* kernel, int* radius);
    // A line of weight through the centre at `angle` degrees (0 = horizontal), as long as the
    // blur kernel of the same radius.
    static void PrepareMotionBlur(Quor_filterKernel* kernel, int* radius, int angle);
    // General convolution of src into dst (same size, 32-bit). colour and alpha select the
    // channels written; the others are copied. Edge pixels repeat.
    static int FilterImage(const Quor_image* src, const Quor_image* dst,
                           const Quor_filterKernel* kernel, bool colour, bool alpha);
    // Blur the colour and alpha: Blur with the round kernel, BlurQuick with box passes.
    static int Blur(const Quor_image* img, int radius);
    static int BlurQuick(const Quor_image* img, int radius);
    // Blur only the alpha channel. AlphaBlur: separable pass with the centre-adjacent row of the
    // PrepareBlur kernel. AlphaBlurQuick: box passes. radius <= 0 does nothing.
    static int AlphaBlur(const Quor_image* img, int radius);
    static int AlphaBlurQuick(const Quor_image* img, int radius);
    // Erode and dilate the alpha (square neighbourhood); colour is copied from src.
    static int AlphaMinFilter(const Quor_image* src, const Quor_image* dst, int radius);
    static int AlphaMaxFilter(const Quor_image* src, const Quor_image* dst, int radius);
    // Blurred black shadow inside or around r, `size` pixels wide, at the given opacity.
    static int InsetShadow(const Quor_image* img, Quor_Rect r, int size, uint8_t opacity);
    static int DropShadow(const Quor_image* img, Quor_Rect r, int size, uint8_t opacity);

    // --- Depth conversion ------------------------------------------------------------------------
    // 32-bit source into a destination of the same size; dither selects Floyd-Steinberg error
    // diffusion over truncation. The system palette is used when palette is null.
    static int Dither32To16(const Quor_image* src, const Quor_image* dst, bool dither);
    static int Dither32To15(const Quor_image* src, const Quor_image* dst, bool dither);
    static int Dither32To8(const Quor_image* src, const Quor_image* dst, bool dither,
                           const Quor_palette* palette);
    static int Dither8To32(const Quor_image* src, const Quor_image* dst,
                           const Quor_palette* palette);

    // --- Built-in images -------------------------------------------------------------------------
    // Built-in pixel data is stored already in the 32-bit packing, with a complete record, so
    // nothing is ever corrected in place and the data can live in read-only memory. This routine
    // serves data in the older form only: a writable 32-bit image whose record carries rowBytes
    // 0 as the mark "bytes of each word reversed". It reverses every pixel once and sets rowBytes
    // to width * 4; any other record is left alone, so a second call does nothing. The caller
    // must own the record and the pixels (never a record copied before correcting).
    static void CorrectBuiltin(Quor_image* img);
};
