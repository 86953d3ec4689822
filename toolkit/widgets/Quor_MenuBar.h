// A horizontal strip of menu titles. A press on a title brings the menus up to date and opens
// that menu below it; the bar is also what a window shows in its menu strip, where Ctrl
// shortcuts fire the menus' items and F10 or Alt with a title's first letter open the menus.
#pragma once

#include "toolkit/framework/Quor_MenuStrip.h"
#include "toolkit/widgets/Quor_BaseWidget.h"
#include "toolkit/widgets/Quor_SwallowedPress.h"

class Quor_Menu;

class Quor_MenuBar : public Quor_BaseWidget, public Quor_MenuStrip {
public:
    static constexpr int kMaxMenus = 12;

    // Bold font; the bold line height and a quarter high, 64 wide; follows left, top and right.
    Quor_MenuBar();
    // Deletes its menus.
    ~Quor_MenuBar() override;

    // The bar owns the menu and becomes its target. False, and the menu stays the caller's,
    // when the bar already holds kMaxMenus menus.
    bool AddMenu(Quor_Menu* menu);
    int CountMenus() const { return fCount; }
    // Null outside the bar.
    Quor_Menu* Menu(int index) const;
    // Over every menu and submenu.
    void SetEnabled(int code, bool enabled);
    void SetChecked(int code, bool checked);
    void SetLabel(int code, const char* label);
    // The open menu closed: nothing is tracked any more.
    void Stop();
    // The title's rectangle in bar coordinates; an empty rectangle outside the bar.
    Quor_Rect MenuRect(int index) const;
    // The title under the point, or -1.
    int PickMenu(Quor_Point where) const;
    // Brings the menus up to date and opens a menu from the keyboard, its first item highlighted.
    void OpenMenu(int index);
    // The menu left (-1) or right (+1) of the open one, wrapping round, opened from the keyboard.
    void OpenAdjacent(int step);
    int OpenIndex() const { return fOpenIndex; }
    bool IsTracking() const { return fTracking; }
    // The press at this window point only closed the open menu; it must not open it again.
    void SwallowPressAt(Quor_Point windowPoint);
    // Brings the menus up to date (the layer's UpdateMenus) and fires every enabled item with
    // this shortcut in every menu; the number that fired. With QUOR_SHIFT in the modifiers the
    // items whose shortcut needs Shift come first; only when none fires do the others.
    int Shortcut(int key, unsigned int modifiers = 0);

    // --- Quor_MenuStrip ----------------------------------------------------------------------------
    Quor_View* StripView() override { return this; }
    int StripHeight() override;
    bool StripShortcut(int key, unsigned int modifiers) override;
    // F10 alone opens the first menu from the keyboard, or closes the open one; Alt and a letter
    // opens the first menu whose title starts with that letter, ignoring case (titles sharing
    // a letter take turns as it is pressed again). True when the key opened or closed a menu.
    bool StripKey(int key, unsigned int modifiers) override;

    void OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers,
                     Quor_Message* message) override;
    void OnMouseMove(Quor_Point where, unsigned int modifiers, Quor_Message* message) override;
    void OnMouseUp(Quor_Point where, unsigned int button, unsigned int modifiers,
                   Quor_Message* message) override;
    // Ctrl shortcuts and the menu keys, as the strip would take them.
    void OnKeyDown(int key, unsigned int modifiers) override;
    void DetachedFromWindow() override;
    void RedrawMe(Quor_Graphics* g) override;

private:
    void UpdateMenus();
    void Open(int index, bool withKeyboard);
    // Whether the menu's text title starts with the ASCII letter, in either case.
    bool TitleStartsWith(int index, int letter) const;
    // The first menu after `after` (-1: from the start), going round, whose title starts with
    // the letter; -1 for none.
    int MenuForLetter(int letter, int after) const;

    bool fTracking;
    int fOpenIndex;
    int fCount;
    Quor_Menu* fMenus[kMaxMenus];
    Quor_SwallowedPress fSwallowed;
};
