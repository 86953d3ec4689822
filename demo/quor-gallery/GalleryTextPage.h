// The gallery's page of text: a field of each type, a list, labels, a divider and a picture.
#pragma once

#include "toolkit/framework/Quor_LayoutView.h"

class GalleryTextPage : public Quor_LayoutView {
public:
    GalleryTextPage();
};
