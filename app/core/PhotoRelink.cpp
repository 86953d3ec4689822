#include "app/core/PhotoRelink.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>

#include "app/core/PanomerDoc.h"

namespace {

// The subfolders of `folder` in byte order of their names, hidden ones included (a photo folder
// may well be one); false when the folder cannot be read.
bool Subfolders(const std::string& folder, std::vector<std::string>* out)
{
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return false;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string path = folder + "/" + name;
        struct stat st;
        if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            out->push_back(path);
    }
    closedir(dir);
    std::sort(out->begin(), out->end());
    return true;
}

}  // namespace

bool PhotoRelink::IsFile(const char* path)
{
    struct stat st;
    return path != nullptr && stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

bool PhotoRelink::Relink(PanomerDoc* doc, const char* folder, std::vector<int>* relinked)
{
    if (relinked != nullptr)
        relinked->clear();
    if (doc == nullptr || folder == nullptr || *folder == '\0')
        return false;
    std::string root = folder;
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    std::vector<std::string> places{root};
    if (!Subfolders(root, &places))
        return false;
    const int count = std::clamp(doc->fNumPhotos, 0, kMaxPhotos);
    for (int i = 0; i < count; i++) {
        if (IsFile(doc->fPhotoPath[i]))
            continue;
        const std::string name = doc->fPhotoPath[i].Name().Buffer();
        if (name.empty())
            continue;
        for (const std::string& place : places) {
            const std::string candidate = place + "/" + name;
            if (!IsFile(candidate.c_str()))
                continue;
            doc->fPhotoPath[i] = candidate.c_str();
            if (relinked != nullptr)
                relinked->push_back(i);
            break;
        }
    }
    return true;
}
