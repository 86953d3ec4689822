#include "app/ui/ExportFlow.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "app/core/CropFit.h"
#include "app/core/PanomerDoc.h"
#include "app/core/PtoWriter.h"
#include "app/core/RenderOwner.h"
#include "app/ui/AlertWnd.h"
#include "app/ui/OutputGuard.h"
#include "app/ui/PanomerCodes.h"
#include "app/ui/PSDDialog.h"
#include "app/ui/PSDProgress.h"
#include "app/ui/PanomerView.h"
#include "app/ui/RenderDialog.h"
#include "app/ui/RenderProgress.h"
#include "toolkit/core/Quor_Beep.h"
#include "toolkit/core/Quor_Utf8.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_EventLoop.h"
#include "toolkit/framework/Quor_FileDialogHook.h"
#include "toolkit/framework/Quor_WindowList.h"
#include "toolkit/framework/Quor_Wnd.h"

namespace {

// Paths longer than this are shortened at the front in an alert, which grows with its text.
constexpr size_t kLongestPath = 64;
// An alert names this many photos and counts the rest.
constexpr size_t kNamesShown = 3;

// A long path loses its front, never part of a character.
std::string ShownPath(const char* path)
{
    // File names show as they are: the interface's text is UTF-8, and bytes that are not show as
    // the Latin-1 characters they would be.
    std::string shown = path != nullptr ? path : "";
    if (shown.size() > kLongestPath) {
        const size_t cut = shown.size() - kLongestPath + 3;
        const size_t from = Quor_Utf8::NextBoundary(shown.data(), shown.size(),
                                                    Quor_Utf8::BoundaryAtOrBefore(shown.data(), shown.size(), cut - 1));
        shown = "..." + shown.substr(from);
    }
    return shown;
}

// "a.jpg, b.jpg, c.jpg", or "a.jpg, b.jpg, c.jpg and 2 more".
std::string NameList(const std::vector<std::string>& names)
{
    std::string list;
    for (size_t i = 0; i < names.size() && i < kNamesShown; i++)
        list += (i == 0 ? "" : ", ") + names[i];
    if (names.size() > kNamesShown)
        list += " and " + std::to_string(names.size() - kNamesShown) + " more";
    return list;
}

std::string PhotoCount(size_t count)
{
    return std::to_string(count) + (count == 1 ? " photo" : " photos");
}

// What a failed export left at its path: the output takes the name only once it is complete.
std::string NothingWritten(const PanomerDoc& doc)
{
    struct stat info;
    if (stat(doc.fRenderPath, &info) == 0 && S_ISREG(info.st_mode))
        return "The file that was there is left as it was.";
    return "Nothing was written.";
}

std::string SystemReason(const RenderResult& result)
{
    return result.systemError != 0 ? std::string(std::strerror(result.systemError)) + "." : std::string();
}

// The three lines of an alert.
struct AlertText {
    std::string lines[3];
};

// The alert of a failed export: what went wrong, then why or what was affected, then what is
// left at the output's path.
AlertText Explain(const RenderResult& result, const PanomerDoc& doc)
{
    AlertText text;
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
        line[2] = NothingWritten(doc);
        break;
    case RenderFailure::kNoMemory:
        // The cause says what the job needs and what is available (or which photo does not
        // fit); a smaller output does not always help, so it is advised only without one.
        line[0] = "Not enough memory for this export.";
        line[1] = result.cause.empty() ? std::string("Choose a smaller size and try again.") : result.cause;
        line[2] = NothingWritten(doc);
        break;
    case RenderFailure::kTooLarge:
        line[0] = "The panorama is too large for the PSD format.";
        line[1] = "Choose a smaller size, or export a JPEG.";
        line[2] = NothingWritten(doc);
        break;
    case RenderFailure::kPhotosMissing: {
        const size_t count = result.missingPhotos.size();
        line[0] = PhotoCount(count) + " could not be loaded at full size.";
        line[1] = NameList(result.missingPhotos);
        line[2] = count == 1 ? "The panorama would be missing it, so nothing was written."
                             : "The panorama would be missing them, so nothing was written.";
        break;
    }
    case RenderFailure::kNone:
        // The worker could not be started.
        line[0] = result.cause.empty() ? std::string("The export could not be started.") : result.cause;
        break;
    default:
        line[0] = result.Message();
        break;
    }
    return text;
}

// What a cancelled export left at its path, as the command line tells it on Ctrl-C.
AlertText ExplainCancel(const RenderResult& result, RenderKind kind, const PanomerDoc& doc)
{
    AlertText text;
    text.lines[0] = "The export was cancelled " + result.WhenCancelled() + ".";
    text.lines[1] = ShownPath(doc.fRenderPath);
    text.lines[2] = "It " + result.WhatIsLeft(kind) + ".";
    return text;
}

// Shows one alert over `parent` when that window is still there (else over none) and gives it
// the keyboard back afterwards.
void Tell(Quor_Wnd* parent, unsigned int type, const AlertText& text)
{
    const uint32_t parentId = parent != nullptr ? parent->Id() : 0;
    Quor_Wnd* owner = parentId != 0 && Quor_WindowList::Find(parentId) == parent ? parent : nullptr;
    auto line = [&](int i) { return text.lines[i].empty() ? nullptr : text.lines[i].c_str(); };
    Quor_Alert(owner, type, line(0), line(1), line(2), "OK");
    if (owner != nullptr && Quor_WindowList::Find(parentId) == owner)
        owner->SetFocus();
}

// Runs one export: the missing photos' check, the dialog, then (after OK) the progress window
// with the canvas suspended, then an alert when it failed or was cancelled.
// Photos that could not be loaded before but whose files are back (the user put them back, as
// the alert asked) are loaded again; the canvas shows them once more. True when any came back.
bool ReloadReturnedPhotos(PanomerDoc* doc)
{
    bool any = false;
    const int count = std::clamp(doc->fNumPhotos, 0, kMaxPhotos);
    for (int i = 0; i < count; i++) {
        if (doc->fPhotoImage[i].IsValid() || access(doc->fPhotoPath[i], R_OK) != 0)
            continue;
        doc->UpdatePhoto(i, kPreviewSize);
        any = any || doc->fPhotoImage[i].IsValid();
    }
    return any;
}

template <class Dialog, class Progress>
void RunExport(Quor_Wnd* parent, PanomerDoc* doc, PanomerView* canvas, RenderKind kind)
{
    if (doc == nullptr || doc->fNumPhotos < 1)
        return;
    if (ReloadReturnedPhotos(doc) && canvas != nullptr)
        canvas->Update(true);
    if (RefuseExportWithMissingPhotos(parent, *doc))
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
    if (result.status == RenderStatus::kFailed)
        Tell(parent, kAlertExclamation, Explain(result, *doc));
    else if (result.status == RenderStatus::kCancelled)
        Tell(parent, kAlertInformation, ExplainCancel(result, kind, *doc));
}

}  // namespace

bool RefuseExportWithMissingPhotos(Quor_Wnd* parent, const PanomerDoc& doc)
{
    std::vector<std::string> missing;
    bool allGone = true;
    const int count = std::clamp(doc.fNumPhotos, 0, kMaxPhotos);
    for (int i = 0; i < count; i++) {
        // A photo without a preview could not be loaded when it came; one whose file went away
        // since then would stop the worker only after the size and the file had been asked for.
        const char* path = doc.fPhotoPath[i];
        if (doc.fPhotoImage[i].IsValid() && access(path, R_OK) == 0)
            continue;
        missing.push_back(static_cast<const char*>(doc.fPhotoPath[i].Name()));
        allGone = allGone && access(path, F_OK) != 0;
    }
    if (missing.empty())
        return false;
    AlertText text;
    text.lines[0] = PhotoCount(missing.size()) + (allGone ? " cannot be found: " : " cannot be loaded: ") +
                    NameList(missing) + ".";
    text.lines[1] = missing.size() == 1 ? "The panorama would be missing it, so it is not exported."
                                        : "The panorama would be missing them, so it is not exported.";
    if (allGone)
        text.lines[2] = "Put the photos back where the project expects them, then export again.";
    Tell(parent, kAlertExclamation, text);
    return true;
}

void ExportJpeg(Quor_Wnd* parent, PanomerDoc* doc, PanomerView* canvas)
{
    RunExport<RenderDialog, RenderProgress>(parent, doc, canvas, RenderKind::kJpeg);
}

void ExportPsd(Quor_Wnd* parent, PanomerDoc* doc, PanomerView* canvas)
{
    RunExport<PSDDialog, PSDProgress>(parent, doc, canvas, RenderKind::kPsd);
}

void ExportPto(Quor_Wnd* parent, PanomerDoc* doc, PanomerView* canvas, const char* path)
{
    if (doc == nullptr || doc->fNumPhotos < 1)
        return;
    const int width = doc->fRenderWidth;
    const int height = CropFit::HeightForWidth(*doc, width);
    if (path == nullptr) {
        AlertText text;
        if (doc->fProjectionType != PanomerDoc::kHorizontalSpherical) {
            text.lines[0] = "A PTO file can only be written for the horizontal spherical projection.";
            text.lines[1] = "Choose Horizontal Spherical, then export again.";
            Tell(parent, kAlertExclamation, text);
            return;
        }
        if (!CropFit::IsValidSize(width, height)) {
            text.lines[0] = "The export size " + std::to_string(width) + " x " + std::to_string(height) +
                            " is outside 16 to 30000.";
            text.lines[1] = "Set another width with Export JPEG..., then export again.";
            Tell(parent, kAlertExclamation, text);
            return;
        }
        if (ReloadReturnedPhotos(doc) && canvas != nullptr)
            canvas->Update(true);
        if (RefuseExportWithMissingPhotos(parent, *doc))
            return;
        const std::string proposed =
            doc->fPath.IsEmpty() ? std::string("Untitled.pto") : PtoWriter::DefaultPath(doc->fPath.Buffer());
        Quor_FileDialogRequest request;
        request.parent = parent;
        request.title = "Export PTO";
        request.defaultName = proposed.c_str();
        request.extensions = ".pto";
        request.description = "PTO Files";
        request.patterns = "*.pto";
        request.accept = [doc](const char* chosen) {
            return !RefuseOutputOver(Quor_EventLoop::ModalWindow(), *doc, chosen, "panorama");
        };
        if (Quor_App::gApp == nullptr || Quor_App::gApp->SaveFileDialog(request, parent, kCmdExportPto) != QUOR_OK)
            Quor_Beep(0);
        return;
    }
    if (RefuseOutputOver(parent, *doc, path, "panorama"))
        return;
    std::string error;
    if (!PtoWriter::Write(*doc, path, width, height, false, &error)) {
        AlertText text;
        text.lines[0] = "Could not export the PTO file.";
        text.lines[1] = error.empty() || error.back() == '.' ? error : error + ".";
        Tell(parent, kAlertExclamation, text);
    }
}
