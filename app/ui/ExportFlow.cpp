#include "app/ui/ExportFlow.h"

#include <cstring>
#include <new>
#include <string>

#include "app/core/PanomerDoc.h"
#include "app/core/RenderOwner.h"
#include "app/ui/AlertWnd.h"
#include "app/ui/PSDDialog.h"
#include "app/ui/PSDProgress.h"
#include "app/ui/PanomerView.h"
#include "app/ui/RenderDialog.h"
#include "app/ui/RenderProgress.h"
#include "toolkit/core/Quor_Utf8.h"
#include "toolkit/framework/Quor_WindowList.h"
#include "toolkit/framework/Quor_Wnd.h"

namespace {

// Paths longer than this are shortened at the front in an alert, which grows with its text.
constexpr size_t kLongestPath = 64;

// File names and causes show as they are: the interface's text is UTF-8, and bytes that are not
// show as the Latin-1 characters they would be.
std::string Shown(const std::string& bytes)
{
    return bytes;
}

// A long path loses its front, never part of a character.
std::string ShownPath(const char* path)
{
    std::string shown = Shown(path != nullptr ? path : "");
    if (shown.size() > kLongestPath) {
        const size_t cut = shown.size() - kLongestPath + 3;
        const size_t from = Quor_Utf8::NextBoundary(shown.data(), shown.size(),
                                                    Quor_Utf8::BoundaryAtOrBefore(shown.data(), shown.size(), cut - 1));
        shown = "..." + shown.substr(from);
    }
    return shown;
}

std::string SystemReason(const RenderResult& result)
{
    return result.systemError != 0 ? std::string(std::strerror(result.systemError)) + "." : std::string();
}

// The alert of a failed export: what went wrong, then why or what was affected, then what is
// left of the output.
struct FailureText {
    std::string lines[3];
};

FailureText Explain(const RenderResult& result, const PanomerDoc& doc)
{
    FailureText text;
    std::string* line = text.lines;
    switch (result.failure) {
    case RenderFailure::kCannotCreate:
        line[0] = "Could not create the file.";
        line[1] = ShownPath(doc.fRenderPath);
        line[2] = SystemReason(result);
        break;
    case RenderFailure::kWriteFailed:
        line[0] = "Could not write the panorama.";
        line[1] = result.systemError != 0 ? SystemReason(result) : std::string("The encoder refused the image.");
        line[2] = "The unfinished file has been removed.";
        break;
    case RenderFailure::kNoMemory:
        line[0] = "Not enough memory for a panorama of this size.";
        line[1] = result.cause.empty() ? std::string("Choose a smaller size and try again.") : Shown(result.cause);
        break;
    case RenderFailure::kTooLarge:
        line[0] = "The panorama is too large for the PSD format.";
        line[1] = "Choose a smaller size, or export a JPEG.";
        line[2] = "The unfinished file has been removed.";
        break;
    case RenderFailure::kPhotosMissing: {
        const size_t count = result.missingPhotos.size();
        line[0] = std::to_string(count) + (count == 1 ? " photo" : " photos") + " could not be loaded at full size.";
        for (size_t i = 0; i < count; i++)
            line[1] += (i == 0 ? "" : ", ") + Shown(result.missingPhotos[i]);
        if (line[1].size() > 2 * kLongestPath)
            line[1] = line[1].substr(0, Quor_Utf8::BoundaryAtOrBefore(line[1].data(), line[1].size(), 2 * kLongestPath - 3)) + "...";
        line[2] = count == 1 ? "The panorama would be missing it, so nothing was written."
                             : "The panorama would be missing them, so nothing was written.";
        break;
    }
    case RenderFailure::kNone:
        // The worker could not be started.
        line[0] = result.cause.empty() ? std::string("The export could not be started.") : result.cause;
        break;
    default:
        line[0] = Shown(result.Message());
        break;
    }
    return text;
}

// Runs one export: the dialog, then (after OK) the progress window with the canvas suspended,
// then an alert when it failed.
template <class Dialog, class Progress>
void RunExport(Quor_Wnd* parent, PanomerDoc* doc, PanomerView* canvas)
{
    if (doc == nullptr || doc->fNumPhotos < 1)
        return;
    Dialog* dialog = new (std::nothrow) Dialog(doc, parent);
    if (dialog == nullptr || dialog->DoModal() != QUOR_MSG_OK)
        return;

    RenderResult result;
    Progress* progress = new (std::nothrow) Progress(doc, parent, &result);
    if (progress == nullptr) {
        result = RenderResult::Failed(RenderFailure::kNoMemory);
    } else {
        // The worker frees and reloads the photos' pixels: nothing may draw them meanwhile. The
        // progress window joins the worker before it closes, so drawing resumes only after that.
        if (canvas != nullptr)
            canvas->SuspendPhotoDrawing();
        progress->DoModal();
        if (canvas != nullptr)
            canvas->ResumePhotoDrawing();
    }
    if (result.status != RenderStatus::kFailed)
        return;
    const FailureText text = Explain(result, *doc);
    const uint32_t parentId = parent != nullptr ? parent->Id() : 0;
    Quor_Wnd* owner = parentId != 0 && Quor_WindowList::Find(parentId) == parent ? parent : nullptr;
    Quor_Alert(owner, kAlertExclamation, text.lines[0].c_str(), text.lines[1].empty() ? nullptr : text.lines[1].c_str(),
               text.lines[2].empty() ? nullptr : text.lines[2].c_str(), "OK");
    if (owner != nullptr && Quor_WindowList::Find(parentId) == owner)
        owner->SetFocus();
}

}  // namespace

void ExportJpeg(Quor_Wnd* parent, PanomerDoc* doc, PanomerView* canvas)
{
    RunExport<RenderDialog, RenderProgress>(parent, doc, canvas);
}

void ExportPsd(Quor_Wnd* parent, PanomerDoc* doc, PanomerView* canvas)
{
    RunExport<PSDDialog, PSDProgress>(parent, doc, canvas);
}
