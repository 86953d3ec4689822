#include "demo/quor-gallery/GalleryQuickDialog.h"

#include <cstdio>

#include "demo/quor-gallery/GalleryCodes.h"
#include "toolkit/framework/Quor_LayoutView.h"
#include "toolkit/widgets/Quor_Button.h"
#include "toolkit/widgets/Quor_CheckBox.h"
#include "toolkit/widgets/Quor_Slider.h"
#include "toolkit/widgets/Quor_StaticText.h"

namespace {

constexpr unsigned int kFixed = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP;

}  // namespace

GalleryQuickDialog::GalleryQuickDialog(Quor_Wnd* parent)
    : Quor_Dialog("Quick settings", parent), fSlider(nullptr), fFeather(nullptr), fBrightness(5), fFeathered(true)
{
    auto* form = new Quor_LayoutView(Quor_LayoutView::kVertical, 8, Quor_Point(12, 10));
    form->AddChild(new Quor_StaticText("Brightness", QUOR_ALIGN_LEFT, kFixed), QUOR_LAYOUT_NONE);
    fSlider = new Quor_Slider(180, false, true, kGallerySlider, kFixed);
    fSlider->SetRange(1, 10);
    form->AddChild(fSlider, QUOR_LAYOUT_NONE);
    fFeather = new Quor_CheckBox("Feather the edges", kGalleryCheck, kFixed);
    form->AddChild(fFeather, QUOR_LAYOUT_NONE);
    auto* apply = new Quor_Button("Apply", QUOR_MSG_OK, 72, true, kFixed);
    form->AddChild(apply, QUOR_LAYOUT_FAR);
    AddChild(form);
    SetKeyButtons(apply, nullptr);
}

void GalleryQuickDialog::UpdateData(bool save)
{
    if (save) {
        fBrightness = fSlider->Value();
        fFeathered = fFeather->Value();
        std::printf("quick settings %d %s\n", fBrightness, fFeathered ? "feathered" : "sharp");
        std::fflush(stdout);
        return;
    }
    fSlider->SetValue(fBrightness);
    fFeather->SetValue(fFeathered);
}
