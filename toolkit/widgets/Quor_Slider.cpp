#include "toolkit/widgets/Quor_Slider.h"

#include <algorithm>
#include <cstdint>

#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/math/Quor_Round.h"
#include "toolkit/widgets/Quor_WidgetLook.h"

namespace {

// A tick line of many values would paint the whole groove; past this many ticks they are left out.
constexpr int kMaxTicks = 1000;

}  // namespace

Quor_Slider::Quor_Slider(int length, bool vertical, bool ticks, int what, unsigned int followFlags)
    : Quor_BaseWidget(true, followFlags), fAxis(vertical), fTicks(ticks), fWhat(what), fRange(1, 10)
{
    const Quor_Point size = fAxis.Point(std::max(1, length), Thickness());
    SetShape(size.x, size.y);
}

int Quor_Slider::Thickness()
{
    return Quor_BarAxis::Thickness();
}

void Quor_Slider::SetRange(int minimum, int maximum)
{
    fRange.SetRange(minimum, maximum);
    Redraw(true);
}

void Quor_Slider::SetValue(int value)
{
    fRange.SetValue(value);
    Redraw(true);
}

int Quor_Slider::ValueAt(Quor_Point where) const
{
    const int start = Across() / 2;
    const int end = LengthAlong() - 1 - Across() / 2;
    return fRange.ValueAt(fAxis.Along(where) - start, end - start);
}

void Quor_Slider::Track(Quor_Point where)
{
    fRange.SetValue(ValueAt(where));
    Redraw(true);
    SendMessage(fWhat);
}

void Quor_Slider::OnMouseDown(Quor_Point where, unsigned int, unsigned int, Quor_Message*)
{
    if (IsEnabled())
        Track(where);
}

void Quor_Slider::OnMouseMove(Quor_Point where, unsigned int, Quor_Message*)
{
    if (IsEnabled() && IsMouseDragging(0))
        Track(where);
}

void Quor_Slider::OnMouseUp(Quor_Point, unsigned int, unsigned int, Quor_Message*)
{
    if (IsEnabled())
        Redraw(true);
}

bool Quor_Slider::WantsKey(int key, unsigned int modifiers)
{
    return IsMoveKey(key, modifiers, true);
}

void Quor_Slider::OnKeyDown(int key, unsigned int modifiers)
{
    if (!IsEnabled() || !WantsKey(key, modifiers))
        return;
    // In 64 bits: a step from near either end of a range reaching INT_MIN or INT_MAX must not wrap.
    const int64_t page = std::max<int64_t>(1, fRange.Span() / 10);
    int64_t value = Value();
    if (key == QUOR_KEY_LEFT || key == QUOR_KEY_DOWN)
        value -= 1;
    else if (key == QUOR_KEY_RIGHT || key == QUOR_KEY_UP)
        value += 1;
    else if (key == QUOR_KEY_PAGEDOWN)
        value -= page;
    else if (key == QUOR_KEY_PAGEUP)
        value += page;
    else if (key == QUOR_KEY_HOME)
        value = Minimum();
    else
        value = Maximum();
    const int clamped = static_cast<int>(std::clamp<int64_t>(value, Minimum(), Maximum()));
    if (clamped == Value())
        return;
    fRange.SetValue(clamped);
    Redraw(true);
    SendMessage(fWhat);
}

void Quor_Slider::RedrawMe(Quor_Graphics* g)
{
    const int k = Across();
    const int length = LengthAlong();
    const int trackStart = k / 2;
    const int trackEnd = length - 1 - k / 2;
    const int c = (k - 1) / 2;
    const bool enabled = IsEnabled();
    g->SetPenWidth(1);
    g->SetSmoothing(false);

    // Counted in 64 bits: a range reaching INT_MAX, or spanning more than INT_MAX values, must
    // neither wrap round into a short one nor run the count past its end.
    const int64_t span = fRange.Span();
    if (fTicks && span > 0 && span <= kMaxTicks) {
        for (int64_t i = 0; i <= span; ++i) {
            const double f = static_cast<double>(i) / static_cast<double>(span);
            const int x = Quor_RoundToInt(trackStart + f * (trackEnd - 1 - trackStart));
            if (enabled) {
                g->SetColor(Quor_ColorOps::WidgetOutline);
                fAxis.DrawAcross(g, x, 0, k - 1);
            }
            g->SetColor(Quor_ColorOps::WidgetShadow);
            fAxis.DrawAcross(g, x + 1, 0, k - 1);
        }
    }

    // The groove, four pixels thick.
    g->SetColor(Quor_ColorOps::WidgetFill);
    fAxis.DrawAlong(g, c, trackStart, trackEnd);
    g->SetColor(Quor_ColorOps::WidgetShadow);
    fAxis.DrawAlong(g, c + 1, trackStart, trackEnd);
    if (enabled) {
        g->SetColor(Quor_ColorOps::WidgetOutline);
        g->FrameRect(fAxis.Rect(trackStart, trackEnd, c - 1, c + 2));
    }

    // The knob.
    const int p = Quor_RoundToInt(trackStart + fRange.Fraction() * (trackEnd - trackStart));
    const Quor_Rect knob = fAxis.Rect(p - k / 2, p + k / 2, 1, k - 2);
    Quor_Rect fill = knob;
    fill.InsetBy(1, 0);
    const int radius = TinyCornerRadius();
    g->RoundedGradientFill(fill, radius, !fAxis.IsVertical(), Quor_ColorOps::SliderGradient1,
                           Quor_ColorOps::SliderGradient2);
    const int extentAcross = k - 2;
    const int q = extentAcross / 4;
    const int mid = 1 + extentAcross / 2;
    g->SetColor(Quor_WidgetLook::Scaled(Quor_ColorOps::SliderGradient2, 0.85f));
    fAxis.DrawAcross(g, p, mid - q, mid + q - 1);
    g->SetColor(Quor_WidgetLook::Scaled(Quor_ColorOps::SliderGradient1, 1.05f));
    fAxis.DrawAcross(g, p + 1, mid - q, mid + q - 1);
    g->SetSmoothing(true);
    Quor_WidgetLook::DrawFrame(g, fill, knob, radius, enabled);
}
