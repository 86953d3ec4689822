// The photo list in the main window: files dropped on it, thumbnails, quarter turns, removal,
// dragging a photo out, and a full list.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/ui/PanomerCodes.h"
#include "tests/app/ui/EditorTestSupport.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/widgets/Quor_ScrollBar.h"
#include "toolkit/widgets/Quor_ScrollingView.h"
#include "toolkit/widgets/Quor_ToolBar.h"

namespace {

using editor_test::EditorTest;
using quor_test::kBlue;
using quor_test::kRed;
using quor_test::Near;
using quor_test::PixelAt;

class PhotoListViewTest : public EditorTest {
protected:
    Quor_Point ListPoint() const { return InWindow(List(), Quor_Point(60, 60)); }
    void AddPhoto(const std::string& path) { DropFile(path, ListPoint()); }
    void ListButton(int code)
    {
        Quor_ToolBar* bar = Layer()->ListToolBar();
        const int index = code - kCmdRotatePhoto;
        Click(InWindow(bar, editor_test::Mid(bar->GetButtonRect(index))));
    }
    // The editor with `count` small photos in the list.
    void StartWithPhotos(int count)
    {
        Start();
        const std::string a = fDir.File("a.jpg");
        app_test::MakePhoto(a, 16, 12, kRed, kBlue);
        for (int i = 0; i < count; ++i)
            List()->OnFileDrop(a.c_str(), Quor_Point(0, 0), 0);
    }
    // Whether the list shows any dark text pixel in its top 60 rows.
    bool HintShown()
    {
        for (int y = 0; y < 60; ++y) {
            for (int x = 20; x < 200; ++x) {
                const Quor_Point p = InWindow(List(), Quor_Point(x, y));
                if (Near(fHost.PixelAt(HostId(), p.x, p.y + Strip()), quor_test::kBlack, 60))
                    return true;
            }
        }
        return false;
    }
};

// Catches thumbnails stretched out of proportion or off centre, a very wide photo that vanishes
// (0 pixels high), files the list must ignore taken in, and a file name with a double quote
// taken in silently (a project holding it could never be read back).
TEST_F(PhotoListViewTest, ThumbnailsKeepTheirShapeAndOnlyUsableImagesAreTaken)
{
    Start();
    EXPECT_TRUE(HintShown());
    const std::string portrait = fDir.File("portrait.jpg");
    const std::string strip = fDir.File("strip.jpg");
    app_test::MakePhoto(portrait, 48, 96, kRed, kBlue);
    app_test::MakePhoto(strip, 1000, 4, kRed, kRed);
    AddPhoto(portrait);
    EXPECT_FALSE(HintShown());
    AddPhoto(strip);
    ASSERT_EQ(List()->CountPhotos(), 2);

    // 48 x 96 becomes a 50-pixel-wide strip in the middle, red then blue.
    const Quor_BaseImage& tall = *List()->Thumbnail(0);
    EXPECT_TRUE(Near(PixelAt(tall, 10, 50), Quor_ColorOps::WidgetFill, 2));
    EXPECT_TRUE(Near(PixelAt(tall, 35, 50), kRed, 40));
    EXPECT_TRUE(Near(PixelAt(tall, 64, 50), kBlue, 40));
    EXPECT_TRUE(Near(PixelAt(tall, 90, 50), Quor_ColorOps::WidgetFill, 2));
    // 1000 x 4 keeps one row of red across the middle.
    const Quor_BaseImage& wide = *List()->Thumbnail(1);
    int redRows = 0;
    for (int y = 1; y < 99; ++y)
        redRows += Near(PixelAt(wide, 50, y), kRed, 60) ? 1 : 0;
    EXPECT_GE(redRows, 1);
    EXPECT_LE(redRows, 2);

    // A PNG is taken although the hint says JPEG; text files and broken JPEGs are not.
    const std::string png = fDir.File("flat.png");
    Quor_BaseImage tiny;
    quor_test::Make(&tiny, 20, 10, [](int, int) { return quor_test::Px(kBlue); });
    ASSERT_EQ(Quor_ImageIo::SaveImage(png.c_str(), &tiny, Quor_ImageIo::Format_PNG, 0), 0);
    ASSERT_TRUE(quor_test::WriteFileBytes(fDir.File("notes.txt"), "hello"));
    ASSERT_TRUE(quor_test::WriteFileBytes(fDir.File("broken.jpg"), "not a jpeg at all"));
    AddPhoto(png);
    AddPhoto(fDir.File("notes.txt"));
    AddPhoto(fDir.File("broken.jpg"));
    EXPECT_EQ(List()->CountPhotos(), 3);

    const std::string quoted = fDir.File("say \"cheese\".jpg");
    app_test::MakePhoto(quoted, 64, 48, kRed, kRed);
    Answer({editor_test::kReturn});
    AddPhoto(quoted);
    EXPECT_EQ(List()->CountPhotos(), 3);
    ASSERT_EQ(fAlerts.size(), 1u);
    EXPECT_NE(fAlerts[0].find("double quote"), std::string::npos);
}

// Catches a rotation that stays behind when the photos move up after a removal (the canvas would
// then get a photo turned the wrong way), four turns that do not come back, "rotate all" that
// skips unselected photos, and a press between thumbnails that still drags a photo.
TEST_F(PhotoListViewTest, RotationsStayWithTheirPhotos)
{
    Start();
    const std::string a = fDir.File("a.jpg");
    const std::string b = fDir.File("b.jpg");
    app_test::MakePhoto(a, 80, 40, kRed, kBlue);
    app_test::MakePhoto(b, 40, 80, kBlue, kRed);
    AddPhoto(a);
    AddPhoto(b);
    Quor_BaseImage original;
    quor_test::Make(&original, 100, 100, [&](int x, int y) { return quor_test::At(List()->Thumbnail(0)->Image(), x, y); });

    Click(ListCell(0));
    EXPECT_EQ(List()->GetSelection(), 0);
    for (int turn = 1; turn <= 4; ++turn) {
        ListButton(kCmdRotatePhoto);
        EXPECT_EQ(List()->Rotation(0), (turn * 90) % 360);
    }
    for (int y = 0; y < 100; y += 7)
        for (int x = 0; x < 100; x += 7)
            ASSERT_EQ(quor_test::At(List()->Thumbnail(0)->Image(), x, y), quor_test::At(original.Image(), x, y));
    EXPECT_EQ(List()->Rotation(1), 0);

    ListButton(kCmdRotateAllPhotos);
    ListButton(kCmdRotatePhoto);
    EXPECT_EQ(List()->Rotation(0), 180);
    EXPECT_EQ(List()->Rotation(1), 90);
    // b was blue left, red right; a quarter turn clockwise puts blue on top.
    EXPECT_TRUE(Near(PixelAt(*List()->Thumbnail(1), 50, 30), kBlue, 40));

    ListButton(kCmdRemovePhoto);
    ASSERT_EQ(List()->CountPhotos(), 1);
    EXPECT_EQ(List()->GetSelection(), -1);
    EXPECT_EQ(std::string(List()->PhotoPath(0)->Buffer()), b);
    EXPECT_EQ(List()->Rotation(0), 90);

    // The photo dragged to the canvas arrives turned as its thumbnail shows.
    DragToCanvas(0, Quor_Point(100, 100));
    ASSERT_EQ(Doc().fNumPhotos, 1);
    EXPECT_NEAR(Doc().fRoll[0], -1.5707964f, 1e-5f);

    // A press in the gap between the cells selects nothing and drags nothing.
    Drag(InWindow(List(), Quor_Point(112, 50)), InWindow(Canvas(), Quor_Point(150, 120)));
    EXPECT_EQ(List()->GetSelection(), -1);
    EXPECT_EQ(Doc().fNumPhotos, 1);
}

// Catches a full list that takes more photos, a content height that does not follow the rows,
// and a scroll range fixed at an earlier size (the last photos could not be reached).
TEST_F(PhotoListViewTest, AFullListScrollsToItsLastRow)
{
    StartWithPhotos(6);
    Quor_ScrollingView* scroller = Layer()->ListScroller();
    EXPECT_EQ(scroller->GetVScroll()->Maximum(), List()->Shape().y - scroller->ClipView()->Shape().y);
    for (int i = 6; i < PhotoListView::kMaxListPhotos + 1; ++i)
        List()->OnFileDrop(fDir.File("a.jpg").c_str(), Quor_Point(0, 0), 0);
    EXPECT_EQ(List()->CountPhotos(), PhotoListView::kMaxListPhotos);
    EXPECT_EQ(List()->Shape().y, 8 + 64 * 108);
    EXPECT_EQ(scroller->GetVScroll()->Maximum(), List()->Shape().y - scroller->ClipView()->Shape().y);
    scroller->ScrollTo(0, 1 << 20);
    Pump();
    Click(ListCell(127));
    EXPECT_EQ(List()->GetSelection(), 127);
}

TEST_F(PhotoListViewTest, TabReachesTheListWhoseKeysMoveTheSelectionIntoView)
{
    // Catches a list Tab never reaches (or reaches after the canvas to its right), a press that
    // takes the keyboard from the canvas, keys that run past either end, a page that is not the
    // rows shown, a selected photo left scrolled out of sight, and a canvas that never shows it
    // has the keyboard.
    StartWithPhotos(20);
    Click(ListCell(1));
    EXPECT_NE(Layer()->FocusView(), List());
    std::vector<Quor_View*> stops;
    Layer()->TabStops(&stops);
    const auto list = std::find(stops.begin(), stops.end(), List());
    ASSERT_NE(list, stops.end());
    EXPECT_LT(list - stops.begin(), std::find(stops.begin(), stops.end(), Canvas()) - stops.begin());
    for (size_t i = 0; i < stops.size() && Layer()->FocusView() != List(); ++i)
        Key('\t');
    ASSERT_EQ(Layer()->FocusView(), List());

    Quor_ScrollingView* scroller = Layer()->ListScroller();
    const int shown = scroller->ScrollingBounds().Height();
    const int page = 2 * (shown / PhotoListView::kPitch);
    // Host characters: Home 1, End 4, Page Up 11, Page Down 12, Left 28, Right 29, Up 30, Down 31.
    struct Step { int key; int selected; };
    const Step steps[] = {
        {4, 19}, {4, 19}, {1, 0}, {29, 1}, {31, 3}, {28, 2}, {12, 2 + page}, {11, 2}, {11, 0}, {30, 0},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE("key " + std::to_string(s.key));
        Key(s.key);
        EXPECT_EQ(List()->GetSelection(), s.selected);
        const Quor_Rect cell = PhotoListView::CellRect(s.selected);
        const int top = scroller->ScrollPosition().y;
        EXPECT_LE(top, cell.top);
        EXPECT_GE(top + shown - 1, cell.bottom);
    }

    // The canvas comes next and shows it has the keyboard with a ring just inside its edge, which
    // a press with the mouse takes away.
    const Quor_Point edge = InWindow(Canvas(), Quor_Point(1, Canvas()->Shape().y / 2));
    Key('\t');
    ASSERT_EQ(Layer()->FocusView(), Canvas());
    const rgb_color ringed = fHost.PixelAt(HostId(), edge.x, edge.y + Strip());
    Click(InWindow(Canvas(), Quor_Point(Canvas()->Shape().x / 2, 5)));
    EXPECT_FALSE(Near(ringed, fHost.PixelAt(HostId(), edge.x, edge.y + Strip()), 40));
}

}  // namespace
