// The view every control descends from: a font, a redraw that paints through the graphics context
// into the view's part of the layer image and blits it, an optional copy of the pixels underneath
// for controls that are not opaque, sizes tied to the interface font, and a target for messages.
#pragma once

#include "toolkit/framework/Quor_View.h"
#include "toolkit/imaging/Quor_BaseImage.h"

class Quor_Font;
class Quor_Graphics;

class Quor_BaseWidget : public Quor_View {
public:
    // keepsBackground: the widget keeps a copy of the layer pixels under it and paints it first on
    // every redraw. The font is the interface's regular font.
    Quor_BaseWidget(bool keepsBackground, unsigned int followFlags);
    ~Quor_BaseWidget() override;

    // With a handler the message goes to it; without one, up the widget's own chain (parent views,
    // layer, window, application).
    void SendMessage(int what) override;
    void SendMessage(Quor_Message* message) override;

    // The view behaviour; a kept background copy is re-made at the new size (refilled by the next
    // InitBackground).
    void OnResize(Quor_Point oldSize, Quor_Point newSize) override;
    // Copies the layer pixels under the widget when it keeps its background, then Redraw(false)
    // and the children's backgrounds.
    void InitBackground() override;
    // A widget without children redraws itself.
    void OnEnable(bool enabled) override;
    // Redraw, so that the focus ring (and a list's selection colour) follows the focus.
    void OnFocus(bool focused) override;
    void OnFocusRingShown(bool shown) override;

    // Where the focus ring goes, inside the bounds so that it is never clipped: the bounds
    // inset by 1; an empty rectangle for a control that shows its focus otherwise.
    virtual Quor_Rect FocusRingRect() const;

    // Each control paints itself here, in its own coordinates, with its font already set.
    virtual void RedrawMe(Quor_Graphics* g);

    // Paints the kept background, then RedrawMe, then the focus ring while it shows; with refresh the widget's rectangle is blitted to
    // the window. Nothing happens without a graphics context (not in a window, or wholly clipped).
    void Redraw(bool refresh);

    void SetHandler(Quor_Handler* handler) { fHandler = handler; }
    Quor_Handler* Handler() const { return fHandler; }
    void SetFont(Quor_Font* font) { fFont = font; }
    Quor_Font* Font() const { return fFont; }
    bool KeepsBackground() const { return fKeepsBackground; }

    // Sizes derived from the height h of the regular interface font, rounded half away from zero:
    // h / 11 * 18, * 6, * 5 and * 3 (18, 6, 5 and 3 pixels for h = 11).
    static int BaseWidgetHeight();
    static int BigCornerRadius();
    static int SmallCornerRadius();
    static int TinyCornerRadius();

protected:
    // For a widget that handles a message of its own first: hands it on to the handler, or
    // without one up the widget's chain.
    void PassOn(Quor_Message* message);

    Quor_Font* fFont;
    bool fKeepsBackground;
    Quor_BaseImage fBackground;
    Quor_Handler* fHandler;
};
