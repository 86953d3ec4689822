// What a window needs from a menu bar to show it in the strip above its content area. The
// widgets' menu bar implements this, so the framework draws and routes the strip without
// depending on the widgets library. The bar itself is an ordinary view: the window places it
// in a layer of its own that covers the strip, at window coordinates (0, -height) to
// (width - 1, -1), so menus opened at the bar's bottom edge land at the top of the content.
#pragma once

class Quor_View;

class Quor_MenuStrip {
public:
    virtual ~Quor_MenuStrip() = default;

    // The bar as a view (the object itself).
    virtual Quor_View* StripView() = 0;
    // The strip's height in pixels, from the interface font.
    virtual int StripHeight() = 0;
    // A key pressed with Ctrl (QUOR_COMMAND) in the window: brings the menus up to date and
    // fires every enabled item with this shortcut; true when one fired, so that the key goes no
    // further.
    virtual bool StripShortcut(int key, unsigned int modifiers) = 0;
    // Any other key pressed in the window comes here first, for keyboard access to the menus
    // (F10, Alt and a title's first letter); true when the strip took it, so that it goes no
    // further. A strip takes no keys unless it says so.
    virtual bool StripKey(int key, unsigned int modifiers)
    {
        (void)key;
        (void)modifiers;
        return false;
    }
};
