// A button-like widget that opens a menu below itself and can show the checked item as its
// value: choosing an item then moves the check mark to it before the code goes on.
#pragma once

#include "toolkit/widgets/Quor_BaseWidget.h"
#include "toolkit/widgets/Quor_SwallowedPress.h"

class Quor_Menu;

class Quor_PopupMenu : public Quor_BaseWidget {
public:
    // width by BaseWidgetHeight(), regular font. With showChecked the widget shows the label of
    // the menu's first checked item, else the menu's title.
    Quor_PopupMenu(int width, bool showChecked,
                   unsigned int followFlags = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP);
    // Deletes its menu.
    ~Quor_PopupMenu() override;

    // Takes ownership (deleting an earlier menu) and becomes the menu's target.
    void SetMenu(Quor_Menu* menu);
    Quor_Menu* Menu() const { return fMenu; }
    // Forgets the menu without deleting it; the caller owns it from then on.
    Quor_Menu* DetachMenu();
    // The menu closed.
    void Stop();
    bool IsOpen() const { return fOpen; }
    // The press at this window point only closed the menu; it must not open it again.
    void SwallowPressAt(Quor_Point windowPoint);

    // The chosen codes pass through HandleMessage first (so the check mark moves) also when a
    // handler is set; HandleMessage then hands them to the handler or up the chain.
    void SendMessage(int what) override;
    void SendMessage(Quor_Message* message) override;
    void HandleMessage(Quor_Message* message) override;
    void OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers,
                     Quor_Message* message) override;
    void OnMouseUp(Quor_Point where, unsigned int button, unsigned int modifiers,
                   Quor_Message* message) override;
    void DetachedFromWindow() override;
    // On the focused pop-up, Space or Alt+Down opens the menu (whose arrows, Return and Escape
    // work from there); Up and Down choose the previous or next enabled item of a pop-up that
    // shows its checked item, sending its code as choosing it in the menu would.
    void OnKeyDown(int key, unsigned int modifiers) override;
    bool WantsKey(int key, unsigned int modifiers) override;
    bool TabStop() override { return true; }
    // Inside the button's frame.
    Quor_Rect FocusRingRect() const override;
    void RedrawMe(Quor_Graphics* g) override;

private:
    // Opens the menu below the button; from the keyboard its first item is highlighted.
    void Open(bool withKeyboard);

    bool fOpen;
    bool fShowChecked;
    Quor_Menu* fMenu;
    Quor_SwallowedPress fSwallowed;
};
