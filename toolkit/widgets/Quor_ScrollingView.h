// A scrolling container: one child larger than the visible area moves under a clip view, driven
// by a horizontal and a vertical scroll bar, the wheel and the arrow keys.
#pragma once

#include "toolkit/core/Quor_RgbColor.h"
#include "toolkit/widgets/Quor_BaseWidget.h"

class Quor_ScrollBar;

class Quor_ScrollingView : public Quor_BaseWidget {
public:
    // Pixels one wheel notch or arrow key scrolls, and the bars' small step.
    static constexpr int kScrollStep = 32;

    Quor_ScrollingView(int width, int height, unsigned int followFlags);

    // Puts `child` (owned from now on) into the clip view as the content; a previous content is
    // deleted. The bars follow its size.
    void AddScrollingChild(Quor_View* child);
    Quor_View* ScrollingChild() const { return fChild; }
    // Fits both bars to the content: on each axis with overflow = content - visible size, a
    // positive overflow enables the bar with the range [0, overflow] and keeps the content's
    // position within it; otherwise the bar is disabled and the content sits at 0. Call after
    // the content changes size.
    void UpdateScrollbars();
    void EnableFocus(bool on) { fFocusEnabled = on; }
    void EnableOutline(bool on) { fOutlineEnabled = on; }
    void SetBackgroundColor(const rgb_color& color) { fBackground = color; }
    Quor_ScrollBar* GetHScroll() const { return fHScroll; }
    Quor_ScrollBar* GetVScroll() const { return fVScroll; }
    // The visible area, in the clip view's coordinates.
    Quor_Rect ScrollingBounds() const;
    Quor_View* ClipView() const { return fClip; }
    Quor_Point ScrollPosition() const { return Quor_Point(fScrollX, fScrollY); }
    // Scrolls the content so that (x, y) of it lies at the visible area's top-left, within range.
    void ScrollTo(int x, int y);

    // The bars' QUOR_MSG_HSCROLL and QUOR_MSG_VSCROLL scroll the content and stop here;
    // everything else goes on up.
    void HandleMessage(Quor_Message* message) override;
    void OnResize(Quor_Point oldSize, Quor_Point newSize) override;
    // Lays out the content, keeps this view's own size and fits the bars.
    void DoLayout() override;
    void OnMouseWheel(float delta, Quor_Point where, unsigned int modifiers, Quor_Message* message) override;
    void OnKeyDown(int key, unsigned int modifiers) override;
    bool AcceptsFocus() override { return fFocusEnabled; }
    void RedrawMe(Quor_Graphics* g) override;

private:
    // Moves the content to the bars' values and repaints the visible area.
    void FollowBars();
    void ShowContent();

    rgb_color fBackground;
    bool fFocusEnabled;
    bool fOutlineEnabled;
    Quor_View* fClip;
    Quor_View* fChild;
    int fScrollX;
    int fScrollY;
    Quor_ScrollBar* fHScroll;
    Quor_ScrollBar* fVScroll;
};
