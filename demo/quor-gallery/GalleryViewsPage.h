// The gallery's page of containers: a scrolling view over a large picture and a tool bar whose
// buttons show tool tips.
#pragma once

#include "toolkit/framework/Quor_LayoutView.h"

class GalleryViewsPage : public Quor_LayoutView {
public:
    GalleryViewsPage();
};
