// Builds JPEG files with EXIF blocks written by libexif, for the tests of the focal length read
// from photos and for the seeds of its fuzzer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace exif_test {

// One EXIF entry: a libexif tag and format (EXIF_FORMAT_SHORT, _LONG or _RATIONAL), with the
// rational as numerator / denominator (the denominator is ignored for whole numbers).
struct Field {
    int tag;
    int format;
    uint32_t numerator;
    uint32_t denominator = 1;
};

// The APP1 payload ("Exif\0\0" and the TIFF structure) holding the fields in its EXIF IFD, where
// cameras put them; empty when the library fails.
std::vector<uint8_t> Block(const std::vector<Field>& fields);
// A one-colour width x height JPEG carrying `exif` as its APP1 segment (none when empty); empty on failure.
std::vector<uint8_t> Jpeg(int width, int height, const std::vector<uint8_t>& exif);
bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace exif_test
