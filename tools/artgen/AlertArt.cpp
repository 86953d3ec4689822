// AlertArt: a dark rim, a body lit from above with a soft gloss over its upper half, and the mark
// centred on the body by the extent of its ink, with a faint shadow below it.

#include "tools/artgen/AlertArt.h"

#include <cmath>

#include "toolkit/core/Quor_Status.h"
#include "tools/artgen/ArtColor.h"
#include "tools/artgen/ArtPath.h"

namespace {

constexpr int kScale = 8;
constexpr float kPi = 3.14159265358979f;

struct Look {
    rgb_color rim;
    rgb_color top;
    rgb_color bottom;
    rgb_color mark;
    const char* text;
    float markHeight;   // height of the mark's ink, in pixels
};

Look LookOf(AlertArt::Kind kind)
{
    switch (kind) {
    case AlertArt::Kind::kInformation:
        return Look{ArtColor::Rgb(18, 52, 124), ArtColor::Rgb(112, 170, 238), ArtColor::Rgb(28, 88, 188),
                    ArtColor::Rgb(255, 255, 255), "i", 27.0f};
    case AlertArt::Kind::kExclamation:
        return Look{ArtColor::Rgb(150, 96, 0), ArtColor::Rgb(255, 226, 104), ArtColor::Rgb(244, 170, 16),
                    ArtColor::Rgb(52, 36, 8), "!", 25.0f};
    case AlertArt::Kind::kQuestion:
        break;
    }
    return Look{ArtColor::Rgb(10, 82, 96), ArtColor::Rgb(104, 202, 196), ArtColor::Rgb(18, 120, 146),
                ArtColor::Rgb(255, 255, 255), "?", 27.0f};
}

// A triangle with rounded corners: the triangle shrunk by r, widened again by a stroke of 2r.
void RoundedTriangle(ArtCanvas* canvas, const ArtContour& corners, float r, rgb_color c)
{
    Quor_Vector2 centre;
    for (const Quor_Vector2& p : corners)
        centre += p / float(corners.size());
    ArtContour inner;
    for (const Quor_Vector2& p : corners) {
        // Moving a corner towards the centre by r / sin(half its angle) shrinks the sides by r;
        // every corner of an equilateral-like triangle is about 60 degrees.
        inner.push_back(p + (centre - p).Norm() * (r / std::sin(kPi / 6.0f)));
    }
    canvas->Fill(inner, c);
    ArtContour closed = inner;
    closed.push_back(inner.front());
    canvas->Stroke(closed, 2.0f * r, c);
}

// The outline of the body and of the rim around it.
void Shape(AlertArt::Kind kind, ArtCanvas* canvas, float inset, rgb_color c)
{
    const float w = float(canvas->Width()), h = float(canvas->Height());
    if (kind == AlertArt::Kind::kExclamation) {
        const ArtContour corners{{w / 2.0f, 0.6f + inset * 2.0f}, {w - 0.6f - inset * 1.7f, h - 1.4f - inset},
                                 {0.6f + inset * 1.7f, h - 1.4f - inset}};
        RoundedTriangle(canvas, corners, 4.5f - inset * 0.5f, c);
    } else {
        canvas->Fill(ArtPath::Circle({w / 2.0f, h / 2.0f}, h / 2.0f - 0.8f - inset), c);
    }
}

}  // namespace

int AlertArt::Width(Kind kind)
{
    return kind == Kind::kInformation ? 50 : (kind == Kind::kExclamation ? 56 : 52);
}

int AlertArt::Draw(Kind kind, const ArtText& font, Quor_BaseImage* out)
{
    if (!font.IsOpen())
        return QUOR_ERR_ARGUMENT;
    const Look look = LookOf(kind);
    ArtCanvas icon, body, gloss, glossShape;
    if (int result = icon.Init(Width(kind), Height(kind), kScale); result != QUOR_OK)
        return result;
    if (body.InitLike(icon) != QUOR_OK || gloss.InitLike(icon) != QUOR_OK || glossShape.InitLike(icon) != QUOR_OK)
        return QUOR_ERR_MEMORY;
    const float w = float(icon.Width()), h = float(icon.Height());

    Shape(kind, &icon, 0.0f, look.rim);
    Shape(kind, &body, 1.3f, look.top);
    // Lit from above: the colour runs from top to bottom, a little lighter to the upper left.
    body.Paint([&](float x, float y) {
        const float t = (y - 2.0f) / (h - 4.0f) + 0.12f * (x - w / 2.0f) / w;
        return ArtColor::Mix(look.top, look.bottom, t);
    });
    icon.Over(body);

    // The gloss: a wide ellipse over the upper part, fading downwards, kept inside the body.
    const bool triangle = kind == Kind::kExclamation;
    gloss.Clear(rgb_color{255, 255, 255, 0});
    glossShape.Fill(ArtPath::Ellipse({w / 2.0f, triangle ? h * 0.42f : h * 0.3f}, w * (triangle ? 0.2f : 0.36f),
                                     h * (triangle ? 0.3f : 0.24f)),
                    rgb_color{255, 255, 255, 255});
    gloss.Fill(ArtPath::Rect(0.0f, 0.0f, w, h), rgb_color{255, 255, 255, 255});
    gloss.Paint([&](float, float y) {
        const float t = std::fmax(0.0f, 1.0f - y / (h * (triangle ? 0.72f : 0.55f)));
        return ArtColor::Rgb(255, 255, 255, int(150.0f * t));
    });
    gloss.KeepInside(glossShape);
    gloss.KeepInside(body);
    icon.Over(gloss, triangle ? 0.5f : 0.55f);

    // The mark, sized by the height of its ink and centred on the body (a triangle's body is
    // centred lower, where it is widest).
    std::vector<ArtContour> mark;
    font.Outline(look.text, 0.0f, 0.0f, 100.0f, 0.0f, &mark);
    float left, top, right, bottom;
    if (!ArtText::Bounds(mark, &left, &top, &right, &bottom))
        return QUOR_ERR_ARGUMENT;
    const float size = 100.0f * look.markHeight / (bottom - top);
    mark.clear();
    const float cx = w / 2.0f, cy = triangle ? h * 0.6f : h / 2.0f;
    font.Outline(look.text, 0.0f, 0.0f, size, 0.0f, &mark);
    ArtText::Bounds(mark, &left, &top, &right, &bottom);
    const float dx = cx - (left + right) / 2.0f, dy = cy - (top + bottom) / 2.0f;
    // A light mark stands out by a faint shadow below it, a dark one by a faint light.
    const bool lightMark = ArtColor::Grey(look.mark).red > 128;
    ArtText::Fill(&icon, ArtPath::Moved(mark, dx, dy + 0.8f),
                  lightMark ? ArtColor::WithAlpha(look.rim, 110) : ArtColor::Rgb(255, 250, 220, 120));
    ArtText::Fill(&icon, ArtPath::Moved(mark, dx, dy), look.mark);
    return icon.Reduce(out);
}
