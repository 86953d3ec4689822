#include "toolkit/widgets/Quor_AnimatedWidget.h"

#include <cmath>
#include <new>

#include "toolkit/core/Quor_Stopwatch.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/framework/platform/Quor_Host.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"

Quor_AnimatedWidget::Quor_AnimatedWidget(float framesPerSecond, bool autoStart, bool ownFrameImage,
                                         bool keepsBackground, unsigned int followFlags)
    : Quor_BaseWidget(keepsBackground, followFlags),
      fRate(std::isfinite(framesPerSecond) && framesPerSecond > 0.0f ? framesPerSecond : 1.0f),
      fAutoStart(autoStart),
      fRunning(false),
      fTimer(this),
      fOwnFrameImage(ownFrameImage),
      fFrameGraphics(nullptr),
      fFrame(0),
      fMeasuredFps(fRate),
      fStartMicros(0)
{
}

Quor_AnimatedWidget::~Quor_AnimatedWidget()
{
    fTimer.Kill();
    fRunning = false;
    delete fFrameGraphics;
}

uint64_t Quor_AnimatedWidget::ClockMicros()
{
    if (Quor_Host* host = Quor_Host::Current())
        return host->NowMicros();
    return Quor_Stopwatch::Microseconds();
}

float Quor_AnimatedWidget::AnimationSeconds() const
{
    return static_cast<float>(static_cast<double>(ClockMicros() - fStartMicros) / 1e6);
}

bool Quor_AnimatedWidget::MakeFrameImage()
{
    const Quor_Point size = Shape();
    if (fFrameImage.IsValid() && fFrameImage.Width() == size.x && fFrameImage.Height() == size.y)
        return true;
    if (fFrameImage.Initialize(size.x, size.y, 32) != QUOR_OK)
        return false;
    fFrameImage.Clear(rgb_color{0, 0, 0, 0});
    return true;
}

Quor_Graphics* Quor_AnimatedWidget::FrameGraphics()
{
    if (!fOwnFrameImage)
        return ViewGraphics();
    if (!fFrameImage.IsValid())
        return nullptr;
    if (fFrameGraphics == nullptr) {
        fFrameGraphics = new (std::nothrow) Quor_Graphics();
        if (fFrameGraphics == nullptr)
            return nullptr;
    }
    if (fFrameGraphics->AttachToImage(&fFrameImage.Image()) != QUOR_OK)
        return nullptr;
    fFrameGraphics->BeginDraw();
    return fFrameGraphics;
}

bool Quor_AnimatedWidget::Start()
{
    if (fRunning)
        return false;
    Quor_Wnd* window = Window();
    if (window == nullptr)
        return false;
    if (fOwnFrameImage && !MakeFrameImage())
        return false;
    if (!fTimer.Start(window, 1.0f / fRate, QUOR_MSG_TICK))
        return false;
    fRunning = true;
    fFrame = 0;
    fMeasuredFps = fRate;
    fStartMicros = ClockMicros();
    if (Quor_Graphics* g = FrameGraphics())
        BeginAnimation(g);
    fStartMicros = ClockMicros();
    return true;
}

void Quor_AnimatedWidget::Stop()
{
    if (!fRunning)
        return;
    fTimer.Kill();
    fRunning = false;
    if (Quor_Graphics* g = FrameGraphics())
        StopAnimation(g);
}

void Quor_AnimatedWidget::HandleMessage(Quor_Message* message)
{
    if (message->what != QUOR_MSG_TICK) {
        Quor_BaseWidget::HandleMessage(message);
        return;
    }
    if (!fRunning)
        return;
    const float seconds = AnimationSeconds();
    if (fOwnFrameImage && !MakeFrameImage())
        return;
    if (Quor_Graphics* g = FrameGraphics())
        DrawFrame(g, fFrame, seconds, fMeasuredFps);
    Redraw(true);
    ++fFrame;
    if (seconds > 0.0f)
        fMeasuredFps = static_cast<float>(fFrame) / seconds;
}

void Quor_AnimatedWidget::AttachedToWindow()
{
    Quor_BaseWidget::AttachedToWindow();
    if (fAutoStart)
        Start();
}

void Quor_AnimatedWidget::DetachedFromWindow()
{
    Stop();
    Quor_BaseWidget::DetachedFromWindow();
}

void Quor_AnimatedWidget::OnResize(Quor_Point oldSize, Quor_Point newSize)
{
    Quor_BaseWidget::OnResize(oldSize, newSize);
    if (fOwnFrameImage && fFrameImage.IsValid())
        MakeFrameImage();
}

void Quor_AnimatedWidget::RedrawMe(Quor_Graphics* g)
{
    if (!fFrameImage.IsValid())
        return;
    if (fKeepsBackground)
        g->BlitAlpha(&fFrameImage.Image(), 0, 0, false);
    else
        g->Blit(&fFrameImage.Image(), 0, 0);
}

void Quor_AnimatedWidget::BeginAnimation(Quor_Graphics*) {}

void Quor_AnimatedWidget::DrawFrame(Quor_Graphics*, int, float, float) {}

void Quor_AnimatedWidget::StopAnimation(Quor_Graphics*) {}
