// A small layer pinned to the window's bottom-right corner, above the animation: it follows
// resizes by its follow flags, and the ball passing under it never paints over it.
#pragma once

#include "toolkit/framework/Quor_Layer.h"

class DemoPanel : public Quor_Layer {
public:
    DemoPanel(Quor_Rect frame);

    void InitBackground() override;
    void OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message) override;
    // Keys go to the window's top layer; the panel hands them to the main layer below it.
    void OnKeyDown(int key, unsigned int modifiers) override;
    bool IsModal() override { return false; }
};
