#include "demo/quor-gallery/GalleryTextPage.h"

#include <cstdio>

#include "demo/quor-gallery/GalleryArt.h"
#include "demo/quor-gallery/GalleryCodes.h"
#include "toolkit/widgets/Quor_Divider.h"
#include "toolkit/widgets/Quor_DynamicText.h"
#include "toolkit/widgets/Quor_StaticPicture.h"
#include "toolkit/widgets/Quor_StaticText.h"
#include "toolkit/widgets/Quor_TextControl.h"
#include "toolkit/widgets/Quor_TextList.h"

namespace {

constexpr unsigned int kFixed = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP;
constexpr int kLabelWidth = 96;

}  // namespace

GalleryTextPage::GalleryTextPage() : Quor_LayoutView(kVertical, 12, Quor_Point(12, 12))
{
    PushH2(QUOR_LAYOUT_NONE, 24);

    PushV2(QUOR_LAYOUT_NONE, 6);
    struct Field {
        const char* label;
        const char* text;
        unsigned int type;
    };
    const Field fields[] = {
        {"Text:", "Panorama of the bay", Quor_TextControl::kText},
        {"Integer:", "-42", Quor_TextControl::kInteger},
        {"Number:", "1.50", Quor_TextControl::kNumber},
        {"Count:", "7", Quor_TextControl::kCount},
        {"Positive:", "0.25", Quor_TextControl::kNonNegative},
        {"No digits:", "abc", Quor_TextControl::kNoDigits},
    };
    for (const Field& field : fields) {
        PushH2(QUOR_LAYOUT_NONE, 8);
        auto* label = new Quor_StaticText(field.label, QUOR_ALIGN_LEFT, kFixed);
        label->SetShapeForced(kLabelWidth, label->Shape().y);
        AddChild(label, QUOR_LAYOUT_CENTER);
        AddChild(new Quor_TextControl(170, field.text, kGalleryText, field.type, kFixed), QUOR_LAYOUT_CENTER);
        Pop();
    }
    PushH2(QUOR_LAYOUT_NONE, 8);
    auto* label = new Quor_StaticText("Disabled:", QUOR_ALIGN_LEFT, kFixed);
    label->SetShapeForced(kLabelWidth, label->Shape().y);
    AddChild(label, QUOR_LAYOUT_CENTER);
    auto* disabled = new Quor_TextControl(170, "Read only", kGalleryText, Quor_TextControl::kText, kFixed);
    disabled->Enable(false);
    AddChild(disabled, QUOR_LAYOUT_CENTER);
    Pop();
    Pop();

    PushV2(QUOR_LAYOUT_NONE, 6);
    AddChild(new Quor_StaticText("Photos (a text list)", QUOR_ALIGN_LEFT, kFixed), QUOR_LAYOUT_NONE);
    auto* list = new Quor_TextList(kGalleryList, kFixed);
    list->SetShape(200, 190);
    for (int i = 1; i <= 24; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%04d.jpg", 4100 + i * 7);
        list->AddItem(name);
    }
    list->SetSelItem(2);
    AddChild(list, QUOR_LAYOUT_NONE);
    Pop();

    Pop();

    AddChild(new Quor_Divider(false, kFixed), QUOR_LAYOUT_FILL);

    PushH2(QUOR_LAYOUT_NONE, 16);
    GalleryArt& art = GalleryArt::Shared();
    AddChild(new Quor_StaticPicture(&art.picture.Image(), "A static picture", kFixed), QUOR_LAYOUT_CENTER);
    PushV2(QUOR_LAYOUT_NONE, 2);
    AddChild(new Quor_StaticText("A static picture, with its tool tip.", QUOR_ALIGN_LEFT, kFixed), QUOR_LAYOUT_NONE);
    AddChild(new Quor_StaticText("Static text stays as it was made;", QUOR_ALIGN_LEFT, kFixed), QUOR_LAYOUT_NONE);
    AddChild(new Quor_DynamicText("dynamic text changes when told to.", 0, QUOR_ALIGN_LEFT, kFixed),
             QUOR_LAYOUT_NONE);
    Pop();
    Pop();
}
