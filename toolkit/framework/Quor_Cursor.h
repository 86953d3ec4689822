// A mouse cursor: a 16 x 16 one-bit picture with a mask and a hot spot, made from the top-left
// 16 x 16 pixels of a 32-bit image. The wait and text-beam cursors are built in.
#pragma once

#include <cstdint>

#include "toolkit/imaging/Quor_image.h"

class Quor_Cursor {
public:
    static Quor_Cursor* waitCursor;
    static Quor_Cursor* iBeamCursor;

    // Row by row, bit (15 - x) of the row's 16-bit word is set in the mask where the pixel's
    // first byte in memory (its alpha) is not 0, and in the picture where that byte is not 0 and
    // the other three are 0 (opaque black); each row word is stored high byte first. An image
    // smaller than 16 x 16, not 32 bits deep or without a complete record makes no cursor
    // (PlatformCursor() stays 0, which shows the arrow).
    Quor_Cursor(const Quor_image* image, int hotX, int hotY);
    ~Quor_Cursor();
    Quor_Cursor(const Quor_Cursor&) = delete;
    Quor_Cursor& operator=(const Quor_Cursor&) = delete;

    bool IsValid() const { return fValid; }
    const uint8_t* Data() const { return fData; }
    const uint8_t* Mask() const { return fMask; }
    int HotX() const { return fHotX; }
    int HotY() const { return fHotY; }
    // The host's cursor, 0 when the host has none (or the image was refused).
    uintptr_t PlatformCursor() const { return fHostCursor; }

    static void InitStandardCursors();
    static void FreeStandardCursors();

private:
    bool fValid = false;
    uint8_t fData[32] = {};
    uint8_t fMask[32] = {};
    int fHotX;
    int fHotY;
    uintptr_t fHostCursor = 0;
};
