#include "toolkit/framework/Quor_PlatformImage.h"

#include "toolkit/core/Quor_Status.h"
#include "toolkit/framework/Quor_DC.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"

Quor_PlatformImage::~Quor_PlatformImage()
{
    Free();
}

int Quor_PlatformImage::Initialize(int width, int height, int pixelBits)
{
    (void)pixelBits;
    if (IsValid() && image.width == width && image.height == height && image.pixelBits == 32)
        return QUOR_OK;
    Free();
    if (width < 1 || height < 1)
        return QUOR_OK;
    if (Quor_BaseImage::Initialize(width, height, 32) != QUOR_OK) {
        Free();
        return QUOR_ERR_CREATE;
    }
    return QUOR_OK;
}

void Quor_PlatformImage::Free()
{
    Quor_BaseImage::Free();
}

void Quor_PlatformImage::Draw(Quor_DC* dc, int x, int y)
{
    if (dc != nullptr && IsValid())
        dc->DrawImage(this, x, y);
}

void Quor_PlatformImage::Draw(Quor_DC* dc, int x, int y, int w, int h)
{
    if (dc == nullptr || !IsValid() || w < 1 || h < 1)
        return;
    if (w == image.width && h == image.height) {
        dc->DrawImage(this, x, y);
        return;
    }
    Quor_PlatformImage scaled;
    if (scaled.Initialize(w, h, 32) != QUOR_OK)
        return;
    if (Quor_ImageOps::StretchBlit(&image, &scaled.Image(), 0, 0, w, h, true) != QUOR_OK)
        return;
    dc->DrawImage(&scaled, x, y);
}
