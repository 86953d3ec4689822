#include "demo/quor-gallery/GalleryWnd.h"

#include <cstdio>
#include <new>

#include "demo/quor-gallery/GalleryLayer.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_FrameworkDefs.h"

GalleryWnd::GalleryWnd(Quor_Point topLeft)
    : Quor_Wnd("Quor gallery", Quor_Rect(topLeft.x, topLeft.y, topLeft.x + 639, topLeft.y + 479), false, 0, nullptr),
      fLayer(nullptr)
{
}

void GalleryWnd::OnCreate()
{
    fLayer = new (std::nothrow) GalleryLayer(this);
    if (fLayer == nullptr)
        return;
    AddLayer(fLayer);
    DoLayout();
}

void GalleryWnd::OnClose()
{
    std::printf("closed\n");
    std::fflush(stdout);
    if (Quor_App::gApp != nullptr)
        Quor_App::gApp->Quit();
}

void GalleryWnd::HandleMessage(Quor_Message* message)
{
    if (message->what == QUOR_MSG_QUIT) {
        if (Quor_App::gApp != nullptr)
            Quor_App::gApp->Quit();
        return;
    }
    Quor_Wnd::HandleMessage(message);
}

void GalleryWnd::GetMinMaxSize(Quor_Point* min, Quor_Point* max)
{
    Quor_Wnd::GetMinMaxSize(min, max);
    if (min != nullptr)
        min->Set(320, 240);
}
