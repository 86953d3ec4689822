#include "tests/support/ExifJpeg.h"

#include <libexif/exif-data.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/formats/Quor_JpegWriter.h"

namespace exif_test {

namespace {

bool AddField(ExifData* data, const Field& field)
{
    const auto tag = static_cast<ExifTag>(field.tag);
    const auto format = static_cast<ExifFormat>(field.format);
    ExifEntry* entry = exif_entry_new();
    if (entry == nullptr)
        return false;
    const unsigned int size = exif_format_get_size(format);
    // The entry frees its data with the library's default allocator, which is malloc's.
    entry->data = static_cast<unsigned char*>(calloc(1, size));
    if (entry->data == nullptr) {
        exif_entry_unref(entry);
        return false;
    }
    entry->tag = tag;
    entry->format = format;
    entry->components = 1;
    entry->size = size;
    const ExifByteOrder order = exif_data_get_byte_order(data);
    if (format == EXIF_FORMAT_SHORT)
        exif_set_short(entry->data, order, static_cast<ExifShort>(field.numerator));
    else if (format == EXIF_FORMAT_LONG)
        exif_set_long(entry->data, order, field.numerator);
    else
        exif_set_rational(entry->data, order, ExifRational{field.numerator, field.denominator});
    exif_content_add_entry(data->ifd[EXIF_IFD_EXIF], entry);
    exif_entry_unref(entry);
    return true;
}

}  // namespace

std::vector<uint8_t> Block(const std::vector<Field>& fields)
{
    ExifData* data = exif_data_new();
    if (data == nullptr)
        return {};
    exif_data_unset_option(data, EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    for (const Field& field : fields) {
        if (!AddField(data, field)) {
            exif_data_unref(data);
            return {};
        }
    }
    unsigned char* bytes = nullptr;
    unsigned int size = 0;
    exif_data_save_data(data, &bytes, &size);
    exif_data_unref(data);
    std::vector<uint8_t> block(bytes, bytes + size);
    free(bytes);
    return block;
}

std::vector<uint8_t> Jpeg(int width, int height, const std::vector<uint8_t>& exif)
{
    FILE* file = tmpfile();
    if (file == nullptr)
        return {};
    std::vector<uint32_t> row(static_cast<size_t>(width), 0xFF808080u);
    int code = QUOR_OK;
    {
        Quor_JpegWriter writer;
        code = writer.Start(file, width, height, 80);
        if (code == QUOR_OK && !exif.empty())
            code = writer.WriteMarker(0xE1, exif.data(), exif.size());
        for (int y = 0; y < height && code == QUOR_OK; y++)
            code = writer.WriteRow(row.data());
        if (code == QUOR_OK)
            code = writer.Finish();
    }
    std::vector<uint8_t> bytes;
    if (code == QUOR_OK && fseek(file, 0, SEEK_END) == 0) {
        bytes.resize(static_cast<size_t>(ftell(file)));
        rewind(file);
        if (fread(bytes.data(), 1, bytes.size(), file) != bytes.size())
            bytes.clear();
    }
    fclose(file);
    return bytes;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}

}  // namespace exif_test
