// The layered PSD export worker: one full-canvas layer per photo, each holding only that photo
// warped into the panorama's projection and crop, transparent wherever the photo does not reach.
// No blending: the layers are left for the user to blend in an image editor. The file's merged
// picture, which file managers and viewers show, is the layers laid over white one on another.
#pragma once

#include <cstdint>

#include "app/core/RenderOwner.h"

class PsdRenderer {
public:
    // Renders the owner's document to its fRenderPath with fRenderWidth x fRenderHeight layers, on
    // the calling thread, and returns how it ended; RenderOwner runs it on the worker thread.
    // Never throws.
    static RenderResult Run(RenderOwner* owner);

    // Bytes of the one layer image the export holds (the merged picture takes as much again),
    // or -1 beyond any machine.
    static int64_t LayerBytes(int width, int height);
    // Lays `width` pixels of a layer row over the merged row: straight colour, rounded to the
    // nearest; the merged row stays opaque.
    static void CompositeRow(const uint32_t* layer, uint32_t* merged, int width);
};
