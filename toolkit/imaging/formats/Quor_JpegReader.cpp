#include "toolkit/imaging/formats/Quor_JpegReader.h"

#include <bit>
#include <cstring>
#include <new>

#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/math/Quor_Round.h"

namespace {

// libjpeg writes the bytes alpha, red, green, blue in this order, which is the memory image of a
// packed 32-bit pixel on a little-endian machine; a big-endian machine stores the word the other
// way round. The alpha variants (not the X variants) guarantee an alpha of 255.
constexpr J_COLOR_SPACE kPackedSpace = std::endian::native == std::endian::little ? JCS_EXT_ARGB : JCS_EXT_BGRA;

// The library's working memory: the coefficient buffer of a progressive file grows with the
// full image, so it is bounded by the same pixel budget as the decoded image (8 bytes a pixel
// covers unsubsampled three-component files) and never exceeds 1 GiB.
long WorkMemoryLimit()
{
    constexpr int64_t kMinimum = int64_t(16) << 20;
    constexpr int64_t kMaximum = int64_t(1) << 30;
    const int64_t limit = Quor_ImageReader::PixelLimit() * 8;
    return static_cast<long>(limit < kMinimum ? kMinimum : (limit > kMaximum ? kMaximum : limit));
}

}  // namespace

Quor_JpegReader::Quor_JpegReader(FILE* file)
    : fFile(file)
{
    std::memset(&fDecoder, 0, sizeof(fDecoder));
}

Quor_JpegReader::~Quor_JpegReader()
{
    Quor_JpegShim::DestroyDecoder(&fDecoder);
    delete[] fCmykRow;
    if (fFile != nullptr)
        fclose(fFile);
}

int Quor_JpegReader::ScaleDenominator(int64_t largerSide, int maxSize)
{
    if (maxSize <= 0 || largerSide <= maxSize)
        return 1;
    const int64_t limit = maxSize;
    if (largerSide >= 8 * limit)
        return 8;
    if (largerSide >= 4 * limit)
        return 4;
    if (largerSide >= 2 * limit)
        return 2;
    return 1;
}

int Quor_JpegReader::Start(FILE* file, int maxSize, Quor_ImageReader** reader)
{
    *reader = nullptr;
    Quor_JpegReader* jpeg = new (std::nothrow) Quor_JpegReader(file);
    if (jpeg == nullptr) {
        fclose(file);
        return -1;
    }
    int code = jpeg->StartDecoding(maxSize);
    if (code != 0) {
        delete jpeg;
        return code;
    }
    *reader = jpeg;
    return 0;
}

int Quor_JpegReader::StartDecoding(int maxSize)
{
    if (Quor_JpegShim::ReadHeader(&fDecoder, fFile, WorkMemoryLimit()) != 0)
        return -6;
    const jpeg_decompress_struct& info = fDecoder.cinfo;
    // The full size is checked as well as the reduced one: the library sizes its buffers by it.
    if (info.image_width < 1 || info.image_height < 1)
        return -6;
    const int64_t larger = info.image_width > info.image_height ? info.image_width : info.image_height;
    const int denominator = ScaleDenominator(larger, maxSize);

    J_COLOR_SPACE outSpace = kPackedSpace;
    if (info.num_components == 4) {
        // YCCK is turned into CMYK by the library; CMYK then goes through ConvertCmykRow.
        if (info.jpeg_color_space != JCS_CMYK && info.jpeg_color_space != JCS_YCCK)
            return -6;
        fCmyk = true;
        fInverted = info.saw_Adobe_marker != 0;
        outSpace = JCS_CMYK;
    } else if (info.num_components != 1 && info.num_components != 3) {
        return -6;
    }
    if (Quor_JpegShim::CalcOutput(&fDecoder, denominator, outSpace) != 0)
        return -6;
    const int sizeCode = CheckSize(info.output_width, info.output_height);
    if (sizeCode != 0)
        return sizeCode;
    if (info.output_components != 4)
        return -6;
    if (fCmyk) {
        fCmykRow = new (std::nothrow) uint8_t[static_cast<size_t>(info.output_width) * 4];
        if (fCmykRow == nullptr)
            return -1;
    }
    if (Quor_JpegShim::StartDecompress(&fDecoder) != 0)
        return -6;
    fWidth = static_cast<int>(info.output_width);
    fHeight = static_cast<int>(info.output_height);
    fHasAlpha = false;
    return 0;
}

void Quor_JpegReader::ConvertCmykRow(uint32_t* dst) const
{
    // The samples are taken as stored inverted (255 = no ink), as files with an Adobe marker are;
    // plain files are inverted first. The factors lift the dull result of multiplying by K.
    const uint8_t flip = fInverted ? 0 : 255;
    const uint8_t* src = fCmykRow;
    for (int x = 0; x < fWidth; x++, src += 4) {
        const double c = src[0] ^ flip, m = src[1] ^ flip, y = src[2] ^ flip, k = src[3] ^ flip;
        const uint32_t red = static_cast<uint32_t>(Quor_RoundClamp(c / 255.0 * (k * 1.17), 0, 255));
        const uint32_t green = static_cast<uint32_t>(Quor_RoundClamp(m / 255.0 * (k * 0.933), 0, 255));
        const uint32_t blue = static_cast<uint32_t>(Quor_RoundClamp(y / 255.0 * (k * 0.921), 0, 255));
        dst[x] = Quor_PixelConvert::Pack(red, green, blue);
    }
}

int Quor_JpegReader::Finish(const Quor_image& dest)
{
    if (dest.bits == nullptr || dest.pixelBytes != 4 || dest.width != fWidth || dest.height != fHeight)
        return -3;
    for (int y = 0; y < fHeight; y++) {
        uint8_t* row = dest.Row(y);
        if (Quor_JpegShim::ReadRow(&fDecoder, fCmyk ? fCmykRow : row) != 0)
            return -5;
        if (fCmyk)
            ConvertCmykRow(reinterpret_cast<uint32_t*>(row));
    }
    // Every row is in place; an error in what follows the image data (a damaged trailing marker)
    // does not make the picture any less complete.
    Quor_JpegShim::FinishDecompress(&fDecoder);
    return 0;
}
