#include "toolkit/framework/Quor_FileLister.h"

#include <dirent.h>
#include <cstring>

Quor_FileLister::Quor_FileLister(const char* dir) : fDir(dir != nullptr ? opendir(dir) : nullptr)
{
}

Quor_FileLister::~Quor_FileLister()
{
    if (fDir != nullptr)
        closedir(static_cast<DIR*>(fDir));
}

const char* Quor_FileLister::GetNextFile()
{
    if (fDir == nullptr)
        return nullptr;
    while (const dirent* entry = readdir(static_cast<DIR*>(fDir))) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        fName = entry->d_name;
        return fName;
    }
    return nullptr;
}
