// The 16 x 16 signs of the tool bar buttons: the photo list's rotate and remove buttons and the
// canvas tools. Drawn in the theme's dark blue with a few colours for photos, light and removal.
#pragma once

#include "tools/artgen/ArtCanvas.h"

class ToolIconArt {
public:
    enum class Kind {
        kRotatePhoto,
        kRotateAllPhotos,
        kRemovePhoto,
        kRemoveAllPhotos,
        kSelect,
        kMove,
        kRotate,
        kBrightness,
        kCrop,
        kPan,
        kZoom,
    };
    static constexpr int kSize = 16;

    // Draws the sign with its top-left corner at (left, top) over what the canvas holds.
    static void Draw(Kind kind, ArtCanvas* canvas, float left, float top);
};
