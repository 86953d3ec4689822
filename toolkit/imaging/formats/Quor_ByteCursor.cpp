#include "toolkit/imaging/formats/Quor_ByteCursor.h"

#include <cstring>
#include <sys/stat.h>

Quor_ByteCursor::Quor_ByteCursor(FILE* file)
    : fFile(file)
{
    struct stat info;
    if (file == nullptr || fstat(fileno(file), &info) != 0) {
        fFailed = true;
        return;
    }
    const off_t start = ftello(file);
    fPosition = start > 0 ? static_cast<uint64_t>(start) : 0;
    fFileSize = info.st_size > 0 ? static_cast<uint64_t>(info.st_size) : 0;
}

bool Quor_ByteCursor::Refill()
{
    if (fFile == nullptr || fPosition >= fFileSize)
        return false;
    fNext = 0;
    fEnd = fread(fBuffer, 1, kBufferSize, fFile);
    return fEnd > 0;
}

uint8_t Quor_ByteCursor::Get8()
{
    if (fNext == fEnd && !Refill()) {
        fFailed = true;
        return 0;
    }
    fPosition++;
    return fBuffer[fNext++];
}

uint16_t Quor_ByteCursor::Get16LE()
{
    const uint16_t low = Get8();
    return static_cast<uint16_t>(low | Get8() << 8);
}

uint32_t Quor_ByteCursor::Get32LE()
{
    const uint32_t low = Get16LE();
    return low | static_cast<uint32_t>(Get16LE()) << 16;
}

size_t Quor_ByteCursor::ReadSome(uint8_t* dst, size_t count)
{
    size_t done = 0;
    while (done < count) {
        if (fNext == fEnd && !Refill())
            break;
        size_t chunk = fEnd - fNext;
        if (chunk > count - done)
            chunk = count - done;
        std::memcpy(dst + done, fBuffer + fNext, chunk);
        fNext += chunk;
        fPosition += chunk;
        done += chunk;
    }
    return done;
}

bool Quor_ByteCursor::Read(uint8_t* dst, size_t count)
{
    const size_t done = ReadSome(dst, count);
    if (done == count)
        return true;
    std::memset(dst + done, 0, count - done);
    fFailed = true;
    return false;
}

bool Quor_ByteCursor::Skip(uint64_t count)
{
    if (count > Remaining()) {
        fFailed = true;
        return false;
    }
    return SeekTo(fPosition + count);
}

bool Quor_ByteCursor::SeekTo(uint64_t offset)
{
    if (offset > fFileSize || fFile == nullptr) {
        fFailed = true;
        return false;
    }
    // Within the buffered bytes the move is free; elsewhere the buffer is dropped.
    const uint64_t bufferStart = fPosition - fNext;
    if (offset >= bufferStart && offset <= bufferStart + fEnd) {
        fNext = static_cast<size_t>(offset - bufferStart);
        fPosition = offset;
        return true;
    }
    if (fseeko(fFile, static_cast<off_t>(offset), SEEK_SET) != 0) {
        fFailed = true;
        return false;
    }
    fPosition = offset;
    fNext = fEnd = 0;
    return true;
}
