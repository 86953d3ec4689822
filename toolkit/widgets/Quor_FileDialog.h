// The open and save dialogs, drawn with the toolkit's widgets: a folder's entries (folders first,
// then files, by name, hidden files and special files left out), a path field to type or paste
// a folder or a full path, a name field when saving, a parent-folder button, type-ahead in the
// list, and a confirmation before an existing file is replaced. Names are the file system's
// bytes throughout, shown as UTF-8. Quor_RegisterWidgetDialogs hands them to the
// application object, whose OpenFileDialog and SaveFileDialog then show them.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "toolkit/core/Quor_String.h"
#include "toolkit/framework/Quor_FileDialogHook.h"
#include "toolkit/widgets/Quor_Dialog.h"

class Quor_Button;
class Quor_DynamicText;
class Quor_ShortButton;
class Quor_TextControl;
class Quor_TextList;

class Quor_FileDialog : public Quor_Dialog {
public:
    // Typed letters within this time of each other jump to a name starting with all of them.
    static constexpr int kTypeAheadMicros = 1000000;

    struct Entry {
        Quor_String name;   // the file system's bytes
        bool folder = false;
    };

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
    // Letters typed into the list jump to a matching name; Backspace there goes up a folder.
    void OnKeyDown(int key, unsigned int modifiers) override;
    void OnEndDialog(int code) override;

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
    Quor_TextList* List() const { return fList; }
    Quor_Button* OKButtonView() const { return fOKButton; }
    Quor_Button* CancelButtonView() const { return fCancelButton; }
    Quor_ShortButton* ParentButton() const { return fParentButton; }
    // The message shown under the list ("" for none).
    const Quor_String& Status() const;

    // --- Paths (byte strings, "/" separated) ---------------------------------------------------
    // A typed path: blanks trimmed, "~" for the home folder, relative to `folder` unless it
    // starts with "/", with "." and ".." and doubled slashes taken out.
    static Quor_String ResolvePath(const char* typed, const char* folder);
    static Quor_String Join(const char* folder, const char* name);
    static Quor_String ParentOf(const char* path);
    // The folder's files and folders in the order shown (hidden names, special files and
    // dangling links left out); false when it cannot be listed.
    static bool ListFolder(const char* folder, std::vector<Entry>* entries);
    // The path with the first of `extensions` (".jpg;.jpeg") appended, unless its name already
    // ends in one of them (in any ASCII case) or no extensions are given.
    static Quor_String WithExtension(const char* path, const char* extensions);

private:
    void BuildForm(const char* name);
    void ShowEntries();
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
    std::vector<Entry> fEntries;
    Quor_TextControl* fPathField;
    Quor_TextControl* fNameField;
    Quor_TextList* fList;
    Quor_DynamicText* fStatus;
    Quor_Button* fOKButton;
    Quor_Button* fCancelButton;
    Quor_ShortButton* fParentButton;
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
