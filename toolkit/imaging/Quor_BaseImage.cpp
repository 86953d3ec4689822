#include "toolkit/imaging/Quor_BaseImage.h"

#include <new>
#include <utility>

#include "toolkit/imaging/ops/Quor_ImageOps.h"

Quor_BaseImage::~Quor_BaseImage()
{
    // Free is virtual, but a derived image has already been destroyed here; release our own.
    delete[] buffer;
}

int Quor_BaseImage::ComputeLayout(int width, int height, int pixelBits, int* pixelBytes,
                                  int* rowBytes, int64_t* byteSize)
{
    const int bytes = Quor_image::BytesForDepth(pixelBits);
    if (bytes == 0 || width < 1 || height < 1)
        return QUOR_ERR_ARGUMENT;
    // Both factors are below 2^31, so the product cannot wrap in 64 bits.
    if (int64_t(width) * height > kMaxPixels)
        return QUOR_ERR_MEMORY;
    const int64_t row = (int64_t(width) * bytes + 3) & ~int64_t(3);
    if (row > INT32_MAX)
        return QUOR_ERR_MEMORY;
    if (pixelBytes)
        *pixelBytes = bytes;
    if (rowBytes)
        *rowBytes = int(row);
    if (byteSize)
        *byteSize = row * height;   // at most 2^31 * 2^31: fits
    return QUOR_OK;
}

int Quor_BaseImage::Initialize(int width, int height, int pixelBits)
{
    if (image.bits && image.width == width && image.height == height &&
        image.pixelBits == pixelBits)
        return QUOR_OK;
    Free();
    int pixelBytes = 0, rowBytes = 0;
    int64_t byteSize = 0;
    const int result = ComputeLayout(width, height, pixelBits, &pixelBytes, &rowBytes, &byteSize);
    if (result != 0)
        return result;
    if (uint64_t(byteSize) > SIZE_MAX)
        return QUOR_ERR_MEMORY;
    buffer = new (std::nothrow) uint8_t[size_t(byteSize)];
    if (!buffer)
        return QUOR_ERR_MEMORY;
    image.bits = buffer;
    image.width = width;
    image.height = height;
    image.pixelBits = pixelBits;
    image.pixelBytes = pixelBytes;
    image.rowBytes = rowBytes;
    return QUOR_OK;
}

void Quor_BaseImage::Free()
{
    delete[] buffer;
    buffer = nullptr;
    image = Quor_image();
}

void Quor_BaseImage::Swap(Quor_BaseImage& other) noexcept
{
    std::swap(image, other.image);
    std::swap(buffer, other.buffer);
}

int Quor_BaseImage::FillImage(Quor_image* out) const
{
    if (!image.bits)
        return QUOR_ERR_NO_IMAGE;
    if (!out)
        return QUOR_ERR_ARGUMENT;
    *out = image;
    return QUOR_OK;
}

int Quor_BaseImage::FillImage(Quor_image* out, Quor_Rect r) const
{
    if (!image.bits)
        return QUOR_ERR_NO_IMAGE;
    return Quor_ImageOps::FillImage(&image, r, out);
}

void Quor_BaseImage::Clear(const rgb_color& color)
{
    Quor_ImageOps::Clear(&image, color);
}
