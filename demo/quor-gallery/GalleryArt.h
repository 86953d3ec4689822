// The pictures the gallery shows, drawn once with the graphics context: icons, the tool bar's
// four image strips and landscapes for the picture and scrolling views. They live until the
// program ends, so every widget that shows one may outlive its window.
#pragma once

#include "toolkit/core/Quor_RgbColor.h"
#include "toolkit/imaging/Quor_BaseImage.h"

class GalleryArt {
public:
    enum Shape { kDisc = 0, kSquare, kTriangle, kDiamond, kCross };
    static constexpr int kShapes = 5;
    // The four states a tool bar draws its buttons in.
    enum State { kNormal = 0, kSet, kDisabled, kHover };

    // A shape on a transparent ground; false when the image cannot be made.
    static bool MakeIcon(Quor_BaseImage* out, int size, Shape shape, const rgb_color& color);
    // kShapes cells of cell x cell pixels side by side, each a button face in the given state.
    static bool MakeToolStrip(Quor_BaseImage* out, int cell, State state);
    // A landscape: sky, sun, two rows of hills and a lake.
    static bool MakeLandscape(Quor_BaseImage* out, int width, int height);

    // The gallery's pictures, drawn on first use.
    static GalleryArt& Shared();

    Quor_BaseImage icons[kShapes];
    Quor_BaseImage toolStrips[4];
    Quor_BaseImage picture;
    Quor_BaseImage wideView;

private:
    GalleryArt();
};
