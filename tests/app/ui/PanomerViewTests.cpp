// Tests of the canvas view in a window of the in-memory host: input arrives as a user gives it,
// through the window and the layer, and what the user sees is read back from the host.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ui/PanomerView.h"
#include "app/ui/canvas/CanvasCodes.h"
#include "tests/app/ui/CanvasTestSupport.h"
#include "tests/support/TestFiles.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_EventLoop.h"
#include "toolkit/framework/Quor_Layer.h"
#include "toolkit/framework/Quor_WindowList.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/framework/platform/Quor_MemoryHost.h"

namespace {

using canvas_test::kPi;
using quor_test::kBlue;
using quor_test::kRed;

constexpr int kWidth = 400;
constexpr int kHeight = 200;

// The main layer's part: it receives what the canvas sends up its chain.
class RecordingLayer : public Quor_Layer {
public:
    explicit RecordingLayer(std::vector<int>* received) : fReceived(received) { SetShape(kWidth, kHeight); }
    void HandleMessage(Quor_Message* message) override { fReceived->push_back(message->what); }

private:
    std::vector<int>* fReceived;
};

class PanomerViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Quor_App::InitQuorSystem(&fHost));
        fHost.SetStallMilliseconds(500);
        fWindow = new Quor_Wnd("canvas", Quor_Rect(0, 0, kWidth - 1, kHeight - 1), true, 0, nullptr);
        fHostId = fWindow->PlatformWindow();
        fId = fWindow->Id();
        fLayer = new RecordingLayer(&fReceived);
        fView = new PanomerView(Quor_Rect(0, 0, kWidth - 1, kHeight - 1), &fDoc);
        fView->CanvasProjection().SetZoom(1.0f);
        fView->SetAlertHandler([this](const char* text) { fAlerts.push_back(text); });
        fLayer->AddChild(fView);
        fWindow->AddLayer(fLayer);
        fWindow->Show();
        Pump();
    }
    void TearDown() override
    {
        if (Quor_WindowList::Find(fId) != nullptr)
            fWindow->CloseWindow();
        Quor_App::ShutdownQuorSystem();
    }
    void Pump() { Quor_EventLoop::ProcessPending(); }
    void Mouse(Quor_HostEvent::Kind kind, Quor_Point p, unsigned int modifiers = 0)
    {
        fHost.PushMouse(fHostId, kind, p.x, p.y, 1, modifiers);
        Pump();
    }
    rgb_color Shown(Quor_Point p) const { return fHost.PixelAt(fHostId, p.x, p.y); }
    Quor_Point PixelOf(float yaw, float pitch)
    {
        Quor_Point p;
        fView->CanvasProjection().AnglesToPoint(yaw, pitch, p);
        return p;
    }

    Quor_MemoryHost fHost;
    PanomerDoc fDoc;
    Quor_Wnd* fWindow = nullptr;
    uint32_t fHostId = 0;
    uint32_t fId = 0;
    RecordingLayer* fLayer = nullptr;
    PanomerView* fView = nullptr;
    std::vector<int> fReceived;
    std::vector<std::string> fAlerts;
};

// A tool whose cursor does not change, or two tools sharing one, leave the user guessing what a
// drag will do; over a crop line the cursor must show which way the line moves.
TEST_F(PanomerViewTest, EachToolShowsItsOwnCursor)
{
    Mouse(Quor_HostEvent::kMouseMove, Quor_Point(200, 100));
    std::vector<uintptr_t> seen;
    for (int tool : {kToolMove, kToolRotate, kToolBrightness, kToolPan, kToolZoom}) {
        fView->SetTool(tool);
        const uintptr_t cursor = fHost.CurrentCursor();
        EXPECT_NE(cursor, 0u) << "tool " << tool;
        for (uintptr_t other : seen)
            EXPECT_NE(cursor, other) << "tool " << tool;
        seen.push_back(cursor);
    }
    fView->SetTool(kToolSelect);
    EXPECT_EQ(fHost.CurrentCursor(), 0u);

    fDoc.fCrop[0] = 1.5f;
    fDoc.fCrop[3] = -1.0f;
    fView->SetTool(kToolCrop);
    Mouse(Quor_HostEvent::kMouseMove, PixelOf(1.5f, 0.3f));
    const uintptr_t leftRight = fHost.CurrentCursor();
    Mouse(Quor_HostEvent::kMouseMove, PixelOf(0.2f, -1.0f));
    const uintptr_t upDown = fHost.CurrentCursor();
    EXPECT_NE(leftRight, 0u);
    EXPECT_NE(upDown, 0u);
    EXPECT_NE(leftRight, upDown);
    for (uintptr_t tool : seen) {
        EXPECT_NE(leftRight, tool);
        EXPECT_NE(upDown, tool);
    }
}

// A drop that does not reach the canvas through the layer, is not shown, does not tell the tool
// bars, or stores a path the project cannot read back loses the user's photo or project.
TEST_F(PanomerViewTest, DroppedPhotoIsShownAndReported)
{
    quor_test::ScratchDir scratch;
    canvas_test::WritePhoto(scratch.File("a.png"), kBlue, 80, 60);
    Quor_Message drop(kMsgPhotoDrop);
    drop.Set("path", scratch.File("a.png").c_str());
    fLayer->OnMessageDrop(&drop, Quor_Point(50, 50), 0);
    Pump();
    ASSERT_EQ(fDoc.fNumPhotos, 1);
    EXPECT_EQ(fReceived, (std::vector<int>{kMsgUpdateTools, kToolMove}));
    EXPECT_TRUE(quor_test::Near(Shown(Quor_Point(190, 96)), kBlue, 0)) << quor_test::Text(Shown(Quor_Point(190, 96)));

    Quor_Message quoted(kMsgPhotoDrop);
    quoted.Set("path", scratch.File("a \"b\".png").c_str());
    fLayer->OnMessageDrop(&quoted, Quor_Point(50, 50), 0);
    EXPECT_EQ(fDoc.fNumPhotos, 1);
    ASSERT_EQ(fAlerts.size(), 1u);
    EXPECT_EQ(fAlerts[0], CanvasTools::kQuoteAlert);
}

// A drag that the window does not route to the canvas while the button is held, or that is not
// shown as it goes, is no drag at all; a preview the user cannot stop with the mouse, or that
// leaves the canvas showing the preview, traps them.
TEST_F(PanomerViewTest, DragMovesThePhotoAndAHeldButtonStopsThePreview)
{
    canvas_test::PlacePhoto(&fDoc, 0, 0.0f, 0.0f, kRed, kRed);
    fView->Update(true);
    fView->SetTool(kToolMove);
    Mouse(Quor_HostEvent::kMouseDown, Quor_Point(200, 100));
    Mouse(Quor_HostEvent::kMouseMove, Quor_Point(260, 100));
    Mouse(Quor_HostEvent::kMouseMove, Quor_Point(290, 100));
    Mouse(Quor_HostEvent::kMouseUp, Quor_Point(290, 100));
    EXPECT_NEAR(fDoc.fYaw[0], -90 * kPi / kHeight, 1e-4f);
    EXPECT_TRUE(fDoc.fModified);
    const Quor_Point centre = PixelOf(fDoc.fYaw[0], 0.0f);
    EXPECT_TRUE(quor_test::Near(Shown(Quor_Point(centre.x - 8, centre.y + 8)), kRed, 0));
    EXPECT_FALSE(quor_test::Near(Shown(Quor_Point(200, 108)), kRed, 0));

    const rgb_color before = Shown(Quor_Point(5, 100));
    const int beeps = fHost.BeepCount();
    fHost.SetGlobalMouse(5, 5, QUOR_HOST_BUTTON_LEFT);
    fView->Preview();
    fHost.SetGlobalMouse(5, 5, 0);
    EXPECT_EQ(fHost.BeepCount(), beeps + 1);
    EXPECT_TRUE(quor_test::Near(Shown(Quor_Point(5, 100)), before, 0, true));

    fView->Preview();
    EXPECT_EQ(fHost.BeepCount(), beeps + 2);
}

}  // namespace
