// Group boxes: the frame laid out around one child, stretched with it, and how it looks.
#include <gtest/gtest.h>

#include "tests/toolkit/widgets/WidgetHarness.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_LayoutView.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/widgets/Quor_Box.h"
#include "toolkit/widgets/Quor_Divider.h"
#include "toolkit/widgets/Quor_StaticText.h"

using namespace quor_test;

class QuorBox : public WidgetWindowTest {};

TEST_F(QuorBox, FrameWrapsItsChildAndStretchesWithIt)
{
    // Catches a child placed over the title, a box that does not grow around its child, and a
    // re-layout that leaves the child at its old size.
    const int fh = Quor_App::gBoldFont->FontHeight();
    Quor_Box* box = Place(new Quor_Box("Output", 3), 10, 10);
    Quor_View* child = SizedView(100, 40);
    box->AddChild(child);
    box->DoLayout();
    EXPECT_EQ(child->Frame(), Quor_Rect(8, fh + 8, 107, fh + 47));
    EXPECT_EQ(box->Shape(), Quor_Point(116, 40 + fh + 16));
    box->SetShape(200, 120);
    box->DoReLayout();
    EXPECT_EQ(child->Shape(), Quor_Point(184, 120 - fh - 16));

    // Without exactly one child the box lays out as a plain view.
    Quor_Box empty("Empty", 3);
    empty.SetShapeForced(50, 30);
    empty.DoLayout();
    EXPECT_EQ(empty.Shape(), Quor_Point(50, 30));
}

TEST_F(QuorBox, LooksRightWithItsTitleLabelsAndDividers)
{
    // Catches an outline drawn through the title, a title cut short, and dividers or labels
    // drawn in the wrong colours or places.
    Quor_Box* box = Place(new Quor_Box("Projection", 3), 6, 4);
    Quor_LayoutView* column = new Quor_LayoutView(Quor_LayoutView::kVertical, 2, Quor_Point(0, 0));
    column->AddChild(new Quor_StaticText("Left aligned", QUOR_ALIGN_LEFT, 3), QUOR_LAYOUT_NONE);
    column->AddChild(new Quor_Divider(false, 3), QUOR_LAYOUT_FILL);
    column->PushH2(QUOR_LAYOUT_NONE, 4);
    column->AddChild(new Quor_StaticText("One", QUOR_ALIGN_LEFT, 3));
    column->AddChild(new Quor_Divider(true, 3));
    column->AddChild(new Quor_StaticText("Two", QUOR_ALIGN_LEFT, 3));
    column->Pop();
    box->AddChild(column);
    box->DoLayout();
    Open();
    Quor_Rect area = box->Frame();
    area.InsetBy(-4, -4);
    ExpectGolden(area, "group_box.png");
}
