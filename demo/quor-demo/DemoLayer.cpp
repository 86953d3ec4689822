#include "demo/quor-demo/DemoLayer.h"

#include <new>

#include "demo/quor-demo/DemoBall.h"
#include "demo/quor-demo/DemoKeyView.h"
#include "demo/quor-demo/DemoStrip.h"
#include "demo/quor-demo/DemoSwatch.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_LayoutView.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"

DemoLayer::DemoLayer(Quor_Rect frame)
    : Quor_Layer(QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP | QUOR_FOLLOW_RIGHT | QUOR_FOLLOW_BOTTOM), fKeyView(nullptr)
{
    SetShape(frame.Width(), frame.Height());
    SetLocation(frame.left, frame.top);

    // The swatches and the key panel are placed by a layout view: a row of three swatches
    // above the key panel.
    Quor_LayoutView* form = new (std::nothrow) Quor_LayoutView(Quor_LayoutView::kVertical, 16, Quor_Point(16, 36));
    if (form != nullptr) {
        form->PushH2(QUOR_LAYOUT_NONE, 16);
        form->AddChild(new (std::nothrow) DemoSwatch("red", rgb_color{200, 40, 40, 255}, rgb_color{240, 200, 40, 255}),
                       QUOR_LAYOUT_NONE);
        form->AddChild(new (std::nothrow) DemoSwatch("green", rgb_color{40, 160, 60, 255}, rgb_color{240, 200, 40, 255}),
                       QUOR_LAYOUT_NONE);
        form->AddChild(new (std::nothrow) DemoSwatch("blue", rgb_color{50, 80, 200, 255}, rgb_color{240, 200, 40, 255}),
                       QUOR_LAYOUT_NONE);
        form->Pop();
        fKeyView = new (std::nothrow) DemoKeyView();
        form->AddChild(fKeyView, QUOR_LAYOUT_NONE);
        form->DoLayout();
        AddChild(form);
        if (fKeyView != nullptr)
            fKeyView->Focus(true);
    }

    DemoBall* ball = new (std::nothrow) DemoBall();
    if (ball != nullptr) {
        ball->SetLocation(0, frame.Height() - 80);
        ball->SetShape(frame.Width(), 40);
        AddChild(ball);
    }
    AddMenuBar(new (std::nothrow) DemoStrip());
}

void DemoLayer::InitBackground()
{
    Quor_Graphics* g = LayerGraphics();
    if (g != nullptr) {
        g->Clear(Quor_ColorOps::BackCol);
        if (Quor_App::gBoldFont != nullptr) {
            g->SetFont(Quor_App::gBoldFont);
            g->SetColor(Quor_ColorOps::Text);
            g->DrawString("Click a swatch, type r, g or b, resize the window.", Quor_Rect(16, 8, Bounds().right - 16, 28),
                          QUOR_ALIGN_LEFT, QUOR_ALIGN_CENTER);
        }
        g->EndDraw();
    }
    Quor_Layer::InitBackground();
}
