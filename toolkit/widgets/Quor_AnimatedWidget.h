// A widget that redraws itself at a steady frame rate from a window timer: each tick draws one
// frame (into its own frame image, or straight through the view's graphics) and shows it. The
// progress bar pulses this way and the text field blinks its caret.
#pragma once

#include <cstdint>

#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/widgets/Quor_BaseWidget.h"
#include "toolkit/widgets/Quor_WidgetTimer.h"

class Quor_AnimatedWidget : public Quor_BaseWidget {
public:
    // autoStart: the animation runs while the widget is in a window. ownFrameImage: frames are
    // drawn into a 32-bit image of the widget's size, which RedrawMe shows.
    Quor_AnimatedWidget(float framesPerSecond, bool autoStart, bool ownFrameImage, bool keepsBackground,
                        unsigned int followFlags);
    ~Quor_AnimatedWidget() override;

    // QUOR_MSG_TICK draws the next frame; everything else goes on up.
    void HandleMessage(Quor_Message* message) override;
    void AttachedToWindow() override;
    void DetachedFromWindow() override;
    void OnResize(Quor_Point oldSize, Quor_Point newSize) override;
    // Shows the frame image (with alpha when the widget keeps its background).
    void RedrawMe(Quor_Graphics* g) override;

    // Called once when the animation starts, for every frame, and when it stops; empty here.
    virtual void BeginAnimation(Quor_Graphics* g);
    virtual void DrawFrame(Quor_Graphics* g, int frame, float seconds, float measuredFps);
    virtual void StopAnimation(Quor_Graphics* g);

    // Starts the timer when the widget is in a window and not running yet; false otherwise.
    bool Start();
    void Stop();
    bool IsRunning() const { return fRunning; }
    float FramesPerSecond() const { return fRate; }
    float MeasuredFps() const { return fMeasuredFps; }
    int FrameCount() const { return fFrame; }
    const Quor_BaseImage& FrameImage() const { return fFrameImage; }

    // The event loop's clock in microseconds (the host's, so that tests can move it).
    static uint64_t ClockMicros();

protected:
    // The graphics to draw a frame with: on the frame image when there is one, else the view's.
    Quor_Graphics* FrameGraphics();
    // Seconds since the animation started.
    float AnimationSeconds() const;

    float fRate;
    bool fAutoStart;
    bool fRunning;
    Quor_WidgetTimer fTimer;
    bool fOwnFrameImage;
    Quor_BaseImage fFrameImage;
    Quor_Graphics* fFrameGraphics;
    int fFrame;
    float fMeasuredFps;
    uint64_t fStartMicros;

private:
    // (Re)makes the frame image at the widget's size; false when it cannot be made.
    bool MakeFrameImage();
};
