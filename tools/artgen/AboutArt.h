// The about picture, 400 x 225: a calm panorama of mountains and a lake under an evening sky,
// with a faint grid of longitudes and latitudes arching over it and the title in the sky. The
// lower part is left plain in the about box's background colour (164, 158, 126), because the box
// draws the scrolling credits and three lines of text there.
#pragma once

#include "toolkit/imaging/Quor_BaseImage.h"
#include "tools/artgen/ArtText.h"

class AboutArt {
public:
    static constexpr int kWidth = 400;
    static constexpr int kHeight = 225;
    // The plain part: from this row down the picture is the background colour alone.
    static constexpr int kPlainFrom = 124;

    // `title` draws the title, `subtitle` the line below it. 0; -3 without fonts; -1 out of memory.
    static int Draw(const ArtText& title, const ArtText& subtitle, Quor_BaseImage* out);
};
