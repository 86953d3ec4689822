// Pictures on forms: loading from the application's folder, a missing file, and the tip that
// shows at once.
#include <gtest/gtest.h>

#include "tests/support/TestFiles.h"
#include "tests/toolkit/widgets/WidgetHarness.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"
#include "toolkit/widgets/Quor_StaticPicture.h"
#include "toolkit/widgets/Quor_ToolTip.h"

using namespace quor_test;

class QuorStaticPicture : public WidgetWindowTest {
protected:
    void TearDown() override
    {
        Quor_App::SetAppDir(nullptr);
        WidgetWindowTest::TearDown();
    }
};

TEST_F(QuorStaticPicture, LoadsFromTheApplicationFolderOrFallsBackToOnePixel)
{
    // Catches a file looked up relative to the working folder instead of the application's,
    // and a missing file that leaves a picture without pixels (drawn from null) or of size 0.
    ScratchDir dir;
    Quor_BaseImage icon;
    MakeIcon(&icon, 20);
    ASSERT_EQ(Quor_ImageIo::SaveImage(dir.File("icon.png").c_str(), &icon, Quor_ImageIo::Format_PNG, 100), 0);
    Quor_App::SetAppDir(dir.Path().c_str());

    Quor_StaticPicture* found = Place(new Quor_StaticPicture("icon.png", "An icon", 3), 10, 10);
    Quor_StaticPicture* missing = Place(new Quor_StaticPicture("nothing.png", "", 3), 40, 10);
    EXPECT_EQ(found->Shape(), Quor_Point(20, 20));
    ASSERT_NE(found->Picture(), nullptr);
    EXPECT_EQ(missing->Shape(), Quor_Point(1, 1));
    EXPECT_EQ(missing->Picture(), nullptr);
    Open();
    // The icon's centre is blue and drawn with its transparency over the layer.
    EXPECT_EQ(Shown(10 + 5, 10 + 5), (rgb_color{40, 90, 200, 255}));

    // Hovering shows the tip without the usual delay.
    Move(15, 15);
    ASSERT_NE(found->ToolTip(), nullptr);
    EXPECT_TRUE(found->ToolTip()->IsShowing());
    Move(200, 200);
    EXPECT_FALSE(found->ToolTip()->IsShowing());
}
