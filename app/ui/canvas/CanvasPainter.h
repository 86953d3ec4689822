// Draws the editing canvas: every photo warped through the projection as a textured mesh, the
// selected photo blended or differenced over the others, the photo markers, the projection's
// outline and crop lines, the crosshair, the rotation pivot and the hint of an empty canvas; and
// the slow per-pixel preview of the blended panorama. Knows nothing of the host: the view hands
// in its image, and the preview asks the view through callbacks.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/core/PanomerDoc.h"
#include "app/core/Projection.h"
#include "toolkit/core/Quor_RgbColor.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/raster/Quor_Raster.h"
#include "toolkit/math/Quor_Point.h"
#include "toolkit/math/Quor_Vector2.h"

class Quor_Font;
class PhotoMapping;

class CanvasPainter {
public:
    // Zoom of a new canvas: the whole sphere with a margin.
    static constexpr float kInitialZoom = 0.9f;

    enum class PreviewEnd { kDone, kStopped, kNotRun };

    // doc: the document shown; not owned.
    explicit CanvasPainter(PanomerDoc* doc);
    ~CanvasPainter();
    CanvasPainter(const CanvasPainter&) = delete;
    CanvasPainter& operator=(const CanvasPainter&) = delete;

    // The view's image was (re)created, for instance after a resize: the canvas draws into it
    // from now on (null: nowhere), sized as it is. Clears it and redraws everything.
    void InitBackground(const Quor_image* viewImage);

    // Redraws into the view's image; the caller then shows it. Update(true) rebuilds the
    // background cache of every photo but the selected one (after anything but the selected photo
    // or an overlay changed), Update(false) composes the canvas from the cache, the selected
    // photo and the overlays. Nothing without an image.
    void Update(bool full);

    // Renders the blended panorama pixel by pixel into the view's image, from the middle rows
    // outwards, two rows per pass with the next two marked in red; refresh shows the image after
    // every pass. From the sixth pass on, a true answer of stopAsked stops it and the canvas is
    // drawn as usual again. Ends with a beep either way.
    PreviewEnd Preview(const std::function<bool()>& stopAsked, const std::function<void()>& refresh);

    // While an export runs its worker reloads the photos' images: nothing may draw them. While
    // suspended every Update is put off; Resume draws what was put off and returns true when the
    // view must be shown again.
    void SuspendPhotoDrawing();
    bool ResumePhotoDrawing();
    bool PhotoDrawingSuspended() const { return fSuspended; }

    // The mapping and drawing context of the canvas; zoom and offset belong to the view.
    Projection& CanvasProjection() { return fProjection; }
    const Projection& CanvasProjection() const { return fProjection; }
    // The current tool decides how the selected photo is drawn (copy while brightening).
    void SetTool(int tool) { fTool = tool; }
    // Where the crosshair guide crosses.
    void SetMousePoint(Quor_Point point) { fMousePt = point; }
    // The font of the hint text of an empty canvas (not owned; null draws no hint).
    void SetHintFont(Quor_Font* font) { fHintFont = font; }
    // A line the hint ends with, for what the editor did on its own (empty for none).
    void SetHintNote(const std::string& note) { fHintNote = note; }
    const std::string& HintNote() const { return fHintNote; }
    // A line over the photos, at the top of the canvas, on why a command left them as they were
    // (empty for none).
    void SetPhotoNote(const std::string& note) { fPhotoNote = note; }
    const std::string& PhotoNote() const { return fPhotoNote; }
    // Colour of the canvas where no photo is; its alpha is 0, which marks "nothing drawn yet".
    rgb_color BackColor() const { return fBackColor; }
    const Quor_BaseImage& BackImage() const { return fBackImage; }

    // The pixel position of a direction as the markers use it: rounded like the projection's
    // pixel form and kept within +-2^24, so that no drawing call converts an unbounded float.
    Quor_Vector2 PixelPosition(float yaw, float pitch) const;

private:
    // What a photo's mapped mesh depends on besides the photo's pixels; compared bytewise.
    struct MeshKey {
        float yaw, pitch, roll, cameraAngle, zoom, offsetX, offsetY;
        int32_t type, canvasWidth, canvasHeight, destWidth, destHeight, imageWidth, imageHeight;
    };
    // A photo's triangles as the rasters draw them, kept until anything in its key changes.
    struct Mesh {
        bool valid = false;
        MeshKey key{};
        std::vector<Quor_MappedTriangle> triangles;
        int firstRow = 0;  // the rows its triangles cover
        int lastRow = -1;
    };
    // The canvas is drawn in up to this many horizontal strips at once, one raster each.
    static constexpr int kMaxStrips = 16;

    void DrawPhotos(bool full);
    // Brings photo i's mesh up to date for drawing into `dest`; false when out of memory.
    bool UpdateMesh(int i, const PhotoMapping& photo, const MeshKey& key, const Quor_image* dest);
    // Sizes the cover bytes for `dest`; false when out of memory.
    bool PrepareCover(const Quor_image* dest);
    void DrawOverlays();
    void DrawHint();
    void DrawPhotoNote();

    PanomerDoc* fDoc;
    int fTool;
    Projection fProjection;
    Quor_BaseImage fBackImage;
    Quor_Raster fRasters[kMaxStrips];
    Mesh fMeshes[kMaxPhotos];
    // One byte per canvas pixel, set where a photo drawn back to front has covered it.
    std::vector<uint8_t> fCover;
    std::vector<uint8_t*> fCoverRows;
    Quor_Point fMousePt;
    rgb_color fBackColor;
    Quor_Font* fHintFont = nullptr;
    std::string fHintNote;
    std::string fPhotoNote;
    bool fSuspended = false;
    bool fRedrawPutOff = false;
};
