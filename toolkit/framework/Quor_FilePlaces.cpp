#include "toolkit/framework/Quor_FilePlaces.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "toolkit/framework/Quor_FileLister.h"

namespace {

using Kind = Quor_FileLister::Kind;

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return std::string();
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// The file's first 64 KB, or "" when it cannot be read.
std::string ReadSmallFile(const std::string& path)
{
    std::string text;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return text;
    char buffer[4096];
    size_t got = 0;
    while (text.size() < 65536 && (got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, got);
    std::fclose(file);
    return text;
}

std::string WithoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string LastComponent(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsListed(const std::vector<Quor_FilePlaces::Place>& places, const std::string& path)
{
    for (const Quor_FilePlaces::Place& place : places) {
        if (path == place.path.Buffer())
            return true;
    }
    return false;
}

}  // namespace

Quor_FilePlaces::Environment Quor_FilePlaces::FromProcess()
{
    Environment environment;
    try {
        environment.home = Quor_FileLister::HomeFolder();
        const char* config = std::getenv("XDG_CONFIG_HOME");
        environment.configHome = config != nullptr ? config : "";
        const char* user = std::getenv("USER");
        if (user != nullptr && *user != '\0' && std::strchr(user, '/') == nullptr)
            environment.volumeRoots.emplace_back((std::string("/media/") + user).c_str());
        environment.volumeRoots.emplace_back("/media");
        environment.volumeRoots.emplace_back("/mnt");
    } catch (const std::bad_alloc&) {
        environment.volumeRoots.clear();
    }
    return environment;
}

Quor_String Quor_FilePlaces::UserDir(const char* text, const char* key, const char* home)
{
    const std::string all = text != nullptr ? text : "";
    const std::string wanted = key != nullptr ? key : "";
    size_t at = 0;
    while (at < all.size()) {
        size_t end = all.find('\n', at);
        if (end == std::string::npos)
            end = all.size();
        const std::string line = Trimmed(all.substr(at, end - at));
        at = end + 1;
        if (line.empty() || line[0] == '#')
            continue;
        const size_t equals = line.find('=');
        if (equals == std::string::npos || Trimmed(line.substr(0, equals)) != wanted)
            continue;
        std::string value = Trimmed(line.substr(equals + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        // The file's format allows only "$HOME/..." or an absolute path.
        if (value.compare(0, 5, "$HOME") == 0 && (value.size() == 5 || value[5] == '/'))
            value = std::string(home != nullptr ? home : "") + value.substr(5);
        if (value.empty() || value[0] != '/')
            return Quor_String("");
        return Quor_String(WithoutTrailingSlashes(value).c_str());
    }
    return Quor_String("");
}

std::vector<Quor_FilePlaces::Place> Quor_FilePlaces::List(const Environment& environment, const char* startFolder)
{
    std::vector<Place> places;
    try {
        const std::string home = WithoutTrailingSlashes(environment.home.Buffer());
        const bool hasHome = !home.empty() && Quor_FileLister::KindOf(home.c_str()) == Kind::kFolder;
        if (hasHome)
            places.push_back(Place{"Home", home.c_str()});
        const std::string start = WithoutTrailingSlashes(startFolder != nullptr ? startFolder : "");
        if (!start.empty() && start[0] == '/' && !IsListed(places, start) &&
            Quor_FileLister::KindOf(start.c_str()) == Kind::kFolder) {
            const std::string name = LastComponent(start);
            places.push_back(Place{name.empty() ? "/" : name.c_str(), start.c_str()});
        }
        if (hasHome) {
            const std::string config = environment.configHome.IsEmpty()
                                           ? home + "/.config"
                                           : WithoutTrailingSlashes(environment.configHome.Buffer());
            const std::string text = ReadSmallFile(config + "/user-dirs.dirs");
            const char* const keys[2] = {"XDG_DESKTOP_DIR", "XDG_PICTURES_DIR"};
            const char* const labels[2] = {"Desktop", "Pictures"};
            for (int i = 0; i < 2; ++i) {
                const Quor_String folder = UserDir(text.c_str(), keys[i], home.c_str());
                if (folder.IsEmpty() || home == folder.Buffer() || IsListed(places, folder.Buffer()) ||
                    Quor_FileLister::KindOf(folder) != Kind::kFolder)
                    continue;
                places.push_back(Place{labels[i], folder});
            }
        }
        // Volumes: the folders inside each root, by name, each once.
        for (const Quor_String& rootName : environment.volumeRoots) {
            const std::string root = WithoutTrailingSlashes(rootName.Buffer());
            Quor_FileLister lister(root.c_str());
            std::vector<Place> volumes;
            Kind kind = Kind::kMissing;
            while (const char* name = lister.GetNextFile(&kind)) {
                if (kind != Kind::kFolder || name[0] == '.')
                    continue;
                const std::string path = root + "/" + name;
                bool isRoot = false;
                for (const Quor_String& other : environment.volumeRoots) {
                    if (path == WithoutTrailingSlashes(other.Buffer()))
                        isRoot = true;
                }
                if (!isRoot && !IsListed(places, path))
                    volumes.push_back(Place{name, path.c_str()});
            }
            std::sort(volumes.begin(), volumes.end(), [](const Place& a, const Place& b) {
                return Quor_FileLister::CompareNames(a.label, b.label) < 0;
            });
            places.insert(places.end(), volumes.begin(), volumes.end());
        }
    } catch (const std::bad_alloc&) {
        places.clear();
    }
    return places;
}
