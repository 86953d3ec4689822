// A byte sink that collects everything in memory, so writers can be tested and used without files.
#pragma once

#include <vector>

#include "toolkit/imaging/formats/Quor_ByteSink.h"

class Quor_MemorySink : public Quor_ByteSink {
public:
    const std::vector<uint8_t>& Bytes() const { return fBytes; }

protected:
    bool DoWrite(const void* bytes, size_t count) override;
    int64_t DoTell() const override { return static_cast<int64_t>(fPosition); }
    bool DoSeek(int64_t position) override;

private:
    std::vector<uint8_t> fBytes;
    size_t fPosition = 0;
};
