// The 32-bit offscreen image a layer draws into and blits to its window. On this platform the
// pixels the toolkit draws are the buffer the window shows from, so there is no separate host
// buffer to keep in step.
#pragma once

#include "toolkit/imaging/Quor_BaseImage.h"

class Quor_DC;

class Quor_PlatformImage : public Quor_BaseImage {
public:
    Quor_PlatformImage() = default;
    ~Quor_PlatformImage() override;

    // Keeps the pixels when the image is already w x h at 32 bits. Otherwise frees them and, for
    // w and h of at least 1, makes a 32-bit image of that size: 0 (QUOR_OK), or QUOR_ERR_CREATE
    // when it cannot be allocated (no image is left). A size below 1 leaves no image and
    // returns 0. The depth argument is accepted for the base class's sake; the image is always
    // 32 bits deep.
    int Initialize(int width, int height, int pixelBits) override;
    void Free() override;

    // Copies the whole image to window point (x, y) through the context's clip and shows it.
    void Draw(Quor_DC* dc, int x, int y);
    // Copies it scaled into the w x h rectangle at (x, y).
    void Draw(Quor_DC* dc, int x, int y, int w, int h);
    // The host buffer handle: the pixels themselves here.
    void* NativeJunk() const { return Bits(); }
};
