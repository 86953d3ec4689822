// Lists the entries of a folder one at a time (files and folders, in the file system's order,
// without "." and ".."), for the file dialogs.
#pragma once

#include "toolkit/core/Quor_String.h"

class Quor_FileLister {
public:
    explicit Quor_FileLister(const char* dir);
    ~Quor_FileLister();
    Quor_FileLister(const Quor_FileLister&) = delete;
    Quor_FileLister& operator=(const Quor_FileLister&) = delete;

    // False when the folder could not be opened (missing, not a folder, not readable); the
    // listing is then empty.
    bool InitCheck() const { return fDir != nullptr; }
    // The next entry's name, valid until the next call; null at the end.
    const char* GetNextFile();

private:
    void* fDir;   // DIR*
    Quor_String fName;
};
