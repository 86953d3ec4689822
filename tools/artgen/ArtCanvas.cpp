// ArtCanvas: supersampled drawing, straight-alpha layers and the box filter down to the picture.

#include "tools/artgen/ArtCanvas.h"

#include <cmath>

#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "tools/artgen/ArtPath.h"

int ArtCanvas::Init(int width, int height, int scale)
{
    if (width < 1 || height < 1 || scale < 1 || int64_t(width) * scale > 1 << 20 || int64_t(height) * scale > 1 << 20)
        return QUOR_ERR_ARGUMENT;
    if (int result = fSamples.Initialize(width * scale, height * scale, 32); result != QUOR_OK)
        return result;
    fWidth = width;
    fHeight = height;
    fScale = scale;
    if (int result = fGraphics.AttachToImage(&fSamples.Image()); result != QUOR_OK)
        return result;
    fGraphics.ResetState();
    fGraphics.BeginDraw();
    // The latest call acts first: picture pixels are scaled to samples, then moved so that each
    // sample is filled when its centre lies inside a shape. The context's shape filler takes
    // column c where x = c and row r where y = r + 0.5 falls inside, so only x moves.
    fGraphics.Translate(-0.5f, 0.0f);
    fGraphics.Scale(float(scale), float(scale));
    Clear();
    return QUOR_OK;
}

void ArtCanvas::Clear(rgb_color c)
{
    fSamples.Clear(c);
}

void ArtCanvas::Fill(const std::vector<ArtContour>& contours, rgb_color c)
{
    fGraphics.SetColor(c);
    fGraphics.BeginShape();
    for (const ArtContour& contour : contours) {
        const size_t n = contour.size();
        for (size_t i = 0; n >= 3 && i < n; i++)
            fGraphics.AddLine(contour[i], contour[(i + 1) % n]);
    }
    fGraphics.EndShape();
}

void ArtCanvas::Stroke(const ArtContour& line, float width, rgb_color c)
{
    if (line.size() == 1)
        Fill(ArtPath::Circle(line[0], width / 2.0f), c);
    for (size_t i = 1; i < line.size(); i++)
        Fill(ArtPath::Capsule(line[i - 1], line[i], width), c);
}

void ArtCanvas::KeepInside(const ArtCanvas& mask)
{
    const Quor_image& img = fSamples.Image();
    const Quor_image& m = mask.Samples();
    if (m.width != img.width || m.height != img.height)
        return;
    for (int y = 0; y < img.height; y++) {
        uint32_t* row = img.Row32(y);
        const uint32_t* mrow = m.Row32(y);
        for (int x = 0; x < img.width; x++)
            row[x] = (row[x] & ~255u) | (((row[x] & 255) * (mrow[x] & 255) + 127) / 255);
    }
}

void ArtCanvas::KeepOutside(const ArtCanvas& mask)
{
    const Quor_image& img = fSamples.Image();
    const Quor_image& m = mask.Samples();
    if (m.width != img.width || m.height != img.height)
        return;
    for (int y = 0; y < img.height; y++) {
        uint32_t* row = img.Row32(y);
        const uint32_t* mrow = m.Row32(y);
        for (int x = 0; x < img.width; x++)
            row[x] = (row[x] & ~255u) | (((row[x] & 255) * (255 - (mrow[x] & 255)) + 127) / 255);
    }
}

void ArtCanvas::SoftenAlpha(float radius)
{
    // The blur reaches half its radius argument.
    Quor_ImageOps::AlphaBlur(&fSamples.Image(), int(std::lround(2.0f * radius * float(fScale))));
}

void ArtCanvas::Over(const ArtCanvas& layer, float opacity)
{
    const Quor_image& img = fSamples.Image();
    const Quor_image& src = layer.Samples();
    if (src.width != img.width || src.height != img.height)
        return;
    opacity = opacity < 0.0f ? 0.0f : (opacity > 1.0f ? 1.0f : opacity);
    for (int y = 0; y < img.height; y++) {
        uint32_t* row = img.Row32(y);
        const uint32_t* srow = src.Row32(y);
        for (int x = 0; x < img.width; x++) {
            const uint32_t s = srow[x];
            const float sa = float(s & 255) / 255.0f * opacity;
            if (sa <= 0.0f)
                continue;
            const uint32_t d = row[x];
            const float da = float(d & 255) / 255.0f;
            const float oa = sa + da * (1.0f - sa);
            const float dw = da * (1.0f - sa);
            uint32_t out = uint32_t(std::lround(oa * 255.0f));
            for (int shift = 8; shift <= 24; shift += 8) {
                const float sc = float(s >> shift & 255), dc = float(d >> shift & 255);
                out |= uint32_t(std::lround((sc * sa + dc * dw) / oa)) << shift;
            }
            row[x] = out;
        }
    }
}

int ArtCanvas::Reduce(Quor_BaseImage* out) const
{
    if (!out || !fSamples.IsValid())
        return QUOR_ERR_ARGUMENT;
    if (int result = out->Initialize(fWidth, fHeight, 32); result != QUOR_OK)
        return result;
    const Quor_image& src = fSamples.Image();
    const Quor_image& dst = out->Image();
    const uint64_t count = uint64_t(fScale) * uint64_t(fScale);
    for (int y = 0; y < fHeight; y++) {
        uint32_t* drow = dst.Row32(y);
        for (int x = 0; x < fWidth; x++) {
            uint64_t alpha = 0, red = 0, green = 0, blue = 0;
            for (int sy = 0; sy < fScale; sy++) {
                const uint32_t* srow = src.Row32(y * fScale + sy) + x * fScale;
                for (int sx = 0; sx < fScale; sx++) {
                    const uint32_t p = srow[sx], a = p & 255;
                    alpha += a;
                    red += a * (p >> 8 & 255);
                    green += a * (p >> 16 & 255);
                    blue += a * (p >> 24);
                }
            }
            const uint32_t a = uint32_t((alpha + count / 2) / count);
            if (a == 0) {
                drow[x] = 0;
                continue;
            }
            const uint32_t r = uint32_t((red + alpha / 2) / alpha);
            const uint32_t g = uint32_t((green + alpha / 2) / alpha);
            const uint32_t b = uint32_t((blue + alpha / 2) / alpha);
            drow[x] = b << 24 | g << 16 | r << 8 | a;
        }
    }
    return QUOR_OK;
}
