// Shared pieces of the export tests: the editor started on a tiny project (one photo larger than
// its preview, a square crop exported at 16 x 16), a save dialog answered from a list as the real
// one answers, scripts that act inside running modal loops, and readers of the windows the user
// would see (export dialogs, progress window, alerts).
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/ui/ExportDialog.h"
#include "app/ui/RenderProgress.h"
#include "tests/app/ui/EditorTestSupport.h"
#include "toolkit/widgets/Quor_DialogWnd.h"
#include "toolkit/widgets/Quor_FileDialog.h"
#include "toolkit/widgets/Quor_TextControl.h"

namespace export_test {

constexpr int kHostReturn = editor_test::kReturn;
constexpr int kHostEscape = editor_test::kEscape;

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

class ExportTest : public editor_test::EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        RenderProgress::gRenderOptions = RenderOptions();
        RenderProgress::gRenderOptions.startPauseMs = 0;
        fPhoto = fDir.File("photo.jpg");
        app_test::MakePhoto(fPhoto, 800, 600, quor_test::kRed, quor_test::kBlue);
        editor_test::WriteProject(fDir.File("pano.qpm"), {"photo.jpg"});
        Start(fDir.File("pano.qpm"));
        Use(kSquare, 16);
        Doc().fRenderHeight = 16;
        Doc().fQuality = 90;
    }

    void TearDown() override
    {
        fHost.SetIdleHook(nullptr);
        RenderProgress::gRenderOptions = RenderOptions();
        EditorTest::TearDown();
        EXPECT_TRUE(fChoices.empty()) << "file names chosen but never asked for: " << fChoices.size();
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
        Doc().fProjectionType = crop.type;
        for (int i = 0; i < 4; i++)
            Doc().fCrop[i] = crop.c[i];
        Doc().fRenderWidth = width;
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
    void ExpectPreviews()
    {
        for (int i = 0; i < Doc().fNumPhotos; i++)
            EXPECT_EQ(Doc().fPhotoImage[i].Width(), kPreviewSize) << "photo " << i << " is not back at its preview";
    }

    std::string fPhoto;
};

}  // namespace export_test
