#include "toolkit/widgets/Quor_Button.h"

#include <algorithm>

#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/math/Quor_Round.h"
#include "toolkit/widgets/Quor_ToolTip.h"
#include "toolkit/widgets/Quor_WidgetLook.h"

namespace {

// A disabled icon is drawn at this alpha (for its opaque pixels).
constexpr int kDisabledIconAlpha = 96;

int LabelWidth(const Quor_Font* font, const char* label)
{
    return font != nullptr && label != nullptr ? font->StringWidth(label) : 0;
}

}  // namespace

Quor_Button::Quor_Button(const char* label, int what, int minWidth, bool isDefault, unsigned int followFlags)
    : Quor_BaseWidget(true, followFlags),
      fDefault(isDefault),
      fLabel(label != nullptr ? label : ""),
      fIcon(nullptr),
      fToolTip(nullptr),
      fWhat(what),
      fPressed(false)
{
    SetFont(Quor_App::gBoldFont);
    int width = LabelWidth(fFont, fLabel) + 16;
    if (minWidth > 0)
        width = std::max(width, minWidth);
    SetShape(width, WidgetHeight());
}

Quor_Button::Quor_Button(const Quor_image* icon, const char* toolTip, int what, bool isDefault,
                         unsigned int followFlags)
    : Quor_BaseWidget(true, followFlags),
      fDefault(isDefault),
      fLabel(toolTip != nullptr ? toolTip : ""),
      fIcon(icon),
      fToolTip(nullptr),
      fWhat(what),
      fPressed(false)
{
    if (icon != nullptr && icon->width > 0 && icon->height > 0)
        SetShape(icon->width, icon->height);
    else
        SetShape(1, 1);
}

Quor_Button::~Quor_Button()
{
    delete fToolTip;
}

int Quor_Button::WidgetHeight()
{
    return Quor_RoundToInt(BaseWidgetHeight() * 1.222);
}

bool Quor_Button::IsPressed() const
{
    return fPressed && IsMouseDragging(0);
}

void Quor_Button::SetLabel(const char* label)
{
    fLabel = label != nullptr ? label : "";
    Redraw(true);
}

void Quor_Button::OnMouseDown(Quor_Point, unsigned int, unsigned int, Quor_Message*)
{
    if (!IsEnabled())
        return;
    fPressed = true;
    Redraw(true);
}

void Quor_Button::OnMouseMove(Quor_Point where, unsigned int, Quor_Message*)
{
    Quor_Wnd* window = Window();
    const bool inside = Bounds().Contains(where);
    if (fIcon != nullptr && !fLabel.IsEmpty() && window != nullptr && inside && !window->IsMouseDragging(0))
        Quor_ToolTip::GoFor(&fToolTip, this, window, where, fLabel);
    if (!IsEnabled())
        return;
    fPressed = inside;
    if (IsMouseDragging(0))
        Redraw(true);
}

void Quor_Button::OnMouseUp(Quor_Point where, unsigned int, unsigned int, Quor_Message*)
{
    if (!IsEnabled())
        return;
    const bool inside = Bounds().Contains(where);
    fPressed = false;
    Redraw(true);
    if (inside)
        SendMessage(fWhat);
}

void Quor_Button::OnKeyDown(int key, unsigned int modifiers)
{
    if (!IsEnabled() || !WantsKey(key, modifiers))
        return;
    const Quor_Point at(1, 1);
    Quor_Message press;
    RouteMouseDown(at, QUOR_LEFT_BUTTON, 0, &press);
    Quor_Message release;
    RouteMouseUp(at, QUOR_LEFT_BUTTON, 0, &release);
}

bool Quor_Button::WantsKey(int key, unsigned int modifiers)
{
    return key == ' ' && (modifiers & (QUOR_COMMAND | QUOR_OPTION)) == 0;
}

Quor_Rect Quor_Button::FocusRingRect() const
{
    // Clear of the default button's heavier outline.
    const int inset = fDefault ? 4 : 3;
    Quor_Rect r = Bounds();
    r.InsetBy(inset, inset);
    return r;
}

void Quor_Button::DetachedFromWindow()
{
    if (fToolTip != nullptr)
        fToolTip->RemoveMe();
    fPressed = false;
    Quor_BaseWidget::DetachedFromWindow();
}

void Quor_Button::DrawButtonFrame(Quor_Graphics* g, int radius, bool pushed)
{
    Quor_WidgetLook::DrawButtonFace(g, Bounds(), radius, pushed, IsEnabled());
    if (IsEnabled() && fDefault) {
        // Three more frames in the outline colour, alternately inset across and along, make the
        // outline heavier.
        const Quor_Point insets[3] = {Quor_Point(1, 0), Quor_Point(1, 1), Quor_Point(2, 1)};
        for (const Quor_Point& d : insets) {
            Quor_Rect r = Bounds();
            r.InsetBy(d.x, d.y);
            g->FrameRoundedRect(r, radius);
        }
    }
}

void Quor_Button::RedrawMe(Quor_Graphics* g)
{
    const bool pushed = IsPressed();
    const int radius = fIcon != nullptr ? TinyCornerRadius() : SmallCornerRadius();
    DrawButtonFrame(g, radius, pushed);
    const int shift = pushed ? 1 : 0;
    Quor_Rect inset = Bounds();
    inset.InsetBy(1, 0);
    if (fIcon != nullptr) {
        const float x = static_cast<float>(inset.left + shift);
        const float y = static_cast<float>(inset.top + shift);
        if (IsEnabled())
            g->BlitAlpha(fIcon, x, y, false);
        else
            g->BlitAlphaMod(fIcon, x, y, kDisabledIconAlpha - 255, false);
        return;
    }
    inset.OffsetBy(shift, shift);
    g->SetColor(IsEnabled() ? Quor_ColorOps::Text : Quor_ColorOps::DisabledText);
    g->DrawString(fLabel, inset, QUOR_ALIGN_CENTER, QUOR_ALIGN_CENTER);
}
