#include "toolkit/widgets/Quor_ColorSwatch.h"

#include <new>

#include "toolkit/core/Quor_Message.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/widgets/Quor_ColorPicker.h"
#include "toolkit/widgets/Quor_WidgetLook.h"

namespace {

constexpr uint32_t kOpaqueBlack = Quor_PixelConvert::Pack(0, 0, 0, 255);

uint32_t Packed(rgb_color c)
{
    return Quor_PixelConvert::Pack(c.red, c.green, c.blue, c.alpha);
}

}  // namespace

Quor_ColorSwatch::Quor_ColorSwatch(rgb_color color, int what, bool withAlpha, unsigned int followFlags)
    : Quor_BaseWidget(true, followFlags),
      fValue(color),
      fWhat(what),
      fWithAlpha(withAlpha),
      fConstantMessages(false),
      fPressed(false),
      fPickerTarget(this)
{
    if (!fWithAlpha)
        fValue.alpha = 255;
    SetShape(48, 32);
}

void Quor_ColorSwatch::SetValue(rgb_color color)
{
    fValue = color;
    if (!fWithAlpha)
        fValue.alpha = 255;
    Redraw(true);
}

void Quor_ColorSwatch::OpenPicker()
{
    Quor_ColorPicker* picker = new (std::nothrow) Quor_ColorPicker(fValue, fWithAlpha, &fPickerTarget, fWhat, Window());
    if (picker == nullptr)
        return;
    picker->SetContsantMessages(fConstantMessages);
    // The modal window owns the picker and deletes it when it closes.
    picker->DoModal();
}

void Quor_ColorSwatch::HandleMessage(Quor_Message* message)
{
    rgb_color color;
    if (message->what == fWhat && message->Get("color", &color)) {
        SetValue(color);
        // On to the swatch's target, as any message of the swatch.
        PassOn(message);
        return;
    }
    Quor_BaseWidget::HandleMessage(message);
}

void Quor_ColorSwatch::OnMouseDown(Quor_Point, unsigned int, unsigned int, Quor_Message*)
{
    fPressed = IsEnabled();
}

void Quor_ColorSwatch::OnMouseUp(Quor_Point where, unsigned int, unsigned int, Quor_Message*)
{
    const bool pressed = fPressed;
    fPressed = false;
    if (pressed && IsEnabled() && Bounds().Contains(where))
        OpenPicker();
}

bool Quor_ColorSwatch::WantsKey(int key, unsigned int modifiers)
{
    return key == ' ' && (modifiers & (QUOR_COMMAND | QUOR_OPTION)) == 0;
}

void Quor_ColorSwatch::OnKeyDown(int key, unsigned int modifiers)
{
    if (IsEnabled() && WantsKey(key, modifiers))
        OpenPicker();
}

void Quor_ColorSwatch::RedrawMe(Quor_Graphics* g)
{
    const Quor_Rect bounds = Bounds();
    const int r = BigCornerRadius();
    g->SetPenWidth(1);
    g->SetSmoothing(false);
    g->SetColor(0, 0, 0, 255);
    g->FillRoundedRect(bounds, r);

    // The black shape becomes a checkerboard of 8-pixel squares under the colour.
    const Quor_image* image = g->Image();
    Quor_Rect visible = bounds;
    if (image != nullptr && image->pixelBits == 32 && ClipToLayer(visible)) {
        const Quor_Rect frame = LayerFrame();
        const int originX = visible.left - frame.left;
        const int originY = visible.top - frame.top;
        uint32_t grey = Packed(Quor_WidgetLook::kCheckerGrey);
        uint32_t white = Packed(Quor_WidgetLook::kCheckerWhite);
        Quor_ImageOps::TintPixel32(&grey, fValue);
        Quor_ImageOps::TintPixel32(&white, fValue);
        Quor_WidgetLook::PaintChecker(*image, grey, white, Quor_Point(originX, originY), &kOpaqueBlack);
    }

    g->SetSmoothing(true);
    Quor_WidgetLook::DrawFrame(g, bounds, bounds, r, IsEnabled());
}
