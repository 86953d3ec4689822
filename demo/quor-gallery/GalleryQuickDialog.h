// A small settings dialog: a slider, a check box and Apply. The gallery shows it as a pop-up
// below its button and as a floating window.
#pragma once

#include "toolkit/widgets/Quor_Dialog.h"

class Quor_CheckBox;
class Quor_Slider;

class GalleryQuickDialog : public Quor_Dialog {
public:
    explicit GalleryQuickDialog(Quor_Wnd* parent);

    // Keeps the values between showings.
    void UpdateData(bool save) override;

private:
    Quor_Slider* fSlider;
    Quor_CheckBox* fFeather;
    int fBrightness;
    bool fFeathered;
};
