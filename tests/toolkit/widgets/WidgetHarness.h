// A window on the in-memory host with one form layer, for driving widgets with clicks, keys and
// the wheel and reading back what the window shows; and a small icon to put on buttons.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/GoldenImage.h"
#include "tests/support/ImageFixtures.h"
#include "tests/toolkit/framework/FrameworkTestSupport.h"
#include "toolkit/core/Quor_Utf8.h"
#include "toolkit/framework/Quor_Layer.h"
#include "toolkit/framework/Quor_View.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"

namespace quor_test {

// A layer on which Tab moves the focus between fields, as in a dialog. It records the codes of
// the messages that climb up to it.
class FormLayer : public Quor_Layer {
public:
    bool TabAdvance() override { return true; }
    void HandleMessage(Quor_Message* message) override
    {
        fHeard.push_back(message->what);
        Quor_Layer::HandleMessage(message);
    }
    int Heard(int what) const
    { return static_cast<int>(std::count(fHeard.begin(), fHeard.end(), what)); }
    std::vector<int> fHeard;
};

class WidgetWindowTest : public MemoryHostTest {
protected:
    static constexpr int kWidth = 400;
    static constexpr int kHeight = 300;

    void SetUp() override
    {
        MemoryHostTest::SetUp();
        MakeWindow();
    }
    void TearDown() override
    {
        fHost.SetIdleHook(nullptr);
        CloseWindow();
        MemoryHostTest::TearDown();
    }

    // A fresh window and form, for table-driven cases that each need their own.
    void SetUpWindowAgain()
    {
        CloseWindow();
        MakeWindow();
    }

    // Puts the view on the form at (x, y); call before Open so that it draws with the layer.
    template <class V>
    V* Place(V* view, int x, int y)
    {
        view->SetLocation(x, y);
        fLayer->AddChild(view);
        return view;
    }

    // Shows the window with its form.
    void Open()
    {
        fWindow->AddLayer(fLayer);
        fWindow->Show();
        Pump();
    }

    // Input as the desktop sends it, each handled before the call returns; keys are host
    // characters (see Quor_HostEvent).
    void Click(int x, int y, int button = 1, unsigned int hostModifiers = 0)
    {
        fHost.PushClick(fHostId, x, y, button, hostModifiers);
        Pump();
    }
    void ClickOn(const Quor_View* view) { Click(Centre(view).x, Centre(view).y); }
    void Press(int x, int y, int button = 1) { Mouse(Quor_HostEvent::kMouseDown, x, y, button); }
    void Move(int x, int y) { Mouse(Quor_HostEvent::kMouseMove, x, y, 1); }
    void Release(int x, int y, int button = 1) { Mouse(Quor_HostEvent::kMouseUp, x, y, button); }
    void Mouse(Quor_HostEvent::Kind kind, int x, int y, int button)
    {
        fHost.PushMouse(fHostId, kind, x, y, button);
        Pump();
    }
    void Wheel(int x, int y, int notches, unsigned int hostModifiers = 0)
    {
        fHost.PushWheel(fHostId, x, y, notches, 0, hostModifiers);
        Pump();
    }
    void Key(int hostChar, unsigned int hostModifiers = 0)
    {
        fHost.PushKey(fHostId, hostChar, hostModifiers);
        Pump();
    }
    // Typed UTF-8 text, character by character: key presses for ASCII, typed text for the rest.
    void Type(const std::string& text)
    {
        for (size_t at = 0; at < text.size();) {
            const size_t next = Quor_Utf8::NextBoundary(text.data(), text.size(), at);
            const unsigned char c = static_cast<unsigned char>(text[at]);
            if (c >= 0x20 && c <= 0x7E)
                fHost.PushKey(fHostId, c);
            else
                fHost.PushText(fHostId, text.substr(at, next - at));
            at = next;
        }
        Pump();
    }
    void Wait(int ms)
    {
        for (int t = 0; t < ms; t += 10) {
            fHost.AdvanceTime(10);
            Pump();
        }
    }

    // A copy of what the window shows over the view's rectangle.
    void Capture(const Quor_View* view, Quor_BaseImage* out) { CaptureRect(OnWindow(view), out); }
    Quor_Rect OnWindow(const Quor_View* view) const
    {
        Quor_Rect r = view->LayerFrame();
        r.OffsetBy(fLayer->Location().x, fLayer->Location().y);
        return r;
    }
    void CaptureRect(Quor_Rect r, Quor_BaseImage* out)
    {
        const Quor_BaseImage* shown = fHost.Shown(fHostId);
        ASSERT_NE(shown, nullptr);
        ASSERT_EQ(out->Initialize(r.Width(), r.Height(), 32), 0);
        Quor_image part;
        ASSERT_EQ(Quor_ImageOps::FillImage(&shown->Image(), r, &part), 0);
        Quor_ImageOps::Blit(&part, &out->Image(), 0, 0);
    }
    // What the window shows over r, against a picture in the widgets' golden folder.
    void ExpectGolden(Quor_Rect r, const std::string& name)
    {
        Quor_BaseImage shot;
        CaptureRect(r, &shot);
        EXPECT_GOLDEN(shot.Image(), "tests/toolkit/widgets/golden/" + name, 0);
    }
    void ExpectGolden(const Quor_View* view, const std::string& name) { ExpectGolden(OnWindow(view), name); }
    rgb_color Shown(int x, int y) { return fHost.PixelAt(fHostId, x, y); }
    // Whether a frame in the window's content lies wholly inside it.
    static bool InsideWindow(Quor_Rect frame)
    {
        const Quor_Rect window(0, 0, kWidth - 1, kHeight - 1);
        return window.Contains(frame.LeftTop()) && window.Contains(frame.RightBottom());
    }

private:
    void MakeWindow()
    {
        fWindow = new Quor_Wnd("widgets", Quor_Rect(0, 60, kWidth - 1, 60 + kHeight - 1), false, 0, nullptr);
        fHostId = fWindow->PlatformWindow();
        fLayer = new FormLayer();
        fLayer->SetShape(kWidth, kHeight);
    }
    void CloseWindow()
    {
        // A form never shown belongs to the test, not to the window.
        if (fLayer != nullptr && fLayer->Window() == nullptr)
            delete fLayer;
        fLayer = nullptr;
        if (fWindow != nullptr)
            fWindow->CloseWindow();
        fWindow = nullptr;
        Pump();
    }

protected:
    Quor_Wnd* fWindow = nullptr;
    FormLayer* fLayer = nullptr;
    uint32_t fHostId = 0;
};

// A 16 x 16 icon: a blue disc with a white cross on a transparent ground.
inline void MakeIcon(Quor_BaseImage* icon, int size = 16)
{
    ASSERT_EQ(icon->Initialize(size, size, 32), 0);
    const float c = (size - 1) / 2.0f;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float dx = x - c;
            const float dy = y - c;
            uint32_t p = Px(0, 0, 0, 0);
            if (dx * dx + dy * dy <= c * c)
                p = (x == size / 2 || y == size / 2) ? Px(255, 255, 255) : Px(40, 90, 200);
            At(icon->Image(), x, y) = p;
        }
    }
}

}  // namespace quor_test
