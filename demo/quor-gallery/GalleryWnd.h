// The gallery's window: shows the main layer, the window sized to its pages (a fixed size);
// closing it ends the program.
#pragma once

#include "toolkit/framework/Quor_Wnd.h"

class GalleryLayer;

class GalleryWnd : public Quor_Wnd {
public:
    explicit GalleryWnd(Quor_Point topLeft);

    void OnCreate() override;
    void OnClose() override;
    void HandleMessage(Quor_Message* message) override;
    void GetMinMaxSize(Quor_Point* min, Quor_Point* max) override;

    GalleryLayer* Layer() const { return fLayer; }

private:
    GalleryLayer* fLayer;
};
