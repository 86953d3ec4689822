#include "toolkit/framework/Quor_FileLister.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

Quor_FileLister::Kind KindOfMode(mode_t mode)
{
    if (S_ISDIR(mode))
        return Quor_FileLister::Kind::kFolder;
    if (S_ISREG(mode))
        return Quor_FileLister::Kind::kFile;
    return Quor_FileLister::Kind::kOther;
}

}  // namespace

Quor_FileLister::Quor_FileLister(const char* dir) : fDir(dir != nullptr ? opendir(dir) : nullptr)
{
}

Quor_FileLister::~Quor_FileLister()
{
    if (fDir != nullptr)
        closedir(static_cast<DIR*>(fDir));
}

const char* Quor_FileLister::GetNextFile(Kind* kind)
{
    if (fDir == nullptr)
        return nullptr;
    DIR* dir = static_cast<DIR*>(fDir);
    while (const dirent* entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        fName = entry->d_name;
        if (kind != nullptr) {
            switch (entry->d_type) {
            case DT_DIR:
                *kind = Kind::kFolder;
                break;
            case DT_REG:
                *kind = Kind::kFile;
                break;
            case DT_LNK:
            case DT_UNKNOWN: {
                // Only links, and file systems that do not fill in the type, cost a look.
                struct stat st;
                *kind = fstatat(dirfd(dir), entry->d_name, &st, 0) == 0 ? KindOfMode(st.st_mode) : Kind::kMissing;
                break;
            }
            default:
                *kind = Kind::kOther;
                break;
            }
        }
        return fName;
    }
    return nullptr;
}

Quor_FileLister::Kind Quor_FileLister::KindOf(const char* path)
{
    struct stat st;
    if (path == nullptr || stat(path, &st) != 0)
        return Kind::kMissing;
    return KindOfMode(st.st_mode);
}

Quor_String Quor_FileLister::CurrentFolder()
{
    // getcwd allocates a buffer as long as the path needs.
    char* folder = getcwd(nullptr, 0);
    Quor_String out(folder != nullptr ? folder : "");
    std::free(folder);
    return out;
}

Quor_String Quor_FileLister::HomeFolder()
{
    const char* home = std::getenv("HOME");
    return Quor_String(home != nullptr ? home : "");
}

int Quor_FileLister::LongestName(const char* folder)
{
    const long longest = folder != nullptr ? pathconf(folder, _PC_NAME_MAX) : -1;
    return longest > 0 && longest < INT_MAX ? static_cast<int>(longest) : 255;
}
