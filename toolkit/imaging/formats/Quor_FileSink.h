// A byte sink over a C file, with every fwrite and fseeko checked. It does not own the file.
#pragma once

#include <cstdio>

#include "toolkit/imaging/formats/Quor_ByteSink.h"

class Quor_FileSink : public Quor_ByteSink {
public:
    explicit Quor_FileSink(FILE* file) : fFile(file) {}

protected:
    bool DoWrite(const void* bytes, size_t count) override;
    int64_t DoTell() const override;
    bool DoSeek(int64_t position) override;

private:
    FILE* fFile;
};
