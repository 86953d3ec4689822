// Replaces a file without ever harming it: the new content goes to a temporary file beside the
// target, which takes the target's place only once it is complete and on the disk.
#pragma once

#include <cstdio>
#include <string>

class Quor_FileReplacer {
public:
    Quor_FileReplacer() = default;
    // Abandons a replacement still pending.
    ~Quor_FileReplacer();

    Quor_FileReplacer(const Quor_FileReplacer&) = delete;
    Quor_FileReplacer& operator=(const Quor_FileReplacer&) = delete;

    // Starts replacing `path`: makes a temporary file "<name>.tmp-XXXXXX" in the folder of the
    // file that path finally names (symbolic links are followed, so a link stays a link) and
    // returns it open for writing and reading. The target is untouched until Commit. Null, with
    // SystemError() set, for an empty path, a target that is not a regular file, a regular file
    // that could not be written in place (a write-protected file stays protected), or a folder
    // where the temporary file cannot be made.
    FILE* Begin(const char* path);
    // Completes the replacement when `writesOk` (every write to the file succeeded): flushes,
    // syncs and closes the file and renames it over the target, which keeps its permissions (a
    // new file gets 0644 less the umask). True when the target now holds the new content;
    // otherwise the temporary file is removed and the target is as it was. After a success, the
    // temporary files of the same target that a killed writer left (unchanged for a minute and
    // not held by a writer at work) are removed too. Nothing is pending afterwards.
    bool Commit(bool writesOk = true);
    // Closes and removes the temporary file; the target stays as it was.
    void Abandon();

    // The temporary file while a replacement is pending, else null.
    FILE* File() const { return fFile; }
    bool Pending() const { return fFile != nullptr; }
    // Begin found a file at the target.
    bool TargetExisted() const { return fExisted; }
    // The system's error number of the failure of Begin or Commit, else 0.
    int SystemError() const { return fError; }

private:
    bool Fail(int error);

    FILE* fFile = nullptr;
    std::string fTempPath;
    std::string fTargetPath;
    std::string fTargetFolder;  // where the target's directory entry is made durable
    bool fExisted = false;
    int fError = 0;
};
