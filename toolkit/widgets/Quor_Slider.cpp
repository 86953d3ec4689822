#include "toolkit/widgets/Quor_Slider.h"

#include <algorithm>

#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/Quor_ColorVector.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/math/Quor_Round.h"

namespace {

rgb_color Times(const rgb_color& c, float factor)
{
    return (Quor_ColorVector(c) * factor).AsColorStruct();
}

// A tick line of many values would paint the whole groove; past this many ticks they are left out.
constexpr int kMaxTicks = 1000;

}  // namespace

Quor_Slider::Quor_Slider(int length, bool vertical, bool ticks, int what, unsigned int followFlags)
    : Quor_BaseWidget(true, followFlags), fVertical(vertical), fTicks(ticks), fWhat(what), fMin(1), fMax(10), fValue(1)
{
    const int t = Thickness();
    const int along = std::max(1, length);
    if (vertical)
        SetShape(t, along);
    else
        SetShape(along, t);
}

int Quor_Slider::Thickness()
{
    return Quor_RoundToInt(BaseWidgetHeight() * 0.889);
}

void Quor_Slider::SetRange(int minimum, int maximum)
{
    fMin = minimum;
    fMax = std::max(minimum, maximum);
    fValue = Quor_Clamp(fValue, fMin, fMax);
    Redraw(true);
}

void Quor_Slider::SetValue(int value)
{
    fValue = Quor_Clamp(value, fMin, fMax);
    Redraw(true);
}

Quor_Rect Quor_Slider::AxisRect(int alongFrom, int alongTo, int acrossFrom, int acrossTo) const
{
    if (fVertical)
        return Quor_Rect(acrossFrom, alongFrom, acrossTo, alongTo);
    return Quor_Rect(alongFrom, acrossFrom, alongTo, acrossTo);
}

int Quor_Slider::ValueAt(Quor_Point where) const
{
    const int k = Across();
    const int start = k / 2;
    const int end = LengthAlong() - 1 - k / 2;
    if (end <= start || fMax == fMin)
        return fMin;
    const double t = static_cast<double>((fVertical ? where.y : where.x) - start) / (end - start);
    return Quor_RoundClamp(fMin + t * (static_cast<double>(fMax) - fMin), fMin, fMax);
}

void Quor_Slider::Track(Quor_Point where)
{
    fValue = ValueAt(where);
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

    // A line across the slider, at `along`, from one side to the other.
    auto across = [&](int along, int from, int to) {
        if (fVertical)
            g->DrawLine(static_cast<float>(from), static_cast<float>(along), static_cast<float>(to), static_cast<float>(along));
        else
            g->DrawLine(static_cast<float>(along), static_cast<float>(from), static_cast<float>(along), static_cast<float>(to));
    };
    // A line along the slider, at `at` across it, over the groove.
    auto along = [&](int at, int from, int to) {
        if (fVertical)
            g->DrawLine(static_cast<float>(at), static_cast<float>(from), static_cast<float>(at), static_cast<float>(to));
        else
            g->DrawLine(static_cast<float>(from), static_cast<float>(at), static_cast<float>(to), static_cast<float>(at));
    };

    if (fTicks && fMax > fMin && fMax - fMin <= kMaxTicks) {
        for (int v = fMin; v <= fMax; ++v) {
            const double f = static_cast<double>(v - fMin) / (fMax - fMin);
            const int x = Quor_RoundToInt(trackStart + f * (trackEnd - 1 - trackStart));
            if (enabled) {
                g->SetColor(Quor_ColorOps::WidgetOutline);
                across(x, 0, k - 1);
            }
            g->SetColor(Quor_ColorOps::WidgetShadow);
            across(x + 1, 0, k - 1);
        }
    }

    // The groove, four pixels thick.
    g->SetColor(Quor_ColorOps::WidgetFill);
    along(c, trackStart, trackEnd);
    g->SetColor(Quor_ColorOps::WidgetShadow);
    along(c + 1, trackStart, trackEnd);
    if (enabled) {
        g->SetColor(Quor_ColorOps::WidgetOutline);
        g->FrameRect(AxisRect(trackStart, trackEnd, c - 1, c + 2));
    }

    // The knob.
    const double f = fMax > fMin ? static_cast<double>(fValue - fMin) / (fMax - fMin) : 0.0;
    const int p = Quor_RoundToInt(trackStart + f * (trackEnd - trackStart));
    const Quor_Rect knob = AxisRect(p - k / 2, p + k / 2, 1, k - 2);
    Quor_Rect fill = knob;
    fill.InsetBy(1, 0);
    const int radius = TinyCornerRadius();
    g->RoundedGradientFill(fill, radius, !fVertical, Quor_ColorOps::SliderGradient1, Quor_ColorOps::SliderGradient2);
    const int extentAcross = k - 2;
    const int q = extentAcross / 4;
    const int mid = 1 + extentAcross / 2;
    g->SetColor(Times(Quor_ColorOps::SliderGradient2, 0.85f));
    across(p, mid - q, mid + q - 1);
    g->SetColor(Times(Quor_ColorOps::SliderGradient1, 1.05f));
    across(p + 1, mid - q, mid + q - 1);
    g->SetSmoothing(true);
    g->SetColor(Quor_ColorOps::WidgetShadow);
    g->FrameRoundedRect(fill, radius);
    if (enabled) {
        Quor_Rect outline = knob;
        outline.InsetBy(0, 1);
        g->SetColor(Quor_ColorOps::WidgetOutline);
        g->FrameRoundedRect(outline, radius);
    }
}
