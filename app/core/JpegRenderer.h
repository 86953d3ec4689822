// The JPEG export worker: reloads every photo at full size, maps each output pixel back into the
// photos, blends the overlaps with feathered edges and streams the rows into a baseline JPEG file,
// so the panorama itself never exists in memory as a whole.
#pragma once

#include "app/core/RenderOwner.h"

class JpegRenderer {
public:
    // Renders the owner's document to its fRenderPath with fRenderWidth x fRenderHeight pixels at
    // fQuality, on the calling thread, and returns how it ended; RenderOwner runs it on the
    // worker thread. Never throws.
    static RenderResult Run(RenderOwner* owner);

    // The thread count a user asked for in `text` (PANOMER_THREADS, panomer-render --threads):
    // 1 to 64, or 0 (the machine's cores) for anything else, an absent value included.
    static int ThreadCount(const char* text);
    static constexpr int kMaxThreads = 64;
    // Sets the threads of every parallel loop from PANOMER_THREADS; called once at program start.
    static void ThreadsFromEnvironment();

    // The colour of the panorama where no photo reaches.
    static constexpr uint8_t kBackground = 220;
};
