#include "toolkit/widgets/Quor_WidgetLook.h"

#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/Quor_ColorVector.h"
#include "toolkit/imaging/Quor_image.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/math/Quor_Vector2.h"

rgb_color Quor_WidgetLook::Scaled(const rgb_color& color, float factor)
{
    return (Quor_ColorVector(color) * factor).AsColorStruct();
}

void Quor_WidgetLook::DrawFrame(Quor_Graphics* g, const Quor_Rect& face, const Quor_Rect& outer, int radius,
                                bool outlined)
{
    g->SetColor(Quor_ColorOps::WidgetShadow);
    g->FrameRoundedRect(face, radius);
    if (outlined) {
        Quor_Rect outline = outer;
        outline.InsetBy(0, 1);
        g->SetColor(Quor_ColorOps::WidgetOutline);
        g->FrameRoundedRect(outline, radius);
    }
}

void Quor_WidgetLook::DrawPanel(Quor_Graphics* g, const Quor_Rect& area)
{
    g->RoundedGradientFill(area, 0, true, Quor_ColorOps::ButtonGradient1, Quor_ColorOps::ButtonGradient2);
    g->SetColor(Quor_ColorOps::WidgetOutline);
    g->FrameRect(area);
}

void Quor_WidgetLook::DrawButtonFace(Quor_Graphics* g, const Quor_Rect& bounds, int radius, bool pushed, bool enabled)
{
    Quor_Rect face = bounds;
    face.InsetBy(1, 0);
    g->SetPenWidth(1);
    g->SetSmoothing(true);
    const rgb_color c1 = pushed ? Quor_ColorOps::ButtonGradient2 : Quor_ColorOps::ButtonGradient1;
    const rgb_color c2 = pushed ? Quor_ColorOps::ButtonGradient1 : Quor_ColorOps::ButtonGradient2;
    g->RoundedGradientFill(face, radius, true, c1, c2);
    DrawFrame(g, face, bounds, radius, enabled);
}

void Quor_WidgetLook::DrawPopupButton(Quor_Graphics* g, const Quor_Rect& bounds, int radius, bool open, bool enabled,
                                      const char* label)
{
    DrawButtonFace(g, bounds, radius, open, enabled);

    const int height = bounds.Height();
    const float shift = open ? 1.0f : 0.0f;
    const float cx = static_cast<float>(bounds.right) - height / 2.0f + shift;
    const float cy = (bounds.top + bounds.bottom) / 2.0f + shift;
    const float s = height / 7.0f;
    const Quor_Vector2 a(cx - s, cy - s * 0.6f);
    const Quor_Vector2 b(cx + s, cy - s * 0.6f);
    const Quor_Vector2 c(cx, cy + s * 0.8f);
    g->SetColor(enabled ? Quor_ColorOps::WidgetOutline : Quor_ColorOps::DisabledText);
    FillTriangle(g, a, b, c);

    // Centred over the whole button, a label as wide as the button allows would be cut off.
    Quor_Rect clip = bounds;
    clip.InsetBy(1, 0);
    clip.right = bounds.right - height;
    if (clip.right >= clip.left) {
        g->SetClipRect(clip);
        Quor_Rect text = clip;
        if (open)
            text.OffsetBy(1, 1);
        g->SetColor(enabled ? Quor_ColorOps::Text : Quor_ColorOps::DisabledText);
        g->DrawString(label != nullptr ? label : "", text, QUOR_ALIGN_CENTER, QUOR_ALIGN_CENTER);
        g->ClearClipRect();
    }
    g->SetSmoothing(false);
}

void Quor_WidgetLook::FillTriangle(Quor_Graphics* g, const Quor_Vector2& a, const Quor_Vector2& b,
                                   const Quor_Vector2& c)
{
    g->BeginShape();
    g->AddLine(a, b);
    g->AddLine(b, c);
    g->AddLine(c, a);
    g->EndShape();
}

void Quor_WidgetLook::DrawField(Quor_Graphics* g, const Quor_Rect& bounds, int radius, rgb_color background,
                                bool enabled)
{
    g->SetSmoothing(true);
    g->SetPenWidth(1);
    Quor_Rect face = bounds;
    face.InsetBy(1, 0);
    g->SetColor(background);
    g->FillRoundedRect(face, radius);
    DrawFrame(g, face, bounds, radius, enabled);
}

void Quor_WidgetLook::DrawHighlight(Quor_Graphics* g, const Quor_Rect& area, int radius, bool active)
{
    g->SetColor(active ? Quor_ColorOps::TextHighlight : InactiveHighlight());
    g->FillRoundedRect(area, radius);
    g->SetColor(active ? Quor_ColorOps::WidgetOutline : Quor_ColorOps::TextHighlight);
    g->FrameRoundedRect(area, radius);
}

rgb_color Quor_WidgetLook::InactiveHighlight()
{
    const rgb_color& a = Quor_ColorOps::TextHighlight;
    const rgb_color& b = Quor_ColorOps::TextBackground;
    const auto mix = [](uint8_t x, uint8_t y) { return static_cast<uint8_t>((2 * x + 3 * y + 2) / 5); };
    return rgb_color{mix(a.red, b.red), mix(a.green, b.green), mix(a.blue, b.blue), 255};
}

void Quor_WidgetLook::DrawFocusRing(Quor_Graphics* g, const Quor_Rect& ring)
{
    if (ring.Width() < 1 || ring.Height() < 1)
        return;
    g->SetSmoothing(false);
    g->SetPenWidth(1);
    g->SetColor(Quor_ColorOps::TextHighlight);
    g->FrameRect(ring);
}

void Quor_WidgetLook::DrawRoundWell(Quor_Graphics* g, const Quor_Rect& circle, bool pushed, bool outlined)
{
    g->SetSmoothing(true);
    g->SetColor(Quor_ColorOps::WidgetFill);
    g->FillOval(circle);
    // The ring inside the outline, drawn twice a pixel apart: once in shadow, once lit.
    Quor_Rect ring = circle;
    ring.InsetBy(1, 1);
    Quor_Rect upperLeft = ring;
    upperLeft.OffsetBy(-1, -1);
    Quor_Rect lowerRight = ring;
    lowerRight.OffsetBy(1, 1);
    g->SetColor(pushed ? Quor_ColorOps::WidgetHighlight : Quor_ColorOps::WidgetShadow);
    g->FrameOval(upperLeft);
    g->SetColor(pushed ? Quor_ColorOps::WidgetShadow : Quor_ColorOps::WidgetHighlight);
    g->FrameOval(lowerRight);
    if (outlined) {
        g->SetColor(Quor_ColorOps::WidgetOutline);
        g->FrameOval(circle);
    }
}

void Quor_WidgetLook::PaintChecker(const Quor_image& image, uint32_t odd, uint32_t even, Quor_Point origin,
                                   const uint32_t* onlyOver)
{
    if (image.bits == nullptr || image.pixelBits != 32)
        return;
    for (int y = 0; y < image.height; ++y) {
        uint32_t* row = image.Row32(y);
        const bool rowOdd = ((origin.y + y) & kCheckerSize) != 0;
        for (int x = 0; x < image.width; ++x) {
            if (onlyOver != nullptr && row[x] != *onlyOver)
                continue;
            const bool columnOdd = ((origin.x + x) & kCheckerSize) != 0;
            row[x] = rowOdd != columnOdd ? odd : even;
        }
    }
}
