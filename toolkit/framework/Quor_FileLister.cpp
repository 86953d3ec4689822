#include "toolkit/framework/Quor_FileLister.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

bool Quor_FileLister::Details(uint64_t* size, int64_t* modified) const
{
    *size = 0;
    *modified = 0;
    if (fDir == nullptr || fName.IsEmpty())
        return false;
    struct stat st;
    if (fstatat(dirfd(static_cast<DIR*>(fDir)), fName.Buffer(), &st, 0) != 0)
        return false;
    *size = st.st_size > 0 ? static_cast<uint64_t>(st.st_size) : 0;
    *modified = static_cast<int64_t>(st.st_mtime);
    return true;
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

namespace {

bool IsDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

unsigned char Lower(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

}  // namespace

int Quor_FileLister::CompareNames(const char* a, const char* b)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(a != nullptr ? a : "");
    const unsigned char* q = reinterpret_cast<const unsigned char*>(b != nullptr ? b : "");
    const unsigned char* const pStart = p;
    const unsigned char* const qStart = q;
    while (*p != 0 && *q != 0) {
        if (IsDigit(*p) && IsDigit(*q)) {
            // Two runs of digits compare by value: leading zeros go, then the longer run is the
            // larger number, then the first digit that differs decides.
            while (*p == '0' && IsDigit(p[1]))
                ++p;
            while (*q == '0' && IsDigit(q[1]))
                ++q;
            const unsigned char* pEnd = p;
            const unsigned char* qEnd = q;
            while (IsDigit(*pEnd))
                ++pEnd;
            while (IsDigit(*qEnd))
                ++qEnd;
            if (pEnd - p != qEnd - q)
                return pEnd - p < qEnd - q ? -1 : 1;
            while (p < pEnd) {
                if (*p != *q)
                    return *p < *q ? -1 : 1;
                ++p;
                ++q;
            }
            continue;
        }
        const unsigned char x = Lower(*p);
        const unsigned char y = Lower(*q);
        if (x != y)
            return x < y ? -1 : 1;
        ++p;
        ++q;
    }
    if (*p != *q)
        return *p == 0 ? -1 : 1;
    const int bytes = std::strcmp(reinterpret_cast<const char*>(pStart), reinterpret_cast<const char*>(qStart));
    return bytes < 0 ? -1 : (bytes > 0 ? 1 : 0);
}

int Quor_FileLister::MakeFolder(const char* path)
{
    if (path == nullptr || *path == '\0')
        return ENOENT;
    return mkdir(path, 0777) == 0 ? 0 : errno;
}
