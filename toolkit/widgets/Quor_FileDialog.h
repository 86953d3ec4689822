// The open and save dialogs, drawn with the toolkit's widgets: a folder's entries with their
// sizes and dates (folders first, then files in the order of the column chosen, special files
// left out and hidden files until Ctrl+H shows them), the caller's file types to filter by, a
// path field to type or paste a folder or a full path (Tab completes it), a name field when
// saving, places to jump to, a parent-folder and a home button, New Folder when saving,
// type-ahead in the list, and a confirmation before an existing file is replaced. The window can
// be resized. Names are the file system's bytes throughout, shown as UTF-8.
// Quor_RegisterWidgetDialogs hands them to the application object, whose OpenFileDialog and
// SaveFileDialog then show them.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "toolkit/core/Quor_String.h"
#include "toolkit/framework/Quor_FileDialogHook.h"
#include "toolkit/framework/Quor_FilePlaces.h"
#include "toolkit/widgets/Quor_Dialog.h"
#include "toolkit/widgets/Quor_FileList.h"

class Quor_Button;
class Quor_DynamicText;
class Quor_FileColumnHeads;
class Quor_PopupMenu;
class Quor_ShortButton;
class Quor_StaticText;
class Quor_TextControl;
class Quor_TextList;

class Quor_FileDialog : public Quor_Dialog {
public:
    // Typed letters within this time of each other jump to a name starting with all of them.
    static constexpr int kTypeAheadMicros = 1000000;

    // The window's size when first shown, and the least it can be made.
    static constexpr int kDefaultWidth = 780;
    static constexpr int kDefaultHeight = 480;
    static constexpr int kMinWidth = 540;
    static constexpr int kMinHeight = 340;

    struct Entry {
        Quor_String name;   // the file system's bytes
        bool folder = false;
        uint64_t size = 0;
        int64_t modified = 0;   // seconds since 1970
    };
    // The columns the list can be sorted by.
    enum Column { kByName = 0, kBySize = 1, kByModified = 2 };
    // What Tab did in a field: nothing to complete (the focus moves on), completed, or beeped.
    enum class Completion { kNothing, kCompleted, kNoMatch };

    // request.defaultName is the proposed name of a save dialog; a path in it (or a folder, for
    // either dialog) also gives the folder to start in. The chosen full path is written to
    // *chosen when the dialog ends with OK.
    Quor_FileDialog(const Quor_FileDialogRequest& request, Quor_String* chosen);
    ~Quor_FileDialog() override;

    // OK decides what Return or the OK button means here, from the path field, the name field or
    // the list, whichever was edited or chosen last: a typed folder is entered, a folder selected
    // in the list is opened, and a file is chosen (after the replacement is confirmed when
    // saving). A name that would be hidden, is blank or is too long is refused with a message.
    // Only a chosen file ends the dialog. The list's code picks and opens rows,
    // the parent button goes up. Everything else goes on up.
    void HandleMessage(Quor_Message* message) override;
    // Letters typed into the list jump to a matching name, "/" and "~" start a path in the path
    // field, and Backspace there goes up a folder.
    // Ctrl+H shows or hides hidden files, anywhere; Tab in the path or name field completes.
    void OnKeyDown(int key, unsigned int modifiers) override;
    void OnEndDialog(int code) override;
    // The first layout gives the size the dialog had when last closed (or the default); later
    // ones keep the size it has. Every control is placed for the size by Arrange.
    void DoLayout() override;
    void OnResize(Quor_Point oldSize, Quor_Point newSize) override;
    // A resized layer is attached again: the focus stays where the user left it.
    void AttachedToWindow() override;

    // False when a part of the form could not be made (memory ran out).
    bool IsReady() const;
    // Shows a folder. False, with a message in the dialog and a beep, when it cannot be read;
    // the dialog then stays in the folder it showed.
    bool EnterFolder(const char* folder);
    const Quor_String& Folder() const { return fFolder; }
    const std::vector<Entry>& Entries() const { return fEntries; }
    bool IsSave() const { return fSave; }
    Quor_TextControl* PathField() const { return fPathField; }
    Quor_TextControl* NameField() const { return fNameField; }
    Quor_FileList* List() const { return fList; }
    Quor_FileColumnHeads* Heads() const { return fHeads; }
    Quor_FileList* PlacesList() const { return fPlacesList; }
    const std::vector<Quor_FilePlaces::Place>& Places() const { return fPlaces; }
    Quor_PopupMenu* FilterMenu() const { return fFilterMenu; }
    Quor_Button* OKButtonView() const { return fOKButton; }
    Quor_Button* CancelButtonView() const { return fCancelButton; }
    Quor_Button* NewFolderButton() const { return fNewFolderButton; }
    Quor_ShortButton* ParentButton() const { return fParentButton; }
    Quor_ShortButton* HomeButton() const { return fHomeButton; }
    // The message shown under the list ("" for none).
    const Quor_String& Status() const;

    // Sorts by a column; the column already sorted by is reversed instead.
    void SortBy(int column);
    // Files are shown when they match the caller's patterns (true) or all of them (false);
    // folders always show.
    void SetFiltered(bool filtered);
    bool IsFiltered() const { return fFiltered; }
    // Whether hidden files show, in every file dialog of this run of the program.
    static bool ShowsHidden();
    void SetShowHidden(bool show);
    // Makes a folder of this name in the folder shown and enters it; false with the reason in
    // the status line (and a beep) when it cannot be made.
    bool MakeFolder(const char* name);
    // What Tab does in the field.
    Completion Complete(Quor_TextControl* field);

    // --- Paths (byte strings, "/" separated) ---------------------------------------------------
    // A typed path: blanks trimmed, "~" for the home folder, relative to `folder` unless it
    // starts with "/", with "." and ".." and doubled slashes taken out.
    static Quor_String ResolvePath(const char* typed, const char* folder);
    static Quor_String Join(const char* folder, const char* name);
    static Quor_String ParentOf(const char* path);
    // The folder's files and folders, sorted by name as SortEntries does (special files, dangling
    // links and, unless asked for, hidden names left out); false when it cannot be listed.
    static bool ListFolder(const char* folder, std::vector<Entry>* entries, bool hidden = false);
    // Folders first, then files; each part by the column (names in Quor_FileLister's order,
    // ties by name), the other way round when reversed.
    static void SortEntries(std::vector<Entry>* entries, int column, bool reversed);
    // Whether a name matches one of ";"-separated patterns ("*.qpm;*.jpg"), ASCII letters in any
    // case; "*" stands for any run of bytes and "?" for one. No patterns match everything.
    static bool MatchesPatterns(const char* name, const char* patterns);
    // A size as people read it: "512 bytes", "1.2 kB", "3.4 MB" (powers of 1000).
    static Quor_String SizeText(uint64_t bytes);
    // A time in local time: "2026-12-07 14:03".
    static Quor_String DateText(int64_t seconds);
    // The path with the first of `extensions` (".jpg;.jpeg") appended, unless its name already
    // ends in one of them (in any ASCII case) or no extensions are given.
    static Quor_String WithExtension(const char* path, const char* extensions);

private:
    void BuildForm(const char* name);
    void BuildPlaces();
    // Places every control for the dialog's size.
    void Arrange(Quor_Point size);
    // Shows the entries of fListed that pass the filters, in the order chosen, keeping the row
    // of `keep` selected when it is still shown.
    void ShowEntries(const char* keep = nullptr);
    void AskNewFolder();
    // Marks the place that is the folder shown, if one is.
    void MarkPlace();
    void SetStatus(const char* text, bool beep);
    // What OK means now; true when a file was chosen and the dialog may end.
    bool Decide();
    bool Activate(int row);
    // Ends with this file once it may be used (an existing one replaced only when confirmed).
    bool TryChoose(const Quor_String& path);
    // The name field's text without the blanks around it.
    Quor_String TypedName() const;
    // Shows a name in the name field, as a choice the user made.
    void SetName(const char* name);
    // Why a file may not be saved at this path, or "" when it may.
    static Quor_String NameProblem(const char* path);
    bool PathFieldEdited() const;
    void TypeAhead(int key);
    void ShowPath();

    bool fSave;
    Quor_String* fChosenOut;
    Quor_String fChosen;
    Quor_String fFolder;
    // Everything the folder holds (hidden names too), and what of it is shown.
    std::vector<Entry> fListed;
    std::vector<Entry> fEntries;
    Quor_TextControl* fPathField;
    Quor_TextControl* fNameField;
    Quor_StaticText* fNameLabel;
    Quor_FileList* fList;
    Quor_FileColumnHeads* fHeads;
    Quor_FileList* fPlacesList;
    Quor_PopupMenu* fFilterMenu;
    Quor_DynamicText* fStatus;
    Quor_Button* fOKButton;
    Quor_Button* fCancelButton;
    Quor_Button* fNewFolderButton;
    Quor_ShortButton* fParentButton;
    Quor_ShortButton* fHomeButton;
    std::vector<Quor_FilePlaces::Place> fPlaces;
    int fSortColumn = kByName;
    bool fSortReversed = false;
    // The caller's patterns ("" for none) and whether they filter now.
    Quor_String fPatterns;
    bool fFiltered = false;
    bool fLaidOut = false;
    // Whether the user typed in the name field since the dialog last set it.
    bool fNameTyped = false;
    // The fields' texts when last heard from, to tell an edit from a lost focus, and whether the
    // path field was edited after the name field and the list.
    Quor_String fPathSeen;
    Quor_String fNameSeen;
    bool fPathDecides = false;
    Quor_String fTyped;
    uint64_t fLastTypedMicros;
    // Counts listings, so that a double click spans one listing only.
    unsigned int fGeneration = 0;
    int fLastPickRow = -1;
    unsigned int fLastPickGeneration = 0;
    // What a save dialog's file must end in, and the caller's check of the final path.
    Quor_String fExtensions;
    std::function<bool(const char* path)> fAccept;
};

// Makes every program that links the widgets show these dialogs for the application object's
// OpenFileDialog and SaveFileDialog. Call once at start, before the dialogs are needed.
void Quor_RegisterWidgetDialogs();
// The hook itself: runs the dialog modally; 0 with *path set when a file was chosen, 1 when the
// user cancelled, QUOR_ERR_MEMORY when it cannot be shown.
int Quor_RunFileDialog(const Quor_FileDialogRequest& request, Quor_String* path);
