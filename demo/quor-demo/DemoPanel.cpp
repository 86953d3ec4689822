#include "demo/quor-demo/DemoPanel.h"

#include <cstdio>

#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"

DemoPanel::DemoPanel(Quor_Rect frame) : Quor_Layer(QUOR_FOLLOW_RIGHT | QUOR_FOLLOW_BOTTOM)
{
    SetShape(frame.Width(), frame.Height());
    SetLocation(frame.left, frame.top);
}

void DemoPanel::InitBackground()
{
    Quor_Graphics* g = LayerGraphics();
    if (g != nullptr) {
        const Quor_Rect b = Bounds();
        g->SetColor(250, 240, 200);
        g->FillRect(b);
        g->SetColor(120, 90, 40);
        g->FrameRect(b);
        if (Quor_App::gRegularFont != nullptr) {
            g->SetFont(Quor_App::gRegularFont);
            g->SetColor(60, 40, 10);
            Quor_Rect text(b);
            text.InsetBy(8, 8);
            g->DrawString("A second layer,", Quor_Rect(text.left, text.top, text.right, text.top + 16), QUOR_ALIGN_LEFT, QUOR_ALIGN_CENTER);
            g->DrawString("pinned to the corner", Quor_Rect(text.left, text.top + 18, text.right, text.top + 34), QUOR_ALIGN_LEFT, QUOR_ALIGN_CENTER);
        }
        g->EndDraw();
    }
    Quor_Layer::InitBackground();
}

void DemoPanel::OnMouseDown(Quor_Point where, unsigned int, unsigned int, Quor_Message*)
{
    std::printf("panel press %d,%d\n", where.x, where.y);
    std::fflush(stdout);
}

void DemoPanel::OnKeyDown(int key, unsigned int modifiers)
{
    if (Window() != nullptr && Window()->LayerAt(0) != nullptr && Window()->LayerAt(0) != this)
        Window()->LayerAt(0)->OnKeyDown(key, modifiers);
}
