#include "demo/quor-demo/DemoApp.h"

#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "demo/quor-demo/DemoWnd.h"
#include "toolkit/core/Quor_Number.h"

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

DemoApp::DemoApp() : Quor_App("Quor_Demo", "1.0", false) {}

void DemoApp::ReadyToRun(const char*)
{
    fWindow = new (std::nothrow) DemoWnd(Quor_Rect(100, 100, 579, 399));
    if (fWindow == nullptr) {
        Quit();
        return;
    }
    gMainWnd = fWindow;
    fWindow->Show();

    const std::vector<std::string> args = Arguments();
    for (size_t i = 0; i + 1 < args.size(); ++i) {
        float seconds = 0.0f;
        if (args[i] == "--quit-after" && Quor_Number::ParseFloat(args[i + 1].c_str(), &seconds) && seconds > 0.0f)
            fWindow->SetTimer(seconds, this, kQuitTimer);
    }
    std::printf("ready\n");
    std::fflush(stdout);
}

void DemoApp::HandleMessage(Quor_Message* message)
{
    if (message->what == kQuitTimer) {
        std::printf("quit after timeout\n");
        std::fflush(stdout);
        Quit();
    }
}

int Quor_Main()
{
    DemoApp app;
    app.Run();
    return 0;
}
