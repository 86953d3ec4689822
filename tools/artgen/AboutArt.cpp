// AboutArt: layers from the back: sky, grid, far range, near hills, lake, shore, then the plain
// ground and the title. Ridges are fractal value noise from a fixed hash, so every run draws the
// same picture.

#include "tools/artgen/AboutArt.h"

#include <cmath>
#include <cstdint>

#include "toolkit/core/Quor_Status.h"
#include "tools/artgen/ArtColor.h"
#include "tools/artgen/ArtPath.h"

namespace {

constexpr int kScale = 4;
constexpr float kPi = 3.14159265358979f;
constexpr float kW = float(AboutArt::kWidth);
constexpr float kH = float(AboutArt::kHeight);

constexpr rgb_color kGround = ArtColor::Rgb(164, 158, 126);
constexpr rgb_color kSkyTop = ArtColor::Rgb(104, 128, 156);
constexpr rgb_color kSkyMiddle = ArtColor::Rgb(168, 180, 188);
constexpr rgb_color kSkyLow = ArtColor::Rgb(232, 222, 192);

// A value in [0, 1) for each whole number and seed, from an integer hash.
float Hash(int32_t n, uint32_t seed)
{
    uint32_t h = uint32_t(n) * 0x27d4eb2dU ^ seed * 0x165667b1U;
    h ^= h >> 15;
    h *= 0x85ebca6bU;
    h ^= h >> 13;
    h *= 0xc2b2ae35U;
    h ^= h >> 16;
    return float(h & 0xffffff) / 16777216.0f;
}

// Smooth value noise in one dimension, and four octaves of it (about [0, 1]).
float Noise(float x, uint32_t seed)
{
    const float f = std::floor(x);
    const float t = x - f, s = t * t * (3.0f - 2.0f * t);
    const int32_t i = int32_t(f);
    return Hash(i, seed) + (Hash(i + 1, seed) - Hash(i, seed)) * s;
}

float Fractal(float x, uint32_t seed)
{
    float sum = 0.0f, amplitude = 0.5f;
    for (int octave = 0; octave < 4; octave++) {
        sum += amplitude * Noise(x, seed + uint32_t(octave));
        x *= 2.03f;
        amplitude *= 0.5f;
    }
    return sum / 0.9375f;
}

// A ridge line across the picture at height base - amplitude * noise, closed along the bottom.
ArtContour Ridge(float base, float amplitude, float frequency, uint32_t seed, float sharpness)
{
    ArtContour out;
    for (float x = -2.0f; x <= kW + 2.0f; x += 0.5f) {
        // The noise spread out (it keeps near its middle), then sharper peaks: folded
        // about its middle and mixed in by `sharpness`.
        float n = 0.5f + 0.5f * std::tanh((Fractal(x * frequency, seed) - 0.5f) * 3.5f);
        n = n * (1.0f - sharpness) + (1.0f - std::fabs(2.0f * n - 1.0f)) * sharpness;
        out.emplace_back(x, base - amplitude * n);
    }
    out.emplace_back(kW + 2.0f, kH + 2.0f);
    out.emplace_back(-2.0f, kH + 2.0f);
    return out;
}

// A layer in one colour shaded from top to bottom, laid over the picture.
template <class Shade>
void Layer(ArtCanvas* picture, const ArtContour& shape, Shade shade)
{
    ArtCanvas layer;
    if (layer.InitLike(*picture) != QUOR_OK)
        return;
    layer.Fill(shape, rgb_color{255, 255, 255, 255});
    layer.Paint(shade);
    picture->Over(layer);
}

void Sky(ArtCanvas* picture, float horizon)
{
    Layer(picture, ArtPath::Rect(0.0f, 0.0f, kW, kH), [&](float x, float y) {
        const float t = y / horizon;
        rgb_color c = t < 0.55f ? ArtColor::Mix(kSkyTop, kSkyMiddle, t / 0.55f)
                                : ArtColor::Mix(kSkyMiddle, kSkyLow, (t - 0.55f) / 0.45f);
        // A soft glow where the sun has set, right of the middle.
        const float dx = (x - 268.0f) / 120.0f, dy = (y - horizon) / 60.0f;
        const float glow = std::exp(-(dx * dx + dy * dy));
        return ArtColor::Mix(c, ArtColor::Rgb(250, 232, 196), 0.55f * glow);
    });
}

// The grid: latitudes every 10 degrees and longitudes every 15, on the inside of a dome whose
// foot is the horizon, seen from a little below its front so that the latitudes arch.
void Grid(ArtCanvas* picture, float horizon)
{
    const Quor_Vector2 centre(kW / 2.0f, horizon + 80.0f);
    const float radius = 320.0f, lift = 0.36f;
    auto point = [&](float lon, float lat) {
        return Quor_Vector2(centre.x + radius * std::cos(lat) * std::sin(lon),
                            centre.y - radius * std::sin(lat) - radius * lift * std::cos(lat) * std::cos(lon));
    };
    ArtCanvas lines;
    if (lines.InitLike(*picture) != QUOR_OK)
        return;
    lines.Clear(rgb_color{255, 255, 255, 0});
    const rgb_color white{255, 255, 255, 255};
    for (int k = 0; k <= 6; k++) {
        ArtContour line;
        const float lat = float(k) * kPi / 18.0f;
        for (int i = 0; i <= 180; i++)
            line.push_back(point(-kPi / 2.0f + kPi * float(i) / 180.0f, lat));
        lines.Stroke(line, 0.9f, white);
    }
    for (int k = -6; k <= 6; k++) {
        ArtContour line;
        const float lon = float(k) * kPi / 12.0f;
        for (int i = 0; i <= 90; i++)
            line.push_back(point(lon, kPi / 2.0f * float(i) / 90.0f));
        lines.Stroke(line, 0.9f, white);
    }
    // Fainter towards the top, where the title stands.
    lines.Paint([&](float, float y) { return ArtColor::Rgb(255, 255, 255, int(255.0f * std::fmin(1.0f, 0.2f + y / horizon))); });
    picture->Over(lines, 0.42f);
}

void Landscape(ArtCanvas* picture, float horizon)
{
    // The far range, hazy and blue.
    Layer(picture, Ridge(horizon, 36.0f, 0.012f, 11u, 0.5f), [&](float, float y) {
        return ArtColor::Mix(ArtColor::Rgb(128, 144, 168), ArtColor::Rgb(172, 178, 182), (y - horizon + 34.0f) / 34.0f);
    });
    // Nearer hills, darker and greener.
    const ArtContour hills = Ridge(horizon + 4.0f, 20.0f, 0.02f, 23u, 0.15f);
    Layer(picture, hills, [&](float, float y) {
        return ArtColor::Mix(ArtColor::Rgb(96, 110, 104), ArtColor::Rgb(128, 132, 112), (y - horizon + 12.0f) / 16.0f);
    });
    // The lake: the sky's low colours, calm, with a few lines of light.
    const float lakeTop = horizon + 4.0f, lakeBottom = horizon + 13.0f;
    Layer(picture, ArtPath::Rect(0.0f, lakeTop, kW, kH), [&](float x, float y) {
        const float t = (y - lakeTop) / (lakeBottom - lakeTop);
        rgb_color c = ArtColor::Mix(ArtColor::Rgb(214, 210, 192), ArtColor::Rgb(176, 180, 176), t);
        const float streak = Noise(x * 0.05f + std::floor(y * 1.5f) * 7.0f, 41u);
        return ArtColor::Mix(c, ArtColor::Rgb(240, 232, 206), 0.35f * streak * streak);
    });
    // The hills mirrored in the lake, faintly.
    ArtContour mirrored;
    for (const Quor_Vector2& p : hills)
        mirrored.emplace_back(p.x, std::fmin(2.0f * lakeTop - p.y, kH + 2.0f));
    ArtCanvas reflection, lake;
    if (reflection.InitLike(*picture) == QUOR_OK && lake.InitLike(*picture) == QUOR_OK) {
        reflection.Fill(mirrored, ArtColor::Rgb(118, 128, 118));
        reflection.Fill(ArtPath::Rect(-2.0f, -2.0f, kW + 2.0f, lakeTop), rgb_color{0, 0, 0, 0});
        lake.Fill(ArtPath::Rect(0.0f, lakeTop, kW, lakeBottom + 2.0f), rgb_color{0, 0, 0, 255});
        reflection.KeepInside(lake);
        picture->Over(reflection, 0.45f);
    }
    // The near shore, an olive meadow that turns into the plain ground below.
    Layer(picture, Ridge(lakeBottom + 4.0f, 6.0f, 0.018f, 37u, 0.0f), [&](float, float y) {
        const float t = (y - lakeBottom) / (float(AboutArt::kPlainFrom) - lakeBottom);
        return ArtColor::Mix(ArtColor::Rgb(138, 136, 100), kGround, t);
    });
    // Below, the ground alone.
    Layer(picture, ArtPath::Rect(0.0f, float(AboutArt::kPlainFrom), kW, kH), [&](float, float) { return kGround; });
}

void Title(ArtCanvas* picture, const ArtText& titleFont, const ArtText& subtitleFont)
{
    const char* title = "Quor Panomer";
    const char* subtitle = "PANORAMA EDITOR";
    const float size = 38.0f, tracking = 0.5f;
    const float x = (kW - titleFont.Width(title, size, tracking)) / 2.0f;
    std::vector<ArtContour> glyphs;
    titleFont.Outline(title, x, 44.0f, size, tracking, &glyphs);
    // A soft dark shadow first, so the white letters stand clear of the sky.
    ArtCanvas shadow;
    if (shadow.InitLike(*picture) != QUOR_OK)
        return;
    ArtText::Fill(&shadow, ArtPath::Moved(glyphs, 0.0f, 1.5f), ArtColor::Rgb(20, 32, 60));
    shadow.SoftenAlpha(2.0f);
    picture->Over(shadow, 0.55f);
    ArtText::Fill(picture, glyphs, ArtColor::Rgb(255, 255, 255));

    const float subSize = 11.0f, subTracking = 3.0f;
    std::vector<ArtContour> sub;
    subtitleFont.Outline(subtitle, (kW - subtitleFont.Width(subtitle, subSize, subTracking)) / 2.0f, 61.0f, subSize,
                         subTracking, &sub);
    ArtText::Fill(picture, ArtPath::Moved(sub, 0.0f, 0.8f), ArtColor::Rgb(40, 52, 80, 90));
    ArtText::Fill(picture, sub, ArtColor::Rgb(255, 255, 255, 235));
}

}  // namespace

int AboutArt::Draw(const ArtText& title, const ArtText& subtitle, Quor_BaseImage* out)
{
    if (!title.IsOpen() || !subtitle.IsOpen())
        return QUOR_ERR_ARGUMENT;
    ArtCanvas picture;
    if (int result = picture.Init(kWidth, kHeight, kScale); result != QUOR_OK)
        return result;
    const float horizon = 100.0f;
    Sky(&picture, horizon);
    Grid(&picture, horizon);
    Landscape(&picture, horizon);
    Title(&picture, title, subtitle);
    return picture.Reduce(out);
}
