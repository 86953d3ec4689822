// Feeds arbitrary bytes to the EXIF focal length reader twice: as an EXIF block (with a frame size
// taken from the first bytes) and as a whole JPEG file. Every outcome must be a result code with a
// value inside the accepted range, never a crash, a sanitizer report or a hang.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/formats/Quor_ExifFocal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const Quor_ExifFocal::Range range{8.0f, 1000.0f};
    const int width = size > 0 ? data[0] * 16 : 0;
    const int height = size > 1 ? data[1] * 16 : 0;
    float focal = 0.0f;
    int code = Quor_ExifFocal::FromExif(data, size, width, height, range, &focal);
    if (code == QUOR_OK && !(focal >= range.min && focal <= range.max))
        abort();
    code = Quor_ExifFocal::FromJpeg(data, size, range, &focal);
    if (code == QUOR_OK && !(focal >= range.min && focal <= range.max))
        abort();
    return 0;
}
