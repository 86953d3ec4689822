// How text is cut into tokens: white space, numbers in the forms "%d" and "%f" take for finite
// values, booleans, words of any length, quoted strings and lines. File and memory streams both
// read through it, so the same text reads the same way whatever holds it. Internal to the core.
#pragma once

#include <cstring>

#include "toolkit/core/Quor_IoStream.h"
#include "toolkit/core/Quor_Number.h"

// Source supplies the bytes: int Get() returns the next byte (0..255) or -1 at the end, and
// void Unget(int byte) puts back the byte Get just returned (never -1).
template <class Source>
class Quor_TokenReader {
public:
    static constexpr int kTokenSize = Quor_IoStream::kTokenSize;

    // scratch receives the text of numbers while they are parsed.
    Quor_TokenReader(Source source, char* scratch) : fSource(source), fScratch(scratch) {}

    // Consumes bytes up to and including a carriage return or a line feed; false at the end.
    bool SkipLine()
    {
        for (int c = fSource.Get(); c >= 0; c = fSource.Get())
            if (c == '\r' || c == '\n')
                return true;
        return false;
    }

    // Consumes bytes up to and including `wanted`; false at the end.
    bool ReadToNextChar(char wanted)
    {
        for (int c = fSource.Get(); c >= 0; c = fSource.Get())
            if (static_cast<char>(c) == wanted)
                return true;
        return false;
    }

    // An optional sign, then decimal digits.
    bool ReadInt(int* value)
    {
        if (value == nullptr)
            return false;
        const int n = CollectNumber([](int c, const char*, int sofar) {
            return IsDigit(c) || (sofar == 0 && (c == '-' || c == '+'));
        });
        int parsed = 0;
        if (n <= 0 || Quor_Number::ParseInt(fScratch, fScratch + n, &parsed) == nullptr)
            return false;
        *value = parsed;
        return true;
    }

    // Sign, digits, point, digits, then an exponent with its own sign. Letters ("nan", "inf")
    // are not taken, so those texts fail to read, as do values beyond the float range.
    bool ReadFloat(float* value)
    {
        if (value == nullptr)
            return false;
        bool point = false;
        bool exponent = false;
        bool exponentSign = false;
        const int n = CollectNumber([&](int c, const char* sofarText, int sofar) {
            if (IsDigit(c))
                return true;
            if (sofar == 0 && (c == '-' || c == '+'))
                return true;
            if (c == '.' && !point && !exponent)
                return point = true;
            if ((c == 'e' || c == 'E') && !exponent && sofar > 0)
                return exponent = true;
            if ((c == '-' || c == '+') && exponent && !exponentSign &&
                (sofarText[sofar - 1] == 'e' || sofarText[sofar - 1] == 'E'))
                return exponentSign = true;
            return false;
        });
        float parsed = 0.0f;
        if (n <= 0 || Quor_Number::ParseFloat(fScratch, fScratch + n, &parsed) == nullptr)
            return false;
        *value = parsed;
        return true;
    }

    // The words "true" and "1", "false" and "0"; any other word fails.
    bool ReadBool(bool* value)
    {
        char word[kTokenSize];
        if (value == nullptr || !ReadString(kTokenSize, word))
            return false;
        if (std::strcmp(word, "true") == 0 || std::strcmp(word, "1") == 0) {
            *value = true;
            return true;
        }
        if (std::strcmp(word, "false") == 0 || std::strcmp(word, "0") == 0) {
            *value = false;
            return true;
        }
        return false;
    }

    // Skips white space and consumes the following word whole, however long; dst keeps its first
    // maxLen - 1 bytes. False only when the text ends before a word starts.
    bool ReadString(int maxLen, char* dst)
    {
        if (dst == nullptr || maxLen < 1)
            return false;
        dst[0] = '\0';
        int c = SkipWhite();
        if (c < 0)
            return false;
        int kept = 0;
        for (; c >= 0 && !IsWhite(c); c = fSource.Get()) {
            if (kept < maxLen - 1)
                dst[kept++] = static_cast<char>(c);
        }
        Unget(c);
        dst[kept] = '\0';
        return true;
    }

    // After white space, a double quote, then the bytes up to the next double quote (which is
    // consumed). Fails at the end of the text, and when maxLen - 1 bytes fill dst before the
    // closing quote; dst then holds the text so far.
    bool ReadQuoteString(int maxLen, char* dst)
    {
        if (dst == nullptr || maxLen < 1)
            return false;
        dst[0] = '\0';
        const int first = SkipWhite();
        if (first != '"') {
            Unget(first);
            return false;
        }
        int n = 0;
        for (;;) {
            const int c = fSource.Get();
            if (c < 0 || (c != '"' && n >= maxLen - 1)) {
                dst[n] = '\0';
                return false;
            }
            if (c == '"') {
                dst[n] = '\0';
                return true;
            }
            dst[n++] = static_cast<char>(c);
        }
    }

    // The bytes up to a carriage return or a line feed, which is consumed (only one byte of a
    // CR LF pair). Fails when the text ends first and for a line of kMaxLine bytes or more; dst
    // keeps the first maxLen - 1 bytes.
    bool ReadLine(int maxLen, char* dst)
    {
        if (dst == nullptr || maxLen < 1)
            return false;
        int n = 0;
        int kept = 0;
        for (;;) {
            const int c = fSource.Get();
            if (c < 0) {
                dst[kept] = '\0';
                return false;
            }
            if (c == '\r' || c == '\n') {
                dst[kept] = '\0';
                return n < kMaxLine;
            }
            if (kept < maxLen - 1)
                dst[kept++] = static_cast<char>(c);
            ++n;
        }
    }

private:
    static constexpr int kMaxLine = 255;

    static bool IsDigit(int c) { return c >= '0' && c <= '9'; }
    static bool IsWhite(int c)
    {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    }

    void Unget(int c)
    {
        if (c >= 0)
            fSource.Unget(c);
    }

    // The first byte after white space, or -1 at the end.
    int SkipWhite()
    {
        int c;
        do {
            c = fSource.Get();
        } while (c >= 0 && IsWhite(c));
        return c;
    }

    // After white space, the run of bytes for which accept(byte, textSoFar, lengthSoFar) holds,
    // into the scratch buffer; returns its length. A run too long for the buffer is consumed
    // and gives -1: no finite number needs that many characters.
    template <class Accept>
    int CollectNumber(Accept accept)
    {
        int c = SkipWhite();
        int n = 0;
        bool tooLong = false;
        for (; c >= 0 && accept(c, fScratch, n); c = fSource.Get()) {
            if (n >= kTokenSize - 1) {
                tooLong = true;
                continue;
            }
            fScratch[n++] = static_cast<char>(c);
        }
        Unget(c);
        fScratch[n] = '\0';
        return tooLong ? -1 : n;
    }

    Source fSource;
    char* fScratch;
};
