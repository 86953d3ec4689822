// The bounded reader through which the BMP, GIF and Targa readers see their files: the only code
// that touches the file's raw bytes. It can never read past the end; reading there gives zeros
// and marks the cursor failed, so a reader checks Failed() once per row instead of per byte.
// Files reaching it are untrusted (dropped by the user, named in a project file).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

class Quor_ByteCursor {
public:
    // Reads `file` from its current position; the cursor does not own it.
    explicit Quor_ByteCursor(FILE* file);

    Quor_ByteCursor(const Quor_ByteCursor&) = delete;
    Quor_ByteCursor& operator=(const Quor_ByteCursor&) = delete;

    uint8_t Get8();
    uint16_t Get16LE();
    uint32_t Get32LE();

    // Copies count bytes; false (and the rest of dst zeroed) when the file ends first.
    bool Read(uint8_t* dst, size_t count);
    // Copies up to count bytes and returns how many there were; reaching the end here is not a
    // failure (for decoders that ask for more than they need).
    size_t ReadSome(uint8_t* dst, size_t count);
    bool Skip(uint64_t count);
    // Moves to an absolute offset inside the file; false for an offset beyond its end.
    bool SeekTo(uint64_t offset);

    uint64_t Position() const { return fPosition; }
    // The file's size when the cursor was made.
    uint64_t FileSize() const { return fFileSize; }
    uint64_t Remaining() const { return fPosition < fFileSize ? fFileSize - fPosition : 0; }
    bool Failed() const { return fFailed; }

private:
    bool Refill();

    static constexpr size_t kBufferSize = 16384;

    FILE* fFile;
    uint64_t fFileSize = 0;
    uint64_t fPosition = 0;      // offset of the next byte handed out
    size_t fNext = 0;            // index of that byte in fBuffer
    size_t fEnd = 0;             // bytes valid in fBuffer
    bool fFailed = false;
    uint8_t fBuffer[kBufferSize];
};
