// An angle entry: an angle knob with a number field below it that shows and takes the angle in
// degrees. Turning the knob updates the field and typing in the field turns the knob; either
// sends the widget's what-code.
#pragma once

#include "toolkit/widgets/Quor_BaseWidget.h"

class Quor_AngleKnob;
class Quor_TextControl;

class Quor_AngleWidget : public Quor_BaseWidget {
public:
    static constexpr float kWheelDegrees = 5.0f;

    Quor_AngleWidget(int what, bool showGuides, unsigned int followFlags);

    // Radians; the field shows them in degrees.
    void SetValue(float radians);
    float Value() const;
    Quor_AngleKnob* Knob() const { return fKnob; }
    Quor_TextControl* Field() const { return fField; }

    // The knob's and the field's changes; everything else goes on up.
    void HandleMessage(Quor_Message* message) override;

private:
    // The field shows the knob's angle in degrees with two decimals.
    void ShowDegrees();

    int fWhat;
    Quor_AngleKnob* fKnob;
    Quor_TextControl* fField;
};
