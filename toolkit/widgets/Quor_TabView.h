// A page switcher: a strip of labelled tabs above a framed page area that shows one of up to 12
// pages at a time; a press on a tab shows its page.
#pragma once

#include "toolkit/core/Quor_String.h"
#include "toolkit/framework/Quor_View.h"

class Quor_TabView : public Quor_View {
public:
    static constexpr int kMaxTabs = 12;

    explicit Quor_TabView(unsigned int followFlags);
    // Deletes every page, shown or not.
    ~Quor_TabView() override;

    // Adds a tab showing `page` (owned from now on) and answers the new count. A thirteenth tab is
    // refused: the page is deleted at once and the count stays 12.
    int AddTab(const char* label, Quor_View* page);
    // Shows page i, clamped to the tabs there are; sends nothing.
    void ActivateTab(int index);
    int ActiveTab() const { return fActiveTab; }
    int CountTabs() const { return fTabCount; }
    Quor_View* Page(int index) const;
    int StripHeight() const { return fStripHeight; }
    // Where tab i starts along the strip, and its width.
    int TabLeft(int index) const;
    int TabWidth(int index) const;

    // Wide enough for the widest page and for the whole strip, tall enough for the tallest page
    // below the strip, with 8 pixels of margin on every side.
    Quor_Point PreferredSize() override;
    // Lays out every page, takes the preferred size and shows the current page again.
    void DoLayout() override;
    // A press on a tab of the strip shows its page.
    void OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers,
                     Quor_Message* message) override;
    // On the focused tab view Left and Right show the previous or next page; Ctrl+Page Up and
    // Ctrl+Page Down do so while the focus is anywhere inside it (the tab view then takes the
    // focus when the page that had it went away). Nothing is sent, as with a press on a tab.
    void OnKeyDown(int key, unsigned int modifiers) override;
    bool WantsKey(int key, unsigned int modifiers) override;
    bool InterceptKey(int key, unsigned int modifiers) override;
    bool TabStop() override { return true; }
    // The focus ring goes round the active tab's label.
    void OnFocus(bool focused) override;
    void OnFocusRingShown(bool shown) override;
    // Draws the strip and the page frame, then lets the page rebuild its own background.
    void InitBackground() override;

private:
    void DrawTab(Quor_Graphics* g, int index, bool active);

    int fActiveTab;
    int fTabCount;
    Quor_String fLabels[kMaxTabs];
    Quor_View* fPages[kMaxTabs];
    int fWidths[kMaxTabs];
    int fStripHeight;
};
