#include "toolkit/imaging/formats/Quor_PngShim.h"

#include <cstring>

#include "toolkit/core/Quor_Status.h"

// Rules for this file: every function that calls into libpng sets its own jump point first, holds
// only trivial locals and changes none of them after setjmp.

namespace {

void JumpOnError(png_structp png, png_const_charp)
{
    // libpng prints through its default handler when a custom one returns, so this one never does.
    png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp)
{
}

}  // namespace

int Quor_PngShim::ReadInfo(Quor_PngDecoder* decoder, FILE* file)
{
    std::memset(decoder, 0, sizeof(*decoder));
    decoder->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, JumpOnError, IgnoreWarning);
    if (decoder->png == nullptr)
        return QUOR_ERR_MEMORY;
    decoder->info = png_create_info_struct(decoder->png);
    if (decoder->info == nullptr)
        return QUOR_ERR_MEMORY;
    if (setjmp(png_jmpbuf(decoder->png)))
        return QUOR_ERR_DECODE;
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // A fuzzer cannot forge chunk CRCs; without this it never gets past the first chunk it changes.
    png_set_crc_action(decoder->png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#ifdef PNG_IGNORE_ADLER32
    png_set_option(decoder->png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
#endif
    png_init_io(decoder->png, file);
    png_read_info(decoder->png, decoder->info);

    const png_byte colorType = png_get_color_type(decoder->png, decoder->info);
    decoder->hasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0
        || png_get_valid(decoder->png, decoder->info, PNG_INFO_tRNS) != 0;
    png_set_expand(decoder->png);
    png_set_strip_16(decoder->png);
    png_set_packing(decoder->png);
    if ((colorType & PNG_COLOR_MASK_COLOR) == 0)
        png_set_gray_to_rgb(decoder->png);
    png_set_bgr(decoder->png);
    png_set_filler(decoder->png, 0xFF, PNG_FILLER_AFTER);
    decoder->passes = png_set_interlace_handling(decoder->png);
    png_read_update_info(decoder->png, decoder->info);
    decoder->width = png_get_image_width(decoder->png, decoder->info);
    decoder->height = png_get_image_height(decoder->png, decoder->info);
    if (png_get_rowbytes(decoder->png, decoder->info) != static_cast<size_t>(decoder->width) * 4)
        return QUOR_ERR_DECODE;
    return QUOR_OK;
}

int Quor_PngShim::ReadRow(Quor_PngDecoder* decoder, uint8_t* row)
{
    if (setjmp(png_jmpbuf(decoder->png)))
        return QUOR_ERR_DECODE;
    png_read_row(decoder->png, row, nullptr);
    return QUOR_OK;
}

int Quor_PngShim::FinishRead(Quor_PngDecoder* decoder)
{
    if (setjmp(png_jmpbuf(decoder->png)))
        return QUOR_ERR_DECODE;
    png_read_end(decoder->png, nullptr);
    return QUOR_OK;
}

void Quor_PngShim::DestroyDecoder(Quor_PngDecoder* decoder)
{
    if (decoder->png != nullptr)
        png_destroy_read_struct(&decoder->png, decoder->info != nullptr ? &decoder->info : nullptr, nullptr);
    decoder->png = nullptr;
    decoder->info = nullptr;
}

int Quor_PngShim::StartWrite(Quor_PngEncoder* encoder, FILE* file, uint32_t width, uint32_t height)
{
    std::memset(encoder, 0, sizeof(*encoder));
    encoder->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, JumpOnError, IgnoreWarning);
    if (encoder->png == nullptr)
        return QUOR_ERR_MEMORY;
    encoder->info = png_create_info_struct(encoder->png);
    if (encoder->info == nullptr)
        return QUOR_ERR_MEMORY;
    if (setjmp(png_jmpbuf(encoder->png)))
        return QUOR_ERR_WRITE;
    // libpng's own stdio writer fails through the error handler when fwrite comes up short.
    png_init_io(encoder->png, file);
    png_set_IHDR(encoder->png, encoder->info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA,
        PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(encoder->png, encoder->info);
    return QUOR_OK;
}

int Quor_PngShim::WriteRow(Quor_PngEncoder* encoder, const uint8_t* row)
{
    if (setjmp(png_jmpbuf(encoder->png)))
        return QUOR_ERR_WRITE;
    png_write_row(encoder->png, row);
    return QUOR_OK;
}

int Quor_PngShim::FinishWrite(Quor_PngEncoder* encoder)
{
    if (setjmp(png_jmpbuf(encoder->png)))
        return QUOR_ERR_WRITE;
    png_write_end(encoder->png, nullptr);
    return QUOR_OK;
}

void Quor_PngShim::DestroyEncoder(Quor_PngEncoder* encoder)
{
    if (encoder->png != nullptr)
        png_destroy_write_struct(&encoder->png, encoder->info != nullptr ? &encoder->info : nullptr);
    encoder->png = nullptr;
    encoder->info = nullptr;
}
