// A canvas as the view holds it (document, painter, tools, the view's image) and photos for it:
// in memory for drawing, or as PNG files for the tools that load photos.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/core/PanomerDoc.h"
#include "app/ui/canvas/CanvasPainter.h"
#include "app/ui/canvas/CanvasTools.h"
#include "tests/support/ImageFixtures.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"

namespace canvas_test {

constexpr float kPi = ProjectionMap::kPi;

// A w x h photo whose left half is `left` and right half `right`, so a mirror or a quarter turn
// shows.
inline void MakeHalves(Quor_BaseImage* image, int width, int height, rgb_color left, rgb_color right)
{
    quor_test::Make(image, width, height,
                    [&](int x, int) { return quor_test::Px(x < width / 2 ? left : right); });
}

// Places photo i in memory (no file behind it).
inline void PlacePhoto(PanomerDoc* doc, int i, float yaw, float pitch, rgb_color left, rgb_color right,
                       int width = 64, int height = 48)
{
    MakeHalves(&doc->fPhotoImage[i], width, height, left, right);
    doc->fYaw[i] = yaw;
    doc->fPitch[i] = pitch;
    doc->fRoll[i] = 0.0f;
    doc->fBrightness[i] = 1.0f;
    if (doc->fNumPhotos <= i)
        doc->fNumPhotos = i + 1;
}

// Writes a photo file of one colour.
inline void WritePhoto(const std::string& path, rgb_color colour, int width = 40, int height = 30)
{
    Quor_ImageIo::InitImageLoader();
    Quor_BaseImage image;
    MakeHalves(&image, width, height, colour, colour);
    ASSERT_EQ(Quor_ImageIo::SaveImage(path.c_str(), &image, Quor_ImageIo::Format_PNG, 0), 0);
}

// The canvas of a view of width x height showing the document through projection `type`.
struct Canvas {
    PanomerDoc doc;
    Quor_BaseImage view;
    CanvasPainter painter{&doc};
    CanvasTools tools{&doc, &painter};

    Canvas(int width, int height, int type, float zoom = 1.0f)
    {
        Quor_ImageIo::InitImageLoader();
        EXPECT_EQ(view.Initialize(width, height, 32), 0);
        doc.fProjectionType = type;
        PanomerDoc::DefaultCrop(type, doc.fCrop);
        Projection& projection = painter.CanvasProjection();
        projection.SetProjectionType(type);
        projection.SetZoom(zoom);
        painter.InitBackground(&view.Image());
    }

    ProjectionMap Map() const { return painter.CanvasProjection().Map(); }

    Quor_Point PixelOf(float yaw, float pitch) const
    {
        Quor_Point p;
        Map().AnglesToPoint(yaw, pitch, p);
        return p;
    }

    void Redraw()
    {
        painter.Update(true);
        painter.Update(false);
    }

    // A press, moves through the given points and no release.
    void Drag(int tool, Quor_Point from, Quor_Point to, unsigned modifiers = 0)
    {
        tools.SetTool(tool);
        tools.MouseDown(from, 1, modifiers);
        tools.MouseMove(to, modifiers);
    }
};

}  // namespace canvas_test
