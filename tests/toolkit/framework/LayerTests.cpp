// What a window shows: layers blitted through clips that protect the layers above them,
// self-blitting views cut out, and the menu strip above the content area.
#include <gtest/gtest.h>

#include "tests/support/ImageFixtures.h"
#include "tests/toolkit/framework/FrameworkTestSupport.h"
#include "toolkit/framework/Quor_DC.h"
#include "toolkit/framework/Quor_MenuStrip.h"
#include "toolkit/framework/Quor_PlatformImage.h"
#include "toolkit/framework/Quor_WindowList.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"

using namespace quor_test;

namespace {

constexpr rgb_color kGreen{0, 200, 0, 255};
constexpr rgb_color kYellow{250, 220, 0, 255};

// A layer filled with one colour.
class ColorLayer : public Quor_Layer {
public:
    ColorLayer(rgb_color color, Quor_Rect frame) : fColor(color)
    {
        SetShape(frame.Width(), frame.Height());
        SetLocation(frame.left, frame.top);
    }
    void InitBackground() override
    {
        LayerImage()->Clear(fColor);
        Quor_Layer::InitBackground();
    }
    void Paint(rgb_color color)
    {
        fColor = color;
        LayerImage()->Clear(color);
        Refresh();
    }

private:
    rgb_color fColor;
};

// A view that claims to draw straight into the window.
class SelfBlitView : public Quor_View {
public:
    bool BlitMyself() override { return true; }
};

// A menu bar stand-in: a view that paints itself and sends a command when pressed.
class StripBar : public Quor_View, public Quor_MenuStrip {
public:
    explicit StripBar(Log* log) : Quor_View(QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP | QUOR_FOLLOW_RIGHT), fLog(log) {}
    Quor_View* StripView() override { return this; }
    int StripHeight() override { return 20; }
    bool StripShortcut(int, unsigned int) override { return false; }
    void InitBackground() override
    {
        if (Quor_Graphics* g = ViewGraphics())
            g->Clear(kYellow);
    }
    void OnMouseDown(Quor_Point where, unsigned int, unsigned int, Quor_Message*) override
    {
        fLog->push_back(At("bar down", where));
        Layer()->UpdateMenus();
        SendMessage(1001);
    }

private:
    Log* fLog;
};

class MenuLayer : public LogLayer {
public:
    using LogLayer::LogLayer;
    void UpdateMenus() override { fMenuLog->push_back("update menus"); }
    Log* fMenuLog = nullptr;
};

}  // namespace

class QuorLayer : public OneWindowTest {
protected:
    void SetUp() override
    {
        OneWindowTest::SetUp();
        MakeWindow(Quor_Rect(0, 60, 199, 159), true);
    }
    rgb_color Shown(int x, int y) { return fHost.PixelAt(fHostId, x, y); }
};

TEST_F(QuorLayer, ALowerLayerNeverPaintsOverAHigherOne)
{
    // Catches a blit that ignores the layers above it (a canvas redraw painting over an open
    // dialog or menu) and a self-blitting view painted over by its own layer.
    ColorLayer* bottom = new ColorLayer(kBlue, Quor_Rect(0, 0, 199, 99));
    ColorLayer* middle = new ColorLayer(kGreen, Quor_Rect(40, 20, 119, 79));
    ColorLayer* top = new ColorLayer(kRed, Quor_Rect(100, 0, 179, 39));
    fWindow->AddLayer(bottom);
    fWindow->AddLayer(middle);
    fWindow->AddLayer(top);
    fWindow->Show();
    Pump();
    ASSERT_TRUE(Near(Shown(110, 10), kRed, 0));
    ASSERT_TRUE(Near(Shown(50, 50), kGreen, 0));

    bottom->Paint(kWhite);
    middle->Paint(kBlack);
    struct Probe { int x; int y; rgb_color expected; };
    const Probe probes[] = {
        {5, 5, kWhite},      {199, 99, kWhite},  {40, 20, kBlack},   {99, 79, kBlack},
        {100, 20, kRed},     {119, 39, kRed},    {179, 0, kRed},     {110, 60, kBlack},
        {180, 10, kWhite},   {120, 45, kWhite},
    };
    for (const Probe& p : probes) {
        SCOPED_TRACE(std::to_string(p.x) + "," + std::to_string(p.y));
        EXPECT_TRUE(Near(Shown(p.x, p.y), p.expected, 0)) << Text(Shown(p.x, p.y));
        EXPECT_TRUE(Near(PixelAt(fWindow->ComposedImage(), p.x, p.y), p.expected, 0));
    }

    // A view that draws itself is left alone by its layer's blit.
    SelfBlitView* video = new SelfBlitView();
    video->SetLocation(10, 10);
    video->SetShape(20, 20);
    bottom->AddChild(video);
    bottom->Paint(kGreen);
    EXPECT_TRUE(Near(Shown(15, 15), kWhite, 0));
    EXPECT_TRUE(Near(Shown(35, 15), kGreen, 0));

    // A drawing context's clip keeps out of the higher layers whatever the caller sets.
    Quor_DC* dc = fWindow->DC(bottom);
    ASSERT_NE(dc, nullptr);
    dc->SetClipRect(Quor_Rect(0, 0, 199, 99));
    bottom->LayerImage()->Clear(kBlue);
    bottom->LayerImage()->Draw(dc, 0, 0);
    fWindow->ReleaseDC(dc);
    EXPECT_TRUE(Near(Shown(110, 10), kRed, 0));
    EXPECT_TRUE(Near(Shown(50, 50), kBlack, 0));
    EXPECT_TRUE(Near(Shown(5, 90), kBlue, 0));
}

TEST_F(QuorLayer, MenuStripLiesAboveTheContentAndRoutesToItsLayer)
{
    // Catches a strip that shifts the content's coordinates or layouts, presses in the strip
    // reaching the content layers, strip commands or menu updates that never reach the layer
    // that owns the bar, and a strip left behind (or a dangling menu layer) when that layer goes.
    Log log;
    MenuLayer* main = new MenuLayer("main", &log, Quor_Rect(0, 0, 199, 99));
    main->fMenuLog = &log;
    StripBar* bar = new StripBar(&log);
    main->AddMenuBar(bar);
    fWindow->AddLayer(main);
    fWindow->Show();
    Pump();
    EXPECT_EQ(fWindow->MenuStripHeight(), 20);
    EXPECT_EQ(fWindow->Bounds(), Quor_Rect(0, 0, 199, 99));
    EXPECT_EQ(fHost.WindowRecord(fHostId)->height, 120);
    EXPECT_EQ(main->Frame(), Quor_Rect(0, 0, 199, 99));
    EXPECT_TRUE(Near(Shown(5, 5), kYellow, 0));
    EXPECT_TRUE(Near(Shown(5, 25), Quor_ColorOps::BackCol, 0));
    EXPECT_EQ(Quor_Layer::gMenuLayer, main);

    log.clear();
    fHost.PushClick(fHostId, 30, 8);
    fHost.PushClick(fHostId, 30, 28);
    Pump();
    EXPECT_EQ(log, (Log{"main outside 30,-12", "bar down 30,8", "update menus", "main message 1001", "main down 30,8 b1 m0",
                        "main up 30,8"}));

    // The strip follows the window's width; the content keeps its own size rules.
    fHost.UserResize(fHostId, 260, 120);
    Pump();
    EXPECT_EQ(bar->Frame(), Quor_Rect(0, 0, 259, 19));
    EXPECT_EQ(fWindow->Bounds(), Quor_Rect(0, 0, 259, 99));
    EXPECT_TRUE(Near(Shown(255, 5), kYellow, 0));

    // Without its layer the strip goes and the window keeps its content size.
    fWindow->RemoveLayer(main);
    EXPECT_EQ(fWindow->MenuStripHeight(), 0);
    EXPECT_EQ(fHost.WindowRecord(fHostId)->height, 100);
    delete main;
    EXPECT_EQ(Quor_Layer::gMenuLayer, nullptr);
}

TEST(QuorPlatformImage, InitializeKeepsReplacesOrRefusesItsPixels)
{
    // Catches a reallocation on every resize to the same size (the pixels a widget drew are
    // lost) and a size below 1 reported as a failure or leaving the old pixels.
    Quor_PlatformImage image;
    ASSERT_EQ(image.Initialize(8, 4, 32), QUOR_OK);
    uint8_t* const pixels = image.Bits();
    EXPECT_EQ(image.Initialize(8, 4, 16), QUOR_OK);
    EXPECT_EQ(image.Bits(), pixels);
    EXPECT_EQ(image.PixelBits(), 32);
    EXPECT_EQ(image.Initialize(0, 4, 32), QUOR_OK);
    EXPECT_FALSE(image.IsValid());
    EXPECT_EQ(image.Initialize(70000, 70000, 32), QUOR_ERR_CREATE);
    EXPECT_FALSE(image.IsValid());
}
