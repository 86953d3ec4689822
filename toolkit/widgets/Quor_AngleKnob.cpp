#include "toolkit/widgets/Quor_AngleKnob.h"

#include <cmath>
#include <numbers>

#include "toolkit/framework/Quor_App.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/math/Quor_Round.h"
#include "toolkit/widgets/Quor_WidgetLook.h"

namespace {

constexpr double kTurn = 2.0 * std::numbers::pi;
constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;

}  // namespace

Quor_AngleKnob::Quor_AngleKnob(bool showGuides, int what, unsigned int followFlags)
    : Quor_BaseWidget(true, followFlags), fShowGuides(showGuides), fWhat(what), fValue(0.0f)
{
    const int side = Side();
    SetShape(side, side);
}

int Quor_AngleKnob::Side()
{
    const Quor_Font* font = Quor_App::gRegularFont;
    const int h = font != nullptr ? font->FontHeight() : 11;
    return Quor_RoundToInt(h / 11.0 * 30.0);
}

float Quor_AngleKnob::Wrap(float radians)
{
    if (!std::isfinite(radians))
        return 0.0f;
    double a = std::fmod(static_cast<double>(radians), kTurn);
    if (a < 0.0)
        a += kTurn;
    const float wrapped = static_cast<float>(a);
    // A value a hair below a whole turn can round up to it in float.
    return wrapped >= static_cast<float>(kTurn) ? 0.0f : wrapped;
}

void Quor_AngleKnob::SetValue(float radians)
{
    fValue = Wrap(radians);
    Redraw(true);
}

float Quor_AngleKnob::AngleAt(Quor_Point where, bool snap) const
{
    // A knob that is not square turns about the centre of the square at its top-left.
    Quor_Rect square = Bounds();
    if (square.Width() > square.Height())
        square.right = square.left + square.Height();
    else if (square.Height() > square.Width())
        square.bottom = square.top + square.Width();
    const double cx = (square.left + square.right) / 2.0;
    const double cy = (square.top + square.bottom) / 2.0;
    double angle = std::atan2(cy - where.y, where.x - cx);
    if (snap) {
        const double degrees = angle / kRadiansPerDegree;
        angle = Quor_RoundToInt(degrees / 45.0) * 45.0 * kRadiansPerDegree;
    }
    return Wrap(static_cast<float>(angle));
}

void Quor_AngleKnob::Track(Quor_Point where, unsigned int modifiers)
{
    fValue = AngleAt(where, (modifiers & QUOR_SHIFT) != 0);
    Redraw(true);
    SendMessage(fWhat);
}

void Quor_AngleKnob::OnMouseDown(Quor_Point where, unsigned int, unsigned int modifiers, Quor_Message*)
{
    if (IsEnabled())
        Track(where, modifiers);
}

void Quor_AngleKnob::OnMouseMove(Quor_Point where, unsigned int modifiers, Quor_Message*)
{
    if (IsEnabled() && IsMouseDragging(0))
        Track(where, modifiers);
}

void Quor_AngleKnob::OnMouseUp(Quor_Point where, unsigned int, unsigned int modifiers, Quor_Message*)
{
    if (IsEnabled())
        Track(where, modifiers);
}

void Quor_AngleKnob::OnMouseWheel(float delta, Quor_Point, unsigned int modifiers, Quor_Message* message)
{
    if (!IsEnabled() || !std::isfinite(delta))
        return;
    // The wheel's modifier keys travel in its message.
    int held = 0;
    if (message != nullptr && message->Get("modifiers", &held))
        modifiers |= static_cast<unsigned int>(held);
    float step = kWheelDegrees;
    if (modifiers & QUOR_COMMAND)
        step = (modifiers & QUOR_SHIFT) ? kCoarseWheelDegrees : kFineWheelDegrees;
    fValue = Wrap(static_cast<float>(fValue + delta * step * kRadiansPerDegree));
    Redraw(true);
    SendMessage(fWhat);
}

void Quor_AngleKnob::RedrawMe(Quor_Graphics* g)
{
    const Quor_Rect b = Bounds();
    const int w = b.Width();
    const int h = b.Height();
    const int e = w / 8;
    const bool enabled = IsEnabled();
    g->SetPenWidth(1);

    if (fShowGuides) {
        g->SetSmoothing(false);
        const float y = static_cast<float>(b.top + h / 2 - 1);
        const float x = static_cast<float>(b.left + h / 2 - 1);
        const float l = static_cast<float>(b.left);
        const float r = static_cast<float>(b.right);
        const float t = static_cast<float>(b.top);
        const float bt = static_cast<float>(b.bottom);
        if (enabled) {
            g->SetColor(Quor_ColorOps::WidgetOutline);
            g->DrawLine(l, y, r, y);
            g->DrawLine(x, t, x, bt);
        }
        g->SetColor(Quor_ColorOps::WidgetShadow);
        g->DrawLine(l, y + 1, r, y + 1);
        g->DrawLine(x + 1, t, x + 1, bt);

        // The diagonals mark the other snapping directions.
        Quor_Rect d = b;
        d.InsetBy(e, e);
        g->SetSmoothing(true);
        const float dl = static_cast<float>(d.left);
        const float dr = static_cast<float>(d.right);
        const float dt = static_cast<float>(d.top);
        const float db = static_cast<float>(d.bottom);
        g->SetColor(Quor_ColorOps::WidgetShadow);
        g->DrawLine(dl, dt + 1, dr, db + 1);
        g->DrawLine(dl, db + 1, dr, dt + 1);
        if (enabled) {
            g->SetColor(Quor_ColorOps::WidgetOutline);
            g->DrawLine(dl, dt, dr, db);
            g->DrawLine(dl, db, dr, dt);
        }
    }

    Quor_Rect circle = b;
    circle.InsetBy(e, e);
    Quor_WidgetLook::DrawRoundWell(g, circle, false, enabled);

    const float cx = b.left + w / 2.0f;
    const float cy = b.top + h / 2.0f;
    const float radius = w / 2.0f - e - 1;
    g->SetPenWidth(2);
    g->SetColor(enabled ? Quor_ColorOps::WidgetOutline : Quor_ColorOps::WidgetShadow);
    g->DrawLine(cx, cy, cx + radius * std::cos(fValue), cy - radius * std::sin(fValue));
    g->SetPenWidth(1);
}
