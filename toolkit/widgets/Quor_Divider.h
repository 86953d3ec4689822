// An etched separator line between groups of controls, vertical or horizontal.
#pragma once

#include "toolkit/widgets/Quor_BaseWidget.h"

class Quor_Divider : public Quor_BaseWidget {
public:
    // 2 x 32 pixels when vertical, 32 x 2 otherwise.
    Quor_Divider(bool vertical, unsigned int followFlags);

    bool IsVertical() const { return fVertical; }
    void RedrawMe(Quor_Graphics* g) override;

private:
    bool fVertical;
};
