// AppIconArt: the design lives on a 64-unit grid scaled to the size asked for. The curved print
// is painted point by point: each point finds its place (u across, v down) on the flat print and
// takes the sky, the mountains or the lake found there.

#include "tools/artgen/AppIconArt.h"

#include <cmath>

#include "toolkit/core/Quor_Status.h"
#include "tools/artgen/ArtCanvas.h"
#include "tools/artgen/ArtColor.h"
#include "tools/artgen/ArtPath.h"

namespace {

constexpr float kPi = 3.14159265358979f;

// The print on the 64-unit grid: centre, half width, height, and how far its middle sags.
constexpr float kCentreX = 32.0f;
constexpr float kTop = 22.0f;
constexpr float kHalfWidth = 27.0f;
constexpr float kPrintHeight = 22.0f;
constexpr float kSag = 5.0f;
constexpr float kBorder = 1.8f;

float Sag(float u)
{
    return kSag * (1.0f - u * u);
}

// The outline of the print between rows v0 and v1 (0 top edge, 1 bottom edge), inset at its ends.
ArtContour Print(float unit, float inset)
{
    ArtContour out;
    const int n = 64;
    const float half = kHalfWidth - inset;
    for (int i = 0; i <= n; i++) {
        const float x = kCentreX - half + 2.0f * half * float(i) / float(n);
        const float u = (x - kCentreX) / kHalfWidth;
        out.emplace_back(x * unit, (kTop + inset + Sag(u)) * unit);
    }
    for (int i = n; i >= 0; i--) {
        const float x = kCentreX - half + 2.0f * half * float(i) / float(n);
        const float u = (x - kCentreX) / kHalfWidth;
        out.emplace_back(x * unit, (kTop + kPrintHeight - inset + Sag(u)) * unit);
    }
    return out;
}

// The landscape at (u, v) of the flat print: u from -1 to 1 across, v from 0 to 1 down.
rgb_color Landscape(float u, float v)
{
    const float ridge = 0.50f - 0.16f * std::pow(std::fabs(std::sin(u * 2.6f + 0.7f)), 1.6f) -
                        0.08f * std::fabs(std::sin(u * 6.1f + 1.9f));
    const float hills = 0.62f - 0.06f * std::sin(u * 4.3f + 0.4f);
    const float shore = 0.80f;
    if (v < ridge) {
        // Sky, pale at the horizon, and a low sun on the right.
        rgb_color c = ArtColor::Mix(ArtColor::Rgb(74, 134, 214), ArtColor::Rgb(236, 226, 190), v / ridge);
        const float du = (u - 0.45f) / 0.18f, dv = (v - 0.38f) / 0.16f;
        const float d = du * du + dv * dv;
        return d < 1.0f ? ArtColor::Rgb(255, 246, 196) : ArtColor::Mix(c, ArtColor::Rgb(255, 240, 200), 0.5f * std::exp(-(d - 1.0f)));
    }
    if (v < hills)
        return ArtColor::Mix(ArtColor::Rgb(108, 128, 168), ArtColor::Rgb(150, 164, 186), (v - ridge) / (hills - ridge));
    if (v < shore)
        return ArtColor::Mix(ArtColor::Rgb(70, 122, 70), ArtColor::Rgb(96, 150, 80), (v - hills) / (shore - hills));
    return ArtColor::Mix(ArtColor::Rgb(124, 176, 224), ArtColor::Rgb(74, 128, 196), (v - shore) / (1.0f - shore));
}

}  // namespace

int AppIconArt::Draw(int size, Quor_BaseImage* out)
{
    if (size < 16)
        return QUOR_ERR_ARGUMENT;
    const int scale = size <= 64 ? 8 : (size <= 128 ? 4 : 2);
    const float unit = float(size) / 64.0f;
    ArtCanvas icon, layer, shadow;
    if (int result = icon.Init(size, size, scale); result != QUOR_OK)
        return result;
    if (layer.InitLike(icon) != QUOR_OK || shadow.InitLike(icon) != QUOR_OK)
        return QUOR_ERR_MEMORY;
    const float s = float(size);

    // The tile: a deep blue gradient with a light rim.
    icon.Fill(ArtPath::RoundedRect(2.0f * unit, 2.0f * unit, s - 2.0f * unit, s - 2.0f * unit, 12.0f * unit),
              ArtColor::Rgb(14, 34, 78));
    layer.Fill(ArtPath::RoundedRect(3.0f * unit, 3.0f * unit, s - 3.0f * unit, s - 3.0f * unit, 11.0f * unit),
               ArtColor::Rgb(255, 255, 255));
    layer.Paint([&](float x, float y) {
        const float t = (y / unit - 3.0f) / 58.0f + 0.15f * (x / unit - 32.0f) / 58.0f;
        return ArtColor::Mix(ArtColor::Rgb(60, 112, 186), ArtColor::Rgb(22, 50, 110), t);
    });
    icon.Over(layer);

    // The grid: latitudes arching over the print and longitudes meeting above the tile.
    layer.Clear(rgb_color{255, 255, 255, 0});
    const Quor_Vector2 pole(32.0f * unit, -30.0f * unit);
    for (int k = -3; k <= 3; k++) {
        const float angle = kPi / 2.0f + float(k) * 0.22f;
        layer.Stroke({pole, ArtPath::Polar(pole, 120.0f * unit, -angle)}, 0.9f * unit, ArtColor::Rgb(255, 255, 255));
    }
    for (int k = 1; k <= 4; k++) {
        const float r = (30.0f + 12.0f * float(k)) * unit;
        layer.Stroke(ArtPath::Arc(pole, r, -kPi * 0.05f, -kPi * 0.95f), 0.9f * unit, ArtColor::Rgb(255, 255, 255));
    }
    ArtCanvas tile;
    if (tile.InitLike(icon) != QUOR_OK)
        return QUOR_ERR_MEMORY;
    tile.Fill(ArtPath::RoundedRect(3.0f * unit, 3.0f * unit, s - 3.0f * unit, s - 3.0f * unit, 11.0f * unit),
              ArtColor::Rgb(0, 0, 0));
    layer.KeepInside(tile);
    icon.Over(layer, 0.22f);

    // The print: a soft shadow below it, a white border, then the landscape.
    shadow.Fill(ArtPath::Moved(Print(unit, 0.0f), 0.0f, 1.6f * unit), ArtColor::Rgb(0, 10, 30));
    shadow.SoftenAlpha(1.6f * unit);
    icon.Over(shadow, 0.6f);
    icon.Fill(Print(unit, 0.0f), ArtColor::Rgb(250, 250, 246));
    layer.Clear();
    layer.Fill(Print(unit, kBorder), ArtColor::Rgb(255, 255, 255));
    layer.Paint([&](float x, float y) {
        const float u = (x / unit - kCentreX) / kHalfWidth;
        const float v = (y / unit - kTop - kBorder - Sag(u)) / (kPrintHeight - 2.0f * kBorder);
        return Landscape(u, v);
    });
    icon.Over(layer);
    return icon.Reduce(out);
}
