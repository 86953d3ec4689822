// A box-layout container: stacks its children side by side (horizontal) or one below the other
// (vertical) from a margin with a fixed spacing, and places each across the stacking direction
// by its alignment. Push and Pop open nested containers, so a whole form is built with one
// series of AddChild calls.
#pragma once

#include "toolkit/framework/Quor_View.h"

class Quor_LayoutView : public Quor_View {
public:
    static constexpr unsigned int kHorizontal = 0;
    static constexpr unsigned int kVertical = 1;
    // Nested containers open at once; a deeper Push is refused.
    static constexpr int kMaxDepth = 16;

    Quor_LayoutView(unsigned int direction, int spacing, Quor_Point margin,
                    unsigned int followFlags = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP);

    // Adds to the innermost open container, with the alignment across its direction and an
    // indent on top of the indents of the containers passed on the way in.
    void AddChild(Quor_View* view, unsigned int alignment, int indent = 0);
    // With the view's own alignment and no extra indent.
    void AddChild(Quor_View* view) override;
    // A spacer of n pixels along the innermost open container's direction.
    void AddPadding(int pixels);
    void Indent(int pixels) { fCurrentIndent += pixels; }
    void Unindent(int pixels) { fCurrentIndent -= pixels; }
    // Opens a nested container in the innermost open one; the following AddChild calls go into
    // it until Pop. Returns it, or null when kMaxDepth containers are open (nothing is added).
    Quor_LayoutView* Push(unsigned int direction, unsigned int alignment, int spacing,
                          Quor_Point margin, unsigned int followFlags);
    Quor_LayoutView* PushH(unsigned int alignment, int spacing, Quor_Point margin, unsigned int followFlags);
    Quor_LayoutView* PushV(unsigned int alignment, int spacing, Quor_Point margin, unsigned int followFlags);
    // Margin (0, 0), follow flags 3, and this view's spacing when spacing is negative.
    Quor_LayoutView* PushH2(unsigned int alignment, int spacing = -1);
    Quor_LayoutView* PushV2(unsigned int alignment, int spacing = -1);
    void Pop();

    Quor_Point MinSize() override { return Quor_Point(1, 1); }
    Quor_Point PreferredSize() override;
    Quor_Point MaxSize() override { return Quor_Point(1, 1); }
    void DoLayout() override;
    void DoReLayout() override;

    unsigned int Direction() const { return fDirection; }
    int Spacing() const { return fSpacing; }
    Quor_Point Margin() const { return fMargin; }

private:
    // The container new children go into, and the sum of the indents on the way.
    Quor_LayoutView* Innermost(int* indentSum);
    void LayoutPass(bool relayout);

    unsigned int fDirection;
    int fSpacing;
    int fCurrentIndent;
    Quor_Point fMargin;
    Quor_LayoutView* fStack[kMaxDepth];
    int fTop;
};
