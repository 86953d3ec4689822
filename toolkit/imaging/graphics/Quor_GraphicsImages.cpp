// Quor_Graphics: images and text. Positions go through the transform and are rounded; the
// pixels are composited by Quor_ImageOps and the font into the clip image, at positions
// relative to the clip rectangle's top-left corner.
//
// Index
//   Blits
//   Stretching
//   Text

#include "toolkit/imaging/graphics/Quor_Graphics.h"

#include <cmath>

#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/imaging/graphics/Quor_GraphicsRound.h"

namespace {

int Relative(int64_t v, int32_t origin)
{
    return Quor_NarrowToInt(v - origin);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Blits
// ---------------------------------------------------------------------------------------------

void Quor_Graphics::Blit(const Quor_image* img, float x, float y)
{
    Quor_Point p;
    if (!CanDraw() || !img || !ToPixel(x, y, &p))
        return;
    GrowBBox(p.x, p.y, double(p.x) + img->width, double(p.y) + img->height);
    Quor_ImageOps::Blit(img, &clipImage, Relative(p.x, clipRect.left), Relative(p.y, clipRect.top));
}

void Quor_Graphics::BlitAlpha(const Quor_image* img, float x, float y, bool updateAlpha)
{
    Quor_Point p;
    if (!CanDraw() || !img || !ToPixel(x, y, &p))
        return;
    GrowBBox(p.x, p.y, double(p.x) + img->width, double(p.y) + img->height);
    Quor_ImageOps::BlitAlpha(img, &clipImage, Relative(p.x, clipRect.left),
                             Relative(p.y, clipRect.top), updateAlpha);
}

void Quor_Graphics::BlitAlphaMod(const Quor_image* img, float x, float y, int alphaOffset,
                                 bool updateAlpha)
{
    Quor_Point p;
    if (!CanDraw() || !img || !ToPixel(x, y, &p))
        return;
    GrowBBox(p.x, p.y, double(p.x) + img->width, double(p.y) + img->height);
    Quor_ImageOps::BlitAlphaMod(img, &clipImage, Relative(p.x, clipRect.left),
                                Relative(p.y, clipRect.top), alphaOffset, updateAlpha);
}

void Quor_Graphics::BlitAlphaMin(const Quor_image* img, float x, float y)
{
    Quor_Point p;
    if (!CanDraw() || !img || !ToPixel(x, y, &p))
        return;
    GrowBBox(p.x, p.y, double(p.x) + img->width, double(p.y) + img->height);
    Quor_ImageOps::BlitAlphaMin(img, &clipImage, Relative(p.x, clipRect.left),
                                Relative(p.y, clipRect.top));
}

// ---------------------------------------------------------------------------------------------
// Stretching
// ---------------------------------------------------------------------------------------------

void Quor_Graphics::StretchBlit(const Quor_image* img, float x, float y, float w, float h,
                                bool filter)
{
    if (!CanDraw() || !img || !(w > 0.0f) || !(h > 0.0f))
        return;
    int64_t left, top, width, height;
    if (axisAligned) {
        // Both corners through the transform: the image fills the inclusive rectangle between.
        const Quor_Vector2 a = ToScreen(x, y);
        const Quor_Vector2 b = ToScreen(x + w - 1.0f, y + h - 1.0f);
        Quor_Rect d(Quor_GraphicsRound::Pixel(a.x), Quor_GraphicsRound::Pixel(a.y),
                    Quor_GraphicsRound::Pixel(b.x), Quor_GraphicsRound::Pixel(b.y));
        d.Normalize();
        left = d.left;
        top = d.top;
        width = int64_t(d.right) - d.left + 1;
        height = int64_t(d.bottom) - d.top + 1;
    } else {
        // Rotated: only the position follows the transform; the size stays in pixels.
        Quor_Point p;
        if (!ToPixel(x, y, &p))
            return;
        left = p.x;
        top = p.y;
        width = Quor_GraphicsRound::Pixel(w);
        height = Quor_GraphicsRound::Pixel(h);
    }
    if (width < 1 || height < 1)
        return;
    GrowBBox(double(left), double(top), double(left + width), double(top + height));
    Quor_ImageOps::StretchBlit(img, &clipImage, Relative(left, clipRect.left),
                               Relative(top, clipRect.top), Quor_NarrowToInt(width),
                               Quor_NarrowToInt(height), filter);
}

// ---------------------------------------------------------------------------------------------
// Text
// ---------------------------------------------------------------------------------------------

// At the pen: the text is placed by its side of the pen. Horizontal 0 puts the text left of the
// pen (x moves left by the width), 4 centres it, 1 puts it right of the pen; vertical 2 stands
// the baseline on the pen, 3 hangs the text below it (y down by h - h/8), 4 centres it
// (y down by h/2 - h/8), h being the font's ascent.
void Quor_Graphics::DrawString(const char* text, Quor_textAlignment h, Quor_textAlignment v)
{
    Quor_Point p;
    if (!CanDraw() || !font || !text || !ToPixel(penPosition.x, penPosition.y, &p))
        return;
    const int64_t ascent = font->FontHeight();
    const int64_t width = font->StringWidth(text);
    int64_t x = p.x, y = p.y;
    if (h == QUOR_ALIGN_LEFT)
        x -= width;
    else if (h == QUOR_ALIGN_CENTER)
        x -= width / 2;
    if (v == QUOR_ALIGN_BOTTOM)
        y += ascent - ascent / 8;
    else if (v == QUOR_ALIGN_CENTER)
        y += ascent / 2 - ascent / 8;
    GrowBBox(double(x), double(y - ascent), double(x + width), double(y + ascent / 4));
    font->DrawString(&clipImage, text, Relative(x, clipRect.left), Relative(y, clipRect.top),
                     color);
}

// In a rectangle: horizontal 0 starts at the left edge, 1 ends at the right edge, 4 centres by
// pixel width; vertical 2 hangs from the top (baseline at top + h - h/8), 3 stands on the
// bottom, 4 centres. The anchor is then transformed like a blit position.
void Quor_Graphics::DrawString(const char* text, const Quor_Rect& r, Quor_textAlignment h,
                               Quor_textAlignment v)
{
    if (!CanDraw() || !font || !text)
        return;
    const int64_t ascent = font->FontHeight();
    const int64_t width = font->StringWidth(text);
    int64_t x = r.left, y;
    if (h == QUOR_ALIGN_RIGHT)
        x = int64_t(r.right) - width;
    else if (h == QUOR_ALIGN_CENTER)
        x = int64_t(r.left) + r.Width() / 2 - width / 2;
    if (v == QUOR_ALIGN_BOTTOM)
        y = r.bottom;
    else if (v == QUOR_ALIGN_CENTER)
        y = int64_t(r.top) + r.Height() / 2 + ascent / 2 - ascent / 8;
    else
        y = int64_t(r.top) + ascent - ascent / 8;
    Quor_Point p;
    if (!ToPixel(static_cast<float>(x), static_cast<float>(y), &p))
        return;
    GrowBBox(double(p.x), double(p.y) - ascent, double(p.x) + width, double(p.y) + ascent / 4);
    font->DrawString(&clipImage, text, Relative(p.x, clipRect.left), Relative(p.y, clipRect.top),
                     color);
}
