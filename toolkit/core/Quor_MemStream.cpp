#include "toolkit/core/Quor_MemStream.h"

#include <cstdint>
#include <cstring>
#include <new>


Quor_MemStream::Quor_MemStream()
    : fData(nullptr), fPosition(0), fSize(0), fCapacity(0), fMark(0), fOwned(false)
{
}

Quor_MemStream::~Quor_MemStream()
{
    Close();
}

int Quor_MemStream::OpenRead(const void* data, int64_t size)
{
    Close();
    ResetForOpen(true);
    if (data == nullptr || size < 1)
        return QUOR_ERR_ARGUMENT;
    fData = static_cast<unsigned char*>(const_cast<void*>(data));
    fOwned = false;
    fSize = size;
    fCapacity = size;
    fPosition = 0;
    fMark = 0;
    return QUOR_OK;
}

int Quor_MemStream::OpenWrite(int64_t initialCapacity)
{
    Close();
    ResetForOpen(false);
    if (initialCapacity <= 0)
        initialCapacity = kDefaultCapacity;
    if (static_cast<uint64_t>(initialCapacity) > SIZE_MAX / 2)
        return QUOR_ERR_MEMORY;
    fData = new (std::nothrow) unsigned char[static_cast<size_t>(initialCapacity)];
    if (fData == nullptr)
        return QUOR_ERR_MEMORY;
    fOwned = true;
    fCapacity = initialCapacity;
    fSize = 0;
    fPosition = 0;
    fMark = 0;
    return QUOR_OK;
}

void Quor_MemStream::Close()
{
    if (fOwned)
        delete[] fData;
    fData = nullptr;
    fOwned = false;
    fSize = 0;
    fCapacity = 0;
    fPosition = 0;
    fMark = 0;
}

void Quor_MemStream::Truncate()
{
    if (!fOwned)
        return;
    fSize = 0;
    fPosition = 0;
    fMark = 0;
}

void Quor_MemStream::GoToMark()
{
    SetFilePos(fMark);
}

void Quor_MemStream::SetFilePos(int64_t position)
{
    fPosition = position < 0 ? 0 : (position > fSize ? fSize : position);
}

int Quor_MemStream::ReadBytes(void* buffer, int n)
{
    if (fData == nullptr || buffer == nullptr || n <= 0 || fPosition >= fSize)
        return 0;
    const int64_t available = fSize - fPosition;
    const int count = available < n ? static_cast<int>(available) : n;
    std::memcpy(buffer, fData + fPosition, static_cast<size_t>(count));
    fPosition += count;
    return count;
}

bool Quor_MemStream::ExpandMemFile(int64_t needed)
{
    int64_t capacity = fCapacity > 0 ? fCapacity : kDefaultCapacity;
    while (capacity < needed) {
        if (capacity > INT64_MAX / 2)
            return false;
        capacity *= 2;
    }
    if (static_cast<uint64_t>(capacity) > SIZE_MAX / 2)
        return false;
    unsigned char* data = new (std::nothrow) unsigned char[static_cast<size_t>(capacity)];
    if (data == nullptr)
        return false;
    if (fSize > 0)
        std::memcpy(data, fData, static_cast<size_t>(fSize));
    delete[] fData;
    fData = data;
    fCapacity = capacity;
    return true;
}

int Quor_MemStream::WriteBytes(const void* buffer, int n)
{
    if (n <= 0)
        return 0;
    if (fData == nullptr || fReadOnly || !fOwned || buffer == nullptr) {
        NoteWriteFailed();
        return 0;
    }
    // Keep two spare bytes past the written data, as the buffer always has.
    if (fCapacity - fPosition - 2 < n && !ExpandMemFile(fPosition + n + 2)) {
        NoteWriteFailed();
        return 0;
    }
    std::memcpy(fData + fPosition, buffer, static_cast<size_t>(n));
    fPosition += n;
    if (fPosition > fSize)
        fSize = fPosition;
    return n;
}

Quor_MemStream::Bytes Quor_MemStream::Tokens()
{
    return Bytes(ByteSource{this}, fToken);
}

int Quor_MemStream::ByteSource::Get()
{
    return stream->fPosition < stream->fSize ? stream->fData[stream->fPosition++] : -1;
}

void Quor_MemStream::ByteSource::Unget(int)
{
    --stream->fPosition;
}

bool Quor_MemStream::ReadChar(char* c)
{
    if (c == nullptr || fPosition >= fSize)
        return false;
    *c = static_cast<char>(fData[fPosition++]);
    return true;
}

bool Quor_MemStream::SkipLine() { return Tokens().SkipLine(); }
bool Quor_MemStream::ReadToNextChar(char c) { return Tokens().ReadToNextChar(c); }
bool Quor_MemStream::ReadInt(int* value) { return Tokens().ReadInt(value); }
bool Quor_MemStream::ReadFloat(float* value) { return Tokens().ReadFloat(value); }
bool Quor_MemStream::ReadBool(bool* value) { return Tokens().ReadBool(value); }
bool Quor_MemStream::ReadString(int maxLen, char* dst) { return Tokens().ReadString(maxLen, dst); }
bool Quor_MemStream::ReadQuoteString(int maxLen, char* dst) { return Tokens().ReadQuoteString(maxLen, dst); }
bool Quor_MemStream::ReadLine(int maxLen, char* dst) { return Tokens().ReadLine(maxLen, dst); }
