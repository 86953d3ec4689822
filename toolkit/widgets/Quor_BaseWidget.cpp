#include "toolkit/widgets/Quor_BaseWidget.h"

#include "toolkit/framework/Quor_App.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/math/Quor_Round.h"
#include "toolkit/widgets/Quor_WidgetLook.h"

namespace {

// The interface font's height; 11 (the size every rule is drawn for) before the fonts exist.
int RegularFontHeight()
{
    const Quor_Font* font = Quor_App::gRegularFont;
    return font != nullptr ? font->FontHeight() : 11;
}

int Scaled(double units)
{
    return Quor_RoundToInt(RegularFontHeight() / 11.0 * units);
}

}  // namespace

Quor_BaseWidget::Quor_BaseWidget(bool keepsBackground, unsigned int followFlags)
    : Quor_View(followFlags), fFont(Quor_App::gRegularFont), fKeepsBackground(keepsBackground),
      fHandler(nullptr)
{
}

Quor_BaseWidget::~Quor_BaseWidget() = default;

void Quor_BaseWidget::SendMessage(int what)
{
    if (fHandler != nullptr)
        fHandler->SendMessage(what);
    else
        Quor_Handler::SendMessage(what);
}

void Quor_BaseWidget::SendMessage(Quor_Message* message)
{
    if (fHandler != nullptr)
        fHandler->SendMessage(message);
    else
        Quor_Handler::SendMessage(message);
}

void Quor_BaseWidget::PassOn(Quor_Message* message)
{
    if (fHandler != nullptr)
        fHandler->SendMessage(message);
    else
        Quor_BaseWidget::HandleMessage(message);
}

void Quor_BaseWidget::OnResize(Quor_Point oldSize, Quor_Point newSize)
{
    Quor_View::OnResize(oldSize, newSize);
    if (fKeepsBackground && fBackground.IsValid()) {
        const int bits = fBackground.PixelBits();
        fBackground.Free();
        fBackground.Initialize(newSize.x, newSize.y, bits);
    }
}

void Quor_BaseWidget::InitBackground()
{
    const Quor_image* viewImage = ViewImage();
    if (viewImage != nullptr && fKeepsBackground) {
        const Quor_Point size = Shape();
        if (!fBackground.IsValid() || fBackground.Width() != size.x || fBackground.Height() != size.y)
            fBackground.Initialize(size.x, size.y, viewImage->pixelBits);
        if (fBackground.IsValid()) {
            // The view image covers only the visible part of the widget: copy it into the matching
            // part of the copy, found from where the visible part lies in the widget.
            Quor_Rect visible = Bounds();
            const Quor_Rect layerFrame = LayerFrame();
            if (ClipToLayer(visible)) {
                Quor_image part;
                Quor_Rect inCopy = visible;
                inCopy.OffsetBy(-layerFrame.left, -layerFrame.top);
                if (fBackground.FillImage(&part, inCopy) == QUOR_OK)
                    Quor_ImageOps::Blit(viewImage, &part, 0, 0);
            }
        }
    }
    Redraw(false);
    Quor_View::InitBackground();
}

void Quor_BaseWidget::OnEnable(bool enabled)
{
    Quor_View::OnEnable(enabled);
    if (CountChildren() == 0)
        Redraw(true);
}

void Quor_BaseWidget::OnFocus(bool)
{
    Redraw(true);
}

void Quor_BaseWidget::OnFocusRingShown(bool)
{
    Redraw(true);
}

Quor_Rect Quor_BaseWidget::FocusRingRect() const
{
    Quor_Rect r = Bounds();
    r.InsetBy(1, 1);
    return r;
}

void Quor_BaseWidget::RedrawMe(Quor_Graphics*) {}

void Quor_BaseWidget::Redraw(bool refresh)
{
    // Outside a window nothing is drawn: the layer image would keep the drawing, and the
    // background copy taken when the widget is attached would show it for good.
    if (Window() == nullptr)
        return;
    Quor_Graphics* g = ViewGraphics();
    if (g == nullptr)
        return;
    if (fKeepsBackground && fBackground.IsValid())
        g->Blit(&fBackground.Image(), 0, 0);
    g->SetBezierTolerance(2.0f);
    g->SetFont(fFont);
    RedrawMe(g);
    // RedrawMe may have drawn a child through the shared context: it is fetched again.
    if (ShowsFocusRing()) {
        if (Quor_Graphics* ring = ViewGraphics())
            Quor_WidgetLook::DrawFocusRing(ring, FocusRingRect());
    }
    if (refresh)
        Refresh();
}

int Quor_BaseWidget::BaseWidgetHeight() { return Scaled(18); }
int Quor_BaseWidget::BigCornerRadius() { return Scaled(6); }
int Quor_BaseWidget::SmallCornerRadius() { return Scaled(5); }
int Quor_BaseWidget::TinyCornerRadius() { return Scaled(3); }
