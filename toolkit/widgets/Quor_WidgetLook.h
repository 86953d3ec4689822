// The drawing pieces several controls share, so that a raised frame, a button face, a text
// field's well or a highlight look the same on every control that has one.
#pragma once

#include <cstdint>

#include "toolkit/core/Quor_RgbColor.h"
#include "toolkit/math/Quor_Point.h"
#include "toolkit/math/Quor_Rect.h"

class Quor_Graphics;
struct Quor_image;
struct Quor_Vector2;

class Quor_WidgetLook {
public:
    // The colour with its red, green and blue times `factor` (a darker or lighter shade for a
    // grip's lines), each kept within 0..255.
    static rgb_color Scaled(const rgb_color& color, float factor);

    // Frames `face` in the shadow colour and, when outlined (the control is enabled), `outer`
    // less a row at the top and bottom in the outline colour, both with corners of `radius`.
    // The graphics keep the last colour set.
    static void DrawFrame(Quor_Graphics* g, const Quor_Rect& face, const Quor_Rect& outer, int radius, bool outlined);

    // A pop-up panel (a menu, a menu bar, a dialog shown as a pop-up): the button gradient over
    // `area`, framed square in the outline colour.
    static void DrawPanel(Quor_Graphics* g, const Quor_Rect& area);

    // A push button's face over `bounds`: the button gradient (turned over while pushed) on the
    // bounds less a column at either side, then DrawFrame. Leaves smoothing on, the pen 1 wide.
    static void DrawButtonFace(Quor_Graphics* g, const Quor_Rect& bounds, int radius, bool pushed, bool enabled);

    // A button that opens something below it: the button face, a triangle pointing down half a
    // height in from the right, and the label centred in the part left of the triangle's square,
    // so that it never runs under it. Open, the face is pushed and arrow and label move by a
    // pixel. Leaves smoothing off.
    static void DrawPopupButton(Quor_Graphics* g, const Quor_Rect& bounds, int radius, bool open, bool enabled,
                                const char* label);

    // The well of a text field over `bounds`: filled with `background` on the bounds less a
    // column at either side, then DrawFrame. Leaves smoothing on, the pen 1 wide.
    static void DrawField(Quor_Graphics* g, const Quor_Rect& bounds, int radius, rgb_color background, bool enabled);

    // The triangle a, b, c filled in the current colour (an arrow or a menu's submenu mark).
    static void FillTriangle(Quor_Graphics* g, const Quor_Vector2& a, const Quor_Vector2& b, const Quor_Vector2& c);

    // A chosen row or title: filled with the highlight colour and outlined. An inactive one (the
    // selection of a list that does not have the keyboard) is filled with InactiveHighlight().
    static void DrawHighlight(Quor_Graphics* g, const Quor_Rect& area, int radius, bool active = true);
    // The fill of an inactive selection: two fifths of the highlight over the text background.
    static rgb_color InactiveHighlight();

    // The ring around the control that has the keyboard focus: a 1-pixel frame around `ring` in
    // the highlight colour. Leaves smoothing off.
    static void DrawFocusRing(Quor_Graphics* g, const Quor_Rect& ring);

    // A round well (a radio mark, a knob's dial) filling `circle`: lit from the top left, or
    // from the bottom right while pushed, and outlined when `outlined`. Turns smoothing on.
    static void DrawRoundWell(Quor_Graphics* g, const Quor_Rect& circle, bool pushed, bool outlined);

    // The checkerboard shown behind translucent colours: 8-pixel squares of grey and white.
    static constexpr int kCheckerSize = 8;
    static constexpr rgb_color kCheckerGrey{128, 128, 128, 255};
    static constexpr rgb_color kCheckerWhite{255, 255, 255, 255};
    // Paints the checkerboard into a 32-bit image, `odd` on the squares where exactly one of the
    // column's and the row's square index is odd, `even` on the others; `origin` is where the
    // image's top-left pixel lies on the board. With `onlyOver`, only pixels of that value are
    // painted (a shape drawn first in that colour becomes the board).
    static void PaintChecker(const Quor_image& image, uint32_t odd, uint32_t even, Quor_Point origin = Quor_Point(0, 0),
                             const uint32_t* onlyOver = nullptr);
};
