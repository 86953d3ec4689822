// A token stream over bytes in memory: read over a caller's buffer, or written into a growing
// buffer of its own (the document's undo snapshot is one).
#pragma once

#include "toolkit/core/Quor_IoStream.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/core/Quor_TokenReader.h"

class Quor_MemStream : public Quor_IoStream {
public:
    static constexpr int kDefaultCapacity = 2048;

    Quor_MemStream();
    ~Quor_MemStream() override;

    // Reads size bytes at data, which the caller keeps alive and unchanged while the stream is
    // open. QUOR_OK, or QUOR_ERR_ARGUMENT for null data or a size below 1.
    int OpenRead(const void* data, int64_t size);
    // Starts an empty buffer of initialCapacity bytes (kDefaultCapacity for 0 or less).
    // QUOR_OK, or QUOR_ERR_MEMORY when the buffer cannot be allocated.
    int OpenWrite(int64_t initialCapacity = 0);

    // The bytes; FileSize() of them are valid.
    const char* RawData() const { return reinterpret_cast<const char*>(fData); }
    int64_t Capacity() const { return fCapacity; }
    // Empties a write stream (size, position and mark 0), keeping its buffer, so that what is
    // written next is all the stream holds. Rewind() alone keeps the old bytes past the new end.
    void Truncate();

    bool IsOpen() const override { return fData != nullptr; }
    void Close() override;
    void Mark() override { fMark = fPosition; }
    void GoToMark() override;
    void Rewind() override { fPosition = 0; }
    int64_t FileSize() override { return fSize; }
    int64_t FilePos() override { return fPosition; }
    // Clamped to 0..size: at the size the next read meets the end.
    void SetFilePos(int64_t position) override;
    bool AtEOF() override { return fPosition >= fSize; }
    int ReadBytes(void* buffer, int n) override;
    bool SkipLine() override;
    bool ReadToNextChar(char c) override;
    bool ReadChar(char* c) override;
    bool ReadInt(int* value) override;
    bool ReadFloat(float* value) override;
    bool ReadBool(bool* value) override;
    bool ReadString(int maxLen, char* dst) override;
    bool ReadQuoteString(int maxLen, char* dst) override;
    bool ReadLine(int maxLen, char* dst) override;
    int WriteBytes(const void* buffer, int n) override;

    using Quor_IoStream::ReadQuoteString;

private:
    // The bytes from the position, for the token reader.
    struct ByteSource {
        Quor_MemStream* stream;
        int Get();
        void Unget(int byte);
    };
    using Bytes = Quor_TokenReader<ByteSource>;
    Bytes Tokens();

    // Grows the buffer by doubling until needed bytes fit; false when that overflows or fails.
    bool ExpandMemFile(int64_t needed);

    unsigned char* fData;
    int64_t fPosition;
    int64_t fSize;
    int64_t fCapacity;
    int64_t fMark;
    bool fOwned;
};
