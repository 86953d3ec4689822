#include "toolkit/imaging/formats/Quor_ImageReader.h"

#include <atomic>

#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"

namespace {

std::atomic<int64_t> sPixelLimit{Quor_BaseImage::kMaxPixels};

constexpr int64_t kMaxSide = 65535;

int Refuse(Quor_ReadLimits& limits, Quor_ReadLimits::Refusal refusal, int code)
{
    limits.refusal = refusal;
    return code;
}

}  // namespace

int Quor_ImageReader::CheckSize(Quor_ReadLimits& limits, int64_t width, int64_t height, int64_t outWidth,
    int64_t outHeight)
{
    limits.width = width;
    limits.height = height;
    if (width < 1 || height < 1 || outWidth < 1 || outHeight < 1)
        return Refuse(limits, Quor_ReadLimits::Refusal::kBadSize, QUOR_ERR_READ);
    // Both sides are at most 65535 before the product is taken, so it cannot wrap.
    if (width > kMaxSide || height > kMaxSide || outWidth > kMaxSide || outHeight > kMaxSide
        || outWidth * outHeight > PixelLimit())
        return Refuse(limits, Quor_ReadLimits::Refusal::kTooLarge, QUOR_ERR_MEMORY);
    return QUOR_OK;
}

int Quor_ImageReader::CheckFile(Quor_ReadLimits& limits, uint64_t minimumBytes, uint64_t availableBytes,
    int64_t fileBytes)
{
    if (minimumBytes <= availableBytes)
        return QUOR_OK;
    limits.fileBytes = fileBytes;
    return Refuse(limits, Quor_ReadLimits::Refusal::kBeyondFile, QUOR_ERR_DECODE);
}

int64_t Quor_ImageReader::LoadBytes(int maxSize, int64_t outWidth, int64_t outHeight, int64_t workBytes)
{
    // Sides are at most 65535 here (CheckSize ran first), so no product below can wrap.
    int64_t bytes = outWidth * outHeight * 4 + (workBytes > 0 ? workBytes : 0);
    // A picture the decoder scaled is resampled in place even when it fits exactly.
    if (maxSize > 0 && (outWidth >= maxSize || outHeight >= maxSize)) {
        int fitWidth = 0;
        int fitHeight = 0;
        Quor_ImageIo::FitSize(static_cast<int>(outWidth), static_cast<int>(outHeight), maxSize, &fitWidth, &fitHeight);
        bytes += int64_t(fitWidth) * fitHeight * 4;
    }
    return bytes;
}

int Quor_ImageReader::CheckBudget(Quor_ReadLimits& limits, int64_t outWidth, int64_t outHeight, int64_t workBytes)
{
    const int64_t bytes = LoadBytes(limits.maxSize, outWidth, outHeight, workBytes);
    if (bytes <= limits.memoryBudget)
        return QUOR_OK;
    limits.neededBytes = bytes;
    return Refuse(limits, Quor_ReadLimits::Refusal::kBeyondBudget, QUOR_ERR_MEMORY);
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
