// The progress window of the layered PSD export: the JPEG export's window and protocol over the
// PSD worker.
#pragma once

#include "app/ui/RenderProgress.h"

class PSDProgress : public RenderProgress {
public:
    PSDProgress(PanomerDoc* doc, Quor_Wnd* parent, RenderResult* outcome = nullptr);
};
