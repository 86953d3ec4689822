// Quor_ImageOps: scaling (StretchBlit), quarter turns and mirroring.

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "toolkit/imaging/ops/Quor_BlitClip.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"

// [SECTION] StretchBlit
//
// Positions are stepped in 16.16 fixed point: destination column c reads source column
// (c * xStep) >> 16. Accumulators are 64-bit; with 32-bit ones a source wider or taller than
// 32768 pixels wraps negative and reads outside the image.

namespace {

struct Stretch {
    int64_t xStep = 0;      // source columns per destination column, 16.16
    int64_t yStep = 0;      // source rows per destination row, 16.16
    int firstCol = 0;       // first visible destination column, relative to x
    int firstRow = 0;       // first visible destination row, relative to y
    int dstX = 0;           // first visible destination column in the image
    int dstY = 0;
    int width = 0;          // visible columns
    int height = 0;         // visible rows
    int64_t filterStep = 0; // (srcWidth - 1) / w in 16.16, for filtering
};

bool ClipStretch(const Quor_image* src, const Quor_image* dst, int x, int y, int w, int h,
                 Stretch* s)
{
    const int64_t left = std::max<int64_t>(x, 0), top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(int64_t(x) + w, dst->width);
    const int64_t bottom = std::min<int64_t>(int64_t(y) + h, dst->height);
    if (right <= left || bottom <= top)
        return false;
    s->xStep = (int64_t(src->width) << 16) / w;
    s->yStep = (int64_t(src->height) << 16) / h;
    s->filterStep = (int64_t(src->width - 1) << 16) / w;
    s->firstCol = int(left - x);
    s->firstRow = int(top - y);
    s->dstX = int(left);
    s->dstY = int(top);
    s->width = int(right - left);
    s->height = int(bottom - top);
    return true;
}

int64_t SourceIndex(int64_t acc, int size)
{
    const int64_t i = acc >> 16;
    return i < size ? i : size - 1;
}

template <class Pixel>
void StretchNearest(const Quor_image* src, const Quor_image* dst, const Stretch& s)
{
    const uint8_t* previousSource = nullptr;
    Pixel* previousRow = nullptr;
    for (int r = 0; r < s.height; ++r) {
        const int64_t sy = SourceIndex(int64_t(s.firstRow + r) * s.yStep, src->height);
        const uint8_t* source = src->Row(int(sy));
        Pixel* out = reinterpret_cast<Pixel*>(dst->Row(s.dstY + r)) + s.dstX;
        if (source == previousSource) {
            std::memcpy(out, previousRow, size_t(s.width) * sizeof(Pixel));
            continue;
        }
        const Pixel* in = reinterpret_cast<const Pixel*>(source);
        int64_t acc = int64_t(s.firstCol) * s.xStep;
        for (int c = 0; c < s.width; ++c, acc += s.xStep)
            out[c] = in[SourceIndex(acc, src->width)];
        previousSource = source;
        previousRow = out;
    }
}

// p0 scaled by (255 - f) plus p1 scaled by f, all four channels through the alpha table.
uint32_t Lerp(uint32_t p0, uint32_t p1, uint32_t f)
{
    const auto& m0 = Quor_ImageOps::gAlphaMask[255 - f];
    const auto& m1 = Quor_ImageOps::gAlphaMask[f];
    uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8)
        result |= uint32_t(m0[(p0 >> shift) & 255] + m1[(p1 >> shift) & 255]) << shift;
    return result;
}

// One source row, filtered horizontally into the visible columns.
void FilterRow(const Quor_image* src, int64_t sy, const Stretch& s, int64_t step, uint32_t* out)
{
    const uint32_t* in = src->Row32(int(sy));
    const int64_t last = src->width - 1;
    int64_t acc = int64_t(s.firstCol) * step;
    for (int c = 0; c < s.width; ++c, acc += step) {
        const int64_t p0 = std::min<int64_t>(acc >> 16, last);
        const int64_t p1 = std::min<int64_t>(p0 + 1, last);
        out[c] = Lerp(in[p0], in[p1], uint32_t((acc >> 8) & 255));
    }
}

// Destination rows reading the same source row form a run. The first row of a run is the
// filtered source row; the others blend it with the first row of the next run (the next source
// row) by the fraction of their own accumulator. The last run blends with itself. When reducing
// every row starts a run, so only the horizontal filter applies. Each source row is filtered
// once, into one of two scratch rows.
int StretchFiltered(const Quor_image* src, const Quor_image* dst, int h, const Stretch& s)
{
    std::unique_ptr<uint32_t[]> scratch(new (std::nothrow) uint32_t[size_t(s.width) * 2]);
    if (!scratch)
        return QUOR_ERR_MEMORY;
    uint32_t* current = scratch.get();            // first row of the current run
    uint32_t* next = scratch.get() + s.width;     // first row of the next run
    int64_t currentSource = -1, nextSource = -1;
    const int64_t lastSource = SourceIndex(int64_t(h - 1) * s.yStep, src->height);

    for (int r = 0; r < s.height; ++r) {
        const int64_t row = s.firstRow + r;   // relative to the destination rectangle
        const int64_t acc = row * s.yStep;
        const int64_t sy = SourceIndex(acc, src->height);
        if (sy != currentSource) {
            if (sy == nextSource)
                std::swap(current, next);
            else
                FilterRow(src, sy, s, s.filterStep, current);
            currentSource = sy;
        }
        uint32_t* out = dst->Row32(s.dstY + r) + s.dstX;
        const bool firstOfRun = row == 0 || SourceIndex((row - 1) * s.yStep, src->height) != sy;
        if (firstOfRun || sy >= lastSource) {
            std::memcpy(out, current, size_t(s.width) * 4);
            continue;
        }
        if (nextSource != sy + 1) {
            FilterRow(src, sy + 1, s, s.filterStep, next);
            nextSource = sy + 1;
        }
        const uint32_t f = uint32_t((acc >> 8) & 255);
        for (int c = 0; c < s.width; ++c)
            out[c] = Lerp(current[c], next[c], f);
    }
    return QUOR_OK;
}

}  // namespace

int Quor_ImageOps::StretchBlit(const Quor_image* src, const Quor_image* dst, int x, int y, int w,
                               int h, bool filter)
{
    if (!src || !src->bits || !dst || !dst->bits)
        return QUOR_ERR_NO_IMAGE;
    if (!src->IsUsable() || !dst->IsUsable() || w < 1 || h < 1 ||
        src->pixelBits != dst->pixelBits)
        return QUOR_ERR_ARGUMENT;
    Stretch s;
    if (!ClipStretch(src, dst, x, y, w, h, &s))
        return QUOR_OK;
    switch (dst->pixelBits) {
    case 32:
        if (filter)
            return StretchFiltered(src, dst, h, s);
        StretchNearest<uint32_t>(src, dst, s);
        return QUOR_OK;
    case 15:
    case 16:
        StretchNearest<uint16_t>(src, dst, s);
        return QUOR_OK;
    case 8:
        StretchNearest<uint8_t>(src, dst, s);
        return QUOR_OK;
    default:
        return QUOR_ERR_ARGUMENT;
    }
}

// [SECTION] Quarter turns and mirrors
//
// Pixels are moved as units of pixelBytes (1 to 4 bytes), so every depth turns the same way.

namespace {

void CopyPixel(uint8_t* to, const uint8_t* from, int bytes)
{
    std::memcpy(to, from, size_t(bytes));
}

void SwapPixels(uint8_t* a, uint8_t* b, int bytes)
{
    std::swap_ranges(a, a + bytes, b);
}

void ReverseRow(uint8_t* row, int width, int bytes)
{
    uint8_t* left = row;
    uint8_t* right = row + ptrdiff_t(width - 1) * bytes;
    for (; left < right; left += bytes, right -= bytes)
        SwapPixels(left, right, bytes);
}

bool TurnSizesMatch(const Quor_image* src, const Quor_image* dst)
{
    return src->IsUsable() && dst->IsUsable() &&
           src->pixelBits == dst->pixelBits && dst->width == src->height &&
           dst->height == src->width && src->bits != dst->bits;
}

// Destination row `row`, walked left to right, reads one source column from `first` in steps of
// `step` bytes.
void TurnInto(const Quor_image* dst, int row, const uint8_t* first, ptrdiff_t step)
{
    const int bytes = dst->pixelBytes;
    uint8_t* out = dst->Row(row);
    for (int col = 0; col < dst->width; ++col, out += bytes, first += step)
        CopyPixel(out, first, bytes);
}

}  // namespace

int Quor_ImageOps::Rotate90(const Quor_image* src, const Quor_image* dst)
{
    if (!src || !src->bits || !dst || !dst->bits)
        return QUOR_ERR_NO_IMAGE;
    if (!TurnSizesMatch(src, dst))
        return QUOR_ERR_ARGUMENT;
    // dst(col, row) = src(row, srcHeight - 1 - col): up the source column `row`.
    for (int row = 0; row < dst->height; ++row)
        TurnInto(dst, row, src->Row(src->height - 1) + ptrdiff_t(row) * src->pixelBytes,
                 -ptrdiff_t(src->rowBytes));
    return QUOR_OK;
}

int Quor_ImageOps::RotateMinus90(const Quor_image* src, const Quor_image* dst)
{
    if (!src || !src->bits || !dst || !dst->bits)
        return QUOR_ERR_NO_IMAGE;
    if (!TurnSizesMatch(src, dst))
        return QUOR_ERR_ARGUMENT;
    // dst(col, row) = src(srcWidth - 1 - row, col): down the source column srcWidth - 1 - row.
    for (int row = 0; row < dst->height; ++row)
        TurnInto(dst, row, src->Row(0) + ptrdiff_t(src->width - 1 - row) * src->pixelBytes,
                 ptrdiff_t(src->rowBytes));
    return QUOR_OK;
}

void Quor_ImageOps::Rotate180(const Quor_image* img)
{
    if (!img || !img->IsUsable())
        return;
    const int bytes = img->pixelBytes;
    const size_t rowLength = size_t(img->width) * bytes;
    // Swap row i with row h - 1 - i, each read backwards; the middle row reverses in place.
    for (int top = 0, bottom = img->height - 1; top <= bottom; ++top, --bottom) {
        uint8_t* a = img->Row(top);
        uint8_t* b = img->Row(bottom);
        if (a == b) {
            ReverseRow(a, img->width, bytes);
            break;
        }
        std::swap_ranges(a, a + rowLength, b);
        ReverseRow(a, img->width, bytes);
        ReverseRow(b, img->width, bytes);
    }
}

void Quor_ImageOps::FlipH(const Quor_image* img)
{
    if (!img || !img->IsUsable())
        return;
    for (int y = 0; y < img->height; ++y)
        ReverseRow(img->Row(y), img->width, img->pixelBytes);
}

void Quor_ImageOps::FlipV(const Quor_image* img)
{
    if (!img || !img->IsUsable())
        return;
    const size_t rowLength = size_t(img->width) * img->pixelBytes;
    for (int top = 0, bottom = img->height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(img->Row(top), img->Row(top) + rowLength, img->Row(bottom));
}
