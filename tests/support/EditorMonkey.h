// The editor under random use on the in-memory host, shared by the editor fuzzer and the monkey
// test: actions (presses, drags, keys, drops, resizes, time, closes, menu shortcuts and clicks
// on the controls of whichever window is in front) are read from bytes, and after every action
// the document is checked against the rules it must keep. A broken rule ends the process with a
// message naming the rule, the run and the action.
//
// The application, its window and the photo files are made once per process; every run starts
// from the same state (the three-photo project read again, the tools, guides, preferences and
// window size as at start), so the same actions always give the same run.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class PanomerApp;
class PanomerDoc;
class PanomerWnd;
class Quor_MemoryHost;

class EditorMonkey {
public:
    // Where the actions come from: the fuzzer's bytes (zeros once they are used up), or a
    // generator started from a seed (never used up).
    class Actions {
    public:
        Actions(const uint8_t* data, size_t size) : fData(data), fSize(size) {}
        explicit Actions(uint64_t seed) : fRandom(true), fState(seed) {}
        bool More() const { return fRandom || fPos < fSize; }
        int Byte();

    private:
        const uint8_t* fData = nullptr;
        size_t fSize = 0;
        size_t fPos = 0;
        bool fRandom = false;
        uint64_t fState = 0;
    };

    EditorMonkey();
    ~EditorMonkey();
    EditorMonkey(const EditorMonkey&) = delete;
    EditorMonkey& operator=(const EditorMonkey&) = delete;

    // Makes the scratch folder (also HOME), the photos and the project, starts the toolkit on an
    // in-memory host and opens the editor on the project. False with a reason when any of it fails.
    bool Start(std::string* error);

    // Plays up to maxActions actions from the starting state, checking the document after each;
    // `run` names the run in a failure message ("seed 7", "this input"). Returns the number of
    // actions played.
    int Run(Actions* actions, int maxActions, const std::string& run);

    // What the editor holds now: the document as saved, its flags, the window's title and size,
    // the canvas's zoom, offset and tool, the focused and pressed views, the open layers and
    // windows. Two runs of the same actions give the same fingerprint. (Not the pixels: a few at the
    // list's rounded frame corners differ after different histories.)
    std::string Fingerprint() const;

    // Saves made and checked by reading the file again, over all runs.
    int64_t SavesChecked() const { return fSavesChecked; }
    const std::string& Folder() const { return fFolder; }
    PanomerWnd* MainWindow() const;

private:
    class Driver;
    friend class Driver;

    // Back to the starting state; rebuilds the application object when the last run closed it.
    void Reset();
    void StartApp();
    // The document as it is now counts as the last one without unsaved changes.
    void Baseline();
    // Gives the window in front the next action; false once the actions are used up.
    bool Step();
    // Called by the host when a loop would wait: inside a modal loop the actions go on there.
    void OnIdle();
    // Checks the rules; a broken one ends the process.
    void Check();
    void Fail(const char* rule, const std::string& detail) const;
    std::string DocumentText(PanomerDoc* doc) const;

    std::string fFolder;
    std::string fOldHome;
    bool fHadHome = false;
    std::string fProject;
    std::vector<std::string> fDropFiles;
    std::unique_ptr<Quor_MemoryHost> fHost;
    std::unique_ptr<PanomerApp> fApp;

    Actions* fActions = nullptr;
    std::string fRun;
    int fStep = 0;
    int fMaxSteps = 0;
    int fIdleRounds = 0;
    // Actions since the document last had photos; whether the next open dialog picks the project.
    int fEmptyFor = 0;
    bool fOpenProject = false;
    std::string fLastAction;
    // EDITOR_MONKEY_TRACE set: every action is printed with the time it took.
    bool fTrace = false;
    std::chrono::steady_clock::time_point fTraceStart;

    // The document as it was when it last had no unsaved changes, and the file it came from.
    std::string fCleanText;
    std::string fCleanPath;
    std::string fFileId;
    int64_t fSavesChecked = 0;
    int fSaveCount = 0;
};
