#include "app/ui/MissingPhotos.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <numeric>

#include "toolkit/core/Quor_Path.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/core/Quor_Utf8.h"

namespace {

// A file name longer than this is shown cut, so that the alert stays on the screen.
constexpr size_t kLongestName = 32;

const char* const kReasonText[] = {
    "not found", "permission denied", "not a regular file", "too large to load",
    "not an image this program can read",
};

// The file name of a path as it is, cut (never inside a character) to about kLongestName bytes.
std::string ShownName(const char* path)
{
    std::string name = Quor_Path(path).Name().Buffer();
    if (name.empty())
        name = path;
    if (name.size() > kLongestName)
        name = name.substr(0, Quor_Utf8::BoundaryAtOrBefore(name.data(), name.size(), kLongestName - 3)) + "...";
    return name;
}

}  // namespace

MissingPhotos::Reason MissingPhotos::Classify(const char* path, int loadResult)
{
    if (loadResult == QUOR_ERR_MEMORY)
        return kTooLarge;
    struct stat st;
    if (stat(path, &st) != 0)
        return errno == EACCES ? kDenied : kNotFound;
    if (!S_ISREG(st.st_mode))
        return kNotAFile;
    if (access(path, R_OK) != 0)
        return kDenied;
    return kNotImage;
}

void MissingPhotos::Add(const char* path, int loadResult)
{
    if (path == nullptr)
        path = "";
    fNames.push_back(ShownName(path));
    fCounts[Classify(path, loadResult)]++;
}

std::string MissingPhotos::Headline() const
{
    const int count = Count();
    std::string text = std::to_string(count) + (count == 1 ? " photo" : " photos") +
                       " could not be loaded: ";
    for (int i = 0; i < count && i < kNamesShown; ++i)
        text += (i == 0 ? "" : ", ") + fNames[static_cast<size_t>(i)];
    if (count > kNamesShown)
        text += " and " + std::to_string(count - kNamesShown) + " more";
    return text + ".";
}

std::string MissingPhotos::Reasons() const
{
    int order[kReasonCount];
    std::iota(order, order + kReasonCount, 0);
    // Commonest first; equal counts in the order of the reasons.
    std::stable_sort(order, order + kReasonCount, [this](int a, int b) { return fCounts[a] > fCounts[b]; });
    if (fCounts[order[1]] == 0)
        return std::string("Reason: ") + kReasonText[order[0]] + ".";
    std::string text = "Reasons:";
    for (int k = 0; k < kReasonCount && fCounts[order[k]] > 0; ++k)
        text += (k == 0 ? " " : ", ") + std::to_string(fCounts[order[k]]) + " " + kReasonText[order[k]];
    return text + ".";
}
