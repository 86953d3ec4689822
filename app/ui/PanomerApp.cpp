#include "app/ui/PanomerApp.h"

#include <new>

#include "app/ui/PanomerPrefs.h"
#include "app/ui/PanomerWnd.h"
#include "toolkit/framework/Quor_WindowList.h"
#include "toolkit/widgets/Quor_FileDialog.h"

PanomerApp::PanomerApp() : Quor_App("Quor_Panomer", "1.7", false), fMainWnd(nullptr), fMainWndId(0) {}

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

void PanomerApp::ReadyToRun(const char* path)
{
    Quor_RegisterWidgetDialogs();
    ReadPanomerPrefs(Prefs());
    // A document named relative to the folder the program started in stays the same file.
    const Quor_Path startup = Quor_Path(path != nullptr ? path : "").Absolute();
    const Quor_Rect frame(kWindowLeft, kWindowTop, kWindowLeft + kWindowWidth - 1, kWindowTop + kWindowHeight - 1);
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
