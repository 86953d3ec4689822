// A byte sink over a C file, with every fwrite and fseeko checked. It does not own the file.
#pragma once

#include <cstdio>

#include "toolkit/imaging/formats/Quor_ByteSink.h"

class Quor_FileSink : public Quor_ByteSink {
public:
    explicit Quor_FileSink(FILE* file) : fFile(file) {}

    // The errno of the first write or seek that failed, or 0.
    int SystemError() const { return fError; }

protected:
    bool DoWrite(const void* bytes, size_t count) override;
    int64_t DoTell() const override;
    bool DoSeek(int64_t position) override;

private:
    bool Note(bool ok);

    FILE* fFile;
    int fError = 0;
};
