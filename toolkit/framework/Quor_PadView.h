// An empty view of a fixed size that keeps space between the children of a layout view.
#pragma once

#include "toolkit/framework/Quor_View.h"

class Quor_PadView : public Quor_View {
public:
    explicit Quor_PadView(Quor_Point size, unsigned int followFlags = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP);

    Quor_Point MinSize() override { return fSize; }
    Quor_Point PreferredSize() override { return fSize; }
    Quor_Point MaxSize() override { return fSize; }

private:
    Quor_Point fSize;
};
