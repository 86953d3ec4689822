#include "demo/quor-demo/DemoWnd.h"

#include <cstdio>
#include <new>

#include "demo/quor-demo/DemoKeyView.h"
#include "demo/quor-demo/DemoLayer.h"
#include "demo/quor-demo/DemoPanel.h"
#include "demo/quor-demo/DemoStrip.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_FrameworkDefs.h"

DemoWnd::DemoWnd(Quor_Rect frame) : Quor_Wnd("Quor demo", frame, true, 0, nullptr) {}

void DemoWnd::OnCreate()
{
    const Quor_Rect b = Bounds();
    AddLayer(new (std::nothrow) DemoLayer(b));
    AddLayer(new (std::nothrow) DemoPanel(Quor_Rect(b.right - 175, b.bottom - 115, b.right - 16, b.bottom - 16)));
}

void DemoWnd::OnClose()
{
    std::printf("closed\n");
    std::fflush(stdout);
    if (Quor_App::gApp != nullptr)
        Quor_App::gApp->Quit();
}

void DemoWnd::OnResize(Quor_Point oldSize, Quor_Point newSize)
{
    std::printf("resize %dx%d\n", newSize.x, newSize.y);
    std::fflush(stdout);
    Quor_Wnd::OnResize(oldSize, newSize);
}

void DemoWnd::OnFileDrop(const char* path, Quor_Point where, unsigned int modifiers)
{
    // Any drop goes to the key panel, wherever it lands.
    if (CountLayers() > 0) {
        if (auto* layer = static_cast<DemoLayer*>(LayerAt(0)); layer->KeyView() != nullptr)
            layer->KeyView()->OnFileDrop(path, where, modifiers);
    }
}

void DemoWnd::HandleMessage(Quor_Message* message)
{
    switch (message->what) {
    case DemoStrip::kQuit:
    case QUOR_MSG_QUIT:
        std::printf("quit\n");
        std::fflush(stdout);
        if (Quor_App::gApp != nullptr)
            Quor_App::gApp->Quit();
        return;
    default:
        Quor_Wnd::HandleMessage(message);
        return;
    }
}

void DemoWnd::GetMinMaxSize(Quor_Point* min, Quor_Point* max)
{
    Quor_Wnd::GetMinMaxSize(min, max);
    if (min != nullptr)
        min->Set(360, 260);
}
