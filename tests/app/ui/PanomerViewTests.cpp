// Tests of the canvas view in the main window: input arrives as a user gives it, through the
// window and the layer, and what the user sees is read back from the host.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ui/canvas/CanvasCodes.h"
#include "tests/app/ui/EditorTestSupport.h"

namespace {

using editor_test::EditorTest;
using quor_test::kRed;
using quor_test::Near;

class PanomerViewTest : public EditorTest {
protected:
    rgb_color Shown(Quor_Point p) { return fHost.PixelAt(HostId(), p.x, p.y + Strip()); }
};

// A tool whose cursor does not change, or two tools sharing one, leave the user guessing what a
// drag will do; over a crop line the cursor must show which way the line moves.
TEST_F(PanomerViewTest, EachToolShowsItsOwnCursor)
{
    Start();
    Mouse(Quor_HostEvent::kMouseMove, CanvasPoint(0.0f, 0.0f));
    std::vector<uintptr_t> seen;
    for (int tool : {kToolMove, kToolRotate, kToolBrightness, kToolPan, kToolZoom}) {
        Canvas()->SetTool(tool);
        const uintptr_t cursor = fHost.CurrentCursor();
        EXPECT_NE(cursor, 0u) << "tool " << tool;
        for (uintptr_t other : seen)
            EXPECT_NE(cursor, other) << "tool " << tool;
        seen.push_back(cursor);
    }
    Canvas()->SetTool(kToolSelect);
    EXPECT_EQ(fHost.CurrentCursor(), 0u);

    Doc().fCrop[0] = 1.5f;
    Doc().fCrop[3] = -1.0f;
    Canvas()->SetTool(kToolCrop);
    Mouse(Quor_HostEvent::kMouseMove, CanvasPoint(1.5f, 0.3f));
    const uintptr_t leftRight = fHost.CurrentCursor();
    Mouse(Quor_HostEvent::kMouseMove, CanvasPoint(0.2f, -1.0f));
    const uintptr_t upDown = fHost.CurrentCursor();
    seen.push_back(0);
    for (uintptr_t tool : seen) {
        EXPECT_NE(leftRight, tool);
        EXPECT_NE(upDown, tool);
    }
    EXPECT_NE(leftRight, upDown);
}

// A drag that is not shown as it goes is no drag at all. A preview the user cannot stop with a
// click, that a button held in another program stops, whose stopping click then reaches the
// canvas as a tool press (another photo selected, the undo point replaced), or that leaves the
// canvas showing the preview, traps them. An alert the tools ask for (a dropped path that a
// project could not hold) that never shows loses the photo silently.
TEST_F(PanomerViewTest, DragsAreShownAClickStopsThePreviewAndAlertsShow)
{
    Start();
    app_test::MakePhoto(fDir.File("red.jpg"), 64, 48, kRed, kRed);
    app_test::MakePhoto(fDir.File("blue.jpg"), 64, 48, quor_test::kBlue, quor_test::kBlue);
    DropFile(fDir.File("red.jpg"), InWindow(List(), Quor_Point(50, 50)));
    DropFile(fDir.File("blue.jpg"), InWindow(List(), Quor_Point(50, 50)));
    DragToCanvas(0, Quor_Point(100, 100));
    ASSERT_EQ(Doc().fNumPhotos, 1);
    const Quor_Point from = CanvasPoint(0.0f, 0.0f);
    Mouse(Quor_HostEvent::kMouseDown, from);
    Mouse(Quor_HostEvent::kMouseMove, Quor_Point(from.x + 60, from.y));
    Mouse(Quor_HostEvent::kMouseMove, Quor_Point(from.x + 90, from.y));
    EXPECT_TRUE(Near(Shown(Quor_Point(from.x + 90, from.y + 4)), kRed, 24)) << "the photo is not shown where it is";
    EXPECT_FALSE(Near(Shown(Quor_Point(from.x, from.y + 4)), kRed, 24)) << "the photo is still shown where it was";
    Mouse(Quor_HostEvent::kMouseUp, Quor_Point(from.x + 90, from.y));
    EXPECT_LT(Doc().fYaw[0], -0.2f);
    DragToCanvas(1, Quor_Point(60, 60));
    ASSERT_EQ(Doc().fSelected, 1);

    // The window as shown, byte for byte: a finished preview would have replaced the overlays.
    auto window = [this] {
        const Quor_BaseImage* shown = fHost.Shown(HostId());
        return std::string(reinterpret_cast<const char*>(shown->Bits()), size_t(shown->Image().rowBytes) * shown->Height());
    };
    auto undoPoint = [this] {
        const UndoHistory& history = Doc().History();
        return std::to_string(history.CountUndo()) + history.UndoLabel() + std::to_string(history.Bytes()) +
               (history.IsOpen() ? " open" : "");
    };
    const std::string before = window(), undoBefore = undoPoint();
    const int beeps = fHost.BeepCount();
    fHost.SetGlobalMouse(5, 5, QUOR_HOST_BUTTON_LEFT);
    Canvas()->Preview();
    fHost.SetGlobalMouse(5, 5, 0);
    EXPECT_EQ(fHost.BeepCount(), beeps + 1);
    EXPECT_FALSE(window() == before) << "a button held outside the window stopped the preview";

    // A click on photo 0 while the preview runs: neither its press nor its release may reach the
    // window afterwards.
    const Quor_Point other = CanvasPoint(Doc().fYaw[0], Doc().fPitch[0]);
    const Quor_Point pointer = Wnd()->MousePt();
    fHost.PushClick(HostId(), other.x, other.y + Strip());
    Canvas()->Preview();
    EXPECT_EQ(fHost.BeepCount(), beeps + 2);
    EXPECT_TRUE(window() == before) << "the click did not stop the preview";
    Pump();
    EXPECT_EQ(Doc().fSelected, 1);
    EXPECT_TRUE(undoPoint() == undoBefore) << "the click reached the canvas as a tool press";
    EXPECT_EQ(Wnd()->MousePt(), pointer) << "the click reached the window";
    EXPECT_TRUE(window() == before);

    Quor_Message quoted(kMsgPhotoDrop);
    const std::string path = fDir.File("a \"b\".jpg");
    quoted.Set("path", path.c_str());
    Answer({editor_test::kReturn});
    Canvas()->OnMessageDrop(&quoted, Quor_Point(50, 50), 0);
    Pump();
    EXPECT_EQ(Doc().fNumPhotos, 2);
    EXPECT_EQ(fAlerts, std::vector<std::string>{CanvasTools::kQuoteAlert});
}

}  // namespace
