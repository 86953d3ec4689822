#include "toolkit/core/Quor_FileStream.h"

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>


Quor_FileStream::Quor_FileStream() : fFile(nullptr), fMark(0) {}

Quor_FileStream::~Quor_FileStream()
{
    Close();
}

int Quor_FileStream::Open(const char* path, bool forReading)
{
    Close();
    ResetForOpen(forReading);
    if (path == nullptr)
        return QUOR_ERR_ARGUMENT;
    if (forReading) {
        // A FIFO or device named like a document would block the open or the reads for good:
        // open without blocking and accept regular files only.
        const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return QUOR_ERR_READ;
        struct stat info;
        if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            close(fd);
            return QUOR_ERR_READ;
        }
        const int flags = fcntl(fd, F_GETFL);
        if (flags != -1)
            fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
        fFile = fdopen(fd, "rb");
        if (fFile == nullptr) {
            close(fd);
            return QUOR_ERR_READ;
        }
    } else {
        fFile = std::fopen(path, "w+e");
        if (fFile == nullptr)
            return QUOR_ERR_READ;
    }
    try {
        fPathname = path;
    } catch (const std::bad_alloc&) {
        Close();
        return QUOR_ERR_MEMORY;
    }
    fMark = 0;
    return QUOR_OK;
}

int Quor_FileStream::OpenReplace(const char* path)
{
    Close();
    ResetForOpen(false);
    if (path == nullptr)
        return QUOR_ERR_ARGUMENT;
    fFile = fReplacer.Begin(path);
    if (fFile == nullptr)
        return fReplacer.SystemError() == ENOMEM ? QUOR_ERR_MEMORY : QUOR_ERR_READ;
    try {
        fPathname = path;
    } catch (const std::bad_alloc&) {
        Close();
        return QUOR_ERR_MEMORY;
    }
    fMark = 0;
    return QUOR_OK;
}

bool Quor_FileStream::Commit()
{
    if (!fReplacer.Pending())
        return false;
    const bool ok = fReplacer.Commit(!WriteFailed());
    fFile = nullptr;
    if (!ok)
        SetErrorMessage("The file could not be written.");
    fPathname.clear();
    return ok;
}

void Quor_FileStream::Close()
{
    if (fReplacer.Pending()) {
        // A replace that was never committed leaves the target as it was.
        fReplacer.Abandon();
        fFile = nullptr;
    } else if (fFile != nullptr) {
        // Buffered bytes meet the disk only now; a refusal here is a failed write too.
        const bool flushed = fReadOnly || (std::fflush(fFile) == 0 && !std::ferror(fFile));
        if (std::fclose(fFile) != 0 || !flushed)
            if (!fReadOnly)
                NoteWriteFailed();
        fFile = nullptr;
    }
    fPathname.clear();
}

void Quor_FileStream::Mark()
{
    if (fFile != nullptr)
        fMark = ftello(fFile);
}

void Quor_FileStream::GoToMark()
{
    if (fFile != nullptr && fMark >= 0)
        fseeko(fFile, fMark, SEEK_SET);
}

void Quor_FileStream::Rewind()
{
    if (fFile != nullptr)
        fseeko(fFile, 0, SEEK_SET);
}

int64_t Quor_FileStream::FileSize()
{
    if (fFile == nullptr)
        return 0;
    const off_t here = ftello(fFile);
    if (here < 0 || fseeko(fFile, 0, SEEK_END) != 0)
        return 0;
    const off_t size = ftello(fFile);
    fseeko(fFile, here, SEEK_SET);
    return size < 0 ? 0 : static_cast<int64_t>(size);
}

int64_t Quor_FileStream::FilePos()
{
    if (fFile == nullptr)
        return 0;
    const off_t here = ftello(fFile);
    return here < 0 ? 0 : static_cast<int64_t>(here);
}

void Quor_FileStream::SetFilePos(int64_t position)
{
    if (fFile != nullptr)
        fseeko(fFile, static_cast<off_t>(position < 0 ? 0 : position), SEEK_SET);
}

bool Quor_FileStream::AtEOF()
{
    return fFile != nullptr && std::feof(fFile) != 0;
}

int Quor_FileStream::ReadBytes(void* buffer, int n)
{
    if (fFile == nullptr || buffer == nullptr || n <= 0)
        return 0;
    return static_cast<int>(std::fread(buffer, 1, static_cast<size_t>(n), fFile));
}

int Quor_FileStream::WriteBytes(const void* buffer, int n)
{
    if (n <= 0)
        return 0;
    if (fFile == nullptr || fReadOnly || buffer == nullptr) {
        NoteWriteFailed();
        return 0;
    }
    const size_t written = std::fwrite(buffer, 1, static_cast<size_t>(n), fFile);
    if (written < static_cast<size_t>(n))
        NoteWriteFailed();
    return static_cast<int>(written);
}

Quor_FileStream::Bytes Quor_FileStream::Tokens()
{
    return Bytes(ByteSource{fFile}, fToken);
}

int Quor_FileStream::ByteSource::Get()
{
    if (file == nullptr)
        return -1;
    const int c = std::getc(file);
    return c == EOF ? -1 : c;
}

void Quor_FileStream::ByteSource::Unget(int byte)
{
    std::ungetc(byte, file);
}

bool Quor_FileStream::ReadChar(char* c)
{
    if (fFile == nullptr || c == nullptr)
        return false;
    const int read = std::getc(fFile);
    if (read == EOF)
        return false;
    *c = static_cast<char>(read);
    return true;
}

bool Quor_FileStream::SkipLine() { return Tokens().SkipLine(); }
bool Quor_FileStream::ReadToNextChar(char c) { return Tokens().ReadToNextChar(c); }
bool Quor_FileStream::ReadInt(int* value) { return Tokens().ReadInt(value); }
bool Quor_FileStream::ReadFloat(float* value) { return Tokens().ReadFloat(value); }
bool Quor_FileStream::ReadBool(bool* value) { return Tokens().ReadBool(value); }
bool Quor_FileStream::ReadString(int maxLen, char* dst) { return Tokens().ReadString(maxLen, dst); }
bool Quor_FileStream::ReadQuoteString(int maxLen, char* dst) { return Tokens().ReadQuoteString(maxLen, dst); }
bool Quor_FileStream::ReadLine(int maxLen, char* dst) { return Tokens().ReadLine(maxLen, dst); }
