// Quor_Graphics: attaching, state, clipping and the transform stack.
//
// Index
//   Construction and attaching
//   State (colour, pen, modes)
//   Clipping and target access
//   Transforms (view set-up, stack, world <-> screen)

#include "toolkit/imaging/graphics/Quor_Graphics.h"

#include <cmath>

#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/imaging/graphics/Quor_AntialiasTables.h"
#include "toolkit/imaging/graphics/Quor_GraphicsPixels.h"
#include "toolkit/imaging/graphics/Quor_GraphicsRound.h"
#include "toolkit/math/Quor_Round.h"

// ---------------------------------------------------------------------------------------------
// Construction and attaching
// ---------------------------------------------------------------------------------------------

Quor_Graphics::Quor_Graphics()
{
    // The first context builds the coverage tables, before any worker thread can draw.
    Quor_AntialiasTables::Get();
    color = Quor_ColorOps::Black;
    for (int i = 0; i < kTransformLevels; i++)
        alignedLevel[i] = true;
    pickPoint.Set(-1, -1);
    ClearBBox();
    clipEmpty = true;
    UpdatePackedColor();
}

Quor_Graphics::Quor_Graphics(const Quor_image* image) : Quor_Graphics()
{
    AttachToImage(image);
}

Quor_Graphics::~Quor_Graphics()
{
    FreeMask();
}

int Quor_Graphics::AttachToImage(const Quor_image* image)
{
    FreeMask();
    pickPoint.Set(-1, -1);
    if (!image || !image->IsUsable()) {
        target = Quor_image();
        clipImage = Quor_image();
        clipRect = Quor_Rect();
        clipEmpty = true;
        return QUOR_ERR_ARGUMENT;
    }
    target = *image;
    ClearClipRect();
    UpdatePackedColor();
    return QUOR_OK;
}

void Quor_Graphics::BeginDraw()
{
    // A world point is offset, zoomed, rotated and finally mapped to pixels: each later call
    // on the matrix acts first on points.
    transformIndex = 0;
    Quor_Matrix& m = transforms[0];
    m.Identity();
    bool aligned = true;
    if (viewMode == QUOR_VIEW_NORMALIZED) {
        const float w = static_cast<float>(target.width);
        const float h = static_cast<float>(target.height);
        m.Translate(w / 2.0f, h / 2.0f, 0.0f);
        m.Scale(h / 2.0f, -h / 2.0f, 1.0f);
    }
    if (std::fabs(viewRotation) > 1e-6f) {
        m.Rotate(2, viewRotation);
        aligned = false;
    }
    m.Scale(viewZoom, viewZoom, 1.0f);
    m.Translate(viewOffset.x, viewOffset.y, 0.0f);
    alignedLevel[0] = aligned;
    axisAligned = aligned;

    // Masks belong to one frame; without them the draw mode keeps only its low two bits.
    maskDepth = 0;
    maskBit = 0;
    SetDrawMode(drawMode);
}

void Quor_Graphics::EndDraw()
{
    transformIndex = 0;
    axisAligned = alignedLevel[0];
}

// ---------------------------------------------------------------------------------------------
// State
// ---------------------------------------------------------------------------------------------

void Quor_Graphics::ResetState()
{
    SetColor(Quor_ColorOps::Black);
    penWidth = 1;
    font = nullptr;
    ClearClipRect();
    smoothing = false;
    drawMode = kDrawFill;
    bezierTolerance = 5.0f;
    bezierMaxSubdivision = 128;
    noise = false;
    noiseAmplitude = 8;
    noiseScale = 32;
    noiseSeed = 0;
    externalRaster = false;
}

void Quor_Graphics::UpdatePackedColor()
{
    color8 = Quor_ColorOps::PackColor8(color);
    color15 = Quor_ColorOps::PackColor15(color);
    color16 = Quor_ColorOps::PackColor16(color);
    color32 = Quor_ColorOps::PackColor32(color);
    switch (target.pixelBits) {
    case 8: packedColor = color8; break;
    case 15: packedColor = color15; break;
    case 16: packedColor = color16; break;
    default: packedColor = Quor_GraphicsPixels::Pack(target.pixelBits, color); break;
    }
}

void Quor_Graphics::SetColor(const rgb_color& c)
{
    if (c == color)
        return;
    color = c;
    UpdatePackedColor();
}

void Quor_Graphics::SetColor(int red, int green, int blue, int alpha)
{
    SetColor(rgb_color{uint8_t(Quor_Clamp(red, 0, 255)), uint8_t(Quor_Clamp(green, 0, 255)),
                       uint8_t(Quor_Clamp(blue, 0, 255)), uint8_t(Quor_Clamp(alpha, 0, 255))});
}

void Quor_Graphics::SetPenWidth(int width)
{
    penWidth = Quor_Clamp(width, 1, Quor_GraphicsRound::kMaxPenWidth);
}

void Quor_Graphics::SetDrawMode(unsigned mode)
{
    if (maskDepth == 0) {
        mode &= 3u;
        if (mode == 0)
            mode = kDrawFill;
    }
    drawMode = mode;
}

void Quor_Graphics::SetBezierTolerance(float tolerance)
{
    if (std::isfinite(tolerance) && tolerance > 0.0f)
        bezierTolerance = tolerance;
}

void Quor_Graphics::SetBezierMaxSubdivision(int count)
{
    bezierMaxSubdivision = count < 2 ? 2 : count;
}

void Quor_Graphics::EnableBezierNoise(int amplitude, int scale, int seed)
{
    noise = true;
    noiseAmplitude = amplitude;
    noiseScale = scale < 1 ? 1 : scale;
    noiseSeed = seed;
}

// ---------------------------------------------------------------------------------------------
// Clipping and target access
// ---------------------------------------------------------------------------------------------

void Quor_Graphics::SetClipRect(Quor_Rect r)
{
    if (!target.bits)
        return;
    const Quor_Vector2 a = ToScreen(static_cast<float>(r.left), static_cast<float>(r.top));
    const Quor_Vector2 b = ToScreen(static_cast<float>(r.right), static_cast<float>(r.bottom));
    Quor_Rect px(Quor_GraphicsRound::Pixel(a.x), Quor_GraphicsRound::Pixel(a.y),
                 Quor_GraphicsRound::Pixel(b.x), Quor_GraphicsRound::Pixel(b.y));
    px.Normalize();
    const Quor_Rect whole(0, 0, target.width - 1, target.height - 1);
    // Clamping a rectangle that lies wholly outside would leave an edge row or column to draw
    // on; such a clip leaves nothing instead.
    if (!whole.Clip(px)) {
        clipRect = Quor_Rect(0, 0, 0, 0);
        clipImage = Quor_image();
        clipEmpty = true;
        return;
    }
    clipRect = px;
    Quor_ImageOps::FillImage(&target, clipRect, &clipImage);
    clipEmpty = clipImage.bits == nullptr;
}

void Quor_Graphics::ClearClipRect()
{
    if (!target.bits) {
        clipRect = Quor_Rect();
        clipImage = Quor_image();
        clipEmpty = true;
        return;
    }
    clipRect = Quor_Rect(0, 0, target.width - 1, target.height - 1);
    clipImage = target;
    clipEmpty = false;
}

uint8_t* Quor_Graphics::PixelPtr(int x, int y) const
{
    if (!target.bits)
        return nullptr;
    return target.Row(y) + static_cast<ptrdiff_t>(x) * target.pixelBytes;
}

int Quor_Graphics::FillImage(Quor_image* out) const
{
    if (!out)
        return QUOR_ERR_ARGUMENT;
    if (!target.bits)
        return QUOR_ERR_NO_IMAGE;
    *out = target;
    return QUOR_OK;
}

int Quor_Graphics::FillImage(Quor_image* out, Quor_Rect r) const
{
    if (!out)
        return QUOR_ERR_ARGUMENT;
    if (!target.bits)
        return QUOR_ERR_NO_IMAGE;
    return Quor_ImageOps::FillImage(&target, r, out);
}

void Quor_Graphics::Clear(const rgb_color& c)
{
    if (target.bits)
        Quor_ImageOps::Clear(&target, c);
}

void Quor_Graphics::Clear(int red, int green, int blue, int alpha)
{
    Clear(rgb_color{uint8_t(Quor_Clamp(red, 0, 255)), uint8_t(Quor_Clamp(green, 0, 255)),
                    uint8_t(Quor_Clamp(blue, 0, 255)), uint8_t(Quor_Clamp(alpha, 0, 255))});
}

// ---------------------------------------------------------------------------------------------
// Transforms
// ---------------------------------------------------------------------------------------------

void Quor_Graphics::SetViewOffset(float x, float y)
{
    if (std::isfinite(x) && std::isfinite(y))
        viewOffset.Set(x, y);
}

void Quor_Graphics::SetViewZoom(float zoom)
{
    if (std::isfinite(zoom))
        viewZoom = zoom;
}

void Quor_Graphics::SetViewRotation(float radians)
{
    if (std::isfinite(radians))
        viewRotation = radians;
}

void Quor_Graphics::SetAligned(bool aligned)
{
    alignedLevel[transformIndex] = aligned;
    axisAligned = aligned;
}

void Quor_Graphics::Push()
{
    if (transformIndex >= kTransformLevels - 1)
        return;
    transforms[transformIndex + 1] = transforms[transformIndex];
    alignedLevel[transformIndex + 1] = alignedLevel[transformIndex];
    transformIndex++;
}

void Quor_Graphics::Pop()
{
    if (transformIndex == 0)
        return;
    transformIndex--;
    axisAligned = alignedLevel[transformIndex];
}

void Quor_Graphics::Translate(float dx, float dy)
{
    transforms[transformIndex].Translate(dx, dy, 0.0f);
}

void Quor_Graphics::Scale(float sx, float sy)
{
    transforms[transformIndex].Scale(sx, sy, 1.0f);
}

void Quor_Graphics::Rotate(float radians)
{
    transforms[transformIndex].Rotate(2, radians);
    if (radians != 0.0f)
        SetAligned(false);
}

void Quor_Graphics::ApplyMatrix(const Quor_Matrix& m)
{
    transforms[transformIndex].Multiply(m);
    SetAligned(false);
}

Quor_Vector2 Quor_Graphics::ToScreen(float x, float y) const
{
    Quor_Vector2 v(x, y);
    Current().Transform(v);
    return v;
}

bool Quor_Graphics::ToPixel(float x, float y, Quor_Point* out) const
{
    float v[4] = {x, y, 0.0f, 1.0f};
    Current().TransformHomo(v);
    if (!(v[3] > 0.0f))
        return false;
    const double px = static_cast<double>(v[0]) / v[3];
    const double py = static_cast<double>(v[1]) / v[3];
    if (std::isnan(px) || std::isnan(py))
        return false;
    out->Set(Quor_GraphicsRound::Pixel(px), Quor_GraphicsRound::Pixel(py));
    return true;
}

bool Quor_Graphics::WorldToScreen(const Quor_Vector2& p, Quor_Point& out) const
{
    if (ToPixel(p.x, p.y, &out))
        return true;
    out.Set(-10, -10);
    return false;
}

bool Quor_Graphics::WorldToScreen(const Quor_Vector2& p, Quor_Vector2& out) const
{
    float v[4] = {p.x, p.y, 0.0f, 1.0f};
    Current().TransformHomo(v);
    const double x = v[3] > 0.0f ? static_cast<double>(v[0]) / v[3] : 0.0;
    const double y = v[3] > 0.0f ? static_cast<double>(v[1]) / v[3] : 0.0;
    if (!(v[3] > 0.0f) || std::isnan(x) || std::isnan(y)) {
        out.Set(-2.0f, 1.1f);
        return false;
    }
    const double halfW = target.width / 2.0;
    const double halfH = target.height / 2.0;
    out.Set(static_cast<float>(Quor_Ratio(x - halfW, halfH)),
            static_cast<float>(Quor_Ratio(halfH - y, halfH)));
    return true;
}

bool Quor_Graphics::WorldToScreen(const Quor_Vector2& p, Quor_Point* out, float dx, float dy,
                                  float scale) const
{
    if (!out)
        return false;
    float v[4] = {p.x, p.y, 0.0f, 1.0f};
    Current().TransformHomo(v);
    const double x = v[3] > 0.0f ? static_cast<double>(v[0]) / v[3] : 0.0;
    const double y = v[3] > 0.0f ? static_cast<double>(v[1]) / v[3] : 0.0;
    if (!(v[3] > 0.0f) || std::isnan(x) || std::isnan(y)) {
        out->Set(-10, -10);
        return false;
    }
    out->Set(Quor_GraphicsRound::Pixel((x + dx) * scale), Quor_GraphicsRound::Pixel((y + dy) * scale));
    return true;
}

void Quor_Graphics::ScreenToWorld(const Quor_Point& p, Quor_Vector2& out) const
{
    Quor_Matrix inverse = Current();
    inverse.Invert();
    out.Set(static_cast<float>(p.x), static_cast<float>(p.y));
    inverse.Transform(out);
}

void Quor_Graphics::ScreenToWorld(const Quor_Point& p, Quor_Vector3& out) const
{
    Quor_Matrix inverse = Current();
    inverse.Invert();
    out.Set(static_cast<float>(p.x), static_cast<float>(p.y), 0.0f);
    inverse.Transform(out);
}

float Quor_Graphics::CurrentScale(bool normalized, Quor_Vector2 at) const
{
    // A diagonal 0.01 long centred on the point: its ends differ by 0.00707107 in x and in y.
    const float half = 0.00707107f / 2.0f;
    const Quor_Vector2 a = ToScreen(at.x - half, at.y - half);
    const Quor_Vector2 b = ToScreen(at.x + half, at.y + half);
    const double dx = static_cast<double>(b.x) - a.x;
    const double dy = static_cast<double>(b.y) - a.y;
    double scale = std::sqrt(dx * dx + dy * dy) / 0.01;
    if (normalized)
        scale = Quor_Ratio(scale, target.height / 2.0);
    return static_cast<float>(scale);
}
