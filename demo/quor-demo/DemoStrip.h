// The demo's stand-in for a menu bar in the window's menu strip: a bar with a hint, and Ctrl+Q
// as its one shortcut.
#pragma once

#include "toolkit/framework/Quor_MenuStrip.h"
#include "toolkit/framework/Quor_View.h"

class DemoStrip : public Quor_View, public Quor_MenuStrip {
public:
    // What-code the bar sends for Ctrl+Q.
    static constexpr int kQuit = 100;

    DemoStrip();

    Quor_View* StripView() override { return this; }
    int StripHeight() override;
    bool StripShortcut(int key, unsigned int modifiers) override;
    void InitBackground() override;
    void OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message) override;
};
