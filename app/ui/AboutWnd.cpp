#include "app/ui/AboutWnd.h"

#include <new>

#include "app/ui/AboutLayer.h"
#include "app/ui/data/PanomerArt.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_WindowList.h"

namespace {

const char* AppName()
{
    return Quor_App::gApp != nullptr ? Quor_App::gApp->Name().Buffer() : "Quor Panomer";
}

}  // namespace

AboutWnd::AboutWnd(Quor_Wnd* parent)
    : Quor_Wnd(AppName(), Quor_Rect(0, 0, kabout.width - 1, kabout.height - 1), false, 4, parent),
      fLayer(new (std::nothrow) AboutLayer())
{
    if (fLayer != nullptr)
        AddLayer(fLayer);
    CenterOverParent();
}

void AboutBox(Quor_Wnd* parent)
{
    AboutWnd* window = new (std::nothrow) AboutWnd(parent);
    if (window == nullptr)
        return;
    if (window->Layer() == nullptr) {
        // Nothing to show, and nothing that could close it.
        window->CloseWindow();
        return;
    }
    const uint32_t parentId = parent != nullptr ? parent->Id() : 0;
    window->DoModal();
    // The window below takes the keyboard again, as a window manager would give it.
    if (parentId != 0 && Quor_WindowList::Find(parentId) == parent)
        parent->SetFocus();
}
