// A label whose text the program changes: a string, an integer or a number with two decimals,
// redrawn on every change.
#pragma once

#include "toolkit/core/Quor_String.h"
#include "toolkit/imaging/graphics/Quor_textAlignment.h"
#include "toolkit/widgets/Quor_BaseWidget.h"

class Quor_DynamicText : public Quor_BaseWidget {
public:
    // Text width + 4 wide (at least minWidth), BaseWidgetHeight() high.
    Quor_DynamicText(const char* text, int minWidth, Quor_textAlignment align, unsigned int followFlags);

    void SetValue(const char* text);
    // Decimal digits.
    void SetValue(int value);
    // Two decimals, with a point whatever the locale.
    void SetValue(float value);
    const Quor_String& Value() const { return fText; }

    void RedrawMe(Quor_Graphics* g) override;

private:
    Quor_String fText;
    Quor_textAlignment fAlign;
};
