#include "toolkit/imaging/formats/Quor_ByteSink.h"

bool Quor_ByteSink::Write(const void* bytes, size_t count)
{
    if (fFailed)
        return false;
    if (count != 0 && !DoWrite(bytes, count))
        fFailed = true;
    return !fFailed;
}

bool Quor_ByteSink::Seek(int64_t position)
{
    if (fFailed)
        return false;
    if (position < 0 || !DoSeek(position))
        fFailed = true;
    return !fFailed;
}

bool Quor_ByteSink::Put16BE(uint16_t v)
{
    const uint8_t bytes[2] = {uint8_t(v >> 8), uint8_t(v)};
    return Write(bytes, 2);
}

bool Quor_ByteSink::Put32BE(uint32_t v)
{
    const uint8_t bytes[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
    return Write(bytes, 4);
}

bool Quor_ByteSink::Put16LE(uint16_t v)
{
    const uint8_t bytes[2] = {uint8_t(v), uint8_t(v >> 8)};
    return Write(bytes, 2);
}

bool Quor_ByteSink::Put32LE(uint32_t v)
{
    const uint8_t bytes[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    return Write(bytes, 4);
}
