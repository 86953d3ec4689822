// One built-in picture as the generator makes it: its name in the program, the source file it is
// written into, a note for the header, and the pixels.
#pragma once

#include <memory>
#include <string>

#include "toolkit/imaging/Quor_BaseImage.h"

struct ArtPicture {
    std::string name;     // the name of the record, "kcurs_move"
    std::string group;    // the source file: PanomerArt_<group>.cpp
    std::string note;     // one line for the header
    std::unique_ptr<Quor_BaseImage> image;
};
