// A push button one widget height high, for tight rows of controls: it behaves as Quor_Button
// and is only sized more tightly (label width + one widget height).
#pragma once

#include "toolkit/widgets/Quor_Button.h"

class Quor_ShortButton : public Quor_Button {
public:
    Quor_ShortButton(const char* label, int what, int minWidth, unsigned int followFlags);
};
