#include "toolkit/imaging/formats/Quor_FileSink.h"

#include <cerrno>
#include <sys/types.h>

bool Quor_FileSink::Note(bool ok)
{
    if (!ok && fError == 0)
        fError = errno != 0 ? errno : EIO;
    return ok;
}

bool Quor_FileSink::DoWrite(const void* bytes, size_t count)
{
    return fFile != nullptr && Note(fwrite(bytes, 1, count, fFile) == count);
}

int64_t Quor_FileSink::DoTell() const
{
    if (fFile == nullptr)
        return -1;
    return static_cast<int64_t>(ftello(fFile));
}

bool Quor_FileSink::DoSeek(int64_t position)
{
    return fFile != nullptr && Note(fseeko(fFile, static_cast<off_t>(position), SEEK_SET) == 0);
}
