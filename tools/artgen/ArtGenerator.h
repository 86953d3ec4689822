// Makes every built-in picture of the editor and writes them: the C++ sources and header in
// app/ui/data, and the desktop icons as PNG files in its icons folder. The same fonts and the
// same libraries give the same files on every run.
#pragma once

#include <string>
#include <vector>

#include "tools/artgen/ArtPicture.h"

class ArtGenerator {
public:
    // The sizes of the desktop icons, written as icons/panomer-<size>.png.
    static constexpr int kIconSizes[3] = {48, 128, 256};
    // The faces used, in the font folder.
    static constexpr const char* kBoldFace = "DejaVuSans-Bold.ttf";
    static constexpr const char* kBookFace = "DejaVuSans.ttf";

    // Draws every picture. 0; QUOR_ERR_READ when a face cannot be opened; QUOR_ERR_MEMORY. On a
    // failure *error says what went wrong.
    int Draw(const std::string& fontFolder, std::string* error);

    const std::vector<ArtPicture>& Pictures() const { return fPictures; }
    // The picture of that name, or null.
    const Quor_image* Find(const std::string& name) const;

    // Writes the header, one source per group and the desktop icons into folder (the icons
    // into its "icons" folder, made when missing). 0; QUOR_ERR_CREATE or QUOR_ERR_WRITE with
    // *error naming the file; QUOR_ERR_MEMORY.
    int Write(const std::string& folder, std::string* error) const;
    // A contact sheet of every picture, enlarged, over the backgrounds they are shown on.
    int WriteSheet(const std::string& path) const;

private:
    int Add(const std::string& name, const std::string& group, const std::string& note,
            std::unique_ptr<Quor_BaseImage> image);

    std::vector<ArtPicture> fPictures;
};
