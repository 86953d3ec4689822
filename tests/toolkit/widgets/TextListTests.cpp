// Text lists: where the selection goes as rows come and go, scrolling the selection into view,
// choosing rows with the pointer and keys, the bar's range, and how a list looks.
#include <gtest/gtest.h>

#include "tests/toolkit/widgets/WidgetHarness.h"
#include "toolkit/widgets/Quor_ScrollBar.h"
#include "toolkit/widgets/Quor_TextList.h"

using namespace quor_test;

namespace {

constexpr unsigned int kFollow = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP;

}  // namespace

class QuorTextList : public WidgetWindowTest {
protected:
    // A list of 200 x 100 on the form at (10, 10) holding the given rows.
    Quor_TextList* List(std::initializer_list<const char*> rows, int what = 42)
    {
        Quor_TextList* list = Place(new Quor_TextList(what, kFollow), 10, 10);
        list->SetShape(200, 100);
        for (const char* row : rows)
            list->AddItem(row);
        return list;
    }
};

TEST_F(QuorTextList, TheSelectionFollowsItsRowAsRowsComeAndGo)
{
    // Catches a selection left past the end after the last row goes, a selection that jumps to
    // another row when one before it is removed or inserted, and out-of-range removals acting.
    struct Case { const char* what; int selectFirst; int remove; int expectedSelection; const char* expectedLabel; };
    const Case cases[] = {
        {"last selected, first removed", 2, 0, 1, "c"}, {"last selected, last removed", 2, 2, 1, "b"},
        {"middle selected, middle removed", 1, 1, 1, "c"}, {"first selected, last removed", 0, 2, 0, "a"},
        {"outside the list", 1, 3, 1, "b"}, {"negative index", 1, -1, 1, "b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Quor_TextList list(0, kFollow);
        for (const char* row : {"a", "b", "c"})
            list.AddItem(row);
        list.SetSelItem(c.selectFirst);
        list.RemoveItem(c.remove);
        EXPECT_EQ(list.SelItem(), c.expectedSelection);
        EXPECT_STREQ(list.SelItemLabel(), c.expectedLabel);
    }
    Quor_TextList one(0, kFollow);
    one.AddItem("only");
    one.RemoveItem(0);
    EXPECT_EQ(one.SelItemLabel(), nullptr);
    one.SetSelItem(3);
    EXPECT_EQ(one.SelItem(), -1);

    Quor_TextList sorted(0, kFollow);
    for (const char* name : {"pear", "apple", "quince", "banana", "apple"})
        sorted.AddItemAlphabetically(name);
    std::vector<std::string> rows;
    for (int i = 0; i < sorted.CountItems(); ++i)
        rows.push_back(sorted.GetItem(i));
    EXPECT_EQ(rows, (std::vector<std::string>{"apple", "apple", "banana", "pear", "quince"}));
    EXPECT_STREQ(sorted.SelItemLabel(), "pear");
    EXPECT_TRUE(sorted.SetSelItem("banana"));
    EXPECT_FALSE(sorted.SetSelItem("cherry"));
    EXPECT_STREQ(sorted.SelItemLabel(), "banana");
}

TEST_F(QuorTextList, TheBarRangeFollowsTheRowsAndSelectingScrollsIntoView)
{
    // Catches a range fixed when the bar was first enabled (later rows unreachable), a range
    // that stays long after removals, and a selected row left out of sight.
    Quor_TextList* list = List({});
    Open();
    Quor_ScrollBar* bar = list->ScrollBar();
    const int lineHeight = list->LineHeight();
    for (int n = 1; n <= 30; ++n) {
        SCOPED_TRACE(std::to_string(n) + " rows");
        list->AddItem(("row " + std::to_string(n)).c_str());
        const int overflow = n * lineHeight + 8 - 100;
        EXPECT_EQ(bar->Maximum(), std::max(0, overflow));
        EXPECT_EQ(bar->IsEnabled(), overflow > 0);
    }
    list->SetSelItem(29);
    const int lastTop = 4 + 29 * lineHeight - list->ScrollOffset();
    EXPECT_GE(lastTop, 4);
    EXPECT_EQ(lastTop + lineHeight - 1, 100 - 5);
    EXPECT_EQ(bar->Value(), list->ScrollOffset());
    list->SetSelItem(-7);
    EXPECT_EQ(list->SelItem(), 0);
    EXPECT_EQ(list->ScrollOffset(), 0);

    list->SetSelItem(29);
    while (list->CountItems() > 3)
        list->RemoveItem(0);
    EXPECT_EQ(bar->Maximum(), 0);
    EXPECT_FALSE(bar->IsEnabled());
    EXPECT_EQ(list->ScrollOffset(), 0);
    EXPECT_STREQ(list->SelItemLabel(), "row 30");
}

TEST_F(QuorTextList, PointerKeysAndWheelChooseAndScroll)
{
    // Catches presses below the last row choosing something, a single click taken for a double
    // click, keys running past the ends, a wheel going the wrong way, and a disabled list
    // answering the pointer.
    Quor_TextList* list = List({"one", "two", "three", "four", "five", "six", "seven", "eight"});
    WhatLog counter;
    list->SetHandler(&counter);
    Open();
    const int lineHeight = list->LineHeight();
    auto rowY = [&](int row) { return 10 + 4 + row * lineHeight + lineHeight / 2 - list->ScrollOffset(); };

    Click(40, rowY(2));
    EXPECT_EQ(counter.whats, std::vector<int>{42});
    bool doubleClick = false;
    EXPECT_FALSE(counter.last.Get("doubleclick", &doubleClick)) << "a single click is no double click";

    for (int row : {7, 6, 5})
        list->RemoveItem(row);
    Click(40, rowY(6));
    EXPECT_EQ(list->SelItem(), 2);
    EXPECT_EQ(counter.whats.size(), 1u);

    list->Focus(true);
    for (int i = 0; i < 3; ++i)
        Key(kHostDown);
    EXPECT_EQ(list->SelItem(), 4);
    EXPECT_EQ(counter.whats.size(), 3u) << "nothing sent once the last row is reached";
    for (int i = 0; i < 6; ++i)
        Key(kHostUp);
    EXPECT_EQ(list->SelItem(), 0);

    for (int i = 0; i < 20; ++i)
        list->AddItem("more");
    const int max = list->ScrollBar()->Maximum();
    Wheel(40, 50, -1);
    EXPECT_EQ(list->ScrollOffset(), 2 * lineHeight);
    for (int i = 0; i < 30; ++i)
        fHost.PushWheel(fHostId, 40, 50, -1);
    Pump();
    EXPECT_EQ(list->ScrollOffset(), max);
    EXPECT_EQ(list->ScrollBar()->Value(), max);
    // The bar's start arrow scrolls back by a line.
    const Quor_Rect bar = list->ScrollBar()->LayerFrame();
    Click(bar.left + 4, bar.top + 4);
    EXPECT_EQ(list->ScrollOffset(), max - lineHeight);
    EXPECT_EQ(fLayer->Heard(QUOR_MSG_VSCROLL), 0);

    list->Enable(false);
    const int selected = list->SelItem();
    Click(40, 20);
    EXPECT_EQ(list->SelItem(), selected);
}

TEST_F(QuorTextList, LooksLikeItsGolden)
{
    // Catches the selection drawn off its row, rows not clipped to the list, and text off the
    // rows' baseline.
    Quor_TextList* list = List({"IMG_0041.JPG", "IMG_0042.JPG", "IMG_0043.JPG", "IMG_0044.JPG", "IMG_0045.JPG",
                                "IMG_0046.JPG", "IMG_0047.JPG"});
    list->SetShape(160, 90);
    list->SetSelItem(2);
    Open();
    list->Focus(true);
    ExpectGolden(list, "text_list.png");
}

TEST_F(QuorTextList, HomeEndAndPageKeysMoveByAPageAndScrollTheRowIntoView)
{
    // Catches a page that is not the rows the list shows, Home, End or a page key running past
    // an end or sending when nothing moved, and a selection left scrolled out of sight.
    Quor_TextList* list = List({});
    for (int i = 0; i < 30; ++i)
        list->AddItem(("row " + std::to_string(i)).c_str());
    WhatLog counter;
    list->SetHandler(&counter);
    Open();
    const int page = list->VisibleRows();
    ASSERT_EQ(page, (100 - 2 * Quor_TextList::kInset) / list->LineHeight());
    ClickOn(list);
    list->SetSelItem(0);
    counter.whats.clear();
    struct Step { int key; int row; int sent; };
    const Step steps[] = {
        {kHostEnd, 29, 1}, {kHostEnd, 29, 1}, {kHostHome, 0, 2}, {12, page, 3}, {12, 2 * page, 4},
        {11, page, 5}, {11, 0, 6}, {11, 0, 6}, {kHostEnd, 29, 7}, {12, 29, 7}, {11, 29 - page, 8},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE("key " + std::to_string(s.key) + " to row " + std::to_string(s.row));
        Key(s.key);
        EXPECT_EQ(list->SelItem(), s.row);
        EXPECT_EQ(static_cast<int>(counter.whats.size()), s.sent);
        const int top = s.row * list->LineHeight();
        EXPECT_LE(list->ScrollOffset(), top);
        EXPECT_GE(list->ScrollOffset() + list->Shape().y, top + list->LineHeight() + 2 * Quor_TextList::kInset);
    }
}
