#include "app/ui/RenderDialog.h"

#include "toolkit/widgets/Quor_TextControl.h"

RenderDialog::RenderDialog(PanomerDoc* doc, Quor_Wnd* parent)
    : ExportDialog(doc, parent, "JPEG Export", "JPEG Files", ".jpg;.jpeg", true)
{
}

bool RenderDialog::ValidateData()
{
    if (ValidateSize())
        return true;
    if (fQualityField != nullptr)
        fQualityField->Focus(true);
    return false;
}
