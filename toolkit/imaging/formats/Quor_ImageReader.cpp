#include "toolkit/imaging/formats/Quor_ImageReader.h"

#include <atomic>

#include "toolkit/imaging/Quor_BaseImage.h"

namespace {

std::atomic<int64_t> sPixelLimit{Quor_BaseImage::kMaxPixels};

}  // namespace

int Quor_ImageReader::CheckSize(int64_t width, int64_t height)
{
    if (width < 1 || height < 1)
        return -6;
    if (width > 65535 || height > 65535 || width * height > PixelLimit())
        return -1;
    return 0;
}

void Quor_ImageReader::SetPixelLimit(int64_t pixels)
{
    if (pixels < 1 || pixels > Quor_BaseImage::kMaxPixels)
        pixels = Quor_BaseImage::kMaxPixels;
    sPixelLimit.store(pixels, std::memory_order_relaxed);
}

int64_t Quor_ImageReader::PixelLimit()
{
    return sPixelLimit.load(std::memory_order_relaxed);
}
