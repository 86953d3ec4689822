#include "demo/quor-gallery/GallerySizeDialog.h"

#include <cstdio>

#include "toolkit/framework/Quor_LayoutView.h"
#include "toolkit/widgets/Quor_Button.h"
#include "toolkit/widgets/Quor_StaticText.h"
#include "toolkit/widgets/Quor_TextControl.h"

namespace {

constexpr unsigned int kFixed = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP;
constexpr int kLabelWidth = 70;

// The values survive the dialog, as a document's settings would.
int sWidth = 4000;
int sHeight = 2000;
int sQuality = 90;

Quor_TextControl* AddField(Quor_LayoutView* form, const char* label, const char* unit)
{
    form->PushH2(QUOR_LAYOUT_NONE, 8);
    auto* text = new Quor_StaticText(label, QUOR_ALIGN_LEFT, kFixed);
    text->SetShapeForced(kLabelWidth, text->Shape().y);
    form->AddChild(text, QUOR_LAYOUT_CENTER);
    auto* field = new Quor_TextControl(80, "", 0, Quor_TextControl::kCount, kFixed);
    form->AddChild(field, QUOR_LAYOUT_CENTER);
    form->AddChild(new Quor_StaticText(unit, QUOR_ALIGN_LEFT, kFixed), QUOR_LAYOUT_CENTER);
    form->Pop();
    return field;
}

}  // namespace

GallerySizeDialog::GallerySizeDialog(Quor_Wnd* parent) : Quor_Dialog("Output size", parent)
{
    auto* form = new Quor_LayoutView(Quor_LayoutView::kVertical, 8, Quor_Point(14, 14));
    form->AddChild(new Quor_StaticText("Width 16 to 30000, quality 10 to 100.", QUOR_ALIGN_LEFT, kFixed),
                   QUOR_LAYOUT_NONE);
    fWidth = AddField(form, "Width:", "pixels");
    fHeight = AddField(form, "Height:", "pixels");
    fQuality = AddField(form, "Quality:", "%");
    form->AddPadding(4);
    form->PushH2(QUOR_LAYOUT_FAR, 8);
    auto* cancel = new Quor_Button("Cancel", QUOR_MSG_CANCEL, 72, false, kFixed);
    auto* ok = new Quor_Button("OK", QUOR_MSG_OK, 72, true, kFixed);
    form->AddChild(cancel, QUOR_LAYOUT_CENTER);
    form->AddChild(ok, QUOR_LAYOUT_CENTER);
    form->Pop();
    AddChild(form);
    SetKeyButtons(ok, cancel);
    SetFocusView(fWidth);
}

void GallerySizeDialog::UpdateData(bool save)
{
    if (save) {
        sWidth = fWidth->IntValue();
        sHeight = fHeight->IntValue();
        sQuality = fQuality->IntValue();
        return;
    }
    fWidth->SetValue(sWidth);
    fHeight->SetValue(sHeight);
    fQuality->SetValue(sQuality);
    fWidth->SelectAll();
}

bool GallerySizeDialog::ValidateData()
{
    // Every field is checked, so that all of them show their repaired values at once.
    const bool width = ValidateInt(fWidth, 16, 30000);
    const bool height = ValidateInt(fHeight, 16, 30000);
    const bool quality = ValidateInt(fQuality, 10, 100);
    return width && height && quality;
}

void GallerySizeDialog::OnEndDialog(int code)
{
    std::printf("size dialog %s %dx%d quality %d\n", code == QUOR_MSG_OK ? "ok" : "cancel", sWidth, sHeight,
                sQuality);
    std::fflush(stdout);
}
