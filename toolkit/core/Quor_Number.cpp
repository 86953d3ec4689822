#include "toolkit/core/Quor_Number.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <system_error>

namespace {

bool IsSpace(char c)
{
    // The C locale's white space, independent of the process locale.
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

int Finish(const std::to_chars_result& result, char* out, int size)
{
    if (result.ec != std::errc() || result.ptr >= out + size) {
        if (size > 0)
            out[0] = '\0';
        return 0;
    }
    *result.ptr = '\0';
    return static_cast<int>(result.ptr - out);
}

int CopyText(const char* text, char* out, int size)
{
    const int length = static_cast<int>(std::strlen(text));
    if (length >= size) {
        if (size > 0)
            out[0] = '\0';
        return 0;
    }
    std::memcpy(out, text, static_cast<size_t>(length) + 1);
    return length;
}

// Skips white space and a leading '+', which from_chars does not accept. Returns the start of
// the signed digits, or null when the sign is not followed by something a number can start with.
const char* NumberStart(const char* p, const char* end)
{
    while (p < end && IsSpace(*p))
        ++p;
    if (p < end && *p == '+') {
        ++p;
        if (p >= end || *p == '-' || *p == '+')
            return nullptr;
    }
    return p;
}

template <class T>
const char* ParseInteger(const char* begin, const char* end, T* out)
{
    if (begin == nullptr || out == nullptr)
        return nullptr;
    const char* p = NumberStart(begin, end);
    if (p == nullptr)
        return nullptr;
    T value = 0;
    std::from_chars_result result = std::from_chars(p, end, value);
    if (result.ec != std::errc())
        return nullptr;
    *out = value;
    return result.ptr;
}

// from_chars reports both overflow and underflow as out of range; "%f" turns an underflow into
// zero, so tell them apart by the text: a negative exponent, or no non-zero digit before the
// point, means the value is too small rather than too large.
bool IsUnderflow(const char* p, const char* end)
{
    bool sawNonZeroInteger = false;
    bool inInteger = true;
    for (; p < end; ++p) {
        const char c = *p;
        if (c == 'e' || c == 'E')
            return p + 1 < end && p[1] == '-' ? true : !sawNonZeroInteger;
        if (c == '.')
            inInteger = false;
        else if (inInteger && c >= '1' && c <= '9')
            sawNonZeroInteger = true;
    }
    return !sawNonZeroInteger;
}

bool IsNumberText(const char* p, const char* end)
{
    if (p < end && *p == '-')
        ++p;
    if (p < end && *p == '.')
        ++p;
    return p < end && IsDigit(*p);
}

}  // namespace

int Quor_Number::FormatInt(int64_t value, char* out, int size)
{
    if (out == nullptr || size < 1)
        return 0;
    return Finish(std::to_chars(out, out + size, value), out, size);
}

int Quor_Number::FormatUnsigned(uint64_t value, char* out, int size)
{
    if (out == nullptr || size < 1)
        return 0;
    return Finish(std::to_chars(out, out + size, value), out, size);
}

int Quor_Number::FormatFixed(double value, int decimals, char* out, int size)
{
    if (out == nullptr || size < 1)
        return 0;
    if (std::isnan(value))
        return CopyText(std::signbit(value) ? "-nan" : "nan", out, size);
    if (std::isinf(value))
        return CopyText(value < 0 ? "-inf" : "inf", out, size);
    if (decimals < 0)
        decimals = 0;
    if (decimals > 17)
        decimals = 17;
    return Finish(std::to_chars(out, out + size, value, std::chars_format::fixed, decimals), out, size);
}

int Quor_Number::FormatShort(float value, char* out, int size)
{
    if (out == nullptr || size < 1)
        return 0;
    const double v = value;
    if (std::isnan(v))
        return CopyText("nan", out, size);
    if (std::isinf(v))
        return CopyText(v < 0 ? "-inf" : "inf", out, size);

    // Only values well inside the 64-bit range go through an integer; every float of 2^24 or
    // more is a whole number anyway, so the larger ones print exactly as "%.0f".
    constexpr double kIntegerLimit = 4611686018427387904.0;  // 2^62
    if (std::fabs(v) >= kIntegerLimit)
        return FormatFixed(v, 0, out, size);
    const double rounded = std::round(v);  // halves away from zero
    if (std::fabs(v - rounded) < 0.000001)
        return FormatInt(static_cast<int64_t>(rounded), out, size);

    int length = FormatFixed(v, 6, out, size);
    if (length == 0)
        return 0;
    while (length > 0 && out[length - 1] == '0')
        --length;
    if (length > 0 && out[length - 1] == '.')
        --length;
    out[length] = '\0';
    return length;
}

Quor_Number::Text Quor_Number::IntText(int64_t value)
{
    Text text;
    text.fLength = FormatInt(value, text.fText, kMaxText);
    return text;
}

Quor_Number::Text Quor_Number::FixedText(double value, int decimals)
{
    Text text;
    text.fLength = FormatFixed(value, decimals, text.fText, kMaxText);
    return text;
}

const char* Quor_Number::ParseInt(const char* begin, const char* end, int* out)
{
    return ParseInteger(begin, end, out);
}

const char* Quor_Number::ParseInt64(const char* begin, const char* end, int64_t* out)
{
    return ParseInteger(begin, end, out);
}

const char* Quor_Number::ParseUnsigned(const char* begin, const char* end, uint64_t* out)
{
    if (begin == nullptr || out == nullptr)
        return nullptr;
    const char* p = NumberStart(begin, end);
    // from_chars on an unsigned type refuses a minus sign, unlike strtoul; that is what we want.
    if (p == nullptr || p >= end || !IsDigit(*p))
        return nullptr;
    return ParseInteger(p, end, out);
}

const char* Quor_Number::ParseFloat(const char* begin, const char* end, float* out)
{
    if (begin == nullptr || out == nullptr)
        return nullptr;
    const char* p = NumberStart(begin, end);
    // Only digits may follow: this also refuses "nan", "inf" and "infinity" in every spelling.
    if (p == nullptr || !IsNumberText(p, end))
        return nullptr;
    float value = 0.0f;
    std::from_chars_result result = std::from_chars(p, end, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        if (!IsUnderflow(p, result.ptr))
            return nullptr;
        // Too small for a float: take the double (a float subnormal or zero), or a signed zero.
        double wide = 0.0;
        std::from_chars_result wideResult = std::from_chars(p, end, wide, std::chars_format::general);
        if (wideResult.ec == std::errc() && std::fabs(wide) < 1.0)
            value = static_cast<float>(wide);
        else
            value = *p == '-' ? -0.0f : 0.0f;
    } else if (result.ec != std::errc()) {
        return nullptr;
    }
    if (!std::isfinite(value))
        return nullptr;
    *out = value;
    return result.ptr;
}

bool Quor_Number::ParseInt(const char* text, int* out)
{
    return text != nullptr && ParseInt(text, text + std::strlen(text), out) != nullptr;
}

bool Quor_Number::ParseInt64(const char* text, int64_t* out)
{
    return text != nullptr && ParseInt64(text, text + std::strlen(text), out) != nullptr;
}

bool Quor_Number::ParseUnsigned(const char* text, uint64_t* out)
{
    return text != nullptr && ParseUnsigned(text, text + std::strlen(text), out) != nullptr;
}

bool Quor_Number::ParseFloat(const char* text, float* out)
{
    return text != nullptr && ParseFloat(text, text + std::strlen(text), out) != nullptr;
}
