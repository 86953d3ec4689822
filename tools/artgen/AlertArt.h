// The three alert icons: information (a blue disc with "i", 50 x 50), exclamation (a yellow
// triangle with "!", 56 x 50) and question (a blue-green disc with "?", 52 x 50); clear outside
// the shape, so they sit on any alert background.
#pragma once

#include "toolkit/imaging/Quor_BaseImage.h"
#include "tools/artgen/ArtText.h"

class AlertArt {
public:
    enum class Kind { kInformation, kExclamation, kQuestion };

    static int Width(Kind kind);
    static int Height(Kind) { return 50; }

    // `font` gives the mark in the middle (a bold face). 0; -3 without a font; -1 out of memory.
    static int Draw(Kind kind, const ArtText& font, Quor_BaseImage* out);
};
