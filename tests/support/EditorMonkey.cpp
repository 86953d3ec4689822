#include "tests/support/EditorMonkey.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <typeinfo>

#include "app/core/PanomerDoc.h"
#include "app/core/Projection.h"
#include "app/ui/PanomerApp.h"
#include "app/ui/PanomerCodes.h"
#include "app/ui/PanomerMainLayer.h"
#include "app/ui/PanomerPrefs.h"
#include "app/ui/PanomerView.h"
#include "app/ui/PanomerWnd.h"
#include "app/ui/PhotoListView.h"
#include "app/ui/canvas/CanvasCodes.h"
#include "app/ui/canvas/CanvasGuides.h"
#include "app/ui/canvas/CanvasTools.h"
#include "app/ui/canvas/CropLines.h"
#include "toolkit/core/Quor_MemStream.h"
#include "toolkit/core/Quor_Parallel.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_EventLoop.h"
#include "toolkit/framework/Quor_Layer.h"
#include "toolkit/framework/Quor_View.h"
#include "toolkit/framework/Quor_WindowList.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/framework/platform/Quor_MemoryHost.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/widgets/Quor_Dialog.h"
#include "toolkit/widgets/Quor_FileDialog.h"
#include "toolkit/widgets/Quor_Menu.h"
#include "toolkit/widgets/Quor_MenuBar.h"

namespace {

EditorMonkey* sMonkey = nullptr;

// The starting project: three photos at different angles and brightness.
constexpr const char* kAngles[3] = {"0 0 0 1", "0.4 0.1 0 1.2", "-0.4 -0.2 0.1 0.8"};
// Project files the save and open dialogs name, in the scratch folder.
constexpr int kSavedNames = 3;

// The special keys and a few letters the editor's shortcuts and fields use.
const int kKeys[] = {13, 3, 27, 9, 8, 127, 1, 4, 11, 12, 28, 29, 30, 31, 16, ' ', '-', '.', '0', '1', '5', '9',
                     'a', 'b', 'c', 'd', 'e', 'h', 'm', 'n', 'o', 'p', 'q', 'r', 's', 'v', 'w', 'x', 'z'};
// The menu shortcuts, given with Ctrl.
const int kShortcuts[] = {'s', 's', 'z', 'n', 'o', 'q', 'd', 'l', 'r', 'a', 'p', 'j', 'e', 'x', 'c', 'v'};

bool WriteText(const std::string& path, const std::string& text)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

// A photo of two colours side by side.
bool WritePhoto(const std::string& path, uint32_t left, uint32_t right)
{
    Quor_BaseImage image;
    if (image.Initialize(64, 48, 32) != 0)
        return false;
    for (int y = 0; y < 48; y++) {
        auto* row = reinterpret_cast<uint32_t*>(image.RowPtr(y));
        for (int x = 0; x < 64; x++)
            row[x] = (x < 32 ? left : right) | 0xff000000u;
    }
    return Quor_ImageIo::SaveImage(path.c_str(), &image, Quor_ImageIo::Format_JPEG, 90) == 0;
}

// What identifies one writing of a file: a save replaces the file, so its inode changes.
std::string FileId(const char* path)
{
    struct stat st;
    if (path == nullptr || *path == '\0' || stat(path, &st) != 0)
        return std::string();
    return std::to_string(st.st_ino) + ":" + std::to_string(st.st_size) + ":" + std::to_string(st.st_mtim.tv_sec) +
           "." + std::to_string(st.st_mtim.tv_nsec);
}

// Every view of a layer, depth first.
void CollectViews(Quor_View* view, std::vector<Quor_View*>* out)
{
    out->push_back(view);
    for (int i = 0; i < view->CountChildren(); i++) {
        if (Quor_View* child = view->GetChild(i))
            CollectViews(child, out);
    }
}

}  // namespace

int EditorMonkey::Actions::Byte()
{
    if (fRandom) {
        // splitmix64: a fixed sequence for each seed on every platform.
        uint64_t z = (fState += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return static_cast<int>((z ^ (z >> 31)) & 0xff);
    }
    return fPos < fSize ? fData[fPos++] : 0;
}

// The file dialogs: a project save is answered with one of a few names in the scratch folder, an
// export is cancelled (exports are checked elsewhere and take long), an open picks a project,
// a photo or a file that is neither.
class EditorMonkey::Driver {
public:
    static int FileDialog(const Quor_FileDialogRequest& request, Quor_String* path)
    {
        EditorMonkey* m = sMonkey;
        if (m == nullptr || m->fActions == nullptr)
            return 1;
        const int choice = m->fActions->Byte();
        if (request.save) {
            if (std::strstr(request.extensions, ".qpm") == nullptr || choice % 4 == 3)
                return 1;
            const Quor_String chosen = Quor_FileDialog::WithExtension(
                (m->fFolder + "/saved" + std::to_string(choice % kSavedNames)).c_str(), request.extensions);
            if (request.accept && !request.accept(chosen.Buffer()))
                return 1;
            *path = chosen;
            return 0;
        }
        if (m->fOpenProject) {
            m->fOpenProject = false;
            *path = m->fProject.c_str();
            return 0;
        }
        const std::string files[] = {m->fProject, m->fFolder + "/saved0.qpm", m->fFolder + "/saved1.qpm",
                                     m->fDropFiles[0], m->fDropFiles[3], m->fDropFiles[4]};
        const size_t n = static_cast<size_t>(choice) % 8;
        if (n >= sizeof files / sizeof files[0])
            return 1;
        *path = files[n].c_str();
        return 0;
    }
};

EditorMonkey::EditorMonkey() = default;

EditorMonkey::~EditorMonkey()
{
    if (fApp) {
        fApp.reset();
        Quor_EventLoop::ProcessPending();
    }
    if (fHost) {
        Quor_App::SetFileDialogHook(nullptr);
        Quor_App::ShutdownQuorSystem();
        fHost.reset();
    }
    if (sMonkey == this)
        sMonkey = nullptr;
    Quor_Parallel::SetThreads(0);
    if (fHadHome)
        setenv("HOME", fOldHome.c_str(), 1);
    else if (!fFolder.empty())
        unsetenv("HOME");
    if (!fFolder.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(fFolder, ignored);
    }
}

bool EditorMonkey::Start(std::string* error)
{
    char pattern[] = "/tmp/panomer-monkey-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        *error = "cannot make a scratch folder";
        return false;
    }
    fFolder = pattern;
    fProject = fFolder + "/pano.qpm";
    // The preferences and settings the editor writes stay in the scratch folder.
    if (const char* home = std::getenv("HOME")) {
        fHadHome = true;
        fOldHome = home;
    }
    setenv("HOME", fFolder.c_str(), 1);
    Quor_ImageOps::InitAlphaTables();
    Quor_ImageIo::InitImageLoader();
    // One thread: a run does the same work in the same order every time, and starts no threads
    // for the small photos' drawing.
    Quor_Parallel::SetThreads(1);
    const uint32_t colours[3][2] = {{0xc02020, 0x2020c0}, {0x20c020, 0xc0c020}, {0x808080, 0x20c0c0}};
    for (int i = 0; i < 3; i++) {
        fDropFiles.push_back(fFolder + "/photo" + std::to_string(i) + ".jpg");
        if (!WritePhoto(fDropFiles.back(), colours[i][0], colours[i][1])) {
            *error = "cannot write " + fDropFiles.back();
            return false;
        }
    }
    fDropFiles.push_back(fFolder + "/notes.txt");
    fDropFiles.push_back(fFolder + "/broken.jpg");
    if (!WriteText(fDropFiles[3], "not a photo\n") || !WriteText(fDropFiles[4], "\xff\xd8\xff\xe0 truncated")) {
        *error = "cannot write the scratch files";
        return false;
    }

    fHost = std::make_unique<Quor_MemoryHost>();
    if (!Quor_App::InitQuorSystem(fHost.get())) {
        *error = "the toolkit does not start on the in-memory host";
        return false;
    }
    sMonkey = this;
    // The actions keep every loop busy: one that still waits for what never comes (in real
    // time, for a thread that never answers) hangs the editor.
    fHost->SetStallMilliseconds(5000);
    fHost->SetStallHook([this] { Fail("no loop waits for what never comes", "a loop waited 5 s"); });
    fTrace = std::getenv("EDITOR_MONKEY_TRACE") != nullptr;
    fHost->SetIdleHook([this] { OnIdle(); });
    Quor_Dialog::gPressMilliseconds = 0;
    Quor_Menu::gFlashMilliseconds = 0;
    Reset();
    if (MainWindow() == nullptr) {
        *error = "the editor's window does not open";
        return false;
    }
    return true;
}

PanomerWnd* EditorMonkey::MainWindow() const
{
    return fApp ? fApp->MainWindow() : nullptr;
}

void EditorMonkey::StartApp()
{
    if (fApp) {
        fApp.reset();
        Quor_EventLoop::ProcessPending();
    }
    gFocalLength = 35.0f;
    gEnableFisheye = false;
    fApp = std::make_unique<PanomerApp>();
    fApp->ReadyToRun(fProject.c_str());
    Quor_App::SetFileDialogHook(&Driver::FileDialog);
    Quor_EventLoop::ProcessPending();
}

void EditorMonkey::Reset()
{
    // The files a run may have written go; the project is as at start.
    std::string text = std::string(PanomerDoc::kMimeType) +
                       "\nversion 1\nprojection_type 1\nfocal_length 35\nnum_photos 3\n";
    for (int i = 0; i < 3; i++)
        text += std::string(kAngles[i]) + " \"" + fDropFiles[static_cast<size_t>(i)] + "\"\n";
    for (int i = 0; i < kSavedNames; i++)
        std::remove((fFolder + "/saved" + std::to_string(i) + ".qpm").c_str());
    if (!WriteText(fProject, text))
        Fail("the project can be written", fProject);

    // Whatever the last run left in the host: buttons or keys held, a clipboard, due timers.
    fActions = nullptr;
    int mx = 0, my = 0;
    unsigned int buttons = 0;
    fHost->GlobalMouse(&mx, &my, &buttons);
    PanomerWnd* wnd = MainWindow();
    // A press whose release never came (the run ended first) gets one, far outside the window.
    if (wnd != nullptr && wnd->MainLayer() != nullptr && wnd->MainLayer()->MouseView() != nullptr)
        buttons |= 7u;
    if (buttons != 0 && wnd != nullptr) {
        for (int b = 1; b <= 3; b++) {
            if (buttons & (1u << (b - 1)))
                fHost->PushMouse(wnd->PlatformWindow(), Quor_HostEvent::kMouseUp, -4000, -4000, b);
        }
    }
    fHost->SetLiveModifiers(0);
    fHost->SetClipboard("", false);
    Quor_EventLoop::ProcessPending();

    gDifferenceMode = gCrosshairGuide = gSnapMode = gHorizonGuide = false;
    // Windows the run opened beside the main one (the About box) close.
    wnd = MainWindow();
    std::vector<uint32_t> others;
    for (Quor_Wnd* other : Quor_WindowList::All()) {
        if (other != wnd)
            others.push_back(other->Id());
    }
    // Closing one may close others (its children): each is looked up again first.
    for (uint32_t id : others) {
        if (Quor_Wnd* other = Quor_WindowList::Find(id))
            other->CloseWindow();
    }
    Quor_EventLoop::ProcessPending();
    if (wnd == nullptr || fApp->IsQuitRequested() || Quor_WindowList::Count() != 1 || Quor_EventLoop::Aborted()) {
        // The last run closed the editor or left a window open: a fresh application object.
        StartApp();
        wnd = MainWindow();
    }
    if (wnd != nullptr) {
        // Whether the application object is new or not, the same steps bring the window to the
        // same state: its first size, no menu open, the pointer outside, the project read again,
        // nothing focused, the pan tool.
        const uint32_t host = wnd->PlatformWindow();
        const int height = PanomerApp::kWindowHeight + wnd->MenuStripHeight();
        const Quor_MemoryHost::Window* record = fHost->WindowRecord(host);
        if (record != nullptr && (record->width != PanomerApp::kWindowWidth || record->height != height))
            fHost->UserResize(host, PanomerApp::kWindowWidth, height);
        PanomerMainLayer* layer = wnd->MainLayer();
        while (wnd->TopLayer() != nullptr && wnd->TopLayer() != layer) {
            auto* menu = dynamic_cast<Quor_Menu*>(wnd->TopLayer());
            if (menu == nullptr)
                break;
            menu->Close();
        }
        fHost->PushLeave(host);
        Quor_EventLoop::ProcessPending();
        gFocalLength = 35.0f;
        gEnableFisheye = false;
        Quor_Message open(kCmdOpen);
        open.Set("path", fProject.c_str());
        wnd->SendMessage(&open);
        layer->SetFocus(nullptr);
        layer->SendMessage(kToolPan);
        Quor_EventLoop::ProcessPending();
    }
    // Far past every double-click interval and every pending timer of the last run.
    fHost->AdvanceTime(60000);
    Quor_EventLoop::ProcessPending();

    Baseline();
}

void EditorMonkey::Baseline()
{
    PanomerWnd* wnd = MainWindow();
    PanomerDoc* doc = wnd != nullptr ? wnd->Document() : nullptr;
    fCleanText = doc != nullptr ? DocumentText(doc) : std::string();
    fCleanPath = doc != nullptr ? doc->fPath.Buffer() : "";
    fFileId = FileId(fCleanPath.c_str());
}

int EditorMonkey::Run(Actions* actions, int maxActions, const std::string& run)
{
    Reset();
    fActions = actions;
    fRun = run;
    fStep = 0;
    fMaxSteps = maxActions;
    fIdleRounds = 0;
    fEmptyFor = 0;
    fOpenProject = false;
    fLastAction = "the start";
    Check();
    while (Step())
        Quor_EventLoop::ProcessPending();
    Quor_EventLoop::ProcessPending();
    Check();
    const int played = fStep;
    fActions = nullptr;
    return played;
}

void EditorMonkey::OnIdle()
{
    // A modal loop waits: the actions go on inside it (an action that queues nothing, such as
    // passing time, is followed by the next, so the loop never waits for input that does not
    // come); once they are used up, Escape and then the close box end whatever is open.
    while (fActions != nullptr && Step()) {
        if (fHost->QueuedEvents() > 0)
            return;
    }
    const std::vector<uint32_t> windows = fHost->Windows();
    if (windows.empty())
        return;
    if (++fIdleRounds % 2 == 1)
        fHost->PushKey(windows.back(), 27);
    else
        fHost->PushClose(windows.back());
}

bool EditorMonkey::Step()
{
    if (fActions == nullptr || !fActions->More() || fStep >= fMaxSteps)
        return false;
    // What the last action did is checked before the next one is given.
    Check();
    if (Quor_EventLoop::ModalDepth() == 0 && (MainWindow() == nullptr || fApp->IsQuitRequested())) {
        // The editor was quit: it ends as the program would, and starts again on the project.
        // The quit has asked about unsaved changes already; the window closes without asking.
        if (PanomerWnd* main = MainWindow())
            main->Document()->fModified = false;
        fApp->OnQuit();
        StartApp();
        Baseline();
    }
    if (fTrace) {
        const auto now = std::chrono::steady_clock::now();
        std::string print = Fingerprint();
        print = print.substr(print.find("modified "));
        std::fprintf(stderr, "action %d (%s): %.2f ms; then %s, modal depth %d\n", fStep, fLastAction.c_str(),
                     std::chrono::duration<double, std::milli>(now - fTraceStart).count(), print.c_str(),
                     Quor_EventLoop::ModalDepth());
        fTraceStart = now;
    }
    const std::vector<uint32_t> windows = fHost->Windows();
    if (windows.empty())
        return false;
    ++fStep;
    const uint32_t window = windows.back();
    // A run that has emptied the document opens the project again after a while, through the
    // File menu's shortcut and its dialog, so that most actions have photos to work on.
    PanomerWnd* main = MainWindow();
    fEmptyFor = main != nullptr && main->Document()->fNumPhotos == 0 ? fEmptyFor + 1 : 0;
    if (fEmptyFor >= 40 && Quor_EventLoop::ModalDepth() == 0 && main != nullptr) {
        fEmptyFor = 0;
        fOpenProject = true;
        fHost->PushKey(main->PlatformWindow(), 'o', QUOR_HOST_CTRL);
        fLastAction = "Ctrl+o for the project";
        return true;
    }
    Quor_Wnd* wnd = Quor_WindowList::FindByHost(window);
    Actions& in = *fActions;
    const int op = in.Byte();
    const int a = in.Byte();
    const int b = in.Byte();
    const int extra = in.Byte();
    const int x = a * 4 - 20;
    const int y = b * 3 - 20;
    const unsigned int modifiers = static_cast<unsigned int>(extra >> 4) & 0x0f;
    const int button = 1 + (extra & 3) % 3;
    char what[96];
    switch (op % 24) {
    case 0:
    case 1:
        fHost->PushClick(window, x, y, button, modifiers);
        std::snprintf(what, sizeof what, "click at (%d, %d)", x, y);
        break;
    case 2:
        fHost->PushMouse(window, Quor_HostEvent::kMouseDown, x, y, button, modifiers);
        std::snprintf(what, sizeof what, "press at (%d, %d)", x, y);
        break;
    case 3:
    case 4:
        fHost->PushMouse(window, Quor_HostEvent::kMouseMove, x, y, button, modifiers);
        std::snprintf(what, sizeof what, "move to (%d, %d)", x, y);
        break;
    case 5:
        fHost->PushMouse(window, Quor_HostEvent::kMouseUp, x, y, button, modifiers);
        std::snprintf(what, sizeof what, "release at (%d, %d)", x, y);
        break;
    case 6:
        fHost->PushWheel(window, x, y, (extra & 7) - 3, 0, modifiers);
        std::snprintf(what, sizeof what, "wheel at (%d, %d)", x, y);
        break;
    case 7:
    case 8: {
        const int key = kKeys[static_cast<size_t>(a) % (sizeof kKeys / sizeof kKeys[0])];
        fHost->PushKey(window, key, modifiers, b < 8 ? 1u << b : 0u);
        std::snprintf(what, sizeof what, "key %d", key);
        break;
    }
    case 9: {
        const int key = kShortcuts[static_cast<size_t>(a) % (sizeof kShortcuts / sizeof kShortcuts[0])];
        fHost->PushKey(window, key, QUOR_HOST_CTRL | (modifiers & QUOR_HOST_SHIFT));
        std::snprintf(what, sizeof what, "Ctrl+%c", key);
        break;
    }
    case 10:
        fHost->PushDrop(window, fDropFiles[static_cast<size_t>(extra) % fDropFiles.size()], x, y);
        std::snprintf(what, sizeof what, "drop at (%d, %d)", x, y);
        break;
    case 11:
        fHost->AdvanceTime(extra * 20);
        std::snprintf(what, sizeof what, "%d ms pass", extra * 20);
        break;
    case 12:
        // Resizing redraws everything: rarer than the other actions.
        if (extra < 64) {
            fHost->UserResize(window, x, y);
            std::snprintf(what, sizeof what, "resize to %d x %d", x, y);
        } else {
            fHost->PushKey(window, extra % 2 ? 13 : 27);
            std::snprintf(what, sizeof what, "%s", extra % 2 ? "Return" : "Escape");
        }
        break;
    case 13:
        if (extra < 8) {
            fHost->PushClose(window);
            std::snprintf(what, sizeof what, "close box");
        } else {
            fHost->PushText(window, std::string(1, static_cast<char>(' ' + extra % 95)), 0);
            std::snprintf(what, sizeof what, "text '%c'", ' ' + extra % 95);
        }
        break;
    default: {
        // A press, a drag or a click on one of the front window's controls (its top layer and
        // the views in it, or a title of the menu bar).
        Quor_Layer* layer = wnd != nullptr ? wnd->TopLayer() : nullptr;
        if (layer == nullptr) {
            fHost->PushClick(window, x, y, button, modifiers);
            std::snprintf(what, sizeof what, "click at (%d, %d)", x, y);
            break;
        }
        std::vector<Quor_View*> views;
        for (int i = 0; i < layer->CountChildren(); i++) {
            if (Quor_View* child = layer->GetChild(i))
                CollectViews(child, &views);
        }
        const int strip = wnd->MenuStripHeight();
        auto* bar = dynamic_cast<Quor_MenuBar*>(layer->MenuBar());
        // A point inside control t (0: the layer, then the views, then the menu titles).
        auto pointIn = [&](size_t t, int u, int v) {
            Quor_Rect r;
            Quor_Point p;
            if (t > 0 && t <= views.size()) {
                r = views[t - 1]->Bounds();
                p.Set(r.left + (r.Width() + 1) * u / 256, r.top + (r.Height() + 1) * v / 256);
                views[t - 1]->ViewToWnd(p);
                p.y += strip;
            } else if (t > views.size() && bar != nullptr) {
                r = bar->MenuRect(static_cast<int>(t - views.size() - 1));
                p.Set(r.left + (r.Width() + 1) * u / 256, r.top + (r.Height() + 1) * v / 256);
            } else {
                r = layer->Frame();
                p.Set((r.Width() + 1) * u / 256, (r.Height() + 1) * v / 256);
                layer->LayerToWnd(p);
                p.y += strip;
            }
            return p;
        };
        const size_t controls = 1 + views.size() + (bar != nullptr ? static_cast<size_t>(bar->CountMenus()) : 0);
        const size_t t = static_cast<size_t>(a) % controls;
        const Quor_Point p = pointIn(t, b, extra);
        if (op % 24 < 20) {
            fHost->PushClick(window, p.x, p.y, 1, 0);
            std::snprintf(what, sizeof what, "click on control %zu at (%d, %d)", t, p.x, p.y);
        } else {
            // A drag to another control, through a point half-way, with modifiers.
            const size_t t2 = static_cast<size_t>(in.Byte()) % controls;
            const Quor_Point q = pointIn(t2, in.Byte(), in.Byte());
            const unsigned int held = static_cast<unsigned int>(op >> 5) & 3u;
            fHost->PushMouse(window, Quor_HostEvent::kMouseDown, p.x, p.y, 1, held);
            fHost->PushMouse(window, Quor_HostEvent::kMouseMove, (p.x + q.x) / 2, (p.y + q.y) / 2, 1, held);
            fHost->PushMouse(window, Quor_HostEvent::kMouseMove, q.x, q.y, 1, held);
            fHost->PushMouse(window, Quor_HostEvent::kMouseUp, q.x, q.y, 1, held);
            std::snprintf(what, sizeof what, "drag from (%d, %d) to (%d, %d)", p.x, p.y, q.x, q.y);
        }
        break;
    }
    }
    fLastAction = what;
    return true;
}

std::string EditorMonkey::DocumentText(PanomerDoc* doc) const
{
    Quor_MemStream stream;
    if (stream.OpenWrite(4096) != 0)
        return "<no memory>";
    if (!doc->Save(&stream))
        return "<not storable>";
    return std::string(stream.RawData(), static_cast<size_t>(stream.FileSize()));
}

void EditorMonkey::Fail(const char* rule, const std::string& detail) const
{
    std::fprintf(stderr, "\neditor monkey: broken rule: %s\n  run: %s, action %d (%s)\n  %s\n", rule, fRun.c_str(),
                 fStep, fLastAction.c_str(), detail.c_str());
    std::fflush(stderr);
    std::abort();
}

void EditorMonkey::Check()
{
    PanomerWnd* wnd = MainWindow();
    if (wnd == nullptr)
        return;
    PanomerDoc& doc = *wnd->Document();
    char detail[256];
    const int n = doc.fNumPhotos;
    if (n < 0 || n > kMaxPhotos) {
        std::snprintf(detail, sizeof detail, "%d photos", n);
        Fail("the photo count stays within 0..kMaxPhotos", detail);
    }
    if (PanomerMainLayer* layer = wnd->MainLayer()) {
        const int listed = layer->PhotoList()->CountPhotos();
        if (listed < 0 || listed > PhotoListView::kMaxListPhotos) {
            std::snprintf(detail, sizeof detail, "%d photos in the list", listed);
            Fail("the photo list holds at most its maximum", detail);
        }
    }
    if (doc.fSelected < -1 || doc.fSelected >= n) {
        std::snprintf(detail, sizeof detail, "selection %d of %d photos", doc.fSelected, n);
        Fail("the selection is -1 or one of the photos", detail);
    }
    if (doc.fProjectionType < PanomerDoc::kPerspective || doc.fProjectionType > PanomerDoc::kFlat) {
        std::snprintf(detail, sizeof detail, "projection type %d", doc.fProjectionType);
        Fail("the projection type is one of the five", detail);
    }
    if (!(doc.fFocalLength >= kMinFocalLength && doc.fFocalLength <= kMaxFocalLength)) {
        std::snprintf(detail, sizeof detail, "focal length %g", doc.fFocalLength);
        Fail("the focal length stays within the user's range", detail);
    }
    constexpr float kPi = 3.14159265f;
    for (int i = 0; i < n; i++) {
        std::snprintf(detail, sizeof detail, "photo %d: yaw %.9g pitch %.9g roll %.9g brightness %.9g", i, doc.fYaw[i],
                      doc.fPitch[i], doc.fRoll[i], doc.fBrightness[i]);
        if (!(std::fabs(doc.fYaw[i]) <= kPi + 1e-6f))
            Fail("a photo's yaw stays within -pi..pi", detail);
        if (!(std::fabs(doc.fPitch[i]) <= CanvasTools::kPitchLimit))
            Fail("a photo's pitch stays inside the poles", detail);
        if (!std::isfinite(doc.fRoll[i]))
            Fail("a photo's roll is a finite number", detail);
        if (!(doc.fBrightness[i] >= CanvasTools::kMinBrightness && doc.fBrightness[i] <= CanvasTools::kMaxBrightness))
            Fail("a photo's brightness stays within the tool's range", detail);
    }
    float lon = 0.0f, lat = 0.0f;
    if (CropLines::Range(doc.fProjectionType, &lon, &lat)) {
        const float* c = doc.fCrop;
        std::snprintf(detail, sizeof detail, "crop %.9g %.9g %.9g %.9g, projection %d", c[0], c[1], c[2], c[3],
                      doc.fProjectionType);
        constexpr float kSlack = 1e-5f;
        for (int k = 0; k < 4; k++) {
            const float limit = k < 2 ? lon : lat;
            if (!(std::fabs(c[k]) <= limit + kSlack))
                Fail("the crop stays within its projection's range", detail);
        }
        if (!(c[0] - c[1] >= CropLines::kGap - kSlack) || !(c[2] - c[3] >= CropLines::kGap - kSlack))
            Fail("the crop keeps the minimum gap between opposite lines", detail);
    }

    // The modified flag: a save clears it, and while it is clear the document is what it was
    // when it was last saved or opened, or a new one.
    const std::string path = doc.fPath.Buffer();
    const std::string fileId = FileId(path.c_str());
    const bool saved = !path.empty() && fileId != fFileId && path == fCleanPath;
    const std::string text = DocumentText(&doc);
    float fresh[4];
    if (path.empty()) {
        // One action may save and then start a new document (the answer to "Save changes?").
        if (!doc.fModified && (n != 0 || !PanomerDoc::DefaultCrop(doc.fProjectionType, fresh) ||
                               std::memcmp(fresh, doc.fCrop, sizeof fresh) != 0))
            Fail("a document without a file and without unsaved changes is a new one", text);
    } else if (saved || path != fCleanPath) {
        if (saved && doc.fModified)
            Fail("a save clears the modified flag", path);
        if (!doc.fModified && !fileId.empty()) {
            // Saved or opened: the file reads back as this very document.
            std::unique_ptr<PanomerDoc> again = doc.ReadAnother(path.c_str());
            if (!again)
                Fail("a saved project reads back", path);
            const std::string reread = DocumentText(again.get());
            if (reread != text)
                Fail("a saved project reads back as the same document", "in memory:\n" + text + "read back:\n" + reread);
            if (saved)
                ++fSavesChecked;
        }
    } else if (!doc.fModified && text != fCleanText) {
        Fail("every change of the document sets the modified flag", "was:\n" + fCleanText + "now:\n" + text);
    }
    fFileId = fileId;
    if (!doc.fModified) {
        fCleanText = text;
        fCleanPath = path;
    }
}

std::string EditorMonkey::Fingerprint() const
{
    PanomerWnd* wnd = MainWindow();
    if (wnd == nullptr)
        return "no window";
    const PanomerDoc& doc = *wnd->Document();
    std::string out = DocumentText(wnd->Document());
    out += "modified " + std::to_string(doc.fModified) + ", selected " + std::to_string(doc.fSelected) + ", title \"" +
           wnd->Title().Buffer() + "\"";
    int width = 0, height = 0;
    fHost->GetSize(wnd->PlatformWindow(), &width, &height);
    out += ", " + std::to_string(width) + "x" + std::to_string(height);
    if (PanomerMainLayer* layer = wnd->MainLayer()) {
        const Projection& view = layer->Canvas()->CanvasProjection();
        char numbers[96];
        std::snprintf(numbers, sizeof numbers, ", zoom %.9g, offset %.9g %.9g, tool %d", view.Zoom(), view.Offset().x,
                      view.Offset().y, layer->Canvas()->Tools().Tool());
        out += numbers;
        Quor_View* focus = layer->FocusView();
        out += std::string(", focus ") + (focus != nullptr ? typeid(*focus).name() : "none");
        Quor_View* pressed = layer->MouseView();
        out += std::string(", pressed ") + (pressed != nullptr ? typeid(*pressed).name() : "none");
        out += ", " + std::to_string(layer->PhotoList()->CountPhotos()) + " listed";
    }
    if (Quor_Layer* top = wnd->TopLayer())
        out += std::string(", top ") + typeid(*top).name();
    out += ", " + std::to_string(Quor_WindowList::Count()) + " windows";
    return out;
}
