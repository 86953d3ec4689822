#include "toolkit/imaging/formats/Quor_ExifFocal.h"

#include <libexif/exif-data.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "toolkit/core/Quor_Status.h"

namespace {

struct ExifDataUnref {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};

// The entry's first value as a number, or NAN when the tag is absent or holds no number of a
// kind it may have.
double EntryValue(ExifData* data, ExifTag tag)
{
    ExifEntry* entry = exif_data_get_entry(data, tag);
    if (entry == nullptr || entry->data == nullptr || entry->components < 1)
        return NAN;
    const size_t unit = exif_format_get_size(entry->format);
    if (unit == 0 || entry->size < unit)
        return NAN;
    const ExifByteOrder order = exif_data_get_byte_order(data);
    switch (entry->format) {
    case EXIF_FORMAT_SHORT:
        return exif_get_short(entry->data, order);
    case EXIF_FORMAT_LONG:
        return exif_get_long(entry->data, order);
    case EXIF_FORMAT_RATIONAL: {
        const ExifRational r = exif_get_rational(entry->data, order);
        return r.denominator == 0 ? NAN : double(r.numerator) / double(r.denominator);
    }
    default:
        return NAN;
    }
}

// Millimetres per focal plane resolution unit (2 inch, 3 cm, 4 mm, 5 um); an absent unit is an
// inch, as the tag's default says. NAN for another code.
double UnitMillimetres(double code)
{
    if (std::isnan(code))
        return 25.4;
    if (code == 2.0)
        return 25.4;
    if (code == 3.0)
        return 10.0;
    if (code == 4.0)
        return 1.0;
    if (code == 5.0)
        return 0.001;
    return NAN;
}

bool Positive(double value)
{
    return std::isfinite(value) && value > 0.0;
}

// The focal length the block gives, or NAN.
double Focal35(ExifData* data, int jpegWidth, int jpegHeight)
{
    const double film = EntryValue(data, EXIF_TAG_FOCAL_LENGTH_IN_35MM_FILM);
    if (Positive(film))
        return film;
    const double focal = EntryValue(data, EXIF_TAG_FOCAL_LENGTH);
    const double xResolution = EntryValue(data, EXIF_TAG_FOCAL_PLANE_X_RESOLUTION);
    const double yResolution = EntryValue(data, EXIF_TAG_FOCAL_PLANE_Y_RESOLUTION);
    const double unit = UnitMillimetres(EntryValue(data, EXIF_TAG_FOCAL_PLANE_RESOLUTION_UNIT));
    double width = EntryValue(data, EXIF_TAG_PIXEL_X_DIMENSION);
    double height = EntryValue(data, EXIF_TAG_PIXEL_Y_DIMENSION);
    if (!Positive(width) || !Positive(height)) {
        width = jpegWidth;
        height = jpegHeight;
    }
    if (!Positive(focal) || !Positive(xResolution) || !Positive(yResolution) || !Positive(unit) ||
        !Positive(width) || !Positive(height))
        return NAN;
    const double sensorWidth = width / xResolution * unit;
    const double sensorHeight = height / yResolution * unit;
    const double diagonal = std::hypot(sensorWidth, sensorHeight);
    if (!Positive(diagonal))
        return NAN;
    return focal * Quor_ExifFocal::kFilmDiagonal / diagonal;
}

bool IsFrameMarker(int marker)
{
    // Start of frame in every coding, but not the table markers that share the range.
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

}  // namespace

int Quor_ExifFocal::FromExif(const uint8_t* data, size_t size, int jpegWidth, int jpegHeight, Range range,
    float* focal35)
{
    *focal35 = 0.0f;
    if (data == nullptr || size == 0 || size > UINT_MAX)
        return QUOR_ERR_DECODE;
    std::unique_ptr<ExifData, ExifDataUnref> exif(exif_data_new());
    if (!exif)
        return QUOR_ERR_MEMORY;
    // Read only what the block holds: the library would otherwise add the tags it finds missing,
    // with made-up defaults.
    exif_data_unset_option(exif.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(exif.get(), data, static_cast<unsigned int>(size));
    const double value = Focal35(exif.get(), jpegWidth, jpegHeight);
    if (!std::isfinite(value) || value < range.min || value > range.max)
        return QUOR_ERR_DECODE;
    *focal35 = static_cast<float>(value);
    return QUOR_OK;
}

int Quor_ExifFocal::FromJpeg(const uint8_t* data, size_t size, Range range, float* focal35)
{
    *focal35 = 0.0f;
    if (data == nullptr || size < 4 || data[0] != 0xFF || data[1] != 0xD8)
        return QUOR_ERR_READ;
    const uint8_t* exif = nullptr;
    size_t exifSize = 0;
    int width = 0;
    int height = 0;
    size_t pos = 2;
    while (pos + 4 <= size && data[pos] == 0xFF) {
        const int marker = data[pos + 1];
        if (marker == 0xFF) {
            // Fill byte before a marker.
            ++pos;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
            pos += 2;
            continue;
        }
        // The compressed data or the end: every header segment has been seen.
        if (marker == 0xDA || marker == 0xD9)
            break;
        const size_t length = (size_t(data[pos + 2]) << 8) | data[pos + 3];
        if (length < 2)
            break;
        const uint8_t* payload = data + pos + 4;
        // A segment cut off by the end of the bytes is read as far as it goes.
        const size_t payloadSize = std::min(length - 2, size - (pos + 4));
        if (marker == 0xE1 && exif == nullptr && payloadSize >= 6 && memcmp(payload, "Exif\0\0", 6) == 0) {
            exif = payload;
            exifSize = payloadSize;
        }
        if (IsFrameMarker(marker) && payloadSize >= 5) {
            height = (payload[1] << 8) | payload[2];
            width = (payload[3] << 8) | payload[4];
        }
        pos += 2 + length;
    }
    if (exif == nullptr)
        return QUOR_ERR_DECODE;
    return FromExif(exif, exifSize, width, height, range, focal35);
}

int Quor_ExifFocal::FromFile(const char* path, Range range, float* focal35)
{
    *focal35 = 0.0f;
    if (path == nullptr)
        return QUOR_ERR_READ;
    FILE* file = fopen(path, "rb");
    if (file == nullptr)
        return QUOR_ERR_READ;
    std::unique_ptr<uint8_t[]> head(new (std::nothrow) uint8_t[kMaxHeadBytes]);
    if (!head) {
        fclose(file);
        return QUOR_ERR_MEMORY;
    }
    const size_t read = fread(head.get(), 1, kMaxHeadBytes, file);
    const bool failed = ferror(file) != 0;
    fclose(file);
    if (failed)
        return QUOR_ERR_READ;
    return FromJpeg(head.get(), read, range, focal35);
}
