// The built-in 16 x 16 cursor pictures (wait and text beam) as complete 32-bit image records in
// read-only memory: black outline, white inside, transparent elsewhere.
#pragma once

#include "toolkit/imaging/Quor_image.h"

class Quor_CursorImages {
public:
    static const Quor_image* Wait();
    static const Quor_image* IBeam();
};
