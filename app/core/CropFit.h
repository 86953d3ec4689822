// The crop as an export sees it: which crop a projection can use, how it is fitted to the output
// canvas, and the output height that keeps the crop's proportions for a given width.
#pragma once

#include "app/core/ProjectionMap.h"

class PanomerDoc;

class CropFit {
public:
    // Limits of an exported panorama, per side, and of the JPEG quality.
    static constexpr int kMinSize = 16;
    static constexpr int kMaxSize = 30000;
    static constexpr int kMinQuality = 10;
    static constexpr int kMaxQuality = 100;

    // The crop of `type` as it will be used: the given one (maximum yaw, minimum yaw, maximum
    // pitch, minimum pitch) when both of its projected extents are positive and finite, otherwise
    // the type's default crop, so that neither the fit nor the output size ever divides by zero.
    // Returns false when the default had to stand in. The given crop is never changed.
    static bool UsableCrop(int type, const float crop[4], float out[4]);

    // Sets the zoom and the offset of `map` (whose type and canvas are set) so that the crop's
    // vertical extent fills the canvas height exactly and the crop is centred horizontally.
    // Uses UsableCrop.
    static void Fit(ProjectionMap& map, const float crop[4]);

    // The crop's proportions in the terms the export dialogs work with: width / height of the
    // projected crop, except for the vertical spherical type, where it is height / width
    // (yaw runs down that canvas). For the types whose projection is linear in the angles
    // (horizontal, vertical spherical and flat) this is the ratio of the angular extents; for
    // perspective and fisheye it is measured on the projected crop, so that the fitted crop
    // reaches the output's left and right edges.
    static float Aspect(int type, const float crop[4]);

    // The output height that keeps the crop's proportions for `width`, and the width for `height`,
    // rounded half away from zero (saturating; callers check the range).
    static int HeightForWidth(int type, const float crop[4], int width);
    static int WidthForHeight(int type, const float crop[4], int height);
    // The export dialogs' proportion check: the typed size is within 0.1 of the crop's aspect.
    static bool RatioMatches(int type, const float crop[4], int width, int height);

    static bool IsValidSize(int width, int height)
    {
        return width >= kMinSize && width <= kMaxSize && height >= kMinSize && height <= kMaxSize;
    }

    // The document's forms of the above.
    static float Aspect(const PanomerDoc& doc);
    static int HeightForWidth(const PanomerDoc& doc, int width);

private:
    // Extents of the projected crop (before offset and zoom) across and down the canvas; false when
    // either is not a positive finite number.
    static bool ProjectedExtents(int type, const float crop[4], float* across, float* down);
};
