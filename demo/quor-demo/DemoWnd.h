// The demo's window: builds its two layers when first shown, quits when closed.
#pragma once

#include "toolkit/framework/Quor_Wnd.h"

class DemoWnd : public Quor_Wnd {
public:
    explicit DemoWnd(Quor_Rect frame);

    void OnCreate() override;
    void OnClose() override;
    void OnResize(Quor_Point oldSize, Quor_Point newSize) override;
    void OnFileDrop(const char* path, Quor_Point where, unsigned int modifiers) override;
    void HandleMessage(Quor_Message* message) override;
    void GetMinMaxSize(Quor_Point* min, Quor_Point* max) override;
};
