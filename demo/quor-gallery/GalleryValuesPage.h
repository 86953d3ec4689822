// The gallery's page of value controls: sliders, scroll bars, a progress bar that follows the
// slider, the angle controls and colour swatches.
#pragma once

#include "toolkit/framework/Quor_LayoutView.h"

class Quor_DynamicText;
class Quor_ProgressBar;
class Quor_Slider;

class GalleryValuesPage : public Quor_LayoutView {
public:
    GalleryValuesPage();

    // The slider moved: the progress bar and the read-out follow it.
    void SliderMoved();

private:
    Quor_Slider* fSlider;
    Quor_ProgressBar* fProgress;
    Quor_DynamicText* fReadout;
};
