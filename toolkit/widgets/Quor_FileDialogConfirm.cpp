#include "toolkit/widgets/Quor_FileDialogConfirm.h"

#include <new>

#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_LayoutView.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/widgets/Quor_Button.h"
#include "toolkit/widgets/Quor_StaticText.h"

Quor_FileDialogConfirm::Quor_FileDialogConfirm(const char* question, const char* detail,
                                               const char* confirmLabel, Quor_Wnd* parent)
    : Quor_Dialog("Confirm", parent), fConfirm(nullptr), fCancel(nullptr)
{
    constexpr unsigned int kFixed = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP;
    auto* form = new (std::nothrow) Quor_LayoutView(Quor_LayoutView::kVertical, 6, Quor_Point(16, 14));
    if (form == nullptr)
        return;
    auto* first = new (std::nothrow) Quor_StaticText(question, QUOR_ALIGN_LEFT, kFixed);
    if (first != nullptr) {
        if (Quor_Font* bold = Quor_App::gBoldFont) {
            first->SetFont(bold);
            first->SetShapeForced(bold->StringWidth(question) + 4, first->Shape().y);
        }
        form->AddChild(first, QUOR_LAYOUT_NONE);
    }
    if (detail != nullptr && *detail != '\0') {
        if (auto* second = new (std::nothrow) Quor_StaticText(detail, QUOR_ALIGN_LEFT, kFixed))
            form->AddChild(second, QUOR_LAYOUT_NONE);
    }
    form->AddPadding(8);
    AddCancelConfirmRow(form, confirmLabel, &fCancel, &fConfirm);
    AddChild(form);
}

bool Quor_FileDialogConfirm::Ask(const char* question, const char* detail, const char* confirmLabel,
                                 Quor_Wnd* parent)
{
    auto* dialog = new (std::nothrow) Quor_FileDialogConfirm(question, detail, confirmLabel, parent);
    if (dialog == nullptr)
        return false;
    return dialog->DoModal() == QUOR_MSG_OK;
}
