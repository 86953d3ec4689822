#include "demo/quor-demo/DemoBall.h"

#include "toolkit/framework/Quor_FrameworkDefs.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/math/Quor_Vector2.h"

namespace {

constexpr int kRadius = 14;

}  // namespace

DemoBall::DemoBall() : Quor_View(QUOR_FOLLOW_LEFT | QUOR_FOLLOW_RIGHT | QUOR_FOLLOW_BOTTOM)
{
}

void DemoBall::AttachedToWindow()
{
    Quor_View::AttachedToWindow();
    if (fTimer == 0 && Window() != nullptr)
        fTimer = Window()->SetTimer(1.0f / 30.0f, this, QUOR_MSG_TICK);
}

void DemoBall::DetachedFromWindow()
{
    if (fTimer != 0 && Window() != nullptr)
        Window()->KillTimer(fTimer);
    fTimer = 0;
    Quor_View::DetachedFromWindow();
}

void DemoBall::InitBackground()
{
    Paint(false);
}

void DemoBall::HandleMessage(Quor_Message* message)
{
    if (message->what != QUOR_MSG_TICK) {
        Quor_View::HandleMessage(message);
        return;
    }
    const int width = Shape().x;
    fX += fStep;
    if (fX > width - kRadius - 2 || fX < kRadius + 2) {
        fStep = -fStep;
        fX += 2 * fStep;
    }
    Paint(true);
}

void DemoBall::Paint(bool refresh)
{
    Quor_Graphics* g = ViewGraphics();
    if (g == nullptr)
        return;
    const Quor_Rect b = Bounds();
    g->SetColor(190, 200, 215);
    g->FillRect(b);
    g->SetSmoothing(true);
    g->SetColor(230, 120, 30);
    g->FillCircle(Quor_Vector2(static_cast<float>(fX), static_cast<float>(b.Height() / 2)), static_cast<float>(kRadius));
    g->SetSmoothing(false);
    g->EndDraw();
    if (refresh)
        Refresh();
}
