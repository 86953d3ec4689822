// A list of menu items shown as a floating layer of a window while it is open. Choosing an item
// sends its code to the menu's target; items may be disabled, checked, separators (empty
// labels) or open a submenu. A menu too tall for the window runs in several columns.
#pragma once

#include <memory>
#include <vector>

#include "toolkit/core/Quor_String.h"
#include "toolkit/framework/Quor_Layer.h"
#include "toolkit/imaging/Quor_image.h"

class Quor_Font;
class Quor_Handler;
class Quor_MenuBar;
class Quor_PopupMenu;
class Quor_View;
class Quor_Wnd;

class Quor_Menu : public Quor_Layer {
public:
    // How long each step of a chosen item's flash lasts, in milliseconds.
    static int gFlashMilliseconds;

    explicit Quor_Menu(const char* title);
    // An image title (shown when the title text is empty); not owned.
    explicit Quor_Menu(const Quor_image* image);
    // Deletes the submenus; leaves the window first when open.
    ~Quor_Menu() override;

    const Quor_String& Title() const { return fTitle; }
    const Quor_image* Image() const { return fImage; }

    // --- Items -----------------------------------------------------------------------------------
    // An empty label makes a separator; shortcut 0 means none. False when memory runs out.
    bool AddItem(const char* label, char shortcut, int code);
    // The item's shortcut needs Shift as well (Ctrl+Shift+Z), and shows so.
    bool AddShiftedItem(const char* label, char shortcut, int code);
    // Inserts before the first item whose label sorts after this one.
    bool AddItemAlphabetically(const char* label, char shortcut, int code);
    // The menu owns the submenu, which takes this menu's target and this menu as its parent.
    bool AddSubMenu(const char* label, Quor_Menu* sub);
    bool AddSubMenuAlphabetically(const char* label, Quor_Menu* sub);
    int CountItems() const { return static_cast<int>(fItems.size()); }
    // Deletes the submenus too.
    void RemoveAllItems();
    // By index: "" / 0 / 0 / null outside the list.
    const char* ItemLabelByID(int index) const;
    char ItemShortcut(int index) const;
    int ItemMessage(int index) const;
    Quor_Menu* ItemSubMenu(int index) const;
    bool IsItemEnabled(int index) const;
    bool IsItemChecked(int index) const;
    // The label of the first item with this code, or "".
    const char* ItemLabel(int code) const;
    Quor_Menu* FindSubMenu(const char* label) const;

    // Every item with the code (or label), here and in every submenu.
    void SetEnabled(int code, bool enabled);
    void SetChecked(int code, bool checked);
    void SetChecked(const char* label, bool checked);
    // Every item with the code, here and in every submenu, shows this label.
    void SetLabel(int code, const char* label);
    // A second Ctrl shortcut for every item with the code, which the menu does not show
    // (Ctrl+Y beside Ctrl+Shift+Z).
    void SetAlias(int code, char alias);
    // The first item with the code in this menu only; false without one.
    bool IsEnabled(int code) const;
    bool IsChecked(int code) const;
    // This menu only.
    void UncheckAll();
    int FirstChecked() const;
    int FirstCheckedMsg() const;
    const char* FirstCheckedLabel() const;

    // Sends the code of every enabled item (here and in the submenus) whose shortcut or alias is
    // this character, ignoring case, and needs Shift exactly when `shifted`; returns how many fired.
    int GoShortcut(int c, bool shifted = false);

    // --- Owners ----------------------------------------------------------------------------------
    // The handler that receives the chosen codes; passed on to the submenus.
    void SetTarget(Quor_Handler* target);
    Quor_Handler* Target() const { return fTarget; }
    void SetBarOwner(Quor_MenuBar* bar) { fBarOwner = bar; }
    Quor_MenuBar* BarOwner() const { return fBarOwner; }
    Quor_Menu* ParentMenu() const { return fParentMenu; }
    void SetPopupOwner(Quor_PopupMenu* popup) { fPopupOwner = popup; }
    Quor_PopupMenu* PopupOwner() const { return fPopupOwner; }

    // --- Showing ---------------------------------------------------------------------------------
    // Opens the menu at `where` (window coordinates), kept inside the window; ignored while it
    // is open or without a window. The release of the press that opened it keeps it open unless
    // it lands on one of its items.
    void Go(Quor_Wnd* window, Quor_Point where);
    // Opens the menu from the keyboard: as Go, with the first choosable item highlighted.
    void GoWithKeyboard(Quor_Wnd* window, Quor_Point where);
    // Opens the menu just below `rect`, a rectangle of the view `opener` (a bar's title, a
    // pop-up's button) in its view coordinates, which becomes the opener rectangle; from the
    // keyboard as GoWithKeyboard.
    void GoBelow(Quor_Wnd* window, const Quor_View* opener, Quor_Rect rect, bool withKeyboard);
    // The release of a press on the opener (`where` in the opener's view coordinates) goes to
    // the open menu as its own; nothing happens while the menu is closed.
    void TakeOpenerMouseUp(const Quor_View* opener, Quor_Point where, unsigned int button, unsigned int modifiers,
                           Quor_Message* message);
    // Closes the open submenus below and then this menu, and stops its owners.
    void Stop();
    // Takes this menu (and its open submenus) out of the window without telling its owners; for
    // an owner that closes the menu itself.
    void Close();
    bool IsOpen() const { return Window() != nullptr; }
    // A column at least this wide (a pop-up's menu is as wide as its button); 0 for none.
    void SetMinWidth(int pixels) { fMinWidth = pixels; }
    // The part of the window (window coordinates) whose press opened the menu: a press there
    // while the menu is open only closes it. Empty (the default) for none.
    void SetOpenerRect(Quor_Rect rect) { fOpenerRect = rect; }
    // The menu was opened by the pointer passing over its opener (a bar's title while another
    // menu was open), not by a press on it: a press on the opener then means "this menu" and
    // leaves it open, where a press on the opener of a menu it opened closes it.
    void SetOpenedByHover() { fOpenedByHover = true; }

    // --- Geometry --------------------------------------------------------------------------------
    // Layer coordinates; (-10, -10, -5, -5) outside the list.
    Quor_Rect ItemRect(int index) const;
    // The item whose rectangle contains the point when it can be chosen (enabled, not a
    // separator), else -1.
    int PickItem(Quor_Point where) const;
    int Highlighted() const { return fHighlighted; }
    Quor_Menu* OpenSubMenu() const { return fOpenSub; }
    int Columns() const { return fColumns; }
    int RowsPerColumn() const { return fRows; }
    int LineHeight() const { return fLineHeight; }

    // --- Layer -----------------------------------------------------------------------------------
    void AttachedToWindow() override;
    void OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers,
                     Quor_Message* message) override;
    // Closes the menu chain; the press goes on to the window unless it only closes the menu.
    void OnMouseDownOutside(Quor_Point where, unsigned int button, unsigned int modifiers,
                            Quor_Message* message) override;
    void OnMouseMove(Quor_Point where, unsigned int modifiers, Quor_Message* message) override;
    void OnMouseUp(Quor_Point where, unsigned int button, unsigned int modifiers,
                   Quor_Message* message) override;
    // Up and Down move the highlight, Right opens a submenu (or the next menu of the bar), Left
    // closes a submenu (or opens the previous menu of the bar), Return chooses, Escape closes.
    void OnKeyDown(int key, unsigned int modifiers) override;
    void InitBackground() override;
    bool IsModal() override { return false; }
    bool HasOwner() override { return true; }

private:
    struct Item {
        Quor_String label;
        char shortcut = 0;
        bool shifted = false;
        char alias = 0;
        int code = 0;
        bool enabled = true;
        bool checked = false;
        std::unique_ptr<Quor_Menu> sub;
    };

    bool InsertItem(int index, const char* label, char shortcut, int code, Quor_Menu* sub);
    // The first item of this menu (not of its submenus) with this code, or null.
    const Item* FindItem(int code) const;
    // Calls change(item) for every item, here and in the submenus, that matches(item) (submenu
    // items never do), then redraws each open menu.
    template <class Matches, class Change>
    void ChangeItems(const Matches& matches, const Change& change);
    int AlphabeticalIndex(const char* label) const;
    bool Choosable(int index) const;
    // The item whose rectangle contains the point, whatever it is, or -1.
    int ItemAt(Quor_Point where) const;
    void Open(Quor_Wnd* window, Quor_Point where);
    void SetHighlight(int index, bool openSub);
    void OpenSubMenuOf(int index, bool withKeyboard);
    void CloseSubMenu();
    // The menu and every menu above it close; the owners are told.
    void CloseChain();
    // Flashes the item, closes the menus and sends its code.
    void Choose(int index);
    void Draw(bool refresh);
    void DrawItem(Quor_Graphics* g, int index, bool highlighted);
    void StepHighlight(int step);
    Quor_Menu* TopMenu();

    Quor_String fTitle;
    const Quor_image* fImage;
    Quor_Handler* fTarget;
    Quor_MenuBar* fBarOwner;
    Quor_Menu* fParentMenu;
    Quor_PopupMenu* fPopupOwner;
    Quor_Font* fFont;
    int fLineHeight;
    int fHighlighted;
    Quor_Menu* fOpenSub;
    int fRows;
    int fColumns;
    int fColumnWidth;
    int fColumnHeight;
    std::vector<Item> fItems;
    Quor_Rect fOpenerRect;
    int fMinWidth = 0;
    // The press that opened the menu is still held: its release keeps the menu open unless it
    // chooses an item.
    bool fOpeningPress;
    bool fClosing;
    bool fOpenedByHover = false;
};
