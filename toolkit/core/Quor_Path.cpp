#include "toolkit/core/Quor_Path.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

Quor_Path& Quor_Path::operator=(char c)
{
    Quor_String::operator=(c);
    return *this;
}

Quor_Path& Quor_Path::operator=(const char* text)
{
    Quor_String::operator=(text);
    return *this;
}

Quor_Path& Quor_Path::operator=(const Quor_String& text)
{
    Quor_String::operator=(text);
    return *this;
}

Quor_Path& Quor_Path::operator=(const Quor_Path& other)
{
    Quor_String::operator=(other);
    return *this;
}

Quor_Path& Quor_Path::operator=(Quor_Path&& other) noexcept
{
    Quor_String::operator=(static_cast<Quor_String&&>(other));
    return *this;
}

void Quor_Path::Append(const char* name)
{
    if (name == nullptr)
        return;
    if (!IsEmpty() && GetAt(Length() - 1) != separator && name[0] != separator)
        *this += separator;
    *this += name;
}

Quor_String Quor_Path::Name() const
{
    return RightAfter(separator);
}

Quor_Path Quor_Path::Parent() const
{
    return Quor_Path(LeftToLast(separator));
}

Quor_String Quor_Path::Extension() const
{
    Quor_String extension = RightAfter('.');
    extension.ToLower();
    return extension;
}

bool Quor_Path::IsAbsolute() const
{
    const char* p = Buffer();
    if (p[0] == separator)
        return true;
    return std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':' && (p[2] == '/' || p[2] == '\\');
}

Quor_Path Quor_Path::Absolute() const
{
    if (IsEmpty())
        return Quor_Path();
    std::string full;
    const bool rooted = GetAt(0) == separator;
    if (!rooted) {
        std::vector<char> cwd(4096);
        while (getcwd(cwd.data(), cwd.size()) == nullptr) {
            if (errno != ERANGE || cwd.size() > (1u << 20)) {
                cwd.clear();
                break;
            }
            cwd.resize(cwd.size() * 2);
        }
        if (!cwd.empty()) {
            full = cwd.data();
            full += separator;
        }
    }
    full += Buffer();
    const bool absolute = full[0] == separator;

    // Split into names and resolve "." and ".." by the text alone.
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= full.size()) {
        size_t end = full.find(separator, start);
        if (end == std::string::npos)
            end = full.size();
        const std::string name = full.substr(start, end - start);
        if (name.empty() || name == ".") {
            // repeated separators and "." vanish
        } else if (name == "..") {
            if (!names.empty() && names.back() != "..")
                names.pop_back();
            else if (!absolute)
                names.push_back(name);  // a relative path keeps what it cannot resolve
        } else {
            names.push_back(name);
        }
        start = end + 1;
    }

    std::string result = absolute ? std::string(1, separator) : std::string();
    for (size_t i = 0; i < names.size(); ++i) {
        if (i > 0)
            result += separator;
        result += names[i];
    }
    if (result.empty())
        result = ".";
    return Quor_Path(result.c_str());
}

namespace {

struct TypeRow {
    const char* extension;
    const char* type;
};

constexpr TypeRow kTypes[] = {
    {"txt", "text/plain"},
    {"gif", "image/gif"},
    {"jpg", "image/jpeg"},
    {"jpeg", "image/jpeg"},
    {"png", "image/png"},
    {"tga", "image/x-targa"},
    {"bmp", "image/x-bmp"},
    {"mov", "video/quicktime"},
    {"qt", "video/quicktime"},
    {"mpg", "video/mpeg"},
    {"mpeg", "video/mpeg"},
    {"avi", "video/x-msvideo"},
    {"wav", "audio/x-wav"},
    {"mp3", "audio/mpeg"},
};

}  // namespace

const char* Quor_Path::Type() const
{
    const Quor_String extension = Extension();
    for (const TypeRow& row : kTypes)
        if (extension == row.extension)
            return row.type;
    return "application/octet-stream";
}

Quor_String Quor_Path::Supertype() const
{
    return Quor_String(Type()).LeftTo('/');
}

bool operator==(const Quor_Path& a, const Quor_Path& b) { return std::strcmp(a, b) == 0; }
bool operator==(const Quor_Path& a, const Quor_String& b) { return std::strcmp(a, b) == 0; }
bool operator==(const Quor_String& a, const Quor_Path& b) { return std::strcmp(a, b) == 0; }
bool operator==(const Quor_Path& a, const char* b) { return std::strcmp(a, b != nullptr ? b : "") == 0; }
bool operator==(const char* a, const Quor_Path& b) { return std::strcmp(a != nullptr ? a : "", b) == 0; }
