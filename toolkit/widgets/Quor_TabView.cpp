#include "toolkit/widgets/Quor_TabView.h"

#include <algorithm>

#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_Layer.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/widgets/Quor_BaseWidget.h"
#include "toolkit/widgets/Quor_WidgetLook.h"

namespace {

// Pages sit this far inside the view, and the first tab starts this far from its left edge.
constexpr int kMargin = 8;
// Neighbouring tabs overlap by this much, so that each covers the edge of the next.
constexpr int kOverlap = 2;

int BoldHeight()
{
    const Quor_Font* font = Quor_App::gBoldFont;
    return font != nullptr ? font->FontHeight() : 11;
}

int BoldWidth(const char* text)
{
    Quor_Font* font = Quor_App::gBoldFont;
    return font != nullptr ? font->StringWidth(text) : 0;
}

}  // namespace

Quor_TabView::Quor_TabView(unsigned int followFlags)
    : Quor_View(followFlags), fActiveTab(0), fTabCount(0), fPages{}, fWidths{},
      fStripHeight(2 * BoldHeight())
{
}

Quor_TabView::~Quor_TabView()
{
    // The shown page is a child and goes with the view; the others are only held here.
    for (int i = 0; i < fTabCount; ++i) {
        if (fPages[i] != nullptr && fPages[i]->Parent() != this)
            delete fPages[i];
        fPages[i] = nullptr;
    }
}

int Quor_TabView::AddTab(const char* label, Quor_View* page)
{
    if (fTabCount >= kMaxTabs) {
        delete page;
        return fTabCount;
    }
    fLabels[fTabCount] = label != nullptr ? label : "";
    fPages[fTabCount] = page;
    fWidths[fTabCount] = BoldWidth(fLabels[fTabCount]) + 16;
    return ++fTabCount;
}

Quor_View* Quor_TabView::Page(int index) const
{
    return index >= 0 && index < fTabCount ? fPages[index] : nullptr;
}

int Quor_TabView::TabLeft(int index) const
{
    int x = kMargin;
    for (int i = 0; i < index && i < fTabCount; ++i)
        x += fWidths[i] - kOverlap;
    return x;
}

int Quor_TabView::TabWidth(int index) const
{
    return index >= 0 && index < fTabCount ? fWidths[index] : 0;
}

void Quor_TabView::ActivateTab(int index)
{
    if (fTabCount == 0)
        return;
    fActiveTab = std::clamp(index, 0, fTabCount - 1);
    Quor_View* page = fPages[fActiveTab];
    // The page already shown stays in place (and keeps its focus); any other leaves.
    for (int i = CountChildren() - 1; i >= 0; --i) {
        if (GetChild(i) != page)
            RemoveChild(GetChild(i));
    }
    if (page == nullptr)
        return;
    const Quor_Rect bounds = Bounds();
    const int areaWidth = bounds.Width() - 2 * kMargin;
    const int pageWidth = page->Shape().x;
    const int x = pageWidth < areaWidth ? kMargin + (areaWidth - pageWidth) / 2 : kMargin;
    page->SetLocation(x, fStripHeight + kMargin);
    if (page->Parent() != this)
        AddChild(page);
    InitBackground();
    if (Quor_Layer* layer = Layer())
        layer->Refresh();
}

Quor_Point Quor_TabView::PreferredSize()
{
    int widest = 0;
    int tallest = 0;
    int strip = 0;
    for (int i = 0; i < fTabCount; ++i) {
        if (fPages[i] != nullptr) {
            const Quor_Point p = fPages[i]->Shape();
            widest = std::max(widest, p.x);
            tallest = std::max(tallest, p.y);
        }
        strip += i == 0 ? fWidths[i] : fWidths[i] - kOverlap;
    }
    // The strip starts 8 pixels in; the same margin on its right keeps the last tab whole.
    const int width = std::max(widest, strip) + 2 * kMargin;
    return Quor_Point(width, tallest + fStripHeight + 2 * kMargin);
}

void Quor_TabView::DoLayout()
{
    for (int i = 0; i < fTabCount; ++i) {
        if (fPages[i] != nullptr)
            fPages[i]->DoLayout();
    }
    const Quor_Point p = PreferredSize();
    SetShapeEventless(p.x, p.y);
    ActivateTab(fActiveTab);
}

void Quor_TabView::OnMouseDown(Quor_Point where, unsigned int, unsigned int, Quor_Message*)
{
    if (where.y < 0 || where.y >= fStripHeight)
        return;
    for (int i = 0; i < fTabCount; ++i) {
        const int left = TabLeft(i);
        if (where.x >= left + 1 && where.x <= left + fWidths[i] - 1) {
            ActivateTab(i);
            return;
        }
    }
}

bool Quor_TabView::WantsKey(int key, unsigned int modifiers)
{
    if ((modifiers & QUOR_COMMAND) != 0)
        return key == QUOR_KEY_PAGEUP || key == QUOR_KEY_PAGEDOWN;
    return (modifiers & QUOR_OPTION) == 0 && (key == QUOR_KEY_LEFT || key == QUOR_KEY_RIGHT);
}

void Quor_TabView::OnKeyDown(int key, unsigned int modifiers)
{
    if (!IsEnabled() || fTabCount == 0 || !WantsKey(key, modifiers))
        return;
    const bool back = key == QUOR_KEY_LEFT || key == QUOR_KEY_PAGEUP;
    const bool focused = IsFocused();
    if ((modifiers & QUOR_COMMAND) != 0) {
        // Round from the last page to the first, as desktop tab views do with these chords.
        ActivateTab((fActiveTab + (back ? fTabCount - 1 : 1)) % fTabCount);
    } else {
        ActivateTab(fActiveTab + (back ? -1 : 1));
    }
    if (!focused && !ContainsFocus())
        Focus(true);
}

bool Quor_TabView::InterceptKey(int key, unsigned int modifiers)
{
    if ((modifiers & QUOR_COMMAND) == 0 || !WantsKey(key, modifiers))
        return false;
    OnKeyDown(key, modifiers);
    return true;
}

void Quor_TabView::OnFocus(bool)
{
    InitBackground();
    Refresh();
}

void Quor_TabView::OnFocusRingShown(bool)
{
    InitBackground();
    Refresh();
}

void Quor_TabView::DrawTab(Quor_Graphics* g, int index, bool active)
{
    const int radius = Quor_BaseWidget::BigCornerRadius();
    const int x = TabLeft(index);
    const int width = fWidths[index];
    // The lower corners reach below the strip, where the page frame covers them.
    const Quor_Rect tab(x, 0, x + width - 1, fStripHeight - 1 + radius + 2);
    if (active) {
        g->SetColor(Quor_ColorOps::TabBackground);
        g->FillRoundedRect(tab, radius);
    } else {
        g->RoundedGradientFill(tab, radius, true, Quor_ColorOps::TabGradient1, Quor_ColorOps::TabGradient2);
    }
    Quor_Rect outer = tab;
    outer.InsetBy(-1, 0);
    Quor_WidgetLook::DrawFrame(g, tab, outer, radius, true);
    g->SetColor(Quor_ColorOps::Text);
    g->DrawString(fLabels[index], Quor_Rect(x - 1, 1, x + width, fStripHeight - 2), QUOR_ALIGN_CENTER,
                  QUOR_ALIGN_CENTER);
}

void Quor_TabView::InitBackground()
{
    if (Quor_Graphics* g = ViewGraphics()) {
        g->Clear(Quor_ColorOps::DialogBackground);
        g->SetFont(Quor_App::gBoldFont);
        g->SetBezierTolerance(2.0f);
        g->SetSmoothing(true);
        for (int i = fTabCount - 1; i >= 0; --i) {
            if (i != fActiveTab)
                DrawTab(g, i, false);
        }
        if (fActiveTab < fTabCount)
            DrawTab(g, fActiveTab, true);

        const int radius = Quor_BaseWidget::BigCornerRadius();
        const Quor_Rect bounds = Bounds();
        const Quor_Rect frame(bounds.left, bounds.top + fStripHeight, bounds.right, bounds.bottom - 1);
        Quor_Rect inner = frame;
        inner.InsetBy(1, 0);
        inner.OffsetBy(0, 1);
        g->SetColor(Quor_ColorOps::TabBackground);
        g->FillRoundedRect(inner, radius);
        g->SetColor(Quor_ColorOps::WidgetShadow);
        g->FrameRoundedRect(inner, radius);
        g->SetColor(Quor_ColorOps::WidgetOutline);
        g->FrameRoundedRect(frame, radius);

        // Open the frame's top edge into the active tab.
        if (fActiveTab < fTabCount) {
            g->SetSmoothing(false);
            const int x = TabLeft(fActiveTab);
            const Quor_Rect gap(x, fStripHeight, x + fWidths[fActiveTab] - 1, fStripHeight + 1);
            g->SetColor(Quor_ColorOps::WidgetShadow);
            g->FillRect(gap);
            Quor_Rect open = gap;
            open.InsetBy(1, 0);
            g->SetColor(Quor_ColorOps::TabBackground);
            g->FillRect(open);
            if (ShowsFocusRing()) {
                Quor_Rect ring(x + 3, 3, x + fWidths[fActiveTab] - 4, fStripHeight - 3);
                Quor_WidgetLook::DrawFocusRing(g, ring);
            }
        }
        g->EndDraw();
    }
    Quor_View::InitBackground();
}
