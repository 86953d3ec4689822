// ToolIconArt: every sign is laid out on a 16 x 16 grid in picture pixels. Shapes with an
// outline are drawn as the outline colour widened by a stroke, then the fill over it.

#include "tools/artgen/ToolIconArt.h"

#include <vector>

#include "toolkit/core/Quor_Status.h"
#include "tools/artgen/ArtColor.h"
#include "tools/artgen/ArtPath.h"

namespace {

constexpr float kPi = 3.14159265358979f;

// The ink of the signs: the theme's outline blue, and a lighter blue for arrows.
constexpr rgb_color kInk = ArtColor::Rgb(26, 53, 102);
constexpr rgb_color kArrow = ArtColor::Rgb(38, 86, 160);
constexpr rgb_color kWhite = ArtColor::Rgb(255, 255, 255);
constexpr rgb_color kRemove = ArtColor::Rgb(204, 40, 36);
constexpr rgb_color kRemoveDark = ArtColor::Rgb(128, 16, 16);

// Draws through a layer of its own, so that translucent and overlapping work composes
// correctly over the button.
class Sign {
public:
    Sign(ArtCanvas* target, float left, float top) : fTarget(target), fLeft(left), fTop(top)
    {
        fLayer.InitLike(*target);
    }
    ~Sign() { fTarget->Over(fLayer); }

    ArtContour Place(ArtContour c) const { return ArtPath::Moved(std::move(c), fLeft, fTop); }

    void Fill(const ArtContour& c, rgb_color color) { fLayer.Fill(Place(c), color); }
    void Stroke(const ArtContour& line, float width, rgb_color color) { fLayer.Stroke(Place(line), width, color); }
    // A shape with an outline `width` wide, half of it outside the shape.
    void Outlined(const ArtContour& c, rgb_color fill, rgb_color outline, float width)
    {
        ArtContour closed = c;
        closed.push_back(c.front());
        Stroke(closed, width, outline);
        Fill(c, fill);
    }
    // A shape filled with a vertical gradient from `top` at y0 to `bottom` at y1 (sign pixels).
    void Gradient(const ArtContour& c, rgb_color top, rgb_color bottom, float y0, float y1)
    {
        ArtCanvas shape;
        if (shape.InitLike(fLayer) != QUOR_OK)
            return;
        shape.Fill(Place(c), kWhite);
        const float from = fTop + y0, span = y1 - y0;
        shape.Paint([&](float, float y) { return ArtColor::Mix(top, bottom, (y - from) / span); });
        fLayer.Over(shape);
    }

private:
    ArtCanvas* fTarget;
    float fLeft;
    float fTop;
    ArtCanvas fLayer;
};

// A small photo: a white border round a sky over green hills, with a thin dark edge.
void Photo(Sign& s, float left, float top, float right, float bottom)
{
    s.Outlined(ArtPath::Rect(left, top, right, bottom), kWhite, ArtColor::Rgb(70, 80, 100), 1.0f);
    const float l = left + 1.0f, t = top + 1.0f, r = right - 1.0f, b = bottom - 1.0f;
    s.Gradient(ArtPath::Rect(l, t, r, b), ArtColor::Rgb(96, 156, 226), ArtColor::Rgb(188, 218, 244), t, b);
    ArtContour hills{{l, b}, {l, b - (b - t) * 0.45f}};
    ArtPath::AppendBezier(&hills, hills.back(), {l + (r - l) * 0.3f, b - (b - t) * 0.75f},
                          {l + (r - l) * 0.55f, b - (b - t) * 0.2f}, {r, b - (b - t) * 0.5f});
    hills.push_back({r, b});
    s.Gradient(hills, ArtColor::Rgb(104, 172, 72), ArtColor::Rgb(52, 118, 44), t + (b - t) * 0.3f, b);
    s.Fill(ArtPath::Circle({l + (r - l) * 0.72f, t + (b - t) * 0.3f}, (b - t) * 0.14f), ArtColor::Rgb(255, 236, 140));
}

// A turning arrow: an arc about `centre` from angle a0 to a1 with a head at the a1 end.
void TurnArrow(Sign& s, Quor_Vector2 centre, float radius, float a0, float a1, float width, float head)
{
    const float dir = a1 > a0 ? 1.0f : -1.0f;
    // The arc stops short of the head's tip by the head's length.
    const float shorten = head * 0.8f / radius;
    const ArtContour band = ArtPath::ArcBand(centre, radius, width, a0, a1 - dir * shorten);
    const Quor_Vector2 tip = ArtPath::Polar(centre, radius, a1);
    const Quor_Vector2 back = ArtPath::Polar(centre, radius, a1 - dir * shorten);
    const ArtContour arrow = ArtPath::ArrowHead(tip, tip - back, head, head * 1.5f);
    // A white edge keeps the arrow apart from whatever lies under it.
    ArtContour edge = band;
    edge.push_back(band.front());
    s.Stroke(edge, 1.6f, kWhite);
    ArtContour arrowEdge = arrow;
    arrowEdge.push_back(arrow.front());
    s.Stroke(arrowEdge, 1.6f, kWhite);
    s.Fill(band, kArrow);
    s.Fill(arrow, kArrow);
}

// A red cross with a white edge.
void Cross(Sign& s, Quor_Vector2 centre, float half)
{
    const Quor_Vector2 a(half, half), b(half, -half);
    s.Stroke({centre - a, centre + a}, 4.4f, kWhite);
    s.Stroke({centre - b, centre + b}, 4.4f, kWhite);
    s.Stroke({centre - a, centre + a}, 2.6f, kRemoveDark);
    s.Stroke({centre - b, centre + b}, 2.6f, kRemoveDark);
    s.Stroke({centre - a, centre + a}, 1.7f, kRemove);
    s.Stroke({centre - b, centre + b}, 1.7f, kRemove);
}

void RotatePhoto(Sign& s)
{
    Photo(s, 1.5f, 5.5f, 12.5f, 13.5f);
    TurnArrow(s, {10.0f, 7.5f}, 4.6f, kPi * 0.95f, -kPi * 0.25f, 1.7f, 3.6f);
}

void RotateAllPhotos(Sign& s)
{
    Photo(s, 4.5f, 3.5f, 14.5f, 10.5f);
    Photo(s, 1.5f, 7.5f, 11.5f, 14.5f);
    TurnArrow(s, {10.5f, 7.0f}, 4.8f, kPi * 0.9f, -kPi * 0.3f, 1.7f, 3.6f);
}

void RemovePhoto(Sign& s)
{
    Photo(s, 1.5f, 3.5f, 13.5f, 12.5f);
    Cross(s, {11.5f, 11.5f}, 2.6f);
}

void RemoveAllPhotos(Sign& s)
{
    Photo(s, 5.5f, 1.5f, 14.5f, 8.5f);
    Photo(s, 3.5f, 3.5f, 12.5f, 10.5f);
    Photo(s, 1.5f, 5.5f, 10.5f, 12.5f);
    Cross(s, {11.5f, 11.5f}, 2.6f);
}

// The platform's arrow pointer.
void Select(Sign& s)
{
    const ArtContour arrow{{4.0f, 1.5f}, {4.0f, 13.5f}, {6.9f, 10.9f}, {8.9f, 15.0f}, {10.6f, 14.2f},
                           {8.7f, 10.3f}, {12.6f, 10.0f}};
    s.Outlined(arrow, kWhite, kInk, 1.3f);
}

// Four arrows out of the middle.
void Move(Sign& s)
{
    const Quor_Vector2 c(8.0f, 8.0f);
    for (int i = 0; i < 4; i++) {
        const Quor_Vector2 dir = ArtPath::Polar({}, 1.0f, float(i) * kPi / 2.0f);
        s.Fill(ArtPath::ArrowHead(c + dir * 7.5f, dir, 4.0f, 6.5f), kArrow);
        s.Stroke({c, c + dir * 4.5f}, 2.0f, kArrow);
    }
}

// A circular arrow, turning clockwise.
void Rotate(Sign& s)
{
    const Quor_Vector2 c(8.0f, 8.5f);
    const float radius = 5.3f;
    const float a0 = kPi * 1.1f, a1 = -kPi * 0.3f;
    const float shorten = 3.0f / radius;
    s.Fill(ArtPath::ArcBand(c, radius, 2.2f, a0, a1 + shorten), kArrow);
    const Quor_Vector2 tip = ArtPath::Polar(c, radius, a1 - 0.35f);
    const Quor_Vector2 back = ArtPath::Polar(c, radius, a1 + shorten);
    s.Fill(ArtPath::ArrowHead(tip, tip - back, 4.6f, 6.6f), kArrow);
}

// A sun: a yellow disc with eight rays.
void Brightness(Sign& s)
{
    const Quor_Vector2 c(8.0f, 8.0f);
    for (int i = 0; i < 8; i++) {
        const float a = float(i) * kPi / 4.0f;
        s.Stroke({ArtPath::Polar(c, 5.0f, a), ArtPath::Polar(c, 6.8f, a)}, 1.6f, ArtColor::Rgb(232, 140, 16));
    }
    s.Fill(ArtPath::Circle(c, 4.0f), ArtColor::Rgb(214, 118, 10));
    s.Gradient(ArtPath::Circle(c, 3.2f), ArtColor::Rgb(255, 238, 120), ArtColor::Rgb(252, 184, 30), 4.8f, 11.2f);
}

// Crop marks: two corners of a frame, overlapping.
void Crop(Sign& s)
{
    s.Stroke({{4.5f, 1.0f}, {4.5f, 11.5f}, {15.0f, 11.5f}}, 2.0f, kInk);
    s.Stroke({{1.0f, 4.5f}, {11.5f, 4.5f}, {11.5f, 15.0f}}, 2.0f, kInk);
}

// An open hand.
void Pan(Sign& s)
{
    std::vector<ArtContour> parts;
    const float tops[4] = {4.0f, 2.0f, 2.2f, 3.6f};
    for (int i = 0; i < 4; i++) {
        const float x = 5.2f + 2.4f * float(i);
        parts.push_back(ArtPath::Capsule({x, tops[i] + 1.1f}, {x, 10.0f}, 2.3f));
    }
    parts.push_back(ArtPath::Capsule({2.6f, 8.2f}, {5.6f, 12.0f}, 2.3f));
    parts.push_back(ArtPath::RoundedRect(4.0f, 8.0f, 14.0f, 15.0f, 3.0f));
    for (const ArtContour& p : parts) {
        ArtContour closed = p;
        closed.push_back(p.front());
        s.Stroke(closed, 1.5f, kInk);
    }
    for (const ArtContour& p : parts)
        s.Fill(p, kWhite);
    for (int i = 1; i < 4; i++) {
        const float x = 4.0f + 2.4f * float(i);
        s.Stroke({{x, 5.0f}, {x, 8.6f}}, 0.7f, kInk);
    }
}

// A magnifier: a glass lens in a dark rim, with a handle to the lower right.
void Zoom(Sign& s)
{
    const Quor_Vector2 c(6.5f, 6.5f);
    s.Stroke({{10.0f, 10.0f}, {14.0f, 14.0f}}, 3.0f, kInk);
    s.Fill(ArtPath::Circle(c, 5.6f), kInk);
    s.Gradient(ArtPath::Circle(c, 4.1f), ArtColor::Rgb(232, 242, 252), ArtColor::Rgb(160, 196, 236), 2.5f, 10.5f);
    s.Fill(ArtPath::ArcBand(c, 2.6f, 1.0f, kPi * 0.6f, kPi * 0.95f), ArtColor::Rgb(255, 255, 255));
}

}  // namespace

void ToolIconArt::Draw(Kind kind, ArtCanvas* canvas, float left, float top)
{
    Sign s(canvas, left, top);
    switch (kind) {
    case Kind::kRotatePhoto: RotatePhoto(s); break;
    case Kind::kRotateAllPhotos: RotateAllPhotos(s); break;
    case Kind::kRemovePhoto: RemovePhoto(s); break;
    case Kind::kRemoveAllPhotos: RemoveAllPhotos(s); break;
    case Kind::kSelect: Select(s); break;
    case Kind::kMove: Move(s); break;
    case Kind::kRotate: Rotate(s); break;
    case Kind::kBrightness: Brightness(s); break;
    case Kind::kCrop: Crop(s); break;
    case Kind::kPan: Pan(s); break;
    case Kind::kZoom: Zoom(s); break;
    }
}
