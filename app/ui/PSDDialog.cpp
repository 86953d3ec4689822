#include "app/ui/PSDDialog.h"

#include "toolkit/widgets/Quor_TextControl.h"

PSDDialog::PSDDialog(PanomerDoc* doc, Quor_Wnd* parent)
    : ExportDialog(doc, parent, "PSD Export", "Untitled.psd", false)
{
}

bool PSDDialog::ValidateData()
{
    bool repaired = false;
    if (ValidateSize(&repaired))
        return true;
    // A repaired width comes with its height already.
    if (repaired)
        return false;
    if (fWidthField != nullptr && fWidthField->IsFocused()) {
        SendMessage(kMsgWidthEdited);
        fWidthField->Focus(true);
    } else if (fHeightField != nullptr && fHeightField->IsFocused()) {
        SendMessage(kMsgHeightEdited);
        // A height that no width within the limits gives (30000 for a 2:1 crop) would ask for the
        // same width again at every OK: the width is repaired instead.
        RepairWidth();
        fHeightField->Focus(true);
    }
    return false;
}
