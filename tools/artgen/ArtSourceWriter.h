// Turns built-in pictures into C++ source: the header that declares every record and one source
// file per group that defines them over constant pixel arrays.
#pragma once

#include <string>
#include <vector>

#include "tools/artgen/ArtPicture.h"

class ArtSourceWriter {
public:
    static constexpr const char* kHeaderName = "PanomerArt.h";
    // Where the sources are included from, relative to the repository root.
    static constexpr const char* kIncludePath = "app/ui/data/PanomerArt.h";

    // The header declaring every picture, in the order given.
    static std::string Header(const std::vector<ArtPicture>& pictures);
    // The groups in the order of their first picture.
    static std::vector<std::string> Groups(const std::vector<ArtPicture>& pictures);
    // "PanomerArt_<group>.cpp".
    static std::string SourceName(const std::string& group);
    // The source defining the pictures of one group.
    static std::string Source(const std::vector<ArtPicture>& pictures, const std::string& group);
};
