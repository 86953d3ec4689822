#include "toolkit/widgets/Quor_ScrollBar.h"

#include <algorithm>
#include <cstdint>

#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/math/Quor_Round.h"
#include "toolkit/math/Quor_Vector2.h"
#include "toolkit/widgets/Quor_WidgetLook.h"

Quor_ScrollBar::Quor_ScrollBar(int length, bool vertical, int what, unsigned int followFlags)
    : Quor_BaseWidget(true, followFlags),
      fAxis(vertical),
      fWhat(what),
      fRange(0, 100),
      fSmallStep(5),
      fPageStep(20),
      fPressedPart(kNone),
      fHoveredPart(kNone),
      fGrabOffset(0),
      fRepeat(this)
{
    const Quor_Point size = fAxis.Point(std::max(1, length), Thickness());
    SetShape(size.x, size.y);
}

int Quor_ScrollBar::Thickness()
{
    return Quor_BarAxis::Thickness();
}

void Quor_ScrollBar::SetRange(int minimum, int maximum)
{
    fRange.SetRange(minimum, maximum);
    Redraw(true);
}

void Quor_ScrollBar::SetValue(int value)
{
    fRange.SetValue(value);
    Redraw(true);
}

void Quor_ScrollBar::SetStepSize(int small, int page)
{
    fSmallStep = small;
    fPageStep = page;
}

Quor_Rect Quor_ScrollBar::InnerRect() const
{
    const int t = Across();
    const int length = LengthAlong();
    const int end = std::max(2 * t, length - 1 - 2 * t);
    return fAxis.Rect(2 * t, end, 0, t - 1);
}

int Quor_ScrollBar::ThumbCenter() const
{
    const int t = Across();
    const int track = std::max(0, LengthAlong() - 4 * t);
    return 2 * t + Quor_RoundToInt(fRange.Fraction() * track);
}

Quor_Rect Quor_ScrollBar::ThumbRect() const
{
    const int t = Across();
    const int c = ThumbCenter();
    return fAxis.Rect(c - t, c + t - 1, 0, t - 1);
}

int Quor_ScrollBar::PickTarget(Quor_Point where) const
{
    if (!Bounds().Contains(where))
        return kNone;
    const int t = Across();
    const int a = fAxis.Along(where);
    if (a < t)
        return kStartArrow;
    if (a >= LengthAlong() - t)
        return kEndArrow;
    const Quor_Rect thumb = ThumbRect();
    const int thumbStart = fAxis.Along(thumb.LeftTop());
    const int thumbEnd = fAxis.Along(thumb.RightBottom());
    if (a < thumbStart)
        return kPageBefore;
    if (a > thumbEnd)
        return kPageAfter;
    return kThumb;
}

void Quor_ScrollBar::Step()
{
    if (fPressedPart != kThumb)
        fHoveredPart = PickTarget(fLastPoint);
    if (fPressedPart == kNone || fPressedPart == kThumb || fHoveredPart != fPressedPart) {
        // Off the pressed part: the repeat waits until the pointer comes back.
        Redraw(true);
        return;
    }
    int64_t step = 0;
    switch (fPressedPart) {
    case kStartArrow:
        step = -static_cast<int64_t>(fSmallStep);
        break;
    case kEndArrow:
        step = fSmallStep;
        break;
    case kPageBefore:
        step = -static_cast<int64_t>(fPageStep);
        break;
    case kPageAfter:
        step = fPageStep;
        break;
    default:
        break;
    }
    if (!fRange.Step(step))
        return;   // at the end of the range: nothing changes, so nothing is sent
    Redraw(true);
    SendMessage(fWhat);
}

void Quor_ScrollBar::HandleMessage(Quor_Message* message)
{
    if (message->what == QUOR_MSG_TICK) {
        Step();
        return;
    }
    Quor_BaseWidget::HandleMessage(message);
}

void Quor_ScrollBar::OnMouseDown(Quor_Point where, unsigned int, unsigned int, Quor_Message*)
{
    if (!IsEnabled())
        return;
    fPressedPart = PickTarget(where);
    fHoveredPart = fPressedPart;
    fLastPoint = where;
    fGrabOffset = fPressedPart == kThumb ? fAxis.Along(where) - ThumbCenter() : 0;
    // The first step comes at once; the repeat follows while the button is held.
    Step();
    if (fPressedPart != kThumb && fPressedPart != kNone)
        fRepeat.Start(Window(), kRepeatSeconds, QUOR_MSG_TICK);
    else
        fRepeat.Kill();
}

void Quor_ScrollBar::OnMouseMove(Quor_Point where, unsigned int, Quor_Message*)
{
    if (!IsEnabled())
        return;
    fLastPoint = where;
    if (fPressedPart == kThumb) {
        const int t = Across();
        const int value = fRange.ValueAt(fAxis.Along(where) - fGrabOffset - 2 * t, LengthAlong() - 4 * t);
        if (value != fRange.Value()) {
            fRange.SetValue(value);
            Redraw(true);
            SendMessage(fWhat);
        }
        return;
    }
    const int hovered = PickTarget(where);
    if (hovered != fHoveredPart) {
        fHoveredPart = hovered;
        Redraw(true);
    }
}

void Quor_ScrollBar::OnMouseUp(Quor_Point, unsigned int, unsigned int, Quor_Message*)
{
    fRepeat.Kill();
    if (fPressedPart == kNone)
        return;
    fPressedPart = kNone;
    Redraw(true);
}

void Quor_ScrollBar::DetachedFromWindow()
{
    fRepeat.Kill();
    fPressedPart = kNone;
    fHoveredPart = kNone;
    Quor_BaseWidget::DetachedFromWindow();
}

void Quor_ScrollBar::DrawArrowButton(Quor_Graphics* g, int part)
{
    const int t = Across();
    const int length = LengthAlong();
    const bool start = part == kStartArrow;
    const int from = start ? 0 : length - t;
    const Quor_Rect square = fAxis.Rect(from, from + t - 1, 0, t - 1);
    const bool down = fPressedPart == part && fHoveredPart == part;
    const rgb_color c1 = down ? Quor_ColorOps::ScrollGradient2 : Quor_ColorOps::ScrollGradient1;
    const rgb_color c2 = down ? Quor_ColorOps::ScrollGradient1 : Quor_ColorOps::ScrollGradient2;
    const int r = TinyCornerRadius();
    const int half = t / 2;
    // The outer half is rounded, the half next to the track square, so the bar's ends are round
    // and the arrows meet the track flush.
    const Quor_Rect outer = start ? fAxis.Rect(from, from + half - 1, 0, t - 1) : fAxis.Rect(from + t - half, from + t - 1, 0, t - 1);
    const Quor_Rect inner = start ? fAxis.Rect(from + half, from + t - 1, 0, t - 1) : fAxis.Rect(from, from + t - half - 1, 0, t - 1);

    g->SetClipRect(outer);
    g->SetSmoothing(true);
    g->RoundedGradientFill(square, r, true, c1, c2);
    g->SetColor(Quor_ColorOps::WidgetOutline);
    g->FrameRoundedRect(square, r);
    g->SetClipRect(inner);
    g->SetSmoothing(false);
    g->RoundedGradientFill(square, 0, true, c1, c2);
    g->SetColor(Quor_ColorOps::WidgetOutline);
    g->FrameRect(square);
    g->ClearClipRect();

    // The arrow points away from the track.
    float x = square.left + t / 2.0f - 0.5f;
    float y = square.top + t / 2.0f - 0.5f;
    if (down) {
        x += 1.0f;
        y += 1.0f;
    }
    const float s = t / 7.0f;
    Quor_Vector2 p[3];
    if (fAxis.IsVertical()) {
        const float tip = start ? y - s : y + s;
        const float base = start ? y + s : y - s;
        p[0].Set(x - s, base);
        p[1].Set(x, tip);
        p[2].Set(x + s, base);
    } else {
        const float tip = start ? x - s : x + s;
        const float base = start ? x + s : x - s;
        p[0].Set(base, y - s);
        p[1].Set(tip, y);
        p[2].Set(base, y + s);
    }
    g->SetSmoothing(true);
    g->SetColor(IsEnabled() ? Quor_ColorOps::WidgetOutline : Quor_ColorOps::DisabledText);
    Quor_WidgetLook::FillTriangle(g, p[0], p[1], p[2]);
}

void Quor_ScrollBar::DrawThumb(Quor_Graphics* g)
{
    const int t = Across();
    const Quor_Rect thumb = ThumbRect();
    g->SetSmoothing(false);
    g->RoundedGradientFill(thumb, 0, !fAxis.IsVertical(), Quor_ColorOps::ThumbGradient1, Quor_ColorOps::ThumbGradient2);
    g->SetColor(Quor_ColorOps::WidgetOutline);
    g->FrameRect(thumb);
    g->SetSmoothing(true);
    g->FrameRoundedRect(thumb, 3);
    g->SetSmoothing(false);

    // A grip of three pairs of lines across the middle: a dark line, then a light one.
    const int c = ThumbCenter();
    const int q = t / 4;
    const int mid = t / 2;
    const int offsets[6] = {-4, -3, 0, 1, 4, 5};
    const rgb_color dark = Quor_WidgetLook::Scaled(Quor_ColorOps::ThumbGradient2, 0.75f);
    const rgb_color light = Quor_WidgetLook::Scaled(Quor_ColorOps::ThumbGradient1, 1.1f);
    for (int i = 0; i < 6; ++i) {
        g->SetColor(i % 2 == 0 ? dark : light);
        fAxis.DrawAcross(g, c + offsets[i], mid - q, mid + q - 1);
    }
}

void Quor_ScrollBar::RedrawMe(Quor_Graphics* g)
{
    const int t = Across();
    const int length = LengthAlong();
    const Quor_Rect bounds = Bounds();
    g->SetPenWidth(1);
    g->SetSmoothing(false);
    g->RoundedGradientFill(bounds, 0, !fAxis.IsVertical(), Quor_ColorOps::ButtonGradient2, Quor_ColorOps::ButtonGradient1);

    if ((fPressedPart == kPageBefore || fPressedPart == kPageAfter) && fHoveredPart == fPressedPart) {
        const Quor_Rect thumb = ThumbRect();
        const int thumbStart = fAxis.Along(thumb.LeftTop());
        const int thumbEnd = fAxis.Along(thumb.RightBottom());
        const int a = t / 2;
        const Quor_Rect page = fPressedPart == kPageBefore ? fAxis.Rect(a, thumbStart - 1, 0, t - 1)
                                                           : fAxis.Rect(thumbEnd + 1, length - 1 - a, 0, t - 1);
        g->SetColor(Quor_ColorOps::ThumbGradient1);
        g->FillRect(page);
    }

    DrawArrowButton(g, kStartArrow);
    DrawArrowButton(g, kEndArrow);
    if (IsEnabled())
        DrawThumb(g);

    g->SetSmoothing(false);
    g->SetColor(Quor_ColorOps::WidgetOutline);
    fAxis.DrawAlong(g, 0, t, length - 1 - t);
    fAxis.DrawAlong(g, t - 1, t, length - 1 - t);
}
