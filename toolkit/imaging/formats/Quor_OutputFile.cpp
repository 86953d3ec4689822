#include "toolkit/imaging/formats/Quor_OutputFile.h"

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
        close(fd);
        return nullptr;
    }
    FILE* file = fdopen(fd, "wb");
    if (file == nullptr)
        close(fd);
    return file;
}

}  // namespace

Quor_OutputFile::~Quor_OutputFile()
{
    if (fDevice != nullptr || fReplace.IsOpen())
        Finish(false);
}

int Quor_OutputFile::Open(const char* path)
{
    if (fDevice != nullptr || fReplace.IsOpen())
        Finish(false);
    if (path == nullptr || path[0] == '\0')
        return QUOR_ERR_CREATE;
    struct stat info;
    if (stat(path, &info) == 0 && !S_ISREG(info.st_mode)) {
        if (!S_ISCHR(info.st_mode))
            return QUOR_ERR_CREATE;
        fDevice = OpenDevice(path);
        return fDevice != nullptr ? QUOR_OK : QUOR_ERR_CREATE;
    }
    return fReplace.OpenReplace(path) == QUOR_OK ? QUOR_OK : QUOR_ERR_CREATE;
}

int Quor_OutputFile::Finish(bool succeeded)
{
    if (fDevice != nullptr) {
        bool ok = succeeded;
        ok = fflush(fDevice) == 0 && ok;
        ok = ferror(fDevice) == 0 && ok;
        ok = fclose(fDevice) == 0 && ok;
        fDevice = nullptr;
        return ok ? QUOR_OK : QUOR_ERR_WRITE;
    }
    if (!fReplace.IsOpen())
        return QUOR_ERR_WRITE;
    if (succeeded && fReplace.Commit())
        return QUOR_OK;
    // Without a commit the temporary file is removed and the target left alone.
    fReplace.Close();
    return QUOR_ERR_WRITE;
}
