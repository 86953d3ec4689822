// A token stream over a file on disk. Besides plain reading and writing it can replace a file
// safely: the new content goes to a temporary file beside the target, which takes the target's
// place only when every byte has reached the disk, so a failed save never harms the old file.
#pragma once

#include <cstdio>
#include <string>
#include <sys/types.h>

#include "toolkit/core/Quor_FileReplacer.h"
#include "toolkit/core/Quor_IoStream.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/core/Quor_TokenReader.h"

class Quor_FileStream : public Quor_IoStream {
public:
    Quor_FileStream();
    ~Quor_FileStream() override;

    // Opens path for reading (regular files only) or for writing (created, or truncated when
    // it exists). QUOR_OK; QUOR_ERR_ARGUMENT for a null path; QUOR_ERR_READ when the file cannot
    // be opened.
    int Open(const char* path, bool forReading);
    // Opens a new temporary file beside path for writing (Quor_FileReplacer::Begin); path itself
    // is untouched until Commit(). QUOR_OK; QUOR_ERR_ARGUMENT for a null path; QUOR_ERR_READ when
    // the temporary file cannot be created or path names something other than a regular file.
    int OpenReplace(const char* path);
    // Completes OpenReplace: when every write succeeded, the temporary file takes the target's
    // place (Quor_FileReplacer::Commit). Returns true when the target now holds the new content; on any failure the
    // temporary file is removed and the old target stays as it was. The stream is closed after.
    // Close() or destruction without Commit() abandons the new content the same way.
    bool Commit();

    // The path given to Open or OpenReplace; "" while closed.
    const char* Pathname() const { return fPathname.c_str(); }
    FILE* RawFile() const { return fFile; }

    bool IsDiskFile() const override { return true; }
    bool IsOpen() const override { return fFile != nullptr; }
    void Close() override;
    void Mark() override;
    void GoToMark() override;
    void Rewind() override;
    int64_t FileSize() override;
    int64_t FilePos() override;
    void SetFilePos(int64_t position) override;
    bool AtEOF() override;
    int ReadBytes(void* buffer, int n) override;
    bool SkipLine() override;
    bool ReadToNextChar(char c) override;
    bool ReadChar(char* c) override;
    bool ReadInt(int* value) override;
    bool ReadFloat(float* value) override;
    bool ReadBool(bool* value) override;
    bool ReadString(int maxLen, char* dst) override;
    bool ReadQuoteString(int maxLen, char* dst) override;
    bool ReadLine(int maxLen, char* dst) override;
    int WriteBytes(const void* buffer, int n) override;

    using Quor_IoStream::ReadQuoteString;

protected:
    const char* StreamPath() const override { return fPathname.c_str(); }

private:
    // The bytes of the open file, for the token reader.
    struct ByteSource {
        FILE* file;
        int Get();
        void Unget(int byte);
    };
    using Bytes = Quor_TokenReader<ByteSource>;
    Bytes Tokens();

    std::string fPathname;
    FILE* fFile;
    off_t fMark;
    // The temporary file and its target while a replace is pending.
    Quor_FileReplacer fReplacer;
};
