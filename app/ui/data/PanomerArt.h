// The editor's built-in pictures: tool cursors, tool bar strips, alert icons, the about picture
// and the window icon. Written by panomer-artgen (tools/artgen): do not edit.
//
// Every record is complete: 32-bit pixels (pixelBits 32, pixelBytes 4, rowBytes = width * 4) in
// the native packing, blue << 24 | green << 16 | red << 8 | alpha, with straight alpha. The
// pixels are constant data in read-only memory: draw from these images as they are (they need
// no correction), never into them.
#pragma once

#include "toolkit/imaging/Quor_image.h"

// The tool cursors of the editing view.
extern const Quor_image kcurs_move;             // 16 x 16: move tool, hot spot (1, 1)
extern const Quor_image kcurs_rotate;           // 16 x 16: rotate tool, hot spot (1, 1)
extern const Quor_image kcurs_brighten;         // 16 x 16: brightness tool, hot spot (1, 1)
extern const Quor_image kcurs_updown;           // 16 x 16: over a line of latitude, hot spot (7, 7)
extern const Quor_image kcurs_leftright;        // 16 x 16: over a line of longitude, hot spot (7, 7)
extern const Quor_image kcurs_pan;              // 16 x 16: pan tool, hot spot (7, 7)
extern const Quor_image kcurs_zoom;             // 16 x 16: zoom tool, hot spot (7, 7)

// The tool bar strips of the photo list and the canvas: normal, pressed and disabled.
extern const Quor_image ktools_list;            // 101 x 24: rotate, rotate all, remove, remove all
extern const Quor_image ktools_list_down;       // 101 x 24: the same, pressed
extern const Quor_image ktools_list_disabled;   // 101 x 24: the same, disabled
extern const Quor_image ktools_panomer;         // 176 x 24: select, move, rotate, brighten, crop, pan, zoom
extern const Quor_image ktools_panomer_down;    // 176 x 24: the same, pressed
extern const Quor_image ktools_panomer_disabled; // 176 x 24: the same, disabled

// The alert icons and the window icon.
extern const Quor_image kinformation;           // 50 x 50: alert icon: information
extern const Quor_image kexclamation;           // 56 x 50: alert icon: exclamation
extern const Quor_image kquestion;              // 52 x 50: alert icon: question
extern const Quor_image kappicon;               // 64 x 64: the window icon

// The about picture.
extern const Quor_image kabout;                 // 400 x 225: the about picture, plain from row 124 down
