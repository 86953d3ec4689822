#include "toolkit/widgets/Quor_Dialog.h"

#include <algorithm>
#include <new>

#include "toolkit/core/Quor_Thread.h"
#include "toolkit/framework/Quor_LayoutView.h"
#include "toolkit/framework/Quor_View.h"
#include "toolkit/framework/Quor_WindowList.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/widgets/Quor_Button.h"
#include "toolkit/widgets/Quor_DialogWnd.h"
#include "toolkit/widgets/Quor_ModelessDialogWnd.h"
#include "toolkit/widgets/Quor_PopupDialog.h"
#include "toolkit/widgets/Quor_WidgetLook.h"
#include "toolkit/widgets/Quor_TextControl.h"

int Quor_Dialog::gPressMilliseconds = 200;

Quor_Dialog::Quor_Dialog(const char* title, Quor_Wnd* parent, unsigned int followFlags)
    : Quor_Layer(followFlags),
      fOwner(nullptr),
      fPopupButton(nullptr),
      fPopupMode(false),
      fStayOpen(false),
      fTitle(title != nullptr ? title : ""),
      fParentWindow(parent),
      fOKButton(nullptr),
      fCancelButton(nullptr),
      fInitialFocus(nullptr),
      fAcceptCount(0),
      fMinimum(0, 0)
{
}

Quor_Dialog::~Quor_Dialog()
{
    if (Window() != nullptr)
        Window()->RemoveLayer(this);
}

void Quor_Dialog::HandleMessage(Quor_Message* message)
{
    if (fPopupMode && message->what == QUOR_MSG_OK) {
        Accept();
        return;
    }
    if (fPopupMode && message->what == QUOR_MSG_CANCEL) {
        RemoveMe();
        return;
    }
    Quor_Layer::HandleMessage(message);
}

void Quor_Dialog::AttachedToWindow()
{
    if (fPopupMode && Window() != nullptr) {
        // Pulled back inside the window; a dialog larger than the window keeps its top-left
        // corner visible.
        const Quor_Rect inside = Window()->Bounds();
        Quor_Rect frame = Frame();
        int dx = 0;
        int dy = 0;
        if (frame.right > inside.right)
            dx = inside.right - frame.right;
        if (frame.bottom > inside.bottom)
            dy = inside.bottom - frame.bottom;
        frame.OffsetBy(dx, dy);
        MoveFrameTo(std::max(frame.left, inside.left), std::max(frame.top, inside.top));
    }
    Quor_Layer::AttachedToWindow();
    if (fInitialFocus != nullptr)
        fInitialFocus->Focus(true);
}

void Quor_Dialog::OnMouseDownOutside(Quor_Point where, unsigned int, unsigned int, Quor_Message*)
{
    if (!fPopupMode || Window() == nullptr)
        return;
    Quor_Point windowPoint = where;
    LayerToWnd(windowPoint);
    bool onOwner = false;
    if (fPopupButton != nullptr && fPopupButton->Window() == Window()) {
        Quor_Point p = windowPoint;
        fPopupButton->WndToView(p);
        onOwner = fPopupButton->Bounds().Contains(p);
    }
    if (!ValidateData())
        return;
    UpdateData(true);
    ++fAcceptCount;
    if (fStayOpen && !onOwner)
        return;
    if (onOwner)
        fPopupButton->SwallowPressAt(windowPoint);
    RemoveMe();
}

void Quor_Dialog::OnKeyDown(int key, unsigned int modifiers)
{
    Quor_Layer::OnKeyDown(key, modifiers);
    // Return or Escape held down from an earlier window (the one that opened this prompt) must
    // not answer it through the key's auto-repeat.
    if ((modifiers & QUOR_KEY_REPEAT) != 0 && (key == QUOR_KEY_RETURN || key == QUOR_KEY_ESCAPE))
        return;
    if (fPopupMode) {
        OnPopupKey(key);
        return;
    }
    if (key == QUOR_KEY_RETURN)
        PressButton(fOKButton);
    else if (key == QUOR_KEY_ESCAPE)
        PressButton(fCancelButton);
}

void Quor_Dialog::OnPopupKey(int key)
{
    if (key == QUOR_KEY_ESCAPE) {
        PressButton(fCancelButton);
        if (Window() != nullptr) {
            if (fCancelButton != nullptr)
                Quor_Snooze(gPressMilliseconds);
            RemoveMe();
        }
    } else if (key == QUOR_KEY_RETURN) {
        const unsigned int accepted = fAcceptCount;
        PressButton(fOKButton);
        // The OK button's code accepts the dialog already; a button with another code (or none)
        // leaves that to the key.
        if (fAcceptCount == accepted && Window() != nullptr) {
            if (fOKButton != nullptr)
                Quor_Snooze(gPressMilliseconds);
            Accept();
        }
    }
}

bool Quor_Dialog::Accept()
{
    if (!ValidateData())
        return false;
    UpdateData(true);
    ++fAcceptCount;
    if (!fStayOpen)
        RemoveMe();
    return true;
}

void Quor_Dialog::PressButton(Quor_View* button)
{
    if (button == nullptr || !button->IsEnabled())
        return;
    const Quor_Point at(1, 1);
    Quor_Message press;
    button->RouteMouseDown(at, QUOR_LEFT_BUTTON, 0, &press);
    Quor_Snooze(gPressMilliseconds);
    Quor_Message release;
    button->RouteMouseUp(at, QUOR_LEFT_BUTTON, 0, &release);
}

void Quor_Dialog::InitBackground()
{
    if (Quor_Graphics* g = LayerGraphics()) {
        if (fPopupMode) {
            Quor_WidgetLook::DrawPanel(g, Bounds());
        } else {
            g->Clear(Quor_ColorOps::DialogBackground);
        }
        g->EndDraw();
    }
    Quor_Layer::InitBackground();
}

int Quor_Dialog::DoModal()
{
    if (Window() != nullptr)
        return QUOR_MSG_CANCEL;
    fPopupMode = false;
    OnPreModal();
    DoLayout();
    const Quor_Point size = Shape();
    const Quor_Rect frame(64, 64, 64 + size.x - 1, 64 + size.y - 1);
    Quor_DialogWnd* window = new (std::nothrow) Quor_DialogWnd(this, fTitle, frame, fParentWindow, fMinimum);
    if (window == nullptr) {
        // The caller hands the dialog over for good, so it goes here as it would with its window.
        delete this;
        return QUOR_MSG_CANCEL;
    }
    window->CenterOverParent();
    UpdateData(false);
    Quor_Wnd* parent = fParentWindow;
    const uint32_t parentId = parent != nullptr ? parent->Id() : 0;
    const int result = window->DoModal();
    // The dialog is gone with its window. The window below takes the keyboard again, as a window
    // manager would give it (without one, the focus would stay nowhere).
    if (parentId != 0 && Quor_WindowList::Find(parentId) == parent)
        parent->SetFocus();
    // A loop that ended without an answer (its window went away) counts as a cancel.
    return result == QUOR_MSG_OK ? QUOR_MSG_OK : QUOR_MSG_CANCEL;
}

void Quor_Dialog::DoModeless()
{
    if (Window() != nullptr)
        return;
    fPopupMode = false;
    OnPreModal();
    DoLayout();
    const Quor_Point size = Shape();
    const Quor_Rect frame(64, 64, 64 + size.x - 1, 64 + size.y - 1);
    Quor_ModelessDialogWnd* window =
        new (std::nothrow) Quor_ModelessDialogWnd(this, fTitle, frame, fParentWindow);
    if (window == nullptr) {
        delete this;
        return;
    }
    window->CenterOverParent();
    UpdateData(false);
    window->Show();
}

void Quor_Dialog::DoPopup(Quor_Wnd* wnd, Quor_Point where, bool stayOpen)
{
    if (wnd == nullptr || Window() != nullptr)
        return;
    fPopupMode = true;
    fStayOpen = stayOpen;
    OnPreModal();
    DoLayout();
    MoveFrameTo(where.x, where.y);
    UpdateData(false);
    wnd->AddLayer(this);
}

void Quor_Dialog::UpdateData(bool) {}

bool Quor_Dialog::ValidateData()
{
    return true;
}

void Quor_Dialog::OnPreModal() {}

void Quor_Dialog::OnEndDialog(int) {}

void Quor_Dialog::RemoveMe()
{
    Quor_Wnd* window = Window();
    if (window == nullptr)
        return;
    window->RemoveLayer(this);
    if (fPopupButton != nullptr)
        fPopupButton->Stop();
}

void Quor_Dialog::SetKeyButtons(Quor_View* ok, Quor_View* cancel)
{
    fOKButton = ok;
    fCancelButton = cancel;
}

void Quor_Dialog::SetOwner(Quor_View* owner, Quor_PopupDialog* button)
{
    fOwner = owner;
    fPopupButton = button;
}

void Quor_Dialog::AddSideBySide(Quor_LayoutView* form, unsigned int alignment, int spacing, Quor_View* first,
                                Quor_View* second)
{
    form->PushH2(alignment, spacing);
    form->AddChild(first, QUOR_LAYOUT_CENTER);
    form->AddChild(second, QUOR_LAYOUT_CENTER);
    form->Pop();
}

void Quor_Dialog::AddCancelConfirmRow(Quor_LayoutView* form, const char* confirmLabel, Quor_Button** cancel,
                                      Quor_Button** confirm)
{
    constexpr unsigned int kFixed = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP;
    *cancel = new (std::nothrow) Quor_Button("Cancel", QUOR_MSG_CANCEL, 80, false, kFixed);
    *confirm = new (std::nothrow) Quor_Button(confirmLabel, QUOR_MSG_OK, 80, true, kFixed);
    AddSideBySide(form, QUOR_LAYOUT_FAR, 8, *cancel, *confirm);
    SetKeyButtons(*confirm, *cancel);
}

bool Quor_Dialog::ValidateInt(Quor_TextControl* field, int min, int max)
{
    if (field == nullptr)
        return false;
    const int value = field->IntValue();
    if (value >= min && value <= max)
        return true;
    field->SetValue(value < min ? min : max);
    return false;
}

bool Quor_Dialog::ValidateFloat(Quor_TextControl* field, float min, float max)
{
    if (field == nullptr)
        return false;
    const float value = field->FloatValue();
    if (value >= min && value <= max)
        return true;
    // A value that is no number at all goes to the lower bound.
    field->SetValue(value > max ? max : min);
    return false;
}
