#include "toolkit/widgets/Quor_FileDialog.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "toolkit/core/Quor_Ascii.h"
#include "toolkit/core/Quor_Beep.h"
#include "toolkit/core/Quor_Message.h"
#include "toolkit/core/Quor_Utf8.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_FileLister.h"
#include "toolkit/framework/Quor_LayoutView.h"
#include "toolkit/framework/platform/Quor_Host.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/widgets/Quor_Button.h"
#include "toolkit/widgets/Quor_DynamicText.h"
#include "toolkit/widgets/Quor_FileDialogConfirm.h"
#include "toolkit/widgets/Quor_ShortButton.h"
#include "toolkit/widgets/Quor_StaticText.h"
#include "toolkit/widgets/Quor_TextControl.h"
#include "toolkit/widgets/Quor_TextList.h"

namespace {

// Codes of the dialog's own controls; they stop at the dialog.
constexpr int kListCode = -1101;
constexpr int kParentCode = -1102;
constexpr int kPathCode = -1103;
constexpr int kNameCode = -1104;

constexpr int kListWidth = 480;
constexpr int kListHeight = 260;
constexpr unsigned int kFixed = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP;

// The user settings key under which the last folder a file was chosen in is kept.
constexpr const char* kFolderKey = "FileDialogFolder";

using Kind = Quor_FileLister::Kind;

Kind KindOf(const char* path)
{
    return Quor_FileLister::KindOf(path);
}

// Names compare without regard to ASCII case; exact bytes break ties.
bool NameBefore(const Quor_FileDialog::Entry& a, const Quor_FileDialog::Entry& b)
{
    if (a.folder != b.folder)
        return a.folder;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(a.name.Buffer());
    const unsigned char* q = reinterpret_cast<const unsigned char*>(b.name.Buffer());
    for (; *p != 0 && *q != 0; ++p, ++q) {
        const int x = Quor_Ascii::Lower(*p);
        const int y = Quor_Ascii::Lower(*q);
        if (x != y)
            return x < y;
    }
    if (*p != *q)
        return *p == 0;
    return std::strcmp(a.name.Buffer(), b.name.Buffer()) < 0;
}

bool StartsWithIgnoringCase(const char* text, const char* prefix)
{
    for (; *prefix != 0; ++prefix, ++text) {
        if (*text == 0 ||
            Quor_Ascii::Lower(static_cast<unsigned char>(*text)) != Quor_Ascii::Lower(static_cast<unsigned char>(*prefix)))
            return false;
    }
    return true;
}

Quor_String LastComponent(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    return Quor_String(slash != nullptr ? slash + 1 : path);
}

// Why a folder cannot be shown, in a sentence for the dialog.
Quor_String FolderProblem(const char* folder)
{
    const Quor_String name(folder);
    switch (KindOf(folder)) {
    case Kind::kMissing:
        return "There is no folder " + name + ".";
    case Kind::kFile:
    case Kind::kOther:
        return name + " is not a folder.";
    default:
        return "The folder " + name + " cannot be read.";
    }
}

}  // namespace

Quor_FileDialog::Quor_FileDialog(const Quor_FileDialogRequest& request, Quor_String* chosen)
    : Quor_Dialog(request.title != nullptr && *request.title != '\0' ? request.title
                  : request.save                                         ? "Save File"
                                                                         : "Open File",
                  request.parent),
      fSave(request.save),
      fChosenOut(chosen),
      fPathField(nullptr),
      fNameField(nullptr),
      fList(nullptr),
      fStatus(nullptr),
      fOKButton(nullptr),
      fCancelButton(nullptr),
      fParentButton(nullptr),
      fLastTypedMicros(0),
      fExtensions(request.extensions != nullptr ? request.extensions : ""),
      fAccept(request.accept)
{
    // A proposed name with a folder in it starts the dialog there.
    Quor_String start;
    Quor_String name;
    const char* proposal = request.defaultName != nullptr ? request.defaultName : "";
    if (std::strchr(proposal, '/') != nullptr) {
        const Quor_String full = ResolvePath(proposal, Quor_FileLister::CurrentFolder());
        if (KindOf(full) == Kind::kFolder) {
            start = full;
        } else {
            start = ParentOf(full);
            name = LastComponent(full);
        }
    } else {
        name = proposal;
    }
    BuildForm(name);

    // Where to start: the proposal's folder, the last folder a file was chosen in, the working
    // folder, the home folder, the root.
    Quor_String candidates[5];
    candidates[0] = start;
    if (Quor_App::gApp != nullptr)
        Quor_App::gApp->Prefs()->Get(kFolderKey, &candidates[1]);
    candidates[2] = Quor_FileLister::CurrentFolder();
    candidates[3] = Quor_FileLister::HomeFolder();
    candidates[4] = "/";
    for (const Quor_String& candidate : candidates) {
        if (candidate.IsEmpty() || candidate.GetAt(0) != '/')
            continue;
        std::vector<Entry> entries;
        if (ListFolder(candidate, &entries)) {
            fFolder = ResolvePath(candidate, "/");
            fEntries = std::move(entries);
            break;
        }
    }
    if (fFolder.IsEmpty()) {
        fFolder = "/";
        SetStatus(FolderProblem("/"), false);
    }
    ShowPath();
    ShowEntries();
}

Quor_FileDialog::~Quor_FileDialog() = default;

void Quor_FileDialog::BuildForm(const char* name)
{
    auto* form = new (std::nothrow) Quor_LayoutView(Quor_LayoutView::kVertical, 8, Quor_Point(12, 12));
    if (form == nullptr)
        return;
    fParentButton = new (std::nothrow) Quor_ShortButton("Up", kParentCode, 48, kFixed);
    const int parentWidth = fParentButton != nullptr ? fParentButton->Shape().x : 0;
    fPathField = new (std::nothrow) Quor_TextControl(kListWidth - parentWidth - 6, "", kPathCode,
                                                     Quor_TextControl::kText, kFixed);
    AddSideBySide(form, QUOR_LAYOUT_NONE, 6, fParentButton, fPathField);

    fList = new (std::nothrow) Quor_TextList(kListCode, kFixed);
    if (fList != nullptr) {
        fList->SetShape(kListWidth, kListHeight);
        form->AddChild(fList, QUOR_LAYOUT_NONE);
    }
    fStatus = new (std::nothrow) Quor_DynamicText("", kListWidth, QUOR_ALIGN_LEFT, kFixed);
    if (fStatus != nullptr)
        form->AddChild(fStatus, QUOR_LAYOUT_NONE);

    if (fSave) {
        auto* label = new (std::nothrow) Quor_StaticText("Name:", QUOR_ALIGN_LEFT, kFixed);
        const int labelWidth = label != nullptr ? label->Shape().x : 0;
        fNameField = new (std::nothrow) Quor_TextControl(kListWidth - labelWidth - 6, name, kNameCode,
                                                         Quor_TextControl::kText, kFixed);
        AddSideBySide(form, QUOR_LAYOUT_NONE, 6, label, fNameField);
    }
    // Both fields report every edit, so that the one edited last decides what OK means.
    for (Quor_TextControl* field : {fPathField, fNameField}) {
        if (field != nullptr)
            field->SetConstantMessages(true);
    }
    fNameSeen = name;

    AddCancelConfirmRow(form, fSave ? "Save" : "Open", &fCancelButton, &fOKButton);
    AddChild(form);

    SetFocusView(fSave ? static_cast<Quor_View*>(fNameField) : static_cast<Quor_View*>(fList));
}

bool Quor_FileDialog::IsReady() const
{
    return fPathField != nullptr && fList != nullptr && fStatus != nullptr && fOKButton != nullptr &&
           fCancelButton != nullptr && fParentButton != nullptr && (!fSave || fNameField != nullptr);
}

const Quor_String& Quor_FileDialog::Status() const
{
    static const Quor_String kNone;
    return fStatus != nullptr ? fStatus->Value() : kNone;
}

void Quor_FileDialog::SetStatus(const char* text, bool beep)
{
    if (fStatus != nullptr)
        fStatus->SetValue(text);
    if (beep)
        Quor_Beep(1);
}

void Quor_FileDialog::ShowPath()
{
    if (fPathField != nullptr)
        fPathField->SetValue(fFolder);
    fPathSeen = fFolder;
    fPathDecides = false;
}

void Quor_FileDialog::SetName(const char* name)
{
    if (fNameField == nullptr)
        return;
    fNameField->SetValue(name);
    fNameSeen = fNameField->Value();
}

void Quor_FileDialog::ShowEntries()
{
    ++fGeneration;
    if (fList == nullptr)
        return;
    // One batch and one redraw: a folder of thousands of photos lists at once.
    std::vector<Quor_String> rows;
    try {
        rows.reserve(fEntries.size());
        for (const Entry& entry : fEntries) {
            rows.emplace_back(entry.name);
            if (entry.folder)
                rows.back() += "/";
        }
    } catch (const std::bad_alloc&) {
        rows.clear();
        fEntries.clear();
        SetStatus("There is not enough memory to list this folder.", true);
    }
    fList->SetItems(&rows, 0);
}

bool Quor_FileDialog::EnterFolder(const char* folder)
{
    const Quor_String path = ResolvePath(folder, fFolder);
    std::vector<Entry> entries;
    if (!ListFolder(path, &entries)) {
        SetStatus(FolderProblem(path), true);
        return false;
    }
    fFolder = path;
    fEntries = std::move(entries);
    fTyped = "";
    SetStatus("", false);
    ShowPath();
    ShowEntries();
    return true;
}

bool Quor_FileDialog::PathFieldEdited() const
{
    return fPathField != nullptr && std::strcmp(fPathField->Value(), fFolder) != 0;
}

Quor_String Quor_FileDialog::TypedName() const
{
    if (fNameField == nullptr)
        return Quor_String("");
    Quor_String typed(fNameField->Value());
    typed.TrimLeft();
    typed.TrimRight();
    return typed;
}

bool Quor_FileDialog::Decide()
{
    if (fPathDecides && PathFieldEdited()) {
        const Quor_String path = ResolvePath(fPathField->Value(), fFolder);
        if (KindOf(path) == Kind::kFolder) {
            EnterFolder(path);
            return false;
        }
        if (fSave && KindOf(ParentOf(path)) != Kind::kFolder) {
            SetStatus(FolderProblem(ParentOf(path)), true);
            return false;
        }
        if (fSave)
            SetName(LastComponent(path));
        return TryChoose(path);
    }
    // The name field or the list decides: what is left in the path field is dropped.
    if (PathFieldEdited())
        ShowPath();
    const bool listFocused = FocusView() == fList;
    const int row = fList != nullptr && fList->IsEnabled() ? fList->SelItem() : -1;
    if (row >= 0 && row < static_cast<int>(fEntries.size()) && (!fSave || (listFocused && fEntries[row].folder)))
        return Activate(row);
    if (!fSave) {
        SetStatus("Choose a file.", true);
        return false;
    }
    const Quor_String name = TypedName();
    if (name.IsEmpty()) {
        SetStatus("Type a name for the file.", true);
        return false;
    }
    return TryChoose(ResolvePath(name, fFolder));
}

bool Quor_FileDialog::Activate(int row)
{
    if (row < 0 || row >= static_cast<int>(fEntries.size()))
        return false;
    const Entry entry = fEntries[row];
    const Quor_String path = Join(fFolder, entry.name);
    if (entry.folder) {
        EnterFolder(path);
        return false;
    }
    if (fSave)
        SetName(entry.name);
    return TryChoose(path);
}

// Why a file may not be saved under this name, or "" when it may.
Quor_String Quor_FileDialog::NameProblem(const char* path)
{
    const Quor_String name = LastComponent(path);
    if (name.IsEmpty())
        return "Type a name for the file.";
    if (name.GetAt(0) == '.')
        return "A name starting with \".\" would hide the file; choose another.";
    const int longest = Quor_FileLister::LongestName(ParentOf(path));
    if (name.Length() > longest) {
        Quor_String problem("The name is too long: this folder takes at most ");
        problem += longest;
        problem += " bytes.";
        return problem;
    }
    return "";
}

bool Quor_FileDialog::TryChoose(const Quor_String& path)
{
    const Kind kind = KindOf(path);
    if (kind == Kind::kFolder) {
        EnterFolder(path);
        return false;
    }
    const Quor_String name = LastComponent(path);
    if (!fSave) {
        if (kind == Kind::kOther) {
            SetStatus(name + " is not a file.", true);
            return false;
        }
        if (kind != Kind::kFile) {
            SetStatus("There is no file named " + name + ".", true);
            return false;
        }
        fChosen = path;
        return true;
    }
    if (KindOf(ParentOf(path)) != Kind::kFolder) {
        SetStatus(FolderProblem(ParentOf(path)), true);
        return false;
    }
    // Everything below is about the name the file will really have.
    const Quor_String final = WithExtension(path, fExtensions);
    const Kind finalKind = KindOf(final);
    const Quor_String finalName = LastComponent(final);
    if (finalKind == Kind::kFolder) {
        SetStatus(finalName + " is a folder.", true);
        return false;
    }
    if (const Quor_String problem = NameProblem(final); !problem.IsEmpty()) {
        SetStatus(problem, true);
        return false;
    }
    if (fAccept && !fAccept(final.Buffer()))
        return false;
    if (finalKind == Kind::kOther) {
        SetStatus(finalName + " is not a file that can be replaced.", true);
        return false;
    }
    if (finalKind == Kind::kFile) {
        const Quor_String question = "A file named \"" + finalName + "\" already exists.";
        if (!Quor_FileDialogConfirm::Ask(question, "Replacing it overwrites what it holds.", "Replace", Window()))
            return false;
    }
    fChosen = final;
    return true;
}

Quor_String Quor_FileDialog::WithExtension(const char* path, const char* extensions)
{
    const Quor_String name = LastComponent(path);
    const char* list = extensions != nullptr ? extensions : "";
    const char* first = nullptr;
    size_t firstLength = 0;
    while (*list != '\0') {
        const char* end = std::strchr(list, ';');
        const size_t length = end != nullptr ? static_cast<size_t>(end - list) : std::strlen(list);
        if (length > 0) {
            if (first == nullptr) {
                first = list;
                firstLength = length;
            }
            const size_t nameLength = std::strlen(name.Buffer());
            // A name that is only the extension (".jpg") is not a name with that extension.
            if (nameLength > length &&
                StartsWithIgnoringCase(name.Buffer() + nameLength - length, std::string(list, length).c_str()))
                return Quor_String(path);
        }
        list = end != nullptr ? end + 1 : list + length;
    }
    if (first == nullptr)
        return Quor_String(path);
    return Quor_String(path) + std::string(first, firstLength).c_str();
}

void Quor_FileDialog::HandleMessage(Quor_Message* message)
{
    switch (message->what) {
    case QUOR_MSG_OK:
        if (Decide())
            Quor_Dialog::HandleMessage(message);
        return;
    case kListCode: {
        const int row = fList != nullptr ? fList->SelItem() : -1;
        bool doubleClick = false;
        message->Get("doubleclick", &doubleClick);
        // The second press of a double click counts only on the row its first press picked, in
        // the same listing: a third quick press after entering a folder opens nothing.
        const bool sameAsFirst = row == fLastPickRow && fGeneration == fLastPickGeneration;
        fLastPickRow = row;
        fLastPickGeneration = fGeneration;
        if (row < 0 || row >= static_cast<int>(fEntries.size()))
            return;
        fPathDecides = false;
        if (doubleClick && sameAsFirst) {
            if (Activate(row)) {
                Quor_Message ok(QUOR_MSG_OK);
                Quor_Dialog::HandleMessage(&ok);
            }
            return;
        }
        if (fSave && !fEntries[row].folder)
            SetName(fEntries[row].name);
        return;
    }
    case kParentCode:
        EnterFolder(ParentOf(fFolder));
        return;
    case kPathCode:
        // Sent for every edit and when the field loses the focus; only an edit that leaves
        // another path than the folder shown lets the path field decide.
        if (fPathField != nullptr && std::strcmp(fPathField->Value(), fPathSeen) != 0) {
            fPathSeen = fPathField->Value();
            fPathDecides = PathFieldEdited();
        }
        return;
    case kNameCode:
        if (fNameField != nullptr && std::strcmp(fNameField->Value(), fNameSeen) != 0) {
            fNameSeen = fNameField->Value();
            fPathDecides = false;
        }
        return;
    default:
        Quor_Dialog::HandleMessage(message);
        return;
    }
}

void Quor_FileDialog::OnKeyDown(int key, unsigned int modifiers)
{
    if (FocusView() == fList && fList != nullptr && (modifiers & (QUOR_COMMAND | QUOR_OPTION)) == 0) {
        if (key >= 32 && key != 127) {
            TypeAhead(key);
            return;
        }
        if (key == QUOR_KEY_BACKSPACE) {
            EnterFolder(ParentOf(fFolder));
            return;
        }
    }
    Quor_Dialog::OnKeyDown(key, modifiers);
}

void Quor_FileDialog::TypeAhead(int key)
{
    char typed[4];
    const int length = Quor_Utf8::Encode(static_cast<uint32_t>(key), typed);
    if (length == 0)
        return;
    Quor_Host* host = Quor_Host::Current();
    const uint64_t now = host != nullptr ? host->NowMicros() : 0;
    if (now - fLastTypedMicros > static_cast<uint64_t>(kTypeAheadMicros))
        fTyped = "";
    fLastTypedMicros = now;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt == 1)
            fTyped = "";   // no name starts with everything typed: start again from this letter
        for (int i = 0; i < length; ++i)
            fTyped += typed[i];
        for (size_t i = 0; i < fEntries.size(); ++i) {
            if (StartsWithIgnoringCase(fEntries[i].name, fTyped)) {
                fList->SetSelItem(static_cast<int>(i));
                fPathDecides = false;
                return;
            }
        }
    }
    Quor_Beep(1);
}

void Quor_FileDialog::OnEndDialog(int code)
{
    if (code != QUOR_MSG_OK || fChosen.IsEmpty())
        return;
    if (fChosenOut != nullptr)
        *fChosenOut = fChosen;
    if (Quor_App::gApp != nullptr)
        Quor_App::gApp->Prefs()->Set(kFolderKey, ParentOf(fChosen).Buffer());
}

// --- Paths ---------------------------------------------------------------------------------------

Quor_String Quor_FileDialog::ResolvePath(const char* typed, const char* folder)
{
    std::string text = typed != nullptr ? typed : "";
    const size_t first = text.find_first_not_of(" \t");
    const size_t last = text.find_last_not_of(" \t");
    text = first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
    if (text.empty())
        text = folder != nullptr ? folder : "/";
    if (text[0] == '~' && (text.size() == 1 || text[1] == '/')) {
        const Quor_String home = Quor_FileLister::HomeFolder();
        text = std::string(home.IsEmpty() ? "/" : home.Buffer()) + text.substr(1);
    }
    if (text[0] != '/')
        text = std::string(folder != nullptr && *folder != '\0' ? folder : "/") + "/" + text;
    // Lexically: "." and empty parts go, ".." takes the part before it.
    std::vector<std::string> parts;
    size_t at = 0;
    while (at <= text.size()) {
        size_t slash = text.find('/', at);
        if (slash == std::string::npos)
            slash = text.size();
        const std::string part = text.substr(at, slash - at);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = slash + 1;
    }
    std::string out;
    for (const std::string& part : parts)
        out += "/" + part;
    return Quor_String(out.empty() ? "/" : out.c_str());
}

Quor_String Quor_FileDialog::Join(const char* folder, const char* name)
{
    Quor_String out(folder != nullptr ? folder : "");
    if (out.IsEmpty() || out.GetAt(out.Length() - 1) != '/')
        out += "/";
    out += name != nullptr ? name : "";
    return out;
}

Quor_String Quor_FileDialog::ParentOf(const char* path)
{
    const Quor_String normal = ResolvePath(path, "/");
    const int slash = normal.ReverseFind('/');
    if (slash <= 0)
        return Quor_String("/");
    return normal.Left(slash);
}

bool Quor_FileDialog::ListFolder(const char* folder, std::vector<Entry>* entries)
{
    Quor_FileLister lister(folder);
    if (!lister.InitCheck())
        return false;
    try {
        entries->clear();
        Quor_FileLister::Kind kind = Kind::kMissing;
        while (const char* name = lister.GetNextFile(&kind)) {
            // Hidden names stay hidden; FIFOs, sockets, devices and dangling links are no files
            // to open or replace.
            if (name[0] == '.' || (kind != Kind::kFolder && kind != Kind::kFile))
                continue;
            Entry entry;
            entry.name = name;
            entry.folder = kind == Kind::kFolder;
            entries->push_back(std::move(entry));
        }
        std::sort(entries->begin(), entries->end(), NameBefore);
    } catch (...) {
        entries->clear();
        return false;
    }
    return true;
}

// --- Registration --------------------------------------------------------------------------------

int Quor_RunFileDialog(const Quor_FileDialogRequest& request, Quor_String* path)
{
    if (path == nullptr)
        return QUOR_ERR_ARGUMENT;
    *path = "";
    auto* dialog = new (std::nothrow) Quor_FileDialog(request, path);
    if (dialog == nullptr)
        return QUOR_ERR_MEMORY;
    if (!dialog->IsReady()) {
        delete dialog;
        return QUOR_ERR_MEMORY;
    }
    const int result = dialog->DoModal();
    return result == QUOR_MSG_OK && !path->IsEmpty() ? 0 : 1;
}

void Quor_RegisterWidgetDialogs()
{
    Quor_App::SetFileDialogHook(Quor_RunFileDialog);
}
