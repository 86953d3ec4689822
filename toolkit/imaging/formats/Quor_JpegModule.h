// The format module built around the JPEG library: reads JPEG, BMP, GIF and Targa files and
// writes JPEG, BMP and Targa files. Read indices: 0 JPEG, 1 BMP, 2 GIF, 3 Targa; write indices:
// 0 JPEG, 1 BMP, 2 Targa.
#pragma once

#include "toolkit/imaging/formats/Quor_ImageModule.h"

class Quor_JpegModule : public Quor_ImageModule {
public:
    int ReadTypeCount() const override;
    const char* GetReadType(int i) const override;
    const char* GetReadExtn(int i) const override;
    int WriteTypeCount() const override;
    const char* GetWriteName(int i) const override;
    const char* GetWriteExtn(int i) const override;

    int StartImgRead(int i, const char* path, Quor_ReadLimits& limits, Quor_ImageReader** handle,
        int* width, int* height, bool* hasAlpha) override;
    int FinishImgRead(int i, Quor_ImageReader* handle, const Quor_image* image) override;
    void CancelImgRead(int i, Quor_ImageReader* handle) override;
    int WriteImgFile(int i, const char* path, const Quor_image* image, bool flag, int quality) override;
};
