#include "toolkit/imaging/formats/Quor_PsdWriter.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "toolkit/core/Quor_Parallel.h"
#include "toolkit/core/Quor_Status.h"

// Layout written (all numbers big-endian):
//   0  "8BPS", version 1, 6 reserved bytes, 3 channels, height, width, depth 8, mode 3 (RGB)
//  26  colour mode data length 0, image resources length 0
//  34  layer-and-mask section length: bytes from 38 to the end of the global mask length
//  38  layer info length: bytes from 42 to the end of the global mask length (so it counts
//      the 4-byte global mask length too; readers expect exactly this)
//  42  layer count, the layer records, the channel data of every layer (channels -1, 0, 1, 2)
//      the global layer mask length 0, the merged image (the caller's, or white; PackBits)

namespace {

constexpr uint64_t kMaxLength = 0xFFFFFFFFu;
constexpr int kChannelIds[4] = {-1, 0, 1, 2};

bool IsCanvasImage(const Quor_image* image, int width, int height)
{
    return image != nullptr && image->IsUsable32() && image->width == width && image->height == height;
}

}  // namespace

Quor_PsdWriter::Quor_PsdWriter() = default;

Quor_PsdWriter::~Quor_PsdWriter()
{
    Close();
}

int Quor_PsdWriter::Fail(int code)
{
    if (fStatus == QUOR_OK)
        fStatus = code;
    return fStatus;
}

int Quor_PsdWriter::CheckWritten()
{
    if (fSink == nullptr)
        return Fail(QUOR_ERR_ARGUMENT);
    if (fSink->Failed())
        return Fail(QUOR_ERR_WRITE);
    return fStatus;
}

int Quor_PsdWriter::Open(const char* path)
{
    Close();
    std::unique_ptr<Quor_OutputFile> output(new (std::nothrow) Quor_OutputFile);
    if (!output)
        return QUOR_ERR_MEMORY;
    const int code = output->Open(path);
    if (code != QUOR_OK)
        return code;
    fFileSink.reset(new (std::nothrow) Quor_FileSink(output->File()));
    if (!fFileSink)
        return QUOR_ERR_MEMORY;
    fOutput = std::move(output);
    fSink = fFileSink.get();
    return QUOR_OK;
}

int Quor_PsdWriter::Open(Quor_ByteSink* sink)
{
    Close();
    if (sink == nullptr)
        return QUOR_ERR_ARGUMENT;
    fSink = sink;
    return QUOR_OK;
}

int Quor_PsdWriter::Close()
{
    if (fSink == nullptr)
        return QUOR_OK;
    int result = fStatus != QUOR_OK ? fStatus : (fSink->Failed() ? QUOR_ERR_WRITE : QUOR_OK);
    if (result == QUOR_OK && !fEnded)
        result = QUOR_ERR_ARGUMENT;
    fFileSink.reset();
    if (fOutput) {
        const int finished = fOutput->Finish(result == QUOR_OK);
        if (result == QUOR_OK)
            result = finished;
        fOutput.reset();
    }
    fSink = nullptr;
    fStatus = QUOR_OK;
    fTooLarge = false;
    fHeaderWritten = false;
    fEnded = false;
    fWidth = fHeight = 0;
    fLayerCount = fLayersDone = 0;
    fChannelsDone = 0;
    fRow.reset();
    fPacked.reset();
    fRowLengths.reset();
    fClearRow.reset();
    fBlockRaw.reset();
    fBlockPacked.reset();
    fBlockLengths.reset();
    fZeroPacked.reset();
    fRowBits.reset();
    fRowBitsValid = false;
    return result;
}

int Quor_PsdWriter::WriteHeader(int width, int height)
{
    if (fSink == nullptr)
        return QUOR_ERR_ARGUMENT;
    if (fStatus != QUOR_OK)
        return fStatus;
    if (fHeaderWritten || width < 1 || height < 1 || width > kMaxSide || height > kMaxSide)
        return Fail(QUOR_ERR_ARGUMENT);
    fRow.reset(new (std::nothrow) uint8_t[static_cast<size_t>(width)]);
    fPacked.reset(new (std::nothrow) uint8_t[PackBitsBound(width)]);
    fRowLengths.reset(new (std::nothrow) uint8_t[static_cast<size_t>(height) * 2]);
    fClearRow.reset(new (std::nothrow) uint32_t[static_cast<size_t>(width)]());
    fBlockRaw.reset(new (std::nothrow) uint8_t[static_cast<size_t>(width) * kBlockRows]);
    fBlockPacked.reset(new (std::nothrow) uint8_t[PackBitsBound(width) * kBlockRows]);
    fBlockLengths.reset(new (std::nothrow) size_t[kBlockRows]);
    fZeroPacked.reset(new (std::nothrow) uint8_t[PackBitsBound(width)]);
    fRowBits.reset(new (std::nothrow) uint32_t[static_cast<size_t>(height)]);
    if (!fRow || !fPacked || !fRowLengths || !fClearRow || !fBlockRaw || !fBlockPacked || !fBlockLengths || !fZeroPacked
        || !fRowBits)
        return Fail(QUOR_ERR_MEMORY);
    std::memset(fRow.get(), 0, static_cast<size_t>(width));
    fZeroLength = EncodeRLESequence(width, fRow.get(), fZeroPacked.get());
    fWidth = width;
    fHeight = height;
    fLayerCount = 0;
    fLayersDone = 0;
    fChannelsDone = 0;

    fSink->Write("8BPS", 4);
    fSink->Put16BE(1);
    const uint8_t reserved[6] = {};
    fSink->Write(reserved, sizeof(reserved));
    fSink->Put16BE(3);
    fSink->Put32BE(static_cast<uint32_t>(height));
    fSink->Put32BE(static_cast<uint32_t>(width));
    fSink->Put16BE(8);
    fSink->Put16BE(3);
    fSink->Put32BE(0);
    fSink->Put32BE(0);
    fSectionLengthPos = fSink->Tell();
    fSink->Put32BE(0);
    fLayerInfoLengthPos = fSink->Tell();
    fSink->Put32BE(0);
    fSink->Put16BE(0);
    fHeaderWritten = true;
    return CheckWritten();
}

int Quor_PsdWriter::PascalStringSize(const char* text, int padding)
{
    const size_t length = text != nullptr ? strnlen(text, 255) : 0;
    const int total = 1 + static_cast<int>(length);
    if (padding < 1)
        padding = 1;
    return (total + padding - 1) / padding * padding;
}

int Quor_PsdWriter::WritePascalString(const char* text, int padding)
{
    if (fSink == nullptr)
        return QUOR_ERR_ARGUMENT;
    const size_t length = text != nullptr ? strnlen(text, 255) : 0;
    fSink->Put8(static_cast<uint8_t>(length));
    fSink->Write(text, length);
    for (int i = 1 + static_cast<int>(length); i < PascalStringSize(text, padding); i++)
        fSink->Put8(0);
    return CheckWritten();
}

int Quor_PsdWriter::WriteBytes1(uint8_t v)
{
    if (fSink == nullptr)
        return QUOR_ERR_ARGUMENT;
    fSink->Put8(v);
    return CheckWritten();
}

int Quor_PsdWriter::WriteBytes2(uint16_t v)
{
    if (fSink == nullptr)
        return QUOR_ERR_ARGUMENT;
    fSink->Put16BE(v);
    return CheckWritten();
}

int Quor_PsdWriter::WriteBytes4(uint32_t v)
{
    if (fSink == nullptr)
        return QUOR_ERR_ARGUMENT;
    fSink->Put32BE(v);
    return CheckWritten();
}

int Quor_PsdWriter::WriteLayerInfo(const char* name, const char* blendKey, uint8_t opacity)
{
    if (fSink == nullptr)
        return QUOR_ERR_ARGUMENT;
    if (fStatus != QUOR_OK)
        return fStatus;
    // Records must all come before the first channel data.
    if (!fHeaderWritten || fEnded || fLayersDone != 0 || fChannelsDone != 0 || fLayerCount >= kMaxLayers
        || blendKey == nullptr || strnlen(blendKey, 4) < 4)
        return Fail(QUOR_ERR_ARGUMENT);
    if (name == nullptr)
        name = "";
    fSink->Put32BE(0);
    fSink->Put32BE(0);
    fSink->Put32BE(static_cast<uint32_t>(fHeight));
    fSink->Put32BE(static_cast<uint32_t>(fWidth));
    fSink->Put16BE(4);
    // The lengths are placeholders until the channel data is written.
    const uint32_t placeholder = static_cast<uint32_t>(fWidth) * static_cast<uint32_t>(fHeight) + 2;
    for (int c = 0; c < 4; c++) {
        fSink->Put16BE(static_cast<uint16_t>(kChannelIds[c]));
        fChannelLengthPos[fLayerCount][c] = fSink->Tell();
        fSink->Put32BE(placeholder);
    }
    fSink->Write("8BIM", 4);
    fSink->Write(blendKey, 4);
    fSink->Put8(opacity);
    fSink->Put8(0);  // clipping
    fSink->Put8(0);  // flags
    fSink->Put8(0);  // filler
    fSink->Put32BE(static_cast<uint32_t>(8 + PascalStringSize(name, 4)));
    fSink->Put32BE(0);  // layer mask data
    fSink->Put32BE(0);  // blending ranges
    WritePascalString(name, 4);
    fLayerCount++;
    return CheckWritten();
}

bool Quor_PsdWriter::CanWriteLayerData(const Quor_image* image)
{
    return fSink != nullptr && fStatus == QUOR_OK && fHeaderWritten && !fEnded && fLayersDone < fLayerCount
        && IsCanvasImage(image, fWidth, fHeight);
}

int Quor_PsdWriter::WriteLayer(const Quor_image* image)
{
    if (fSink == nullptr)
        return QUOR_ERR_ARGUMENT;
    if (fStatus != QUOR_OK)
        return fStatus;
    if (fChannelsDone != 0 || !CanWriteLayerData(image))
        return Fail(QUOR_ERR_ARGUMENT);
    return WriteLayerData(*image);
}

int Quor_PsdWriter::WriteLayerData(const Quor_image& image)
{
    // Which channels of each row hold anything, once for the four channels.
    Quor_Parallel::For((fHeight + kBlockRows - 1) / kBlockRows, [&](int block) {
        const int end = std::min(fHeight, (block + 1) * kBlockRows);
        for (int y = block * kBlockRows; y < end; y++)
            fRowBits[y] = RowBits(image, y);
    }, fThreads);
    fRowBitsValid = true;
    while (fChannelsDone < 4 && fStatus == QUOR_OK) {
        const int layer = fLayersDone;
        WriteChannelData(image, kChannelIds[fChannelsDone], true);
        if (fLayersDone != layer)
            break;
    }
    fRowBitsValid = false;
    return fStatus;
}

int Quor_PsdWriter::WriteCompressedChannel(const Quor_image* image, int channel)
{
    return WriteNextChannel(image, channel, true);
}

int Quor_PsdWriter::WriteChannel(const Quor_image* image, int channel)
{
    return WriteNextChannel(image, channel, false);
}

int Quor_PsdWriter::WriteNextChannel(const Quor_image* image, int channel, bool compress)
{
    if (fSink == nullptr)
        return QUOR_ERR_ARGUMENT;
    if (fStatus != QUOR_OK)
        return fStatus;
    // Channels follow in the order of the layer record.
    if (!CanWriteLayerData(image) || channel != kChannelIds[fChannelsDone])
        return Fail(QUOR_ERR_ARGUMENT);
    return WriteChannelData(*image, channel, compress);
}

void Quor_PsdWriter::ExtractChannel(const Quor_image& image, int channel, int y, uint8_t* out) const
{
    // alpha is bits 0..7 of the packed pixel, red 8..15, green 16..23, blue 24..31.
    const int shift = channel < 0 ? 0 : 8 * (channel + 1);
    const uint32_t* row = image.Row32(y);
    const int width = fWidth;  // a local, so the byte stores cannot be taken to change it
    for (int x = 0; x < width; x++)
        out[x] = static_cast<uint8_t>(row[x] >> shift);
}

uint32_t Quor_PsdWriter::RowBits(const Quor_image& image, int y) const
{
    const uint32_t* row = image.Row32(y);
    const int width = fWidth;
    uint32_t any[4] = {};
    int x = 0;
    for (; x + 4 <= width; x += 4) {
        any[0] |= row[x];
        any[1] |= row[x + 1];
        any[2] |= row[x + 2];
        any[3] |= row[x + 3];
    }
    for (; x < width; x++)
        any[0] |= row[x];
    return any[0] | any[1] | any[2] | any[3];
}

void Quor_PsdWriter::WritePackedRows(const Quor_image& image, int channel, uint8_t* lengths)
{
    // Rows are encoded a block at a time on every core, each into a slot of its own, and written
    // in order.
    const size_t bound = PackBitsBound(fWidth);
    const int shift = channel < 0 ? 0 : 8 * (channel + 1);
    for (int top = 0; top < fHeight && !fSink->Failed(); top += kBlockRows) {
        const int rows = std::min(kBlockRows, fHeight - top);
        Quor_Parallel::For((rows + kRowsPerTask - 1) / kRowsPerTask, [&](int task) {
            const int end = std::min(rows, (task + 1) * kRowsPerTask);
            for (int r = task * kRowsPerTask; r < end; r++) {
                uint8_t* packed = fBlockPacked.get() + static_cast<size_t>(r) * bound;
                // Where the layer is transparent the row is zeros, whose encoding is known.
                const uint32_t bits = fRowBitsValid ? fRowBits[top + r] : RowBits(image, top + r);
                if ((bits & (0xFFu << shift)) == 0) {
                    std::memcpy(packed, fZeroPacked.get(), fZeroLength);
                    fBlockLengths[r] = fZeroLength;
                    continue;
                }
                uint8_t* raw = fBlockRaw.get() + static_cast<size_t>(r) * static_cast<size_t>(fWidth);
                ExtractChannel(image, channel, top + r, raw);
                fBlockLengths[r] = EncodeRLESequence(fWidth, raw, packed);
            }
        }, fThreads);
        for (int r = 0; r < rows && !fSink->Failed(); r++) {
            // A row of at most 30000 bytes encodes to at most 30236.
            const size_t length = fBlockLengths[r];
            const int y = top + r;
            lengths[2 * y] = static_cast<uint8_t>(length >> 8);
            lengths[2 * y + 1] = static_cast<uint8_t>(length);
            fSink->Write(fBlockPacked.get() + static_cast<size_t>(r) * bound, length);
        }
    }
}

int Quor_PsdWriter::WriteChannelData(const Quor_image& image, int channel, bool compress)
{
    const int layer = fLayersDone;
    const int64_t start = fSink->Tell();
    fSink->Put16BE(compress ? 1 : 0);
    if (compress) {
        // Row lengths are known only after encoding: their table is reserved and filled in
        // once the rows are out.
        const int64_t tablePos = fSink->Tell();
        std::memset(fRowLengths.get(), 0, static_cast<size_t>(fHeight) * 2);
        fSink->Write(fRowLengths.get(), static_cast<size_t>(fHeight) * 2);
        WritePackedRows(image, channel, fRowLengths.get());
        const int64_t end = fSink->Tell();
        fSink->Seek(tablePos);
        fSink->Write(fRowLengths.get(), static_cast<size_t>(fHeight) * 2);
        fSink->Seek(end);
    } else {
        for (int y = 0; y < fHeight && !fSink->Failed(); y++) {
            ExtractChannel(image, channel, y, fRow.get());
            fSink->Write(fRow.get(), static_cast<size_t>(fWidth));
        }
    }
    if (CheckWritten() != QUOR_OK)
        return fStatus;
    const int64_t end = fSink->Tell();
    if (PatchLength(fChannelLengthPos[layer][channel + 1], static_cast<uint64_t>(end - start)) != QUOR_OK)
        return fStatus;
    if (++fChannelsDone == 4) {
        fChannelsDone = 0;
        fLayersDone++;
    }
    return QUOR_OK;
}

int Quor_PsdWriter::PatchLength(int64_t position, uint64_t value)
{
    // A length the format's 32-bit field cannot hold would wrap into a plausible, wrong number.
    if (value > kMaxLength) {
        fTooLarge = fStatus == QUOR_OK;
        return Fail(QUOR_ERR_ARGUMENT);
    }
    const int64_t end = fSink->Tell();
    fSink->Seek(position);
    fSink->Put32BE(static_cast<uint32_t>(value));
    fSink->Seek(end);
    return CheckWritten();
}

Quor_image Quor_PsdWriter::TransparentLayer() const
{
    // Every row is the same cleared row: rowBytes 0 repeats it without a canvas-sized buffer.
    Quor_image image;
    image.bits = reinterpret_cast<uint8_t*>(fClearRow.get());
    image.width = fWidth;
    image.height = fHeight;
    image.pixelBits = 32;
    image.pixelBytes = 4;
    image.rowBytes = 0;
    return image;
}

int Quor_PsdWriter::EndLayers(const Quor_image* merged)
{
    if (fSink == nullptr)
        return QUOR_ERR_ARGUMENT;
    if (fStatus != QUOR_OK)
        return fStatus;
    if (!fHeaderWritten || fEnded)
        return Fail(QUOR_ERR_ARGUMENT);
    if (merged != nullptr && (!merged->IsUsable32() || merged->width != fWidth || merged->height != fHeight))
        return Fail(QUOR_ERR_ARGUMENT);
    if (fLayerCount == 0 && WriteLayerInfo("Empty Layer", "norm", 255) != QUOR_OK)
        return fStatus;
    // Layers declared but never handed over (an export that stopped early) get transparent
    // data, so every record has the channel data it announces.
    const Quor_image clear = TransparentLayer();
    while (fLayersDone < fLayerCount && fStatus == QUOR_OK)
        WriteLayerData(clear);
    if (fStatus != QUOR_OK)
        return fStatus;

    fSink->Put32BE(0);  // global layer mask info length
    if (CheckWritten() != QUOR_OK)
        return fStatus;
    const int64_t end = fSink->Tell();
    if (PatchLength(fSectionLengthPos, static_cast<uint64_t>(end - (fSectionLengthPos + 4))) != QUOR_OK
        || PatchLength(fLayerInfoLengthPos, static_cast<uint64_t>(end - (fLayerInfoLengthPos + 4))) != QUOR_OK)
        return fStatus;
    fSink->Seek(fLayerInfoLengthPos + 4);
    fSink->Put16BE(static_cast<uint16_t>(fLayerCount));
    fSink->Seek(end);

    if (merged != nullptr) {
        // The merged image: its red, green and blue rows, under one table of their lengths.
        const size_t table = static_cast<size_t>(fHeight) * 2;
        std::unique_ptr<uint8_t[]> lengths(new (std::nothrow) uint8_t[3 * table]());
        if (!lengths)
            return Fail(QUOR_ERR_MEMORY);
        fSink->Put16BE(1);
        const int64_t tablePos = fSink->Tell();
        fSink->Write(lengths.get(), 3 * table);
        for (int c = 0; c < 3 && !fSink->Failed(); c++)
            WritePackedRows(*merged, c, lengths.get() + table * static_cast<size_t>(c));
        const int64_t end = fSink->Tell();
        fSink->Seek(tablePos);
        fSink->Write(lengths.get(), 3 * table);
        fSink->Seek(end);
    } else {
        // Every row of every channel is the same white row.
        for (int x = 0; x < fWidth; x++)
            fRow[static_cast<size_t>(x)] = 255;
        const size_t length = EncodeRLESequence(fWidth, fRow.get(), fPacked.get());
        for (int y = 0; y < fHeight; y++) {
            fRowLengths[2 * y] = static_cast<uint8_t>(length >> 8);
            fRowLengths[2 * y + 1] = static_cast<uint8_t>(length);
        }
        fSink->Put16BE(1);
        for (int c = 0; c < 3; c++)
            fSink->Write(fRowLengths.get(), static_cast<size_t>(fHeight) * 2);
        for (int row = 0; row < 3 * fHeight && !fSink->Failed(); row++)
            fSink->Write(fPacked.get(), length);
    }
    if (CheckWritten() != QUOR_OK)
        return fStatus;
    fEnded = true;
    return QUOR_OK;
}

int Quor_PsdWriter::WriteRLESequence(int count, const uint8_t* bytes)
{
    if (fSink == nullptr)
        return QUOR_ERR_ARGUMENT;
    if (count <= 0)
        return fStatus;
    if (bytes == nullptr)
        return Fail(QUOR_ERR_ARGUMENT);
    std::unique_ptr<uint8_t[]> packed(new (std::nothrow) uint8_t[PackBitsBound(count)]);
    if (!packed)
        return Fail(QUOR_ERR_MEMORY);
    fSink->Write(packed.get(), EncodeRLESequence(count, bytes, packed.get()));
    return CheckWritten();
}

size_t Quor_PsdWriter::EncodeRLESequence(int count, const uint8_t* bytes, uint8_t* out)
{
    // Headers are signed bytes: 0..127 announce header + 1 literal bytes, -1..-127 a byte that
    // repeats 1 - header times. Three bytes or fewer at the end of a row are always a literal.
    size_t written = 0;
    int i = 0;
    while (i < count) {
        if (i >= count - 3) {
            const int length = count - i;
            out[written++] = static_cast<uint8_t>(length - 1);
            std::memcpy(out + written, bytes + i, static_cast<size_t>(length));
            written += static_cast<size_t>(length);
            break;
        }
        if (bytes[i] == bytes[i + 1] && bytes[i] == bytes[i + 2]) {
            int run = 3;
            while (i + run < count && run < 128 && bytes[i + run] == bytes[i])
                run++;
            out[written++] = static_cast<uint8_t>(257 - run);
            out[written++] = bytes[i];
            i += run;
            continue;
        }
        // A literal runs until 128 bytes, the end of the row, or just before three equal bytes.
        int end = i;
        for (int m = i;; m++) {
            if (m == count || m - i == 128) {
                end = m;
                break;
            }
            if (m >= i + 3 && bytes[m] == bytes[m - 1] && bytes[m - 1] == bytes[m - 2]) {
                end = m - 2;
                break;
            }
        }
        const int length = end - i;
        out[written++] = static_cast<uint8_t>(length - 1);
        std::memcpy(out + written, bytes + i, static_cast<size_t>(length));
        written += static_cast<size_t>(length);
        i = end;
    }
    return written;
}
