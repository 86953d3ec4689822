#include "app/ui/PSDProgress.h"

PSDProgress::PSDProgress(PanomerDoc* doc, Quor_Wnd* parent, RenderResult* outcome)
    : RenderProgress(doc, parent, RenderKind::kPsd, outcome)
{
}
