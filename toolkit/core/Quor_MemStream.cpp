#include "toolkit/core/Quor_MemStream.h"

#include <cstdint>
#include <cstring>
#include <new>

#include "toolkit/core/Quor_Number.h"

namespace {

constexpr int kMaxLine = 255;
constexpr int kMaxToken = 255;

bool IsDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

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
        return -3;
    fData = static_cast<unsigned char*>(const_cast<void*>(data));
    fOwned = false;
    fSize = size;
    fCapacity = size;
    fPosition = 0;
    fMark = 0;
    return 0;
}

int Quor_MemStream::OpenWrite(int64_t initialCapacity)
{
    Close();
    ResetForOpen(false);
    if (initialCapacity <= 0)
        initialCapacity = kDefaultCapacity;
    if (static_cast<uint64_t>(initialCapacity) > SIZE_MAX / 2)
        return -1;
    fData = new (std::nothrow) unsigned char[static_cast<size_t>(initialCapacity)];
    if (fData == nullptr)
        return -1;
    fOwned = true;
    fCapacity = initialCapacity;
    fSize = 0;
    fPosition = 0;
    fMark = 0;
    return 0;
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

bool Quor_MemStream::SkipWhite()
{
    while (fPosition < fSize && IsWhite(fData[fPosition]))
        ++fPosition;
    return fPosition < fSize;
}

template <class Accept>
int Quor_MemStream::CollectRun(Accept accept)
{
    int n = 0;
    while (fPosition < fSize && n < kMaxToken && accept(fData[fPosition]))
        fToken[n++] = static_cast<char>(fData[fPosition++]);
    fToken[n] = '\0';
    return n;
}

bool Quor_MemStream::SkipLine()
{
    while (fPosition < fSize) {
        const unsigned char c = fData[fPosition++];
        if (c == '\r' || c == '\n')
            return true;
    }
    return false;
}

bool Quor_MemStream::ReadToNextChar(char wanted)
{
    while (fPosition < fSize)
        if (static_cast<char>(fData[fPosition++]) == wanted)
            return true;
    return false;
}

bool Quor_MemStream::ReadChar(char* c)
{
    if (c == nullptr || fPosition >= fSize)
        return false;
    *c = static_cast<char>(fData[fPosition++]);
    return true;
}

bool Quor_MemStream::ReadInt(int* value)
{
    if (value == nullptr || !SkipWhite())
        return false;
    const int n = CollectRun([](unsigned char c) { return IsDigit(c) || c == '-'; });
    int parsed = 0;
    if (n <= 0 || Quor_Number::ParseInt(fToken, fToken + n, &parsed) == nullptr)
        return false;
    *value = parsed;
    return true;
}

bool Quor_MemStream::ReadFloat(float* value)
{
    if (value == nullptr || !SkipWhite())
        return false;
    // Only the forms WriteFloat produces: digits, minus signs and a decimal point. "nan" and
    // "inf" are not collected, so they fail as in file streams.
    const int n = CollectRun([](unsigned char c) { return IsDigit(c) || c == '-' || c == '.'; });
    float parsed = 0.0f;
    if (n <= 0 || Quor_Number::ParseFloat(fToken, fToken + n, &parsed) == nullptr)
        return false;
    *value = parsed;
    return true;
}

bool Quor_MemStream::ReadBool(bool* value)
{
    char token[kTokenSize];
    if (value == nullptr || !ReadString(kTokenSize, token))
        return false;
    if (std::strncmp(token, "true", 4) == 0 || token[0] == '1') {
        *value = true;
        return true;
    }
    if (std::strncmp(token, "false", 5) == 0 || token[0] == '0') {
        *value = false;
        return true;
    }
    return false;
}

bool Quor_MemStream::ReadString(int maxLen, char* dst)
{
    if (dst == nullptr || maxLen < 1)
        return false;
    dst[0] = '\0';
    if (!SkipWhite())
        return false;
    const int64_t start = fPosition;
    while (fPosition < fSize && !IsWhite(fData[fPosition])) {
        if (fPosition - start >= kMaxToken)
            return false;  // a token of 255 bytes or more
        ++fPosition;
    }
    const int64_t n = fPosition - start;
    const int kept = n < maxLen - 1 ? static_cast<int>(n) : maxLen - 1;
    std::memcpy(dst, fData + start, static_cast<size_t>(kept));
    dst[kept] = '\0';
    return true;
}

bool Quor_MemStream::ReadQuoteString(int maxLen, char* dst)
{
    if (dst == nullptr || maxLen < 1)
        return false;
    dst[0] = '\0';
    if (!SkipWhite() || fData[fPosition] != '"')
        return false;
    ++fPosition;
    int n = 0;
    for (;;) {
        if (fPosition >= fSize) {
            dst[n] = '\0';
            return false;
        }
        const char c = static_cast<char>(fData[fPosition++]);
        if (c == '"') {
            dst[n] = '\0';
            return true;
        }
        if (n >= maxLen - 1) {
            dst[n] = '\0';
            return false;
        }
        dst[n++] = c;
    }
}

bool Quor_MemStream::ReadLine(int maxLen, char* dst)
{
    if (dst == nullptr || maxLen < 1 || fData == nullptr)
        return false;
    int n = 0;
    int kept = 0;
    for (;;) {
        if (fPosition >= fSize) {
            dst[kept] = '\0';
            return false;  // the data ended before the line did
        }
        const char c = static_cast<char>(fData[fPosition++]);
        if (c == '\r' || c == '\n') {
            dst[kept] = '\0';
            return n < kMaxLine;
        }
        if (kept < maxLen - 1)
            dst[kept++] = c;
        ++n;
    }
}
