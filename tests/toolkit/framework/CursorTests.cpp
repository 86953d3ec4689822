// Cursors from 32-bit pictures, and the cursor a window shows while the pointer moves.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/support/ImageFixtures.h"
#include "tests/toolkit/framework/FrameworkTestSupport.h"
#include "toolkit/framework/Quor_Cursor.h"
#include "toolkit/framework/Quor_CursorImages.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"

using namespace quor_test;

namespace {

// A view that asks for a cursor.
class CursorView : public Quor_View {
public:
    explicit CursorView(Quor_Cursor* cursor)
    {
        SetShape(40, 40);
        SetCursor(cursor);
    }
};

}  // namespace

TEST(QuorCursor, BitPlanesFollowAlphaAndBlackHighByteFirst)
{
    // Catches the mask taken from a colour byte instead of alpha, white counted as black, bits
    // stored low byte first or mirrored, and a picture smaller than 16 x 16 read past its end.
    Quor_BaseImage picture;
    Make(&picture, 16, 16, [](int x, int y) -> uint32_t {
        if (y == 0 && x == 0)
            return Px(0, 0, 0);          // opaque black: mask and data
        if (y == 0 && x == 9)
            return Px(255, 255, 255);    // opaque white: mask only
        if (y == 3 && x == 15)
            return Px(0, 0, 0, 40);      // translucent black still counts as black
        if (y == 5 && x == 2)
            return Px(0, 0, 0, 0);       // transparent
        return Px(200, 100, 50, 0);      // coloured but transparent
    });
    Quor_Cursor cursor(&picture.Image(), 3, 4);
    ASSERT_TRUE(cursor.IsValid());
    // Rows 0 to 3 of the 16 two-byte rows; all rows below are empty.
    std::vector<uint8_t> mask(32, 0), data(32, 0);
    mask[0] = data[0] = 0x80;
    mask[1] = 0x40;
    mask[7] = data[7] = 0x01;
    EXPECT_EQ(std::vector<uint8_t>(cursor.Mask(), cursor.Mask() + 32), mask);
    EXPECT_EQ(std::vector<uint8_t>(cursor.Data(), cursor.Data() + 32), data);

    Quor_BaseImage small;
    Fill(&small, 15, 16, Px(0, 0, 0));
    EXPECT_FALSE(Quor_Cursor(&small.Image(), 0, 0).IsValid());
}

TEST(QuorCursor, BuiltInPicturesAreCompleteRecords)
{
    // Catches built-in data stored in the old form (rowBytes 0), which the blits refuse and
    // which would have to be corrected in place in read-only memory.
    for (const Quor_image* picture : {Quor_CursorImages::Wait(), Quor_CursorImages::IBeam()}) {
        EXPECT_EQ(picture->rowBytes, 64);
        Quor_BaseImage copy;
        Fill(&copy, 16, 16, Px(1, 2, 3));
        Quor_ImageOps::Blit(picture, &copy.Image(), 0, 0);
        EXPECT_EQ(std::memcmp(copy.Bits(), picture->bits, 16 * 64), 0);
        Quor_image record = *picture;
        Quor_ImageOps::CorrectBuiltin(&record);
        EXPECT_EQ(record.rowBytes, 64);
    }
}

class QuorCursorInWindow : public OneWindowTest {};

TEST_F(QuorCursorInWindow, MovesShowTheHoveredViewsCursorOrTheArrow)
{
    // Catches a cursor that stays after the pointer left its view, and one shown although the
    // application turned cursors off.
    ASSERT_NE(Quor_Cursor::iBeamCursor, nullptr);
    const uintptr_t beam = Quor_Cursor::iBeamCursor->PlatformCursor();
    ASSERT_NE(beam, 0u);
    ASSERT_NE(fHost.CursorData(beam), nullptr);
    EXPECT_EQ(fHost.CursorData(beam)[64], 7);

    Quor_Layer* layer = new Quor_Layer();
    layer->SetShape(100, 100);
    layer->AddChild(new CursorView(Quor_Cursor::iBeamCursor));
    MakeWindow(Quor_Rect(0, 60, 99, 159), false, layer);
    const uint32_t host = fHostId;
    fHost.PushMouse(host, Quor_HostEvent::kMouseMove, 10, 10);
    Pump();
    EXPECT_EQ(fHost.CurrentCursor(), beam);
    fHost.PushMouse(host, Quor_HostEvent::kMouseMove, 60, 60);
    Pump();
    EXPECT_EQ(fHost.CurrentCursor(), 0u);

    Quor_App::gDisableCursors = true;
    fHost.PushMouse(host, Quor_HostEvent::kMouseMove, 10, 10);
    Pump();
    Quor_App::gDisableCursors = false;
    EXPECT_EQ(fHost.CurrentCursor(), 0u);

    // A cursor freed while it shows leaves the arrow, not a handle to nothing; freeing another
    // leaves the one that shows.
    const uint8_t bits[32] = {};
    const uintptr_t a = fHost.CreateMonoCursor(bits, bits, 0, 0), b = fHost.CreateMonoCursor(bits, bits, 0, 0);
    fHost.SetCursor(a);
    fHost.FreeCursor(b);
    EXPECT_EQ(fHost.CurrentCursor(), a);
    fHost.FreeCursor(a);
    EXPECT_EQ(fHost.CurrentCursor(), 0u);
}
