// The toolkit's 2-D drawing context: draws lines, shapes, curves, images and text into one attached
// Quor_image through a stack of transforms, with clipping, anti-aliasing, masks and picking.
#pragma once

#include <cstdint>

#include "toolkit/core/Quor_RgbColor.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/Quor_image.h"
#include "toolkit/imaging/graphics/Quor_ShapeEdges.h"
#include "toolkit/imaging/graphics/Quor_textAlignment.h"
#include "toolkit/math/Quor_Matrix.h"
#include "toolkit/math/Quor_Point.h"
#include "toolkit/math/Quor_Rect.h"
#include "toolkit/math/Quor_Vector2.h"
#include "toolkit/math/Quor_Vector3.h"

class Quor_Font;

// 1: world coordinates are target pixels. 2: world (0, 0) is the target's centre, y grows upwards
// and one unit is half the target height (the normalised canvas coordinates).
enum Quor_viewMode : int {
    QUOR_VIEW_PIXELS = 1,
    QUOR_VIEW_NORMALIZED = 2,
};

// Coordinates. Drawing calls take world coordinates, which the current transform maps to target
// pixels; pixel centres lie at integer coordinates. PixelColor, IsFullWhite, FloodFill and
// BeginPicking take target pixels directly. Pen widths and marker sizes are in pixels.
//
// Frames. A view runs BeginDraw, its drawing calls and EndDraw; transforms and masks last for that
// frame only, while colour, font, pen and flags persist until changed or ResetState.
//
// Failures. Drawing calls report nothing: primitives outside the clip, behind the viewer (w <= 0)
// or with non-finite coordinates draw nothing, and a context without an image draws nothing.
// Coordinates are limited to +-2^24 pixels before they become integers, so no conversion can
// overflow and no line walk can run longer than the clip rectangle.
//
// Threads. One context per thread. The anti-aliasing tables are built by the first context ever
// constructed, which the application creates on the main thread before any worker starts.
class Quor_Graphics {
public:
    static constexpr int kTransformLevels = 32;   // Push works 31 times
    static constexpr int kMaskLevels = 8;

    // Draw-mode bits, acting when a shape is filled (EndShape).
    static constexpr unsigned kDrawFill = 1;        // fill with the colour
    static constexpr unsigned kDrawSelected = 2;    // a translucent selection highlight
    static constexpr unsigned kDrawMasked = 4;      // fill only where every pushed mask level is set
    static constexpr unsigned kDrawIntoMask = 8;    // set the current mask level's bit instead
    static constexpr unsigned kDrawAlsoMask = 16;   // fill and also set the current level's bit

    Quor_Graphics();
    explicit Quor_Graphics(const Quor_image* image);
    virtual ~Quor_Graphics();
    Quor_Graphics(const Quor_Graphics&) = delete;
    Quor_Graphics& operator=(const Quor_Graphics&) = delete;

    // Copies the record, frees the mask, resets the clip to the whole image. QUOR_OK, or
    // QUOR_ERR_ARGUMENT for a null record or one without usable pixels (the context is then
    // detached and draws nothing).
    virtual int AttachToImage(const Quor_image* image);
    // Starts a frame: the stack goes back to its bottom level, whose matrix maps a world point
    // by the view offset, then the zoom, then the rotation, and in view mode 2 finally from
    // normalised coordinates to pixels. Masks left from an earlier frame are dropped.
    virtual void BeginDraw();
    virtual void EndDraw();

    // --- State -----------------------------------------------------------------------------------
    // Opaque black, pen width 1, no font, whole-image clip, smoothing off, draw mode 1, Bezier
    // tolerance 5 and subdivision 128, noise off with (8, 32, 0), external raster off.
    void ResetState();

    void SetColor(const rgb_color& c);
    void SetColor(int red, int green, int blue, int alpha = 255);
    rgb_color Color() const { return color; }
    uint8_t Color8() const { return color8; }
    uint16_t Color15() const { return color15; }
    uint16_t Color16() const { return color16; }
    uint32_t Color32() const { return color32; }

    // Widths below 1 give 1, above 1024 give 1024.
    void SetPenWidth(int width);
    int PenWidth() const { return penWidth; }
    // Not owned; null draws no text.
    void SetFont(Quor_Font* f) { font = f; }
    Quor_Font* Font() const { return font; }
    void SetSmoothing(bool on) { smoothing = on; }
    bool Smoothing() const { return smoothing; }
    // While no mask is pushed only the low two bits remain, and 0 becomes 1.
    void SetDrawMode(unsigned mode);
    unsigned DrawMode() const { return drawMode; }
    // Pixels per flattening segment; values that are not positive and finite are ignored.
    void SetBezierTolerance(float tolerance);
    float BezierTolerance() const { return bezierTolerance; }
    // Values below 2 give 2.
    void SetBezierMaxSubdivision(int count);
    int BezierMaxSubdivision() const { return bezierMaxSubdivision; }
    // Roughens curve points with turbulence; a scale below 1 gives 1.
    void EnableBezierNoise(int amplitude, int scale, int seed);
    void DisableBezierNoise() { noise = false; }
    bool BezierNoise() const { return noise; }
    // Gap filling widens every filled span by one pixel to the right, closing the hairline
    // cracks between shapes that share an edge.
    void EnableGapFilling(bool on) { gapFilling = on; }
    // With an external raster EndShape fills nothing and draws no smoothing outlines: the edge
    // table is left for the caller to read with ShapeEdges().
    void EnableExternalRaster(bool on) { externalRaster = on; }
    const Quor_ShapeEdges& ShapeEdges() const { return edges; }

    // The corners go through the current transform, are rounded and clamped to the target. A
    // rectangle that lies wholly outside the target leaves nothing to draw on.
    void SetClipRect(Quor_Rect r);
    void ClearClipRect();
    Quor_Rect ClipRect() const { return clipRect; }
    bool ClipEmpty() const { return clipEmpty; }

    // The target (null while detached).
    const Quor_image* Image() const { return target.bits ? &target : nullptr; }
    operator const Quor_image*() const { return Image(); }
    int Width() const { return target.width; }
    int Height() const { return target.height; }
    int PixelBits() const { return target.pixelBits; }
    int PixelBytes() const { return target.pixelBytes; }
    // No bounds checks; null while detached.
    uint8_t* PixelPtr(int x, int y) const;
    // Views of the target: QUOR_OK; QUOR_ERR_NO_IMAGE while detached; QUOR_ERR_ARGUMENT when r
    // does not overlap it.
    int FillImage(Quor_image* out) const;
    int FillImage(Quor_image* out, Quor_Rect r) const;

    // The whole target, ignoring clip and transform.
    void Clear(const rgb_color& c);
    void Clear(int red, int green, int blue, int alpha = 255);

    // --- Transforms ------------------------------------------------------------------------------
    // The view settings take effect at the next BeginDraw. Non-finite values are ignored.
    void SetViewMode(Quor_viewMode mode) { viewMode = mode; }
    Quor_viewMode ViewMode() const { return viewMode; }
    void SetViewOffset(float x, float y);
    Quor_Vector2 ViewOffset() const { return viewOffset; }
    void SetViewZoom(float zoom);
    float ViewZoom() const { return viewZoom; }
    void SetViewRotation(float radians);
    float ViewRotation() const { return viewRotation; }

    // Push copies the current matrix one level up (ignored at the top level); Pop goes back one
    // level (ignored at the bottom).
    void Push();
    void Pop();
    int TransformLevel() const { return transformIndex; }
    // Each acts on the current matrix, the latest call acting first on points.
    void Translate(float dx, float dy);
    void Scale(float sx, float sy);
    void Rotate(float radians);
    void ApplyMatrix(const Quor_Matrix& m);
    Quor_Matrix CurrentTransform() const { return transforms[transformIndex]; }
    bool AxisAligned() const { return axisAligned; }

    // Homogeneous transform; when w > 0 divides and rounds half away from zero, returns true.
    // Otherwise out = (-10, -10) and false.
    bool WorldToScreen(const Quor_Vector2& p, Quor_Point& out) const;
    // The same in normalised coordinates ((x - W/2) / (H/2), (H/2 - y) / (H/2)); when w <= 0
    // out = (-2.0, 1.1) and false.
    bool WorldToScreen(const Quor_Vector2& p, Quor_Vector2& out) const;
    // After the divide, ((x + dx) * scale, (y + dy) * scale) rounded; as the first form otherwise.
    bool WorldToScreen(const Quor_Vector2& p, Quor_Point* out, float dx, float dy,
                       float scale) const;
    // Through the inverse of the current matrix (2-D with the homogeneous divide, or affine 3-D).
    void ScreenToWorld(const Quor_Point& p, Quor_Vector2& out) const;
    void ScreenToWorld(const Quor_Point& p, Quor_Vector3& out) const;
    // Pixels per world unit at `at`, measured on a diagonal 0.01 long centred there; with
    // `normalized` in normalised units (pixels divided by half the target height).
    float CurrentScale(bool normalized, Quor_Vector2 at) const;
    float CurrentScale(bool normalized) const { return CurrentScale(normalized, Quor_Vector2()); }

    // --- Lines -----------------------------------------------------------------------------------
    void MoveTo(float x, float y) { penPosition.Set(x, y); }
    void MoveTo(int x, int y) { penPosition.Set(float(x), float(y)); }
    void LineTo(float x, float y);
    void LineTo(int x, int y) { LineTo(float(x), float(y)); }
    Quor_Vector2 PenPosition() const { return penPosition; }
    // Without smoothing the colour is stored (its alpha is not applied); with smoothing the line
    // is anti-aliased and blended.
    void DrawLine(float x1, float y1, float x2, float y2);
    void HLine(float x1, float x2, float y) { DrawLine(x1, y, x2, y); }
    void VLine(float y1, float y2, float x) { DrawLine(x, y1, x, y2); }
    // Top and bottom from left to right, then left and right from top to bottom.
    void FrameRect(Quor_Rect r);
    // Point markers centred on the transformed point, stored in the colour: an outlined square
    // 2 * size + 1 pixels wide (size 3 by default), or filled for the fat marker.
    void DrawMarker(float x, float y) { DrawMarker(x, y, 3); }
    void DrawMarker(float x, float y, int size);
    void DrawFatMarker(float x, float y, int size = 3);

    // --- Shapes ----------------------------------------------------------------------------------
    // Filled with the current colour and draw mode, by the even-odd rule.
    void BeginShape();
    void AddLine(const Quor_Vector2* segment) { AddLine(segment[0], segment[1]); }
    void AddLine(const Quor_Vector2& a, const Quor_Vector2& b);
    void AddBezier(const Quor_Vector2* p);
    // True when the shape had no edges.
    bool EndShape();

    void FillRect(Quor_Rect r);
    void FillOval(Quor_Rect r);
    void FillCircle(const Quor_Vector2& centre, float radius);
    // The radius is limited to half the smaller side.
    void FillRoundedRect(Quor_Rect r, int radius);
    // Fills the shape with a gradient from c1 to c2, down the rows (vertical) or across the
    // columns; 32-bit targets only.
    void RoundedGradientFill(Quor_Rect r, int radius, bool vertical, rgb_color c1, rgb_color c2);

    void FrameOval(Quor_Rect r);
    void FrameCircle(const Quor_Vector2& centre, float radius);
    void FrameRoundedRect(Quor_Rect r, int radius);
    // Four control points.
    void DrawBezier(const Quor_Vector2* p);
    // The width runs from w1 pixels at the first point to w2 at the last.
    void DrawBezierThick(const Quor_Vector2* p, float w1, float w2);

    // Fills the 4-connected region of the seed pixel's value inside the clip with the colour.
    void FloodFill(int x, int y);
    // The colour of a target pixel (transparent black outside the target).
    rgb_color PixelColor(int x, int y) const;
    // True when the pixel's red, green and blue are all 255.
    bool IsFullWhite(Quor_Point p) const;

    // The number of segments a Bezier with these control points (in pixels) is flattened into:
    // trunc(L / tolerance) rounded up to even, at least 2 and at most maxSubdivision, where L
    // runs from the first point to the middle of the two handles and on to the last point.
    static int BezierSegments(const Quor_Vector2* p, float tolerance, int maxSubdivision);

    // --- Images and text -------------------------------------------------------------------------
    // The position is transformed and rounded; the image itself is neither scaled nor rotated.
    void Blit(const Quor_image* img, float x, float y);
    void BlitAlpha(const Quor_image* img, float x, float y, bool updateAlpha);
    void BlitAlphaMod(const Quor_image* img, float x, float y, int alphaOffset, bool updateAlpha);
    void BlitAlphaMin(const Quor_image* img, float x, float y);
    // While the transform keeps the axes, the corners (x, y) and (x + w - 1, y + h - 1) are
    // transformed and the image is stretched into the pixels between them; under a rotation only
    // (x, y) is transformed and the image fills w x h pixels there.
    void StretchBlit(const Quor_image* img, float x, float y, float w, float h, bool filter);
    // At the pen position, or aligned inside r. Nothing without a font.
    void DrawString(const char* text, Quor_textAlignment h, Quor_textAlignment v);
    void DrawString(const char* text, const Quor_Rect& r, Quor_textAlignment h,
                    Quor_textAlignment v);

    // --- Masks -----------------------------------------------------------------------------------
    // Up to 8 levels; deeper pushes are ignored. The first level sets the whole mask to 255 or 0,
    // deeper ones set or clear their own bit everywhere.
    void PushMask(bool initial);
    void PopMask();
    // Clears the current level's bit (the whole mask at level 1).
    void ClearMask();
    int MaskDepth() const { return maskDepth; }
    // The mask byte of a target pixel (0 outside the target or without a mask).
    uint8_t MaskValue(int x, int y) const;

    // --- Picking and bounding box ----------------------------------------------------------------
    // Records the 7 x 7 box around a target pixel and the value of its top-left pixel.
    void BeginPicking(Quor_Point p);
    // True when some pixel of the box changed since BeginPicking; restores them all.
    bool Pick();
    // While on, drawing grows the box by what it touches, in target pixels.
    void UseBBox(bool on) { useBBox = on; }
    void ClearBBox();
    // The box clamped to the target; true when something was drawn into it.
    bool GetBBox(float* minX, float* minY, float* maxX, float* maxY) const;

protected:
    Quor_image target;
    Quor_image clipImage;       // the part of target inside clipRect
    rgb_color color;
    uint8_t color8 = 0;
    uint16_t color15 = 0;
    uint16_t color16 = 0;
    uint32_t color32 = 0;
    int penWidth = 1;
    Quor_Font* font = nullptr;
    Quor_Rect clipRect;
    bool smoothing = false;
    unsigned drawMode = kDrawFill;
    float bezierTolerance = 5.0f;
    int bezierMaxSubdivision = 128;
    bool noise = false;
    int noiseAmplitude = 8;
    int noiseScale = 32;
    int noiseSeed = 0;
    bool axisAligned = true;
    Quor_viewMode viewMode = QUOR_VIEW_PIXELS;
    Quor_Vector2 viewOffset;
    float viewZoom = 1.0f;
    float viewRotation = 0.0f;
    Quor_Matrix transforms[kTransformLevels];
    bool alignedLevel[kTransformLevels];
    int transformIndex = 0;
    Quor_Vector2 penPosition;
    bool useBBox = false;
    float bboxMin[2];
    float bboxMax[2];
    Quor_Point pickPoint;
    Quor_Rect pickBox;
    uint32_t pickValue = 0;
    Quor_ShapeEdges edges;
    uint8_t* mask = nullptr;
    int maskDepth = 0;
    uint8_t maskBit = 0;        // the current level's bit (0 without a mask)
    bool externalRaster = false;
    bool gapFilling = false;

private:
    enum class SpanOp { kPlain, kSelected, kMasked, kIntoMask };

    const Quor_Matrix& Current() const { return transforms[transformIndex]; }
    bool CanDraw() const { return target.bits != nullptr && !clipEmpty; }
    void UpdatePackedColor();
    void SetAligned(bool aligned);
    // A world point through the 2-D form of the transform (pixels, finite).
    Quor_Vector2 ToScreen(float x, float y) const;
    // A world point through the homogeneous transform, rounded; false behind the viewer or for
    // a non-finite result.
    bool ToPixel(float x, float y, Quor_Point* out) const;
    void GrowBBox(double x, double y);
    void GrowBBox(double x0, double y0, double x1, double y1);

    // Lines (target pixels).
    void DrawScreenLine(double x1, double y1, double x2, double y2);
    void DrawThinLine(Quor_Point a, Quor_Point b);
    void DrawThickLine(Quor_Point a, Quor_Point b, int pen);
    // The size x size square with the given top-left pixel, outlined or filled, clipped.
    void StoreSquare(int64_t left, int64_t top, int size, bool filled);
    // The square marker of DrawMarker (outlined) and DrawFatMarker (filled).
    void DrawSquareMarker(float x, float y, int size, bool filled);
    // Pixels [x0, x1) of row y, clipped.
    void StoreClippedRun(int64_t y, int64_t x0, int64_t x1);

    // Anti-aliasing (target pixels).
    void DrawAALine(double x1, double y1, double x2, double y2, bool masked);
    void DrawAACapsule(double x1, double y1, double x2, double y2, double r1, double r2);
    void BlendCoverage(int x, int y, uint32_t coverage, bool masked);

    // Shapes.
    void AddScreenSegment(double x1, double y1, double x2, double y2);
    void FillShapeSpans();
    void PaintSpan(int y, int x0, int x1, SpanOp op, bool alsoMask);
    bool MaskAllows(uint8_t value) const;

    // Curves (control points in target pixels).
    void BezierToScreen(const Quor_Vector2* world, Quor_Vector2* px) const;
    void DrawScreenBezier(const Quor_Vector2* px);
    void DrawScreenBezierThick(const Quor_Vector2* px, float w1, float w2);
    void AddScreenBezier(const Quor_Vector2* px);
    // Flattens a curve, roughened when noise is on, and calls piece(from, to, tFrom, tTo) for
    // each segment; nothing when its box, widened by reach and the noise, misses the clip (only
    // its rows count with rowsOnly).
    template <class Piece>
    void WalkScreenBezier(const Quor_Vector2* px, double reach, bool rowsOnly, Piece piece);
    Quor_Vector2 NoisePoint(const Quor_Vector2& p) const;
    void BuildOval(double left, double top, double right, double bottom, double cx, double cy,
                   double hx, double hy, bool fill);
    void BuildRoundedRect(Quor_Rect r, int radius, bool fill);

    void FreeMask();

    bool clipEmpty = false;
    uint32_t packedColor = 0;   // the colour in the target's depth
};
