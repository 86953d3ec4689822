// Opening and closing the files that image readers and writers use: only regular files are read,
// nothing blocks on a FIFO or device, and a written file is reported saved only after every byte
// reached the system.
#pragma once

#include <cstdint>
#include <cstdio>

class Quor_ImageFile {
public:
    // Opens a regular file for binary reading. A missing file, a folder, a FIFO or a device gives
    // null at once (without blocking), with *code set to -6.
    static FILE* OpenForReading(const char* path, int* code);

    // Creates or truncates path for binary writing. Regular files and character devices (such as
    // /dev/null) are accepted; a FIFO or socket is refused rather than waited on. Null on failure.
    static FILE* OpenForWriting(const char* path);

    // Ends writing `file`, which was opened on `path`. When `succeeded`, flushes and closes it and
    // returns 0, or -7 when an earlier write, the flush or the close failed. When anything failed
    // the file is closed and, if it is a regular file, removed, so no truncated image is left
    // under the name the user chose. The file is closed in every case.
    static int FinishWriting(FILE* file, const char* path, bool succeeded);

    // The size of an open file in bytes, or -1.
    static int64_t Size(FILE* file);
};
