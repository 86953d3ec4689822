// How text is placed against a pen position or inside a rectangle, horizontally and vertically.
// Shared by the graphics context and every widget that draws a label.
#pragma once

enum Quor_textAlignment : int {
    QUOR_ALIGN_LEFT = 0,
    QUOR_ALIGN_RIGHT = 1,
    QUOR_ALIGN_TOP = 2,
    QUOR_ALIGN_BOTTOM = 3,
    QUOR_ALIGN_CENTER = 4,
};
