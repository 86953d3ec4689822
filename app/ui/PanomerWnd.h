// The editor's one document window: it owns the project document, holds the main layer and
// carries out the file, edit, guide, help and quit commands with their prompts, so that no
// command loses unsaved work without asking.
#pragma once

#include "app/core/PanomerDoc.h"
#include "toolkit/core/Quor_Path.h"
#include "toolkit/framework/Quor_Wnd.h"

class PanomerMainLayer;

class PanomerWnd : public Quor_Wnd {
public:
    // The minimum content size, so that every control stays reachable.
    static constexpr int kMinWidth = 716;
    static constexpr int kMinHeight = 300;

    // Shows the window at `frame`; `path`, when not empty, is opened once the window exists (a
    // project, or a JPEG for the photo list).
    PanomerWnd(Quor_Rect frame, const char* path);
    ~PanomerWnd() override;

    void HandleMessage(Quor_Message* message) override;
    void OnCreate() override;
    // Asks about unsaved work; never while an export (or any modal window) runs.
    bool CloseOK() override;
    // Hides the window and ends the application.
    void OnClose() override;
    void GetMinMaxSize(Quor_Point* min, Quor_Point* max) override;
    // A JPEG dropped anywhere goes to the photo list; any image dropped on the list does.
    void OnFileDrop(const char* path, Quor_Point where, unsigned int modifiers) override;

    PanomerDoc* Document() { return &fDocument; }
    PanomerMainLayer* MainLayer() const { return fMainLayer; }

private:
    // The answer to the save-changes prompt.
    enum class SavePrompt { kClean, kSaved, kDiscard, kCancel };

    // Asks "Save changes?" when the document is modified; "Yes" saves at once.
    SavePrompt AskToSave();
    void NewDocument();
    void OpenDocument(const char* path);
    // After opening: one alert naming the photos that could not be loaded, and why.
    // Names the photos that could not be loaded, with the reasons, and offers to look for them;
    // `note` (may be null) says how the last look went.
    void ReportMissingPhotos(const char* note = nullptr);
    // Points the missing photos at files of their names in `folder` (or one level below), loads
    // them, and reports the ones still missing.
    void LocatePhotos(const Quor_Path& folder);
    // Empties the photo list and the document (no photos, no selection, no pivot, no undo) and
    // gives it `path`; the modified flag is the caller's.
    void ClearDocument(const Quor_Path& path);
    // The canvas at its starting zoom, not scrolled.
    void ResetCanvasView();
    void OpenWithDialog();
    // Saves to the document's path (or asks for one); false, with an alert, when it fails.
    bool SaveDocument();
    void SaveDocumentAs(const char* path);
    // Takes the newest change back (or, with `redo`, does again the last one taken back), shows
    // the document's projection and focal length again and redraws.
    void Undo(bool redo);
    // Sets the photos' brightness so that overlapping photos agree, as one undoable step; beeps
    // when nothing would change.
    void MatchBrightness();
    // Turns the selected photo, or every photo (twice over), to agree best with the
    // photos it overlaps, as one undoable step. A photo that stays put says why in the canvas.
    void AlignSelected();
    void AlignAll();
    void Quit();
    void ShowHelp();
    // Redraws everything of the canvas.
    void UpdateCanvas();
    void UpdateTitle();
    // Whether an export or another modal window runs over this one.
    bool Busy() const;

    PanomerDoc fDocument;
    Quor_Path fStartupPath;
    PanomerMainLayer* fMainLayer;
};
