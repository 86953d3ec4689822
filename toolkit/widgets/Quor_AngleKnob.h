// A round knob that picks an angle: the pointer sets it from the direction it lies in, seen from
// the knob's centre (snapping to 45 degrees with Shift), and the wheel turns it in small steps.
// Guides can mark the snapping directions.
#pragma once

#include "toolkit/widgets/Quor_BaseWidget.h"

class Quor_AngleKnob : public Quor_BaseWidget {
public:
    static constexpr float kWheelDegrees = 5.0f;
    static constexpr float kFineWheelDegrees = 2.5f;     // with Ctrl
    static constexpr float kCoarseWheelDegrees = 10.0f;  // with Ctrl and Shift

    // A square 30 pixels wide for the 11-pixel interface font, scaled with the font.
    Quor_AngleKnob(bool showGuides, int what, unsigned int followFlags);

    static int Side();

    // Radians, kept in [0, 2 pi) by whole turns; a value that is not finite counts as 0.
    void SetValue(float radians);
    float Value() const { return fValue; }
    // The angle of a point (view coordinates) seen from the knob's centre, counter-clockwise
    // from the right with y pointing up, snapped to 45 degrees when `snap` is set.
    float AngleAt(Quor_Point where, bool snap) const;
    static float Wrap(float radians);

    void OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message) override;
    void OnMouseMove(Quor_Point where, unsigned int modifiers, Quor_Message* message) override;
    void OnMouseUp(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message) override;
    void OnMouseWheel(float delta, Quor_Point where, unsigned int modifiers, Quor_Message* message) override;
    void RedrawMe(Quor_Graphics* g) override;

private:
    void Track(Quor_Point where, unsigned int modifiers);

    bool fShowGuides;
    int fWhat;
    float fValue;
};
