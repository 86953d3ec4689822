#include "app/ui/canvas/CanvasTools.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "app/core/Projection.h"
#include "app/ui/canvas/CanvasCodes.h"
#include "app/ui/canvas/CanvasGuides.h"
#include "app/ui/canvas/CanvasPainter.h"
#include "app/ui/canvas/CropLines.h"
#include "toolkit/core/Quor_Message.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/framework/Quor_FrameworkDefs.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/math/Quor_Round.h"

// Every drag takes its base from the values saved at the press (fStart...), so a drag never
// accumulates rounding; the tool current at the press decides what the moves mean. Every change
// of the document is preceded by an undo point and sets the modified flag; changes of the view
// (pan, zoom, selection, pivot) are not undoable.

namespace {

constexpr float kPi = ProjectionMap::kPi;
constexpr float kQuarterTurn = kPi / 2;
constexpr float kPivotUnset = 1000000.0f;
constexpr float kPivotSetBelow = 100000.0f;
// A photo dropped outside the fisheye disc lands this far from its centre: just inside the edge.
constexpr float kDiscEdge = 0.989f;
// View points are kept this close to the origin before they are stepped or subtracted.
constexpr int32_t kCoordinateLimit = 1 << 24;

Quor_Point Bounded(Quor_Point p)
{
    return Quor_Point(Quor_Clamp(p.x, -kCoordinateLimit, kCoordinateLimit),
                      Quor_Clamp(p.y, -kCoordinateLimit, kCoordinateLimit));
}

// Whether a pair of angles from the mapping is a place to put something. Only the fisheye disc
// has positions that show no direction; elsewhere an angle beyond the sphere still measures a
// drag, and the tool clamps it.
bool ShowsDirection(const ProjectionMap& map, float yaw, float pitch)
{
    if (map.CanvasWidth() <= 0 || map.CanvasHeight() <= 0)
        return false;
    if (map.ProjectionType() == ProjectionMap::kFisheye)
        return ProjectionMap::IsDirection(yaw, pitch);
    return std::isfinite(yaw) && std::isfinite(pitch);
}

float ClampYaw(float yaw)
{
    return Quor_Clamp(yaw, -kPi, kPi);
}

float ClampPitch(float pitch)
{
    return Quor_Clamp(pitch, -CanvasTools::kPitchLimit, CanvasTools::kPitchLimit);
}

float ClampZoom(float zoom)
{
    return Quor_Clamp(zoom, CanvasTools::kMinZoom, CanvasTools::kMaxZoom);
}

CanvasCursor ToolCursor(int tool)
{
    switch (tool) {
    case kToolMove:
        return CanvasCursor::kMove;
    case kToolRotate:
        return CanvasCursor::kRotate;
    case kToolBrightness:
        return CanvasCursor::kBrighten;
    case kToolPan:
        return CanvasCursor::kPan;
    case kToolZoom:
        return CanvasCursor::kZoom;
    default:
        return CanvasCursor::kArrow;
    }
}

}  // namespace

CanvasTools::CanvasTools(PanomerDoc* doc, CanvasPainter* painter)
    : fDoc(doc), fPainter(painter), fTool(kToolPan), fDragTool(kToolPan)
{
    fPainter->SetTool(fTool);
}

CanvasTools::~CanvasTools() = default;

Projection& CanvasTools::Canvas() const
{
    return fPainter->CanvasProjection();
}

bool CanvasTools::HasSelection() const
{
    return fDoc->fSelected >= 0 && fDoc->fSelected < fDoc->fNumPhotos && fDoc->fSelected < kMaxPhotos;
}

float CanvasTools::DraggedRight(Quor_Point where) const
{
    return static_cast<float>(static_cast<int64_t>(where.x) - fDownPt.x);
}

void CanvasTools::RememberStartAngles()
{
    fStartLon = fDoc->fYaw[fDoc->fSelected];
    fStartLat = fDoc->fPitch[fDoc->fSelected];
}

bool CanvasTools::Snapping(unsigned modifiers) const
{
    // Command inverts the menu setting for the drag.
    return gSnapMode != ((modifiers & QUOR_COMMAND) != 0);
}

bool CanvasTools::AnglesAt(Quor_Point where, float* yaw, float* pitch) const
{
    const ProjectionMap map = Canvas().Map();
    map.PointToAngles(where, *yaw, *pitch);
    return ShowsDirection(map, *yaw, *pitch);
}

void CanvasTools::EdgeAnglesAt(Quor_Point where, float* yaw, float* pitch) const
{
    const ProjectionMap map = Canvas().Map();
    map.PointToAngles(where, *yaw, *pitch);
    if (map.ProjectionType() != ProjectionMap::kFisheye || ProjectionMap::IsDirection(*yaw, *pitch) ||
        map.CanvasWidth() <= 0 || map.CanvasHeight() <= 0)
        return;
    // Outside the disc: the nearest position on its edge, along the line from the centre.
    const Quor_Point p = Bounded(where);
    Quor_Vector2 disc = Quor_Vector2(map.NormalizedX(p.x), map.NormalizedY(p.y)) / map.Zoom() - map.Offset();
    const float radius = disc.Mag();
    if (radius > 0.0f)
        disc *= kDiscEdge / radius;
    map.Unproject(disc, *yaw, *pitch);
}

void CanvasTools::ClearPivot()
{
    fDoc->fPivot[0] = fDoc->fPivot[1] = kPivotUnset;
}

CanvasResponse CanvasTools::SetTool(int code)
{
    CanvasResponse response;
    const bool wasBrightening = fTool == kToolBrightness;
    fTool = code;
    fPainter->SetTool(code);
    if (code >= kToolSelect && code <= kToolZoom)
        response.Shows(ToolCursor(code));
    // The brightness tool draws the selected photo differently: the cache must follow.
    if (wasBrightening != (code == kToolBrightness) && HasSelection())
        response.Redraws(CanvasResponse::kFull);
    return response;
}

// --- Press, move, release -------------------------------------------------------------------

void CanvasTools::PickNearestPhoto(Quor_Point where)
{
    // There is no distance limit: any press selects the nearest photo; ties go to the lower index.
    const ProjectionMap map = Canvas().Map();
    int best = -1;
    double bestDistance = std::numeric_limits<double>::infinity();
    const int count = std::clamp(static_cast<int>(fDoc->fNumPhotos), 0, kMaxPhotos);
    for (int i = 0; i < count; i++) {
        Quor_Point centre;
        map.AnglesToPoint(fDoc->fYaw[i], fDoc->fPitch[i], centre);
        const double dx = static_cast<double>(centre.x) - where.x;
        const double dy = static_cast<double>(centre.y) - where.y;
        const double distance = std::sqrt(dx * dx + dy * dy);
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    if (best != fDoc->fSelected) {
        fDoc->fSelected = best;
        ClearPivot();
    }
}

void CanvasTools::StartBrightening()
{
    const int selected = fDoc->fSelected;
    fStartBrightness = fDoc->fBrightness[selected];
    // Reload the photo unbrightened, keep that copy as the source of every step of the drag, and
    // show the photo with its brightness again.
    fDoc->fBrightness[selected] = 1.0f;
    fDoc->UpdatePhoto(selected, kPreviewSize);
    fDoc->fBrightness[selected] = fStartBrightness;
    fBrightenSource.Free();
    const Quor_BaseImage& photo = fDoc->fPhotoImage[selected];
    if (!photo.IsValid() || fBrightenSource.Initialize(photo.Width(), photo.Height(), 32) != QUOR_OK) {
        fBrightenSource.Free();
        return;
    }
    Quor_ImageOps::Blit(&photo.Image(), &fBrightenSource.Image(), 0, 0);
    Quor_ImageOps::Brighten(&photo.Image(), fStartBrightness);
}

CanvasResponse CanvasTools::MouseDown(Quor_Point where, unsigned button, unsigned modifiers)
{
    CanvasResponse response;
    if (fPainter->PhotoDrawingSuspended())
        return response;
    Projection& canvas = Canvas();
    fDownPt = where;
    fDragging = true;
    fDrag = Drag::kNone;
    fDragTool = fTool;

    if (button == QUOR_RIGHT_BUTTON) {
        // The right button pans, or zooms with Shift, whatever the tool.
        if (modifiers & QUOR_SHIFT) {
            fStartZoom = canvas.Zoom();
            fDrag = Drag::kZoom;
        } else {
            fStartOffset = canvas.Offset();
            fDrag = Drag::kPan;
        }
        response.Redraws(CanvasResponse::kPartial);
        return response;
    }
    if (button != QUOR_LEFT_BUTTON && button != QUOR_MIDDLE_BUTTON) {
        fDragging = false;
        return response;
    }

    const bool command = (modifiers & QUOR_COMMAND) != 0;
    if (fTool == kToolSelect || fTool == kToolMove || fTool == kToolBrightness || (fTool == kToolRotate && !command)) {
        PickNearestPhoto(where);
        response.Redraws(CanvasResponse::kFull);
    }

    fDrag = Drag::kTool;
    switch (fTool) {
    case kToolMove:
        if (HasSelection()) {
            fDoc->PrepUndo("Move");
            RememberStartAngles();
        }
        break;
    case kToolRotate:
        if (command) {
            // A Command-click sets the pivot; no drag follows.
            float yaw, pitch;
            if (HasSelection() && AnglesAt(where, &yaw, &pitch)) {
                fDoc->fPivot[0] = yaw;
                fDoc->fPivot[1] = pitch;
            }
            fDragging = false;
        } else if (HasSelection()) {
            fDoc->PrepUndo("Rotate");
            fStartRoll = fDoc->fRoll[fDoc->fSelected];
            RememberStartAngles();
        }
        break;
    case kToolBrightness:
        if (HasSelection()) {
            fDoc->PrepUndo("Brightness");
            StartBrightening();
        }
        break;
    case kToolCrop:
        fDoc->PrepUndo("Crop");
        fCropLine = PickCropLine(where);
        if (fCropLine != CropLines::kNone)
            fStartCrop = fDoc->fCrop[CropLines::CropIndex(fCropLine)];
        break;
    case kToolPan:
        fStartOffset = canvas.Offset();
        fDrag = Drag::kPan;
        break;
    case kToolZoom:
        fStartZoom = canvas.Zoom();
        fDrag = Drag::kZoom;
        break;
    default:
        break;
    }
    response.Redraws(CanvasResponse::kPartial);
    return response;
}

CanvasResponse CanvasTools::MouseMove(Quor_Point where, unsigned modifiers)
{
    CanvasResponse response;
    if (fPainter->PhotoDrawingSuspended())
        return response;
    fPainter->SetMousePoint(where);
    Projection& canvas = Canvas();
    const ProjectionMap map = canvas.Map();
    const float width = static_cast<float>(map.CanvasWidth());

    if (fDragging) {
        if (width <= 0.0f)
            return response;
        if (fDrag == Drag::kPan) {
            const Quor_Point down = Bounded(fDownPt), now = Bounded(where);
            const Quor_Vector2 from(map.NormalizedX(down.x), map.NormalizedY(down.y));
            const Quor_Vector2 to(map.NormalizedX(now.x), map.NormalizedY(now.y));
            canvas.SetOffset(fStartOffset + (to - from) / canvas.Zoom());
            response.Redraws(CanvasResponse::kFull);
            return response;
        }
        if (fDrag == Drag::kZoom) {
            // Right of the press zooms in twice as fast as left of it zooms out.
            const float dx = DraggedRight(where);
            const float k = where.x > fDownPt.x ? 3.0f : 1.5f;
            canvas.SetZoom(ClampZoom(fStartZoom * (1.0f + k * dx / width)));
            response.Redraws(CanvasResponse::kFull);
            return response;
        }
        bool changed = false;
        switch (fDragTool) {
        case kToolMove:
            changed = DragMove(where, modifiers);
            break;
        case kToolRotate:
            changed = DragRotate(where, modifiers);
            break;
        case kToolBrightness:
            changed = DragBrightness(where);
            break;
        case kToolCrop:
            changed = DragCrop(where);
            break;
        default:
            break;
        }
        // A tool with nothing to do still redraws, so the markers follow.
        if (changed)
            fDoc->fModified = true;
        response.Redraws(CanvasResponse::kPartial);
        return response;
    }

    if (fTool == kToolCrop) {
        fCropLine = PickCropLine(where);
        response.Shows(CropLines::Cursor(fCropLine, map.ProjectionType()));
    }
    if (gCrosshairGuide)
        response.Redraws(CanvasResponse::kPartial);
    return response;
}

CanvasResponse CanvasTools::MouseUp(Quor_Point, unsigned, unsigned)
{
    // Only the selected photo changed during the drag, so the background cache is still valid.
    fDragging = false;
    fDrag = Drag::kNone;
    fBrightenSource.Free();
    return CanvasResponse();
}

CanvasResponse CanvasTools::MouseWheel(float delta, Quor_Point where, unsigned)
{
    CanvasResponse response;
    if (fPainter->PhotoDrawingSuspended() || !std::isfinite(delta) || delta == 0.0f)
        return response;
    // One step per event whatever its size: +1 zooms out by 0.8, -1 in by 1.2.
    const float step = delta > 0.0f ? 1.0f : -1.0f;
    Projection& canvas = Canvas();
    const float zoom = canvas.Zoom();
    const float next = ClampZoom(zoom * (1.0f - 0.2f * step));
    // Toward the pointer: a canvas position n shows (p + offset) * zoom, so the point under the
    // pointer stays there when the offset grows by n * (1 / next - 1 / zoom).
    const ProjectionMap map = canvas.Map();
    if (map.CanvasWidth() > 0 && map.CanvasHeight() > 0) {
        const Quor_Point at = Bounded(where);
        const Quor_Vector2 n(map.NormalizedX(at.x), map.NormalizedY(at.y));
        canvas.SetOffset(canvas.Offset() + n * (1.0f / next - 1.0f / zoom));
    }
    canvas.SetZoom(next);
    response.Redraws(CanvasResponse::kFull);
    return response;
}

// --- Dragging -------------------------------------------------------------------------------

bool CanvasTools::DragMove(Quor_Point where, unsigned modifiers)
{
    float lon0, lat0, lon1, lat1;
    if (!HasSelection() || !AnglesAt(where, &lon1, &lat1))
        return false;
    EdgeAnglesAt(fDownPt, &lon0, &lat0);
    float yaw = Canvas().Map().KeepYaw(fStartLon + (lon1 - lon0));
    float pitch = ClampPitch(fStartLat + (lat1 - lat0));
    if (modifiers & QUOR_SHIFT) {
        // Along the axis the pointer moved further on; equal distances move the latitude.
        const long long dx = std::llabs(static_cast<long long>(where.x) - fDownPt.x);
        const long long dy = std::llabs(static_cast<long long>(where.y) - fDownPt.y);
        if (dx <= dy)
            yaw = fStartLon;
        else
            pitch = fStartLat;
    } else if (Snapping(modifiers)) {
        // The horizon runs down the canvas in the vertical spherical type.
        if (Canvas().ProjectionType() == ProjectionMap::kVerticalSpherical) {
            if (std::fabs(yaw) < kHorizonSnap)
                yaw = 0.0f;
        } else if (std::fabs(pitch) < kHorizonSnap) {
            pitch = 0.0f;
        }
    }
    fDoc->fYaw[fDoc->fSelected] = yaw;
    fDoc->fPitch[fDoc->fSelected] = pitch;
    return true;
}

bool CanvasTools::DragRotate(Quor_Point where, unsigned modifiers)
{
    if (!HasSelection())
        return false;
    const int selected = fDoc->fSelected;
    const ProjectionMap map = Canvas().Map();
    // A drag across the whole canvas width turns the photo by one radian; dragging right lowers
    // the roll.
    const float dx = DraggedRight(where);
    float roll = fStartRoll - dx / static_cast<float>(map.CanvasWidth());
    if (Snapping(modifiers)) {
        const float quarters = static_cast<float>(Quor_RoundToInt(roll / kQuarterTurn));
        if (std::fabs(roll - quarters * kQuarterTurn) < kRollSnap)
            roll = quarters * kQuarterTurn;
    }
    if (fDoc->fPivot[0] < kPivotSetBelow && fDoc->fPivot[1] < kPivotSetBelow) {
        // The photo's centre turns about the pivot on the canvas by the change of roll.
        Quor_Vector2 pivot, centre;
        map.AnglesToPoint(fDoc->fPivot[0], fDoc->fPivot[1], pivot);
        map.AnglesToPoint(fStartLon, fStartLat, centre);
        Quor_Vector2 arm = centre - pivot;
        arm.Rotate(roll - fStartRoll);
        float yaw, pitch;
        map.PointToAngles(pivot + arm, yaw, pitch);
        if (!ShowsDirection(map, yaw, pitch))
            return false;
        // A centre carried past the canvas's edge stays on the sphere and inside the poles.
        fDoc->fYaw[selected] = map.KeepYaw(yaw);
        fDoc->fPitch[selected] = ClampPitch(pitch);
    }
    fDoc->fRoll[selected] = roll;
    return true;
}

bool CanvasTools::DragBrightness(Quor_Point where)
{
    if (!HasSelection() || !fBrightenSource.IsValid())
        return false;
    const int selected = fDoc->fSelected;
    const Quor_BaseImage& photo = fDoc->fPhotoImage[selected];
    if (photo.Width() != fBrightenSource.Width() || photo.Height() != fBrightenSource.Height())
        return false;
    const float dx = DraggedRight(where);
    const float width = static_cast<float>(Canvas().Width());
    // Right raises the factor and left lowers it, in proportion to the starting brightness.
    const float brightness =
        std::min(kMaxBrightness, std::max(kMinBrightness, (dx / width + 1.0f) * fStartBrightness));
    fDoc->fBrightness[selected] = brightness;
    Quor_ImageOps::Blit(&fBrightenSource.Image(), &photo.Image(), 0, 0);
    Quor_ImageOps::Brighten(&photo.Image(), brightness);
    return true;
}

bool CanvasTools::DragCrop(Quor_Point where)
{
    float lon0, lat0, lon1, lat1;
    if (fCropLine == CropLines::kNone || !AnglesAt(where, &lon1, &lat1))
        return false;
    // A press on the rim of the fisheye disc (where its crop lines start) measures from the rim.
    EdgeAnglesAt(fDownPt, &lon0, &lat0);
    const bool longitude = fCropLine == 0 || fCropLine == 2;
    const float value = fStartCrop + (longitude ? lon1 - lon0 : lat1 - lat0);
    CropLines::Move(fDoc->fCrop, fCropLine, value, Canvas().ProjectionType());
    return true;
}

int CanvasTools::PickCropLine(Quor_Point where) const
{
    return CropLines::Pick(Canvas().Map(), fDoc->fCrop, where);
}

// --- Keys -----------------------------------------------------------------------------------

CanvasResponse CanvasTools::KeyDown(int key, unsigned)
{
    CanvasResponse response;
    if (fPainter->PhotoDrawingSuspended() || !HasSelection())
        return response;
    switch (key) {
    case QUOR_KEY_DELETE:
    case QUOR_KEY_BACKSPACE:
        DeleteSelected();
        response.Redraws(CanvasResponse::kFull);
        break;
    case QUOR_KEY_LEFT:
    case QUOR_KEY_RIGHT:
    case QUOR_KEY_UP:
    case QUOR_KEY_DOWN:
        if (Nudge(key))
            response.Redraws(CanvasResponse::kPartial);
        break;
    default:
        break;
    }
    return response;
}

void CanvasTools::DeleteSelected()
{
    fDoc->PrepUndo("Delete");
    const int count = std::min(static_cast<int>(fDoc->fNumPhotos), kMaxPhotos);
    for (int i = fDoc->fSelected; i < count - 1; i++) {
        fDoc->fPhotoPath[i] = fDoc->fPhotoPath[i + 1];
        fDoc->fYaw[i] = fDoc->fYaw[i + 1];
        fDoc->fPitch[i] = fDoc->fPitch[i + 1];
        fDoc->fRoll[i] = fDoc->fRoll[i + 1];
        fDoc->fBrightness[i] = fDoc->fBrightness[i + 1];
        fDoc->UpdatePhoto(i, kPreviewSize);
    }
    fDoc->fNumPhotos = count - 1;
    fDoc->fSelected = -1;
    ClearPivot();
    fDoc->fModified = true;
}

bool CanvasTools::Nudge(int key)
{
    const int selected = fDoc->fSelected;
    const ProjectionMap map = Canvas().Map();
    const int type = map.ProjectionType();
    const float yaw = fDoc->fYaw[selected], pitch = fDoc->fPitch[selected];
    // Where the projection clamps the angles it cannot show a photo's centre, so a step of one
    // pixel from there would throw the photo to the clamp.
    const float shown = type == ProjectionMap::kPerspective ? ProjectionMap::kPerspectiveLimit
                        : type == ProjectionMap::kFisheye   ? ProjectionMap::kFisheyeLimit
                                                            : std::numeric_limits<float>::infinity();
    if (!(std::fabs(yaw) < shown && std::fabs(pitch) < shown))
        return false;
    Quor_Point centre;
    map.AnglesToPoint(yaw, pitch, centre);
    centre = Bounded(centre);
    switch (key) {
    case QUOR_KEY_LEFT:
        centre.x -= 1;
        break;
    case QUOR_KEY_RIGHT:
        centre.x += 1;
        break;
    case QUOR_KEY_UP:
        centre.y -= 1;
        break;
    default:
        centre.y += 1;
        break;
    }
    float newYaw, newPitch;
    if (!AnglesAt(centre, &newYaw, &newPitch))
        return false;
    fDoc->PrepUndo("Move");
    fDoc->fYaw[selected] = map.KeepYaw(newYaw);
    fDoc->fPitch[selected] = ClampPitch(newPitch);
    fDoc->fModified = true;
    return true;
}

// --- Photos dropped from the photo list -------------------------------------------------------

CanvasResponse CanvasTools::MessageDrop(const Quor_Message* message, Quor_Point where)
{
    CanvasResponse response;
    if (fPainter->PhotoDrawingSuspended())
        return response;
    const char* path = nullptr;
    if (message != nullptr && message->what == kMsgPhotoDrop && message->Get("path", &path) &&
        fDoc->fNumPhotos >= 0 && fDoc->fNumPhotos < kMaxPhotos) {
        if (!PanomerDoc::IsStorablePath(path)) {
            // The project format cannot store such a path: the photo is refused, not saved into
            // a file that could never be read back.
            response.alert = kQuoteAlert;
        } else {
            int rotation = 0;
            message->Get("rotation", &rotation);
            const int n = fDoc->fNumPhotos;
            // The photo is loaded into the free slot before anything else changes: a photo that
            // cannot be read leaves the document, its selection and its undo point as they were.
            fDoc->fPhotoPath[n] = path;
            fDoc->fBrightness[n] = 1.0f;
            if (fDoc->UpdatePhoto(n, kPreviewSize) == QUOR_OK && fDoc->fPhotoImage[n].IsValid()) {
                float yaw = 0.0f, pitch = 0.0f;
                // The first photo of a document goes to the centre, wherever it was dropped.
                if (n > 0) {
                    EdgeAnglesAt(where, &yaw, &pitch);
                    yaw = ClampYaw(yaw);
                    pitch = ClampPitch(pitch);
                }
                // The undo point holds the photos in use only, so the loaded slot is not in it.
                fDoc->PrepUndo("Add Photo");
                fDoc->fYaw[n] = yaw;
                fDoc->fPitch[n] = pitch;
                fDoc->fRoll[n] = static_cast<float>(rotation) * kPi / -180.0f;
                fDoc->fSelected = n;
                fDoc->fNumPhotos = n + 1;
                fDoc->fModified = true;
                ClearPivot();
                response.Redraws(CanvasResponse::kFull);
            }
        }
    }
    response.Sends(kMsgUpdateTools);
    response.Sends(kToolMove);
    return response;
}
