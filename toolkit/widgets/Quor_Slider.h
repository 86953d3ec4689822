// A slider: a knob on a groove that picks an integer in a range, optionally with a tick for
// every value. Pressing and dragging move the knob under the pointer and send the what-code for
// every value passed, so the target can follow live.
#pragma once

#include "toolkit/widgets/Quor_BarAxis.h"
#include "toolkit/widgets/Quor_BaseWidget.h"
#include "toolkit/widgets/Quor_ValueRange.h"

class Quor_Slider : public Quor_BaseWidget {
public:
    // Range [1, 10], value 1; Thickness() across and `length` along.
    Quor_Slider(int length, bool vertical, bool ticks, int what, unsigned int followFlags);

    // The slider's thickness and knob size: BaseWidgetHeight() * 0.889, rounded (16 for 18).
    static int Thickness();

    // A maximum below the minimum is raised to it; the value is clamped into the range.
    void SetRange(int minimum, int maximum);
    void SetValue(int value);
    int Value() const { return fRange.Value(); }
    int Minimum() const { return fRange.Minimum(); }
    int Maximum() const { return fRange.Maximum(); }
    bool IsVertical() const { return fAxis.IsVertical(); }

    // The value under a point (view coordinates) along the slider, clamped to the range.
    int ValueAt(Quor_Point where) const;

    void OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message) override;
    void OnMouseMove(Quor_Point where, unsigned int modifiers, Quor_Message* message) override;
    void OnMouseUp(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message) override;
    // The arrows move the focused slider by 1 (Right and Up towards the maximum), Page Up and
    // Page Down by a tenth of the range (at least 1), Home and End to the ends; each change
    // sends the what-code, as dragging the knob there would.
    void OnKeyDown(int key, unsigned int modifiers) override;
    bool WantsKey(int key, unsigned int modifiers) override;
    bool TabStop() override { return true; }
    void RedrawMe(Quor_Graphics* g) override;

private:
    int LengthAlong() const { return fAxis.Along(Shape()); }
    int Across() const { return fAxis.Across(Shape()); }
    void Track(Quor_Point where);

    Quor_BarAxis fAxis;
    bool fTicks;
    int fWhat;
    Quor_ValueRange fRange;
};
