// The gallery's first page: push buttons in every state, check boxes and radio buttons in
// boxes, a pop-up menu, a pop-up dialog, and the buttons that open the dialogs.
#pragma once

#include "toolkit/framework/Quor_LayoutView.h"

class Quor_PopupMenu;

class GalleryButtonsPage : public Quor_LayoutView {
public:
    explicit GalleryButtonsPage(Quor_Wnd* window);

    Quor_PopupMenu* Projection() const { return fProjection; }

private:
    Quor_PopupMenu* fProjection;
};
