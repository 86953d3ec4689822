#include "toolkit/imaging/formats/Quor_JpegReader.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstring>
#include <new>

#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/imaging/formats/Quor_ImageFile.h"
#include "toolkit/imaging/formats/Quor_JpegDcDecoder.h"
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

// Huffman coding spends at least one bit on every 8 x 8 block of the full-resolution component
// (its DC difference; even a progressive file's first scan codes one per block), so a file holds
// at most 64 pixels a bit, 512 a byte. Twice that is the bound, with a safe margin.
constexpr int64_t kPixelsPerByte = 1024;

// The fewest bytes a Huffman-coded JPEG of width x height pixels can take.
uint64_t MinimumBytes(int64_t width, int64_t height)
{
    return static_cast<uint64_t>((width * height + kPixelsPerByte - 1) / kPixelsPerByte);
}

std::atomic<bool> sDcDecoder{true};

int64_t RoundUp(int64_t value, int64_t multiple)
{
    return multiple > 1 ? (value + multiple - 1) / multiple * multiple : value;
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

void Quor_JpegReader::SetDcDecoder(bool on)
{
    sDcDecoder.store(on, std::memory_order_relaxed);
}

int Quor_JpegReader::Start(FILE* file, Quor_ReadLimits& limits, Quor_ImageReader** reader)
{
    return Open<Quor_JpegReader>(file, limits, reader);
}

int64_t Quor_JpegReader::CoefficientBytes() const
{
    // A progressive file, or one whose components come in separate scans, is decoded through a
    // coefficient buffer of the whole image at full size: 64 two-byte coefficients a block, each
    // component's blocks rounded up to whole sampling units.
    const jpeg_decompress_struct& info = fDecoder.cinfo;
    if (!info.progressive_mode && info.comps_in_scan >= info.num_components)
        return 0;
    int64_t bytes = 0;
    for (int c = 0; c < info.num_components; c++) {
        const jpeg_component_info& component = info.comp_info[c];
        bytes += RoundUp(component.width_in_blocks, component.h_samp_factor)
            * RoundUp(component.height_in_blocks, component.v_samp_factor) * 128;
    }
    return bytes;
}

int Quor_JpegReader::ReadHeader(Quor_ReadLimits& limits)
{
    if (Quor_JpegShim::ReadHeader(&fDecoder, fFile, WorkMemoryLimit()) != QUOR_OK)
        return QUOR_ERR_READ;
    const jpeg_decompress_struct& info = fDecoder.cinfo;
    const int64_t larger = info.image_width > info.image_height ? info.image_width : info.image_height;
    const int denominator = ScaleDenominator(larger, limits.maxSize);

    J_COLOR_SPACE outSpace = kPackedSpace;
    if (info.num_components == 4) {
        // YCCK is turned into CMYK by the library; CMYK then goes through ConvertCmykRow.
        if (info.jpeg_color_space != JCS_CMYK && info.jpeg_color_space != JCS_YCCK)
            return QUOR_ERR_READ;
        fCmyk = true;
        fInverted = info.saw_Adobe_marker != 0;
        outSpace = JCS_CMYK;
    } else if (info.num_components != 1 && info.num_components != 3) {
        return QUOR_ERR_READ;
    }
    if (Quor_JpegShim::CalcOutput(&fDecoder, denominator, outSpace) != QUOR_OK)
        return QUOR_ERR_READ;
    // Everything is checked before the library allocates its buffers in StartDecompress: the
    // reduced size it will deliver, the full size against the file (an arithmetic-coded file can
    // spend a fraction of a bit on a block, so it has no such bound), and what decoding will hold.
    const int64_t fileBytes = Quor_ImageFile::Size(fFile);
    const int64_t workBytes = CoefficientBytes() + (fCmyk ? int64_t(info.output_width) * 4 : 0);
    int code = CheckSize(limits, info.image_width, info.image_height, info.output_width, info.output_height);
    if (code == QUOR_OK && !info.arith_code)
        code = CheckFile(limits, MinimumBytes(info.image_width, info.image_height),
            static_cast<uint64_t>(fileBytes > 0 ? fileBytes : 0), fileBytes);
    if (code == QUOR_OK)
        code = CheckBudget(limits, info.output_width, info.output_height, workBytes);
    if (code != QUOR_OK)
        return code;
    if (info.output_components != 4)
        return QUOR_ERR_READ;
    if (fCmyk) {
        fCmykRow = new (std::nothrow) uint8_t[static_cast<size_t>(info.output_width) * 4];
        if (fCmykRow == nullptr)
            return QUOR_ERR_MEMORY;
    }
    // The library still starts, so a file it refuses fails here as it always has. The fast
    // decoder holds the rest of the file while it decodes: under a budget too tight for that, the
    // library, which streams it, decodes instead (the pixels are the same).
    fDcDecoder = denominator == 8 && sDcDecoder.load(std::memory_order_relaxed) && Quor_JpegDcDecoder::Handles(info)
        && LoadBytes(limits.maxSize, info.output_width, info.output_height, workBytes + std::max<int64_t>(fileBytes, 0))
            <= limits.memoryBudget;
    if (Quor_JpegShim::StartDecompress(&fDecoder) != QUOR_OK)
        return QUOR_ERR_READ;
    fWidth = static_cast<int>(info.output_width);
    fHeight = static_cast<int>(info.output_height);
    fHasAlpha = false;
    return QUOR_OK;
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

int Quor_JpegReader::ReadRow(uint32_t* row)
{
    if (fDecoder.cinfo.output_scanline >= fDecoder.cinfo.output_height)
        return QUOR_ERR_DECODE;
    if (Quor_JpegShim::ReadRow(&fDecoder, fCmyk ? fCmykRow : reinterpret_cast<uint8_t*>(row)) != QUOR_OK)
        return QUOR_ERR_DECODE;
    if (fCmyk)
        ConvertCmykRow(row);
    return QUOR_OK;
}

int Quor_JpegReader::RestartLibrary()
{
    const int denominator = static_cast<int>(fDecoder.cinfo.scale_denom);
    const J_COLOR_SPACE outSpace = fDecoder.cinfo.out_color_space;
    Quor_JpegShim::DestroyDecoder(&fDecoder);
    if (std::fseek(fFile, 0, SEEK_SET) != 0)
        return QUOR_ERR_DECODE;
    if (Quor_JpegShim::ReadHeader(&fDecoder, fFile, WorkMemoryLimit()) != QUOR_OK
        || Quor_JpegShim::CalcOutput(&fDecoder, denominator, outSpace) != QUOR_OK
        || Quor_JpegShim::StartDecompress(&fDecoder) != QUOR_OK)
        return QUOR_ERR_DECODE;
    const jpeg_decompress_struct& info = fDecoder.cinfo;
    if (static_cast<int>(info.output_width) != fWidth || static_cast<int>(info.output_height) != fHeight)
        return QUOR_ERR_DECODE;
    return QUOR_OK;
}

int Quor_JpegReader::Finish(const Quor_image& dest)
{
    if (!dest.IsUsable32() || dest.width != fWidth || dest.height != fHeight)
        return QUOR_ERR_ARGUMENT;
    if (fDcDecoder && fDecoder.cinfo.output_scanline == 0) {
        // The fast decoder takes the data after what the library has buffered. Anything it does
        // not expect (a damaged file, say) hands the whole file back to the library, which then
        // decodes it exactly as it would have.
        fDcDecoder = false;
        const jpeg_source_mgr* source = fDecoder.cinfo.src;
        if (Quor_JpegDcDecoder::Decode(fDecoder.cinfo, source->next_input_byte, source->bytes_in_buffer, fFile, dest)
            == QUOR_OK)
            return QUOR_OK;
        if (RestartLibrary() != QUOR_OK)
            return QUOR_ERR_DECODE;
    }
    for (int y = 0; y < fHeight; y++) {
        if (ReadRow(dest.Row32(y)) != QUOR_OK)
            return QUOR_ERR_DECODE;
    }
    // Every row is in place; an error in what follows the image data (a damaged trailing marker)
    // does not make the picture any less complete.
    Quor_JpegShim::FinishDecompress(&fDecoder);
    return QUOR_OK;
}
