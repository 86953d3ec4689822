// The about box: a small modal window without a title bar that shows the about picture, the
// version and the scrolling credits (AboutLayer), and closes on any click or key.
#pragma once

#include "toolkit/framework/Quor_Wnd.h"

class AboutLayer;

class AboutWnd : public Quor_Wnd {
public:
    // The size of the about picture, centred on the screen, above `parent`.
    explicit AboutWnd(Quor_Wnd* parent);

    // Null when the layer could not be made.
    AboutLayer* Layer() const { return fLayer; }

private:
    AboutLayer* fLayer;
};

// Shows the about box over `parent` and returns once the user has closed it.
void AboutBox(Quor_Wnd* parent);
