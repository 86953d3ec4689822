// Renders rows of the panorama: every pixel of a canvas is mapped back through the projection
// into the document's photos. One row at a time and without shared mutable state, so rows can be
// rendered in any order or on several threads at once. The JPEG renderer blends all photos with
// feathered edges, the PSD renderer draws one photo per layer, the canvas preview blends with a
// shorter ramp.
#pragma once

#include <cstdint>
#include <memory>

#include "app/core/PanomerDoc.h"
#include "app/core/PhotoMapping.h"
#include "app/core/ProjectionMap.h"

class PanoramaSampler {
public:
    // Feather ramps, in photo pixels: the full-size renderer and the canvas preview.
    static constexpr float kRenderRamp = 32.0f;
    static constexpr float kPreviewRamp = 16.0f;

    PanoramaSampler() = default;
    PanoramaSampler(const PanoramaSampler&) = delete;
    PanoramaSampler& operator=(const PanoramaSampler&) = delete;

    // Takes the canvas from `map` (its type, size, zoom and offset) and each photo's current image
    // and placement from `doc`. The photo images must stay in place while rows are rendered.
    // QUOR_OK; QUOR_ERR_ARGUMENT for a canvas without pixels; QUOR_ERR_MEMORY when the row
    // tables cannot be allocated.
    int Setup(const PanomerDoc& doc, const ProjectionMap& map, float featherRamp);

    // A photo's pixels given apart from the document: its full size, and its rows one by one
    // (PhotoMapping::SetRows), for a photo decoded a few rows at a time.
    struct PhotoPixels {
        Quor_image image;
        const uint32_t* const* rows = nullptr;
        bool opaque = false;  // every pixel has alpha 255 (PhotoMapping::SetOpaque)
    };
    // As Setup, except that a photo whose entry of `pixels` (kMaxPhotos of them) has a usable
    // image is read from there instead of from the document.
    int Setup(const PanomerDoc& doc, const ProjectionMap& map, float featherRamp, const PhotoPixels* pixels);

    // Widens [first[i], last[i]] of every photo i by the photo rows that row y of the blended
    // panorama reads (RenderBlendedRow's samples, taken over the same pixels); a photo it does not
    // read keeps its range.
    void AddSampledRows(int y, int* first, int* last) const;

    const ProjectionMap& Map() const { return fMap; }
    int Width() const { return fMap.CanvasWidth(); }
    int Height() const { return fMap.CanvasHeight(); }
    const PhotoMapping& Photo(int index) const { return fPhotos[index]; }

    // Row y (Width() pixels) of the blended panorama. Every pixel starts as `background` (whose
    // alpha should be 0: nothing drawn yet); photos are laid over it in index order, each fading
    // in over the ones before within the ramp of its edges.
    void RenderBlendedRow(int y, uint32_t* row, uint32_t background) const;
    // Row y of the layer of one photo: its samples unchanged, alpha included, and 0 (transparent
    // black) wherever it does not reach.
    void RenderLayerRow(int photo, int y, uint32_t* row) const;

private:
    // Where a photo faces, for finding the columns of a row it may reach.
    struct Cone {
        float yaw = 0.0f;
        float cosPitch = 1.0f;
        float sinPitch = 0.0f;
        float cos = -1.0f;
    };

    // Calls visit(x, direction) for every pixel of row y that shows a direction on the sphere
    // and outside(x) for every other.
    template <typename Visit, typename Outside>
    void ForEachDirection(int y, Visit visit, Outside outside) const;
    // For the projections worked out per row and column: the angle that row y fixes, or false
    // when the row shows no direction at all.
    bool RowAngle(int y, float* angle, float* sin, float* cos) const;
    // Lays photo `index` over the columns of one row that it may reach (a superset of the pixels
    // it covers, found from its cone), calling blend(x, photo, tx, ty) for each pixel it covers.
    // Columns for which skip(x) is true are passed over before any mapping.
    template <typename Skip, typename Blend>
    void ForEachCoveredColumn(int index, float rowAngle, float rowSin, float rowCos, Skip skip, Blend blend) const;
    // Calls visit(x, index, photo, tx, ty) for every sample that row y of the blended panorama
    // takes, each pixel's in photo order, after filling the row with `background` when it is
    // given. Below a point that an opaque photo hides (PhotoMapping::Hides) no photo is sampled,
    // as its sample would be replaced anyway.
    template <typename Visit>
    void ForEachBlendedSample(int y, uint32_t* row, uint32_t background, Visit visit) const;
    // Up to two column ranges [first, last] of the row whose fixed angle is rowAngle that the
    // photo may reach; returns how many.
    int ColumnSpans(int index, float rowAngle, int spans[][2]) const;
    // The columns whose angle lies in [low, high] (with a column to spare each side); false when
    // there are none.
    bool ColumnsBetween(double low, double high, int* first, int* last) const;

    ProjectionMap fMap;
    float fRamp = kRenderRamp;
    PhotoMapping fPhotos[kMaxPhotos];
    int fPhotoCount = 0;
    // The indices of the photos that can cover anything, in document order.
    int fUsable[kMaxPhotos] = {};
    int fUsableCount = 0;
    // Whether any usable photo is opaque, so that photos below it may be passed over.
    bool fAnyOpaque = false;
    // For projections whose yaw and pitch each depend on one axis only: the angle that depends on
    // x, with its sine and cosine, once per column (validity in fColumnValid).
    std::unique_ptr<float[]> fColumnAngle;
    std::unique_ptr<float[]> fColumnSin;
    std::unique_ptr<float[]> fColumnCos;
    std::unique_ptr<bool[]> fColumnValid;
    // Whether the column angles run in one direction, as the span search needs; otherwise every
    // photo is tried on every column.
    bool fColumnsMonotonic = false;
    bool fColumnsDecreasing = false;
    Cone fCones[kMaxPhotos];
};
