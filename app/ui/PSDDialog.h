// The layered PSD export dialog: the panorama's width and height, kept in the crop's
// proportions, and then the output file.
#pragma once

#include "app/ui/ExportDialog.h"

class PSDDialog : public ExportDialog {
public:
    PSDDialog(PanomerDoc* doc, Quor_Wnd* parent);

    // The size checks of every export; on failure the side being edited makes the other follow
    // it again and keeps the focus.
    bool ValidateData() override;
};
