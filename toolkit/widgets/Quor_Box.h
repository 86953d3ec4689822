// A titled group frame around one child view: a rounded, shaded panel with a two-pixel outline
// that opens around the title on its top edge.
#pragma once

#include "toolkit/core/Quor_String.h"
#include "toolkit/widgets/Quor_BaseWidget.h"

class Quor_Box : public Quor_BaseWidget {
public:
    // Bold font.
    Quor_Box(const char* title, unsigned int followFlags);

    const Quor_String& Title() const { return fTitle; }

    // With one child: the child's preferred size plus the frame (8 pixels on the sides and the
    // bottom, the font height + 8 on top). Otherwise the view behaviour.
    Quor_Point PreferredSize() override;
    // With one child: lays it out at its preferred size inside the frame and takes the size
    // around it.
    void DoLayout() override;
    // With one child: stretches it to fill the frame's inside.
    void DoReLayout() override;
    void RedrawMe(Quor_Graphics* g) override;

private:
    int FontHeight() const;

    Quor_String fTitle;
};
