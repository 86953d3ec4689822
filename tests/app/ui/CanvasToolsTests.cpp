// Tests of the canvas tools: picking, moving, turning, brightening, cropping, zooming, the keys
// and photos dropped from the list, each through the input a user gives.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/ui/canvas/CanvasCodes.h"
#include "app/ui/canvas/CanvasGuides.h"
#include "app/ui/canvas/CropLines.h"
#include "tests/app/ui/CanvasTestSupport.h"
#include "tests/support/TestFiles.h"
#include "toolkit/core/Quor_Message.h"
#include "toolkit/framework/Quor_FrameworkDefs.h"

namespace {

using canvas_test::Canvas;
using canvas_test::kPi;
using quor_test::kBlue;
using quor_test::kRed;

constexpr float kPitchLimit = CanvasTools::kPitchLimit;
// One pixel of the 400 x 200 horizontal spherical canvas at zoom 1, in radians, on either axis.
constexpr float kStep = kPi / 200;

Quor_Message PhotoDrop(const std::string& path, int rotation = 0)
{
    Quor_Message message(kMsgPhotoDrop);
    message.Set("path", path.c_str());
    message.Set("rotation", rotation);
    return message;
}

// A pick that prefers the later of two equally near photos, stops at a distance limit or forgets
// to clear the pivot of the previous photo changes which photo the next drag moves or turns about.
TEST(CanvasToolsTest, PressSelectsTheNearestPhotoWithTiesToTheLowerIndex)
{
    const struct {
        Quor_Point press;
        int selectedBefore, expected;
    } cases[] = {
        {{200, 100}, -1, 0},   // photos 0 and 1 are 32 pixels either side: the lower index wins
        {{168, 100}, 2, 0},    // photos 0 and 2 share a centre
        {{5000, 100}, -1, 1},  // far off the canvas: still the nearest
        {{200, 30}, 3, 3},     // the same photo again: the pivot stays
    };
    for (const auto& c : cases) {
        Canvas canvas(400, 200, ProjectionMap::kHorizontalSpherical);
        canvas_test::PlacePhoto(&canvas.doc, 0, 0.5f, 0.0f, kRed, kRed);
        canvas_test::PlacePhoto(&canvas.doc, 1, -0.5f, 0.0f, kRed, kRed);
        canvas_test::PlacePhoto(&canvas.doc, 2, 0.5f, 0.0f, kRed, kRed);
        canvas_test::PlacePhoto(&canvas.doc, 3, 0.0f, 1.0f, kRed, kRed);
        canvas.doc.fSelected = c.selectedBefore;
        canvas.doc.fPivot[0] = canvas.doc.fPivot[1] = 0.25f;
        canvas.tools.SetTool(kToolSelect);
        const CanvasResponse response = canvas.tools.MouseDown(c.press, QUOR_LEFT_BUTTON, 0);
        EXPECT_EQ(canvas.doc.fSelected, c.expected) << "press " << c.press.x << ", " << c.press.y;
        EXPECT_EQ(canvas.doc.fPivot[0] < 100000.0f, c.expected == c.selectedBefore);
        EXPECT_EQ(response.redraw, CanvasResponse::kFull);
        EXPECT_FALSE(canvas.doc.fModified);
    }
}

// A move that passes a pole folds the photo over the sphere, and one that stops at the seam (or
// leaves a yaw beyond pi) makes the seam of a full panorama impossible to line up; Shift locking the
// wrong axis on a diagonal, or snapping that ignores Command or the vertical type's horizon,
// puts the photo where the user did not drag it.
TEST(CanvasToolsTest, MoveWrapsAtTheSeamClampsAtThePolesLocksAndSnaps)
{
    const struct {
        const char* name;
        int type;
        float yaw, pitch;
        int dx, dy;
        unsigned modifiers;
        bool snap;
        float expectedYaw, expectedPitch;
    } cases[] = {
        {"past the pole", 1, 0.0f, 1.4f, 0, -20, 0, false, 0.0f, kPitchLimit},
        {"past pi", 1, 3.0f, 0.3f, -20, 0, 0, false, 3.0f + 20 * kStep - 2 * kPi, 0.3f},
        {"vertical type past -pi", 2, -3.0f, 0.3f, 0, -20, 0, false, -3.0f - 40 * kStep + 2 * kPi, 0.3f},
        {"shift, equal distances", 1, 0.2f, 0.2f, 10, 10, QUOR_SHIFT, false, 0.2f, 0.2f - 10 * kStep},
        {"shift, mostly across", 1, 0.2f, 0.2f, 12, 5, QUOR_SHIFT, false, 0.2f - 12 * kStep, 0.2f},
        {"snap to the horizon", 1, 0.0f, 0.3f, 0, 17, 0, true, 0.0f, 0.0f},
        {"command turns snapping off", 1, 0.0f, 0.3f, 0, 17, QUOR_COMMAND, true, 0.0f, 0.3f - 17 * kStep},
        {"command turns snapping on", 1, 0.0f, 0.3f, 0, 17, QUOR_COMMAND, false, 0.0f, 0.0f},
        {"shift before snapping", 1, 0.0f, 0.3f, 0, 17, QUOR_SHIFT, true, 0.0f, 0.3f - 17 * kStep},
        {"vertical type snaps yaw", 2, 0.3f, 0.03f, 0, -9, 0, true, 0.0f, 0.03f},
    };
    for (const auto& c : cases) {
        gSnapMode = c.snap;
        Canvas canvas(400, 200, c.type);
        canvas_test::PlacePhoto(&canvas.doc, 0, c.yaw, c.pitch, kRed, kRed);
        const Quor_Point centre = canvas.PixelOf(c.yaw, c.pitch);
        // Measured from the press, not from where the photo's centre is.
        const Quor_Point press(centre.x + 3, centre.y - 2);
        canvas.Drag(kToolMove, press, Quor_Point(press.x + c.dx, press.y + c.dy), c.modifiers);
        EXPECT_NEAR(canvas.doc.fYaw[0], c.expectedYaw, 2e-4f) << c.name;
        EXPECT_NEAR(canvas.doc.fPitch[0], c.expectedPitch, 2e-4f) << c.name;
        EXPECT_TRUE(canvas.doc.fModified) << c.name;
        EXPECT_TRUE(canvas.doc.CanUndo()) << c.name;
    }
    gSnapMode = false;
}

// Turns that drift off a quarter turn when snapping, a snap window that a drag away from upright
// cannot leave, no way to make a small turn with Snap on (Ctrl held after the press turns freely;
// Ctrl at the press sets the pivot), or a pivot that the photo does not circle, make straight
// horizons impossible to set; a photo carried round a far pivot past the canvas's edge that
// leaves the sphere (a yaw beyond pi, a pitch beyond the poles) cannot be drawn or moved again.
TEST(CanvasToolsTest, RotateSnapsNearQuarterTurnsOnlyAndCirclesThePivot)
{
    // The canvas is 400 pixels wide: a drag of -40 pixels turns by 0.1 radian.
    const struct {
        bool snap;
        int firstDx;            // a move before the last one, 0 for none
        int dx;
        unsigned moveModifiers;
        float expected;
    } turns[] = {
        {true, 0, -20, 0, 0.0f},                       // within 0.1 of upright: snaps
        {true, -20, -60, 0, 0.15f},                    // dragged on, past the window: leaves it
        {true, 0, -20, QUOR_COMMAND, 0.05f},           // Ctrl after the press: a small turn
        {true, 0, -600, 0, kPi / 2},
        {true, 0, -560, 0, 1.4f},
        {true, 0, 620, 0, -kPi / 2},
        {true, 0, -1256, 0, kPi},
        {false, 0, -600, 0, 1.5f},
        {false, 0, -600, QUOR_COMMAND, kPi / 2},        // Ctrl after the press snaps when Snap is off
    };
    for (const auto& t : turns) {
        gSnapMode = t.snap;
        Canvas canvas(400, 200, ProjectionMap::kHorizontalSpherical);
        canvas_test::PlacePhoto(&canvas.doc, 0, 0.0f, 0.0f, kRed, kRed);
        canvas.tools.SetTool(kToolRotate);
        canvas.tools.MouseDown(Quor_Point(200, 100), QUOR_LEFT_BUTTON, 0);
        if (t.firstDx != 0)
            canvas.tools.MouseMove(Quor_Point(200 + t.firstDx, 140), t.moveModifiers);
        canvas.tools.MouseMove(Quor_Point(200 + t.dx, 140), t.moveModifiers);
        EXPECT_NEAR(canvas.doc.fRoll[0], t.expected, 1e-5f) << "snap " << t.snap << ", dx " << t.dx;
        EXPECT_FLOAT_EQ(canvas.doc.fYaw[0], 0.0f);
    }
    gSnapMode = false;

    // Command-click at the centre sets the pivot (no drag, no undo point); a quarter turn then
    // carries the photo at yaw 0.5 from the left of the pivot to below it.
    Canvas canvas(400, 200, ProjectionMap::kHorizontalSpherical);
    canvas_test::PlacePhoto(&canvas.doc, 0, 0.5f, 0.0f, kRed, kRed);
    canvas.doc.fSelected = 0;
    canvas.tools.SetTool(kToolRotate);
    canvas.tools.MouseDown(Quor_Point(200, 100), QUOR_LEFT_BUTTON, QUOR_COMMAND);
    EXPECT_FALSE(canvas.tools.Dragging());
    EXPECT_FALSE(canvas.doc.CanUndo());
    EXPECT_FLOAT_EQ(canvas.doc.fPivot[0], 0.0f);
    EXPECT_FLOAT_EQ(canvas.doc.fPivot[1], 0.0f);
    canvas.tools.MouseUp(Quor_Point(200, 100), QUOR_LEFT_BUTTON, QUOR_COMMAND);
    canvas.Drag(kToolRotate, Quor_Point(160, 100), Quor_Point(160 - 628, 100));
    EXPECT_EQ(canvas.doc.fSelected, 0);
    EXPECT_NEAR(canvas.doc.fRoll[0], 1.57f, 1e-5f);
    EXPECT_NEAR(canvas.doc.fYaw[0], 0.0f, 2e-3f);
    EXPECT_NEAR(canvas.doc.fPitch[0], -0.5f, 2e-3f);

    // From yaw 3 a quarter turn about the centre would put the photo at pitch -3; a half turn
    // from pitch 1.2 about a pivot low on the canvas, at pitch -2.6.
    const struct {
        float yaw, pitch, pivotPitch;
        int dx;
    } far[] = {{3.0f, 0.0f, 0.0f, -628}, {3.0f, 0.0f, 0.0f, 628}, {0.5f, 1.2f, -0.7f, -1256}};
    for (const auto& f : far) {
        Canvas wide(400, 200, ProjectionMap::kHorizontalSpherical);
        canvas_test::PlacePhoto(&wide.doc, 0, f.yaw, f.pitch, kRed, kRed);
        wide.doc.fSelected = 0;
        wide.doc.fPivot[0] = 0.0f;
        wide.doc.fPivot[1] = f.pivotPitch;
        wide.Drag(kToolRotate, Quor_Point(200, 100), Quor_Point(200 + f.dx, 100));
        EXPECT_LE(std::fabs(wide.doc.fYaw[0]), kPi) << "dx " << f.dx;
        EXPECT_LE(std::fabs(wide.doc.fPitch[0]), CanvasTools::kPitchLimit) << "dx " << f.dx;
    }
}

// A brightness drag that works from the already brightened pixels compounds the factor, and one
// without a floor turns the photo black for good (0 leaves it unbrightened on reload); one
// without a ceiling multiplies the factor drag after drag until it is infinite, and a project
// that holds an infinite brightness is saved but never opens again.
TEST(CanvasToolsTest, BrightnessWorksFromTheUnbrightenedPhotoAndStopsAtTheFloor)
{
    quor_test::ScratchDir scratch;
    app_test::MakePhoto(scratch.File("grey.png"), 40, 30, rgb_color{100, 50, 20, 255}, rgb_color{100, 50, 20, 255});
    const struct {
        float start;
        int dx;
        float expected;
        int red;
    } cases[] = {{1.0f, 200, 1.5f, 150},
                 {2.0f, -200, 1.0f, 100},
                 {1.0f, -100000, 0.01f, 1},
                 {900.0f, 200, CanvasTools::kMaxBrightness, 255},
                 {1e37f, 100000, CanvasTools::kMaxBrightness, 255}};
    for (const auto& c : cases) {
        Canvas canvas(400, 200, ProjectionMap::kHorizontalSpherical);
        canvas.doc.fNumPhotos = 1;
        canvas.doc.fPhotoPath[0] = scratch.File("grey.png").c_str();
        canvas.doc.fBrightness[0] = c.start;
        ASSERT_EQ(canvas.doc.UpdatePhoto(0, kPreviewSize), 0);
        canvas.Drag(kToolBrightness, Quor_Point(200, 100), Quor_Point(200 + c.dx, 100));
        EXPECT_NEAR(canvas.doc.fBrightness[0], c.expected, 1e-5f) << "dx " << c.dx;
        EXPECT_EQ(quor_test::PixelAt(canvas.doc.fPhotoImage[0], 5, 5).red, c.red) << "dx " << c.dx;
        canvas.tools.MouseUp(Quor_Point(200 + c.dx, 100), QUOR_LEFT_BUTTON, 0);
        // A second drag starts from the factor the first one left.
        canvas.Drag(kToolBrightness, Quor_Point(200, 100), Quor_Point(200, 100));
        EXPECT_NEAR(canvas.doc.fBrightness[0], c.expected, 1e-5f) << "dx " << c.dx;
    }
}

// A crop line picked on the wrong axis, or dragged past its opposite line or beyond what the
// projection can show, gives an export of no width or of nothing.
TEST(CanvasToolsTest, CropLinesArePickedPerAxisAndStopShortOfEachOther)
{
    const struct {
        int type;
        Quor_Point where;
        int expected;
    } picks[] = {
        {1, {47, 100}, 0}, {1, {48, 100}, -1}, {1, {200, 14}, 1}, {1, {355, 100}, 2}, {1, {200, 187}, 3},
        {1, {40, 20}, 0},  // a corner: the first line tested wins
        {2, {160, 100}, 1}, {2, {200, 22}, 2}, {2, {240, 100}, 3}, {2, {200, 178}, 0}, {2, {165, 178}, 1},
    };
    for (const auto& p : picks) {
        Canvas canvas(400, 200, p.type, 0.8f);
        EXPECT_EQ(canvas.tools.PickCropLine(p.where), p.expected) << "type " << p.type << " at " << p.where.x << ", " << p.where.y;
    }

    // Each line goes where it is put when that is inside its range; min and max swapped on one
    // line would pin it to its opposite line.
    for (int line = 0; line < 4; line++) {
        float crop[4] = {1.0f, -1.0f, 0.5f, -0.5f};
        const float to[4] = {0.8f, 0.3f, -0.8f, -0.3f};
        const int index[4] = {0, 2, 1, 3};
        CropLines::Move(crop, line, to[line], 1);
        EXPECT_FLOAT_EQ(crop[index[line]], to[line]) << "line " << line;
    }

    const float kSeventy = 1.2217306f;
    const struct {
        const char* name;
        int type;
        int line;
        Quor_Point to;
        int index;
        float expected;
    } drags[] = {
        {"perspective, across the opposite line", 0, 0, {399, 100}, 0, -1.0f + 0.1f},
        {"perspective, beyond 70 degrees", 0, 2, {399, 100}, 1, -kSeventy},
        {"spherical, bottom line to the top", 1, 3, {200, 0}, 3, kPi / 2 - 0.1f},
        {"flat, beyond its range", 4, 0, {399, 100}, 0, 1.0f},
    };
    for (const auto& d : drags) {
        Canvas canvas(400, 200, d.type, 0.7f);
        canvas.doc.fCrop[0] = std::min(canvas.doc.fCrop[0], 1.0f);
        canvas.doc.fCrop[1] = std::max(canvas.doc.fCrop[1], -1.0f);
        const float* crop = canvas.doc.fCrop;
        const Quor_Point line = d.line == 0 ? canvas.PixelOf(crop[0], 0) : d.line == 1 ? canvas.PixelOf(0, crop[2])
                                : d.line == 2 ? canvas.PixelOf(crop[1], 0) : canvas.PixelOf(0, crop[3]);
        const Quor_Point press(line.x, line.y);
        canvas.Drag(kToolCrop, press, d.to);
        EXPECT_EQ(canvas.tools.CropLine(), d.line) << d.name;
        EXPECT_NEAR(canvas.doc.fCrop[d.index], d.expected, 1e-5f) << d.name;
        EXPECT_TRUE(canvas.doc.fModified) << d.name;
    }
}

// An unbounded zoom overflows every pixel position (a free-spinning wheel reaches 1e7 in 90
// notches); a wheel step of the wrong direction or size makes zooming unusable.
TEST(CanvasToolsTest, WheelAndZoomDragStayWithinTheZoomBounds)
{
    const struct {
        int steps;
        float delta;
        float expected;
    } wheels[] = {{1, 1.0f, 0.8f}, {1, -1.0f, 1.2f}, {1, 3.0f, 0.8f}, {200, 1.0f, 0.01f}, {200, -1.0f, 1000.0f}};
    for (const auto& w : wheels) {
        Canvas canvas(400, 200, ProjectionMap::kHorizontalSpherical);
        for (int i = 0; i < w.steps; i++)
            EXPECT_EQ(canvas.tools.MouseWheel(w.delta, Quor_Point(10, 10), 0).redraw, CanvasResponse::kFull);
        EXPECT_NEAR(canvas.painter.CanvasProjection().Zoom(), w.expected, w.expected * 1e-5f) << w.steps << " x " << w.delta;
        canvas.Redraw();
    }
    // The wheel zooms toward the pointer: the direction under it stays under it, to the pixel.
    for (const Quor_Point at : {Quor_Point(300, 60), Quor_Point(17, 190)}) {
        Canvas canvas(400, 200, ProjectionMap::kHorizontalSpherical);
        float yaw, pitch;
        canvas.painter.CanvasProjection().PointToAngles(at, yaw, pitch);
        for (float delta : {-1.0f, -1.0f, -1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f}) {
            canvas.tools.MouseWheel(delta, at, 0);
            Quor_Point now;
            canvas.painter.CanvasProjection().AnglesToPoint(yaw, pitch, now);
            EXPECT_LE(std::abs(now.x - at.x) + std::abs(now.y - at.y), 1)
                << "at " << at.x << "," << at.y << " shown at " << now.x << "," << now.y;
        }
    }

    const struct {
        int dx;
        unsigned button, modifiers;
        float expected;
    } drags[] = {{400, QUOR_LEFT_BUTTON, 0, 4.0f}, {-200, QUOR_LEFT_BUTTON, 0, 0.25f}, {-800, QUOR_LEFT_BUTTON, 0, 0.01f},
                 {1000000, QUOR_LEFT_BUTTON, 0, 1000.0f}, {400, QUOR_RIGHT_BUTTON, QUOR_SHIFT, 4.0f}};
    for (const auto& d : drags) {
        Canvas canvas(400, 200, ProjectionMap::kHorizontalSpherical);
        // The right button zooms with Shift whatever the tool.
        canvas.tools.SetTool(d.button == QUOR_RIGHT_BUTTON ? kToolMove : kToolZoom);
        canvas.tools.MouseDown(Quor_Point(100, 100), d.button, d.modifiers);
        canvas.tools.MouseMove(Quor_Point(100 + d.dx, 100), d.modifiers);
        EXPECT_NEAR(canvas.painter.CanvasProjection().Zoom(), d.expected, d.expected * 1e-5f) << "dx " << d.dx;
    }
}

// A drop that places the first photo off-centre, ignores the list's rotation, takes a 65th photo,
// saves a path the project cannot read back, or leaves the selection on a photo that failed to
// load (so that Delete removes another one) damages the project. A Delete that shifts the values
// but not the pixels shows the later photo with its neighbour's image; one that keeps the
// selection or the pivot aims the next command at the wrong photo.
TEST(CanvasToolsTest, DroppedPhotosAreAddedPlacedOrRefused)
{
    quor_test::ScratchDir scratch;
    app_test::MakePhoto(scratch.File("a.png"), 40, 30, kRed, kRed);
    app_test::MakePhoto(scratch.File("b.png"), 40, 30, kBlue, kBlue);

    Canvas canvas(400, 200, ProjectionMap::kHorizontalSpherical);
    Quor_Message first = PhotoDrop(scratch.File("a.png"), 90);
    CanvasResponse response = canvas.tools.MessageDrop(&first, Quor_Point(30, 30));
    ASSERT_EQ(canvas.doc.fNumPhotos, 1);
    EXPECT_EQ(canvas.doc.fYaw[0], 0.0f);
    EXPECT_EQ(canvas.doc.fPitch[0], 0.0f);
    EXPECT_FLOAT_EQ(canvas.doc.fRoll[0], -kPi / 2);
    EXPECT_EQ(canvas.doc.fSelected, 0);
    EXPECT_TRUE(canvas.doc.fModified);
    EXPECT_EQ(response.redraw, CanvasResponse::kFull);
    ASSERT_EQ(response.messageCount, 2);
    EXPECT_EQ(response.messages[0], kMsgUpdateTools);
    EXPECT_EQ(response.messages[1], kToolMove);

    Quor_Message second = PhotoDrop(scratch.File("b.png"));
    canvas.tools.MessageDrop(&second, Quor_Point(100, 150));
    ASSERT_EQ(canvas.doc.fNumPhotos, 2);
    EXPECT_NEAR(canvas.doc.fYaw[1], kPi / 2, 1e-5f);
    EXPECT_NEAR(canvas.doc.fPitch[1], -50 * kStep, 1e-5f);
    EXPECT_EQ(canvas.doc.fSelected, 1);

    canvas.doc.fSelected = 0;
    canvas.doc.fPivot[0] = canvas.doc.fPivot[1] = 0.0f;
    canvas.doc.fModified = false;
    const float secondYaw = canvas.doc.fYaw[1];
    EXPECT_EQ(canvas.tools.KeyDown(QUOR_KEY_BACKSPACE, 0).redraw, CanvasResponse::kFull);
    ASSERT_EQ(canvas.doc.fNumPhotos, 1);
    EXPECT_FLOAT_EQ(canvas.doc.fYaw[0], secondYaw);
    EXPECT_STREQ(canvas.doc.fPhotoPath[0], scratch.File("b.png").c_str());
    EXPECT_TRUE(quor_test::Near(quor_test::PixelAt(canvas.doc.fPhotoImage[0], 3, 3), kBlue, 0));
    EXPECT_EQ(canvas.doc.fSelected, -1);
    EXPECT_GE(canvas.doc.fPivot[0], 100000.0f);
    EXPECT_TRUE(canvas.doc.fModified);
    canvas.doc.Undo();
    ASSERT_EQ(canvas.doc.fNumPhotos, 2);

    const struct {
        const char* name;
        Quor_Message message;
        const char* alert;
    } refused[] = {
        {"quote in the path", PhotoDrop(scratch.File("say \"cheese\".png")), CanvasTools::kQuoteAlert},
        {"unreadable file", PhotoDrop(scratch.File("missing.png")), nullptr},
        {"another message", Quor_Message(1071), nullptr},
    };
    auto undoPoint = [&canvas] {
        const UndoHistory& history = canvas.doc.History();
        return std::to_string(history.CountUndo()) + history.UndoLabel() + std::to_string(history.Bytes()) +
               (history.IsOpen() ? " open" : "");
    };
    for (const auto& r : refused) {
        // The undo point of a move must survive a drop that adds nothing.
        const Quor_Point at = canvas.PixelOf(canvas.doc.fYaw[1], canvas.doc.fPitch[1]);
        canvas.Drag(kToolMove, at, Quor_Point(at.x + 15, at.y + 5));
        canvas.tools.MouseUp(Quor_Point(at.x + 15, at.y + 5), QUOR_LEFT_BUTTON, 0);
        const std::string before = undoPoint();
        canvas.doc.fModified = false;
        canvas.doc.fSelected = 1;
        response = canvas.tools.MessageDrop(&r.message, Quor_Point(300, 100));
        EXPECT_EQ(canvas.doc.fNumPhotos, 2) << r.name;
        EXPECT_EQ(undoPoint(), before) << r.name;
        EXPECT_STREQ(response.alert, r.alert) << r.name;
        EXPECT_FALSE(canvas.doc.fModified) << r.name;
        EXPECT_EQ(response.messageCount, 2) << r.name;
        EXPECT_EQ(canvas.doc.fSelected, 1) << r.name;
        // Delete removes the photo the drop left selected.
        canvas.tools.KeyDown(QUOR_KEY_DELETE, 0);
        EXPECT_EQ(canvas.doc.fNumPhotos, 1) << r.name;
        canvas.doc.fNumPhotos = 2;
    }

    canvas.doc.fNumPhotos = kMaxPhotos;
    canvas.tools.MessageDrop(&second, Quor_Point(100, 150));
    EXPECT_EQ(canvas.doc.fNumPhotos, kMaxPhotos);
}

// An arrow-key nudge that leaves the modified flag clear is lost at Quit without a prompt; one
// that moves by more than a pixel or stops at the seam, or acts without a selection, misplaces the photo; one from
// where the projection cannot show the photo's centre (beyond perspective's limit, on or past the
// fisheye rim) throws the photo to the clamp.
TEST(CanvasToolsTest, ArrowKeysMoveTheSelectedPhotoOnePixelAndMarkTheDocument)
{
    const struct {
        int type;
        float yaw, pitch;
    } unshown[] = {
        {ProjectionMap::kPerspective, 1.5f, 0.0f},
        {ProjectionMap::kPerspective, 0.2f, -2.5f},
        {ProjectionMap::kFisheye, 1.5707f, 0.0f},
        {ProjectionMap::kFisheye, 2.5f, 0.0f},
    };
    for (const auto& u : unshown) {
        // The fisheye disc has a radius of 120 pixels: a pixel from its rim lies outside.
        Canvas canvas(300, 300, u.type, 0.8f);
        canvas_test::PlacePhoto(&canvas.doc, 0, u.yaw, u.pitch, kRed, kRed);
        canvas.doc.fSelected = 0;
        for (int key : {QUOR_KEY_LEFT, QUOR_KEY_RIGHT, QUOR_KEY_UP, QUOR_KEY_DOWN})
            EXPECT_EQ(canvas.tools.KeyDown(key, 0).redraw, CanvasResponse::kNone);
        EXPECT_EQ(canvas.doc.fYaw[0], u.yaw) << "type " << u.type;
        EXPECT_EQ(canvas.doc.fPitch[0], u.pitch) << "type " << u.type;
        EXPECT_FALSE(canvas.doc.fModified);
    }

    const struct {
        int key, dx, dy;
    } keys[] = {{QUOR_KEY_LEFT, -1, 0}, {QUOR_KEY_RIGHT, 1, 0}, {QUOR_KEY_UP, 0, -1}, {QUOR_KEY_DOWN, 0, 1}};
    for (const auto& k : keys) {
        Canvas canvas(400, 200, ProjectionMap::kHorizontalSpherical);
        canvas_test::PlacePhoto(&canvas.doc, 0, 0.3f, 0.2f, kRed, kRed);
        EXPECT_EQ(canvas.tools.KeyDown(k.key, 0).redraw, CanvasResponse::kNone);
        EXPECT_FALSE(canvas.doc.fModified);
        canvas.doc.fSelected = 0;
        const Quor_Point before = canvas.PixelOf(0.3f, 0.2f);
        EXPECT_EQ(canvas.tools.KeyDown(k.key, 0).redraw, CanvasResponse::kPartial);
        EXPECT_EQ(canvas.PixelOf(canvas.doc.fYaw[0], canvas.doc.fPitch[0]), Quor_Point(before.x + k.dx, before.y + k.dy));
        EXPECT_TRUE(canvas.doc.fModified);
        EXPECT_TRUE(canvas.doc.CanUndo());
    }

    // From the left edge of a full sphere one pixel further left is the right edge's last pixel.
    Canvas seam(400, 200, ProjectionMap::kHorizontalSpherical);
    canvas_test::PlacePhoto(&seam.doc, 0, kPi, 0.2f, kRed, kRed);
    seam.doc.fSelected = 0;
    EXPECT_EQ(seam.tools.KeyDown(QUOR_KEY_LEFT, 0).redraw, CanvasResponse::kPartial);
    EXPECT_LE(std::fabs(seam.doc.fYaw[0]), kPi);
    EXPECT_EQ(seam.PixelOf(seam.doc.fYaw[0], seam.doc.fPitch[0]).x, 399);
}

// In fisheye every point outside the disc maps to a pair outside the sphere: used as a position
// it throws the photo to the back pole, a crop line to its limit, a drop to the far side.
TEST(CanvasToolsTest, FisheyeIgnoresPointsOutsideTheDisc)
{
    // The disc has a radius of 120 pixels about (150, 150).
    Canvas canvas(300, 300, ProjectionMap::kFisheye, 0.8f);
    canvas_test::PlacePhoto(&canvas.doc, 0, 0.0f, 0.0f, kRed, kRed);
    canvas.Drag(kToolMove, Quor_Point(150, 150), Quor_Point(210, 150));
    const float yaw = canvas.doc.fYaw[0], pitch = canvas.doc.fPitch[0];
    EXPECT_NEAR(yaw, -std::asin(0.5f), 1e-3f);
    canvas.tools.MouseMove(Quor_Point(150 + 144, 150), 0);
    EXPECT_EQ(canvas.doc.fYaw[0], yaw);
    EXPECT_EQ(canvas.doc.fPitch[0], pitch);
    canvas.tools.MouseUp(Quor_Point(294, 150), QUOR_LEFT_BUTTON, 0);

    // A crop line on the rim can be dragged inwards; beyond the disc it stays.
    canvas.Drag(kToolCrop, Quor_Point(270, 150), Quor_Point(230, 150));
    EXPECT_EQ(canvas.tools.CropLine(), 2);
    const float inward = canvas.doc.fCrop[1];
    EXPECT_GT(inward, -kPi / 2);
    canvas.tools.MouseMove(Quor_Point(299, 299), 0);
    EXPECT_EQ(canvas.doc.fCrop[1], inward);
    canvas.tools.MouseUp(Quor_Point(299, 299), QUOR_LEFT_BUTTON, 0);

    // A Command-click outside the disc sets no pivot.
    canvas.doc.fSelected = 0;
    canvas.tools.SetTool(kToolRotate);
    canvas.tools.MouseDown(Quor_Point(290, 290), QUOR_LEFT_BUTTON, QUOR_COMMAND);
    EXPECT_GE(canvas.doc.fPivot[0], 100000.0f);

    // A drop outside the disc lands on its edge, on the side it was dropped.
    quor_test::ScratchDir scratch;
    app_test::MakePhoto(scratch.File("a.png"), 40, 30, kBlue, kBlue);
    Quor_Message drop = PhotoDrop(scratch.File("a.png"));
    canvas.tools.MessageDrop(&drop, Quor_Point(299, 150));
    ASSERT_EQ(canvas.doc.fNumPhotos, 2);
    EXPECT_NEAR(canvas.doc.fYaw[1], -std::asin(0.989f), 1e-3f);
    EXPECT_NEAR(canvas.doc.fPitch[1], 0.0f, 1e-3f);
}

}  // namespace
