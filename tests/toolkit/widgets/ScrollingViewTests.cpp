// Scrolling views: the bars' ranges as the content grows and shrinks, and scrolling by bar, wheel
// and keys showing the part of the content it says.
#include <gtest/gtest.h>

#include <functional>

#include "tests/support/ImageFixtures.h"
#include "tests/toolkit/widgets/WidgetHarness.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/widgets/Quor_ScrollBar.h"
#include "toolkit/widgets/Quor_ScrollingView.h"

using namespace quor_test;

namespace {

// Content whose row y is painted (y % 256, 40, 200), so that what shows tells where it scrolled.
class Rows : public Quor_View {
public:
    Rows(int w, int h) { SetShapeForced(w, h); }
    void InitBackground() override
    {
        if (Quor_Graphics* g = ViewGraphics()) {
            for (int y = 0; y < Shape().y; ++y) {
                g->SetColor(y % 256, 40, 200);
                g->FillRect(Quor_Rect(0, y, Shape().x - 1, y));
            }
        }
        Quor_View::InitBackground();
    }
};

}  // namespace

class QuorScrollingView : public WidgetWindowTest {};

TEST_F(QuorScrollingView, TheRangeFollowsTheContentOnEveryUpdate)
{
    // Catches a range set only when a bar is first enabled: rows added later could never be
    // scrolled into view, and after removals the range runs on into a blank stretch.
    Quor_ScrollingView* view = Place(new Quor_ScrollingView(200, 150, QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP), 20, 20);
    const Quor_Point visible = view->ScrollingBounds().Size();
    Quor_View* content = SizedView(visible.x, 10);
    view->AddScrollingChild(content);
    Open();
    Quor_ScrollBar* bar = view->GetVScroll();
    EXPECT_FALSE(bar->IsEnabled());
    EXPECT_FALSE(view->GetHScroll()->IsEnabled());

    const int rowHeight = 40;
    for (int rows = 1; rows <= 20; ++rows) {
        SCOPED_TRACE(std::to_string(rows) + " rows");
        content->SetShapeForced(visible.x, rows * rowHeight);
        view->UpdateScrollbars();
        const int overflow = rows * rowHeight - visible.y;
        EXPECT_EQ(bar->IsEnabled(), overflow > 0);
        EXPECT_EQ(bar->Maximum(), overflow > 0 ? overflow : 0);
        // Scrolled to the end, the last row lies inside the visible area.
        view->ScrollTo(0, 1 << 20);
        const int lastRowBottom = content->Frame().top + rows * rowHeight - 1;
        EXPECT_EQ(lastRowBottom, overflow > 0 ? visible.y - 1 : rows * rowHeight - 1);
    }
    // Shrinking pulls the content back so that no blank stretch shows below it.
    content->SetShapeForced(visible.x, visible.y + 30);
    view->UpdateScrollbars();
    EXPECT_EQ(bar->Maximum(), 30);
    EXPECT_EQ(bar->Value(), 30);
    EXPECT_EQ(content->Frame().top, -30);
    content->SetShapeForced(visible.x, visible.y);
    view->UpdateScrollbars();
    EXPECT_FALSE(bar->IsEnabled());
    EXPECT_EQ(content->Frame().top, 0);

    // A child that fits, made 100 pixels wider, needs the horizontal bar over exactly [0, 100].
    content->SetShapeForced(visible.x + 100, visible.y);
    view->UpdateScrollbars();
    EXPECT_TRUE(view->GetHScroll()->IsEnabled());
    EXPECT_EQ(view->GetHScroll()->Minimum(), 0);
    EXPECT_EQ(view->GetHScroll()->Maximum(), 100);
    EXPECT_FALSE(bar->IsEnabled());

    // A page of a view shorter than one scroll step still moves forward, by no more than a page.
    for (const int height : {Quor_ScrollingView::kScrollStep + 40, Quor_ScrollingView::kScrollStep - 8, 2}) {
        content->SetShapeForced(visible.x, 400);
        view->SetShape(200, height + 2);
        view->UpdateScrollbars();
        const int shown = view->ScrollingBounds().Height();
        SCOPED_TRACE("visible height " + std::to_string(shown));
        EXPECT_GE(bar->PageStep(), 1);
        EXPECT_LE(bar->PageStep(), std::max(1, shown));
    }
}

TEST_F(QuorScrollingView, BarWheelAndKeysShowTheMatchingPartOfTheContent)
{
    // Catches a scroll that moves the content without repainting it, a wheel going the wrong
    // way or past the end, and the bars' scroll messages escaping to the layer.
    Quor_ScrollingView* view = Place(new Quor_ScrollingView(200, 150, QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP), 20, 20);
    view->EnableFocus(true);
    view->AddScrollingChild(new Rows(150, 300));
    Open();
    const Quor_Rect clip = view->ClipView()->LayerFrame();
    const int max = 300 - clip.Height();
    auto topRow = [&] { return static_cast<int>(Shown(clip.left + 5, clip.top).red); };
    EXPECT_EQ(topRow(), 0);

    struct Step {
        const char* what;
        std::function<void()> act;
        int expected;
    };
    Quor_ScrollBar* bar = view->GetVScroll();
    const Quor_Rect barFrame = bar->LayerFrame();
    const Step steps[] = {
        {"wheel down", [&] { Wheel(clip.left + 10, clip.top + 10, -1); }, 32},
        {"wheel down again", [&] { Wheel(clip.left + 10, clip.top + 10, -1); }, 64},
        {"wheel up", [&] { Wheel(clip.left + 10, clip.top + 10, 1); }, 32},
        {"end arrow", [&] { Click(barFrame.left + 4, barFrame.bottom - 3); }, 64},
        {"key down", [&] { Key(31); }, 96},
        {"key up", [&] { Key(30); }, 64},
        {"wheel far down", [&] { for (int i = 0; i < 10; ++i) Wheel(clip.left + 10, clip.top + 10, -1); }, max},
        {"wheel far up", [&] { for (int i = 0; i < 10; ++i) Wheel(clip.left + 10, clip.top + 10, 1); }, 0},
    };
    // Give the view the keyboard.
    view->Focus(true);
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.act();
        EXPECT_EQ(view->ScrollPosition().y, s.expected);
        EXPECT_EQ(bar->Value(), s.expected);
        EXPECT_EQ(topRow(), s.expected % 256);
    }
    EXPECT_EQ(fLayer->Heard(QUOR_MSG_VSCROLL), 0);
    EXPECT_EQ(fLayer->Heard(QUOR_MSG_HSCROLL), 0);
}
