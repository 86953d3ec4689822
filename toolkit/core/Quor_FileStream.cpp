#include "toolkit/core/Quor_FileStream.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>


namespace {

constexpr int kMaxSymlinkDepth = 40;

// The process umask without changing it: read from /proc, or (where that is missing) by the
// set-and-restore call, which is only a brief race with other threads creating files.
mode_t CurrentUmask()
{
    if (FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        while (std::fgets(line, sizeof line, status) != nullptr) {
            if (std::strncmp(line, "Umask:", 6) == 0) {
                std::fclose(status);
                return static_cast<mode_t>(std::strtoul(line + 6, nullptr, 8)) & 0777;
            }
        }
        std::fclose(status);
    }
    const mode_t mask = umask(022);
    umask(mask);
    return mask;
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return std::string();
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// Follows symbolic links from path to the file they finally name (which may not exist yet).
// Returns false for a loop of links or an unreadable link.
bool ResolveLinks(const std::string& path, std::string* target)
{
    std::string current = path;
    for (int depth = 0; depth < kMaxSymlinkDepth; ++depth) {
        struct stat info;
        if (lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            *target = current;
            return true;
        }
        std::vector<char> link(static_cast<size_t>(info.st_size > 0 ? info.st_size : 255) + 1);
        ssize_t n;
        while ((n = readlink(current.c_str(), link.data(), link.size())) == static_cast<ssize_t>(link.size()))
            link.resize(link.size() * 2);
        if (n <= 0)
            return false;
        std::string next(link.data(), static_cast<size_t>(n));
        if (next[0] != '/') {
            const std::string folder = FolderOf(current);
            if (!folder.empty())
                next = (folder == "/" ? folder : folder + "/") + next;
        }
        current = next;
    }
    return false;
}

}  // namespace

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
    try {
        std::string target;
        if (path[0] == '\0' || !ResolveLinks(path, &target))
            return QUOR_ERR_READ;
        struct stat info;
        const bool exists = stat(target.c_str(), &info) == 0;
        // Only regular files are replaced, and only when they could be written in place: a
        // write-protected document stays protected.
        if (exists && (!S_ISREG(info.st_mode) || access(target.c_str(), W_OK) != 0))
            return QUOR_ERR_READ;
        const mode_t mode = exists ? (info.st_mode & 07777) : (0644 & ~CurrentUmask());

        std::string temp = target + ".tmp-XXXXXX";
        const int fd = mkstemp(temp.data());
        if (fd < 0)
            return QUOR_ERR_READ;
        fcntl(fd, F_SETFD, FD_CLOEXEC);
        // The permissions are set now, so they hold from the moment the rename makes the file visible.
        fchmod(fd, mode);
        fFile = fdopen(fd, "w+");
        if (fFile == nullptr) {
            close(fd);
            unlink(temp.c_str());
            return QUOR_ERR_READ;
        }
        fPathname = path;
        fTempPath = temp;
        fTargetPath = target;
    } catch (const std::bad_alloc&) {
        Close();
        return QUOR_ERR_MEMORY;
    }
    fMark = 0;
    return QUOR_OK;
}

bool Quor_FileStream::Commit()
{
    if (fFile == nullptr || fTempPath.empty())
        return false;
    bool ok = !WriteFailed();
    ok = std::fflush(fFile) == 0 && ok;
    ok = !std::ferror(fFile) && ok;
    ok = fsync(fileno(fFile)) == 0 && ok;
    ok = std::fclose(fFile) == 0 && ok;
    fFile = nullptr;
    if (ok)
        ok = std::rename(fTempPath.c_str(), fTargetPath.c_str()) == 0;
    if (ok) {
        // Make the new directory entry durable too; a failure here loses nothing already on disk.
        std::string folder = FolderOf(fTargetPath);
        if (folder.empty())
            folder = ".";
        const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            fsync(dir);
            close(dir);
        }
    } else {
        unlink(fTempPath.c_str());
        SetErrorMessage("The file could not be written.");
    }
    fTempPath.clear();
    fTargetPath.clear();
    fPathname.clear();
    return ok;
}

void Quor_FileStream::Close()
{
    if (fFile != nullptr) {
        // Buffered bytes meet the disk only now; a refusal here is a failed write too.
        const bool flushed = fReadOnly || (std::fflush(fFile) == 0 && !std::ferror(fFile));
        if (std::fclose(fFile) != 0 || !flushed)
            if (!fReadOnly)
                NoteWriteFailed();
        fFile = nullptr;
    }
    if (!fTempPath.empty()) {
        // A replace that was never committed leaves the target as it was.
        unlink(fTempPath.c_str());
        fTempPath.clear();
        fTargetPath.clear();
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
