#include "toolkit/imaging/formats/Quor_JpegWriter.h"

#include <bit>
#include <cstring>

#include "toolkit/imaging/formats/Quor_JpegShim.h"

namespace {

// The bytes of a packed 32-bit pixel in memory, in libjpeg's terms; the alpha byte is ignored.
constexpr J_COLOR_SPACE kPackedSpace = std::endian::native == std::endian::little ? JCS_EXT_XRGB : JCS_EXT_BGRX;

}  // namespace

int Quor_JpegWriter::Write(FILE* file, const Quor_image& image, int quality)
{
    if (image.bits == nullptr || image.pixelBits != 32 || image.pixelBytes != 4 || image.width < 1
        || image.height < 1)
        return -3;
    Quor_JpegEncoder encoder;
    int code = Quor_JpegShim::StartCompress(&encoder, file, image.width, image.height, kPackedSpace, 4, quality);
    // The source rows go to the library as they are: it reads them and converts internally.
    for (int y = 0; y < image.height && code == 0; y++)
        code = Quor_JpegShim::WriteRow(&encoder, image.Row(y));
    if (code == 0)
        code = Quor_JpegShim::FinishCompress(&encoder);
    Quor_JpegShim::DestroyEncoder(&encoder);
    return code == 0 ? 0 : -7;
}
