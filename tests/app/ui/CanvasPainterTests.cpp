// Tests of the canvas drawing: the photo mesh through every projection, the fill modes of the
// selected photo, the overlays, the per-pixel preview and the pause while an export runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/core/PanoramaSampler.h"
#include "app/ui/canvas/CanvasCodes.h"
#include "app/ui/canvas/CanvasGuides.h"
#include "app/ui/canvas/PhotoMesh.h"
#include "tests/app/ui/CanvasTestSupport.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/TestFiles.h"
#include "toolkit/core/Quor_Message.h"
#include "toolkit/framework/Quor_FrameworkDefs.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/imaging/fonts/Quor_Font.h"

namespace {

using canvas_test::Canvas;
using canvas_test::kPi;
using quor_test::Near;
using quor_test::PixelAt;

const rgb_color kOrange{240, 150, 40, 255};
const rgb_color kPlum{100, 50, 150, 255};
const rgb_color kBrick{200, 100, 50, 255};

// The scene of the golden pictures: three photos of different shapes, colours and turns (the
// last one selected), and a fourth whose image failed to load.
void ArrangeScene(PanomerDoc* doc)
{
    doc->fFocalLength = 16.0f;
    canvas_test::PlacePhoto(doc, 0, 0.6f, 0.1f, rgb_color{220, 40, 40, 255}, rgb_color{240, 200, 40, 255});
    canvas_test::PlacePhoto(doc, 1, 0.0f, -0.1f, rgb_color{40, 60, 220, 255}, rgb_color{60, 220, 220, 255});
    doc->fRoll[1] = 0.3f;
    canvas_test::PlacePhoto(doc, 2, -0.6f, 0.2f, rgb_color{40, 180, 60, 255}, rgb_color{250, 250, 250, 255}, 48, 64);
    doc->fYaw[3] = 1.5f;
    doc->fPitch[3] = -0.5f;
    doc->fNumPhotos = 4;
    doc->fSelected = 2;
}

// Draws into band k (160 x 100) of the picture.
struct Band {
    Quor_image image;
    PanomerDoc doc;
    std::unique_ptr<CanvasPainter> painter;

    Band(const Quor_BaseImage& picture, int k, int type)
    {
        EXPECT_EQ(picture.FillImage(&image, Quor_Rect(0, 100 * k, 159, 100 * k + 99)), 0);
        doc.fProjectionType = type;
        PanomerDoc::DefaultCrop(type, doc.fCrop);
        ArrangeScene(&doc);
        painter = std::make_unique<CanvasPainter>(&doc);
        painter->CanvasProjection().SetProjectionType(type);
    }
    void Draw()
    {
        painter->InitBackground(&image);
    }
};

// A corner unwrapped on the wrong side, a roll or pitch turned the wrong way, a missing quarter
// turn of the vertical type, a selected photo drawn into the cache or with the wrong fill, or
// guides in the wrong place show every arrangement wrongly: each projection's canvas, then half
// blend, difference and the brightness tool's copy with the guides, checked against references
// that were looked at.
TEST(CanvasPainterTest, ProjectionsModesAndGuidesMatchTheReferencePictures)
{
    Quor_BaseImage projections, modes;
    ASSERT_EQ(projections.Initialize(160, 500, 32), 0);
    ASSERT_EQ(modes.Initialize(160, 300, 32), 0);
    for (int type = 0; type < 5; type++)
        Band(projections, type, type).Draw();
    for (int k = 0; k < 3; k++) {
        Band band(modes, k, ProjectionMap::kHorizontalSpherical);
        band.doc.fYaw[1] = -0.35f;
        gDifferenceMode = k == 1;
        gCrosshairGuide = gHorizonGuide = k == 2;
        band.painter->SetTool(k == 2 ? kToolBrightness : kToolMove);
        band.painter->SetMousePoint(Quor_Point(30, 70));
        band.doc.fPivot[0] = -0.3f;
        band.doc.fPivot[1] = k == 2 ? -0.5f : 1e6f;
        band.Draw();
    }
    gDifferenceMode = gCrosshairGuide = gHorizonGuide = false;
    EXPECT_GOLDEN(projections.Image(), "tests/app/ui/golden/projections.png", 0);
    EXPECT_GOLDEN(modes.Image(), "tests/app/ui/golden/modes.png", 0);
}

// An empty canvas without its hint leaves a new user with nothing to do.
TEST(CanvasPainterTest, EmptyCanvasShowsTheHintAndTheBounds)
{
    std::unique_ptr<Quor_Font> font(Quor_Font::GetBitmapFontEmbedded(1));
    ASSERT_NE(font, nullptr);
    PanomerDoc doc;
    CanvasPainter painter(&doc);
    painter.SetHintFont(font.get());
    Quor_BaseImage view;
    ASSERT_EQ(view.Initialize(480, 160, 32), 0);
    painter.InitBackground(&view.Image());
    EXPECT_GOLDEN(view.Image(), "tests/app/ui/golden/empty.png", 0);
}

// Fills that do not take the texel where nothing is drawn, average the wrong way, or difference
// without forcing the alpha make the alignment aids lie; the brightness tool must show the
// selected photo as it is and in document order, under the photos that follow it.
TEST(CanvasPainterTest, SelectedPhotoFillsFollowTheModeAndTheTool)
{
    const struct {
        const char* name;
        bool difference;
        int tool;
        int selected;
        rgb_color expected;
    } cases[] = {
        {"half blend", false, kToolMove, 1, {150, 75, 100, 254}},
        {"difference", true, kToolMove, 1, {100, 50, 100, 255}},
        {"brightness tool, later photo selected", true, kToolBrightness, 1, kPlum},
        {"brightness tool, earlier photo selected", true, kToolBrightness, 0, kPlum},
        {"difference of matching photos", true, kToolMove, 2, {0, 0, 0, 255}},
    };
    for (const auto& c : cases) {
        Canvas canvas(200, 100, ProjectionMap::kHorizontalSpherical);
        canvas_test::PlacePhoto(&canvas.doc, 0, 0.0f, 0.0f, kBrick, kBrick);
        canvas_test::PlacePhoto(&canvas.doc, 1, 0.0f, 0.0f, kPlum, kPlum);
        if (c.selected == 2) {
            canvas_test::PlacePhoto(&canvas.doc, 1, 0.0f, 0.0f, kBrick, kBrick);
            canvas_test::PlacePhoto(&canvas.doc, 2, 2.0f, 0.0f, kBrick, kBrick);
            canvas.doc.fSelected = 1;
        } else {
            canvas.doc.fSelected = c.selected;
        }
        gDifferenceMode = c.difference;
        canvas.painter.SetTool(c.tool);
        canvas.Redraw();
        EXPECT_TRUE(Near(PixelAt(canvas.view, 106, 56), c.expected, 0, true))
            << c.name << ": " << quor_test::Text(PixelAt(canvas.view, 106, 56));
        if (c.selected == 2) {
            // Where nothing lies below, the difference shows the photo's own colours.
            canvas.doc.fSelected = 2;
            canvas.Redraw();
            const Quor_Point p = canvas.PixelOf(2.0f, 0.0f);
            EXPECT_TRUE(Near(PixelAt(canvas.view, p.x, p.y + 8), kBrick, 0, true)) << c.name;
        }
    }
    gDifferenceMode = false;
}

// A photo across the +-pi seam drawn on one side only leaves a blank wedge at the other edge that
// the export fills; one whose triangles are not unwrapped stretches across the whole canvas. In
// every projection whose longitude wraps, the canvas must cover what the per-pixel render covers,
// at both edges and nowhere between; the horizontal type's picture was looked at.
TEST(CanvasPainterTest, PhotosAcrossTheSeamShowAtBothEdgesAsTheExportRendersThem)
{
    const struct {
        int type;
        float zoom;
        float yaw;
    } cases[] = {
        {ProjectionMap::kHorizontalSpherical, 1.0f, kPi * 179 / 180},
        {ProjectionMap::kHorizontalSpherical, 1.0f, -kPi + 0.05f},
        {ProjectionMap::kVerticalSpherical, 1.0f, kPi * 179 / 180},
        {ProjectionMap::kFlat, 2.0f / kPi, -kPi * 178 / 180},
    };
    for (const auto& c : cases) {
        Canvas canvas(400, 200, c.type, c.zoom);
        canvas_test::PlacePhoto(&canvas.doc, 0, c.yaw, 0.2f, kBrick, kPlum);
        canvas.doc.fFocalLength = 16.0f;
        canvas.Redraw();
        if (&c == &cases[0])
            EXPECT_GOLDEN(canvas.view.Image(), "tests/app/ui/golden/seam.png", 0);
        PanoramaSampler sampler;
        ASSERT_EQ(sampler.Setup(canvas.doc, canvas.Map(), PanoramaSampler::kPreviewRamp), 0);
        std::vector<uint8_t> rendered(400 * 200);
        std::vector<uint32_t> row(400);
        for (int y = 0; y < 200; y++) {
            sampler.RenderBlendedRow(y, row.data(), 0);
            for (int x = 0; x < 400; x++)
                rendered[size_t(y * 400 + x)] = (row[size_t(x)] & 0xFF) != 0;
        }
        // The mesh's straight cell edges may stray from the exact outline by up to two pixels:
        // only pixels whose neighbours that far all agree with them must agree on the canvas.
        const auto settled = [&](int x, int y) {
            for (int dy = -2; dy <= 2; dy++)
                for (int dx = -2; dx <= 2; dx++) {
                    const int nx = std::clamp(x + dx, 0, 399);
                    const int ny = std::clamp(y + dy, 0, 199);
                    if (rendered[size_t(ny * 400 + nx)] != rendered[size_t(y * 400 + x)])
                        return false;
                }
            return true;
        };
        int covered = 0;
        int differ = 0;
        int low = 0;
        int high = 0;
        const bool across = c.type != ProjectionMap::kVerticalSpherical;
        for (int y = 0; y < 200; y++)
            for (int x = 0; x < 400; x++) {
                // The photos without the markers and bounds drawn over them.
                const rgb_color shown = PixelAt(canvas.painter.BackImage(), x, y);
                const bool drawn = Near(shown, kBrick, 0) || Near(shown, kPlum, 0);
                const bool inside = rendered[size_t(y * 400 + x)] != 0;
                covered += inside;
                differ += drawn != inside && settled(x, y);
                if (drawn)
                    ((across ? x < 200 : y < 100) ? low : high)++;
            }
        EXPECT_GT(covered, 1500) << "type " << c.type;
        EXPECT_EQ(differ, 0) << "type " << c.type << " yaw " << c.yaw;
        EXPECT_GT(low, 500) << "type " << c.type << " yaw " << c.yaw;
        EXPECT_GT(high, 500) << "type " << c.type << " yaw " << c.yaw;
    }
}

// A preview that cannot be stopped, stops on the click that started it, or leaves the canvas
// showing half a preview traps the user; one that leaves progress rows behind shows red stripes,
// and one that puts a row rendered ahead in the wrong place shows the panorama torn.
TEST(CanvasPainterTest, PreviewRendersEveryRowAndStopsFromTheSixthPass)
{
    Canvas canvas(160, 101, ProjectionMap::kHorizontalSpherical);
    ArrangeScene(&canvas.doc);
    canvas.Redraw();
    const std::vector<uint8_t> drawn(canvas.view.Bits(), canvas.view.Bits() + 160 * 4 * 101);

    int refreshes = 0;
    int refreshesAtFirstQuery = -1;
    auto buttonDown = [&]() {
        if (refreshesAtFirstQuery < 0)
            refreshesAtFirstQuery = refreshes;
        return true;
    };
    EXPECT_EQ(canvas.painter.Preview(buttonDown, [&]() { refreshes++; }), CanvasPainter::PreviewEnd::kStopped);
    EXPECT_EQ(refreshesAtFirstQuery, 5);
    EXPECT_EQ(std::memcmp(drawn.data(), canvas.view.Bits(), drawn.size()), 0);

    refreshes = 0;
    EXPECT_EQ(canvas.painter.Preview([]() { return false; }, [&]() { refreshes++; }), CanvasPainter::PreviewEnd::kDone);
    EXPECT_EQ(refreshes, 52);
    const rgb_color background = canvas.painter.BackColor();
    PanoramaSampler sampler;
    ASSERT_EQ(sampler.Setup(canvas.doc, canvas.Map(), PanoramaSampler::kPreviewRamp), 0);
    std::vector<uint32_t> row(160);
    for (int y = 0; y < 101; y++) {
        sampler.RenderBlendedRow(y, row.data(), Quor_PixelConvert::Pack(background.red, background.green, background.blue, 0));
        EXPECT_EQ(std::memcmp(row.data(), canvas.view.Image().Row32(y), 160 * 4), 0) << "row " << y;
        int red = 0;
        for (int x = 0; x < 160; x++)
            red += Near(PixelAt(canvas.view, x, y), rgb_color{255, 0, 0, 0}, 0, true);
        EXPECT_EQ(red, 0) << "row " << y;
    }
    // Beyond the sphere: the canvas colour, still marked as not drawn.
    EXPECT_TRUE(Near(PixelAt(canvas.view, 1, 1), background, 0));
    EXPECT_EQ(PixelAt(canvas.view, 1, 1).alpha, 0);
    // The selected photo is the last one, and covers its centre.
    const Quor_Point centre = canvas.PixelOf(-0.6f, 0.2f);
    EXPECT_TRUE(Near(PixelAt(canvas.view, centre.x + 3, centre.y), rgb_color{250, 250, 250, 255}, 2));
}

// A photo's mesh kept after it moved or the view changed, a strip that drops or doubles the rows
// at its border, or a photo drawn out of order: the background of random arrangements through
// every projection, before and after a photo and the view move, must be exactly the one that
// drawing every photo's mesh straight through gives.
TEST(CanvasPainterTest, BackgroundIsTheOneDrawnStraightThrough)
{
    std::mt19937 rng(4211);
    std::printf("random seed 4211\n");
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    auto between = [&](float lo, float hi) { return lo + (hi - lo) * unit(rng); };
    for (int type = 0; type < 5; type++) {
        for (int trial = 0; trial < 3; trial++) {
            Canvas canvas(157, 103, type, between(0.4f, 2.5f));
            PanomerDoc& doc = canvas.doc;
            doc.fFocalLength = between(10.0f, 40.0f);
            const int count = 2 + int(rng() % 11);
            for (int i = 0; i < count; i++) {
                const rgb_color left{uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), 255};
                const rgb_color right{uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), 255};
                canvas_test::PlacePhoto(&doc, i, between(-kPi, kPi), between(-1.4f, 1.4f), left, right,
                                        20 + int(rng() % 60), 20 + int(rng() % 60));
                doc.fRoll[i] = between(-kPi, kPi);
            }
            doc.fSelected = int(rng() % count);
            for (int step = 0; step < 2; step++) {
                if (step == 1) {
                    doc.fYaw[rng() % count] = between(-kPi, kPi);
                    canvas.painter.CanvasProjection().SetZoom(between(0.4f, 2.5f));
                    canvas.painter.CanvasProjection().SetOffset(Quor_Vector2(between(-0.5f, 0.5f), between(-0.5f, 0.5f)));
                }
                canvas.painter.Update(true);

                Quor_BaseImage expected;
                ASSERT_EQ(expected.Initialize(157, 103, 32), 0);
                expected.Clear(canvas.painter.BackColor());
                Quor_Raster raster;
                raster.SetDest(&expected.Image());
                const ProjectionMap map = canvas.Map();
                for (int i = 0; i < count; i++) {
                    if (i == doc.fSelected)
                        continue;
                    PhotoMapping photo;
                    photo.Set(doc.fPhotoImage[i].Image(), doc.fYaw[i], doc.fPitch[i], doc.fRoll[i],
                              PhotoMapping::CameraAngle(doc.fFocalLength), type);
                    PhotoMesh::Draw(&raster, map, photo, doc.fYaw[i], kRasterTextureCopy);
                }
                EXPECT_EQ(std::memcmp(expected.Bits(), canvas.painter.BackImage().Bits(), size_t(expected.RowBytes()) * 103), 0)
                    << "type " << type << ", trial " << trial << ", step " << step;
            }
        }
    }
}

// A zoom in the thousands, or a canvas panned far away, converts float positions beyond the
// integer range in the markers, pivot and crop lines; the drawing must neither overflow nor walk
// lines of billions of pixels (a run that does never ends: the test's time limit fails it).
TEST(CanvasPainterTest, ExtremeZoomAndOffsetNeitherOverflowNorHang)
{
    gCrosshairGuide = true;
    for (int type = 0; type < 5; type++) {
        for (float zoom : {CanvasTools::kMaxZoom, CanvasTools::kMinZoom}) {
            for (float offset : {0.0f, 1e6f, -3e7f}) {
                Canvas canvas(200, 100, type);
                ArrangeScene(&canvas.doc);
                canvas.doc.fPivot[0] = 0.2f;
                canvas.doc.fPivot[1] = 0.1f;
                canvas.painter.CanvasProjection().SetZoom(zoom);
                canvas.painter.CanvasProjection().SetOffset(Quor_Vector2(offset, -offset));
                SCOPED_TRACE(testing::Message() << "type " << type << ", zoom " << zoom << ", offset " << offset);
                canvas.Redraw();
                canvas.tools.PickCropLine(Quor_Point(3, 3));
                canvas.tools.KeyDown(QUOR_KEY_LEFT, 0);
            }
        }
    }
    gCrosshairGuide = false;
}

// While an export's worker replaces the photos' images, a redraw (a resize, an expose) reads
// them mid-change, and an edit from the canvas would read or replace them under it: the canvas
// must take no input and put off every redraw, and draw once the export is over.
TEST(CanvasPainterTest, SuspendedCanvasTakesNoInputAndPutsOffEveryRedraw)
{
    quor_test::ScratchDir scratch;
    app_test::MakePhoto(scratch.File("a.png"), 40, 30, quor_test::kBlue, quor_test::kBlue);
    Canvas canvas(200, 100, ProjectionMap::kHorizontalSpherical);
    canvas_test::PlacePhoto(&canvas.doc, 0, 0.0f, 0.0f, kBrick, kBrick);
    canvas.doc.fSelected = 0;
    canvas.Redraw();
    EXPECT_FALSE(canvas.painter.ResumePhotoDrawing());

    canvas.painter.SuspendPhotoDrawing();
    Quor_Message drop(kMsgPhotoDrop);
    drop.Set("path", scratch.File("a.png").c_str());
    canvas.tools.SetTool(kToolBrightness);
    const CanvasResponse responses[] = {
        canvas.tools.MouseDown(Quor_Point(10, 10), QUOR_LEFT_BUTTON, 0), canvas.tools.MouseMove(Quor_Point(300, 10), 0),
        canvas.tools.KeyDown(QUOR_KEY_DELETE, 0), canvas.tools.MouseWheel(1.0f, Quor_Point(0, 0), 0),
        canvas.tools.MessageDrop(&drop, Quor_Point(10, 10))};
    for (const CanvasResponse& r : responses) {
        EXPECT_EQ(r.redraw, CanvasResponse::kNone);
        EXPECT_EQ(r.messageCount, 0);
    }
    EXPECT_EQ(canvas.doc.fNumPhotos, 1);
    EXPECT_EQ(canvas.doc.fBrightness[0], 1.0f);
    EXPECT_FALSE(canvas.doc.fModified);

    const std::vector<uint8_t> before(canvas.view.Bits(), canvas.view.Bits() + 200 * 4 * 100);
    // What the worker does: the full-size photo replaces the preview.
    canvas_test::PlacePhoto(&canvas.doc, 0, 0.0f, 0.0f, kPlum, kPlum, 640, 480);
    canvas.Redraw();
    EXPECT_EQ(canvas.painter.Preview(nullptr, nullptr), CanvasPainter::PreviewEnd::kNotRun);
    EXPECT_EQ(std::memcmp(before.data(), canvas.view.Bits(), before.size()), 0);
    // A resize meanwhile gets a clear canvas, without photos.
    canvas.painter.InitBackground(&canvas.view.Image());
    EXPECT_FALSE(Near(PixelAt(canvas.view, 106, 56), kPlum, 0));

    EXPECT_TRUE(canvas.painter.ResumePhotoDrawing());
    EXPECT_TRUE(Near(PixelAt(canvas.view, 106, 56), kPlum, 0));
    EXPECT_FALSE(canvas.painter.ResumePhotoDrawing());
}

}  // namespace
