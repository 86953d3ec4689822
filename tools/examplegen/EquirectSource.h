// An equirectangular picture of the whole sphere as the colour of every direction, and the cutting
// of perspective photos out of it: each photo pixel takes the colour its viewing direction sees.
#pragma once

#include <cstdint>

#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/Quor_image.h"
#include "tools/examplegen/PhotoFrame.h"

class EquirectSource {
public:
    // image: 32 bits per pixel, never owned, and it must stay in place while the source is used.
    // Column a looks along yaw pi (1 - 2a / W), row b along pitch (pi / 2)(1 - 2b / H): the left
    // edge is yaw pi, the top edge the north pole, with no half-pixel offset.
    explicit EquirectSource(const Quor_image& image);

    // False for an image without pixels or of another depth.
    bool IsUsable() const { return fUsable; }
    int Width() const { return fImage.width; }
    int Height() const { return fImage.height; }

    // The source position (column, row) of a yaw and pitch, before any wrapping.
    void Position(double yaw, double pitch, double* column, double* row) const;

    // The colour seen along yaw and pitch, sampled bilinearly between the four nearest pixels;
    // columns wrap around the sphere, rows stop at the poles. A pixel in the toolkit's packing.
    uint32_t Sample(double yaw, double pitch) const;

    // Makes `photo` the frame's view of the sphere: a 32-bit image of the frame's size whose pixel
    // (tx, ty) is the colour along frame.Direction(tx, ty). QUOR_OK; QUOR_ERR_NO_IMAGE for an
    // unusable source; QUOR_ERR_ARGUMENT or QUOR_ERR_MEMORY when the photo cannot be allocated.
    int Cut(const PhotoFrame& frame, Quor_BaseImage* photo) const;

private:
    Quor_image fImage;
    bool fUsable = false;
};
