#include "demo/quor-gallery/GalleryApp.h"

#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "demo/quor-gallery/GalleryLayer.h"
#include "demo/quor-gallery/GalleryWnd.h"
#include "toolkit/core/Quor_Number.h"
#include "toolkit/widgets/Quor_FileDialog.h"

namespace {

constexpr int kQuitTimer = 200;

// The quoted arguments of the command line, in order.
std::vector<std::string> Arguments()
{
    std::vector<std::string> out;
    const char* text = Quor_App::fArguments.Buffer();
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p != '"')
            continue;
        const char* end = p + 1;
        while (*end != '\0' && *end != '"')
            ++end;
        out.emplace_back(p + 1, end);
        if (*end == '\0')
            break;
        p = end;
    }
    return out;
}

}  // namespace

GalleryApp::GalleryApp() : Quor_App("Quor_Gallery", "1.0", false) {}

void GalleryApp::ReadyToRun(const char*)
{
    Quor_RegisterWidgetDialogs();
    fWindow = new (std::nothrow) GalleryWnd(Quor_Point(40, 40));
    if (fWindow == nullptr) {
        Quit();
        return;
    }
    gMainWnd = fWindow;
    fWindow->Show();

    const std::vector<std::string> args = Arguments();
    for (size_t i = 0; i + 1 < args.size(); ++i) {
        float value = 0.0f;
        if (!Quor_Number::ParseFloat(args[i + 1].c_str(), &value))
            continue;
        if (args[i] == "--quit-after" && value > 0.0f)
            fWindow->SetTimer(value, this, kQuitTimer);
        else if (args[i] == "--tab" && fWindow->Layer() != nullptr)
            fWindow->Layer()->ShowTab(static_cast<int>(value));
    }
    if (fWindow->Layer() != nullptr)
        fWindow->Layer()->PrintLayout();
    std::printf("ready\n");
    std::fflush(stdout);
}

void GalleryApp::HandleMessage(Quor_Message* message)
{
    if (message->what == kQuitTimer) {
        std::printf("quit after timeout\n");
        std::fflush(stdout);
        Quit();
    }
}

int Quor_Main()
{
    GalleryApp app;
    app.Run();
    return 0;
}
