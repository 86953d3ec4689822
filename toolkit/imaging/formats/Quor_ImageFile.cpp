#include "toolkit/imaging/formats/Quor_ImageFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "toolkit/core/Quor_Status.h"

namespace {

// Drops O_NONBLOCK once the descriptor is known to be safe, so later reads behave like those of
// any stdio file.
bool ClearNonBlocking(int fd)
{
    const int flags = fcntl(fd, F_GETFL);
    return flags != -1 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != -1;
}

FILE* CannotOpen(Quor_ReadLimits& limits, int error)
{
    limits.refusal = Quor_ReadLimits::Refusal::kCannotOpen;
    limits.systemError = error;
    return nullptr;
}

}  // namespace

FILE* Quor_ImageFile::OpenForReading(const char* path, Quor_ReadLimits& limits, int* code)
{
    *code = QUOR_ERR_READ;
    if (path == nullptr || path[0] == '\0')
        return CannotOpen(limits, ENOENT);
    struct stat info;
    if (stat(path, &info) != 0)
        return CannotOpen(limits, errno);
    if (!S_ISREG(info.st_mode))
        return CannotOpen(limits, 0);
    // The name may have been replaced by a FIFO since the stat, so the open must not block
    // either, and the opened object is checked again.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd == -1)
        return CannotOpen(limits, errno);
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || !ClearNonBlocking(fd)) {
        close(fd);
        return CannotOpen(limits, 0);
    }
    FILE* file = fdopen(fd, "rb");
    if (file == nullptr) {
        const int error = errno;
        close(fd);
        return CannotOpen(limits, error);
    }
    *code = QUOR_OK;
    return file;
}

int64_t Quor_ImageFile::Size(FILE* file)
{
    struct stat info;
    if (file == nullptr || fstat(fileno(file), &info) != 0)
        return -1;
    return static_cast<int64_t>(info.st_size);
}
