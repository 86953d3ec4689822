// Quor_Graphics: pixel masks, picking, the bounding box of what was drawn, and the pixel
// queries and flood fill that work on target pixels directly.
//
// Index
//   Masks
//   Picking
//   Bounding box
//   Pixel queries and flood fill

#include "toolkit/imaging/graphics/Quor_Graphics.h"

#include <cmath>
#include <cstring>
#include <new>

#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/Quor_Palette.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/imaging/graphics/Quor_GraphicsPixels.h"

// ---------------------------------------------------------------------------------------------
// Masks
// ---------------------------------------------------------------------------------------------

// The mask holds one byte per target pixel. The level pushed at depth n uses bit 1 << n, so a
// pixel passes the masked fill when the low maskDepth bits are all set.

void Quor_Graphics::FreeMask()
{
    delete[] mask;
    mask = nullptr;
    maskDepth = 0;
    maskBit = 0;
}

void Quor_Graphics::PushMask(bool initial)
{
    if (!target.bits || maskDepth >= kMaskLevels)
        return;
    const size_t size = static_cast<size_t>(target.width) * static_cast<size_t>(target.height);
    if (!mask) {
        mask = new (std::nothrow) uint8_t[size];
        if (!mask)
            return;
    }
    const uint8_t bit = static_cast<uint8_t>(1u << maskDepth);
    if (maskDepth == 0) {
        std::memset(mask, initial ? 255 : 0, size);
    } else if (initial) {
        for (size_t i = 0; i < size; i++)
            mask[i] |= bit;
    } else {
        for (size_t i = 0; i < size; i++)
            mask[i] &= static_cast<uint8_t>(~bit);
    }
    maskDepth++;
    maskBit = bit;
}

void Quor_Graphics::PopMask()
{
    if (maskDepth == 0)
        return;
    maskDepth--;
    maskBit = maskDepth > 0 ? static_cast<uint8_t>(1u << (maskDepth - 1)) : 0;
    if (maskDepth == 0)
        SetDrawMode(drawMode);
}

void Quor_Graphics::ClearMask()
{
    if (maskDepth == 0 || !mask)
        return;
    const size_t size = static_cast<size_t>(target.width) * static_cast<size_t>(target.height);
    if (maskDepth == 1) {
        std::memset(mask, 0, size);
        return;
    }
    for (size_t i = 0; i < size; i++)
        mask[i] &= static_cast<uint8_t>(~maskBit);
}

uint8_t Quor_Graphics::MaskValue(int x, int y) const
{
    if (!mask || x < 0 || y < 0 || x >= target.width || y >= target.height)
        return 0;
    return mask[static_cast<int64_t>(y) * target.width + x];
}

// ---------------------------------------------------------------------------------------------
// Picking
// ---------------------------------------------------------------------------------------------

void Quor_Graphics::BeginPicking(Quor_Point p)
{
    if (!target.bits || p.x < 0 || p.y < 0 || p.x >= target.width || p.y >= target.height) {
        pickPoint.Set(-1, -1);
        return;
    }
    pickPoint = p;
    pickBox = Quor_Rect(p.x - 3, p.y - 3, p.x + 3, p.y + 3);
    Quor_Rect(0, 0, target.width - 1, target.height - 1).Clip(pickBox);
    pickValue = Quor_GraphicsPixels::Load(PixelPtr(pickBox.left, pickBox.top), target.pixelBytes);
}

bool Quor_Graphics::Pick()
{
    if (!target.bits || pickPoint.x < 0)
        return false;
    const int bytes = target.pixelBytes;
    bool hit = false;
    for (int y = pickBox.top; y <= pickBox.bottom; y++) {
        uint8_t* row = target.Row(y);
        for (int x = pickBox.left; x <= pickBox.right; x++) {
            uint8_t* p = row + static_cast<ptrdiff_t>(x) * bytes;
            if (Quor_GraphicsPixels::Load(p, bytes) != pickValue) {
                hit = true;
                Quor_GraphicsPixels::Store(p, bytes, pickValue);
            }
        }
    }
    return hit;
}

// ---------------------------------------------------------------------------------------------
// Bounding box
// ---------------------------------------------------------------------------------------------

void Quor_Graphics::ClearBBox()
{
    bboxMin[0] = bboxMin[1] = 1000000.0f;
    bboxMax[0] = bboxMax[1] = -1000000.0f;
}

void Quor_Graphics::GrowBBox(double x, double y)
{
    if (!useBBox)
        return;
    const float fx = static_cast<float>(x), fy = static_cast<float>(y);
    bboxMin[0] = std::fmin(bboxMin[0], fx);
    bboxMin[1] = std::fmin(bboxMin[1], fy);
    bboxMax[0] = std::fmax(bboxMax[0], fx);
    bboxMax[1] = std::fmax(bboxMax[1], fy);
}

void Quor_Graphics::GrowBBox(double x0, double y0, double x1, double y1)
{
    GrowBBox(x0, y0);
    GrowBBox(x1, y1);
}

bool Quor_Graphics::GetBBox(float* minX, float* minY, float* maxX, float* maxY) const
{
    auto clamp = [](float v, float hi) { return v < 0.0f ? 0.0f : (v > hi ? hi : v); };
    const float w = static_cast<float>(target.width), h = static_cast<float>(target.height);
    if (minX) *minX = clamp(bboxMin[0], w);
    if (minY) *minY = clamp(bboxMin[1], h);
    if (maxX) *maxX = clamp(bboxMax[0], w);
    if (maxY) *maxY = clamp(bboxMax[1], h);
    return bboxMin[0] <= bboxMax[0] && bboxMin[1] <= bboxMax[1];
}

// ---------------------------------------------------------------------------------------------
// Pixel queries and flood fill
// ---------------------------------------------------------------------------------------------

rgb_color Quor_Graphics::PixelColor(int x, int y) const
{
    if (!target.bits || x < 0 || y < 0 || x >= target.width || y >= target.height)
        return Quor_ColorOps::Transparent;
    const uint32_t v = Quor_GraphicsPixels::Load(PixelPtr(x, y), target.pixelBytes);
    switch (target.pixelBits) {
    case 8: {
        const Quor_palette& palette = Quor_Palette::SystemPalette().Palette();
        return palette.colors ? Quor_ColorOps::UnpackColor32(palette.colors[v & 255])
                              : Quor_ColorOps::Transparent;
    }
    case 15: return Quor_ColorOps::UnpackColor32(Quor_PixelConvert::Expand15(uint16_t(v)));
    case 16: return Quor_ColorOps::UnpackColor32(Quor_PixelConvert::Expand16(uint16_t(v)));
    case 24: return rgb_color{uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v), 255};
    default: return Quor_ColorOps::UnpackColor32(v);
    }
}

bool Quor_Graphics::IsFullWhite(Quor_Point p) const
{
    if (!target.bits || p.x < 0 || p.y < 0 || p.x >= target.width || p.y >= target.height)
        return false;
    const rgb_color c = PixelColor(p.x, p.y);
    return c.red == 255 && c.green == 255 && c.blue == 255;
}

void Quor_Graphics::FloodFill(int x, int y)
{
    if (!CanDraw() || !clipRect.Contains(Quor_Point(x, y)))
        return;
    const int bytes = target.pixelBytes;
    const uint32_t old = Quor_GraphicsPixels::Load(PixelPtr(x, y), bytes);
    const uint32_t fill = packedColor;
    if (old == fill)
        return;

    // Scanline fill with an explicit stack of seeds (never recursion): each seed fills its
    // whole run of the old value and pushes one seed per run above and below it.
    struct Seed {
        int x, y;
    };
    size_t capacity = 256, count = 0;
    Seed* stack = new (std::nothrow) Seed[capacity];
    if (!stack)
        return;
    auto push = [&](int sx, int sy) {
        if (count == capacity) {
            Seed* bigger = new (std::nothrow) Seed[capacity * 2];
            if (!bigger)
                return false;
            std::memcpy(bigger, stack, count * sizeof(Seed));
            delete[] stack;
            stack = bigger;
            capacity *= 2;
        }
        stack[count++] = Seed{sx, sy};
        return true;
    };
    auto isOld = [&](const uint8_t* row, int px) {
        return Quor_GraphicsPixels::Load(row + static_cast<ptrdiff_t>(px) * bytes, bytes) == old;
    };

    push(x, y);
    bool ok = true;
    while (count > 0 && ok) {
        const Seed s = stack[--count];
        uint8_t* row = target.Row(s.y);
        if (!isOld(row, s.x))
            continue;
        int left = s.x, right = s.x;
        while (left > clipRect.left && isOld(row, left - 1))
            left--;
        while (right < clipRect.right && isOld(row, right + 1))
            right++;
        Quor_GraphicsPixels::StoreRun(row, bytes, left, right + 1, fill);
        for (int ny = s.y - 1; ny <= s.y + 1 && ok; ny += 2) {
            if (ny < clipRect.top || ny > clipRect.bottom)
                continue;
            const uint8_t* next = target.Row(ny);
            bool inRun = false;
            for (int px = left; px <= right; px++) {
                const bool match = isOld(next, px);
                if (match && !inRun && !push(px, ny)) {
                    // Out of memory: stop with what is filled.
                    ok = false;
                    break;
                }
                inRun = match;
            }
        }
    }
    delete[] stack;
}
