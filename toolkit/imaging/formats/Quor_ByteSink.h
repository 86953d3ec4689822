// Where the BMP, Targa and PSD writers put their bytes: a file or memory behind one interface,
// with big- and little-endian helpers. A failed write or seek sticks, so a writer may check
// Failed() after a run of writes instead of after each one.
#pragma once

#include <cstddef>
#include <cstdint>

class Quor_ByteSink {
public:
    virtual ~Quor_ByteSink() = default;

    // Appends at the current position (or overwrites after a Seek back).
    bool Write(const void* bytes, size_t count);
    // The current position and a move to an absolute position at or before the end; offsets are
    // 64-bit, so files beyond 4 GiB are addressed correctly.
    int64_t Tell() const { return fFailed ? -1 : DoTell(); }
    bool Seek(int64_t position);
    bool Failed() const { return fFailed; }

    bool Put8(uint8_t v) { return Write(&v, 1); }
    bool Put16BE(uint16_t v);
    bool Put32BE(uint32_t v);
    bool Put16LE(uint16_t v);
    bool Put32LE(uint32_t v);

protected:
    virtual bool DoWrite(const void* bytes, size_t count) = 0;
    virtual int64_t DoTell() const = 0;
    virtual bool DoSeek(int64_t position) = 0;

private:
    bool fFailed = false;
};
