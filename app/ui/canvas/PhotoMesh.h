// Draws one photo through the projection as a textured triangle mesh: the photo is cut into
// 20 x 20 cells, every cell corner is turned onto the panorama sphere and projected, and each
// cell goes to the rasterizer as two triangles. Texturing inside a triangle is affine. Where the
// projection's longitude wraps, a cell that runs past the +-pi seam is drawn again a full turn
// away, so a photo across the seam shows at both edges as the export renders it.
#pragma once

#include <vector>

#include "app/core/PhotoMapping.h"
#include "app/core/ProjectionMap.h"
#include "toolkit/imaging/raster/Quor_Raster.h"

class PhotoMesh {
public:
    // Cells along each side of the photo, each 0.05 of the photo in texture space.
    static constexpr int kCells = 20;

    // Draws the photo that `photo` maps (its image becomes the raster's texture) with the raster
    // fill `mode`. yaw is the photo's own yaw, which decides on which side of the +-pi seam a
    // photo that straddles it is drawn. Nothing for a photo that is not usable.
    static void Draw(Quor_Raster* raster, const ProjectionMap& map, const PhotoMapping& photo, float yaw, int mode);

    // The same triangles, in the same order, mapped by `raster` for Quor_Raster::DrawMapped (its
    // texture becomes the photo's image): drawn with `mode` on a destination of the raster's size
    // they give exactly what Draw gives. Each sphere position is worked out once for the corners
    // that share it. Empty for a photo that is not usable; false when out of memory.
    static bool Map(Quor_Raster* raster, const ProjectionMap& map, const PhotoMapping& photo, float yaw,
                    std::vector<Quor_MappedTriangle>* out);

    // Where the photo point at texture position (u, v) (0..1, v from the top) lies on the sphere.
    static void CornerAngles(const PhotoMapping& photo, float u, float v, float* lon, float* lat);

    // Brings lon onto the same side of the seam as `previous`: a jump of pi or more between two
    // neighbouring corners can only be the seam.
    static float UnwrapAgainst(float lon, float previous);
    // The first corner of a cell follows the photo's own yaw: a photo facing beyond +-pi/2 keeps
    // the corners across the seam on its side.
    static float UnwrapAgainstYaw(float lon, float yaw);
};
