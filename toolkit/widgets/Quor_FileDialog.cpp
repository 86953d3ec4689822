#include "toolkit/widgets/Quor_FileDialog.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
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
#include "toolkit/widgets/Quor_FileColumnHeads.h"
#include "toolkit/widgets/Quor_FileDialogConfirm.h"
#include "toolkit/widgets/Quor_FileDialogPrompt.h"
#include "toolkit/widgets/Quor_FileList.h"
#include "toolkit/widgets/Quor_Menu.h"
#include "toolkit/widgets/Quor_PopupMenu.h"
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
constexpr int kHomeCode = -1105;
constexpr int kPlacesCode = -1106;
constexpr int kHeadsCode = -1107;
constexpr int kFilterCode = -1108;
constexpr int kAllFilesCode = -1109;
constexpr int kNewFolderCode = -1110;

constexpr int kMargin = 12;
constexpr int kGap = 8;
constexpr int kPlacesWidth = 150;
constexpr unsigned int kFixed = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP;

// Hidden files show in every dialog of the session once Ctrl+H asked for them.
bool sShowHidden = false;
// The size the last dialog was left at, so that an enlarged dialog opens enlarged again.
Quor_Point sLastSize(0, 0);

// The user settings key under which the last folder a file was chosen in is kept.
constexpr const char* kFolderKey = "FileDialogFolder";

using Kind = Quor_FileLister::Kind;

Kind KindOf(const char* path)
{
    return Quor_FileLister::KindOf(path);
}

// "*" matches any run of bytes and "?" one byte; ASCII letters match in either case.
bool GlobMatches(const char* pattern, const char* patternEnd, const char* name)
{
    const char* star = nullptr;
    const char* starName = nullptr;
    while (*name != '\0') {
        if (pattern < patternEnd && *pattern == '*') {
            star = pattern++;
            starName = name;
        } else if (pattern < patternEnd &&
                   (*pattern == '?' || Quor_Ascii::Lower(static_cast<unsigned char>(*pattern)) ==
                                           Quor_Ascii::Lower(static_cast<unsigned char>(*name)))) {
            ++pattern;
            ++name;
        } else if (star != nullptr) {
            pattern = star + 1;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (pattern < patternEnd && *pattern == '*')
        ++pattern;
    return pattern == patternEnd;
}

// ".qpm;.jpg" as patterns: "*.qpm;*.jpg".
Quor_String PatternsOfExtensions(const char* extensions)
{
    std::string out;
    const std::string all = extensions != nullptr ? extensions : "";
    size_t at = 0;
    while (at < all.size()) {
        size_t end = all.find(';', at);
        if (end == std::string::npos)
            end = all.size();
        if (end > at) {
            if (!out.empty())
                out += ";";
            out += "*" + all.substr(at, end - at);
        }
        at = end + 1;
    }
    return Quor_String(out.c_str());
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
                  request.parent, QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP | QUOR_FOLLOW_RIGHT | QUOR_FOLLOW_BOTTOM),
      fSave(request.save),
      fChosenOut(chosen),
      fPathField(nullptr),
      fNameField(nullptr),
      fNameLabel(nullptr),
      fList(nullptr),
      fHeads(nullptr),
      fPlacesList(nullptr),
      fFilterMenu(nullptr),
      fStatus(nullptr),
      fOKButton(nullptr),
      fCancelButton(nullptr),
      fNewFolderButton(nullptr),
      fParentButton(nullptr),
      fHomeButton(nullptr),
      fLastTypedMicros(0),
      fExtensions(request.extensions != nullptr ? request.extensions : ""),
      fAccept(request.accept)
{
    fPatterns = request.patterns != nullptr && *request.patterns != '\0' ? Quor_String(request.patterns)
                                                                       : PatternsOfExtensions(fExtensions);
    fFiltered = !fPatterns.IsEmpty();
    Quor_String description(request.description != nullptr ? request.description : "");
    if (description.IsEmpty()) {
        // Named by its patterns: "*.jpg, *.jpeg".
        std::string named = fPatterns.Buffer();
        for (size_t at = named.find(';'); at != std::string::npos; at = named.find(';', at + 2))
            named.replace(at, 1, ", ");
        description = named.c_str();
    }

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
    if (fFilterMenu != nullptr) {
        if (auto* menu = new (std::nothrow) Quor_Menu("Files")) {
            if (!fPatterns.IsEmpty())
                menu->AddItem(description, 0, kFilterCode);
            menu->AddItem("All files", 0, kAllFilesCode);
            menu->SetChecked(fFiltered ? kFilterCode : kAllFilesCode, true);
            fFilterMenu->SetMenu(menu);
        }
    }

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
        if (ListFolder(candidate, &entries, true)) {
            fFolder = ResolvePath(candidate, "/");
            fListed = std::move(entries);
            break;
        }
    }
    if (fFolder.IsEmpty()) {
        fFolder = "/";
        SetStatus(FolderProblem("/"), false);
    }
    BuildPlaces();
    ShowPath();
    ShowEntries();
    SetResizable(Quor_Point(kMinWidth, kMinHeight));
}

Quor_FileDialog::~Quor_FileDialog() = default;

void Quor_FileDialog::BuildForm(const char* name)
{
    // Every control is placed by Arrange, for whatever size the window has.
    fParentButton = new (std::nothrow) Quor_ShortButton("Up", kParentCode, 48, kFixed);
    fHomeButton = new (std::nothrow) Quor_ShortButton("Home", kHomeCode, 48, kFixed);
    fPathField = new (std::nothrow) Quor_TextControl(200, "", kPathCode, Quor_TextControl::kText, kFixed);
    fPlacesList = new (std::nothrow) Quor_FileList(kPlacesCode, kFixed);
    if (fPlacesList != nullptr)
        fPlacesList->SetColumnsShown(false);
    fHeads = new (std::nothrow) Quor_FileColumnHeads(kHeadsCode, kFixed);
    fList = new (std::nothrow) Quor_FileList(kListCode, kFixed);
    fFilterMenu = new (std::nothrow) Quor_PopupMenu(260, true, kFixed);
    fStatus = new (std::nothrow) Quor_DynamicText("", 200, QUOR_ALIGN_LEFT, kFixed);
    if (fSave) {
        fNameLabel = new (std::nothrow) Quor_StaticText("Name:", QUOR_ALIGN_LEFT, kFixed);
        fNameField = new (std::nothrow) Quor_TextControl(200, name, kNameCode, Quor_TextControl::kText, kFixed);
        fNewFolderButton = new (std::nothrow) Quor_Button("New Folder", kNewFolderCode, 80, false, kFixed);
    }
    fCancelButton = new (std::nothrow) Quor_Button("Cancel", QUOR_MSG_CANCEL, 80, false, kFixed);
    fOKButton = new (std::nothrow) Quor_Button(fSave ? "Save" : "Open", QUOR_MSG_OK, 80, true, kFixed);
    SetKeyButtons(fOKButton, fCancelButton);
    // The order of the children is the order Tab visits them in.
    Quor_View* const views[] = {fParentButton, fHomeButton, fPathField, fPlacesList, fHeads, fList, fFilterMenu,
                                fStatus, fNameLabel, fNameField, fNewFolderButton, fCancelButton, fOKButton};
    for (Quor_View* view : views) {
        if (view != nullptr)
            AddChild(view);
    }
    // Both fields report every edit, so that the one edited last decides what OK means.
    for (Quor_TextControl* field : {fPathField, fNameField}) {
        if (field != nullptr)
            field->SetConstantMessages(true);
    }
    fNameSeen = name;

    SetFocusView(fSave ? static_cast<Quor_View*>(fNameField) : static_cast<Quor_View*>(fList));
}

void Quor_FileDialog::BuildPlaces()
{
    fPlaces = Quor_FilePlaces::List(Quor_FilePlaces::FromProcess(), fFolder);
    if (fPlacesList == nullptr)
        return;
    std::vector<Quor_String> labels;
    try {
        for (const Quor_FilePlaces::Place& place : fPlaces)
            labels.push_back(place.label);
    } catch (const std::bad_alloc&) {
        labels.clear();
        fPlaces.clear();
    }
    fPlacesList->SetItems(&labels, -1);
    MarkPlace();
}

void Quor_FileDialog::MarkPlace()
{
    if (fPlacesList == nullptr)
        return;
    for (size_t i = 0; i < fPlaces.size(); ++i) {
        if (fPlaces[i].path == fFolder) {
            fPlacesList->SetSelItem(static_cast<int>(i));
            fPlacesList->SetSelectionShown(true);
            return;
        }
    }
    fPlacesList->SetSelectionShown(false);
}

void Quor_FileDialog::DoLayout()
{
    Quor_Point size = Shape();
    if (!fLaidOut) {
        size = sLastSize.x > 0 ? sLastSize : Quor_Point(kDefaultWidth, kDefaultHeight);
        fLaidOut = true;
    }
    size.x = std::max(size.x, static_cast<int32_t>(kMinWidth));
    size.y = std::max(size.y, static_cast<int32_t>(kMinHeight));
    SetShape(size.x, size.y);
    Arrange(size);
}

void Quor_FileDialog::OnResize(Quor_Point, Quor_Point newSize)
{
    Arrange(newSize);
}

void Quor_FileDialog::AttachedToWindow()
{
    // The dialog gives the focus to its first view only when it is first shown.
    if (FocusView() == nullptr)
        Quor_Dialog::AttachedToWindow();
    else
        Quor_Layer::AttachedToWindow();
}

void Quor_FileDialog::Arrange(Quor_Point size)
{
    const int right = size.x - kMargin;
    // Top: the buttons and the path field.
    int x = kMargin;
    int rowHeight = fPathField != nullptr ? fPathField->Shape().y : 0;
    for (Quor_ShortButton* button : {fParentButton, fHomeButton}) {
        if (button == nullptr)
            continue;
        rowHeight = std::max(rowHeight, static_cast<int>(button->Shape().y));
        button->SetLocation(x, kMargin);
        x += button->Shape().x + 6;
    }
    if (fPathField != nullptr) {
        fPathField->SetLocation(x, kMargin + (rowHeight - fPathField->Shape().y) / 2);
        fPathField->SetShape(std::max(40, right - x), fPathField->Shape().y);
    }
    const int top = kMargin + rowHeight + kGap;

    // Bottom up: the buttons, the name, the status line, the type filter.
    const int buttonHeight = fOKButton != nullptr ? fOKButton->Shape().y : 24;
    int y = size.y - kMargin - buttonHeight;
    x = right;
    for (Quor_Button* button : {fOKButton, fCancelButton}) {
        if (button == nullptr)
            continue;
        x -= button->Shape().x;
        button->SetLocation(x, y);
        x -= kGap;
    }
    if (fNewFolderButton != nullptr)
        fNewFolderButton->SetLocation(kMargin, y);
    if (fNameField != nullptr) {
        y -= kGap + fNameField->Shape().y;
        const int labelWidth = fNameLabel != nullptr ? fNameLabel->Shape().x : 0;
        if (fNameLabel != nullptr)
            fNameLabel->SetLocation(kMargin, y + (fNameField->Shape().y - fNameLabel->Shape().y) / 2);
        fNameField->SetLocation(kMargin + labelWidth + 6, y);
        fNameField->SetShape(std::max(40, right - kMargin - labelWidth - 6), fNameField->Shape().y);
    }
    if (fStatus != nullptr) {
        y -= 4 + fStatus->Shape().y;
        fStatus->SetLocation(kMargin, y);
        fStatus->SetShape(right - kMargin, fStatus->Shape().y);
    }
    const int listLeft = kMargin + kPlacesWidth + kGap;
    const int listWidth = std::max(80, right - listLeft);
    if (fFilterMenu != nullptr) {
        y -= 4 + fFilterMenu->Shape().y;
        fFilterMenu->SetLocation(listLeft, y);
        fFilterMenu->SetShape(std::min(listWidth, 300), fFilterMenu->Shape().y);
    }
    const int bottom = y - 6;

    // The middle: the places, the headings and the list take what is left.
    const int headsHeight = fHeads != nullptr ? fHeads->Shape().y : 0;
    if (fHeads != nullptr) {
        fHeads->SetLocation(listLeft, top);
        fHeads->SetShape(listWidth, headsHeight);
    }
    if (fList != nullptr) {
        fList->SetLocation(listLeft, top + headsHeight);
        fList->SetShape(listWidth, std::max(40, bottom - top - headsHeight));
    }
    if (fPlacesList != nullptr) {
        fPlacesList->SetLocation(kMargin, top);
        fPlacesList->SetShape(kPlacesWidth, std::max(40, bottom - top));
    }
}

bool Quor_FileDialog::IsReady() const
{
    return fPathField != nullptr && fList != nullptr && fStatus != nullptr && fOKButton != nullptr &&
           fCancelButton != nullptr && fParentButton != nullptr && fHomeButton != nullptr && fHeads != nullptr &&
           fPlacesList != nullptr && fFilterMenu != nullptr &&
           (!fSave || (fNameField != nullptr && fNameLabel != nullptr && fNewFolderButton != nullptr));
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
    fNameTyped = false;
}

void Quor_FileDialog::ShowEntries(const char* keep)
{
    ++fGeneration;
    // One batch and one redraw: a folder of thousands of photos lists at once.
    std::vector<Quor_String> rows;
    std::vector<Quor_String> sizes;
    std::vector<Quor_String> dates;
    int selection = 0;
    try {
        fEntries.clear();
        for (const Entry& entry : fListed) {
            if (entry.name.GetAt(0) == '.' && !sShowHidden)
                continue;
            if (!entry.folder && fFiltered && !MatchesPatterns(entry.name, fPatterns))
                continue;
            fEntries.push_back(entry);
        }
        SortEntries(&fEntries, fSortColumn, fSortReversed);
        rows.reserve(fEntries.size());
        sizes.reserve(fEntries.size());
        dates.reserve(fEntries.size());
        for (const Entry& entry : fEntries) {
            if (keep != nullptr && std::strcmp(entry.name.Buffer(), keep) == 0)
                selection = static_cast<int>(rows.size());
            rows.emplace_back(entry.name);
            if (entry.folder)
                rows.back() += "/";
            sizes.push_back(entry.folder ? Quor_String("") : SizeText(entry.size));
            dates.push_back(DateText(entry.modified));
        }
    } catch (const std::bad_alloc&) {
        rows.clear();
        sizes.clear();
        dates.clear();
        fEntries.clear();
        SetStatus("There is not enough memory to list this folder.", true);
    }
    if (fList != nullptr)
        fList->SetRows(&rows, &sizes, &dates, selection);
}

bool Quor_FileDialog::EnterFolder(const char* folder)
{
    const Quor_String path = ResolvePath(folder, fFolder);
    std::vector<Entry> entries;
    if (!ListFolder(path, &entries, true)) {
        SetStatus(FolderProblem(path), true);
        return false;
    }
    fFolder = path;
    fListed = std::move(entries);
    fTyped = "";
    SetStatus("", false);
    ShowPath();
    ShowEntries();
    MarkPlace();
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
    case kHomeCode: {
        const Quor_String home = Quor_FileLister::HomeFolder();
        EnterFolder(home.IsEmpty() ? "/" : home.Buffer());
        return;
    }
    case kPlacesCode: {
        const int row = fPlacesList != nullptr ? fPlacesList->SelItem() : -1;
        if (row >= 0 && row < static_cast<int>(fPlaces.size()))
            EnterFolder(fPlaces[static_cast<size_t>(row)].path);
        return;
    }
    case kHeadsCode: {
        int column = kByName;
        if (message->Get("column", &column))
            SortBy(column);
        return;
    }
    case kFilterCode:
    case kAllFilesCode:
        SetFiltered(message->what == kFilterCode);
        return;
    case kNewFolderCode:
        AskNewFolder();
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
            fNameTyped = true;
        }
        return;
    default:
        Quor_Dialog::HandleMessage(message);
        return;
    }
}

void Quor_FileDialog::OnKeyDown(int key, unsigned int modifiers)
{
    const unsigned int chords = modifiers & (QUOR_COMMAND | QUOR_OPTION | QUOR_SHIFT);
    if ((key == 'h' || key == 'H' || key == 8) && (modifiers & QUOR_COMMAND) != 0 &&
        (modifiers & QUOR_OPTION) == 0) {
        SetShowHidden(!sShowHidden);
        return;
    }
    // Tab completes what was typed into a field; with nothing to complete it moves on.
    if (key == QUOR_KEY_TAB && chords == 0 && FocusView() != nullptr &&
        (FocusView() == fPathField || FocusView() == fNameField)) {
        if (Complete(static_cast<Quor_TextControl*>(FocusView())) != Completion::kNothing)
            return;
    }
    if (FocusView() == fList && fList != nullptr && (modifiers & (QUOR_COMMAND | QUOR_OPTION)) == 0) {
        // A path typed in the list goes to the path field, as names start with neither.
        if ((key == '/' || key == '~') && fPathField != nullptr) {
            SetFocus(fPathField);
            fPathField->SetValue(key == '/' ? "/" : "~");
            fPathSeen = fPathField->Value();
            fPathDecides = PathFieldEdited();
            return;
        }
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
    sLastSize = Shape();
    if (code != QUOR_MSG_OK || fChosen.IsEmpty())
        return;
    if (fChosenOut != nullptr)
        *fChosenOut = fChosen;
    if (Quor_App::gApp != nullptr)
        Quor_App::gApp->Prefs()->Set(kFolderKey, ParentOf(fChosen).Buffer());
}

void Quor_FileDialog::SortBy(int column)
{
    const int wanted = std::clamp(column, static_cast<int>(kByName), static_cast<int>(kByModified));
    fSortReversed = wanted == fSortColumn ? !fSortReversed : false;
    fSortColumn = wanted;
    if (fHeads != nullptr)
        fHeads->SetSort(fSortColumn, fSortReversed);
    const Quor_String keep = fList != nullptr && fList->SelItem() >= 0 && fList->SelItem() < static_cast<int>(fEntries.size())
                                 ? fEntries[static_cast<size_t>(fList->SelItem())].name
                                 : Quor_String("");
    ShowEntries(keep);
}

void Quor_FileDialog::SetFiltered(bool filtered)
{
    fFiltered = filtered && !fPatterns.IsEmpty();
    if (fFilterMenu != nullptr && fFilterMenu->Menu() != nullptr) {
        fFilterMenu->Menu()->UncheckAll();
        fFilterMenu->Menu()->SetChecked(fFiltered ? kFilterCode : kAllFilesCode, true);
        fFilterMenu->Refresh();
    }
    ShowEntries();
}

bool Quor_FileDialog::ShowsHidden()
{
    return sShowHidden;
}

void Quor_FileDialog::SetShowHidden(bool show)
{
    sShowHidden = show;
    const int row = fList != nullptr ? fList->SelItem() : -1;
    const Quor_String keep = row >= 0 && row < static_cast<int>(fEntries.size()) ? fEntries[static_cast<size_t>(row)].name
                                                                                 : Quor_String("");
    ShowEntries(keep);
}

void Quor_FileDialog::AskNewFolder()
{
    Quor_String name;
    if (Quor_FileDialogPrompt::Ask("Name of the new folder:", "Create", Window(), &name))
        MakeFolder(name);
}

bool Quor_FileDialog::MakeFolder(const char* typed)
{
    Quor_String name(typed != nullptr ? typed : "");
    name.TrimLeft();
    name.TrimRight();
    if (name.IsEmpty()) {
        SetStatus("Type a name for the folder.", true);
        return false;
    }
    if (name.Find('/') >= 0 || name == "." || name == "..") {
        SetStatus("A folder's name cannot be \".\" or \"..\" nor hold \"/\".", true);
        return false;
    }
    const Quor_String path = Join(fFolder, name);
    const int error = Quor_FileLister::MakeFolder(path);
    if (error == EEXIST) {
        SetStatus("There is already a file or folder named \"" + name + "\" here.", true);
        return false;
    }
    if (error == EACCES || error == EPERM || error == EROFS) {
        SetStatus("No folder can be made in " + fFolder + ": it may not be written.", true);
        return false;
    }
    if (error == ENAMETOOLONG) {
        SetStatus("The name is too long for this folder.", true);
        return false;
    }
    if (error != 0) {
        SetStatus("The folder " + name + " could not be made: " + Quor_String(std::strerror(error)) + ".", true);
        return false;
    }
    return EnterFolder(path);
}

Quor_FileDialog::Completion Quor_FileDialog::Complete(Quor_TextControl* field)
{
    if (field == nullptr)
        return Completion::kNothing;
    // The folder the dialog shows, or a name it set, is no typing to complete.
    if ((field == fPathField && !PathFieldEdited()) || (field == fNameField && !fNameTyped))
        return Completion::kNothing;
    const std::string text = field->Value();
    const size_t slash = text.rfind('/');
    const std::string head = slash == std::string::npos ? std::string() : text.substr(0, slash + 1);
    const std::string prefix = slash == std::string::npos ? text : text.substr(slash + 1);
    if (prefix.empty())
        return Completion::kNothing;
    const Quor_String base = head.empty() ? fFolder : ResolvePath(head.c_str(), fFolder);
    std::vector<Entry> entries;
    std::vector<const Entry*> matches;
    const bool hidden = sShowHidden || prefix[0] == '.';
    try {
        if (ListFolder(base, &entries, hidden)) {
            for (const Entry& entry : entries) {
                if (std::strncmp(entry.name.Buffer(), prefix.c_str(), prefix.size()) == 0)
                    matches.push_back(&entry);
            }
        }
    } catch (const std::bad_alloc&) {
        matches.clear();
    }
    if (matches.empty()) {
        Quor_Beep(1);
        return Completion::kNoMatch;
    }
    // The longest start all the matches share; a single folder gets its "/".
    std::string common = matches.front()->name.Buffer();
    for (const Entry* entry : matches) {
        size_t same = 0;
        const char* name = entry->name.Buffer();
        while (same < common.size() && name[same] == common[same])
            ++same;
        common.resize(same);
    }
    if (matches.size() == 1 && matches.front()->folder)
        common += "/";
    if (common == prefix) {
        if (matches.size() == 1)
            return Completion::kNothing;
        Quor_Beep(1);
        return Completion::kNoMatch;
    }
    field->SetValue((head + common).c_str());
    if (field == fPathField) {
        fPathSeen = fPathField->Value();
        fPathDecides = PathFieldEdited();
    } else {
        fNameSeen = field->Value();
        fPathDecides = false;
    }
    return Completion::kCompleted;
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

bool Quor_FileDialog::ListFolder(const char* folder, std::vector<Entry>* entries, bool hidden)
{
    Quor_FileLister lister(folder);
    if (!lister.InitCheck())
        return false;
    try {
        entries->clear();
        Quor_FileLister::Kind kind = Kind::kMissing;
        while (const char* name = lister.GetNextFile(&kind)) {
            // FIFOs, sockets, devices and dangling links are no files to open or replace.
            if ((name[0] == '.' && !hidden) || (kind != Kind::kFolder && kind != Kind::kFile))
                continue;
            Entry entry;
            entry.name = name;
            entry.folder = kind == Kind::kFolder;
            lister.Details(&entry.size, &entry.modified);
            entries->push_back(std::move(entry));
        }
        SortEntries(entries, kByName, false);
    } catch (...) {
        entries->clear();
        return false;
    }
    return true;
}

void Quor_FileDialog::SortEntries(std::vector<Entry>* entries, int column, bool reversed)
{
    std::sort(entries->begin(), entries->end(), [column, reversed](const Entry& a, const Entry& b) {
        if (a.folder != b.folder)
            return a.folder;
        int order = 0;
        if (column == kBySize && a.size != b.size)
            order = a.size < b.size ? -1 : 1;
        else if (column == kByModified && a.modified != b.modified)
            order = a.modified < b.modified ? -1 : 1;
        else
            order = Quor_FileLister::CompareNames(a.name, b.name);
        return reversed ? order > 0 : order < 0;
    });
}

bool Quor_FileDialog::MatchesPatterns(const char* name, const char* patterns)
{
    const char* list = patterns != nullptr ? patterns : "";
    bool any = false;
    while (*list != '\0') {
        const char* end = std::strchr(list, ';');
        if (end == nullptr)
            end = list + std::strlen(list);
        const char* first = list;
        const char* last = end;
        while (first < last && *first == ' ')
            ++first;
        while (last > first && last[-1] == ' ')
            --last;
        if (first < last) {
            any = true;
            if (GlobMatches(first, last, name != nullptr ? name : ""))
                return true;
        }
        list = *end == ';' ? end + 1 : end;
    }
    return !any;
}

Quor_String Quor_FileDialog::SizeText(uint64_t bytes)
{
    char text[32];
    if (bytes == 1) {
        std::snprintf(text, sizeof text, "1 byte");
    } else if (bytes < 1000) {
        std::snprintf(text, sizeof text, "%u bytes", static_cast<unsigned int>(bytes));
    } else {
        const char* const units[] = {"kB", "MB", "GB", "TB", "PB", "EB"};
        double value = static_cast<double>(bytes) / 1000.0;
        int unit = 0;
        // 999 950 bytes would round to "1000.0 kB": that is "1.0 MB".
        while (value >= 999.95 && unit < 5) {
            value /= 1000.0;
            ++unit;
        }
        std::snprintf(text, sizeof text, "%.1f %s", value, units[unit]);
    }
    return Quor_String(text);
}

Quor_String Quor_FileDialog::DateText(int64_t seconds)
{
    const std::time_t when = static_cast<std::time_t>(seconds);
    std::tm local {};
    if (localtime_r(&when, &local) == nullptr)
        return Quor_String("");
    char text[32];
    if (std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local) == 0)
        return Quor_String("");
    return Quor_String(text);
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
