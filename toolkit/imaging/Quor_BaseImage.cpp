#include "toolkit/imaging/Quor_BaseImage.h"

#include <new>

#include "toolkit/imaging/ops/Quor_ImageOps.h"

Quor_BaseImage::~Quor_BaseImage()
{
    // Free is virtual, but a derived image has already been destroyed here; release our own.
    delete[] buffer;
}

int Quor_BaseImage::ComputeLayout(int width, int height, int pixelBits, int* pixelBytes,
                                  int* rowBytes, int64_t* byteSize)
{
    int bytes = 0;
    switch (pixelBits) {
    case 8: bytes = 1; break;
    case 15:
    case 16: bytes = 2; break;
    case 24: bytes = 3; break;
    case 32: bytes = 4; break;
    default: return -3;
    }
    if (width < 1 || height < 1)
        return -3;
    // Both factors are below 2^31, so the product cannot wrap in 64 bits.
    if (int64_t(width) * height > kMaxPixels)
        return -1;
    const int64_t row = (int64_t(width) * bytes + 3) & ~int64_t(3);
    if (row > INT32_MAX)
        return -1;
    if (pixelBytes)
        *pixelBytes = bytes;
    if (rowBytes)
        *rowBytes = int(row);
    if (byteSize)
        *byteSize = row * height;   // at most 2^31 * 2^31: fits
    return 0;
}

int Quor_BaseImage::Initialize(int width, int height, int pixelBits)
{
    if (image.bits && image.width == width && image.height == height &&
        image.pixelBits == pixelBits)
        return 0;
    Free();
    int pixelBytes = 0, rowBytes = 0;
    int64_t byteSize = 0;
    const int result = ComputeLayout(width, height, pixelBits, &pixelBytes, &rowBytes, &byteSize);
    if (result != 0)
        return result;
    if (uint64_t(byteSize) > SIZE_MAX)
        return -1;
    buffer = new (std::nothrow) uint8_t[size_t(byteSize)];
    if (!buffer)
        return -1;
    image.bits = buffer;
    image.width = width;
    image.height = height;
    image.pixelBits = pixelBits;
    image.pixelBytes = pixelBytes;
    image.rowBytes = rowBytes;
    return 0;
}

void Quor_BaseImage::Free()
{
    delete[] buffer;
    buffer = nullptr;
    image = Quor_image();
}

int Quor_BaseImage::FillImage(Quor_image* out) const
{
    if (!image.bits)
        return -4;
    if (!out)
        return -3;
    *out = image;
    return 0;
}

int Quor_BaseImage::FillImage(Quor_image* out, Quor_Rect r) const
{
    if (!image.bits)
        return -4;
    return Quor_ImageOps::FillImage(&image, r, out);
}

void Quor_BaseImage::Clear(const rgb_color& color)
{
    Quor_ImageOps::Clear(&image, color);
}
