// A coloured box of the demo: a click swaps its colour, the pointer over it lights its frame.
#pragma once

#include "toolkit/core/Quor_RgbColor.h"
#include "toolkit/framework/Quor_View.h"

class DemoSwatch : public Quor_View {
public:
    DemoSwatch(const char* name, rgb_color color, rgb_color alternate);

    void InitBackground() override;
    void OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message) override;
    void OnMouseMove(Quor_Point where, unsigned int modifiers, Quor_Message* message) override;

private:
    void Paint(bool refresh);

    const char* fName;
    rgb_color fColor;
    rgb_color fAlternate;
    bool fSwapped = false;
    bool fHover = false;
};
