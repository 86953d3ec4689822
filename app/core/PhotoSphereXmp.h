// The photo-sphere properties that panorama viewers and photo services read from a JPEG's XMP
// segment to show an equirectangular picture as a sphere: where the exported crop lies in the full
// 360 x 180 degree panorama, and the view to open on.
#pragma once

#include <string>

#include "app/core/ProjectionMap.h"

class PhotoSphereXmp {
public:
    // Where the crop lies in the whole sphere, in output pixels, and the view to open on.
    struct Placement {
        int fullWidth = 0;
        int fullHeight = 0;
        int croppedWidth = 0;
        int croppedHeight = 0;
        int croppedLeft = 0;
        int croppedTop = 0;
        double headingDegrees = 0;  // 0 ..< 360, 0 the middle of the full panorama
        double pitchDegrees = 0;
    };

    // The placement of an export through `map` (fitted to the output canvas); false for any
    // projection but the horizontal spherical one, and for a canvas without extent.
    static bool Place(const ProjectionMap& map, Placement* out);
    // The APP1 segment's payload (the XMP namespace's header and the packet), or "" when Place
    // gives nothing.
    static std::string Segment(const ProjectionMap& map);
};
