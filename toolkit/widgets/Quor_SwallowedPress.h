// A press that closed a pop-up from outside and is delivered next to the control it landed on
// (the menu bar, a pop-up menu or a pop-up dialog's button): that control must not open its
// pop-up again for it. It is kept for the next press only.
#pragma once

#include "toolkit/math/Quor_Point.h"

class Quor_View;

class Quor_SwallowedPress {
public:
    // The press at this window point only closed a pop-up.
    void Set(Quor_Point windowPoint)
    {
        fPending = true;
        fWindowPoint = windowPoint;
    }

    // Whether the press at `where` (view coordinates of `view`) is the one set; any press uses
    // the setting up, so that a later press at the same point is not swallowed too.
    bool Take(const Quor_View* view, Quor_Point where);

private:
    bool fPending = false;
    Quor_Point fWindowPoint;
};
