// The colour picker dialog: a shade square and hue (and alpha) bars to pick with the pointer, a
// sample of the new and the starting colour, and number and hexadecimal fields to type a colour.
#pragma once

#include "toolkit/core/Quor_RgbColor.h"
#include "toolkit/widgets/Quor_Dialog.h"

class Quor_Graphics;
class Quor_Handler;
class Quor_TextControl;

class Quor_ColorPicker : public Quor_Dialog {
public:
    // The parts of the picker a press can start a drag in.
    enum Region { kNoRegion = 0, kShadeSquare, kHueBar, kAlphaBar };
    static constexpr int kSquareSize = 250;
    static constexpr int kBarWidth = 20;

    Quor_ColorPicker(rgb_color color, bool withAlpha, Quor_Handler* target, int what, Quor_Wnd* parent);

    // With constant messages the target hears every change as it happens (a live preview), and
    // the starting colour again when the picker is cancelled. (The first spelling is the one the
    // toolkit's callers have always used.)
    void SetContsantMessages(bool on) { fConstantMessages = on; }
    void SetConstantMessages(bool on) { fConstantMessages = on; }

    // The fields' QUOR_MSG_PART_CHANGED (red, green, blue, alpha) and QUOR_MSG_PART_TEXT (the
    // hexadecimal field) change the colour; everything else goes to the dialog.
    void HandleMessage(Quor_Message* message) override;
    // A press in the shade square or a bar sets the colour there and drags on; a press on the
    // lower half of the sample goes back to the starting colour.
    void OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message) override;
    void OnMouseMove(Quor_Point where, unsigned int modifiers, Quor_Message* message) override;
    void OnMouseUp(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message) override;
    // The dialog background, then the regions, their frames and markers.
    void InitBackground() override;
    // false: the fields show the colour and the red field takes the focus. true: the colour is
    // read back from the fields, each clamped to 0..255.
    void UpdateData(bool save) override;
    // Fields beyond 255 are set to 255 and refuse the OK.
    bool ValidateData() override;
    // OK sends the colour to the target; a cancel sends the starting colour back when constant
    // messages are on.
    void OnEndDialog(int code) override;

    rgb_color Color() const { return fColor; }
    rgb_color StartColor() const { return fStartColor; }
    hsv_color Hsv() const { return fHsv; }
    bool HasAlpha() const { return fWithAlpha; }
    // Layer rectangles of the regions (empty for the alpha bar without alpha).
    Quor_Rect ShadeRect() const;
    Quor_Rect HueRect() const;
    Quor_Rect AlphaRect() const;
    Quor_Rect SampleRect() const;
    Quor_TextControl* RedField() const { return fRed; }
    Quor_TextControl* GreenField() const { return fGreen; }
    Quor_TextControl* BlueField() const { return fBlue; }
    Quor_TextControl* AlphaField() const { return fAlpha; }
    Quor_TextControl* HexField() const { return fHex; }

    // Six upper-case hexadecimal digits of red, green and blue.
    static void FormatHex(rgb_color color, char out[7]);
    // Reads six hexadecimal digits (either case, an optional leading "#"); false otherwise.
    static bool ParseHex(const char* text, rgb_color* out);

private:
    void BuildForm();
    Region RegionAt(Quor_Point where) const;
    // Sets the component of the region under the pointer.
    void Track(Quor_Point where);
    // Shows a new colour everywhere except in `source` (the field being typed in), blits the
    // layer and, with constant messages, tells the target.
    void ColorChanged(const Quor_TextControl* source, bool notify);
    void SendColor(rgb_color color);
    // Reads red, green, blue (and alpha) from the fields, clamped to 0..255.
    rgb_color ColorFromFields() const;
    void PaintRegions();
    void PaintShadeSquare(const Quor_image& image);
    void PaintHueBar(const Quor_image& image);
    void PaintAlphaBar(const Quor_image& image);
    void PaintSample(const Quor_image& image);
    void PaintFrame(Quor_Graphics* g, Quor_Rect r);
    void PaintMarkers(Quor_Graphics* g);
    void PaintBarMarker(Quor_Graphics* g, Quor_Rect bar, int y);

    rgb_color fColor;
    rgb_color fStartColor;
    hsv_color fHsv;
    hsv_color fStartHsv;
    bool fWithAlpha;
    bool fConstantMessages;
    Quor_Handler* fTarget;
    int fWhat;
    Quor_TextControl* fRed;
    Quor_TextControl* fGreen;
    Quor_TextControl* fBlue;
    Quor_TextControl* fAlpha;
    Quor_TextControl* fHex;
    // Placeholders of the painted regions; their layer rectangles are the regions'.
    Quor_View* fShadeView;
    Quor_View* fHueView;
    Quor_View* fAlphaView;
    Quor_View* fSampleView;
    Region fTracking;
};
