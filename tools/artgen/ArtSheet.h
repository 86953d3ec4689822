// A contact sheet for reviewing the artwork: pictures laid out in rows, each shown over a chosen
// background at its real size and enlarged pixel for pixel, written as one PNG.
#pragma once

#include <string>
#include <vector>

#include "toolkit/core/Quor_RgbColor.h"
#include "toolkit/imaging/Quor_BaseImage.h"

class ArtSheet {
public:
    // Shows the picture at its real size and `zoom` times enlarged, both over `ground`.
    void Add(const Quor_image& picture, int zoom, rgb_color ground);
    // The following pictures start on a new row.
    void NewRow();
    // 0; -1 out of memory; -5 when the file cannot be created; -7 when writing fails.
    int Write(const std::string& path) const;

private:
    struct Item {
        const Quor_image* picture;
        int zoom;
        rgb_color ground;
        bool newRow;
    };
    std::vector<Item> fItems;
    bool fPendingRow = false;
};
