// The editing tools of the canvas as a state machine on the document and the canvas projection:
// picking, moving, rotating (about the photo's centre or a pivot) and brightening the selected
// photo, dragging the crop lines, panning and zooming, the wheel, nudging and deleting with the
// keys, and photos dropped from the photo list. Each input returns what the view must do.
#pragma once

#include "app/core/BrightnessMatch.h"
#include "app/core/PanomerDoc.h"
#include "app/ui/canvas/CanvasResponse.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/math/Quor_Point.h"
#include "toolkit/math/Quor_Vector2.h"

class CanvasPainter;
class Projection;
class Quor_Message;

class CanvasTools {
public:
    // The zoom stays within these: far beyond any useful magnification, and small enough that no
    // canvas position comes near the integer range.
    static constexpr float kMinZoom = 0.01f;
    static constexpr float kMaxZoom = 1000.0f;
    // Photo centres stay just inside the poles, so that the mesh never folds over one.
    static constexpr float kPitchLimit = 1.5707954f;
    // However many drags lower or raise it.
    static constexpr float kMinBrightness = BrightnessMatch::kLowest;
    static constexpr float kMaxBrightness = BrightnessMatch::kHighest;
    // Snapping: moves within this of the horizon, turns within kRollSnap of a quarter turn.
    static constexpr float kHorizonSnap = 0.05f;
    static constexpr float kRollSnap = 0.1f;

    static constexpr const char* kQuoteAlert =
        "This file name contains a double quote and cannot be stored in a project.";

    // doc: the document edited; painter: the canvas drawn (its projection is the mapping used
    // for every point). Neither is owned.
    CanvasTools(PanomerDoc* doc, CanvasPainter* painter);
    ~CanvasTools();
    CanvasTools(const CanvasTools&) = delete;
    CanvasTools& operator=(const CanvasTools&) = delete;

    // Makes `code` the current tool (any value is stored; 1060 to 1066 also choose the cursor).
    CanvasResponse SetTool(int code);
    int Tool() const { return fTool; }

    // Input in view coordinates, with the framework's button and modifier bits.
    CanvasResponse MouseDown(Quor_Point where, unsigned button, unsigned modifiers);
    CanvasResponse MouseMove(Quor_Point where, unsigned modifiers);
    CanvasResponse MouseUp(Quor_Point where, unsigned button, unsigned modifiers);
    CanvasResponse MouseWheel(float delta, Quor_Point where, unsigned modifiers);
    CanvasResponse KeyDown(int key, unsigned modifiers);
    // A message dragged onto the canvas; only a photo from the photo list (1070) is taken.
    CanvasResponse MessageDrop(const Quor_Message* message, Quor_Point where);

    // The crop line under a view point: 0 maximum longitude, 1 maximum latitude, 2 minimum
    // longitude, 3 minimum latitude; -1 for none.
    int PickCropLine(Quor_Point where) const;
    int CropLine() const { return fCropLine; }
    bool Dragging() const { return fDragging; }

private:
    enum class Drag { kNone, kPan, kZoom, kTool };

    Projection& Canvas() const;
    bool HasSelection() const;
    bool Snapping(unsigned modifiers) const;
    // Angles of a view point; false when the point shows no direction (outside the fisheye disc,
    // or no canvas), which every tool ignores.
    bool AnglesAt(Quor_Point where, float* yaw, float* pitch) const;
    // The same, but a point outside the fisheye disc gives the nearest place on its edge: where a
    // drop lands, and the base of a drag pressed there.
    void EdgeAnglesAt(Quor_Point where, float* yaw, float* pitch) const;

    // How far right of the press the pointer has gone (negative left of it), in pixels; in 64
    // bits first, so that points at the ends of int cannot overflow.
    float DraggedRight(Quor_Point where) const;
    // The selected photo's direction at the start of a move or rotation.
    void RememberStartAngles();

    void PickNearestPhoto(Quor_Point where);
    void ClearPivot();
    void StartBrightening();

    bool DragMove(Quor_Point where, unsigned modifiers);
    bool DragRotate(Quor_Point where, unsigned modifiers);
    bool DragBrightness(Quor_Point where);
    bool DragCrop(Quor_Point where);
    void DeleteSelected();
    bool Nudge(int key);

    PanomerDoc* fDoc;
    CanvasPainter* fPainter;
    int fTool;
    int fDragTool;
    int fCropLine = -1;
    bool fDragging = false;
    Drag fDrag = Drag::kNone;
    Quor_Point fDownPt;
    float fStartLon = 0.0f;
    float fStartLat = 0.0f;
    float fStartRoll = 0.0f;
    float fStartBrightness = 1.0f;
    // The value of the crop line dragged, at the press.
    float fStartCrop = 0.0f;
    Quor_Vector2 fStartOffset;
    float fStartZoom = 1.0f;
    // The unbrightened selected photo during a brightness drag; empty otherwise.
    Quor_BaseImage fBrightenSource;
};
