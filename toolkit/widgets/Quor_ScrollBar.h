// A scroll bar: arrow buttons at both ends, a thumb that shows the value inside its range, and
// page areas between them. Holding an arrow or a page area repeats its step every 0.11 seconds
// while the pointer stays on it; dragging the thumb follows the pointer. Every change sends the
// bar's what-code.
#pragma once

#include "toolkit/widgets/Quor_BarAxis.h"
#include "toolkit/widgets/Quor_BaseWidget.h"
#include "toolkit/widgets/Quor_ValueRange.h"
#include "toolkit/widgets/Quor_WidgetTimer.h"

class Quor_ScrollBar : public Quor_BaseWidget {
public:
    // Parts of the bar (PickTarget).
    static constexpr int kNone = 0;
    static constexpr int kStartArrow = 1;
    static constexpr int kEndArrow = 2;
    static constexpr int kThumb = 4;
    static constexpr int kPageBefore = 8;
    static constexpr int kPageAfter = 16;
    static constexpr float kRepeatSeconds = 0.11f;

    // Range [0, 100], value 0, steps 5 and 20.
    Quor_ScrollBar(int length, bool vertical, int what, unsigned int followFlags);

    // The bar's thickness: BaseWidgetHeight() * 0.889, rounded (16 pixels for a height of 18).
    static int Thickness();

    // A maximum below the minimum is raised to it. The value is clamped into the range.
    void SetRange(int minimum, int maximum);
    void SetValue(int value);
    void SetStepSize(int small, int page);
    int Value() const { return fRange.Value(); }
    int Minimum() const { return fRange.Minimum(); }
    int Maximum() const { return fRange.Maximum(); }
    int SmallStep() const { return fSmallStep; }
    int PageStep() const { return fPageStep; }
    bool IsVertical() const { return fAxis.IsVertical(); }

    // The part under a point of the bar (one of the constants above).
    int PickTarget(Quor_Point where) const;
    // The stretch the thumb's centre travels: the bounds less two thicknesses at each end.
    Quor_Rect InnerRect() const;
    Quor_Rect ThumbRect() const;

    // QUOR_MSG_TICK steps the pressed arrow or page area; everything else goes on up.
    void HandleMessage(Quor_Message* message) override;
    void OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message) override;
    void OnMouseMove(Quor_Point where, unsigned int modifiers, Quor_Message* message) override;
    void OnMouseUp(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message) override;
    void DetachedFromWindow() override;
    void RedrawMe(Quor_Graphics* g) override;

private:
    int LengthAlong() const { return fAxis.Along(Shape()); }
    int Across() const { return fAxis.Across(Shape()); }
    // The thumb's centre along the bar.
    int ThumbCenter() const;
    void Step();
    void DrawArrowButton(Quor_Graphics* g, int part);
    void DrawThumb(Quor_Graphics* g);

    Quor_BarAxis fAxis;
    int fWhat;
    Quor_ValueRange fRange;
    int fSmallStep;
    int fPageStep;
    int fPressedPart;
    int fHoveredPart;
    Quor_Point fLastPoint;
    // Where along the thumb it was taken, from its centre, so that it does not jump on a press.
    int fGrabOffset;
    Quor_WidgetTimer fRepeat;
};
