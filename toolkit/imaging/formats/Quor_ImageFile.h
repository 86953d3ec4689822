// Opening the files that image readers decode: only regular files are read, and nothing blocks
// on a FIFO or device named like an image.
#pragma once

#include <cstdint>
#include <cstdio>

#include "toolkit/imaging/formats/Quor_ReadLimits.h"

class Quor_ImageFile {
public:
    // Opens a regular file for binary reading. A missing file, a folder, a FIFO or a device gives
    // null at once (without blocking), with *code set to QUOR_ERR_READ and the refusal noted in
    // `limits` (with errno, or 0 for a file of another kind).
    static FILE* OpenForReading(const char* path, Quor_ReadLimits& limits, int* code);

    // The size of an open file in bytes, or -1.
    static int64_t Size(FILE* file);
};
