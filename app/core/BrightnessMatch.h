// Sets the photos' brightness so that overlapping photos agree: the mean luminance of every pair
// over the directions both cover (through the same mapping the preview uses) gives how much
// brighter one is than the other, and the brightness values that best agree with all of those
// ratios, in the least-squares sense on a log scale, are solved for, with their geometric mean
// held at 1 in every group of photos that overlap. Photos that overlap none keep theirs.
#pragma once

#include "app/core/PanomerDoc.h"

class BrightnessMatch {
public:
    // The brightness a photo may have, here and in the canvas's brightness tool: a floor above 0
    // (which would turn the photo black for good) and a ceiling far past the factor that turns
    // every lit pixel white, which keeps the value finite so that the project reads back.
    static constexpr float kLowest = 0.01f;
    static constexpr float kHighest = 1000.0f;
    // The grid of directions where overlaps are measured: the whole sphere, this many columns.
    static constexpr int kGridWidth = 360;
    // A pair counts as overlapping from this many shared grid points on.
    static constexpr int kMinShared = 16;

    // Works out matched brightness values from the photos' current images (which carry their
    // current brightness) into out[0..fNumPhotos-1], clamped to [low, high]; a photo without
    // overlap gets its current value. False when memory runs out (out is then untouched).
    static bool Solve(const PanomerDoc& doc, float low, float high, float* out);
};
