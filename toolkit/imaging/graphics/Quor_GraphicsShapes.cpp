// Quor_Graphics: filled shapes. Segments are entered into an edge table of per-row crossings
// sorted by x; EndShape fills between consecutive pairs of crossings (the even-odd rule) with the
// current colour and draw mode. Rectangles that need no scan conversion are cleared directly.
//
// Index
//   Building the edge table
//   Filling the spans (draw modes, masks)
//   Rectangles

#include "toolkit/imaging/graphics/Quor_Graphics.h"

#include <cmath>

#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/imaging/graphics/Quor_GraphicsPixels.h"
#include "toolkit/imaging/graphics/Quor_GraphicsRound.h"

namespace {

// Segment coordinates are held inside the float range an int can take.
constexpr double kSegmentLimit = 2147483520.0;

double ClampSegment(double v)
{
    return v < -kSegmentLimit ? -kSegmentLimit : (v > kSegmentLimit ? kSegmentLimit : v);
}

// The pixel column of a crossing at x: x + 0.5 rounded half away from zero.
int32_t CrossingColumn(double x)
{
    const double limit = 1073741824.0;
    const double v = x + 0.5;
    return Quor_RoundToInt(v < -limit ? -limit : (v > limit ? limit : v));
}

double ClampTo(double v, double lo, double hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Building the edge table
// ---------------------------------------------------------------------------------------------

void Quor_Graphics::BeginShape()
{
    edges.Reset(target.bits ? target.height : 0);
}

void Quor_Graphics::AddLine(const Quor_Vector2& a, const Quor_Vector2& b)
{
    if (!CanDraw())
        return;
    const Quor_Vector2 p = ToScreen(a.x, a.y);
    const Quor_Vector2 q = ToScreen(b.x, b.y);
    AddScreenSegment(p.x, p.y, q.x, q.y);
}

void Quor_Graphics::AddScreenSegment(double x1, double y1, double x2, double y2)
{
    if (!CanDraw() || std::isnan(x1) || std::isnan(y1) || std::isnan(x2) || std::isnan(y2))
        return;
    x1 = ClampSegment(x1);
    y1 = ClampSegment(y1);
    x2 = ClampSegment(x2);
    y2 = ClampSegment(y2);
    GrowBBox(std::fmin(x1, x2), std::fmin(y1, y2), std::fmax(x1, x2), std::fmax(y1, y2));

    // Smoothing softens the edges with the outline drawn twice as an anti-aliased line.
    if (smoothing && (drawMode & kDrawFill) && !externalRaster) {
        const bool masked = (drawMode & kDrawMasked) && maskDepth > 0;
        DrawAALine(x1, y1, x2, y2, masked);
        DrawAALine(x1, y1, x2, y2, masked);
    }

    const double clipTop = clipRect.top, clipBottom = clipRect.bottom;
    if ((y1 < clipTop - 1.0 && y2 < clipTop - 1.0) ||
        (y1 > clipBottom + 1.0 && y2 > clipBottom + 1.0))
        return;

    const double minY = std::fmin(y1, y2), maxY = std::fmax(y1, y2);
    const double minX = std::fmin(x1, x2), maxX = std::fmax(x1, x2);
    // Rows from ceil(minY - 0.5) up to, not including, ceil(maxY - 0.5): row y belongs to the
    // segment when minY <= y + 0.5 < maxY. The end is open, so where two segments meet exactly
    // half-way between rows only one of them crosses that row; counted by both, a symmetric
    // shape (a rounded corner flattened to such a vertex on each side) would leave it empty.
    int64_t yFirst = static_cast<int64_t>(std::ceil(minY - 0.5));
    int64_t yLast = static_cast<int64_t>(std::ceil(maxY - 0.5)) - 1;
    if (yFirst < clipRect.top)
        yFirst = clipRect.top;
    if (yLast > clipRect.bottom)
        yLast = clipRect.bottom;

    const double dy = y2 - y1;
    const bool flat = std::fabs(dy) < 1.0;
    const double slope = dy != 0.0 ? (x2 - x1) / dy : 0.0;
    auto xAt = [&](double y) { return ClampTo(x1 + (y - y1) * slope, minX, maxX); };

    for (int64_t y = yFirst; y <= yLast; y++) {
        const double yy = static_cast<double>(y);
        // A nearly horizontal segment crosses at its middle; the crossing never leaves the
        // segment's x range, even on the half row past an end.
        const double x = flat ? (x1 + x2) * 0.5 : xAt(yy);
        const int32_t column = CrossingColumn(x);
        int32_t left = column, right = column;
        if (smoothing) {
            // The pixels the edge touches within the row.
            const double xa = dy != 0.0 ? xAt(yy - 0.5) : minX;
            const double xb = dy != 0.0 ? xAt(yy + 0.5) : maxX;
            left = CrossingColumn(std::fmin(xa, xb));
            right = CrossingColumn(std::fmax(xa, xb));
        }
        edges.Insert(static_cast<int>(y), column, left, right);
    }
}

bool Quor_Graphics::EndShape()
{
    const bool noEdges = edges.Empty();
    if (!noEdges && !externalRaster && CanDraw())
        FillShapeSpans();
    return noEdges;
}

// ---------------------------------------------------------------------------------------------
// Filling the spans
// ---------------------------------------------------------------------------------------------

bool Quor_Graphics::MaskAllows(uint8_t value) const
{
    // Every pushed level's bit must be set.
    const unsigned need = (1u << maskDepth) - 1u;
    return (value & need) == need;
}

void Quor_Graphics::FillShapeSpans()
{
    const bool haveMask = maskDepth > 0 && mask != nullptr;
    SpanOp op;
    bool alsoMask = false;
    if ((drawMode & kDrawIntoMask) && haveMask) {
        op = SpanOp::kIntoMask;
    } else if ((drawMode & kDrawMasked) && haveMask) {
        op = SpanOp::kMasked;
        alsoMask = (drawMode & kDrawAlsoMask) != 0;
    } else if (drawMode & kDrawSelected) {
        op = SpanOp::kSelected;
    } else if (drawMode & kDrawFill) {
        op = SpanOp::kPlain;
        alsoMask = haveMask && (drawMode & kDrawAlsoMask) != 0;
    } else {
        return;
    }

    const int64_t clipLeft = clipRect.left, clipEnd = int64_t(clipRect.right) + 1;
    auto paint = [&](int y, int64_t x0, int64_t x1) {
        if (gapFilling)
            x1 += 1;
        if (x0 < clipLeft)
            x0 = clipLeft;
        if (x1 > clipEnd)
            x1 = clipEnd;
        if (x1 > x0)
            PaintSpan(y, static_cast<int>(x0), static_cast<int>(x1), op, alsoMask);
    };

    const int yFirst = edges.FirstRow() < clipRect.top ? clipRect.top : edges.FirstRow();
    const int yLast = edges.LastRow() > clipRect.bottom ? clipRect.bottom : edges.LastRow();
    for (int y = yFirst; y <= yLast; y++) {
        const int count = edges.Count(y);
        if (count < 2)
            continue;
        const int32_t* left = edges.Left(y);
        const int32_t* right = edges.Right(y);
        // Spans run from a pair's first left bound to its second right bound (exclusive).
        int64_t previousEnd = 0;
        int i = 0;
        for (; i + 1 < count; i += 2) {
            paint(y, left[i], right[i + 1]);
            previousEnd = right[i + 1];
        }
        // An odd crossing left over closes a span that starts where the previous one ended.
        if (i < count)
            paint(y, previousEnd, right[i]);
    }
}

void Quor_Graphics::PaintSpan(int y, int x0, int x1, SpanOp op, bool alsoMask)
{
    uint8_t* row = target.Row(y);
    const int bits = target.pixelBits, bytes = target.pixelBytes;
    uint8_t* maskRow = mask ? mask + static_cast<int64_t>(y) * target.width : nullptr;
    const bool opaque = color.alpha == 255;

    switch (op) {
    case SpanOp::kPlain:
        if (opaque)
            Quor_GraphicsPixels::StoreRun(row, bytes, x0, x1, packedColor);
        else
            Quor_GraphicsPixels::BlendRun(row, bits, bytes, x0, x1, color, color.alpha);
        break;
    case SpanOp::kSelected:
        // A selection shows what lies beneath: the colour at half its alpha.
        Quor_GraphicsPixels::BlendRun(row, bits, bytes, x0, x1, color, color.alpha / 2u);
        break;
    case SpanOp::kMasked:
        for (int x = x0; x < x1; x++) {
            if (!MaskAllows(maskRow[x]))
                continue;
            uint8_t* p = row + static_cast<ptrdiff_t>(x) * bytes;
            if (opaque)
                Quor_GraphicsPixels::Store(p, bytes, packedColor);
            else
                Quor_GraphicsPixels::Blend(p, bits, color, color.alpha);
            if (alsoMask)
                maskRow[x] |= maskBit;
        }
        return;
    case SpanOp::kIntoMask:
        for (int x = x0; x < x1; x++)
            maskRow[x] |= maskBit;
        return;
    }
    if (alsoMask && maskRow)
        for (int x = x0; x < x1; x++)
            maskRow[x] |= maskBit;
}

// ---------------------------------------------------------------------------------------------
// Rectangles
// ---------------------------------------------------------------------------------------------

void Quor_Graphics::FillRect(Quor_Rect r)
{
    if (!CanDraw())
        return;
    r.Normalize();
    // An axis-aligned opaque (or fully transparent) rectangle is cleared directly.
    if (axisAligned && (color.alpha == 0 || color.alpha == 255) && maskDepth == 0 &&
        drawMode == kDrawFill && !externalRaster) {
        const Quor_Vector2 a = ToScreen(static_cast<float>(r.left), static_cast<float>(r.top));
        const Quor_Vector2 b = ToScreen(static_cast<float>(r.right), static_cast<float>(r.bottom));
        Quor_Rect px(Quor_GraphicsRound::Pixel(a.x), Quor_GraphicsRound::Pixel(a.y),
                     Quor_GraphicsRound::Pixel(b.x), Quor_GraphicsRound::Pixel(b.y));
        if (!clipRect.Clip(px))
            return;
        GrowBBox(px.left, px.top, double(px.right) + 1.0, double(px.bottom) + 1.0);
        Quor_image sub;
        if (Quor_ImageOps::FillImage(&target, px, &sub) == 0)
            Quor_ImageOps::Clear(&sub, color);
        return;
    }
    // Otherwise a shape whose corners sit so that the pixels (left .. right, top .. bottom) are
    // exactly the ones inside. Its edges lie on pixel boundaries while the transform keeps the
    // axes, so smoothing would only blur them and is left out there.
    const float l = static_cast<float>(static_cast<double>(r.left) - 1.0);
    const float t = static_cast<float>(r.top);
    const float rt = static_cast<float>(r.right);
    const float b = static_cast<float>(static_cast<double>(r.bottom) + 1.0);
    const bool savedSmoothing = smoothing;
    if (axisAligned)
        smoothing = false;
    BeginShape();
    AddLine(Quor_Vector2(l, t), Quor_Vector2(rt, t));
    AddLine(Quor_Vector2(rt, t), Quor_Vector2(rt, b));
    AddLine(Quor_Vector2(rt, b), Quor_Vector2(l, b));
    AddLine(Quor_Vector2(l, b), Quor_Vector2(l, t));
    EndShape();
    smoothing = savedSmoothing;
}
