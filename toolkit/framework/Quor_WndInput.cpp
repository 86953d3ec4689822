// Quor_Wnd: input routing. Presses, moves, the wheel and releases go to the layers top first
// (the menu strip above them); keys go to the top layer; dropped files to the layer under them.
#include "toolkit/framework/Quor_Wnd.h"

#include <algorithm>
#include <cstdlib>

#include "toolkit/framework/Quor_FrameworkDefs.h"
#include "toolkit/framework/Quor_Layer.h"
#include "toolkit/framework/Quor_MenuStripLayer.h"
#include "toolkit/framework/Quor_WindowCall.h"
#include "toolkit/framework/Quor_WindowList.h"
#include "toolkit/framework/platform/Quor_Host.h"

// Every handler called from here may close the window: after each one the window is looked up
// again by its id before anything of it is touched.

void Quor_Wnd::OnKeyDown(int key, unsigned int modifiers)
{
    fModifiers = modifiers;
    if (fLayerCount == 0)
        return;
    const uint32_t id = fId;
    Quor_Layer* top = TopLayer();
    // A chord the palette's focused field has a use for (select all, copy, paste...) stays in the
    // palette; any other goes on to the main window as a shortcut.
    const bool shortcut = (modifiers & (QUOR_COMMAND | QUOR_OPTION)) != 0 && !top->FocusWantsKey(key, modifiers);
    const int countBefore = fLayerCount;
    top->OnKeyDown(key, modifiers);
    if (Quor_WindowList::Find(id) != this || (fType != 5 && fType != 6) || fParent == nullptr)
        return;
    const bool topRemoved = fLayerCount == countBefore - 1 && IndexOfLayer(top) < 0;
    if (topRemoved)
        return;
    Quor_Layer* now = TopLayer();
    if (now == nullptr || now->FocusView() == nullptr || shortcut) {
        Quor_Wnd* parent = fParent;
        Quor_WindowCall call(parent);
        parent->OnKeyDown(key, modifiers);
    }
}

void Quor_Wnd::OnFileDrop(const char* path, Quor_Point where, unsigned int modifiers)
{
    fModifiers = modifiers;
    if (Quor_Layer* layer = LayerContaining(where))
        layer->OnFileDrop(path, where - layer->Location(), modifiers);
}

// --- Mouse routing -------------------------------------------------------------------------------

Quor_Layer* Quor_Wnd::StripLayerContaining(Quor_Point where) const
{
    return fStripLayer != nullptr && fStripLayer->Frame().Contains(where) ? fStripLayer : nullptr;
}

Quor_Layer* Quor_Wnd::LayerContaining(Quor_Point where) const
{
    for (int i = fLayerCount - 1; i >= 0; --i) {
        if (fLayers[i]->Frame().Contains(where))
            return fLayers[i];
    }
    return nullptr;
}

template <class Deliver>
void Quor_Wnd::DeliverDownTo(Quor_Point where, Deliver deliver)
{
    const uint32_t id = fId;
    Quor_Layer* stack[kMaxLayers];
    const int count = fLayerCount;
    std::copy(fLayers, fLayers + count, stack);
    for (int i = count - 1; i >= 0; --i) {
        Quor_Layer* layer = stack[i];
        if (IndexOfLayer(layer) < 0)
            continue;
        deliver(layer);
        if (Quor_WindowList::Find(id) != this || layer->Frame().Contains(where))
            break;
    }
}

void Quor_Wnd::OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers,
                           Quor_Message* message)
{
    const uint32_t id = fId;
    const unsigned int press = ++fPressCount;
    if (Quor_Wnd* parent = fParent) {
        // Closes whatever is open in the parent (a pop-up menu, a tool tip).
        Quor_WindowCall call(parent);
        Quor_Message empty;
        parent->OnMouseDown(Quor_Point(-100, -100), QUOR_LEFT_BUTTON, 0, &empty);
        if (call.Alive())
            parent->OnMouseUp(Quor_Point(-100, -100), QUOR_LEFT_BUTTON, 0, &empty);
        if (Quor_WindowList::Find(id) != this)
            return;
    }
    fModifiers = modifiers;
    fMousePoint = where;

    bool doubleClick = false;
    uint64_t now = 0;
    if (Quor_Host* host = Quor_Host::Current())
        now = host->NowMicros();
    if (fClickSeen) {
        const uint64_t elapsed = now - fLastClickMicros;
        doubleClick = elapsed < static_cast<uint64_t>(kDoubleClickSeconds * 1e6f) &&
                      std::abs(where.x - fLastClickPoint.x) <= kDoubleClickPixels &&
                      std::abs(where.y - fLastClickPoint.y) <= kDoubleClickPixels;
    }
    if (message != nullptr)
        message->Set("doubleclick", doubleClick);
    fClickSeen = true;
    fLastClickMicros = now;
    fLastClickPoint = where;
    fDragging = false;
    fMouseLayer = nullptr;

    Quor_Layer* top = TopLayer();
    Quor_Layer* strip = StripLayerContaining(where);
    if (top != nullptr && strip == nullptr && top->Frame().Contains(where)) {
        fMouseLayer = top;
        top->OnMouseDown(where - top->Location(), button, modifiers, message);
    } else {
        if (top != nullptr) {
            top->OnMouseDownOutside(where - top->Location(), button, modifiers, message);
            // The top layer may have passed this press on to the window itself (a menu
            // closing); it has been delivered then and must not arrive twice.
            if (Quor_WindowList::Find(id) != this || fPressCount != press)
                return;
        }
        Quor_Layer* target = strip != nullptr ? strip : LayerContaining(where);
        if (target != nullptr) {
            fMouseLayer = target;
            target->OnMouseDown(where - target->Location(), button, modifiers, message);
        }
    }
    if (Quor_WindowList::Find(id) == this)
        fButtons.Set(button, true);
}

void Quor_Wnd::OnMouseMove(Quor_Point where, unsigned int modifiers, Quor_Message* message)
{
    const uint32_t id = fId;
    fModifiers = modifiers;
    fMousePoint = where;
    fCursor = nullptr;
    Quor_Layer* mouseLayer = fMouseLayer;
    if (mouseLayer != nullptr) {
        mouseLayer->OnMouseMove(where - mouseLayer->Location(), modifiers, message);
        if (Quor_WindowList::Find(id) != this)
            return;
    }
    // The strip lies above every layer: it sees each move (so its hover state can end), and a
    // move over it goes no further.
    if (fStripLayer != nullptr && fStripLayer != mouseLayer) {
        fStripLayer->OnMouseMove(where - fStripLayer->Location(), modifiers, message);
        if (Quor_WindowList::Find(id) != this)
            return;
    }
    if (StripLayerContaining(where) != nullptr)
        return;
    DeliverDownTo(where, [&](Quor_Layer* layer) {
        if (layer != mouseLayer)
            layer->OnMouseMove(where - layer->Location(), modifiers, message);
    });
}

void Quor_Wnd::OnMouseWheel(float delta, Quor_Point where, unsigned int modifiers, Quor_Message* message)
{
    fMousePoint = where;
    if (Quor_Layer* strip = StripLayerContaining(where)) {
        strip->OnMouseWheel(delta, where - strip->Location(), modifiers, message);
        return;
    }
    DeliverDownTo(where, [&](Quor_Layer* layer) {
        layer->OnMouseWheel(delta, where - layer->Location(), modifiers, message);
    });
}

void Quor_Wnd::OnMouseUp(Quor_Point where, unsigned int button, unsigned int modifiers,
                         Quor_Message* message)
{
    const uint32_t id = fId;
    fModifiers = modifiers;
    fMousePoint = where;
    fButtons.Set(button, false);
    Quor_Layer* target = fMouseLayer != nullptr ? fMouseLayer : TopLayer();
    fMouseLayer = nullptr;
    if (target != nullptr) {
        target->OnMouseUp(where - target->Location(), button, modifiers, message);
        if (Quor_WindowList::Find(id) != this)
            return;
    }
    if (fDragging) {
        fDragging = false;
        Quor_Message* dragged = fDragMessage;
        fDragMessage = nullptr;
        Quor_Layer* top = TopLayer();
        if (top != nullptr && top->Frame().Contains(where))
            top->OnMessageDrop(dragged, where - top->Location(), modifiers);
    }
}

bool Quor_Wnd::IsMouseDragging(unsigned int button) const
{
    return fButtons.IsDown(button);
}

void Quor_Wnd::BeginDrag(Quor_Message* message)
{
    fDragging = message != nullptr;
    fDragMessage = message;
}
