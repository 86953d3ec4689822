// A lane with a ball that a window timer moves back and forth: the demo's animation.
#pragma once

#include "toolkit/framework/Quor_View.h"

class DemoBall : public Quor_View {
public:
    DemoBall();

    void InitBackground() override;
    void AttachedToWindow() override;
    void DetachedFromWindow() override;
    void HandleMessage(Quor_Message* message) override;

private:
    void Paint(bool refresh);

    unsigned int fTimer = 0;
    int fX = 20;
    int fStep = 4;
};
