// A bar that fills with the done fraction of a long task; its empty part pulses gently in a
// two-second cycle so that the user sees the program is alive. A worker thread may set the
// fraction; the bar's own animation on the event thread draws it.
#pragma once

#include <atomic>

#include "toolkit/core/Quor_RgbColor.h"
#include "toolkit/widgets/Quor_AnimatedWidget.h"

class Quor_ProgressBar : public Quor_AnimatedWidget {
public:
    static constexpr float kFramesPerSecond = 30.0f;
    static constexpr float kPulseSeconds = 2.0f;

    // BaseWidgetHeight() high.
    Quor_ProgressBar(int width, unsigned int followFlags);

    // Any thread: stores the fraction done, clamped to [0, 1] (NaN counts as 0).
    void SetValue(float fraction);
    float Value() const { return fValue.load(); }

    // The colour of the empty part `seconds` into the animation: from ProgressBackground2 to
    // ProgressBackground1 and back every two seconds.
    static rgb_color PulseColor(float seconds);
    rgb_color CurrentPulse() const { return fPulse; }

    void DrawFrame(Quor_Graphics* g, int frame, float seconds, float measuredFps) override;
    void RedrawMe(Quor_Graphics* g) override;

private:
    std::atomic<float> fValue;
    rgb_color fPulse;
};
