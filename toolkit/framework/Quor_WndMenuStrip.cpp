// Quor_Wnd: the menu strip above the content area, which shows the menu bar of the highest layer
// that registered one.
#include "toolkit/framework/Quor_Wnd.h"

#include <new>

#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_Layer.h"
#include "toolkit/framework/Quor_MenuStrip.h"
#include "toolkit/framework/Quor_MenuStripLayer.h"
#include "toolkit/framework/Quor_View.h"
#include "toolkit/framework/platform/Quor_Host.h"
#include "toolkit/imaging/fonts/Quor_Font.h"

// --- Menu strip ----------------------------------------------------------------------------------

Quor_Layer* Quor_Wnd::MenuStripLayer() const
{
    return fStripLayer;
}

void Quor_Wnd::UpdateMenuStrip()
{
    Quor_Layer* owner = nullptr;
    for (int i = fLayerCount - 1; i >= 0; --i) {
        if (fLayers[i]->MenuStrip() != nullptr) {
            owner = fLayers[i];
            break;
        }
    }
    if (fStripLayer != nullptr && owner == fStripLayer->Owner() &&
        owner->MenuStrip() == fStripLayer->Strip())
        return;
    RemoveMenuStrip();
    if (owner == nullptr)
        return;
    Quor_MenuStrip* strip = owner->MenuStrip();
    int height = strip->StripHeight();
    if (height < 1) {
        // A bar that cannot tell takes the bold interface font's line and a quarter.
        const Quor_Font* font = Quor_App::gBoldFont;
        const int line = font != nullptr ? font->LineToLineHeight() : 16;
        height = line + line / 4;
    }
    Quor_MenuStripLayer* layer = new (std::nothrow) Quor_MenuStripLayer(owner, strip);
    if (layer == nullptr)
        return;
    const Quor_Rect content = Bounds();
    fStripLayer = layer;
    fStripHeight = height;
    layer->SetWindow(this);
    layer->SetShape(content.Width(), height);
    layer->MoveFrameTo(0, -height);
    if (Quor_View* bar = strip->StripView()) {
        bar->SetLocation(0, 0);
        bar->SetShape(content.Width(), height);
    }
    if (Quor_Host* host = Quor_Host::Current(); host != nullptr && fHostWindow != 0)
        host->SetSize(fHostWindow, content.Width(), content.Height() + height);
    ApplyMinSize();
    layer->AttachedToWindow();
    RedrawMenuStrip();
    Redraw(Bounds());
}

void Quor_Wnd::RemoveMenuStrip()
{
    if (fStripLayer == nullptr)
        return;
    const Quor_Rect content = Bounds();
    Quor_MenuStripLayer* layer = fStripLayer;
    if (fMouseLayer == layer)
        fMouseLayer = nullptr;
    layer->DetachedFromWindow();
    layer->SetWindow(nullptr);
    fStripLayer = nullptr;
    delete layer;
    fStripHeight = 0;
    // A closing window keeps its size; there is nothing left to redraw.
    if (fClosing)
        return;
    if (Quor_Host* host = Quor_Host::Current(); host != nullptr && fHostWindow != 0) {
        host->SetSize(fHostWindow, content.Width(), content.Height());
        ApplyMinSize();
        Redraw(Bounds());
    }
}

void Quor_Wnd::RedrawMenuStrip()
{
    if (fStripLayer != nullptr)
        fStripLayer->OnDraw(fStripLayer->Bounds());
}
