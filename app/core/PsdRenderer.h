// The layered PSD export worker: one full-canvas layer per photo, each holding only that photo
// warped into the panorama's projection and crop, transparent wherever the photo does not reach.
// No blending: the layers are left for the user to blend in an image editor.
#pragma once

#include "app/core/RenderOwner.h"

class PsdRenderer {
public:
    // Renders the owner's document to its fRenderPath with fRenderWidth x fRenderHeight layers, on
    // the calling thread, and returns how it ended; RenderOwner runs it on the worker thread.
    // Never throws.
    static RenderResult Run(RenderOwner* owner);

    // Bytes of the one layer image the export holds, or -1 beyond any machine.
    static int64_t LayerBytes(int width, int height);
};
