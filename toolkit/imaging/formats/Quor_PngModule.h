// The format module built around libpng: reads and writes PNG files (read and write index 0).
#pragma once

#include "toolkit/imaging/formats/Quor_ImageModule.h"

class Quor_PngModule : public Quor_ImageModule {
public:
    int ReadTypeCount() const override { return 1; }
    const char* GetReadType(int i) const override { return i == 0 ? "image/png" : nullptr; }
    const char* GetReadExtn(int i) const override { return i == 0 ? "png" : nullptr; }
    int WriteTypeCount() const override { return 1; }
    const char* GetWriteName(int i) const override { return i == 0 ? "PNG" : nullptr; }
    const char* GetWriteExtn(int i) const override { return i == 0 ? "png" : nullptr; }

    int StartImgRead(int i, const char* path, Quor_ReadLimits& limits, Quor_ImageReader** handle,
        int* width, int* height, bool* hasAlpha) override;
    int FinishImgRead(int i, Quor_ImageReader* handle, const Quor_image* image) override;
    void CancelImgRead(int i, Quor_ImageReader* handle) override;
    int WriteImgFile(int i, const char* path, const Quor_image* image, bool flag, int quality) override;
};
