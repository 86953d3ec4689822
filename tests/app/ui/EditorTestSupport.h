// The editor as a user meets it, on the in-memory host: the application started with or without
// a document, clicks, drags, keys and menu choices given through the host, alerts answered with
// keys as they appear, file dialogs answered from a list, and small photo and project files.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/core/PanomerDoc.h"
#include "app/core/Projection.h"
#include "app/ui/AlertWnd.h"
#include "app/ui/PanomerApp.h"
#include "app/ui/PanomerMainLayer.h"
#include "app/ui/PanomerPrefs.h"
#include "app/ui/PanomerView.h"
#include "app/ui/PanomerWnd.h"
#include "app/ui/PhotoListView.h"
#include "app/ui/canvas/CanvasGuides.h"
#include "tests/app/core/AppTestSupport.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/TestFiles.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_EventLoop.h"
#include "toolkit/framework/Quor_WindowList.h"
#include "toolkit/framework/platform/Quor_MemoryHost.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/widgets/Quor_Button.h"
#include "toolkit/widgets/Quor_Dialog.h"
#include "toolkit/widgets/Quor_FileDialog.h"
#include "toolkit/widgets/Quor_Menu.h"
#include "toolkit/widgets/Quor_MenuBar.h"
#include "toolkit/widgets/Quor_PopupMenu.h"

namespace editor_test {

// Host characters of the keys that answer alerts.
constexpr int kReturn = 13;
constexpr int kEscape = 27;
constexpr int kDelete = 127;

// A project whose photos are the given files at yaw 0.3 * i.
inline void WriteProject(const std::string& path, const std::vector<std::string>& photos, int type = 1,
                         float focal = 35.0f)
{
    std::string text = std::string(PanomerDoc::kMimeType) + "\nversion 1\nprojection_type " + std::to_string(type) +
                       "\nfocal_length " + std::to_string(focal) + "\nnum_photos " + std::to_string(photos.size()) + "\n";
    for (size_t i = 0; i < photos.size(); ++i)
        text += std::to_string(0.3 * static_cast<double>(i)) + " 0 0 1 \"" + photos[i] + "\"\n";
    ASSERT_TRUE(quor_test::WriteFileBytes(path, text));
}

inline Quor_Point Mid(Quor_Rect r)
{
    return Quor_Point((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Quor_App::InitQuorSystem(&fHost));
        sCurrent = this;
        fHost.SetStallMilliseconds(3000);
        fHost.SetStallHook([] { ADD_FAILURE() << "an event loop waited for something that never came"; });
        AnswerAlertsFromNowOn();
        Quor_Dialog::gPressMilliseconds = 0;
        Quor_Menu::gFlashMilliseconds = 0;
        gFocalLength = 35.0f;
        gEnableFisheye = false;
        gDifferenceMode = gCrosshairGuide = gSnapMode = gHorizonGuide = false;
    }
    void TearDown() override
    {
        fApp.reset();
        Pump();
        Quor_App::SetFileDialogHook(nullptr);
        Quor_App::ShutdownQuorSystem();
        sCurrent = nullptr;
        EXPECT_TRUE(fAnswers.empty()) << "alerts expected but never shown: " << fAnswers.size();
    }

    // File dialogs answer from the choices given with Choose (Start installs this).
    static void UseChosenFiles() { Quor_App::SetFileDialogHook(&FileDialog); }
    // The application as the program starts it, on `path` (may be empty).
    void Start(const std::string& path = "")
    {
        fApp = std::make_unique<PanomerApp>();
        // The window as a user left it at its least size, the same for every test's pictures.
        fApp->Prefs()->Set("main_window_location", Quor_Point(PanomerApp::kWindowLeft, PanomerApp::kWindowTop));
        fApp->Prefs()->Set("main_window_shape", Quor_Point(PanomerApp::kWindowWidth, PanomerApp::kWindowHeight));
        fApp->ReadyToRun(path.c_str());
        Quor_App::SetFileDialogHook(&FileDialog);
        ASSERT_NE(Wnd(), nullptr);
        Pump();
    }

    void Pump() { Quor_EventLoop::ProcessPending(); }
    PanomerWnd* Wnd() const { return fApp != nullptr ? fApp->MainWindow() : nullptr; }
    PanomerDoc& Doc() const { return *Wnd()->Document(); }
    PanomerMainLayer* Layer() const { return Wnd()->MainLayer(); }
    PhotoListView* List() const { return Layer()->PhotoList(); }
    PanomerView* Canvas() const { return Layer()->Canvas(); }
    uint32_t HostId() const { return Wnd()->PlatformWindow(); }
    int Strip() const { return Wnd()->MenuStripHeight(); }

    // --- Input at window (content) points ----------------------------------------------------
    void Mouse(Quor_HostEvent::Kind kind, Quor_Point p, unsigned int hostModifiers = 0)
    {
        fHost.PushMouse(HostId(), kind, p.x, p.y + Strip(), 1, hostModifiers);
        Pump();
    }
    void Click(Quor_Point p) { Mouse(Quor_HostEvent::kMouseDown, p), Mouse(Quor_HostEvent::kMouseUp, p); }
    void Drag(Quor_Point from, Quor_Point to, unsigned int hostModifiers = 0)
    {
        Mouse(Quor_HostEvent::kMouseDown, from, hostModifiers);
        Mouse(Quor_HostEvent::kMouseMove, Quor_Point((from.x + to.x) / 2, (from.y + to.y) / 2), hostModifiers);
        Mouse(Quor_HostEvent::kMouseMove, to, hostModifiers);
        Mouse(Quor_HostEvent::kMouseUp, to, hostModifiers);
    }
    void Key(int hostChar, unsigned int hostModifiers = 0)
    {
        fHost.PushKey(HostId(), hostChar, hostModifiers);
        Pump();
    }
    void DropFile(const std::string& path, Quor_Point where)
    {
        fHost.PushDrop(HostId(), path, where.x, where.y + Strip());
        Pump();
    }
    // A view's point in window coordinates.
    static Quor_Point InWindow(Quor_View* view, Quor_Point p)
    {
        view->ViewToWnd(p);
        return p;
    }
    Quor_Point ListCell(int i) const { return InWindow(List(), Mid(PhotoListView::CellRect(i))); }
    Quor_Point CanvasPoint(float yaw, float pitch) const
    {
        Quor_Point p;
        Canvas()->CanvasProjection().AnglesToPoint(yaw, pitch, p);
        return InWindow(Canvas(), p);
    }
    // Drags list photo i onto the canvas at the view point.
    void DragToCanvas(int i, Quor_Point canvasPoint) { Drag(ListCell(i), InWindow(Canvas(), canvasPoint)); }

    // Clicks the item of an open menu that sends `code`.
    void ClickItem(Quor_Menu* menu, int code)
    {
        ASSERT_TRUE(menu->IsOpen()) << "no open menu to choose " << code << " from";
        for (int i = 0; i < menu->CountItems(); ++i) {
            if (menu->ItemMessage(i) == code) {
                Quor_Point item = Mid(menu->ItemRect(i));
                menu->LayerToWnd(item);
                Click(item);
                return;
            }
        }
        FAIL() << "no menu item sends " << code;
    }
    // Chooses the menu item with this code from the menu bar, with two clicks as a user would.
    void ChooseMenu(int code)
    {
        Quor_MenuBar* bar = Layer()->MenuBarWidget();
        for (int m = 0; m < bar->CountMenus(); ++m) {
            if (bar->Menu(m)->ItemLabel(code)[0] == '\0')
                continue;
            const Quor_Point title = Mid(bar->MenuRect(m));
            fHost.PushClick(HostId(), title.x, title.y);
            Pump();
            ClickItem(bar->Menu(m), code);
            return;
        }
        FAIL() << "no menu item sends " << code;
    }
    // Chooses a projection from the pop-up beside the tools.
    void ChooseProjection(int code)
    {
        Click(InWindow(Layer()->ProjectionPopup(), Quor_Point(10, 5)));
        ClickItem(Layer()->ProjectionPopup()->Menu(), code);
    }
    // The item with this code as its menu shows it when it opens: enabled, checked.
    bool MenuEnabled(int code) { return MenuState(code, false); }
    bool MenuChecked(int code) { return MenuState(code, true); }
    std::string MenuLabel(int code)
    {
        Layer()->UpdateMenus();
        Quor_MenuBar* bar = Layer()->MenuBarWidget();
        for (int m = 0; m < bar->CountMenus(); ++m) {
            if (bar->Menu(m)->ItemLabel(code)[0] != '\0')
                return bar->Menu(m)->ItemLabel(code);
        }
        return std::string();
    }

    // --- Alerts and file dialogs ---------------------------------------------------------------
    // Answers: a host key, or one of these.
    static constexpr int kClickFirst = -1;   // -1, -2, -3: a click on button 1, 2 or 3
    static constexpr int kCloseBox = -10;    // the window manager's close request
    static constexpr int kRepeated = 0x10000;  // plus a key: that key's auto-repeat
    // The next alerts are answered one each, in order.
    void Answer(std::initializer_list<int> answers)
    {
        for (int a : answers)
            fAnswers.push_back({a});
    }
    // The next alert gets all of these, one after the other.
    void AnswerWithAll(std::vector<int> answers) { fAnswers.push_back(std::move(answers)); }
    // The next file dialogs choose these paths, in order ("" cancels). As the real save dialog
    // does, a saved name gets the first of the request's extensions unless it has one, and a
    // name the caller's check refuses leaves the dialog open for the next one (with none left,
    // it is cancelled).
    void Choose(std::initializer_list<std::string> paths) { fChoices.insert(fChoices.end(), paths); }

    // Puts back the idle hook that answers alerts (after a test replaced it).
    void AnswerAlertsFromNowOn()
    {
        fHost.SetIdleHook([this] { AnswerAlert(); });
    }

    std::vector<std::string> fAlerts;      // each alert's lines, joined by line feeds
    Quor_BaseImage fLastAlertShown;        // what the last alert showed when it was answered
    std::vector<std::string> fDialogs;     // "open <title>" or "save <title> <proposed name>"
    // "Replace?" prompts the save dialog put, each with the final name (answered Replace).
    std::vector<std::string> fReplacePrompts;
    // The extensions the last save dialog was given.
    std::string fExtensions;
    // Run when a name is chosen, before the dialog answers: the world may change meanwhile.
    std::function<void()> fOnChoose;

    Quor_MemoryHost fHost;
    std::unique_ptr<PanomerApp> fApp;
    quor_test::ScratchDir fDir;

private:
    bool MenuState(int code, bool checked)
    {
        Layer()->UpdateMenus();
        Quor_MenuBar* bar = Layer()->MenuBarWidget();
        for (int m = 0; m < bar->CountMenus(); ++m) {
            if (bar->Menu(m)->ItemLabel(code)[0] != '\0')
                return checked ? bar->Menu(m)->IsChecked(code) : bar->Menu(m)->IsEnabled(code);
        }
        ADD_FAILURE() << "no menu item sends " << code;
        return false;
    }

    void AnswerAlert()
    {
        const std::vector<uint32_t> windows = fHost.Windows();
        if (windows.empty())
            return;
        auto* alert = dynamic_cast<AlertWnd*>(Quor_WindowList::FindByHost(windows.back()));
        // By the host's window, whose ids are never used twice (the toolkit's may be).
        if (alert == nullptr || windows.back() == fLastAlert)
            return;
        fLastAlert = windows.back();
        fAlerts.push_back(alert->Form()->Text().Buffer());
        if (const Quor_BaseImage* shown = fHost.Shown(windows.back())) {
            if (fLastAlertShown.Initialize(shown->Width(), shown->Height(), 32) == 0)
                Quor_ImageOps::Blit(&shown->Image(), &fLastAlertShown.Image(), 0, 0);
        }
        std::vector<int> answers = {kEscape};
        if (fAnswers.empty())
            ADD_FAILURE() << "unexpected alert: " << fAlerts.back();
        else
            answers = fAnswers.front(), fAnswers.pop_front();
        for (int a : answers) {
            if (a == kCloseBox) {
                fHost.PushClose(windows.back());
            } else if (a < 0) {
                Quor_Button* button = alert->Form()->Button(kClickFirst - a);
                ASSERT_NE(button, nullptr);
                Quor_Point p = Mid(button->Bounds());
                button->ViewToWnd(p);
                fHost.PushClick(windows.back(), p.x, p.y);
            } else if (a >= kRepeated) {
                fHost.PushRepeatedKey(windows.back(), a - kRepeated);
            } else {
                fHost.PushKey(windows.back(), a);
            }
        }
    }

    static int FileDialog(const Quor_FileDialogRequest& request, Quor_String* path)
    {
        EditorTest* self = sCurrent;
        // A save dialog's proposal, or the folder an open dialog starts in.
        const bool proposes = request.save || (request.defaultName != nullptr && *request.defaultName != '\0');
        self->fDialogs.push_back(std::string(request.save ? "save " : "open ") + request.title +
                                 (proposes ? std::string(" ") + request.defaultName : std::string()));
        if (request.save)
            self->fExtensions = request.extensions;
        if (self->fChoices.empty()) {
            ADD_FAILURE() << "unexpected file dialog " << self->fDialogs.back();
            return 1;
        }
        while (!self->fChoices.empty()) {
            const std::string chosen = self->fChoices.front();
            self->fChoices.pop_front();
            if (chosen.empty())
                return 1;
            Quor_String final = chosen.c_str();
            if (request.save) {
                final = Quor_FileDialog::WithExtension(chosen.c_str(), request.extensions);
                if (request.accept && !request.accept(final.Buffer()))
                    continue;
                if (std::filesystem::exists(final.Buffer()))
                    self->fReplacePrompts.push_back(final.Buffer());
            }
            if (self->fOnChoose)
                self->fOnChoose();
            *path = final;
            return 0;
        }
        return 1;
    }

    static inline EditorTest* sCurrent = nullptr;
    std::deque<std::vector<int>> fAnswers;

protected:
    std::deque<std::string> fChoices;

private:
    uint32_t fLastAlert = 0;
};

}  // namespace editor_test
