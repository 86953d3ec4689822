#include "toolkit/widgets/Quor_FileDialogPrompt.h"

#include <new>

#include "toolkit/framework/Quor_LayoutView.h"
#include "toolkit/widgets/Quor_Button.h"
#include "toolkit/widgets/Quor_StaticText.h"
#include "toolkit/widgets/Quor_TextControl.h"

Quor_FileDialogPrompt::Quor_FileDialogPrompt(const char* question, const char* confirmLabel, Quor_Wnd* parent,
                                             Quor_String* answer)
    : Quor_Dialog("New Folder", parent), fField(nullptr), fAnswer(answer)
{
    constexpr unsigned int kFixed = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP;
    auto* form = new (std::nothrow) Quor_LayoutView(Quor_LayoutView::kVertical, 6, Quor_Point(16, 14));
    if (form == nullptr)
        return;
    if (auto* text = new (std::nothrow) Quor_StaticText(question, QUOR_ALIGN_LEFT, kFixed))
        form->AddChild(text, QUOR_LAYOUT_NONE);
    fField = new (std::nothrow) Quor_TextControl(300, "", 0, Quor_TextControl::kText, kFixed);
    if (fField != nullptr)
        form->AddChild(fField, QUOR_LAYOUT_NONE);
    form->AddPadding(8);
    Quor_Button* cancel = nullptr;
    Quor_Button* confirm = nullptr;
    AddCancelConfirmRow(form, confirmLabel, &cancel, &confirm);
    AddChild(form);
    SetFocusView(fField);
}

void Quor_FileDialogPrompt::OnEndDialog(int code)
{
    if (code == QUOR_MSG_OK && fField != nullptr && fAnswer != nullptr)
        *fAnswer = fField->Value();
}

bool Quor_FileDialogPrompt::Ask(const char* question, const char* confirmLabel, Quor_Wnd* parent,
                                Quor_String* answer)
{
    auto* dialog = new (std::nothrow) Quor_FileDialogPrompt(question, confirmLabel, parent, answer);
    if (dialog == nullptr)
        return false;
    return dialog->DoModal() == QUOR_MSG_OK;
}
