// The JPEG export dialog: the panorama's width and height, kept in the crop's proportions, the
// JPEG quality, and then the output file.
#pragma once

#include "app/ui/ExportDialog.h"

class RenderDialog : public ExportDialog {
public:
    RenderDialog(PanomerDoc* doc, Quor_Wnd* parent);

    // The size checks of every export and the quality within 10..100; on failure the fields hold
    // the repaired values and the quality field takes the focus.
    bool ValidateData() override;

    Quor_TextControl* QualityField() const { return fQualityField; }
};
