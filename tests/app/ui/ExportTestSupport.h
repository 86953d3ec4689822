// Shared pieces of the export tests: the toolkit on the in-memory host with an application
// object, a file dialog that answers with a path the test chose, a tiny project (one small photo
// shown in a canvas), scripts that act inside running modal loops, and readers of the windows
// the user would see (export dialogs, progress window, alerts).
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/core/PanomerDoc.h"
#include "app/ui/AlertWnd.h"
#include "app/ui/ExportDialog.h"
#include "app/ui/PanomerView.h"
#include "app/ui/RenderProgress.h"
#include "tests/app/core/AppTestSupport.h"
#include "tests/toolkit/framework/FrameworkTestSupport.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_Layer.h"
#include "toolkit/framework/Quor_WindowList.h"
#include "toolkit/widgets/Quor_Button.h"
#include "toolkit/widgets/Quor_Dialog.h"
#include "toolkit/widgets/Quor_DialogWnd.h"
#include "toolkit/widgets/Quor_TextControl.h"

namespace export_test {

constexpr int kHostReturn = 13;
constexpr int kHostEscape = 27;
constexpr int kHostTab = 9;

constexpr float kPi = 3.14159265f;

// A projection type and its crop (maximum yaw, minimum yaw, maximum pitch, minimum pitch).
struct Crop {
    int type;
    float c[4];
};

constexpr Crop kFullSphere{PanomerDoc::kHorizontalSpherical, {kPi, -kPi, kPi / 2, -kPi / 2}};
constexpr Crop kFullVertical{PanomerDoc::kVerticalSpherical, {kPi, -kPi, kPi / 2, -kPi / 2}};
constexpr Crop kSquare{PanomerDoc::kHorizontalSpherical, {0.6f, -0.6f, 0.6f, -0.6f}};
// A strip 0.1 radians wide and the whole height: about 0.032 as wide as high.
constexpr Crop kNarrowStrip{PanomerDoc::kHorizontalSpherical, {0.05f, -0.05f, kPi / 2, -kPi / 2}};

// The file dialog the exports ask for a name: it answers with `answer` ("" cancels) and
// remembers what it was asked.
struct FileDialogStandIn {
    static inline std::string answer;
    static inline std::string askedTitle;
    static inline std::string askedName;
    static inline int calls = 0;

    static int Run(const Quor_FileDialogRequest& request, Quor_String* path)
    {
        ++calls;
        askedTitle = request.title;
        askedName = request.defaultName;
        if (answer.empty())
            return 1;
        *path = answer.c_str();
        return 0;
    }
};

// The windows of one kind that are open now, oldest first.
template <class T>
std::vector<T*> OpenWindows()
{
    std::vector<T*> found;
    for (Quor_Wnd* window : Quor_WindowList::All()) {
        if (auto* w = dynamic_cast<T*>(window))
            found.push_back(w);
    }
    return found;
}

// The dialog of type T shown in an open dialog window, or null.
template <class T>
T* OpenDialog()
{
    for (Quor_DialogWnd* window : OpenWindows<Quor_DialogWnd>()) {
        if (auto* dialog = dynamic_cast<T*>(window->Dialog()))
            return dialog;
    }
    return nullptr;
}

// A main window holding the canvas of the document, as the editor shows it.
class CanvasLayer : public Quor_Layer {
public:
    CanvasLayer(Quor_Rect frame, PanomerDoc* doc)
    {
        SetShape(frame.Width(), frame.Height());
        fView = new PanomerView(Quor_Rect(0, 0, frame.Width() - 1, frame.Height() - 1), doc);
        AddChild(fView);
    }
    PanomerView* fView;
};

class ExportTest : public quor_test::MemoryHostTest {
protected:
    static constexpr int kCanvasWidth = 240;
    static constexpr int kCanvasHeight = 160;

    void SetUp() override
    {
        MemoryHostTest::SetUp();
        fApp = std::make_unique<Quor_App>("Quor_Panomer", "1.7", false);
        Quor_App::SetFileDialogHook(FileDialogStandIn::Run);
        FileDialogStandIn::answer.clear();
        FileDialogStandIn::calls = 0;
        Quor_Dialog::gPressMilliseconds = 0;
        RenderProgress::gRenderOptions = RenderOptions();
        RenderProgress::gRenderOptions.startPauseMs = 0;

        // A square crop of a horizontal spherical panorama, so 16 x 16 keeps its proportions,
        // and one photo in its middle, red on the left and blue on the right, larger than its
        // preview so that the two sizes can be told apart.
        fPhoto = fDir.File("photo.jpg");
        app_test::MakePhoto(fPhoto, 800, 600, quor_test::kRed, quor_test::kBlue);
        fDoc.fPath = fDir.File("pano.qpm").c_str();
        app_test::AddPhoto(&fDoc, fPhoto, 0.0f);
        Use(kSquare, 16);
        fDoc.fRenderHeight = 16;
        fDoc.fQuality = 90;

        fMain = new Quor_Wnd("main", Quor_Rect(0, 60, kCanvasWidth - 1, 60 + kCanvasHeight - 1), true, 0, nullptr);
        fMainHost = fMain->PlatformWindow();
        fMainId = fMain->Id();
        fCanvasLayer = new CanvasLayer(Quor_Rect(0, 0, kCanvasWidth - 1, kCanvasHeight - 1), &fDoc);
        fMain->AddLayer(fCanvasLayer);
        fMain->Show();
        Pump();
    }

    void TearDown() override
    {
        fHost.SetIdleHook(nullptr);
        if (Quor_WindowList::Find(fMainId) == fMain)
            fMain->CloseWindow();
        Pump();
        Quor_App::SetFileDialogHook(nullptr);
        Quor_Dialog::gPressMilliseconds = 200;
        RenderProgress::gRenderOptions = RenderOptions();
        fApp.reset();
        MemoryHostTest::TearDown();
    }

    // Runs one step each time a modal loop has nothing left to do and `ready` holds; a loop
    // that outlasts the steps fails the test through the stall limit (or spins on its timers,
    // which the watchdog ends).
    void Script(std::vector<std::function<bool()>> steps)
    {
        auto remaining = std::make_shared<std::vector<std::function<bool()>>>(std::move(steps));
        auto next = std::make_shared<size_t>(0);
        const auto start = std::chrono::steady_clock::now();
        fHost.SetIdleHook([this, remaining, next, start] {
            if (std::chrono::steady_clock::now() - start > std::chrono::seconds(20)) {
                ADD_FAILURE() << "a modal loop ran for 20 seconds";
                fHost.SetIdleHook(nullptr);
                Quor_EventLoop::Abort();
                return;
            }
            if (*next < remaining->size() && (*remaining)[*next]())
                ++*next;
        });
    }

    void Use(const Crop& crop, int width = 1024)
    {
        fDoc.fProjectionType = crop.type;
        for (int i = 0; i < 4; i++)
            fDoc.fCrop[i] = crop.c[i];
        fDoc.fRenderWidth = width;
    }

    // The text of the alert on screen ("" without one), and its answer by Return.
    static std::string AlertShown()
    {
        const std::vector<AlertWnd*> alerts = OpenWindows<AlertWnd>();
        return alerts.empty() || alerts.back()->Form() == nullptr ? std::string()
                                                                   : std::string(alerts.back()->Form()->Text());
    }
    void AnswerAlert()
    {
        const std::vector<AlertWnd*> alerts = OpenWindows<AlertWnd>();
        if (!alerts.empty())
            fHost.PushKey(alerts.back()->PlatformWindow(), kHostReturn);
    }
    // A click in the view (a button), as the user gives it.
    void ClickOn(Quor_View* view)
    {
        Quor_Rect r = view->LayerFrame();
        r.OffsetBy(view->Layer()->Location().x, view->Layer()->Location().y);
        fHost.PushClick(view->Window()->PlatformWindow(), r.left + 4, r.top + 4);
    }
    void KeyTo(Quor_Wnd* window, int hostChar) { fHost.PushKey(window->PlatformWindow(), hostChar); }
    // Types into the dialog's focused field, replacing what it holds (it is all selected).
    void TypeInto(Quor_Wnd* window, const std::string& text)
    {
        for (char c : text)
            fHost.PushKey(window->PlatformWindow(), c);
    }

    // Every photo of the document holds its editing preview.
    void ExpectPreviews() const
    {
        for (int i = 0; i < fDoc.fNumPhotos; i++)
            EXPECT_EQ(fDoc.fPhotoImage[i].Width(), kPreviewSize) << "photo " << i << " is not back at its preview";
    }

    PanomerView* Canvas() const { return fCanvasLayer->fView; }

    std::unique_ptr<Quor_App> fApp;
    app_test::ScratchDir fDir;
    std::string fPhoto;
    PanomerDoc fDoc{35.0f};
    Quor_Wnd* fMain = nullptr;
    uint32_t fMainHost = 0;
    uint32_t fMainId = 0;
    CanvasLayer* fCanvasLayer = nullptr;
};

}  // namespace export_test
