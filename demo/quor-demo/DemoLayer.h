// The demo window's main layer: a heading, three swatches, the key panel and the ball lane.
#pragma once

#include "toolkit/framework/Quor_Layer.h"

class DemoKeyView;

class DemoLayer : public Quor_Layer {
public:
    explicit DemoLayer(Quor_Rect frame);

    void InitBackground() override;

    DemoKeyView* KeyView() const { return fKeyView; }

private:
    DemoKeyView* fKeyView;
};
