// A fixed label: one line of text in the regular font, aligned left, right or centred in its
// rectangle and centred vertically.
#pragma once

#include "toolkit/core/Quor_String.h"
#include "toolkit/imaging/graphics/Quor_textAlignment.h"
#include "toolkit/widgets/Quor_BaseWidget.h"

class Quor_StaticText : public Quor_BaseWidget {
public:
    // Text width + 4 wide, BaseWidgetHeight() high.
    Quor_StaticText(const char* text, Quor_textAlignment align, unsigned int followFlags);

    const Quor_String& Text() const { return fText; }
    // The label looks the same either way, and without a kept background a redraw would paint
    // the text over itself; so nothing is redrawn.
    void OnEnable(bool enabled) override;
    void RedrawMe(Quor_Graphics* g) override;

private:
    Quor_String fText;
    Quor_textAlignment fAlign;
};
