#include "toolkit/widgets/Quor_ScrollingView.h"

#include <algorithm>
#include <new>

#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/widgets/Quor_ScrollBar.h"
#include "toolkit/widgets/Quor_WidgetLook.h"

Quor_ScrollingView::Quor_ScrollingView(int width, int height, unsigned int followFlags)
    : Quor_BaseWidget(false, followFlags),
      fBackground(Quor_ColorOps::DialogBackground),
      fFocusEnabled(false),
      fOutlineEnabled(true),
      fClip(nullptr),
      fChild(nullptr),
      fScrollX(0),
      fScrollY(0),
      fHScroll(nullptr),
      fVScroll(nullptr)
{
    // Sized first, so that the children placed for this size are not moved by a resize later.
    SetShapeEventless(width, height);
    const int r = BigCornerRadius() * 3 / 4;
    const int s = Quor_ScrollBar::Thickness();

    fClip = new (std::nothrow) Quor_View(QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP | QUOR_FOLLOW_RIGHT | QUOR_FOLLOW_BOTTOM);
    if (fClip != nullptr) {
        fClip->SetLocation(r, r);
        fClip->SetShape(std::max(1, width - s - r), std::max(1, height - s - r));
        AddChild(fClip);
    }
    fHScroll = new (std::nothrow) Quor_ScrollBar(width - s + 1, false, QUOR_MSG_HSCROLL,
                                                 QUOR_FOLLOW_LEFT | QUOR_FOLLOW_RIGHT | QUOR_FOLLOW_BOTTOM);
    if (fHScroll != nullptr) {
        fHScroll->SetLocation(0, height - s);
        AddChild(fHScroll);
    }
    fVScroll = new (std::nothrow) Quor_ScrollBar(height - s + 1, true, QUOR_MSG_VSCROLL,
                                                 QUOR_FOLLOW_TOP | QUOR_FOLLOW_RIGHT | QUOR_FOLLOW_BOTTOM);
    if (fVScroll != nullptr) {
        fVScroll->SetLocation(width - s, 0);
        AddChild(fVScroll);
    }
    UpdateScrollbars();
}

void Quor_ScrollingView::AddScrollingChild(Quor_View* child)
{
    if (fClip == nullptr || child == fChild) {
        if (fClip == nullptr)
            delete child;
        return;
    }
    if (fChild != nullptr) {
        Quor_View* old = fChild;
        fChild = nullptr;
        fClip->RemoveChild(old);
        delete old;
    }
    fChild = child;
    if (child != nullptr) {
        child->SetLocation(0, 0);
        fClip->AddChild(child);
    }
    fScrollX = 0;
    fScrollY = 0;
    UpdateScrollbars();
}

Quor_Rect Quor_ScrollingView::ScrollingBounds() const
{
    return fClip != nullptr ? fClip->Bounds() : Quor_Rect(0, 0, -1, -1);
}

void Quor_ScrollingView::UpdateScrollbars()
{
    const int oldX = fScrollX;
    const int oldY = fScrollY;
    // One axis: the bar's range follows the overflow on every call, so that content added or
    // removed later stays reachable and no blank stretch is left at the end.
    auto fit = [](Quor_ScrollBar* bar, int content, int visible, int* scroll) {
        const int overflow = content - visible;
        if (overflow > 0) {
            *scroll = std::clamp(*scroll, 0, overflow);
            if (bar != nullptr) {
                bar->SetStepSize(kScrollStep, std::max(1, visible - kScrollStep));
                bar->SetRange(0, overflow);
                bar->SetValue(*scroll);
                if (!bar->IsEnabled())
                    bar->Enable(true);
            }
        } else {
            *scroll = 0;
            if (bar != nullptr) {
                bar->SetRange(0, 0);
                if (bar->IsEnabled())
                    bar->Enable(false);
            }
        }
    };
    if (fChild == nullptr || fClip == nullptr) {
        fScrollX = 0;
        fScrollY = 0;
        fit(fHScroll, 0, 0, &fScrollX);
        fit(fVScroll, 0, 0, &fScrollY);
        return;
    }
    const Quor_Point content = fChild->Shape();
    const Quor_Point visible = fClip->Shape();
    fit(fHScroll, content.x, visible.x, &fScrollX);
    fit(fVScroll, content.y, visible.y, &fScrollY);
    fChild->SetLocation(-fScrollX, -fScrollY);
    // Content that had to move back into range is shown where it now is.
    if (fScrollX != oldX || fScrollY != oldY)
        ShowContent();
}

void Quor_ScrollingView::ScrollTo(int x, int y)
{
    if (fHScroll != nullptr)
        fHScroll->SetValue(x);
    if (fVScroll != nullptr)
        fVScroll->SetValue(y);
    FollowBars();
}

void Quor_ScrollingView::FollowBars()
{
    fScrollX = fHScroll != nullptr ? fHScroll->Value() : 0;
    fScrollY = fVScroll != nullptr ? fVScroll->Value() : 0;
    if (fChild != nullptr)
        fChild->SetLocation(-fScrollX, -fScrollY);
    ShowContent();
}

void Quor_ScrollingView::ShowContent()
{
    if (fClip == nullptr)
        return;
    if (const Quor_image* image = fClip->ViewImage())
        Quor_ImageOps::Clear(image, fBackground);
    fClip->InitBackground();
    fClip->Refresh();
}

void Quor_ScrollingView::HandleMessage(Quor_Message* message)
{
    if (message->what == QUOR_MSG_HSCROLL || message->what == QUOR_MSG_VSCROLL) {
        FollowBars();
        return;
    }
    Quor_BaseWidget::HandleMessage(message);
}

void Quor_ScrollingView::OnResize(Quor_Point oldSize, Quor_Point newSize)
{
    Quor_BaseWidget::OnResize(oldSize, newSize);
    UpdateScrollbars();
}

void Quor_ScrollingView::DoLayout()
{
    // The clip view is not laid out: it would take the content's size instead of clipping it.
    if (fChild != nullptr)
        fChild->DoLayout();
    UpdateScrollbars();
}

void Quor_ScrollingView::OnMouseWheel(float delta, Quor_Point, unsigned int, Quor_Message*)
{
    if (fVScroll == nullptr || !(delta > 0.0f || delta < 0.0f))
        return;
    // A positive delta (wheel pushed away) scrolls up, towards the start.
    const int notches = delta > 0.0f ? 1 : -1;
    fVScroll->SetValue(fVScroll->Value() - notches * kScrollStep);
    FollowBars();
}

void Quor_ScrollingView::OnKeyDown(int key, unsigned int)
{
    Quor_ScrollBar* bar = nullptr;
    int step = 0;
    switch (key) {
    case QUOR_KEY_DOWN:
        bar = fVScroll;
        step = kScrollStep;
        break;
    case QUOR_KEY_UP:
        bar = fVScroll;
        step = -kScrollStep;
        break;
    case QUOR_KEY_RIGHT:
        bar = fHScroll;
        step = kScrollStep;
        break;
    case QUOR_KEY_LEFT:
        bar = fHScroll;
        step = -kScrollStep;
        break;
    default:
        return;
    }
    if (bar == nullptr)
        return;
    bar->SetValue(bar->Value() + step);
    FollowBars();
}

void Quor_ScrollingView::RedrawMe(Quor_Graphics* g)
{
    const int radius = BigCornerRadius();
    g->SetSmoothing(true);
    Quor_Rect area = Bounds();
    area.InsetBy(2, 0);
    g->SetColor(fBackground);
    g->FillRoundedRect(area, radius);
    if (fOutlineEnabled) {
        Quor_Rect outer = Bounds();
        outer.InsetBy(1, 0);
        Quor_WidgetLook::DrawFrame(g, area, outer, radius, IsEnabled());
    }
    // The content and the bars draw through the same shared context: nothing more may be drawn
    // with g after this.
    if (fClip != nullptr)
        fClip->InitBackground();
    if (fHScroll != nullptr)
        fHScroll->Redraw(false);
    if (fVScroll != nullptr)
        fVScroll->Redraw(false);
}
