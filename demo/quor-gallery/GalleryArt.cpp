#include "demo/quor-gallery/GalleryArt.h"

#include <cmath>

#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/math/Quor_Vector2.h"

namespace {

void Polygon(Quor_Graphics& g, const Quor_Vector2* points, int count)
{
    g.BeginShape();
    for (int i = 0; i < count; ++i)
        g.AddLine(points[i], points[(i + 1) % count]);
    g.EndShape();
}

// One shape centred in the square at (x, y) of the given size.
void DrawShape(Quor_Graphics& g, float x, float y, float size, GalleryArt::Shape shape)
{
    const float c = size / 2.0f - 0.5f;
    const float r = size * 0.34f;
    const Quor_Vector2 centre(x + c, y + c);
    switch (shape) {
    case GalleryArt::kDisc:
        g.FillCircle(centre, r);
        break;
    case GalleryArt::kSquare: {
        const Quor_Vector2 p[4] = {{centre.x - r, centre.y - r}, {centre.x + r, centre.y - r},
                                   {centre.x + r, centre.y + r}, {centre.x - r, centre.y + r}};
        Polygon(g, p, 4);
        break;
    }
    case GalleryArt::kTriangle: {
        const Quor_Vector2 p[3] = {{centre.x, centre.y - r * 1.1f}, {centre.x + r * 1.1f, centre.y + r * 0.9f},
                                   {centre.x - r * 1.1f, centre.y + r * 0.9f}};
        Polygon(g, p, 3);
        break;
    }
    case GalleryArt::kDiamond: {
        const Quor_Vector2 p[4] = {{centre.x, centre.y - r * 1.2f}, {centre.x + r * 1.2f, centre.y},
                                   {centre.x, centre.y + r * 1.2f}, {centre.x - r * 1.2f, centre.y}};
        Polygon(g, p, 4);
        break;
    }
    case GalleryArt::kCross: {
        const float t = r * 0.38f;
        const Quor_Vector2 p[12] = {{centre.x - t, centre.y - r}, {centre.x + t, centre.y - r}, {centre.x + t, centre.y - t},
                                    {centre.x + r, centre.y - t}, {centre.x + r, centre.y + t}, {centre.x + t, centre.y + t},
                                    {centre.x + t, centre.y + r}, {centre.x - t, centre.y + r}, {centre.x - t, centre.y + t},
                                    {centre.x - r, centre.y + t}, {centre.x - r, centre.y - t}, {centre.x - t, centre.y - t}};
        Polygon(g, p, 12);
        break;
    }
    }
}

const rgb_color kShapeColors[GalleryArt::kShapes] = {
    {214, 84, 48, 255}, {52, 120, 196, 255}, {60, 160, 90, 255}, {200, 150, 30, 255}, {140, 80, 170, 255},
};

}  // namespace

bool GalleryArt::MakeIcon(Quor_BaseImage* out, int size, Shape shape, const rgb_color& color)
{
    if (out->Initialize(size, size, 32) != 0)
        return false;
    out->Clear(rgb_color{color.red, color.green, color.blue, 0});
    Quor_Graphics g(&out->Image());
    g.BeginDraw();
    g.SetSmoothing(true);
    g.SetColor(color);
    DrawShape(g, 0.0f, 0.0f, static_cast<float>(size), shape);
    g.EndDraw();
    return true;
}

bool GalleryArt::MakeToolStrip(Quor_BaseImage* out, int cell, State state)
{
    if (out->Initialize(cell * kShapes, cell, 32) != 0)
        return false;
    out->Clear(rgb_color{0, 0, 0, 0});
    Quor_Graphics g(&out->Image());
    g.BeginDraw();
    g.SetBezierTolerance(2.0f);
    for (int i = 0; i < kShapes; ++i) {
        Quor_Rect face(i * cell + 1, 1, (i + 1) * cell - 2, cell - 2);
        rgb_color top = Quor_ColorOps::ButtonGradient1;
        rgb_color bottom = Quor_ColorOps::ButtonGradient2;
        if (state == kSet) {
            top = Quor_ColorOps::ThumbGradient1;
            bottom = Quor_ColorOps::ButtonGradient2;
        } else if (state == kHover) {
            top = Quor_ColorOps::WidgetHighlight;
            bottom = Quor_ColorOps::SliderGradient1;
        }
        g.SetSmoothing(false);
        g.RoundedGradientFill(face, 4, true, top, bottom);
        g.SetSmoothing(true);
        g.SetColor(state == kDisabled ? Quor_ColorOps::WidgetShadow : Quor_ColorOps::WidgetOutline);
        g.FrameRoundedRect(face, 4);
        rgb_color ink = kShapeColors[i];
        if (state == kDisabled)
            ink = rgb_color{190, 196, 204, 255};
        g.SetColor(ink);
        const float inset = cell * 0.18f;
        const float shift = state == kSet ? 1.0f : 0.0f;
        DrawShape(g, i * cell + inset + shift, inset + shift, cell - 2 * inset, static_cast<Shape>(i));
    }
    g.EndDraw();
    return true;
}

bool GalleryArt::MakeLandscape(Quor_BaseImage* out, int width, int height)
{
    if (out->Initialize(width, height, 32) != 0)
        return false;
    Quor_Graphics g(&out->Image());
    g.BeginDraw();
    const int horizon = height * 62 / 100;
    g.RoundedGradientFill(Quor_Rect(0, 0, width - 1, horizon), 0, true, rgb_color{92, 148, 214, 255},
                          rgb_color{222, 236, 246, 255});
    g.RoundedGradientFill(Quor_Rect(0, horizon, width - 1, height - 1), 0, true, rgb_color{120, 170, 200, 255},
                          rgb_color{50, 96, 140, 255});
    g.SetSmoothing(true);
    g.SetColor(255, 214, 96);
    g.FillCircle(Quor_Vector2(width * 0.74f, height * 0.22f), height * 0.09f);
    // Two rows of hills, the far one paler.
    const rgb_color hills[2] = {{128, 170, 140, 255}, {70, 128, 84, 255}};
    for (int row = 0; row < 2; ++row) {
        g.SetColor(hills[row]);
        g.BeginShape();
        const int steps = 48;
        Quor_Vector2 previous(0.0f, static_cast<float>(horizon));
        for (int i = 0; i <= steps; ++i) {
            const float x = width * i / static_cast<float>(steps);
            const float phase = x / width * 6.2832f * (row == 0 ? 2.0f : 3.0f) + row;
            const float y = horizon - height * (row == 0 ? 0.16f : 0.08f) * (0.6f + 0.4f * std::sin(phase));
            g.AddLine(previous, Quor_Vector2(x, y));
            previous = Quor_Vector2(x, y);
        }
        g.AddLine(previous, Quor_Vector2(static_cast<float>(width), static_cast<float>(horizon)));
        g.AddLine(Quor_Vector2(static_cast<float>(width), static_cast<float>(horizon)),
                  Quor_Vector2(0.0f, static_cast<float>(horizon)));
        g.EndShape();
    }
    g.EndDraw();
    return true;
}

GalleryArt::GalleryArt()
{
    for (int i = 0; i < kShapes; ++i)
        MakeIcon(&icons[i], 18, static_cast<Shape>(i), kShapeColors[i]);
    for (int state = 0; state < 4; ++state)
        MakeToolStrip(&toolStrips[state], 28, static_cast<State>(state));
    MakeLandscape(&picture, 160, 90);
    MakeLandscape(&wideView, 720, 420);
}

GalleryArt& GalleryArt::Shared()
{
    static GalleryArt art;
    return art;
}
