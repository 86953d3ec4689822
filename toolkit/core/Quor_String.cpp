#include "toolkit/core/Quor_String.h"

#include <cassert>
#include <cctype>
#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <new>

#include "toolkit/core/Quor_Number.h"

namespace {

constexpr int kDefaultCapacity = 32;
// Largest length a string may reach: length + 1 must still fit the signed 32-bit capacity.
constexpr int kMaxLength = INT_MAX - 1;

int Clamp(int v, int lo, int hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}

int LengthOf(const char* text)
{
    if (text == nullptr)
        return 0;
    const size_t n = std::strlen(text);
    return n > static_cast<size_t>(kMaxLength) ? -1 : static_cast<int>(n);
}

}  // namespace

Quor_String::Quor_String()
    : fLength(0), fCapacity(0), fBuffer(new (std::nothrow) char[kDefaultCapacity])
{
    if (fBuffer != nullptr) {
        fBuffer[0] = '\0';
        fCapacity = kDefaultCapacity;
    }
}

Quor_String::Quor_String(const char* text) : fLength(0), fCapacity(0), fBuffer(nullptr)
{
    const int n = LengthOf(text);
    if (n >= 0 && Alloc(n))
        AssignBytes(text, n);
}

Quor_String::Quor_String(const Quor_String& other) : fLength(0), fCapacity(0), fBuffer(nullptr)
{
    if (Alloc(other.fLength))
        AssignBytes(other.CStr(), other.fLength);
}

Quor_String::Quor_String(Quor_String&& other) noexcept
    : fLength(other.fLength), fCapacity(other.fCapacity), fBuffer(other.fBuffer)
{
    other.fLength = 0;
    other.fCapacity = 0;
    other.fBuffer = nullptr;
}

Quor_String::~Quor_String()
{
    delete[] fBuffer;
    fBuffer = nullptr;
    fLength = 0;
    fCapacity = 0;
}

bool Quor_String::Alloc(int n)
{
    return Grow(n, false);
}

bool Quor_String::Realloc(int n)
{
    return Grow(n, true);
}

bool Quor_String::Grow(int n, bool keepContent)
{
    if (n < 0 || n > kMaxLength)
        return false;
    if (fBuffer != nullptr && fCapacity > n)
        return true;
    char* buffer = new (std::nothrow) char[static_cast<size_t>(n) + 1];
    if (buffer == nullptr)
        return false;
    const int keep = !keepContent ? 0 : (fLength < n ? fLength : n);
    if (keep > 0)
        std::memcpy(buffer, fBuffer, static_cast<size_t>(keep));
    buffer[keep] = '\0';
    delete[] fBuffer;
    fBuffer = buffer;
    fLength = keep;
    fCapacity = n + 1;
    return true;
}

void Quor_String::Free()
{
    delete[] fBuffer;
    fBuffer = nullptr;
    fLength = 0;
    fCapacity = 0;
}

void Quor_String::UpdateLength()
{
    if (fBuffer == nullptr)
        return;
    fBuffer[fCapacity - 1] = '\0';
    fLength = static_cast<int>(std::strlen(fBuffer));
}

bool Quor_String::AssignBytes(const char* bytes, int n)
{
    if (n < 0 || n > kMaxLength)
        return false;
    if (fBuffer != nullptr && fCapacity > n) {
        // memmove: the source may be a piece of this very string.
        if (n > 0)
            std::memmove(fBuffer, bytes, static_cast<size_t>(n));
        fBuffer[n] = '\0';
        fLength = n;
        return true;
    }
    char* buffer = new (std::nothrow) char[static_cast<size_t>(n) + 1];
    if (buffer == nullptr)
        return false;
    if (n > 0)
        std::memcpy(buffer, bytes, static_cast<size_t>(n));
    buffer[n] = '\0';
    delete[] fBuffer;
    fBuffer = buffer;
    fCapacity = n + 1;
    fLength = n;
    return true;
}

bool Quor_String::AppendBytes(const char* bytes, int n)
{
    if (n <= 0)
        return true;
    if (n > kMaxLength - fLength)
        return false;
    // The bytes may lie inside our own buffer (s += s); find them again after growing.
    const bool inside = fBuffer != nullptr && bytes >= fBuffer && bytes < fBuffer + fCapacity;
    const ptrdiff_t offset = inside ? bytes - fBuffer : 0;
    if (!Realloc(fLength + n))
        return false;
    if (inside)
        bytes = fBuffer + offset;
    std::memmove(fBuffer + fLength, bytes, static_cast<size_t>(n));
    fLength += n;
    fBuffer[fLength] = '\0';
    return true;
}

char Quor_String::GetAt(int i) const
{
    return i >= 0 && i < fLength ? fBuffer[i] : '\0';
}

void Quor_String::SetAt(int i, char c)
{
    if (i < 0 || i >= fLength)
        return;
    fBuffer[i] = c;
    if (c == '\0')
        fLength = i;  // a stored terminator ends the text there
}

void Quor_String::Print() const
{
    std::fputs(CStr(), stdout);
    std::fputc('\n', stdout);
}

Quor_String& Quor_String::operator=(char c)
{
    if (c == '\0')
        AssignBytes("", 0);
    else
        AssignBytes(&c, 1);
    return *this;
}

Quor_String& Quor_String::operator=(const char* text)
{
    const int n = LengthOf(text);
    if (n >= 0)
        AssignBytes(text != nullptr ? text : "", n);
    return *this;
}

Quor_String& Quor_String::operator=(const Quor_String& other)
{
    if (this != &other)
        AssignBytes(other.CStr(), other.fLength);
    return *this;
}

Quor_String& Quor_String::operator=(Quor_String&& other) noexcept
{
    if (this != &other) {
        delete[] fBuffer;
        fBuffer = other.fBuffer;
        fLength = other.fLength;
        fCapacity = other.fCapacity;
        other.fBuffer = nullptr;
        other.fLength = 0;
        other.fCapacity = 0;
    }
    return *this;
}

Quor_String& Quor_String::operator=(const char16_t* units)
{
    int n = 0;
    if (units != nullptr)
        while (units[n] != 0 && n < kMaxLength)
            ++n;
    if (!Alloc(n))
        return *this;
    for (int i = 0; i < n; ++i) {
        // A unit whose low byte is 0 would end the text early; keep the byte count honest.
        const char c = static_cast<char>(units[i] & 0xFF);
        if (c == '\0') {
            n = i;
            break;
        }
        fBuffer[i] = c;
    }
    fBuffer[n] = '\0';
    fLength = n;
    return *this;
}

Quor_String& Quor_String::operator=(const uint16_t* units)
{
    return *this = reinterpret_cast<const char16_t*>(units);
}

Quor_String& Quor_String::operator=(int value)
{
    char text[Quor_Number::kMaxText];
    const int n = Quor_Number::FormatInt(value, text, sizeof text);
    AssignBytes(text, n);
    return *this;
}

Quor_String& Quor_String::operator=(float value)
{
    return *this = static_cast<double>(value);
}

Quor_String& Quor_String::operator=(double value)
{
    char text[Quor_Number::kMaxText];
    const int n = Quor_Number::FormatFixed(value, 6, text, sizeof text);
    AssignBytes(text, n);
    return *this;
}

Quor_String& Quor_String::operator+=(char c)
{
    if (c != '\0')
        AppendBytes(&c, 1);
    return *this;
}

Quor_String& Quor_String::operator+=(const char* text)
{
    const int n = LengthOf(text);
    if (n > 0)
        AppendBytes(text, n);
    return *this;
}

Quor_String& Quor_String::operator+=(const Quor_String& other)
{
    AppendBytes(other.CStr(), other.fLength);
    return *this;
}

Quor_String& Quor_String::operator+=(int value)
{
    char text[Quor_Number::kMaxText];
    AppendBytes(text, Quor_Number::FormatInt(value, text, sizeof text));
    return *this;
}

Quor_String& Quor_String::operator+=(float value)
{
    return *this += static_cast<double>(value);
}

Quor_String& Quor_String::operator+=(double value)
{
    char text[Quor_Number::kMaxText];
    AppendBytes(text, Quor_Number::FormatFixed(value, 6, text, sizeof text));
    return *this;
}

int Quor_String::Compare(const char* text) const
{
    return std::strcmp(CStr(), text != nullptr ? text : "");
}

void Quor_String::InsertAt(int i, char c)
{
    if (c == '\0' || fLength >= kMaxLength || !Realloc(fLength + 1))
        return;
    i = Clamp(i, 0, fLength);
    std::memmove(fBuffer + i + 1, fBuffer + i, static_cast<size_t>(fLength - i) + 1);
    fBuffer[i] = c;
    ++fLength;
}

void Quor_String::RemoveAt(int i)
{
    if (i < 0)
        i = 0;
    if (i >= fLength)
        return;
    std::memmove(fBuffer + i, fBuffer + i + 1, static_cast<size_t>(fLength - i));
    --fLength;
}

// The C library's character classes see only unsigned char values: a byte of 128 or more
// (UTF-8 file names) would otherwise be a negative argument, which is undefined.
void Quor_String::ToUpper()
{
    for (int i = 0; i < fLength; ++i)
        fBuffer[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(fBuffer[i])));
}

void Quor_String::ToLower()
{
    for (int i = 0; i < fLength; ++i)
        fBuffer[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(fBuffer[i])));
}

void Quor_String::ReverseCase()
{
    for (int i = 0; i < fLength; ++i) {
        const unsigned char c = static_cast<unsigned char>(fBuffer[i]);
        fBuffer[i] = static_cast<char>(std::isupper(c) ? std::tolower(c) : std::toupper(c));
    }
}

void Quor_String::TrimLeft()
{
    int skip = 0;
    while (skip < fLength && std::isspace(static_cast<unsigned char>(fBuffer[skip])))
        ++skip;
    if (skip > 0) {
        std::memmove(fBuffer, fBuffer + skip, static_cast<size_t>(fLength - skip) + 1);
        fLength -= skip;
    }
}

void Quor_String::TrimRight()
{
    while (fLength > 0 && std::isspace(static_cast<unsigned char>(fBuffer[fLength - 1])))
        --fLength;
    if (fBuffer != nullptr)
        fBuffer[fLength] = '\0';
}

void Quor_String::Trim(char c)
{
    if (c == '\0')
        return;
    int out = 0;
    for (int i = 0; i < fLength; ++i)
        if (fBuffer[i] != c)
            fBuffer[out++] = fBuffer[i];
    fLength = out;
    if (fBuffer != nullptr)
        fBuffer[fLength] = '\0';
}

int Quor_String::Find(char c) const
{
    for (int i = 0; i < fLength; ++i)
        if (fBuffer[i] == c)
            return i;
    return -1;
}

int Quor_String::ReverseFind(char c) const
{
    for (int i = fLength - 1; i >= 0; --i)
        if (fBuffer[i] == c)
            return i;
    return -1;
}

Quor_String Quor_String::Left(int n) const
{
    if (n < 1)
        return Quor_String();
    return n >= fLength ? *this : Slice(0, n);
}

Quor_String Quor_String::Right(int n) const
{
    if (n < 1)
        return Quor_String();
    return n >= fLength ? *this : Slice(fLength - n, fLength);
}

Quor_String Quor_String::LeftTo(char c) const
{
    const int i = Find(c);
    return i < 0 ? Quor_String() : Slice(0, i);
}

Quor_String Quor_String::LeftToLast(char c) const
{
    const int i = ReverseFind(c);
    return i < 0 ? Quor_String() : Slice(0, i);
}

Quor_String Quor_String::RightAfter(char c) const
{
    const int i = ReverseFind(c);
    return i < 0 ? Quor_String() : Slice(i + 1, fLength);
}

Quor_String Quor_String::RightAfterFirst(char c) const
{
    const int i = Find(c);
    return i < 0 ? Quor_String() : Slice(i + 1, fLength);
}

Quor_String Quor_String::Slice(int a, int b) const
{
    // Callers keep 0 <= a <= b <= length (b past the end only with a == 0); anything else is
    // clamped in release builds rather than read out of bounds.
    assert(a >= 0 && a <= b && (b <= fLength || a == 0) && "Slice bounds outside the string");
    a = Clamp(a, 0, fLength);
    b = Clamp(b, 0, fLength);
    Quor_String piece;
    if (b > a)
        piece.AssignBytes(fBuffer + a, b - a);
    return piece;
}

Quor_String Quor_String::Substring(int k) const
{
    if (k < 0)
        return Quor_String();
    int start = 0;
    for (int bars = 0; bars < k; ++bars) {
        while (start < fLength && fBuffer[start] != '|')
            ++start;
        if (start >= fLength)
            return Quor_String();  // fewer than k bars
        ++start;
    }
    int end = start;
    while (end < fLength && fBuffer[end] != '|')
        ++end;
    return Slice(start, end);
}

Quor_String operator+(const Quor_String& a, const Quor_String& b)
{
    Quor_String result(a);
    result += b;
    return result;
}

Quor_String operator+(const Quor_String& a, const char* b)
{
    Quor_String result(a);
    result += b;
    return result;
}

Quor_String operator+(const Quor_String& a, char b)
{
    Quor_String result(a);
    result += b;
    return result;
}

Quor_String operator+(const char* a, const Quor_String& b)
{
    Quor_String result(a);
    result += b;
    return result;
}

Quor_String operator+(char a, const Quor_String& b)
{
    Quor_String result;
    result = a;
    result += b;
    return result;
}

namespace {

int Order(const char* a, const char* b)
{
    return std::strcmp(a != nullptr ? a : "", b != nullptr ? b : "");
}

}  // namespace

bool operator==(const Quor_String& a, const Quor_String& b) { return Order(a, b) == 0; }
bool operator==(const Quor_String& a, const char* b) { return Order(a, b) == 0; }
bool operator==(const char* a, const Quor_String& b) { return Order(a, b) == 0; }
bool operator!=(const Quor_String& a, const Quor_String& b) { return Order(a, b) != 0; }
bool operator!=(const Quor_String& a, const char* b) { return Order(a, b) != 0; }
bool operator!=(const char* a, const Quor_String& b) { return Order(a, b) != 0; }
bool operator<(const Quor_String& a, const Quor_String& b) { return Order(a, b) < 0; }
bool operator<(const Quor_String& a, const char* b) { return Order(a, b) < 0; }
bool operator<(const char* a, const Quor_String& b) { return Order(a, b) < 0; }
bool operator<=(const Quor_String& a, const Quor_String& b) { return Order(a, b) <= 0; }
bool operator<=(const Quor_String& a, const char* b) { return Order(a, b) <= 0; }
bool operator<=(const char* a, const Quor_String& b) { return Order(a, b) <= 0; }
bool operator>(const Quor_String& a, const Quor_String& b) { return Order(a, b) > 0; }
bool operator>(const Quor_String& a, const char* b) { return Order(a, b) > 0; }
bool operator>(const char* a, const Quor_String& b) { return Order(a, b) > 0; }
bool operator>=(const Quor_String& a, const Quor_String& b) { return Order(a, b) >= 0; }
bool operator>=(const Quor_String& a, const char* b) { return Order(a, b) >= 0; }
bool operator>=(const char* a, const Quor_String& b) { return Order(a, b) >= 0; }
