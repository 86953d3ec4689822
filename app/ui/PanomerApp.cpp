#include "app/ui/PanomerApp.h"

#include <algorithm>
#include <new>

#include "app/ui/PanomerPrefs.h"
#include "app/ui/PanomerWnd.h"
#include "toolkit/framework/Quor_WindowList.h"
#include "toolkit/framework/platform/Quor_Host.h"
#include "toolkit/widgets/Quor_FileDialog.h"

PanomerApp::PanomerApp() : Quor_App("Quor_Panomer", "1.7", false), fMainWnd(nullptr), fMainWndId(0)
{
    // ~/.config/panomer/
    SetSettingsFolder("panomer");
}

PanomerApp::~PanomerApp()
{
    if (PanomerWnd* window = MainWindow())
        window->CloseWindow();
}

PanomerWnd* PanomerApp::MainWindow() const
{
    if (fMainWnd == nullptr || Quor_WindowList::Find(fMainWndId) != fMainWnd)
        return nullptr;
    return fMainWnd;
}

Quor_Rect PanomerApp::FirstFrame(const Quor_Rect& screen)
{
    if (screen.Width() <= 0 || screen.Height() <= 0)
        return Quor_Rect(kWindowLeft, kWindowTop, kWindowLeft + kWindowWidth - 1, kWindowTop + kWindowHeight - 1);
    const int screenWidth = screen.Width(), screenHeight = screen.Height();
    const int width = std::min({kFirstMaxWidth, std::max(kWindowWidth, screenWidth * 4 / 5), screenWidth});
    const int height = std::min({kFirstMaxHeight, std::max(kWindowHeight, screenHeight * 4 / 5), screenHeight});
    const int left = screen.left + (screenWidth - width) / 2, top = screen.top + (screenHeight - height) / 2;
    return Quor_Rect(left, top, left + width - 1, top + height - 1);
}

void PanomerApp::ReadyToRun(const char* path)
{
    Quor_RegisterWidgetDialogs();
    ReadPanomerPrefs(Prefs());
    // A document named relative to the folder the program started in stays the same file.
    const Quor_Path startup = Quor_Path(path != nullptr ? path : "").Absolute();
    Quor_Host* host = Quor_Host::Current();
    const Quor_Rect frame = FirstFrame(host != nullptr ? host->ScreenBounds() : Quor_Rect(0, 0, -1, -1));
    try {
        fMainWnd = new PanomerWnd(frame, startup);
    } catch (const std::bad_alloc&) {
        fMainWnd = nullptr;
    }
    if (fMainWnd == nullptr) {
        Quit();
        return;
    }
    fMainWndId = fMainWnd->Id();
    gMainWnd = fMainWnd;
}

void PanomerApp::OnQuit()
{
    WritePanomerPrefs(Prefs());
    if (PanomerWnd* window = MainWindow())
        window->CloseWindow();
    fMainWnd = nullptr;
}
