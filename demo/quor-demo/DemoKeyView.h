// The demo's key panel: shows the last key typed; r, g and b also colour it.
#pragma once

#include <string>

#include "toolkit/core/Quor_RgbColor.h"
#include "toolkit/framework/Quor_View.h"

class DemoKeyView : public Quor_View {
public:
    DemoKeyView();

    void InitBackground() override;
    bool AcceptsFocus() override { return true; }
    void OnKeyDown(int key, unsigned int modifiers) override;
    void OnFileDrop(const char* path, Quor_Point where, unsigned int modifiers) override;

private:
    void Paint(bool refresh);

    rgb_color fColor{255, 255, 255, 255};
    std::string fText = "Type r, g or b";
};
