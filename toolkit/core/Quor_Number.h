// Number text in the C locale for streams, messages, strings and widgets: integers, "%f"-style
// fixed decimals, the streams' short float form, and parsers that never consult the process locale.
#pragma once

#include <cstdint>

class Quor_Number {
public:
    // Room for the longest text any formatter here writes ("%f" of the largest double), terminator included.
    static constexpr int kMaxText = 330;

    // Each formatter writes a NUL-terminated text into out and returns its length, or 0 (with out
    // set empty when size allows) when out is too small.
    static int FormatInt(int64_t value, char* out, int size);
    static int FormatUnsigned(uint64_t value, char* out, int size);
    // "%.<decimals>f": fixed notation, correctly rounded; non-finite values give "nan", "inf" or "-inf".
    static int FormatFixed(double value, int decimals, char* out, int size);
    // The streams' float form: the nearest integer when the value lies within 0.000001 of it,
    // otherwise six decimals with trailing zeros removed; never exponent notation. Values of
    // 2^62 and more in magnitude are written as the digits of their "%.0f" form, and non-finite
    // values as "nan", "inf" or "-inf" (which ParseFloat refuses, so they never read back).
    static int FormatShort(float value, char* out, int size);

    // A formatted number kept by value, for callers that only pass the text on:
    // label->SetValue(Quor_Number::FixedText(angle, 2).CStr()).
    class Text {
    public:
        const char* CStr() const { return fText; }
        int Length() const { return fLength; }

    private:
        friend class Quor_Number;
        char fText[kMaxText] = {};
        int fLength = 0;
    };
    // The formatters above, into a Text (never too small for them).
    static Text IntText(int64_t value);
    static Text FixedText(double value, int decimals);

    // Parsers accept what "%d" / "%f" accept for finite values: leading white space, an optional
    // sign, then digits (and for floats a decimal point and an exponent). They parse the longest
    // such prefix of [begin, end) and return the position after it, or null when no number
    // starts there, when the value lies outside the type's range, or (floats) when it is not finite.
    // A float too small to represent reads as zero, as "%f" would.
    static const char* ParseInt(const char* begin, const char* end, int* out);
    static const char* ParseInt64(const char* begin, const char* end, int64_t* out);
    static const char* ParseUnsigned(const char* begin, const char* end, uint64_t* out);
    static const char* ParseFloat(const char* begin, const char* end, float* out);

    // The same on NUL-terminated texts (null text fails); true on success.
    static bool ParseInt(const char* text, int* out);
    static bool ParseInt64(const char* text, int64_t* out);
    static bool ParseUnsigned(const char* text, uint64_t* out);
    static bool ParseFloat(const char* text, float* out);
};
