#include "app/ui/canvas/CanvasPainter.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <new>

#include "app/core/PanoramaSampler.h"
#include "app/core/PhotoMapping.h"
#include "app/ui/canvas/CanvasCodes.h"
#include "app/ui/canvas/CanvasGuides.h"
#include "app/ui/canvas/PhotoMesh.h"
#include "toolkit/core/Quor_Beep.h"
#include "toolkit/core/Quor_Parallel.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/imaging/raster/Quor_RasterMode.h"
#include "toolkit/math/Quor_Round.h"

// Drawing is split for dragging: the photos other than the selected one are rasterized once into
// the background cache (fBackImage) and copied each frame, and only the selected photo and the
// overlays are drawn again. Alpha 0 in a canvas pixel means that no photo covers it yet; the
// blend and difference fills and the preview rely on it.
//
// Each photo's mesh is mapped through the projection once and kept until the photo moves or the
// view changes. The photos are rasterized in horizontal strips of the canvas on every core, each
// strip drawing every photo in order but only its own rows, so the picture is the one a single
// pass over the whole canvas gives. When every photo is copied (the background, or all photos
// while brightening), a strip draws them back to front and each pixel only once, where no later
// photo covers it: the same picture without reading the texels that would be drawn over.

namespace {

// Marker positions are kept within this many pixels of the origin before they become integers.
constexpr double kCoordinateLimit = 16777216.0;
// The rotation pivot counts as set while both of its angles stay below this.
constexpr float kPivotUnset = 100000.0f;
const rgb_color kGuideColor{220, 60, 0, 255};
// The band of a note over the photos: pale yellow, apart from any photo.
const rgb_color kNoteColor{255, 250, 205, 255};
// Rows about to be rendered are marked in this colour; its alpha 0 keeps them "not drawn".
const rgb_color kProgressColor{255, 0, 0, 0};
// The preview looks at the mouse button from this pass on, so that the click that chose the
// command cannot stop it.
constexpr int kFirstStoppablePass = 6;
// The preview renders the rows of this many passes at a time.
constexpr int kPreviewPassesAhead = 32;

const char* const kHintLines[] = {
    "Step 2 - Drag your photos here and arrange them into a panorama.",
    "If you're new to Quor Panomer, you should choose",
    "Help from the Help menu. The tutorial you'll",
    "find is a quick and easy way to get started.",
};
// The first hint line is centred in the top 20 pixels; the second stands 100 pixels lower.
constexpr int kHintBandHeight = 20;
constexpr int kHintGap = 100;
// Strips are at least this many rows high, so that a strip's pass over the triangles is worth it.
constexpr int kMinStripRows = 16;

uint32_t Packed(const rgb_color& c)
{
    return Quor_PixelConvert::Pack(c.red, c.green, c.blue, c.alpha);
}

void FillRow(const Quor_image* image, int y, uint32_t value)
{
    uint32_t* row = image->Row32(y);
    std::fill(row, row + image->width, value);
}

// Rows top..bottom of an image as an image record of their own.
Quor_image RowsOf(const Quor_image& image, int top, int bottom)
{
    Quor_image rows = image;
    rows.bits = image.Row(top);
    rows.height = bottom - top + 1;
    return rows;
}

int PhotoCount(const PanomerDoc* doc)
{
    return std::clamp(static_cast<int>(doc->fNumPhotos), 0, kMaxPhotos);
}

}  // namespace

CanvasPainter::CanvasPainter(PanomerDoc* doc)
    : fDoc(doc), fTool(kToolPan)
{
    fProjection.SetZoom(kInitialZoom);
    fBackColor = Quor_ColorOps::DialogBackground;
    fBackColor.alpha = 0;
}

CanvasPainter::~CanvasPainter() = default;

void CanvasPainter::InitBackground(const Quor_image* viewImage)
{
    if (fProjection.AttachToImage(viewImage) == QUOR_OK) {
        Quor_ImageOps::Clear(viewImage, fBackColor);
        if (fBackImage.Initialize(viewImage->width, viewImage->height, 32) == QUOR_OK)
            fBackImage.Clear(fBackColor);
        else
            fBackImage.Free();
    } else {
        fBackImage.Free();
    }
    Update(true);
    Update(false);
}

Quor_Vector2 CanvasPainter::PixelPosition(float yaw, float pitch) const
{
    const ProjectionMap map = fProjection.Map();
    Quor_Vector2 v;
    map.AnglesToPoint(yaw, pitch, v);
    const double w = map.CanvasWidth(), h = map.CanvasHeight();
    const double x = Quor_Clamp((h * v.x + w) * 0.5, -kCoordinateLimit, kCoordinateLimit);
    const double y = Quor_Clamp((h - v.y * h) * 0.5, -kCoordinateLimit, kCoordinateLimit);
    return Quor_Vector2(static_cast<float>(Quor_RoundToInt(x)), static_cast<float>(Quor_RoundToInt(y)));
}

void CanvasPainter::Update(bool full)
{
    const Quor_image* view = fProjection.Image();
    if (view == nullptr)
        return;
    if (fSuspended) {
        fRedrawPutOff = true;
        return;
    }
    if (full) {
        if (!fBackImage.IsValid())
            return;
        DrawPhotos(true);
        return;
    }
    DrawPhotos(false);
    DrawOverlays();
}

bool CanvasPainter::UpdateMesh(int i, const PhotoMapping& photo, const MeshKey& key, const Quor_image* dest)
{
    Mesh& mesh = fMeshes[i];
    if (mesh.valid && std::memcmp(&mesh.key, &key, sizeof key) == 0)
        return true;
    mesh.valid = false;
    Quor_Raster& raster = fRasters[0];
    raster.SetDest(dest);
    if (!PhotoMesh::Map(&raster, fProjection.Map(), photo, key.yaw, &mesh.triangles))
        return false;
    mesh.firstRow = 0x7FFFFFFF;
    mesh.lastRow = -1;
    for (const Quor_MappedTriangle& t : mesh.triangles) {
        mesh.firstRow = std::min(mesh.firstRow, t.firstRow);
        mesh.lastRow = std::max(mesh.lastRow, t.lastRow);
    }
    mesh.key = key;
    mesh.valid = true;
    return true;
}

bool CanvasPainter::PrepareCover(const Quor_image* dest)
{
    const size_t width = size_t(dest->width), height = size_t(dest->height);
    try {
        if (fCover.size() != width * height || fCoverRows.size() != height) {
            fCover.assign(width * height, 0);
            fCoverRows.resize(height);
        }
    } catch (const std::bad_alloc&) {
        fCover.clear();
        fCoverRows.clear();
        return false;
    }
    for (size_t y = 0; y < height; y++)
        fCoverRows[y] = fCover.data() + y * width;
    return true;
}

void CanvasPainter::DrawPhotos(bool full)
{
    const Quor_image* dest = full ? &fBackImage.Image() : fProjection.Image();
    const ProjectionMap map = fProjection.Map();
    const float cameraAngle = PhotoMapping::CameraAngle(fDoc->fFocalLength);
    const int selected = fDoc->fSelected;
    // While brightening, every photo is drawn in both passes in copy mode, so that the photos
    // after the selected one still cover it.
    const bool brightening = fTool == kToolBrightness;
    const int count = PhotoCount(fDoc);
    struct Job {
        int photo;
        int mode;
    };
    Job jobs[kMaxPhotos];
    int jobCount = 0;
    bool mapped = true;
    for (int i = 0; i < count; i++) {
        if (!brightening && full == (i == selected))
            continue;
        const Quor_BaseImage& image = fDoc->fPhotoImage[i];
        if (!image.IsValid())
            continue;
        int mode = kRasterTextureCopy;
        if (i == selected && !brightening)
            mode = gDifferenceMode ? kRasterTextureDifference : kRasterTextureAverage;
        // The canvas projection's type (which the window keeps equal to the document's) decides
        // the extra quarter turn of the vertical spherical type, as in the preview.
        PhotoMapping photo;
        photo.Set(image.Image(), fDoc->fYaw[i], fDoc->fPitch[i], fDoc->fRoll[i], cameraAngle, map.ProjectionType());
        const Quor_Vector2 offset = map.Offset();
        const MeshKey key{fDoc->fYaw[i], fDoc->fPitch[i], fDoc->fRoll[i], cameraAngle, map.Zoom(), offset.x, offset.y,
                          map.ProjectionType(), map.CanvasWidth(), map.CanvasHeight(), dest->width, dest->height,
                          image.Image().width, image.Image().height};
        mapped = mapped && UpdateMesh(i, photo, key, dest);
        jobs[jobCount++] = Job{i, mode};
    }
    // Rows top..bottom of the destination as they are before any photo is drawn: the canvas colour
    // in the cache, the cache (or the canvas colour without one) in the view.
    const auto startRows = [&](int top, int bottom) {
        if (top > bottom)
            return;
        const Quor_image rows = RowsOf(*dest, top, bottom);
        if (!full && fBackImage.IsValid()) {
            const Quor_image cached = RowsOf(fBackImage.Image(), top, bottom);
            Quor_ImageOps::Blit(&cached, &rows, 0, 0);
        } else {
            Quor_ImageOps::Clear(&rows, fBackColor);
        }
    };
    if (!mapped) {
        // Out of memory for a mesh: everything is drawn straight through in one pass.
        startRows(0, dest->height - 1);
        Quor_Raster& raster = fRasters[0];
        raster.SetDest(dest);
        raster.SetRowLimit(INT_MIN, INT_MAX);
        for (int j = 0; j < jobCount; j++) {
            const int i = jobs[j].photo;
            PhotoMapping photo;
            photo.Set(fDoc->fPhotoImage[i].Image(), fDoc->fYaw[i], fDoc->fPitch[i], fDoc->fRoll[i], cameraAngle,
                      map.ProjectionType());
            PhotoMesh::Draw(&raster, map, photo, fDoc->fYaw[i], jobs[j].mode);
        }
        return;
    }

    const int strips = std::clamp(std::min(Quor_Parallel::Threads() * 4, dest->height / kMinStripRows), 1, kMaxStrips);
    const int rowsPerStrip = (dest->height + strips - 1) / strips;
    for (int s = 0; s < strips; s++) {
        fRasters[s].SetDest(dest);
        fRasters[s].SetRowLimit(s * rowsPerStrip, (s + 1) * rowsPerStrip - 1);
    }
    bool allCopied = true;
    for (int j = 0; j < jobCount; j++)
        allCopied = allCopied && jobs[j].mode == kRasterTextureCopy;
    if (allCopied && jobCount > 0 && PrepareCover(dest)) {
        Quor_Parallel::For(strips, [&](int s) {
            Quor_Raster& raster = fRasters[s];
            const int top = s * rowsPerStrip, bottom = std::min(top + rowsPerStrip, dest->height) - 1;
            startRows(top, bottom);
            if (top <= bottom)
                std::fill(fCoverRows[top], fCoverRows[bottom] + dest->width, uint8_t(0));
            for (int j = jobCount - 1; j >= 0; j--) {
                const Mesh& mesh = fMeshes[jobs[j].photo];
                if (mesh.lastRow < top || mesh.firstRow > bottom)
                    continue;
                raster.SetTexture(&fDoc->fPhotoImage[jobs[j].photo].Image());
                for (auto t = mesh.triangles.rbegin(); t != mesh.triangles.rend(); ++t)
                    if (t->lastRow >= top && t->firstRow <= bottom)
                        raster.DrawMappedBehind(*t, fCoverRows.data());
            }
        });
        return;
    }
    Quor_Parallel::For(strips, [&](int s) {
        Quor_Raster& raster = fRasters[s];
        const int top = s * rowsPerStrip, bottom = std::min(top + rowsPerStrip, dest->height) - 1;
        startRows(top, bottom);
        for (int j = 0; j < jobCount; j++) {
            const Mesh& mesh = fMeshes[jobs[j].photo];
            if (mesh.lastRow < top || mesh.firstRow > bottom)
                continue;
            raster.SetTexture(&fDoc->fPhotoImage[jobs[j].photo].Image());
            for (const Quor_MappedTriangle& t : mesh.triangles)
                if (t.lastRow >= top && t.firstRow <= bottom)
                    raster.DrawMapped(t, jobs[j].mode);
        }
    });
}

void CanvasPainter::DrawOverlays()
{
    fProjection.BeginDraw();
    // Every frame starts from the same state, whatever the previous one left.
    fProjection.SetSmoothing(false);
    if (PhotoCount(fDoc) == 0)
        DrawHint();
    else if (!fPhotoNote.empty() && fHintFont != nullptr)
        DrawPhotoNote();

    fProjection.SetPenWidth(3);
    const int count = PhotoCount(fDoc);
    for (int i = 0; i < count; i++) {
        const Quor_Vector2 p = PixelPosition(fDoc->fYaw[i], fDoc->fPitch[i]);
        fProjection.SetColor(i == fDoc->fSelected ? Quor_ColorOps::Red : Quor_ColorOps::White);
        fProjection.DrawLine(p.x - 4, p.y, p.x + 4, p.y);
        fProjection.DrawLine(p.x, p.y - 4, p.x, p.y + 4);
    }

    fProjection.DrawPanomerBounds(fDoc);

    const float right = static_cast<float>(fProjection.Width() - 1);
    const float bottom = static_cast<float>(fProjection.Height() - 1);
    if (gCrosshairGuide) {
        fProjection.SetColor(kGuideColor);
        fProjection.HLine(0.0f, right, static_cast<float>(fMousePt.y));
        fProjection.VLine(0.0f, bottom, static_cast<float>(fMousePt.x));
    }

    if (fDoc->fPivot[0] < kPivotUnset && fDoc->fPivot[1] < kPivotUnset) {
        const Quor_Vector2 p = PixelPosition(fDoc->fPivot[0], fDoc->fPivot[1]);
        fProjection.SetColor(Quor_ColorOps::Red);
        fProjection.DrawLine(p.x - 1, p.y, p.x + 1, p.y);
        fProjection.DrawLine(p.x, p.y - 1, p.x, p.y + 1);
        const int x = static_cast<int>(p.x), y = static_cast<int>(p.y);
        fProjection.SetSmoothing(true);
        fProjection.FrameOval(Quor_Rect(x - 4, y - 4, x + 4, y + 4));
        fProjection.SetSmoothing(false);
    }
    fProjection.EndDraw();
}

void CanvasPainter::DrawHint()
{
    if (fHintFont == nullptr)
        return;
    fProjection.SetColor(Quor_ColorOps::Black);
    fProjection.SetFont(fHintFont);
    Quor_Rect band(0, 0, fProjection.Width() - 1, kHintBandHeight);
    fProjection.DrawString(kHintLines[0], band, QUOR_ALIGN_CENTER, QUOR_ALIGN_CENTER);
    band.OffsetBy(0, kHintGap);
    fProjection.DrawString(kHintLines[1], band, QUOR_ALIGN_CENTER, QUOR_ALIGN_CENTER);
    for (int i = 2; i < 4; i++) {
        band.OffsetBy(0, fHintFont->LineToLineHeight());
        fProjection.DrawString(kHintLines[i], band, QUOR_ALIGN_CENTER, QUOR_ALIGN_CENTER);
    }
    if (!fHintNote.empty()) {
        band.OffsetBy(0, 2 * fHintFont->LineToLineHeight());
        fProjection.DrawString(fHintNote.c_str(), band, QUOR_ALIGN_CENTER, QUOR_ALIGN_CENTER);
    }
}

void CanvasPainter::DrawPhotoNote()
{
    const Quor_Rect band(0, 0, fProjection.Width() - 1, kHintBandHeight);
    fProjection.SetColor(kNoteColor);
    fProjection.FillRect(band);
    fProjection.SetColor(Quor_ColorOps::Black);
    fProjection.SetFont(fHintFont);
    fProjection.DrawString(fPhotoNote.c_str(), band, QUOR_ALIGN_CENTER, QUOR_ALIGN_CENTER);
}

CanvasPainter::PreviewEnd CanvasPainter::Preview(const std::function<bool()>& stopAsked,
                                                 const std::function<void()>& refresh)
{
    const Quor_image* view = fProjection.Image();
    if (view == nullptr || fSuspended)
        return PreviewEnd::kNotRun;
    std::unique_ptr<PanoramaSampler> sampler(new (std::nothrow) PanoramaSampler);
    if (!sampler || sampler->Setup(*fDoc, fProjection.Map(), PanoramaSampler::kPreviewRamp) != QUOR_OK)
        return PreviewEnd::kNotRun;

    Quor_ImageOps::SetAlpha(view, 0);
    rgb_color background = fBackColor;
    background.alpha = 0;
    const uint32_t backgroundPixel = Packed(background);
    const uint32_t progressPixel = Packed(kProgressColor);
    const int height = view->height;
    const size_t width = size_t(view->width);
    // The rows of the next passes are rendered ahead on every core, then each pass shows its two
    // as before. Without memory for them, every pass renders its own rows.
    std::vector<uint32_t> ahead;
    try {
        ahead.resize(size_t(2 * kPreviewPassesAhead) * width);
    } catch (const std::bad_alloc&) {
        ahead.clear();
    }
    int upper = height / 2;
    int lower = upper + 1;
    PreviewEnd end = PreviewEnd::kDone;
    for (int pass = 1; upper >= 0; pass++) {
        if (pass >= kFirstStoppablePass && stopAsked && stopAsked()) {
            Update(false);
            if (refresh)
                refresh();
            end = PreviewEnd::kStopped;
            break;
        }
        if (ahead.empty()) {
            sampler->RenderBlendedRow(upper, view->Row32(upper), backgroundPixel);
            if (lower < height)
                sampler->RenderBlendedRow(lower, view->Row32(lower), backgroundPixel);
        } else {
            const int slot = (pass - 1) % kPreviewPassesAhead;
            if (slot == 0) {
                // Pass pass + k renders rows upper - k and lower + k.
                const int firstUpper = upper, firstLower = lower;
                const int passes = std::min(kPreviewPassesAhead, upper + 1);
                Quor_Parallel::For(2 * passes, [&](int j) {
                    const int y = j % 2 == 0 ? firstUpper - j / 2 : firstLower + j / 2;
                    if (y < height)
                        sampler->RenderBlendedRow(y, ahead.data() + size_t(j) * width, backgroundPixel);
                });
            }
            std::copy_n(ahead.data() + size_t(2 * slot) * width, width, view->Row32(upper));
            if (lower < height)
                std::copy_n(ahead.data() + size_t(2 * slot + 1) * width, width, view->Row32(lower));
        }
        upper--;
        lower++;
        if (upper >= 0)
            FillRow(view, upper, progressPixel);
        if (lower < height)
            FillRow(view, lower, progressPixel);
        if (refresh)
            refresh();
    }
    if (refresh)
        refresh();
    Quor_Beep(0);
    return end;
}

void CanvasPainter::SuspendPhotoDrawing()
{
    fSuspended = true;
}

bool CanvasPainter::ResumePhotoDrawing()
{
    fSuspended = false;
    if (!fRedrawPutOff)
        return false;
    fRedrawPutOff = false;
    if (fProjection.Image() == nullptr)
        return false;
    // The worker has reloaded every photo: the cache is rebuilt whatever was put off.
    Update(true);
    Update(false);
    return true;
}
