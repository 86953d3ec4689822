#include "demo/quor-gallery/GalleryButtonsPage.h"

#include "demo/quor-gallery/GalleryArt.h"
#include "demo/quor-gallery/GalleryCodes.h"
#include "demo/quor-gallery/GalleryQuickDialog.h"
#include "toolkit/widgets/Quor_Box.h"
#include "toolkit/widgets/Quor_Button.h"
#include "toolkit/widgets/Quor_CheckBox.h"
#include "toolkit/widgets/Quor_Divider.h"
#include "toolkit/widgets/Quor_Menu.h"
#include "toolkit/widgets/Quor_PopupDialog.h"
#include "toolkit/widgets/Quor_PopupMenu.h"
#include "toolkit/widgets/Quor_RadioButton.h"
#include "toolkit/widgets/Quor_ShortButton.h"
#include "toolkit/widgets/Quor_StaticText.h"

namespace {

constexpr unsigned int kFixed = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP;

Quor_StaticText* Caption(const char* text)
{
    return new Quor_StaticText(text, QUOR_ALIGN_LEFT, kFixed);
}

}  // namespace

GalleryButtonsPage::GalleryButtonsPage(Quor_Wnd* window)
    : Quor_LayoutView(kVertical, 12, Quor_Point(12, 12)), fProjection(nullptr)
{
    GalleryArt& art = GalleryArt::Shared();

    AddChild(Caption("Push buttons: default, normal, disabled, short and icon buttons"), QUOR_LAYOUT_NONE);
    PushH2(QUOR_LAYOUT_NONE, 10);
    AddChild(new Quor_Button("Default", kGalleryButton, 84, true, kFixed), QUOR_LAYOUT_CENTER);
    AddChild(new Quor_Button("Normal", kGalleryButton, 84, false, kFixed), QUOR_LAYOUT_CENTER);
    auto* disabled = new Quor_Button("Disabled", kGalleryButton, 84, false, kFixed);
    disabled->Enable(false);
    AddChild(disabled, QUOR_LAYOUT_CENTER);
    AddChild(new Quor_ShortButton("Short", kGalleryButton, 0, kFixed), QUOR_LAYOUT_CENTER);
    for (int i = 0; i < 3; ++i) {
        static const char* const kTips[3] = {"Add a photo", "Crop", "Align"};
        AddChild(new Quor_Button(&art.icons[i].Image(), kTips[i], kGalleryIcon, false, kFixed), QUOR_LAYOUT_CENTER);
    }
    Pop();

    PushH2(QUOR_LAYOUT_NONE, 12);
    auto* checkBox = new Quor_Box("Check boxes", kFixed);
    auto* checks = new Quor_LayoutView(kVertical, 4, Quor_Point(4, 2));
    auto* snap = new Quor_CheckBox("Snap to guides", kGalleryCheck, kFixed);
    snap->SetValue(true);
    checks->AddChild(snap, QUOR_LAYOUT_NONE);
    checks->AddChild(new Quor_CheckBox("Show the grid", kGalleryCheck, kFixed), QUOR_LAYOUT_NONE);
    auto* off = new Quor_CheckBox("Disabled", kGalleryCheck, kFixed);
    off->SetValue(true);
    off->Enable(false);
    checks->AddChild(off, QUOR_LAYOUT_NONE);
    checkBox->AddChild(checks);
    AddChild(checkBox, QUOR_LAYOUT_NONE);

    auto* radioBox = new Quor_Box("Radio buttons", kFixed);
    auto* radios = new Quor_LayoutView(kVertical, 4, Quor_Point(4, 2));
    const char* const kModes[3] = {"Perspective", "Spherical", "Fisheye"};
    for (int i = 0; i < 3; ++i) {
        auto* radio = new Quor_RadioButton(kModes[i], kGalleryRadio, kFixed);
        radios->AddChild(radio, QUOR_LAYOUT_NONE);
        if (i == 0)
            radio->SetValue(true);
    }
    radioBox->AddChild(radios);
    AddChild(radioBox, QUOR_LAYOUT_NONE);
    Pop();

    AddChild(new Quor_Divider(false, kFixed), QUOR_LAYOUT_FILL);

    PushH2(QUOR_LAYOUT_NONE, 10);
    AddChild(Caption("Pop-up menu:"), QUOR_LAYOUT_CENTER);
    fProjection = new Quor_PopupMenu(150, true, kFixed);
    auto* menu = new Quor_Menu("Projection");
    menu->AddItem("Perspective", 0, kGalleryProjection);
    menu->AddItem("Spherical", 0, kGalleryProjection + 1000);
    menu->AddItem("Vertical", 0, kGalleryProjection + 2000);
    menu->AddItem("Fisheye", 0, kGalleryProjection + 3000);
    menu->SetChecked(kGalleryProjection + 1000, true);
    fProjection->SetMenu(menu);
    AddChild(fProjection, QUOR_LAYOUT_CENTER);
    AddChild(Caption("Pop-up dialog:"), QUOR_LAYOUT_CENTER);
    auto* quick = new Quor_PopupDialog("Quick settings", false, kGalleryPopupDialog, 0, kFixed);
    quick->SetDialog(new GalleryQuickDialog(window));
    AddChild(quick, QUOR_LAYOUT_CENTER);
    Pop();

    AddChild(Caption("Dialogs"), QUOR_LAYOUT_NONE);
    PushH2(QUOR_LAYOUT_NONE, 10);
    AddChild(new Quor_Button("Open...", kGalleryOpen, 84, false, kFixed), QUOR_LAYOUT_CENTER);
    AddChild(new Quor_Button("Save...", kGallerySave, 84, false, kFixed), QUOR_LAYOUT_CENTER);
    AddChild(new Quor_Button("Modal...", kGalleryModal, 84, false, kFixed), QUOR_LAYOUT_CENTER);
    AddChild(new Quor_Button("Floating...", kGalleryFloating, 84, false, kFixed), QUOR_LAYOUT_CENTER);
    Pop();
}
