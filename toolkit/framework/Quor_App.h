// The application object: owns the user and application settings, the theme colours, the
// interface fonts and the string table, runs the program's life from loading the settings to
// saving them, and receives every message no window handled, under its "App Lock".
#pragma once

#include <atomic>
#include <vector>

#include "toolkit/core/Quor_Message.h"
#include "toolkit/core/Quor_Mutex.h"
#include "toolkit/core/Quor_Path.h"
#include "toolkit/core/Quor_RgbColor.h"
#include "toolkit/core/Quor_String.h"
#include "toolkit/framework/Quor_EventLoopState.h"
#include "toolkit/framework/Quor_FileDialogHook.h"
#include "toolkit/framework/Quor_Handler.h"

class Quor_Font;
class Quor_Host;
class Quor_Wnd;

class Quor_App : public Quor_Handler {
public:
    // Longest string-table text read.
    static constexpr int kMaxStringText = 1024;

    static Quor_App* gApp;
    // The command-line arguments, each in double quotes, separated by blanks.
    static Quor_String fArguments;
    static Quor_Font* gRegularFont;
    static Quor_Font* gBoldFont;
    static Quor_Font* gItalicFont;
    static Quor_Font* gRegularSmallFont;
    static Quor_Font* gBoldSmallFont;
    static Quor_Font* gItalicSmallFont;
    static Quor_Font* gRegularLargeFont;
    static Quor_Font* gBoldLargeFont;
    static Quor_Font* gItalicLargeFont;
    static bool gDisableCursors;
    static bool gTabletAvailable;

    // `name` prefixes every settings file; the first three characters of `secondName` select
    // the string table; with `localise` the string table is read at start.
    Quor_App(const char* name, const char* secondName, bool localise);
    ~Quor_App() override;

    // Empty: the application overrides it to receive every message no window handled.
    void HandleMessage(Quor_Message* message) override;
    // Called once after the settings are loaded and before the event loop runs.
    virtual void ReadyToRun(const char* startupPath);
    // Called once after the event loop ended and before the settings are saved.
    virtual void OnQuit();

    // Loads the settings, calls ReadyToRun, runs the event loop until Quit, calls OnQuit and
    // saves the settings.
    void Run();
    // Ends the event loop; before Run reaches the loop, Run skips it. Any thread.
    void Quit();
    bool IsQuitRequested() const;
    bool Lock(int timeoutMs);
    void Unlock();
    // The event loop's state while this application runs: its own, so that nothing a former
    // application object left (a quit request, a modal stack) reaches this one.
    Quor_EventLoopState& LoopState() { return fLoopState; }

    const Quor_String& Name() const { return fName; }
    // The second name given at construction; applications pass their version string there.
    const Quor_String& SecondName() const { return fSecondName; }
    Quor_Message* Prefs() { return &fPrefs; }
    Quor_Message* AppPrefs() { return &fAppPrefs; }

    // The text stored under id; without one, stores the fallback under id and returns it.
    const char* AppString(int id, const char* fallback);
    void SetAppString(int id, const char* text);
    int CountAppStrings() const { return static_cast<int>(fStrings.size()); }
    void LoadAppStrings();
    // The string table is only ever read.
    void SaveAppStrings() {}

    void LoadCustomFonts();
    void LoadCustomColors();
    void SaveCustomColors();
    static void ResetGUIColors();
    // Reads a colour from the user settings, alpha forced to 255; false when the key is missing.
    bool LoadColor(const char* key, rgb_color& out);
    void SaveColor(const char* key, const rgb_color& color);

    // The folder that holds the program's data: the build folder when the program runs from a
    // build (the folder marked by a ".quor-build-root" file, searched from the executable's
    // folder upwards), otherwise <prefix>/share/panomer next to the installed program.
    static Quor_Path AppDir();
    // Overrides AppDir (tests, relocated installs); null or "" restores the search.
    static void SetAppDir(const char* dir);
    // HOME, or AppDir() when HOME is empty.
    Quor_Path PrefsDir() const;
    // The folder of the settings files: $XDG_CONFIG_HOME/<folder> ($HOME/.config/<folder> when
    // it is not set to an absolute path); AppDir() without HOME. The folder's name is the
    // application's name unless SetSettingsFolder gave another ("panomer").
    Quor_Path SettingsDir() const;
    void SetSettingsFolder(const char* name) { fSettingsFolder = name != nullptr ? name : ""; }
    // The "FontDir" user setting, or the system's outline font folder.
    Quor_Path FontDir();
    // "user.settings" and "app.settings" in SettingsDir() (<name>.user.settings and
    // <name>.app.settings in the AppDir() fallback).
    Quor_Path UserSettingsPath() const;
    Quor_Path AppSettingsPath() const;
    // Where earlier versions kept them ($HOME/.<name>.user.settings, AppDir()/<name>.app.settings):
    // read when the new file is not there yet, and removed once the new one is written.
    Quor_Path OldUserSettingsPath() const;
    Quor_Path OldAppSettingsPath() const;
    Quor_Path StringTablePath() const;

    // Asks the desktop to open the file with its default application (xdg-open, started with an
    // argument vector, never through a shell): 0, or an errno value.
    static int LaunchFile(const char* path);
    // Hands a web address to the desktop's opener, which shows it in the user's browser: 0, or an
    // errno value (EINVAL for anything that is not a plain address with a scheme, such as
    // "https:", so that nothing reaches the opener as an option or a file name).
    static int LaunchURL(const char* url);

    // Runs the registered open or save dialog modally; when the user chooses a file, sends
    // `target` a message `what` with the string field "path". Cancelling sends nothing. Returns
    // 0 (chosen or cancelled), QUOR_ERR_NO_MODULE without a registered dialog, QUOR_ERR_ARGUMENT
    // without a target, or the dialog's own failure. An open dialog starts in `startFolder`
    // when one is given (null or "" for the dialog's own choice).
    int OpenFileDialog(Quor_Wnd* parent, const char* title, Quor_Handler* target, int what,
                       const char* description, const char* patterns, const char* startFolder);
    int SaveFileDialog(Quor_Wnd* parent, const char* title, Quor_Handler* target, int what,
                       const char* defaultName, const char* ignored);
    // The same with every choice of the request (its extensions and acceptance check).
    int SaveFileDialog(const Quor_FileDialogRequest& request, Quor_Handler* target, int what);
    static void SetFileDialogHook(Quor_FileDialogHook hook);

    // InitQuorSystem, the application's Quor_Main, ShutdownQuorSystem; returns the process's
    // exit status (1 when the toolkit cannot start, for example without a display).
    static int Main();
    // Sets the toolkit up on `host`, or on the host the registered factory makes when host is
    // null. False, with a sentence for the user in *error, when no host can start.
    static bool InitQuorSystem(Quor_Host* host = nullptr, Quor_String* error = nullptr);
    static void ShutdownQuorSystem();
    // Makes the host for InitQuorSystem(nullptr); the program's entry registers it.
    using HostFactory = Quor_Host* (*)();
    static void SetHostFactory(HostFactory factory);

private:
    struct StringEntry {
        int id;
        Quor_String text;
    };

    Quor_String fName;
    Quor_String fSecondName;
    Quor_String fSettingsFolder;
    bool fLocalise;
    std::atomic<bool> fQuitRequested;
    Quor_Message fPrefs;
    Quor_Message fAppPrefs;
    Quor_MutexHandle fLock;
    std::vector<StringEntry> fStrings;
    Quor_EventLoopState fLoopState;
};

// The last document path the desktop handed over before or during start-up.
extern Quor_Path gStartupFilePath;
// The window that receives the desktop's quit request; without one, the application quits.
extern Quor_Wnd* gMainWnd;

// Supplied by the application: creates its application object and runs it.
int Quor_Main();

// The desktop asks to open these documents: the last one wins in gStartupFilePath; once a
// toolkit window has the focus it is sent QUOR_MSG_OPEN_DOCUMENT with "path".
void Quori_OpenDocHandler(const char* const* paths, int count);
// The desktop asks the program to quit: QUOR_MSG_QUIT to gMainWnd, or Quit without one.
void Quori_QuitHandler();
