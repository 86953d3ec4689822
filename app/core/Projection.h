// The projection as a drawing context: maps panorama angles to the attached canvas and back
// (through ProjectionMap, with the canvas size of the attached image) and draws the outline of
// the projected sphere, the centre line and the crop lines over the canvas.
#pragma once

#include "app/core/ProjectionMap.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"

class PanomerDoc;

// The centre-line guide of the main layer: when set, DrawPanomerBounds also draws the line
// through the middle of the projected sphere.
extern bool gHorizonGuide;

class Projection : public Quor_Graphics {
public:
    Projection() = default;
    explicit Projection(const Quor_image* image) : Quor_Graphics(image) {}
    ~Projection() override;

    // A type outside 0..4 is ignored.
    void SetProjectionType(int type) { fMap.SetProjectionType(type); }
    int ProjectionType() const { return fMap.ProjectionType(); }
    // A zoom that is not a finite positive number is ignored.
    void SetZoom(float zoom) { fMap.SetZoom(zoom); }
    float Zoom() const { return fMap.Zoom(); }
    void SetOffset(Quor_Vector2 offset) { fMap.SetOffset(offset); }
    Quor_Vector2 Offset() const { return fMap.Offset(); }

    // The mapping for the attached image as it is now; a value the renderers may keep and use on
    // any thread.
    ProjectionMap Map() const;

    void AnglesToPoint(float yaw, float pitch, Quor_Vector2& out) const { Map().AnglesToPoint(yaw, pitch, out); }
    void AnglesToPoint(float yaw, float pitch, Quor_Point& out) const { Map().AnglesToPoint(yaw, pitch, out); }
    void PointToAngles(Quor_Vector2 p, float& yaw, float& pitch) const { Map().PointToAngles(p, yaw, pitch); }
    void PointToAngles(Quor_Point p, float& yaw, float& pitch) const { Map().PointToAngles(p, yaw, pitch); }

    // Draws, in target pixels, the outline of the projected sphere (a rectangle, or the fisheye
    // disc), the centre line when gHorizonGuide is set, and the four crop lines of the document,
    // each overshooting the crop's corners by 16 pixels. Sets the pen width to 1 and leaves the
    // colour at the crop lines' red-orange.
    void DrawPanomerBounds(const PanomerDoc* doc);

private:
    ProjectionMap fMap;
};
