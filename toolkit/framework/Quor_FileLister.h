// The file dialogs' view of the file system: the entries of a folder one at a time (in the file
// system's order, without "." and ".."), each with what it is, and what a path is, the current
// folder, the home folder, the order names are shown in, and making a folder.
#pragma once

#include <cstdint>

#include "toolkit/core/Quor_String.h"

class Quor_FileLister {
public:
    // What a path names. A symbolic link counts as what it points to (missing when that is gone);
    // kOther is anything that is neither a file nor a folder (FIFOs, sockets, devices).
    enum class Kind { kMissing, kFolder, kFile, kOther };

    explicit Quor_FileLister(const char* dir);
    ~Quor_FileLister();
    Quor_FileLister(const Quor_FileLister&) = delete;
    Quor_FileLister& operator=(const Quor_FileLister&) = delete;

    // False when the folder could not be opened (missing, not a folder, not readable); the
    // listing is then empty.
    bool InitCheck() const { return fDir != nullptr; }
    // The next entry's name, valid until the next call; null at the end. With `kind`, what the
    // entry is: from the folder entry itself when it says, so that a large folder lists without
    // asking the file system about every entry.
    const char* GetNextFile(Kind* kind = nullptr);
    // The size in bytes and the time of the last change (seconds since 1970) of the entry
    // GetNextFile returned last, through a link; false when it cannot be asked (both then 0).
    bool Details(uint64_t* size, int64_t* modified) const;

    static Kind KindOf(const char* path);
    // The working folder, or "" when it is unknown.
    static Quor_String CurrentFolder();
    // The home folder from the environment, or "" when it is not set.
    static Quor_String HomeFolder();
    // The longest name in bytes that the folder's file system takes (255 when it does not say).
    static int LongestName(const char* folder);
    // The order names are shown in: ASCII letters without regard to case and runs of digits by
    // their value, so "photo2" comes before "Photo10"; names that still tie go by their bytes,
    // so only equal names compare equal. Negative, zero or positive as for strcmp.
    static int CompareNames(const char* a, const char* b);
    // Makes one folder (mode 0777 less the umask): 0, or the errno value (EEXIST, EACCES...).
    static int MakeFolder(const char* path);

private:
    void* fDir;   // DIR*
    Quor_String fName;
};
