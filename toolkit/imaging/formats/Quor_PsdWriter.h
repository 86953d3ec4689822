// Writes a layered Photoshop document (PSD version 1, 8-bit RGB): one full-canvas layer with
// transparency per image handed over, PackBits-compressed, and a merged image (the caller's
// composite, or plain white).
// Streams one layer at a time; lengths not known in advance are written as placeholders and
// patched by seeking back.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

#include "toolkit/imaging/Quor_image.h"
#include "toolkit/imaging/formats/Quor_ByteSink.h"
#include "toolkit/imaging/formats/Quor_FileSink.h"
#include "toolkit/imaging/formats/Quor_OutputFile.h"

// Calling order: Open, WriteHeader, WriteLayerInfo for every layer, WriteLayer for every layer in
// the same order, EndLayers, Close. Every operation returns QUOR_OK or a failure code, and the
// first failure sticks: later operations return it without writing. Codes: QUOR_ERR_MEMORY;
// QUOR_ERR_ARGUMENT a bad argument, a call out of order, or data too large for the format (a side
// above 30000, more than 256 layers, a length beyond the format's 32-bit fields; TooLarge() tells
// this case apart); QUOR_ERR_CREATE the file cannot be created; QUOR_ERR_WRITE a write failed. A
// file named by Open is written beside its target and takes its place only once the document is
// complete, so a document that failed or was never completed leaves the target as it was and no
// corrupt file under the user's name.
class Quor_PsdWriter {
public:
    static constexpr int kMaxLayers = 256;
    static constexpr int kMaxSide = 30000;   // the largest canvas of a version 1 document

    Quor_PsdWriter();
    ~Quor_PsdWriter();

    Quor_PsdWriter(const Quor_PsdWriter&) = delete;
    Quor_PsdWriter& operator=(const Quor_PsdWriter&) = delete;

    // Closes any open document and starts writing for path: QUOR_OK or QUOR_ERR_CREATE.
    int Open(const char* path);
    // Writes into a caller's sink instead of a file (not owned; never removed).
    int Open(Quor_ByteSink* sink);
    // Ends the document: QUOR_OK when it was completed by EndLayers and every byte was written,
    // flushed and closed (and, for a path, the file put in place); otherwise the failure code
    // (QUOR_ERR_ARGUMENT for a document never completed).
    int Close();
    bool IsOpen() const { return fSink != nullptr; }
    // Channel rows are compressed on up to n threads (0, the default: as many as Quor_Parallel
    // gives), so a caller with other work running can leave it cores.
    void SetThreads(int n) { fThreads = n > 0 ? n : 0; }
    // The failure was data the format cannot hold: a length beyond its 32-bit fields.
    bool TooLarge() const { return fTooLarge; }

    // Remembers the canvas size and writes everything up to the layer count.
    int WriteHeader(int width, int height);
    // Appends the record of one full-canvas layer. blendKey is four characters ("norm").
    int WriteLayerInfo(const char* name, const char* blendKey, uint8_t opacity);
    // Writes the channel data of the next declared layer from a 32-bit image of the canvas size.
    int WriteLayer(const Quor_image* image);
    // One channel (-1 alpha, 0 red, 1 green, 2 blue) of the current layer, PackBits-compressed,
    // then its length patched into the layer record.
    int WriteCompressedChannel(const Quor_image* image, int channel);
    // The same uncompressed.
    int WriteChannel(const Quor_image* image, int channel);
    // Declares and writes an "Empty Layer" when none was declared, writes transparent data for
    // any declared layer that got none, then the global mask length, the patched section
    // lengths and layer count, and the merged image: the colour of `merged` (32-bit, the canvas
    // size; its alpha is not written), or white without one.
    int EndLayers(const Quor_image* merged = nullptr);

    // One PackBits row: bytes written (at most PackBitsBound(count)) into `out`.
    static size_t EncodeRLESequence(int count, const uint8_t* bytes, uint8_t* out);
    static size_t PackBitsBound(int count) { return static_cast<size_t>(count) + static_cast<size_t>(count) / 128 + 4; }
    // Encodes and writes one row.
    int WriteRLESequence(int count, const uint8_t* bytes);

    // The primitives, big-endian. A Pascal string is a length byte and up to 255 characters,
    // padded with zeros to a multiple of `padding` bytes.
    int WritePascalString(const char* text, int padding);
    int WriteBytes1(uint8_t v);
    int WriteBytes2(uint16_t v);
    int WriteBytes4(uint32_t v);

    // Bytes a Pascal string takes with the given padding.
    static int PascalStringSize(const char* text, int padding);

private:
    int Fail(int code);
    int CheckWritten();
    bool CanWriteLayerData(const Quor_image* image);
    int WriteNextChannel(const Quor_image* image, int channel, bool compress);
    int WriteLayerData(const Quor_image& image);
    int WriteChannelData(const Quor_image& image, int channel, bool compress);
    // Every row of one channel, PackBits-compressed on every core and written in order; each
    // row's length goes into `lengths` (2 bytes a row, big-endian).
    void WritePackedRows(const Quor_image& image, int channel, uint8_t* lengths);
    int PatchLength(int64_t position, uint64_t value);
    void ExtractChannel(const Quor_image& image, int channel, int y, uint8_t* out) const;
    // The bits set anywhere in row y: a channel whose byte is clear in it is all zeros there.
    uint32_t RowBits(const Quor_image& image, int y) const;
    Quor_image TransparentLayer() const;

    std::unique_ptr<Quor_OutputFile> fOutput;
    std::unique_ptr<Quor_FileSink> fFileSink;
    Quor_ByteSink* fSink = nullptr;
    int fStatus = 0;
    int fThreads = 0;
    bool fTooLarge = false;
    bool fHeaderWritten = false;
    bool fEnded = false;

    int32_t fWidth = 0;
    int32_t fHeight = 0;
    int32_t fLayerCount = 0;
    int32_t fLayersDone = 0;
    int fChannelsDone = 0;                 // channels of the current layer written
    int64_t fSectionLengthPos = 0;
    int64_t fLayerInfoLengthPos = 0;
    int64_t fChannelLengthPos[kMaxLayers][4] = {};

    // Work buffers sized by WriteHeader: one channel row, its encoding, the row lengths.
    std::unique_ptr<uint8_t[]> fRow;
    std::unique_ptr<uint8_t[]> fPacked;
    std::unique_ptr<uint8_t[]> fRowLengths;  // 2 bytes a row, big-endian
    std::unique_ptr<uint32_t[]> fClearRow;   // one transparent row, for layers without data
    // A block of channel rows compressed at once: the rows, their encodings, their lengths.
    static constexpr int kBlockRows = 128;
    static constexpr int kRowsPerTask = 8;
    std::unique_ptr<uint8_t[]> fBlockRaw;
    std::unique_ptr<uint8_t[]> fBlockPacked;
    std::unique_ptr<size_t[]> fBlockLengths;
    // The encoding of a row of zeros.
    std::unique_ptr<uint8_t[]> fZeroPacked;
    size_t fZeroLength = 0;
    // RowBits of every row of the layer being written, while fRowBitsValid.
    std::unique_ptr<uint32_t[]> fRowBits;
    bool fRowBitsValid = false;
};
