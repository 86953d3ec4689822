// Views: layout, routing inside a layer, focus and tab order, drawing when partly hidden, and
// views that go away while the layer still points at them.
#include <gtest/gtest.h>

#include "tests/support/ImageFixtures.h"
#include "tests/toolkit/framework/FrameworkTestSupport.h"
#include "toolkit/framework/Quor_LayoutView.h"
#include "toolkit/framework/Quor_PadView.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"

using namespace quor_test;

namespace {

// A plain view at (x, y) of w x h.
Quor_View* Placed(int x, int y, int w, int h)
{
    Quor_View* v = new Quor_View();
    v->SetLocation(x, y);
    v->SetShape(w, h);
    return v;
}

// A control Tab stops at that a press leaves the focus alone on (a button).
class TabOnlyView : public LogView {
public:
    using LogView::LogView;
    bool TabStop() override { return true; }
};

// A layer that lets Tab move the focus.
class FormLayer : public LogLayer {
public:
    using LogLayer::LogLayer;
    bool TabAdvance() override { return true; }
};

}  // namespace

TEST(QuorLayoutView, HorizontalBoxPlacesAndAlignsItsChildren)
{
    // Catches a preferred size that counts the trailing spacing or the margin once, and an
    // alignment measured from the wrong edge or extent.
    struct Case { unsigned int alignment; int expectedTop; int expectedHeight; };
    const Case cases[] = {
        {QUOR_LAYOUT_NONE, 4, 5}, {QUOR_LAYOUT_CENTER, 5, 5}, {QUOR_LAYOUT_FAR, 7, 5}, {QUOR_LAYOUT_FILL, 4, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("alignment " + std::to_string(c.alignment));
        Quor_LayoutView box(Quor_LayoutView::kHorizontal, 2, Quor_Point(4, 4));
        Quor_View* small = SizedView(10, 5);
        Quor_View* tall = SizedView(20, 8);
        box.AddChild(small, c.alignment);
        box.AddChild(tall, QUOR_LAYOUT_NONE);
        EXPECT_EQ(box.PreferredSize(), Quor_Point(40, 16));
        box.DoLayout();
        EXPECT_EQ(box.Shape(), Quor_Point(40, 16));
        EXPECT_EQ(small->Frame().left, 4);
        EXPECT_EQ(tall->Frame().left, 16);
        EXPECT_EQ(small->Frame().top, c.expectedTop);
        EXPECT_EQ(small->Shape().y, c.expectedHeight);
        if (c.alignment == QUOR_LAYOUT_FILL) {
            // The re-layout extent is the container's last row minus both margins.
            box.DoReLayout();
            EXPECT_EQ(small->Shape().y, 8);
            small->SetShapeEventless(10, 5);
            box.DoReLayout();
            EXPECT_EQ(small->Shape().y, 7);
        }
    }
}

TEST(QuorLayoutView, PushedContainersNestIndentsAndRefuseTooDeepAStack)
{
    // Catches children added to the outer container while an inner one is open, indents not
    // summed on the way in, and a push beyond the fixed stack writing past it.
    Quor_LayoutView form(Quor_LayoutView::kVertical, 3, Quor_Point(2, 2));
    form.AddChild(SizedView(30, 10), QUOR_LAYOUT_NONE);
    form.Indent(5);
    Quor_LayoutView* row = form.PushH2(QUOR_LAYOUT_NONE);
    ASSERT_NE(row, nullptr);
    Quor_View* a = SizedView(8, 8);
    form.AddChild(a, QUOR_LAYOUT_NONE, 1);
    form.AddPadding(6);
    form.AddChild(SizedView(8, 8), QUOR_LAYOUT_NONE);
    form.Pop();
    form.Unindent(5);
    form.AddChild(SizedView(12, 4), QUOR_LAYOUT_NONE);
    EXPECT_EQ(form.CountChildren(), 3);
    EXPECT_EQ(row->CountChildren(), 3);
    EXPECT_EQ(a->Indent(), 6);
    EXPECT_EQ(row->GetChild(1)->Shape(), Quor_Point(6, 1));
    form.DoLayout();
    // The row carries the indent that was open when it was pushed.
    EXPECT_EQ(row->Frame().left, 7);
    EXPECT_EQ(row->Frame().top, 15);
    EXPECT_EQ(a->Frame().top, 6);

    Quor_LayoutView deep(Quor_LayoutView::kVertical, 0, Quor_Point(0, 0));
    int opened = 0;
    while (deep.PushV2(QUOR_LAYOUT_NONE) != nullptr && opened < 100)
        ++opened;
    EXPECT_EQ(opened, Quor_LayoutView::kMaxDepth);
}

class QuorViewInLayer : public OneWindowTest {
protected:
    void SetUp() override
    {
        OneWindowTest::SetUp();
        MakeWindow(Quor_Rect(0, 60, 199, 159), false, fLayer = new FormLayer("L", &fLog, Quor_Rect(0, 0, 199, 99)));
    }

    FormLayer* fLayer = nullptr;
    Log fLog;
};

TEST_F(QuorViewInLayer, APressGivesTheFocusOnlyToAViewThatTakesIt)
{
    // Catches a press on a view that does not take the focus stealing it, and a view that keeps
    // the focus once disabled. (Tab and its wrapping are the next test's.)
    LogView* first = new LogView("first", &fLog, Quor_Rect(0, 0, 39, 19), true);
    LogView* label = new LogView("label", &fLog, Quor_Rect(50, 0, 89, 19), false);
    fLayer->AddChild(first);
    fLayer->AddChild(label);
    fHost.PushClick(fHostId, 5, 5);
    fHost.PushClick(fHostId, 55, 5);
    Pump();
    EXPECT_TRUE(first->IsFocused());
    EXPECT_EQ(Quor_View::gGlobalFocusView, first);
    first->Enable(false);
    EXPECT_FALSE(first->IsFocused());
    EXPECT_EQ(fLayer->FocusView(), nullptr);
}

TEST_F(QuorViewInLayer, TabGoesInReadingOrderPastDisabledAndHiddenViewsAndShowsTheRing)
{
    // Catches Tab following the order views were added in instead of rows by their frames, a
    // control of a row a few pixels higher jumping ahead of one to its left, stops at disabled
    // or clipped-away views, a press on a button taking the keyboard, and a focus ring that
    // shows before the keyboard was used or stays after a press.
    Log log;
    auto* lowLeft = new TabOnlyView("lowLeft", &log, Quor_Rect(10, 50, 49, 69));
    auto* topRight = new TabOnlyView("topRight", &log, Quor_Rect(100, 2, 139, 21));
    auto* topLeft = new LogView("topLeft", &log, Quor_Rect(10, 6, 49, 25), true);
    auto* disabled = new TabOnlyView("disabled", &log, Quor_Rect(60, 50, 79, 69));
    Quor_View* group = Placed(100, 46, 90, 30);
    auto* inGroup = new TabOnlyView("inGroup", &log, Quor_Rect(20, 2, 39, 21));
    auto* clipped = new TabOnlyView("clipped", &log, Quor_Rect(95, 0, 120, 10));
    group->AddChild(clipped);
    group->AddChild(inGroup);
    fLayer->AddChild(lowLeft);
    fLayer->AddChild(group);
    fLayer->AddChild(topRight);
    fLayer->AddChild(disabled);
    fLayer->AddChild(topLeft);
    disabled->Enable(false);

    std::vector<Quor_View*> stops;
    fLayer->TabStops(&stops);
    EXPECT_EQ(stops, (std::vector<Quor_View*>{topLeft, topRight, lowLeft, inGroup}));

    const std::pair<unsigned int, Quor_View*> tabs[] = {
        {0, topLeft}, {0, topRight}, {0, lowLeft}, {0, inGroup}, {0, topLeft}, {QUOR_HOST_SHIFT, inGroup},
    };
    EXPECT_FALSE(fLayer->ShowsFocusRing());
    for (const auto& [modifiers, next] : tabs) {
        fHost.PushKey(fHostId, 9, modifiers);
        Pump();
        EXPECT_EQ(fLayer->FocusView(), next);
        EXPECT_TRUE(next->IsFocused());
        EXPECT_TRUE(next->ShowsFocusRing());
    }
    // A press on another button hides the ring and leaves the keyboard where it was; keys then
    // still reach the focused control.
    PushClickOn(fHostId, topRight);
    fHost.PushKey(fHostId, ' ');
    Pump();
    EXPECT_EQ(fLayer->FocusView(), inGroup);
    EXPECT_FALSE(fLayer->ShowsFocusRing());
    EXPECT_FALSE(inGroup->ShowsFocusRing());
    EXPECT_EQ(Only(log, "inGroup"), (Log{"inGroup key 32"}));
}

TEST_F(QuorViewInLayer, PressedViewKeepsTheDragAndTheHoveredViewHearsItsLastMove)
{
    // Catches drags that stop at the pressed view's edge, and hover states that never end
    // because the view the pointer left is not told.
    LogView* left = new LogView("left", &fLog, Quor_Rect(0, 0, 49, 49));
    LogView* right = new LogView("right", &fLog, Quor_Rect(100, 0, 149, 49));
    fLayer->AddChild(left);
    fLayer->AddChild(right);
    fHost.PushMouse(fHostId, Quor_HostEvent::kMouseDown, 10, 10);
    fHost.PushMouse(fHostId, Quor_HostEvent::kMouseMove, 120, 10);
    fHost.PushMouse(fHostId, Quor_HostEvent::kMouseUp, 120, 10);
    fHost.PushMouse(fHostId, Quor_HostEvent::kMouseMove, 121, 11);
    fHost.PushMouse(fHostId, Quor_HostEvent::kMouseMove, 10, 12);
    Pump();
    EXPECT_EQ(Only(fLog, "left"), (Log{"left down 10,10", "left move 120,10", "left up 120,10", "left move 121,11",
                                       "left move 10,12"}));
    EXPECT_EQ(Only(fLog, "right"), (Log{"right move 21,11", "right move -90,12"}));
}

TEST_F(QuorViewInLayer, DeletedViewsLeaveNothingDangling)
{
    // Catches a layer that keeps pointing at a deleted hovered, pressed or focused view: the
    // next move, release or key then calls into freed memory (found by the address sanitizer).
    LogView* hovered = new LogView("hovered", &fLog, Quor_Rect(0, 0, 49, 49), true);
    Quor_View* box = Placed(60, 0, 60, 60);
    LogView* inner = new LogView("inner", &fLog, Quor_Rect(0, 0, 29, 29), true);
    box->AddChild(inner);
    fLayer->AddChild(hovered);
    fLayer->AddChild(box);

    fHost.PushClick(fHostId, 10, 10);
    fHost.PushMouse(fHostId, Quor_HostEvent::kMouseMove, 12, 12);
    Pump();
    ASSERT_EQ(fLayer->MouseMovedView(), hovered);
    ASSERT_EQ(fLayer->FocusView(), hovered);
    delete hovered;
    EXPECT_EQ(fLayer->CountChildren(), 1);
    EXPECT_EQ(Quor_View::gGlobalFocusView, nullptr);
    fHost.PushMouse(fHostId, Quor_HostEvent::kMouseMove, 70, 10);
    fHost.PushKey(fHostId, 'a');
    Pump();

    // Removing a subtree forgets the press and focus held deep inside it.
    fHost.PushMouse(fHostId, Quor_HostEvent::kMouseDown, 65, 5);
    Pump();
    ASSERT_EQ(fLayer->FocusView(), inner);
    fLayer->RemoveChild(box);
    EXPECT_EQ(fLayer->MouseView(), nullptr);
    EXPECT_EQ(fLayer->MouseMovedView(), nullptr);
    EXPECT_EQ(fLayer->FocusView(), nullptr);
    delete box;
    fHost.PushMouse(fHostId, Quor_HostEvent::kMouseUp, 65, 5);
    fHost.PushKey(fHostId, 'b');
    Pump();
}

TEST_F(QuorViewInLayer, PartlyHiddenViewsDrawInTheirOwnCoordinates)
{
    // Catches a view graphics context whose origin ignores the part of the view clipped away
    // (drawing then lands shifted), and a wholly hidden view handed something to draw on.
    Quor_View* parent = Placed(20, 20, 40, 40);
    Quor_View* child = Placed(-10, -5, 30, 30);
    parent->AddChild(child);
    fLayer->AddChild(parent);
    Quor_Graphics* g = child->ViewGraphics();
    ASSERT_NE(g, nullptr);
    g->SetColor(kRed);
    g->FillRect(Quor_Rect(12, 7, 14, 9));
    const auto red = [&](int x, int y) { return Near(PixelAt(*fLayer->LayerImage(), x, y), kRed, 0); };
    EXPECT_TRUE(red(22, 22) && !red(21, 22) && !red(22, 21));

    Quor_View* hidden = new Quor_View();
    hidden->SetLocation(500, 500);
    fLayer->AddChild(hidden);
    EXPECT_EQ(hidden->ViewGraphics(), nullptr);
    EXPECT_EQ(hidden->ViewImage(), nullptr);
}
