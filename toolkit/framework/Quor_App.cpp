#include "toolkit/framework/Quor_App.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <cstring>
#include <string>

#include "toolkit/core/Quor_FileStream.h"
#include "toolkit/core/Quor_Folder.h"
#include "toolkit/core/Quor_Number.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/framework/Quor_EventLoop.h"
#include "toolkit/framework/Quor_FrameworkDefs.h"
#include "toolkit/framework/Quor_Launcher.h"
#include "toolkit/framework/Quor_WindowCall.h"
#include "toolkit/framework/Quor_WindowList.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/framework/platform/Quor_Host.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/fonts/Quor_Font.h"

Quor_App* Quor_App::gApp = nullptr;
Quor_String Quor_App::fArguments;
Quor_Font* Quor_App::gRegularFont = nullptr;
Quor_Font* Quor_App::gBoldFont = nullptr;
Quor_Font* Quor_App::gItalicFont = nullptr;
Quor_Font* Quor_App::gRegularSmallFont = nullptr;
Quor_Font* Quor_App::gBoldSmallFont = nullptr;
Quor_Font* Quor_App::gItalicSmallFont = nullptr;
Quor_Font* Quor_App::gRegularLargeFont = nullptr;
Quor_Font* Quor_App::gBoldLargeFont = nullptr;
Quor_Font* Quor_App::gItalicLargeFont = nullptr;
bool Quor_App::gDisableCursors = false;
bool Quor_App::gTabletAvailable = false;

Quor_Path gStartupFilePath;
Quor_Wnd* gMainWnd = nullptr;

namespace {

struct ThemeKey {
    const char* key;
    rgb_color* color;
};

// Read and written in exactly this order.
const ThemeKey kThemeKeys[] = {
    {"BackCol", &Quor_ColorOps::BackCol},
    {"Light1", &Quor_ColorOps::Light1},
    {"Light2", &Quor_ColorOps::Light2},
    {"Dark1", &Quor_ColorOps::Dark1},
    {"Dark2", &Quor_ColorOps::Dark2},
    {"Text", &Quor_ColorOps::Text},
    {"DisabledText", &Quor_ColorOps::DisabledText},
    {"HighlightedText", &Quor_ColorOps::HighlightedText},
    {"WidgetOutline", &Quor_ColorOps::WidgetOutline},
    {"WidgetFill", &Quor_ColorOps::WidgetFill},
    {"WidgetHighlight", &Quor_ColorOps::WidgetHighlight},
    {"WidgetShadow", &Quor_ColorOps::WidgetShadow},
    {"MenuBackground", &Quor_ColorOps::MenuBackground},
    {"DialogBackground", &Quor_ColorOps::DialogBackground},
    {"TextBackground", &Quor_ColorOps::TextBackground},
    {"DisabledTextBackground", &Quor_ColorOps::DisabledTextBackground},
    {"TextHighlight", &Quor_ColorOps::TextHighlight},
    {"ButtonGradient1", &Quor_ColorOps::ButtonGradient1},
    {"ButtonGradient2", &Quor_ColorOps::ButtonGradient2},
    {"BoxOutline", &Quor_ColorOps::BoxOutline},
    {"BoxGradient1", &Quor_ColorOps::BoxGradient1},
    {"BoxGradient2", &Quor_ColorOps::BoxGradient2},
    {"AlertGradient1", &Quor_ColorOps::AlertGradient1},
    {"AlertGradient2", &Quor_ColorOps::AlertGradient2},
    {"TabBackground", &Quor_ColorOps::TabBackground},
    {"TabGradient1", &Quor_ColorOps::TabGradient1},
    {"TabGradient2", &Quor_ColorOps::TabGradient2},
    {"ToolTipBackground", &Quor_ColorOps::ToolTipBackground},
    {"ProgressBackground1", &Quor_ColorOps::ProgressBackground1},
    {"ProgressBackground2", &Quor_ColorOps::ProgressBackground2},
    {"ProgressGradient1", &Quor_ColorOps::ProgressGradient1},
    {"ProgressGradient2", &Quor_ColorOps::ProgressGradient2},
    {"ScrollGradient1", &Quor_ColorOps::ScrollGradient1},
    {"ScrollGradient2", &Quor_ColorOps::ScrollGradient2},
    {"ThumbGradient1", &Quor_ColorOps::ThumbGradient1},
    {"ThumbGradient2", &Quor_ColorOps::ThumbGradient2},
    {"SliderGradient1", &Quor_ColorOps::SliderGradient1},
    {"SliderGradient2", &Quor_ColorOps::SliderGradient2},
};

constexpr const char* kDefaultFontDir = "/usr/share/fonts/truetype";
constexpr const char* kBuildMarker = ".quor-build-root";
constexpr const char* kInstalledDataDir = "share/panomer";

Quor_Path sAppDirOverride;
Quor_FileDialogHook sFileDialogHook = nullptr;

const char* Home()
{
    const char* home = std::getenv("HOME");
    return home != nullptr ? home : "";
}

bool FileExists(const Quor_Path& path)
{
    return access(path.Buffer(), F_OK) == 0;
}

// The folder of the running executable, or "" when it cannot be read.
Quor_Path ExecutableDir()
{
    std::string buffer(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0)
        return Quor_Path();
    buffer.resize(static_cast<size_t>(n));
    return Quor_Path(buffer.c_str()).Parent();
}

// An address with a scheme ("https:", "mailto:") and nothing in it that a browser would not take
// literally: no blanks or control characters.
bool IsPlainAddress(const char* url)
{
    const char* p = url;
    if (!std::isalpha(static_cast<unsigned char>(*p)))
        return false;
    while (std::isalnum(static_cast<unsigned char>(*p)) || *p == '+' || *p == '-' || *p == '.')
        ++p;
    if (*p != ':' || p[1] == '\0')
        return false;
    for (; *p != '\0'; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c <= ' ' || c == 0x7F)
            return false;
    }
    return true;
}

}  // namespace

Quor_App::Quor_App(const char* name, const char* secondName, bool localise)
    : fName(name != nullptr ? name : ""),
      fSecondName(secondName != nullptr ? secondName : ""),
      fLocalise(localise),
      fQuitRequested(false),
      fLock(Quor_CreateMutex("App Lock"))
{
    gApp = this;
    fStrings.reserve(4);
}

Quor_App::~Quor_App()
{
    if (gApp == this)
        gApp = nullptr;
    Quor_DestroyMutex(fLock);
}

void Quor_App::HandleMessage(Quor_Message* message)
{
    (void)message;
}

void Quor_App::ReadyToRun(const char* startupPath)
{
    (void)startupPath;
}

void Quor_App::OnQuit() {}

void Quor_App::Run()
{
    // Settings found only where earlier versions kept them are read from there once; the next
    // save writes them to their new place and removes the old file.
    struct Place {
        Quor_Message* prefs;
        Quor_Path path, old;
        bool moving;
    };
    Place places[2] = {{&fPrefs, UserSettingsPath(), OldUserSettingsPath(), false},
                       {&fAppPrefs, AppSettingsPath(), OldAppSettingsPath(), false}};
    for (Place& place : places) {
        place.moving = !(place.old == place.path) && !FileExists(place.path) && FileExists(place.old);
        place.prefs->Load(place.moving ? place.old : place.path);
    }
    if (fLocalise)
        LoadAppStrings();
    LoadCustomFonts();
    LoadCustomColors();
    ReadyToRun(gStartupFilePath);
    if (!fQuitRequested)
        Quor_EventLoop::Run(nullptr);
    OnQuit();
    SaveCustomColors();
    // Settings that cannot be kept cost a line on standard error, never the program; the file
    // that was there stays as it was (an old one too, until the new one is written).
    for (const Place& place : places) {
        if (place.prefs->CountKeys() == 0)
            continue;
        if (!Quor_Folder::MakeAll(SettingsDir().Buffer()) || !place.prefs->Save(place.path)) {
            std::fprintf(stderr, "%s: the settings could not be saved to %s\n", fName.Buffer(), place.path.Buffer());
            continue;
        }
        if (place.moving)
            unlink(place.old.Buffer());
    }
    if (fLocalise)
        SaveAppStrings();
}

void Quor_App::Quit()
{
    fQuitRequested = true;
    fLoopState.quit = true;
    Quor_Host::WakeCurrent();
}

bool Quor_App::IsQuitRequested() const
{
    return fQuitRequested;
}

bool Quor_App::Lock(int timeoutMs)
{
    return Quor_LockMutex(fLock, timeoutMs);
}

void Quor_App::Unlock()
{
    Quor_UnlockMutex(fLock);
}

// --- String table --------------------------------------------------------------------------------

const char* Quor_App::AppString(int id, const char* fallback)
{
    for (const StringEntry& entry : fStrings) {
        if (entry.id == id)
            return entry.text;
    }
    SetAppString(id, fallback);
    for (const StringEntry& entry : fStrings) {
        if (entry.id == id)
            return entry.text;
    }
    return fallback != nullptr ? fallback : "";
}

void Quor_App::SetAppString(int id, const char* text)
{
    for (StringEntry& entry : fStrings) {
        if (entry.id == id) {
            entry.text = text != nullptr ? text : "";
            return;
        }
    }
    try {
        fStrings.push_back(StringEntry{id, Quor_String(text != nullptr ? text : "")});
    } catch (...) {
        // Out of memory: the entry is simply not stored and the fallback stays in use.
    }
}

void Quor_App::LoadAppStrings()
{
    Quor_FileStream file;
    if (file.Open(StringTablePath(), true) != 0)
        return;
    std::string text;
    char chunk[4096];
    for (int n; (n = file.ReadBytes(chunk, sizeof chunk)) > 0;)
        text.append(chunk, static_cast<size_t>(n));
    file.Close();

    // Lines of an id and a quoted text; anything else up to the end of its line is skipped.
    size_t i = 0;
    const size_t end = text.size();
    auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (i < end) {
        while (i < end && isBlank(text[i]))
            ++i;
        if (i >= end)
            break;
        size_t tokenEnd = i;
        while (tokenEnd < end && !isBlank(text[tokenEnd]) && text[tokenEnd] != '"')
            ++tokenEnd;
        int id = 0;
        const std::string token = text.substr(i, tokenEnd - i);
        if (!Quor_Number::ParseInt(token.c_str(), &id)) {
            while (i < end && text[i] != '\n')
                ++i;
            continue;
        }
        i = tokenEnd;
        while (i < end && isBlank(text[i]))
            ++i;
        if (i >= end || text[i] != '"')
            continue;
        const size_t open = i + 1;
        size_t close = open;
        while (close < end && text[close] != '"')
            ++close;
        if (close >= end)
            break;
        const size_t length = std::min(close - open, static_cast<size_t>(kMaxStringText));
        SetAppString(id, text.substr(open, length).c_str());
        i = close + 1;
    }
}

// --- Fonts and colours ---------------------------------------------------------------------------

void Quor_App::LoadCustomFonts()
{
    if (gRegularSmallFont == nullptr)
        return;
    const Quor_Path dir = FontDir();
    int smallSize = 8;
    int largeSize = 10;
    // The font engine keeps a size from the settings inside the sizes it can rasterise.
    fPrefs.Get("SmallFontSize", &smallSize);
    fPrefs.Get("LargeFontSize", &largeSize);

    struct Style {
        const char* key;
        Quor_Font** small;
        Quor_Font** large;
        Quor_Font** current;
    };
    const Style styles[] = {
        {"RegularFont", &gRegularSmallFont, &gRegularLargeFont, &gRegularFont},
        {"BoldFont", &gBoldSmallFont, &gBoldLargeFont, &gBoldFont},
        {"ItalicFont", &gItalicSmallFont, &gItalicLargeFont, &gItalicFont},
    };
    for (const Style& style : styles) {
        Quor_String file;
        if (!fPrefs.Get(style.key, &file) || file.IsEmpty())
            continue;
        Quor_Path path(dir);
        path.Append(file);
        Quor_Font* outline = Quor_Font::GetFreeTypeFontFile(path);
        if (outline == nullptr)
            continue;
        if (outline->SetPointSize(smallSize, 96) == 0) {
            if (Quor_Font* made = outline->RasterizeFreeType()) {
                if (*style.current == *style.small)
                    *style.current = made;
                delete *style.small;
                *style.small = made;
            }
        }
        if (outline->SetPointSize(largeSize, 96) == 0) {
            if (Quor_Font* made = outline->RasterizeFreeType()) {
                if (*style.current == *style.large)
                    *style.current = made;
                delete *style.large;
                *style.large = made;
            }
        }
        delete outline;
        *style.current = *style.small;
    }
    bool useLarge = false;
    if (fPrefs.Get("UseLargeFonts", &useLarge) && useLarge) {
        gRegularFont = gRegularLargeFont;
        gBoldFont = gBoldLargeFont;
        gItalicFont = gItalicLargeFont;
    }
}

void Quor_App::LoadCustomColors()
{
    for (const ThemeKey& theme : kThemeKeys) {
        rgb_color color = *theme.color;
        if (fPrefs.Get(theme.key, &color))
            *theme.color = color;
        theme.color->alpha = 255;
    }
}

void Quor_App::SaveCustomColors()
{
    if (fPrefs.CountKeys() == 0)
        return;
    for (const ThemeKey& theme : kThemeKeys)
        fPrefs.Set(theme.key, *theme.color);
}

void Quor_App::ResetGUIColors()
{
    Quor_ColorOps::ResetThemeColors();
}

bool Quor_App::LoadColor(const char* key, rgb_color& out)
{
    rgb_color color = out;
    if (!fPrefs.Get(key, &color))
        return false;
    color.alpha = 255;
    out = color;
    return true;
}

void Quor_App::SaveColor(const char* key, const rgb_color& color)
{
    fPrefs.Set(key, color);
}

// --- Folders -------------------------------------------------------------------------------------

Quor_Path Quor_App::AppDir()
{
    if (!sAppDirOverride.IsEmpty())
        return sAppDirOverride;
    const Quor_Path exeDir = ExecutableDir();
    if (exeDir.IsEmpty())
        return Quor_Path(".");
    // A program run from a build finds the build folder's marker a few folders up.
    Quor_Path dir = exeDir;
    for (int level = 0; level < 5 && !dir.IsEmpty(); ++level) {
        Quor_Path marker(dir);
        marker.Append(kBuildMarker);
        if (FileExists(marker))
            return dir;
        dir = dir.Parent();
    }
    Quor_Path installed = exeDir.Parent();
    installed.Append(kInstalledDataDir);
    return installed;
}

void Quor_App::SetAppDir(const char* dir)
{
    sAppDirOverride = dir != nullptr ? dir : "";
}

Quor_Path Quor_App::PrefsDir() const
{
    const char* home = Home();
    return *home != '\0' ? Quor_Path(home) : AppDir();
}

Quor_Path Quor_App::FontDir()
{
    Quor_String dir;
    if (fPrefs.Get("FontDir", &dir) && !dir.IsEmpty())
        return Quor_Path(dir);
    return Quor_Path(kDefaultFontDir);
}

Quor_Path Quor_App::SettingsDir() const
{
    if (*Home() == '\0')
        return AppDir();
    const char* config = std::getenv("XDG_CONFIG_HOME");
    Quor_Path dir;
    if (config != nullptr && config[0] == '/') {
        dir = config;
    } else {
        dir = Home();
        dir.Append(".config");
    }
    dir.Append(fSettingsFolder.IsEmpty() ? fName : fSettingsFolder);
    return dir;
}

Quor_Path Quor_App::UserSettingsPath() const
{
    Quor_Path path = SettingsDir();
    path.Append(*Home() != '\0' ? Quor_String("user.settings") : fName + ".user.settings");
    return path;
}

Quor_Path Quor_App::AppSettingsPath() const
{
    Quor_Path path = SettingsDir();
    path.Append(*Home() != '\0' ? Quor_String("app.settings") : fName + ".app.settings");
    return path;
}

Quor_Path Quor_App::OldUserSettingsPath() const
{
    Quor_Path path;
    if (*Home() != '\0') {
        path = Home();
        path.Append(Quor_String(".") + fName + ".user.settings");
    } else {
        path = AppDir();
        path.Append(fName + ".user.settings");
    }
    return path;
}

Quor_Path Quor_App::OldAppSettingsPath() const
{
    Quor_Path path = AppDir();
    path.Append(fName + ".app.settings");
    return path;
}

Quor_Path Quor_App::StringTablePath() const
{
    Quor_Path path = AppDir();
    path.Append(fName + "." + fSecondName.Left(3) + ".strings");
    return path;
}

// --- Desktop -------------------------------------------------------------------------------------

int Quor_App::LaunchFile(const char* path)
{
    if (path == nullptr || *path == '\0')
        return EINVAL;
    if (Quor_Host* host = Quor_Host::Current())
        return host->LaunchFile(path);
    return Quor_Launcher::Spawn("xdg-open", path);
}

int Quor_App::LaunchURL(const char* url)
{
    // The desktop's opener takes addresses as well as files, so nothing is written to disk: a
    // redirect page in a hidden or temporary folder is one a confined browser cannot read.
    if (url == nullptr || !IsPlainAddress(url))
        return EINVAL;
    return LaunchFile(url);
}

namespace {

// Shows the registered dialog and, when the user chose a file, sends target the message `what`
// with the chosen path in "path". Cancelling sends nothing.
int RunFileDialog(Quor_FileDialogHook hook, const Quor_FileDialogRequest& request, Quor_Handler* target,
                  int what)
{
    if (hook == nullptr)
        return QUOR_ERR_NO_MODULE;
    if (target == nullptr)
        return QUOR_ERR_ARGUMENT;
    Quor_String path;
    const int rc = hook(request, &path);
    if (rc < 0)
        return rc;
    if (rc == 0 && !path.IsEmpty()) {
        Quor_Message reply(what);
        reply.Set("path", path.Buffer());
        target->SendMessage(&reply);
    }
    return QUOR_OK;
}

const char* OrEmpty(const char* text)
{
    return text != nullptr ? text : "";
}

}  // namespace

int Quor_App::OpenFileDialog(Quor_Wnd* parent, const char* title, Quor_Handler* target, int what,
                             const char* description, const char* patterns, const char* startFolder)
{
    Quor_FileDialogRequest request;
    request.save = false;
    request.parent = parent;
    request.title = OrEmpty(title);
    request.description = OrEmpty(description);
    request.patterns = OrEmpty(patterns);
    // A folder as the proposal starts the dialog there.
    request.defaultName = OrEmpty(startFolder);
    return RunFileDialog(sFileDialogHook, request, target, what);
}

int Quor_App::SaveFileDialog(Quor_Wnd* parent, const char* title, Quor_Handler* target, int what,
                             const char* defaultName, const char* ignored)
{
    (void)ignored;
    Quor_FileDialogRequest request;
    request.save = true;
    request.parent = parent;
    request.title = OrEmpty(title);
    request.defaultName = OrEmpty(defaultName);
    return SaveFileDialog(request, target, what);
}

int Quor_App::SaveFileDialog(const Quor_FileDialogRequest& request, Quor_Handler* target, int what)
{
    Quor_FileDialogRequest save = request;
    save.save = true;
    save.title = OrEmpty(save.title);
    save.defaultName = OrEmpty(save.defaultName);
    save.description = OrEmpty(save.description);
    save.patterns = OrEmpty(save.patterns);
    save.extensions = OrEmpty(save.extensions);
    return RunFileDialog(sFileDialogHook, save, target, what);
}

void Quor_App::SetFileDialogHook(Quor_FileDialogHook hook)
{
    sFileDialogHook = hook;
}

// --- Desktop requests ----------------------------------------------------------------------------

void Quori_OpenDocHandler(const char* const* paths, int count)
{
    gStartupFilePath = "";
    for (int i = 0; i < count; ++i) {
        if (paths[i] != nullptr && *paths[i] != '\0')
            gStartupFilePath = Quor_Path(paths[i]).Absolute();
    }
    if (gStartupFilePath.IsEmpty())
        return;
    Quor_Wnd* front = nullptr;
    for (Quor_Wnd* window : Quor_WindowList::All()) {
        if (window->HasFocus())
            front = window;
    }
    if (front == nullptr)
        return;
    Quor_WindowCall call(front);
    Quor_Message message(QUOR_MSG_OPEN_DOCUMENT);
    message.Set("path", gStartupFilePath.Buffer());
    front->SendMessage(&message);
}

void Quori_QuitHandler()
{
    if (Quor_Wnd* window = gMainWnd) {
        Quor_WindowCall call(window);
        window->SendMessage(QUOR_MSG_QUIT);
    } else if (Quor_App::gApp != nullptr) {
        Quor_App::gApp->Quit();
    } else {
        Quor_EventLoop::RequestQuit();
    }
}
