// The editor under arbitrary user input: the input is read as a stream of presses, releases,
// moves, wheel turns, keys (with any modifiers), dropped files, resizes, passing time and close
// requests, given to whichever window is in front, the main window or a dialog or alert it
// opened. Nothing a user does with the mouse or keyboard may crash the editor, read freed or
// out-of-bounds memory, or hang it. File dialogs are always cancelled, so nothing is exported;
// the project (three small photos) is written afresh for every input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/core/PanomerDoc.h"
#include "app/core/Projection.h"
#include "app/ui/PanomerApp.h"
#include "app/ui/PanomerPrefs.h"
#include "app/ui/canvas/CanvasGuides.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_EventLoop.h"
#include "toolkit/framework/platform/Quor_MemoryHost.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/widgets/Quor_Dialog.h"
#include "toolkit/widgets/Quor_Menu.h"

namespace {

std::string gFolder;
std::vector<std::string> gDropFiles;

bool WriteText(const std::string& path, const std::string& text)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

// A photo of two colours side by side.
void WritePhoto(const std::string& path, uint32_t left, uint32_t right)
{
    Quor_BaseImage image;
    if (image.Initialize(64, 48, 32) != 0)
        std::abort();
    for (int y = 0; y < 48; y++) {
        auto* row = reinterpret_cast<uint32_t*>(image.RowPtr(y));
        for (int x = 0; x < 64; x++)
            row[x] = (x < 32 ? left : right) | 0xff000000u;
    }
    if (Quor_ImageIo::SaveImage(path.c_str(), &image, Quor_ImageIo::Format_JPEG, 90) != 0)
        std::abort();
}

std::string ProjectText()
{
    std::string text = std::string(PanomerDoc::kMimeType) + "\nversion 1\nprojection_type 1\nfocal_length 35\n"
                                                            "num_photos 3\n";
    const char* angles[3] = {"0 0 0 1", "0.4 0.1 0 1.2", "-0.4 -0.2 0.1 0.8"};
    for (int i = 0; i < 3; i++)
        text += std::string(angles[i]) + " \"" + gDropFiles[static_cast<size_t>(i)] + "\"\n";
    return text;
}

// Reads the input a byte at a time; zeros once it is used up.
class Input {
public:
    Input(const uint8_t* data, size_t size) : fData(data), fSize(size) {}
    bool More() const { return fPos < fSize; }
    int Byte() { return fPos < fSize ? fData[fPos++] : 0; }

private:
    const uint8_t* fData;
    size_t fSize;
    size_t fPos = 0;
};

// The special keys and a few letters the editor's shortcuts and fields use.
const int kKeys[] = {13, 3, 27, 9, 8, 127, 1, 4, 11, 12, 28, 29, 30, 31, 16, ' ', '-', '.', '0', '1', '5', '9',
                     'a', 'c', 'd', 'e', 'h', 'm', 'n', 'o', 'p', 'q', 'r', 's', 'v', 'w', 'x', 'z'};

class Session {
public:
    explicit Session(Quor_MemoryHost* host) : fHost(host) {}

    // Gives the window in front the next user action; false once the input is used up.
    bool Step(Input* in)
    {
        // Long inputs add little but time: a run stays well inside the fuzzer's time limit.
        if (!in->More() || ++fSteps > kMaxSteps)
            return false;
        const std::vector<uint32_t> windows = fHost->Windows();
        if (windows.empty())
            return false;
        const uint32_t window = windows.back();
        const int op = in->Byte();
        const int x = in->Byte() * 4 - 20;
        const int y = in->Byte() * 3 - 20;
        const int extra = in->Byte();
        const unsigned int modifiers = static_cast<unsigned int>(extra >> 4) & 0x0f;
        const int button = 1 + (extra & 3) % 3;
        switch (op % 12) {
        case 0:
        case 1:
            fHost->PushClick(window, x, y, button, modifiers);
            break;
        case 2:
            fHost->PushMouse(window, Quor_HostEvent::kMouseDown, x, y, button, modifiers);
            break;
        case 3:
            fHost->PushMouse(window, Quor_HostEvent::kMouseMove, x, y, button, modifiers);
            break;
        case 4:
            fHost->PushMouse(window, Quor_HostEvent::kMouseUp, x, y, button, modifiers);
            break;
        case 5:
            fHost->PushWheel(window, x, y, (extra & 7) - 3, 0, modifiers);
            break;
        case 6:
        case 7:
            fHost->PushKey(window, kKeys[static_cast<size_t>(x + 20) / 4 % (sizeof kKeys / sizeof kKeys[0])],
                           modifiers, (y + 20) / 3 < 8 ? 1u << ((y + 20) / 3) : 0u);
            break;
        case 8:
            fHost->PushDrop(window, gDropFiles[static_cast<size_t>(extra) % gDropFiles.size()], x, y);
            break;
        case 9:
            fHost->AdvanceTime(extra * 20);
            break;
        case 10:
            fHost->UserResize(window, x, y);
            break;
        default:
            if (extra < 8)
                fHost->PushClose(window);
            else
                fHost->PushText(window, std::string(1, static_cast<char>(' ' + extra % 95)), 0);
            break;
        }
        return true;
    }

private:
    static constexpr int kMaxSteps = 400;
    Quor_MemoryHost* fHost;
    int fSteps = 0;
};

Input* gInput = nullptr;
Session* gSession = nullptr;
int gIdleRounds = 0;

// A modal loop waits: the input goes on inside it; once it is used up, Escape and then the close
// box end whatever is open.
void OnIdle(Quor_MemoryHost* host)
{
    if (gSession != nullptr && gInput != nullptr && gSession->Step(gInput))
        return;
    const std::vector<uint32_t> windows = host->Windows();
    if (windows.empty())
        return;
    if (++gIdleRounds % 2 == 1)
        host->PushKey(windows.back(), 27);
    else
        host->PushClose(windows.back());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char pattern[] = "/tmp/panomer-fuzz-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        std::abort();
    gFolder = pattern;
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(gFolder, ignored);
    });
    setenv("HOME", gFolder.c_str(), 1);
    Quor_ImageOps::InitAlphaTables();
    Quor_ImageIo::InitImageLoader();
    const uint32_t colours[3][2] = {{0xc02020, 0x2020c0}, {0x20c020, 0xc0c020}, {0x808080, 0x20c0c0}};
    for (int i = 0; i < 3; i++) {
        gDropFiles.push_back(gFolder + "/photo" + std::to_string(i) + ".jpg");
        WritePhoto(gDropFiles.back(), colours[i][0], colours[i][1]);
    }
    gDropFiles.push_back(gFolder + "/notes.txt");
    WriteText(gDropFiles.back(), "not a photo\n");
    gDropFiles.push_back(gFolder + "/broken.jpg");
    WriteText(gDropFiles.back(), "\xff\xd8\xff\xe0 truncated");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string project = gFolder + "/pano.qpm";
    if (!WriteText(project, ProjectText()))
        std::abort();
    gFocalLength = 35.0f;
    gEnableFisheye = false;
    gDifferenceMode = gCrosshairGuide = gSnapMode = gHorizonGuide = false;
    Quor_Dialog::gPressMilliseconds = 0;
    Quor_Menu::gFlashMilliseconds = 0;

    Quor_MemoryHost host;
    if (!Quor_App::InitQuorSystem(&host))
        std::abort();
    // A loop that waits for what never comes is ended rather than hung.
    host.SetStallMilliseconds(20);
    host.SetIdleHook([&host] { OnIdle(&host); });
    Input input(data, size);
    Session session(&host);
    gInput = &input;
    gSession = &session;
    gIdleRounds = 0;
    {
        auto app = std::make_unique<PanomerApp>();
        app->ReadyToRun(project.c_str());
        Quor_App::SetFileDialogHook([](const Quor_FileDialogRequest&, Quor_String*) { return 1; });
        Quor_EventLoop::ProcessPending();
        while (session.Step(&input))
            Quor_EventLoop::ProcessPending();
        gInput = nullptr;
        app.reset();
        Quor_EventLoop::ProcessPending();
    }
    gSession = nullptr;
    Quor_App::SetFileDialogHook(nullptr);
    Quor_App::ShutdownQuorSystem();
    return 0;
}
