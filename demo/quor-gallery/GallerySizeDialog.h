// The gallery's modal dialog: an output size and quality, each field kept to its range (OK with
// a value out of range puts the field at the nearer limit, beeps and stays open).
#pragma once

#include "toolkit/widgets/Quor_Dialog.h"

class Quor_TextControl;

class GallerySizeDialog : public Quor_Dialog {
public:
    explicit GallerySizeDialog(Quor_Wnd* parent);

    void UpdateData(bool save) override;
    bool ValidateData() override;
    void OnEndDialog(int code) override;

private:
    Quor_TextControl* fWidth;
    Quor_TextControl* fHeight;
    Quor_TextControl* fQuality;
};
