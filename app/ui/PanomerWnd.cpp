#include "app/ui/PanomerWnd.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "app/core/BrightnessMatch.h"
#include "app/core/PhotoAlign.h"
#include "app/core/PhotoRelink.h"
#include "app/core/Projection.h"
#include "app/ui/AboutWnd.h"
#include "app/ui/AlignProgress.h"
#include "app/ui/AlertWnd.h"
#include "app/ui/ExportFlow.h"
#include "app/ui/MissingPhotos.h"
#include "app/ui/OpenProgress.h"
#include "app/ui/OutputGuard.h"
#include "app/ui/PanomerCodes.h"
#include "app/ui/PanomerMainLayer.h"
#include "app/ui/PanomerPrefs.h"
#include "app/ui/PanomerView.h"
#include "app/ui/PhotoListView.h"
#include "app/ui/canvas/CanvasGuides.h"
#include "app/ui/canvas/CanvasTools.h"
#include "app/ui/data/PanomerArt.h"
#include "toolkit/core/Quor_Beep.h"
#include "toolkit/framework/Quor_Cursor.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_EventLoop.h"
#include "toolkit/widgets/Quor_ScrollingView.h"

namespace {

constexpr const char* kTitle = "Quor Panomer";
// A new or opened document is shown a little smaller than the canvas, centred.
constexpr float kStartZoom = 0.9f;
// Where a file handed to the photo list by the window lands (the list ignores it).
const Quor_Point kListDropPoint(32, 32);

bool IsJpeg(const Quor_Path& path)
{
    return std::strcmp(path.Type(), "image/jpeg") == 0;
}

bool Exists(const char* path)
{
    struct stat st;
    return stat(path, &st) == 0;
}

void ClearPivot(PanomerDoc* doc)
{
    doc->fPivot[0] = 1000000.0f;
    doc->fPivot[1] = 1000000.0f;
}

}  // namespace

PanomerWnd::PanomerWnd(Quor_Rect frame, const char* path)
    : Quor_Wnd(kTitle, frame, true, 0, nullptr),
      fDocument(gFocalLength),
      fStartupPath(path != nullptr ? path : ""),
      fMainLayer(nullptr)
{
    SetIcon(&kappicon);
    // Where and as large as the user left it (the first frame otherwise).
    RestoreLocation("main_window");
    RestoreShape("main_window");
    Show();
}

PanomerWnd::~PanomerWnd()
{
    // The canvas and the list point into the document: they go before it does (the size is
    // kept first, while the menu strip is still there).
    StoreWindowShape();
    DestroyLayers();
}

void PanomerWnd::OnCreate()
{
    try {
        fMainLayer = new PanomerMainLayer(Bounds(), &fDocument);
    } catch (const std::bad_alloc&) {
        fMainLayer = nullptr;
    }
    if (fMainLayer == nullptr) {
        if (Quor_App::gApp != nullptr)
            Quor_App::gApp->Quit();
        return;
    }
    AddLayer(fMainLayer);
    fMainLayer->Canvas()->SetAlertHandler([this](const char* text) {
        Quor_Alert(this, kAlertExclamation, text, nullptr, nullptr, "OK");
    });
    // The title's mark of unsaved changes follows the document.
    fMainLayer->Canvas()->SetUpdateHandler([this]() { UpdateTitle(); });
    if (!fStartupPath.IsEmpty()) {
        // Opened once the window is up, so that what the opening has to say shows over it.
        Quor_Message open(kCmdOpen);
        open.Set("path", fStartupPath.Buffer());
        if (!PostMessage(Id(), open))
            SendMessage(&open);
    }
}

void PanomerWnd::GetMinMaxSize(Quor_Point* min, Quor_Point* max)
{
    if (min != nullptr)
        min->Set(kMinWidth, kMinHeight);
    if (max != nullptr)
        max->Set(10000, 10000);
}

bool PanomerWnd::Busy() const
{
    return Quor_EventLoop::ModalWindow() != nullptr;
}

bool PanomerWnd::CloseOK()
{
    // While an export runs the document is in the worker's hands.
    if (Busy() || !Quor_Wnd::CloseOK())
        return false;
    switch (AskToSave()) {
    case SavePrompt::kClean:
    case SavePrompt::kDiscard:
        return true;
    case SavePrompt::kSaved:
    case SavePrompt::kCancel:
        // After saving the user closes again; a failed save has said why.
        return false;
    }
    return false;
}

void PanomerWnd::OnClose()
{
    Hide();
    if (Quor_App::gApp != nullptr)
        Quor_App::gApp->Quit();
}

void PanomerWnd::OnFileDrop(const char* path, Quor_Point where, unsigned int)
{
    if (fMainLayer == nullptr || path == nullptr)
        return;
    PhotoListView* list = fMainLayer->PhotoList();
    Quor_Point inLayer = where;
    fMainLayer->WndToLayer(inLayer);
    // The list takes any image dropped on it; elsewhere only photos (JPEG) are meant for it.
    if (fMainLayer->ListScroller()->Frame().Contains(inLayer) || IsJpeg(Quor_Path(path)))
        list->OnFileDrop(path, kListDropPoint, 0);
}

void PanomerWnd::HandleMessage(Quor_Message* message)
{
    const char* path = nullptr;
    const bool hasPath = message->Get("path", &path) && path != nullptr && *path != '\0';
    switch (message->what) {
    case kCmdNew: {
        const SavePrompt answer = AskToSave();
        if (answer == SavePrompt::kCancel || (answer == SavePrompt::kSaved && fDocument.fModified))
            return;
        NewDocument();
        return;
    }
    case kCmdOpen:
        if (hasPath)
            OpenDocument(path);
        else
            OpenWithDialog();
        return;
    case kCmdLocatePhotos:
        if (hasPath)
            LocatePhotos(Quor_Path(path).Parent());
        return;
    case kCmdSave:
        SaveDocument();
        return;
    case kCmdSaveAs:
        if (hasPath) {
            SaveDocumentAs(path);
        } else if (Quor_App::gApp != nullptr) {
            // An untitled document is proposed as Untitled.qpm; one with a file starts there. A
            // name typed without ".qpm" gets it before the dialog asks whether to replace a file,
            // and one of the panorama's photos is refused before that question too.
            Quor_FileDialogRequest request;
            request.title = "Save As";
            request.defaultName = fDocument.fPath.IsEmpty() ? "Untitled.qpm" : fDocument.fPath.Buffer();
            request.extensions = ".qpm";
            request.description = "Quor Panomer Files";
            request.patterns = "*.qpm";
            request.accept = [this](const char* chosen) {
                return !RefuseOutputOver(Quor_EventLoop::ModalWindow(), fDocument, chosen, "project");
            };
            Quor_App::gApp->SaveFileDialog(request, this, kCmdSaveAs);
        }
        return;
    case kCmdPreview:
        if (fMainLayer != nullptr && fDocument.fNumPhotos > 0)
            fMainLayer->Canvas()->Preview();
        return;
    case kCmdExportJpeg:
        if (fMainLayer != nullptr && fDocument.fNumPhotos > 0)
            ExportJpeg(this, &fDocument, fMainLayer->Canvas());
        return;
    case kCmdExportPsd:
        if (fMainLayer != nullptr && fDocument.fNumPhotos > 0)
            ExportPsd(this, &fDocument, fMainLayer->Canvas());
        return;
    case kCmdExportPto:
        if (fDocument.fNumPhotos > 0)
            ExportPto(this, &fDocument, fMainLayer != nullptr ? fMainLayer->Canvas() : nullptr, hasPath ? path : nullptr);
        return;
    case kCmdUndo:
        Undo(false);
        return;
    case kCmdRedo:
        Undo(true);
        return;
    case kCmdMatchBrightness:
        MatchBrightness();
        return;
    case kCmdAlignSelected:
        AlignSelected();
        return;
    case kCmdAlignAll:
        AlignAll();
        return;
    case kCmdDifferenceMode:
    case kCmdCenterline:
    case kCmdCrosshairs:
    case kCmdSnap: {
        bool* setting = message->what == kCmdDifferenceMode ? &gDifferenceMode
                        : message->what == kCmdCenterline   ? &gHorizonGuide
                        : message->what == kCmdCrosshairs   ? &gCrosshairGuide
                                                            : &gSnapMode;
        *setting = !*setting;
        UpdateCanvas();
        return;
    }
    case kCmdHelp:
        ShowHelp();
        return;
    case kCmdAbout:
        AboutBox(this);
        return;
    case QUOR_MSG_QUIT:
        Quit();
        return;
    default:
        Quor_Wnd::HandleMessage(message);
        return;
    }
}

PanomerWnd::SavePrompt PanomerWnd::AskToSave()
{
    if (!fDocument.fModified)
        return SavePrompt::kClean;
    Quor_String detail;
    if (fDocument.fPath.IsEmpty()) {
        detail = "This panorama has not been saved yet.";
    } else {
        detail = "Your changes to \"";
        detail += fDocument.fPath.Name();
        detail += "\" have not been saved.";
    }
    switch (Quor_Alert(this, kAlertQuestion, "Save changes?", detail, nullptr, "Yes", "No", "Cancel")) {
    case 0:
        SendMessage(kCmdSave);
        return SavePrompt::kSaved;
    case 1:
        // "No" discards the changes only if a command then goes on to replace them.
        return SavePrompt::kDiscard;
    default:
        return SavePrompt::kCancel;
    }
}

void PanomerWnd::UpdateCanvas()
{
    if (fMainLayer == nullptr)
        return;
    // A note on why a command left the photos as they were is out of date once anything changed.
    fMainLayer->Canvas()->SetPhotoNote("");
    fMainLayer->Canvas()->Update(true);
}

void PanomerWnd::UpdateTitle()
{
    // "*earth.qpm - Quor Panomer" while there are unsaved changes, as other editors mark them.
    Quor_String title = fDocument.fModified ? "*" : "";
    if (!fDocument.fPath.IsEmpty()) {
        title += fDocument.fPath.Name();
        title += " - ";
    } else if (fDocument.fModified) {
        title += "Untitled - ";
    }
    title += kTitle;
    if (title != Title())
        SetTitle(title);
}

void PanomerWnd::NewDocument()
{
    if (fMainLayer == nullptr)
        return;
    ClearDocument(Quor_Path(""));
    ResetCanvasView();
    UpdateCanvas();
    fMainLayer->SendMessage(kToolPan);
    fMainLayer->SendMessage(kMsgUpdateTools);
    // The projection carries over, with its whole range as the crop.
    if (const int code = ProjectionCommand(fDocument.fProjectionType))
        fMainLayer->SendMessage(code);
    // Resetting the crop is part of starting afresh, not a change to take back.
    fDocument.ClearHistory();
    fDocument.fModified = false;
    fDocument.MarkClean();
    UpdateTitle();
}

void PanomerWnd::ClearDocument(const Quor_Path& path)
{
    fMainLayer->PhotoList()->Remove(true);
    fDocument.ClearHistory();
    fDocument.fPath = path;
    fDocument.fNumPhotos = 0;
    fDocument.fSelected = -1;
    ClearPivot(&fDocument);
}

void PanomerWnd::ResetCanvasView()
{
    Projection& projection = fMainLayer->Canvas()->CanvasProjection();
    projection.SetZoom(kStartZoom);
    projection.SetOffset(Quor_Vector2(0.0f, 0.0f));
}

void PanomerWnd::OpenWithDialog()
{
    const SavePrompt answer = AskToSave();
    if (answer == SavePrompt::kCancel || (answer == SavePrompt::kSaved && fDocument.fModified))
        return;
    // After "No" the changes stay until a project really replaces them: a cancelled dialog, or
    // a photo chosen for the list, keeps them (and the prompt at quit).
    // A saved project's folder is where the dialog starts (and one of its places).
    const Quor_Path folder = fDocument.fPath.IsEmpty() ? Quor_Path() : fDocument.fPath.Parent();
    if (Quor_App::gApp != nullptr)
        Quor_App::gApp->OpenFileDialog(this, "Open", this, kCmdOpen, "Quor Panomer and JPEG Files",
                                       "*.qpm;*.jpg;*.jpeg", folder.Buffer());
}

void PanomerWnd::OpenDocument(const char* path)
{
    if (fMainLayer == nullptr)
        return;
    const Quor_Path file = Quor_Path(path).Absolute();
    if (IsJpeg(file)) {
        fMainLayer->PhotoList()->OnFileDrop(file, kListDropPoint, 0);
        return;
    }
    // The file is read on the side: a file that is no project, or an open cancelled, leaves the
    // open document, its undo point, the list and the canvas exactly as they were. Decoding the
    // previews of a large project never seen before takes seconds, beside a progress window with
    // Cancel once it takes longer than a moment.
    Quor_Cursor* cursor = Cursor();
    SetCursor(Quor_Cursor::waitCursor);
    OpenResult result = OpenProgress::Open(&fDocument, this, file);
    SetCursor(cursor);
    if (result.status == OpenStatus::kCancelled)
        return;
    std::unique_ptr<PanomerDoc> opened = std::move(result.doc);
    if (!opened) {
        Quor_Alert(this, kAlertExclamation, "Could not open document.",
                   "The file is either corrupt, or is from a newer version of Panomer.", file, "OK");
        return;
    }
    fMainLayer->PhotoList()->Remove(true);
    fDocument.ReplaceWith(*opened);
    opened.reset();
    fDocument.MarkClean();
    ResetCanvasView();
    fMainLayer->ShowDocumentSettings();
    UpdateCanvas();
    fMainLayer->SendMessage(kMsgUpdateTools);
    UpdateTitle();
    ReportMissingPhotos();
}

void PanomerWnd::ReportMissingPhotos(const char* note)
{
    std::string headline, reasons;
    try {
        MissingPhotos missing;
        for (int i = 0; i < fDocument.fNumPhotos && i < kMaxPhotos; ++i) {
            if (!fDocument.fPhotoImage[i].IsValid())
                missing.Add(fDocument.fPhotoPath[i], fDocument.fLoadResult[i]);
        }
        if (missing.Count() == 0)
            return;
        headline = missing.Headline();
        reasons = missing.Reasons();
    } catch (const std::bad_alloc&) {
        // Short of memory the alert still says that photos are missing, without the details.
        headline.clear();
        reasons.clear();
    }
    const int answer = Quor_Alert(
        this, kAlertExclamation, headline.empty() ? "Some photos of this project could not be loaded." : headline.c_str(),
        reasons.empty() ? nullptr : reasons.c_str(),
        note != nullptr ? note : "The project keeps them. Locate... finds them by name in a folder you choose.",
        "Locate...", "OK");
    if (answer != 0 || Quor_App::gApp == nullptr)
        return;
    // Any photo in the folder will do; the dialog starts where the project is.
    const Quor_Path folder = fDocument.fPath.IsEmpty() ? Quor_Path() : fDocument.fPath.Parent();
    Quor_App::gApp->OpenFileDialog(this, "Locate Missing Photos", this, kCmdLocatePhotos, "JPEG Files",
                                   "*.jpg;*.jpeg", folder.Buffer());
}

void PanomerWnd::LocatePhotos(const Quor_Path& folder)
{
    std::vector<int> found;
    try {
        if (!PhotoRelink::Relink(&fDocument, folder, &found)) {
            ReportMissingPhotos("That folder cannot be read.");
            return;
        }
    } catch (const std::bad_alloc&) {
        found.clear();
    }
    int loaded = 0;
    Quor_Cursor* cursor = Cursor();
    SetCursor(Quor_Cursor::waitCursor);
    for (int i : found) {
        fDocument.UpdatePhoto(i, kPreviewSize);
        loaded += fDocument.fPhotoImage[i].IsValid() ? 1 : 0;
    }
    SetCursor(cursor);
    if (!found.empty()) {
        // The new places are the project's from now on: the next save keeps them.
        fDocument.fModified = true;
        UpdateCanvas();
        fMainLayer->SendMessage(kMsgUpdateTools);
        UpdateTitle();
    }
    std::string note;
    if (found.empty())
        note = "None of them is in " + std::string(folder.Name().Buffer()) + " or the folders just inside it.";
    else
        note = std::to_string(loaded) + (loaded == 1 ? " photo was" : " photos were") + " found and loaded.";
    ReportMissingPhotos(note.c_str());
}

bool PanomerWnd::SaveDocument()
{
    if (fDocument.fPath.IsEmpty()) {
        SendMessage(kCmdSaveAs);
        return !fDocument.fModified;
    }
    if (!fDocument.Save()) {
        const char* reason = "Check that the folder exists and can be written, and that the disk is not full.";
        for (int i = 0; i < fDocument.fNumPhotos && i < kMaxPhotos; ++i) {
            if (!PanomerDoc::IsStorablePath(fDocument.fPhotoPath[i])) {
                reason = "A photo's file name contains a double quote, which a project cannot store.";
                break;
            }
        }
        // The document stays modified, so that nothing is lost without a further prompt.
        Quor_Alert(this, kAlertExclamation, "Could not save document.", fDocument.fPath, reason, "OK");
        return false;
    }
    fDocument.fModified = false;
    fDocument.MarkClean();
    UpdateTitle();
    return true;
}

void PanomerWnd::SaveDocumentAs(const char* path)
{
    const Quor_Path file = Quor_Path(path).Absolute();
    // The save dialog has refused the panorama's photos already; a path that reaches the window
    // another way is held to the same rule, since saving would turn the photo into project text.
    if (RefuseOutputOver(this, fDocument, file, "project"))
        return;
    const Quor_Path old = fDocument.fPath;
    fDocument.fPath = file;
    // A failed save keeps the document where it was.
    if (!SaveDocument())
        fDocument.fPath = old;
}

void PanomerWnd::Undo(bool redo)
{
    if (fMainLayer == nullptr || !(redo ? fDocument.CanRedo() : fDocument.CanUndo()))
        return;
    // The document leaves no selection on a photo the undo took away.
    if (redo)
        fDocument.Redo();
    else
        fDocument.Undo();
    // Back where the file is, nothing is left to save.
    fDocument.fModified = !fDocument.IsClean();
    fMainLayer->ShowDocumentSettings();
    UpdateCanvas();
    fMainLayer->SendMessage(kMsgUpdateTools);
}

void PanomerWnd::MatchBrightness()
{
    if (fMainLayer == nullptr || fDocument.fNumPhotos < 2)
        return;
    float matched[kMaxPhotos];
    const int count = std::min(fDocument.fNumPhotos, kMaxPhotos);
    bool changed = false;
    if (BrightnessMatch::Solve(fDocument, CanvasTools::kMinBrightness, CanvasTools::kMaxBrightness, matched)) {
        for (int i = 0; i < count; i++)
            changed = changed || std::fabs(matched[i] - fDocument.fBrightness[i]) > 1e-4f;
    }
    if (!changed) {
        Quor_Beep(0);
        return;
    }
    fDocument.PrepUndo("Match Brightness");
    for (int i = 0; i < count; i++) {
        if (std::fabs(matched[i] - fDocument.fBrightness[i]) <= 1e-4f)
            continue;
        fDocument.fBrightness[i] = matched[i];
        // The preview carries the brightness; only photos that were shown are shown again.
        if (fDocument.fPhotoImage[i].IsValid())
            fDocument.UpdatePhoto(i, kPreviewSize);
    }
    fDocument.fModified = true;
    UpdateCanvas();
    fMainLayer->SendMessage(kMsgUpdateTools);
}

namespace {

static_assert(PhotoAlign::kPitchLimit == CanvasTools::kPitchLimit, "alignment keeps the canvas's pitch limit");

// Why a photo stayed where it was, for the canvas.
const char* NotAlignedNote(PhotoAlign::Outcome outcome)
{
    switch (outcome) {
    case PhotoAlign::Outcome::kNoOverlap:
        return "Not aligned: the photo overlaps no other photo";
    case PhotoAlign::Outcome::kNoMatch:
        return "Not aligned: no good match found with the photos it overlaps";
    case PhotoAlign::Outcome::kNoPixels:
        return "Not aligned: the photo is not loaded";
    case PhotoAlign::Outcome::kAligned:
        break;
    }
    return "";
}

// Why photos stayed where they were after Align All, reason by reason ("Not aligned: 1 photo
// overlaps no other photo, 2 photos found no good match"); empty when every photo was aligned.
std::string NotAlignedNote(const PhotoAlign::Outcome* outcomes, int count)
{
    const struct {
        PhotoAlign::Outcome outcome;
        const char* one;
        const char* many;
    } reasons[] = {
        {PhotoAlign::Outcome::kNoOverlap, " photo overlaps no other photo", " photos overlap no other photo"},
        {PhotoAlign::Outcome::kNoMatch, " photo found no good match", " photos found no good match"},
        {PhotoAlign::Outcome::kNoPixels, " photo is not loaded", " photos are not loaded"},
    };
    std::string note;
    for (const auto& reason : reasons) {
        const int n = static_cast<int>(std::count(outcomes, outcomes + count, reason.outcome));
        if (n == 0)
            continue;
        note += note.empty() ? "Not aligned: " : ", ";
        note += std::to_string(n) + (n == 1 ? reason.one : reason.many);
    }
    return note;
}

}  // namespace

void PanomerWnd::AlignSelected()
{
    const int selected = fDocument.fSelected;
    if (fMainLayer == nullptr || Busy() || fDocument.fNumPhotos < 2 || selected < 0 || selected >= fDocument.fNumPhotos)
        return;
    PhotoAlign align;
    PhotoAlign::Result result;
    const bool ready = align.Setup(fDocument, selected);
    if (ready)
        result = align.Align(fDocument, selected);
    if (!ready || result.outcome != PhotoAlign::Outcome::kAligned) {
        fMainLayer->Canvas()->SetPhotoNote(ready ? NotAlignedNote(result.outcome) : "Not aligned: out of memory");
        fMainLayer->Canvas()->Update(false);
        return;
    }
    fDocument.PrepUndo("Align");
    fDocument.fYaw[selected] = result.yaw;
    fDocument.fPitch[selected] = result.pitch;
    fDocument.fRoll[selected] = result.roll;
    fDocument.fModified = true;
    UpdateCanvas();
    fMainLayer->SendMessage(kMsgUpdateTools);
}

void PanomerWnd::AlignAll()
{
    if (fMainLayer == nullptr || Busy() || fDocument.fNumPhotos < 2)
        return;
    // Reading the files and two rounds over a dozen photos take seconds: the work runs beside a
    // progress window with Cancel, on its own copy of the placements, which come back here only
    // once it has finished.
    const AlignResult result = AlignProgress::Align(&fDocument, this);
    PanomerView* canvas = fMainLayer->Canvas();
    switch (result.status) {
    case AlignStatus::kNoMemory:
        canvas->SetPhotoNote("Not aligned: out of memory");
        canvas->Update(false);
        return;
    case AlignStatus::kCancelled:
        canvas->SetPhotoNote("Align All cancelled");
        canvas->Update(false);
        return;
    case AlignStatus::kDone:
        break;
    }
    canvas->SetPhotoNote(NotAlignedNote(result.outcomes, result.count));
    // Nothing changes the photos under the modal window; were they changed anyway, the run's
    // placements would belong to other photos.
    if (result.moved == 0 || result.count != std::min(fDocument.fNumPhotos, kMaxPhotos)) {
        canvas->Update(false);
        return;
    }
    fDocument.PrepUndo("Align All");
    std::copy(result.placements.yaw, result.placements.yaw + result.count, fDocument.fYaw);
    std::copy(result.placements.pitch, result.placements.pitch + result.count, fDocument.fPitch);
    std::copy(result.placements.roll, result.placements.roll + result.count, fDocument.fRoll);
    fDocument.fModified = true;
    canvas->Update(true);
    fMainLayer->SendMessage(kMsgUpdateTools);
}

void PanomerWnd::Quit()
{
    // The framework holds the desktop's request while a modal window runs; a request that still
    // arrives then must not pull the document from under an export.
    if (Busy())
        return;
    switch (AskToSave()) {
    case SavePrompt::kClean:
    case SavePrompt::kDiscard:
        if (Quor_App::gApp != nullptr)
            Quor_App::gApp->Quit();
        else
            Quor_EventLoop::RequestQuit();
        return;
    case SavePrompt::kSaved:
    case SavePrompt::kCancel:
        return;
    }
}

void PanomerWnd::ShowHelp()
{
    Quor_Path help = Quor_App::AppDir();
    help.Append("help.html");
    if (!Exists(help)) {
        Quor_Alert(this, kAlertExclamation, "The help page is missing.", help, nullptr, "OK");
        return;
    }
    if (Quor_App::LaunchFile(help) != 0)
        Quor_Alert(this, kAlertExclamation, "Could not open the help page.", help,
                   "No program to show web pages was found.", "OK");
}
