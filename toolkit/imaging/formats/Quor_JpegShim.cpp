#include "toolkit/imaging/formats/Quor_JpegShim.h"

#include <cerrno>
#include <cstring>

#include <jerror.h>

#include "toolkit/core/Quor_Status.h"

// Rules for this file: every function that calls into libjpeg sets its own jump point first, holds
// only trivial locals and changes none of them after setjmp, so the long jump from the error exit
// skips nothing that needs cleaning up.

namespace {

// A hostile progressive file can hold thousands of tiny scans, each of which makes the library
// walk the whole coefficient buffer; real encoders write a dozen or so.
constexpr int kMaxProgressiveScans = 1000;

void JumpOnError(j_common_ptr cinfo)
{
    Quor_JpegErrorManager* error = reinterpret_cast<Quor_JpegErrorManager*>(cinfo->err);
    // The stdio destination raises this right after its fwrite or fflush came up short, so errno
    // still tells why.
    if (error->pub.msg_code == JERR_FILE_WRITE && error->systemError == 0)
        error->systemError = errno != 0 ? errno : EIO;
    longjmp(error->jump, 1);
}

void IgnoreMessage(j_common_ptr)
{
    // Warnings (for example a premature end of data, filled with grey) are not printed: the
    // toolkit reports through result codes, never on the terminal.
}

void LimitScans(j_common_ptr cinfo)
{
    if (!cinfo->is_decompressor)
        return;
    j_decompress_ptr decompress = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (decompress->input_scan_number > kMaxProgressiveScans)
        JumpOnError(cinfo);
}

// The library's own stdio source reads 4 KiB at a time, and its Huffman decoder takes its fast
// path only while a few kilobytes of data are buffered (about a quarter of the time with 4 KiB).
// This source is the same but for a buffer large enough that the fast path is the rule.
constexpr size_t kSourceBufferBytes = size_t(64) << 10;

struct FileSource {
    jpeg_source_mgr pub;
    FILE* file;
    JOCTET* buffer;
    bool startOfFile;
};

void InitSource(j_decompress_ptr cinfo)
{
    reinterpret_cast<FileSource*>(cinfo->src)->startOfFile = true;
}

boolean FillInputBuffer(j_decompress_ptr cinfo)
{
    FileSource* source = reinterpret_cast<FileSource*>(cinfo->src);
    size_t bytes = std::fread(source->buffer, 1, kSourceBufferBytes, source->file);
    if (bytes == 0) {
        if (source->startOfFile)
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        // A file cut short: the library is handed an end-of-image marker and fills the rest with
        // grey, as it does with its own source.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        bytes = 2;
    }
    source->pub.next_input_byte = source->buffer;
    source->pub.bytes_in_buffer = bytes;
    source->startOfFile = false;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count)
{
    jpeg_source_mgr* source = cinfo->src;
    if (count <= 0)
        return;
    while (count > static_cast<long>(source->bytes_in_buffer)) {
        count -= static_cast<long>(source->bytes_in_buffer);
        source->fill_input_buffer(cinfo);
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= static_cast<size_t>(count);
}

void TermSource(j_decompress_ptr) {}

// Called inside ReadHeader's jump point: the pool allocations raise the library's error exit.
void InstallFileSource(j_decompress_ptr cinfo, FILE* file)
{
    FileSource* source = static_cast<FileSource*>(
        (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(FileSource)));
    source->buffer = static_cast<JOCTET*>(
        (*cinfo->mem->alloc_large)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, kSourceBufferBytes));
    source->file = file;
    source->startOfFile = true;
    source->pub.init_source = InitSource;
    source->pub.fill_input_buffer = FillInputBuffer;
    source->pub.skip_input_data = SkipInputData;
    source->pub.resync_to_restart = jpeg_resync_to_restart;
    source->pub.term_source = TermSource;
    source->pub.bytes_in_buffer = 0;
    source->pub.next_input_byte = nullptr;
    cinfo->src = &source->pub;
}

void InstallErrorManager(Quor_JpegErrorManager* error)
{
    jpeg_std_error(&error->pub);
    error->pub.error_exit = JumpOnError;
    error->pub.output_message = IgnoreMessage;
}

}  // namespace

int Quor_JpegShim::ReadHeader(Quor_JpegDecoder* decoder, FILE* file, long memoryLimit)
{
    std::memset(decoder, 0, sizeof(*decoder));
    InstallErrorManager(&decoder->error);
    decoder->cinfo.err = &decoder->error.pub;
    if (setjmp(decoder->error.jump))
        return QUOR_ERR_DECODE;
    jpeg_create_decompress(&decoder->cinfo);
    decoder->created = true;
    decoder->cinfo.mem->max_memory_to_use = memoryLimit;
    decoder->progress.progress_monitor = LimitScans;
    decoder->cinfo.progress = &decoder->progress;
    InstallFileSource(&decoder->cinfo, file);
    if (jpeg_read_header(&decoder->cinfo, TRUE) != JPEG_HEADER_OK)
        return QUOR_ERR_DECODE;
    return QUOR_OK;
}

int Quor_JpegShim::CalcOutput(Quor_JpegDecoder* decoder, int scaleDenominator, J_COLOR_SPACE outSpace)
{
    if (setjmp(decoder->error.jump))
        return QUOR_ERR_DECODE;
    decoder->cinfo.scale_num = 1;
    decoder->cinfo.scale_denom = static_cast<unsigned int>(scaleDenominator);
    decoder->cinfo.out_color_space = outSpace;
    jpeg_calc_output_dimensions(&decoder->cinfo);
    return QUOR_OK;
}

int Quor_JpegShim::StartDecompress(Quor_JpegDecoder* decoder)
{
    if (setjmp(decoder->error.jump))
        return QUOR_ERR_DECODE;
    return jpeg_start_decompress(&decoder->cinfo) ? QUOR_OK : QUOR_ERR_DECODE;
}

int Quor_JpegShim::ReadRow(Quor_JpegDecoder* decoder, uint8_t* row)
{
    if (setjmp(decoder->error.jump))
        return QUOR_ERR_DECODE;
    JSAMPROW rows[1] = {row};
    // The file source never suspends, so anything but one row is a failure.
    return jpeg_read_scanlines(&decoder->cinfo, rows, 1) == 1 ? QUOR_OK : QUOR_ERR_DECODE;
}

int Quor_JpegShim::FinishDecompress(Quor_JpegDecoder* decoder)
{
    if (setjmp(decoder->error.jump))
        return QUOR_ERR_DECODE;
    jpeg_finish_decompress(&decoder->cinfo);
    return QUOR_OK;
}

void Quor_JpegShim::DestroyDecoder(Quor_JpegDecoder* decoder)
{
    if (decoder->created)
        jpeg_destroy_decompress(&decoder->cinfo);
    decoder->created = false;
}

int Quor_JpegShim::StartCompress(Quor_JpegEncoder* encoder, FILE* file, int width, int height,
    J_COLOR_SPACE inSpace, int components, int quality)
{
    std::memset(encoder, 0, sizeof(*encoder));
    InstallErrorManager(&encoder->error);
    encoder->cinfo.err = &encoder->error.pub;
    if (setjmp(encoder->error.jump))
        return QUOR_ERR_WRITE;
    jpeg_create_compress(&encoder->cinfo);
    encoder->created = true;
    jpeg_stdio_dest(&encoder->cinfo, file);
    encoder->cinfo.image_width = static_cast<JDIMENSION>(width);
    encoder->cinfo.image_height = static_cast<JDIMENSION>(height);
    encoder->cinfo.input_components = components;
    encoder->cinfo.in_color_space = inSpace;
    jpeg_set_defaults(&encoder->cinfo);
    jpeg_set_quality(&encoder->cinfo, quality, TRUE);
    jpeg_start_compress(&encoder->cinfo, TRUE);
    return QUOR_OK;
}

int Quor_JpegShim::WriteRow(Quor_JpegEncoder* encoder, const uint8_t* row)
{
    if (setjmp(encoder->error.jump))
        return QUOR_ERR_WRITE;
    // libjpeg's interface is not const-correct; it only reads the row.
    JSAMPROW rows[1] = {const_cast<JSAMPLE*>(row)};
    return jpeg_write_scanlines(&encoder->cinfo, rows, 1) == 1 ? QUOR_OK : QUOR_ERR_WRITE;
}

int Quor_JpegShim::WriteMarker(Quor_JpegEncoder* encoder, int code, const uint8_t* data, unsigned int length)
{
    if (setjmp(encoder->error.jump))
        return QUOR_ERR_WRITE;
    jpeg_write_marker(&encoder->cinfo, code, data, length);
    return QUOR_OK;
}

int Quor_JpegShim::FinishCompress(Quor_JpegEncoder* encoder)
{
    if (setjmp(encoder->error.jump))
        return QUOR_ERR_WRITE;
    // The stdio destination checks its last fwrite and fflush here and fails through the error exit.
    jpeg_finish_compress(&encoder->cinfo);
    return QUOR_OK;
}

void Quor_JpegShim::DestroyEncoder(Quor_JpegEncoder* encoder)
{
    if (encoder->created)
        jpeg_destroy_compress(&encoder->cinfo);
    encoder->created = false;
}
