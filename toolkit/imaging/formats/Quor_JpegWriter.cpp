#include "toolkit/imaging/formats/Quor_JpegWriter.h"

#include <bit>
#include <new>

#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/formats/Quor_JpegShim.h"

namespace {

// A packed pixel is blue << 24 | green << 16 | red << 8 | alpha, so its bytes in memory run
// alpha, red, green, blue on a little-endian machine (libjpeg's XRGB, the X byte ignored) and
// blue, green, red, alpha on a big-endian one (BGRX).
constexpr J_COLOR_SPACE kPackedSpace = std::endian::native == std::endian::little ? JCS_EXT_XRGB : JCS_EXT_BGRX;

}  // namespace

Quor_JpegWriter::Quor_JpegWriter() = default;

Quor_JpegWriter::~Quor_JpegWriter()
{
    if (fEncoder)
        Quor_JpegShim::DestroyEncoder(fEncoder.get());
}

int Quor_JpegWriter::Fail(int code)
{
    if (fStatus == QUOR_OK)
        fStatus = code;
    return fStatus;
}

int Quor_JpegWriter::Start(FILE* file, int width, int height, int quality)
{
    if (fStatus != QUOR_OK)
        return fStatus;
    if (fEncoder || file == nullptr || width < 1 || height < 1)
        return Fail(QUOR_ERR_ARGUMENT);
    fEncoder.reset(new (std::nothrow) Quor_JpegEncoder());
    if (!fEncoder)
        return Fail(QUOR_ERR_MEMORY);
    fRowsLeft = height;
    fHeight = height;
    const int code = Quor_JpegShim::StartCompress(fEncoder.get(), file, width, height, kPackedSpace, 4, quality);
    return code == QUOR_OK ? QUOR_OK : Fail(code);
}

int Quor_JpegWriter::WriteMarker(int code, const void* data, size_t size)
{
    if (fStatus != QUOR_OK)
        return fStatus;
    // Segments go between the header and the first row, and their length field counts 16 bits.
    if (!fEncoder || fRowsLeft != fHeight || code < 0xE0 || code > 0xEF || size > kMaxMarkerBytes ||
        (data == nullptr && size != 0))
        return Fail(QUOR_ERR_ARGUMENT);
    const int result = Quor_JpegShim::WriteMarker(fEncoder.get(), code, static_cast<const uint8_t*>(data),
                                                  static_cast<unsigned int>(size));
    return result == QUOR_OK ? QUOR_OK : Fail(result);
}

int Quor_JpegWriter::WriteRow(const uint32_t* row)
{
    if (fStatus != QUOR_OK)
        return fStatus;
    if (!fEncoder || row == nullptr || fRowsLeft == 0)
        return Fail(QUOR_ERR_ARGUMENT);
    fRowsLeft--;
    // The library only reads the row; its bytes are the pixels' memory image.
    const int code = Quor_JpegShim::WriteRow(fEncoder.get(), reinterpret_cast<const uint8_t*>(row));
    return code == QUOR_OK ? QUOR_OK : Fail(code);
}

int Quor_JpegWriter::Finish()
{
    if (fStatus != QUOR_OK)
        return fStatus;
    // A stream short of rows would be a truncated picture; the library would refuse it anyway.
    if (!fEncoder || fRowsLeft != 0)
        return Fail(QUOR_ERR_WRITE);
    const int code = Quor_JpegShim::FinishCompress(fEncoder.get());
    return code == QUOR_OK ? QUOR_OK : Fail(code);
}

int Quor_JpegWriter::SystemError() const
{
    return fEncoder ? fEncoder->error.systemError : 0;
}

int Quor_JpegWriter::Write(FILE* file, const Quor_image& image, int quality)
{
    if (!image.IsUsable32())
        return QUOR_ERR_ARGUMENT;
    Quor_JpegWriter writer;
    int code = writer.Start(file, image.width, image.height, quality);
    for (int y = 0; y < image.height && code == QUOR_OK; y++)
        code = writer.WriteRow(image.Row32(y));
    if (code == QUOR_OK)
        code = writer.Finish();
    return code;
}
