#include "app/ui/OutputGuard.h"

#include <cstring>
#include <string>

#include "app/core/PanomerDoc.h"
#include "app/core/RenderOutput.h"
#include "app/ui/AlertWnd.h"
#include "toolkit/framework/Quor_WindowList.h"
#include "toolkit/framework/Quor_Wnd.h"

namespace {

// The file name of a path, shown as it is (the interface's text is UTF-8).
std::string ShownName(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    return slash != nullptr ? slash + 1 : path;
}

}  // namespace

bool RefuseOutputOver(Quor_Wnd* alertParent, const PanomerDoc& doc, const char* path, const char* what)
{
    if (path == nullptr || *path == '\0' || what == nullptr)
        return false;
    const std::string noun = what;
    std::string clash;
    for (int i = 0; i < doc.fNumPhotos && i < kMaxPhotos && clash.empty(); i++) {
        if (RenderOutput::SameFile(path, doc.fPhotoPath[i]))
            clash = "is one of the " + noun + "'s photos.";
    }
    if (clash.empty() && noun != "project" && RenderOutput::SameFile(path, doc.fPath))
        clash = "is the project itself.";
    if (clash.empty())
        return false;
    const std::string first = "The " + noun + " cannot be saved over that file.";
    const std::string detail = "\"" + ShownName(path) + "\" " + clash;
    const uint32_t parentId = alertParent != nullptr ? alertParent->Id() : 0;
    Quor_Alert(alertParent, kAlertExclamation, first.c_str(), detail.c_str(), "Please choose another name.", "OK");
    // The window stays for another name and takes the keyboard back from the alert.
    if (parentId != 0 && Quor_WindowList::Find(parentId) == alertParent)
        alertParent->SetFocus();
    return true;
}
