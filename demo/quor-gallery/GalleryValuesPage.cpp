#include "demo/quor-gallery/GalleryValuesPage.h"

#include <cstdio>

#include "demo/quor-gallery/GalleryCodes.h"
#include "toolkit/widgets/Quor_AngleKnob.h"
#include "toolkit/widgets/Quor_AngleWidget.h"
#include "toolkit/widgets/Quor_ColorSwatch.h"
#include "toolkit/widgets/Quor_DynamicText.h"
#include "toolkit/widgets/Quor_ProgressBar.h"
#include "toolkit/widgets/Quor_ScrollBar.h"
#include "toolkit/widgets/Quor_Slider.h"
#include "toolkit/widgets/Quor_StaticText.h"

namespace {

constexpr unsigned int kFixed = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP;

Quor_StaticText* Caption(const char* text)
{
    return new Quor_StaticText(text, QUOR_ALIGN_LEFT, kFixed);
}

}  // namespace

GalleryValuesPage::GalleryValuesPage()
    : Quor_LayoutView(kVertical, 12, Quor_Point(12, 12)), fSlider(nullptr), fProgress(nullptr), fReadout(nullptr)
{
    PushH2(QUOR_LAYOUT_NONE, 20);

    PushV2(QUOR_LAYOUT_NONE, 6);
    AddChild(Caption("Slider with ticks"), QUOR_LAYOUT_NONE);
    fSlider = new Quor_Slider(240, false, true, kGallerySlider, kFixed);
    fSlider->SetRange(1, 10);
    fSlider->SetValue(4);
    AddChild(fSlider, QUOR_LAYOUT_NONE);
    AddChild(Caption("Scroll bar"), QUOR_LAYOUT_NONE);
    auto* hbar = new Quor_ScrollBar(240, false, kGalleryHScroll, kFixed);
    hbar->SetValue(30);
    AddChild(hbar, QUOR_LAYOUT_NONE);
    AddChild(Caption("Progress bar (follows the slider)"), QUOR_LAYOUT_NONE);
    fProgress = new Quor_ProgressBar(240, kFixed);
    AddChild(fProgress, QUOR_LAYOUT_NONE);
    fReadout = new Quor_DynamicText("", 240, QUOR_ALIGN_LEFT, kFixed);
    AddChild(fReadout, QUOR_LAYOUT_NONE);
    Pop();

    PushV2(QUOR_LAYOUT_NONE, 6);
    AddChild(Caption("Vertical"), QUOR_LAYOUT_NONE);
    PushH2(QUOR_LAYOUT_NONE, 10);
    auto* vslider = new Quor_Slider(150, true, false, kGalleryVSlider, kFixed);
    vslider->SetValue(7);
    AddChild(vslider, QUOR_LAYOUT_NONE);
    auto* vbar = new Quor_ScrollBar(150, true, kGalleryVScroll, kFixed);
    vbar->SetValue(60);
    AddChild(vbar, QUOR_LAYOUT_NONE);
    auto* off = new Quor_ScrollBar(150, true, kGalleryVScroll, kFixed);
    off->Enable(false);
    AddChild(off, QUOR_LAYOUT_NONE);
    Pop();
    Pop();

    PushV2(QUOR_LAYOUT_NONE, 6);
    AddChild(Caption("Angle knob"), QUOR_LAYOUT_NONE);
    auto* knob = new Quor_AngleKnob(true, kGalleryKnob, kFixed);
    knob->SetValue(0.785398f);
    AddChild(knob, QUOR_LAYOUT_CENTER);
    AddChild(Caption("Angle widget"), QUOR_LAYOUT_NONE);
    auto* angle = new Quor_AngleWidget(kGalleryAngle, false, kFixed);
    angle->SetValue(1.0472f);
    AddChild(angle, QUOR_LAYOUT_CENTER);
    Pop();

    Pop();

    AddChild(Caption("Colour swatches (click one to pick a colour)"), QUOR_LAYOUT_NONE);
    PushH2(QUOR_LAYOUT_NONE, 10);
    AddChild(new Quor_ColorSwatch(rgb_color{214, 84, 48, 255}, kGallerySwatch, false, kFixed), QUOR_LAYOUT_CENTER);
    AddChild(new Quor_ColorSwatch(rgb_color{52, 120, 196, 140}, kGallerySwatch, true, kFixed), QUOR_LAYOUT_CENTER);
    AddChild(new Quor_ColorSwatch(rgb_color{60, 160, 90, 255}, kGallerySwatch, false, kFixed), QUOR_LAYOUT_CENTER);
    auto* disabled = new Quor_ColorSwatch(rgb_color{200, 150, 30, 255}, kGallerySwatch, false, kFixed);
    disabled->Enable(false);
    AddChild(disabled, QUOR_LAYOUT_CENTER);
    Pop();
    SliderMoved();
}

void GalleryValuesPage::SliderMoved()
{
    const int value = fSlider->Value();
    fProgress->SetValue((value - 1) / 9.0f);
    char text[64];
    std::snprintf(text, sizeof text, "Slider at %d of 10", value);
    fReadout->SetValue(text);
}
