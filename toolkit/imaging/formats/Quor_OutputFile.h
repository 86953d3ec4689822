// The file an image writer fills. A regular file (or a new one) is written under a temporary
// name beside it and takes its place only when every byte has been written, flushed and synced,
// so a failed save leaves the file it was to replace as it was and no partial file behind. A
// character device (such as /dev/null) is written in place; a FIFO, socket or folder is refused
// rather than waited on.
#pragma once

#include <cstdio>

#include "toolkit/core/Quor_FileReplacer.h"

class Quor_OutputFile {
public:
    Quor_OutputFile() = default;
    // Abandons a file that was not finished: the temporary file goes, the target stays.
    ~Quor_OutputFile();

    Quor_OutputFile(const Quor_OutputFile&) = delete;
    Quor_OutputFile& operator=(const Quor_OutputFile&) = delete;

    // Starts writing for path: QUOR_OK, or QUOR_ERR_CREATE when nothing can be created there (a
    // missing folder, a write-protected target, a target that is neither a regular file nor a
    // character device), with the reason in SystemError().
    int Open(const char* path);
    // The file to write into, binary, positioned at its start; null while closed.
    FILE* File() const { return fDevice != nullptr ? fDevice : fReplace.File(); }
    // A regular file was at the path when it was opened: it stays as it was unless Finish puts
    // the new file in its place.
    bool ReplacesAFile() const { return fDevice == nullptr && fReplace.TargetExisted(); }
    // The system's error number of the failure of Open or Finish, else 0.
    int SystemError() const { return fError; }
    // Ends writing. When `succeeded`, puts the new file in place: QUOR_OK, or QUOR_ERR_WRITE when
    // an earlier write, the flush, the sync, the close or the rename failed. Otherwise abandons it
    // and returns QUOR_ERR_WRITE. Closed afterwards in every case.
    int Finish(bool succeeded);

private:
    Quor_FileReplacer fReplace;
    FILE* fDevice = nullptr;
    int fError = 0;
};
