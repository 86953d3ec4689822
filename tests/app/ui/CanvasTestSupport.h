// A canvas as the view holds it (document, painter, tools, the view's image) and photos placed in
// it in memory; the photo files of the tools that load photos come from app_test::MakePhoto.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/core/PanomerDoc.h"
#include "app/ui/canvas/CanvasPainter.h"
#include "app/ui/canvas/CanvasTools.h"
#include "tests/app/core/AppTestSupport.h"
#include "toolkit/imaging/Quor_BaseImage.h"

namespace canvas_test {

constexpr float kPi = ProjectionMap::kPi;

// Places photo i in memory (no file behind it): left half `left`, right half `right`, so a
// mirror or a quarter turn shows.
inline void PlacePhoto(PanomerDoc* doc, int i, float yaw, float pitch, rgb_color left, rgb_color right,
                       int width = 64, int height = 48)
{
    quor_test::Make(&doc->fPhotoImage[i], width, height,
                    [&](int x, int) { return quor_test::Px(x < width / 2 ? left : right); });
    doc->fYaw[i] = yaw;
    doc->fPitch[i] = pitch;
    doc->fRoll[i] = 0.0f;
    doc->fBrightness[i] = 1.0f;
    if (doc->fNumPhotos <= i)
        doc->fNumPhotos = i + 1;
}

// The canvas of a view of width x height showing the document through projection `type`.
struct Canvas {
    PanomerDoc doc;
    Quor_BaseImage view;
    CanvasPainter painter{&doc};
    CanvasTools tools{&doc, &painter};

    Canvas(int width, int height, int type, float zoom = 1.0f)
    {
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
