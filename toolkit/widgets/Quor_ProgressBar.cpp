#include "toolkit/widgets/Quor_ProgressBar.h"

#include <algorithm>
#include <cmath>

#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/Quor_ColorVector.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/math/Quor_Round.h"
#include "toolkit/widgets/Quor_WidgetLook.h"

Quor_ProgressBar::Quor_ProgressBar(int width, unsigned int followFlags)
    : Quor_AnimatedWidget(kFramesPerSecond, true, false, true, followFlags),
      fValue(0.0f),
      fPulse(PulseColor(0.0f))
{
    SetShape(std::max(1, width), BaseWidgetHeight());
}

void Quor_ProgressBar::SetValue(float fraction)
{
    fValue.store(std::isfinite(fraction) ? Quor_Clamp(fraction, 0.0f, 1.0f) : 0.0f);
}

rgb_color Quor_ProgressBar::PulseColor(float seconds)
{
    if (!std::isfinite(seconds))
        seconds = 0.0f;
    const double p = seconds / kPulseSeconds;
    const double f = p - std::floor(p);
    const float w = static_cast<float>(f < 0.5 ? 2.0 * f : 1.0 - 2.0 * (f - 0.5));
    const Quor_ColorVector mix = Quor_ColorVector(Quor_ColorOps::ProgressBackground1) * w +
                                 Quor_ColorVector(Quor_ColorOps::ProgressBackground2) * (1.0f - w);
    return mix.AsColorStruct();
}

void Quor_ProgressBar::DrawFrame(Quor_Graphics*, int, float seconds, float)
{
    fPulse = PulseColor(seconds);
}

void Quor_ProgressBar::RedrawMe(Quor_Graphics* g)
{
    const int radius = SmallCornerRadius();
    Quor_Rect bar = Bounds();
    bar.InsetBy(1, 0);
    g->SetPenWidth(1);
    g->SetSmoothing(true);
    g->SetColor(fPulse);
    g->FillRoundedRect(bar, radius);

    const int done = Quor_RoundToInt(Value() * bar.Width());
    if (done > 0) {
        g->SetClipRect(Quor_Rect(bar.left, bar.top, bar.left + done - 1, bar.bottom));
        g->RoundedGradientFill(bar, radius, true, Quor_ColorOps::ProgressGradient1, Quor_ColorOps::ProgressGradient2);
        g->ClearClipRect();
    }
    g->SetSmoothing(true);
    Quor_WidgetLook::DrawFrame(g, bar, Bounds(), radius, IsEnabled());
}
