// A colour well: a rounded patch that shows a colour over a checkerboard (so that translucency
// shows). Clicking it opens the colour picker on that colour; the picker's answer becomes the
// swatch's value and goes on to the swatch's target with the swatch's what-code.
#pragma once

#include "toolkit/core/Quor_RgbColor.h"
#include "toolkit/framework/Quor_Handler.h"
#include "toolkit/widgets/Quor_BaseWidget.h"

class Quor_ColorSwatch : public Quor_BaseWidget {
public:
    // 48 x 32 pixels. Without alpha the colour is always opaque.
    Quor_ColorSwatch(rgb_color color, int what, bool withAlpha, unsigned int followFlags);

    void SetValue(rgb_color color);
    rgb_color Value() const { return fValue; }
    // Passed on to the picker: it then reports every change while it is open, and the
    // starting colour again when it is cancelled.
    void SetConstantMessages(bool on) { fConstantMessages = on; }
    bool ConstantMessages() const { return fConstantMessages; }
    bool WithAlpha() const { return fWithAlpha; }
    int What() const { return fWhat; }

    // Opens the picker (modal) on the current colour.
    void OpenPicker();

    // The picker's answer (the swatch's what-code with a "color" field) becomes the value and
    // goes on to the target; everything else goes on up.
    void HandleMessage(Quor_Message* message) override;
    void OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message) override;
    void OnMouseUp(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message) override;
    // Space on the focused swatch opens the picker, as a click does.
    void OnKeyDown(int key, unsigned int modifiers) override;
    bool WantsKey(int key, unsigned int modifiers) override;
    bool TabStop() override { return true; }
    void RedrawMe(Quor_Graphics* g) override;

private:
    // The picker's target: hands its messages straight to the swatch, so that they reach it even
    // when the swatch's own messages go to another handler.
    class PickerTarget : public Quor_Handler {
    public:
        explicit PickerTarget(Quor_ColorSwatch* swatch) : fSwatch(swatch) {}
        void HandleMessage(Quor_Message* message) override { fSwatch->HandleMessage(message); }

    private:
        Quor_ColorSwatch* fSwatch;
    };

    rgb_color fValue;
    int fWhat;
    bool fWithAlpha;
    bool fConstantMessages;
    bool fPressed;
    PickerTarget fPickerTarget;
};
