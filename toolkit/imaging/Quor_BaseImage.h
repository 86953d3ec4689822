// An image that owns its pixels: allocates rows padded to 4 bytes and hands out Quor_image views.
// Derived images (the platform image of the framework) override Initialize and Free.
#pragma once

#include <cstddef>
#include <cstdint>

#include "toolkit/core/Quor_RgbColor.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/Quor_image.h"
#include "toolkit/math/Quor_Rect.h"

class Quor_BaseImage {
public:
    // Largest image accepted, in pixels. Larger (or corrupt) sizes are refused with QUOR_ERR_MEMORY before
    // any allocation, so no size computation can wrap.
    static constexpr int64_t kMaxPixels = int64_t(1) << 31;

    Quor_BaseImage() = default;
    virtual ~Quor_BaseImage();

    Quor_BaseImage(const Quor_BaseImage&) = delete;
    Quor_BaseImage& operator=(const Quor_BaseImage&) = delete;

    // QUOR_OK; QUOR_ERR_ARGUMENT for a size below 1 or a depth other than 8, 15, 16, 24, 32;
    // QUOR_ERR_MEMORY when the image would exceed kMaxPixels or the allocation fails. Keeps the
    // pixels when nothing changes; otherwise the old pixels are freed first, and a failure leaves
    // the image empty. Contents undefined.
    virtual int Initialize(int width, int height, int pixelBits);
    virtual void Free();
    // Exchanges the pixels of two images without copying them. Only for images of this class
    // itself: a derived image keeps pixels of its own making.
    void Swap(Quor_BaseImage& other) noexcept;

    bool IsValid() const { return image.bits != nullptr; }
    int Width() const { return IsValid() ? image.width : -1; }
    int Height() const { return IsValid() ? image.height : -1; }
    int PixelBits() const { return IsValid() ? image.pixelBits : -1; }
    int PixelBytes() const { return IsValid() ? image.pixelBytes : -1; }
    int RowBytes() const { return IsValid() ? image.rowBytes : -1; }
    uint8_t* Bits() const { return image.bits; }

    const Quor_image& Image() const { return image; }
    operator const Quor_image*() const { return &image; }

    // No bounds checks: callers keep x and y inside the image. Offsets are pointer-sized.
    uint8_t* RowPtr(int y) const { return image.bits + static_cast<ptrdiff_t>(y) * image.rowBytes; }
    uint8_t* PixelPtr(int x, int y) const
    {
        return RowPtr(y) + static_cast<ptrdiff_t>(x) * image.pixelBytes;
    }

    // Copies the record: QUOR_OK, or QUOR_ERR_NO_IMAGE without pixels.
    int FillImage(Quor_image* out) const;
    // A view of the part of the image inside r (normalised first): QUOR_OK;
    // QUOR_ERR_NO_IMAGE without pixels; QUOR_ERR_ARGUMENT when r does not overlap the image.
    int FillImage(Quor_image* out, Quor_Rect r) const;

    void Clear(const rgb_color& color);

    // The size of an image in the layout Initialize uses. QUOR_OK, filling what is asked;
    // QUOR_ERR_ARGUMENT for bad arguments; QUOR_ERR_MEMORY when the image would exceed
    // kMaxPixels. File readers call this before trusting a header's dimensions.
    static int ComputeLayout(int width, int height, int pixelBits, int* pixelBytes, int* rowBytes,
                             int64_t* byteSize);

protected:
    Quor_image image;            // bits is null or equals buffer
    uint8_t* buffer = nullptr;   // the owned allocation
};
