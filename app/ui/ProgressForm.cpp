#include "app/ui/ProgressForm.h"

#include <new>

#include "toolkit/core/Quor_Message.h"
#include "toolkit/framework/Quor_LayoutView.h"
#include "toolkit/widgets/Quor_Button.h"
#include "toolkit/widgets/Quor_Dialog.h"
#include "toolkit/widgets/Quor_ProgressBar.h"
#include "toolkit/widgets/Quor_StaticText.h"

ProgressForm ProgressForm::Build(Quor_Dialog* dialog, const char* caption)
{
    constexpr unsigned int kFixed = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP;
    ProgressForm form;
    auto* layout = new (std::nothrow) Quor_LayoutView(Quor_LayoutView::kVertical, 8, Quor_Point(12, 12));
    if (layout == nullptr)
        return form;
    if (auto* text = new (std::nothrow) Quor_StaticText(caption, QUOR_ALIGN_LEFT, kFixed))
        layout->AddChild(text, QUOR_LAYOUT_NONE);
    form.bar = new (std::nothrow) Quor_ProgressBar(256, kFixed);
    if (form.bar != nullptr)
        layout->AddChild(form.bar, QUOR_LAYOUT_NONE);
    form.cancel = new (std::nothrow) Quor_Button("Cancel", QUOR_MSG_CANCEL, 72, false, kFixed);
    if (form.cancel != nullptr)
        layout->AddChild(form.cancel, QUOR_LAYOUT_FAR);
    dialog->AddChild(layout);
    dialog->SetKeyButtons(nullptr, form.cancel);
    return form;
}
