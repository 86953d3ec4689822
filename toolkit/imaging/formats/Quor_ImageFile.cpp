#include "toolkit/imaging/formats/Quor_ImageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Drops O_NONBLOCK once the descriptor is known to be safe, so later reads and writes behave
// like those of any stdio file.
bool ClearNonBlocking(int fd)
{
    const int flags = fcntl(fd, F_GETFL);
    return flags != -1 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != -1;
}

}  // namespace

FILE* Quor_ImageFile::OpenForReading(const char* path, int* code)
{
    *code = -6;
    if (path == nullptr || path[0] == '\0')
        return nullptr;
    struct stat info;
    if (stat(path, &info) != 0 || !S_ISREG(info.st_mode))
        return nullptr;
    // The name may have been replaced by a FIFO since the stat, so the open must not block
    // either, and the opened object is checked again.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd == -1)
        return nullptr;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || !ClearNonBlocking(fd)) {
        close(fd);
        return nullptr;
    }
    FILE* file = fdopen(fd, "rb");
    if (file == nullptr) {
        close(fd);
        return nullptr;
    }
    *code = 0;
    return file;
}

FILE* Quor_ImageFile::OpenForWriting(const char* path)
{
    if (path == nullptr || path[0] == '\0')
        return nullptr;
    const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd == -1)
        return nullptr;
    struct stat info;
    if (fstat(fd, &info) != 0 || !(S_ISREG(info.st_mode) || S_ISCHR(info.st_mode))
        || !ClearNonBlocking(fd)) {
        close(fd);
        return nullptr;
    }
    FILE* file = fdopen(fd, "wb");
    if (file == nullptr) {
        close(fd);
        return nullptr;
    }
    return file;
}

int Quor_ImageFile::FinishWriting(FILE* file, const char* path, bool succeeded)
{
    if (file == nullptr)
        return -7;
    struct stat info;
    const bool regular = fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode);
    bool ok = succeeded;
    ok = fflush(file) == 0 && ok;
    ok = ferror(file) == 0 && ok;
    ok = fclose(file) == 0 && ok;
    if (ok)
        return 0;
    struct stat named;
    // Remove only what the name still refers to: the same regular file that was written.
    if (regular && path != nullptr && lstat(path, &named) == 0 && S_ISREG(named.st_mode)
        && named.st_dev == info.st_dev && named.st_ino == info.st_ino)
        unlink(path);
    return -7;
}

int64_t Quor_ImageFile::Size(FILE* file)
{
    struct stat info;
    if (file == nullptr || fstat(fileno(file), &info) != 0)
        return -1;
    return static_cast<int64_t>(info.st_size);
}
