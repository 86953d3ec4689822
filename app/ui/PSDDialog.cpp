#include "app/ui/PSDDialog.h"

PSDDialog::PSDDialog(PanomerDoc* doc, Quor_Wnd* parent)
    : ExportDialog(doc, parent, "PSD Export", "PSD Files", ".psd", false)
{
}

bool PSDDialog::ValidateData()
{
    // The size checks make the other side follow the one being edited, which keeps the focus.
    return ValidateSize();
}
