#include "toolkit/core/Quor_FileReplacer.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <new>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kMaxSymlinkDepth = 40;
constexpr char kTempSuffix[] = ".tmp-XXXXXX";
constexpr size_t kTempUniqueLength = 6;
// A temporary file of the same target left this long ago by a writer that no longer holds it
// was abandoned by a killed or crashed program.
constexpr time_t kStaleSeconds = 60;

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

// "<target>.tmp-XXXXXX", the name part cut short where the whole would pass the longest name a
// folder entry may have: a target whose own name is that long can still be replaced.
std::string TemplateFor(const std::string& target)
{
    const size_t slash = target.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t room = NAME_MAX - (sizeof kTempSuffix - 1);
    const size_t nameLength = target.size() - nameStart;
    return target.substr(0, nameStart + (nameLength < room ? nameLength : room)) + kTempSuffix;
}

bool IsTempUnique(const char* text)
{
    for (size_t i = 0; i < kTempUniqueLength; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
            return false;
    }
    return text[kTempUniqueLength] == '\0';
}

// Removes the temporary files of the target that a killed writer left in `folder`: regular files
// named exactly like `temp` (the replacement just committed, "<name>.tmp-" and six letters or
// digits), unchanged for a minute and not locked by a writer still at work. A target whose name
// was cut short to fit is skipped, as its temporary names could be shared with another long
// name. Allocates nothing: it runs after the new file has taken the target's place.
void RemoveStaleTemps(const std::string& folder, const std::string& target, const std::string& temp)
{
    const size_t targetSlash = target.rfind('/');
    const size_t nameLength = target.size() - (targetSlash == std::string::npos ? 0 : targetSlash + 1);
    if (nameLength + sizeof kTempSuffix - 1 > NAME_MAX)
        return;
    const size_t tempSlash = temp.rfind('/');
    const char* prefix = temp.c_str() + (tempSlash == std::string::npos ? 0 : tempSlash + 1);
    const size_t prefixLength = std::strlen(prefix) - kTempUniqueLength;
    const int dirFd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return;
    DIR* dir = fdopendir(dirFd);
    if (dir == nullptr) {
        close(dirFd);
        return;
    }
    const time_t now = std::time(nullptr);
    while (const dirent* entry = readdir(dir)) {
        if (std::strncmp(entry->d_name, prefix, prefixLength) != 0 || !IsTempUnique(entry->d_name + prefixLength))
            continue;
        // Only a regular file is opened (opening a device may act on it).
        struct stat named;
        if (fstatat(dirFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(named.st_mode) ||
            named.st_mtime + kStaleSeconds >= now)
            continue;
        const int fd = openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat opened;
        // A writer holds a lock on its temporary file until it ends, however it ends.
        if (fstat(fd, &opened) == 0 && opened.st_dev == named.st_dev && opened.st_ino == named.st_ino &&
            flock(fd, LOCK_EX | LOCK_NB) == 0)
            unlinkat(dirFd, entry->d_name, 0);
        close(fd);
    }
    closedir(dir);
}

}  // namespace

Quor_FileReplacer::~Quor_FileReplacer()
{
    Abandon();
}

bool Quor_FileReplacer::Fail(int error)
{
    if (fError == 0)
        fError = error != 0 ? error : EIO;
    return false;
}

FILE* Quor_FileReplacer::Begin(const char* path)
{
    Abandon();
    fError = 0;
    fExisted = false;
    if (path == nullptr || *path == '\0') {
        Fail(EINVAL);
        return nullptr;
    }
    try {
        std::string target;
        if (!ResolveLinks(path, &target)) {
            Fail(ELOOP);
            return nullptr;
        }
        struct stat info;
        fExisted = stat(target.c_str(), &info) == 0;
        // Only regular files are replaced, and only when they could be written in place.
        if (fExisted && !S_ISREG(info.st_mode)) {
            Fail(S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
            return nullptr;
        }
        if (fExisted && access(target.c_str(), W_OK) != 0) {
            Fail(errno);
            return nullptr;
        }
        const mode_t mode = fExisted ? (info.st_mode & 07777) : (0644 & ~CurrentUmask());

        std::string temp = TemplateFor(target);
        // Found now, while a shortage of memory can still fail the replacement as a whole:
        // Commit must not allocate once the new file has taken the target's place.
        std::string folder = FolderOf(target);
        const int fd = mkostemp(temp.data(), O_CLOEXEC);
        if (fd < 0) {
            Fail(errno);
            return nullptr;
        }
        // The permissions are set now, so they hold from the moment the rename makes the file
        // visible. The lock tells a later writer of the same target that this file is in use.
        fchmod(fd, mode);
        flock(fd, LOCK_EX | LOCK_NB);
        FILE* file = fdopen(fd, "w+");
        if (file == nullptr) {
            Fail(errno);
            close(fd);
            unlink(temp.c_str());
            return nullptr;
        }
        fFile = file;
        fTempPath = std::move(temp);
        fTargetPath = std::move(target);
        fTargetFolder = std::move(folder);
    } catch (const std::bad_alloc&) {
        Abandon();
        Fail(ENOMEM);
        return nullptr;
    }
    return fFile;
}

bool Quor_FileReplacer::Commit(bool writesOk)
{
    if (fFile == nullptr)
        return Fail(EBADF);
    // Each errno is read right after the call that set it; the first failure is the one told.
    bool ok = writesOk || Fail(EIO);
    errno = 0;
    if (std::fflush(fFile) != 0)
        ok = Fail(errno);
    else if (std::ferror(fFile))
        ok = Fail(EIO);  // an earlier write failed and nobody reported it; its errno is gone
    errno = 0;
    if (ok && fsync(fileno(fFile)) != 0)
        ok = Fail(errno);
    errno = 0;
    if (std::fclose(fFile) != 0)
        ok = Fail(errno);
    fFile = nullptr;
    errno = 0;
    if (ok && std::rename(fTempPath.c_str(), fTargetPath.c_str()) != 0)
        ok = Fail(errno);
    if (ok) {
        // Make the new directory entry durable too; a failure here loses nothing already on disk.
        const int dir = open(fTargetFolder.empty() ? "." : fTargetFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            fsync(dir);
            close(dir);
        }
        RemoveStaleTemps(fTargetFolder, fTargetPath, fTempPath);
    } else {
        unlink(fTempPath.c_str());
    }
    fTempPath.clear();
    fTargetPath.clear();
    fTargetFolder.clear();
    return ok;
}

void Quor_FileReplacer::Abandon()
{
    if (fFile == nullptr)
        return;
    std::fclose(fFile);
    fFile = nullptr;
    unlink(fTempPath.c_str());
    fTempPath.clear();
    fTargetPath.clear();
    fTargetFolder.clear();
}
