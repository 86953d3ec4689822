#include "toolkit/imaging/formats/Quor_OutputFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "toolkit/core/Quor_Status.h"

namespace {

// Opens a character device for writing without waiting on it; null for anything else.
FILE* OpenDevice(const char* path)
{
    const int fd = open(path, O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd == -1)
        return nullptr;
    struct stat info;
    const int flags = fcntl(fd, F_GETFL);
    if (fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode) || flags == -1
        || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1) {
        const int error = errno != 0 ? errno : EINVAL;
        close(fd);
        errno = error;
        return nullptr;
    }
    FILE* file = fdopen(fd, "wb");
    if (file == nullptr) {
        const int error = errno;
        close(fd);
        errno = error;
    }
    return file;
}

}  // namespace

Quor_OutputFile::~Quor_OutputFile()
{
    if (File() != nullptr)
        Finish(false);
}

int Quor_OutputFile::Open(const char* path)
{
    if (File() != nullptr)
        Finish(false);
    fError = 0;
    if (path == nullptr || path[0] == '\0') {
        fError = EINVAL;
        return QUOR_ERR_CREATE;
    }
    struct stat info;
    if (stat(path, &info) == 0 && !S_ISREG(info.st_mode)) {
        if (!S_ISCHR(info.st_mode)) {
            fError = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
            return QUOR_ERR_CREATE;
        }
        errno = 0;
        fDevice = OpenDevice(path);
        if (fDevice == nullptr)
            fError = errno != 0 ? errno : EIO;
        return fDevice != nullptr ? QUOR_OK : QUOR_ERR_CREATE;
    }
    if (fReplace.Begin(path) != nullptr)
        return QUOR_OK;
    fError = fReplace.SystemError();
    return QUOR_ERR_CREATE;
}

int Quor_OutputFile::Finish(bool succeeded)
{
    if (fDevice != nullptr) {
        // Each errno is read right after the call that set it; the first failure is the one told.
        bool ok = succeeded;
        errno = 0;
        if (fflush(fDevice) != 0 || ferror(fDevice) != 0) {
            fError = fError != 0 ? fError : (errno != 0 ? errno : EIO);
            ok = false;
        }
        errno = 0;
        if (fclose(fDevice) != 0) {
            fError = fError != 0 ? fError : (errno != 0 ? errno : EIO);
            ok = false;
        }
        fDevice = nullptr;
        return ok ? QUOR_OK : QUOR_ERR_WRITE;
    }
    if (!fReplace.Pending())
        return QUOR_ERR_WRITE;
    // Without a commit the temporary file is removed and the target left alone.
    if (!succeeded) {
        fReplace.Abandon();
        return QUOR_ERR_WRITE;
    }
    if (fReplace.Commit())
        return QUOR_OK;
    fError = fReplace.SystemError();
    return QUOR_ERR_WRITE;
}
