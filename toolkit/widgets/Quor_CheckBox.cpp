#include "toolkit/widgets/Quor_CheckBox.h"

#include "toolkit/framework/Quor_App.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"

Quor_CheckBox::Quor_CheckBox(const char* label, int what, unsigned int followFlags)
    : Quor_BaseWidget(true, followFlags),
      fLabel(label != nullptr ? label : ""),
      fWhat(what),
      fValue(false),
      fPressed(false)
{
    const int labelWidth = fFont != nullptr ? fFont->StringWidth(fLabel) : 0;
    SetShape(MarkSize() + labelWidth + 8, BaseWidgetHeight());
}

int Quor_CheckBox::MarkSize()
{
    const int h = BaseWidgetHeight();
    return h / 2 + h / 6;
}

void Quor_CheckBox::SetValue(bool value)
{
    fValue = value;
    Redraw(true);
}

void Quor_CheckBox::OnMouseDown(Quor_Point, unsigned int, unsigned int, Quor_Message*)
{
    if (!IsEnabled())
        return;
    fPressed = true;
    Redraw(true);
}

void Quor_CheckBox::OnMouseMove(Quor_Point where, unsigned int, Quor_Message*)
{
    if (!IsEnabled() || !IsMouseDragging(0))
        return;
    const bool inside = Bounds().Contains(where);
    if (inside != fPressed) {
        fPressed = inside;
        Redraw(true);
    }
}

void Quor_CheckBox::OnMouseUp(Quor_Point where, unsigned int, unsigned int, Quor_Message*)
{
    if (!IsEnabled())
        return;
    const bool inside = Bounds().Contains(where);
    fPressed = false;
    if (inside)
        Activate();
    else
        Redraw(true);
}

void Quor_CheckBox::OnKeyDown(int key, unsigned int modifiers)
{
    if (IsEnabled() && WantsKey(key, modifiers))
        Activate();
}

bool Quor_CheckBox::WantsKey(int key, unsigned int modifiers)
{
    return key == ' ' && (modifiers & (QUOR_COMMAND | QUOR_OPTION)) == 0;
}

void Quor_CheckBox::Activate()
{
    fValue = !fValue;
    Redraw(true);
    SendMessage(fWhat);
}

Quor_Rect Quor_CheckBox::MarkSquare() const
{
    const int m = MarkSize();
    const Quor_Rect bounds = Bounds();
    const int centerY = bounds.top + bounds.Height() / 2;
    const int top = centerY - m / 2;
    return Quor_Rect(bounds.left, top, bounds.left + m - 1, top + m - 1);
}

void Quor_CheckBox::DrawMark(Quor_Graphics* g, const Quor_Rect& square, bool pushed)
{
    const int m = square.Width();
    g->SetSmoothing(false);
    g->SetColor(Quor_ColorOps::WidgetFill);
    g->FillRect(square);
    if (IsEnabled()) {
        g->SetColor(Quor_ColorOps::WidgetOutline);
        g->FrameRect(square);
    }
    // A bevel inside the frame, lit from the top left; pushed, the light comes from below.
    Quor_Rect bevel = square;
    bevel.InsetBy(1, 1);
    const rgb_color lit = pushed ? Quor_ColorOps::WidgetShadow : Quor_ColorOps::WidgetHighlight;
    const rgb_color shade = pushed ? Quor_ColorOps::WidgetHighlight : Quor_ColorOps::WidgetShadow;
    const float l = static_cast<float>(bevel.left);
    const float t = static_cast<float>(bevel.top);
    const float r = static_cast<float>(bevel.right);
    const float b = static_cast<float>(bevel.bottom);
    g->SetColor(shade);
    g->DrawLine(l, b, r, b);
    g->DrawLine(r, t, r, b);
    g->SetColor(lit);
    g->DrawLine(l, t, r - 1, t);
    g->DrawLine(l, t, l, b - 1);

    if (!fValue)
        return;
    // The tick's tip reaches two pixels past the square's top-right corner.
    const float x = static_cast<float>(square.left);
    const float y = static_cast<float>(square.top);
    const Quor_Vector2 p[4] = {
        Quor_Vector2(x + 2, y + m / 4),
        Quor_Vector2(x + m / 2, y + m - 2),
        Quor_Vector2(x + m + 2, y - 2),
        Quor_Vector2(x + m / 2, y + m / 2),
    };
    rgb_color tick = Quor_ColorOps::WidgetOutline;
    if (!IsEnabled())
        tick.alpha = 128;
    g->SetColor(tick);
    g->SetSmoothing(true);
    g->BeginShape();
    for (int i = 0; i < 4; ++i)
        g->AddLine(p[i], p[(i + 1) % 4]);
    g->EndShape();
}

void Quor_CheckBox::RedrawMe(Quor_Graphics* g)
{
    const Quor_Rect square = MarkSquare();
    g->SetPenWidth(1);
    DrawMark(g, square, IsPressed());
    const Quor_Rect bounds = Bounds();
    g->SetColor(IsEnabled() ? Quor_ColorOps::Text : Quor_ColorOps::DisabledText);
    g->MoveTo(bounds.left + square.Width() + 4, bounds.top + bounds.Height() / 2);
    g->DrawString(fLabel, QUOR_ALIGN_RIGHT, QUOR_ALIGN_CENTER);
}
