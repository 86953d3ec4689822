// Colour swatches: the picker they open, the answer they take (with or without alpha) and pass
// on, a cancelled live preview, and how they show translucent colours.
#include <gtest/gtest.h>

#include "tests/toolkit/widgets/WidgetHarness.h"
#include "toolkit/framework/Quor_EventLoop.h"
#include "toolkit/widgets/Quor_ColorPicker.h"
#include "toolkit/widgets/Quor_ColorSwatch.h"

using namespace quor_test;

namespace {

constexpr rgb_color kStart{200, 40, 30, 100};

}  // namespace

class QuorColorSwatch : public WidgetWindowTest {
protected:
    // Clicks the swatch; once the picker is up, `act` runs on it, then OK or Cancel is clicked.
    void PickWith(Quor_ColorSwatch* swatch, std::function<void(Quor_ColorPicker*, uint32_t)> act, bool ok)
    {
        bool done = false;
        fHost.SetIdleHook([this, &done, act, ok] {
            Quor_Wnd* modal = Quor_EventLoop::ModalWindow();
            if (done || modal == nullptr)
                return;
            done = true;
            Quor_ColorPicker* picker = dynamic_cast<Quor_ColorPicker*>(modal->TopLayer());
            ASSERT_NE(picker, nullptr);
            fPickerStart = picker->StartColor();
            act(picker, modal->PlatformWindow());
            const Quor_Point button = Centre(ok ? picker->OKButton() : picker->CancelButton());
            fHost.PushClick(modal->PlatformWindow(), button.x, button.y);
        });
        ClickOn(swatch);
        fHost.SetIdleHook(nullptr);
        EXPECT_TRUE(done) << "the picker never opened";
        EXPECT_EQ(Quor_EventLoop::ModalWindow(), nullptr);
    }
    // Clicks the middle of the picker's shade square, which picks another colour.
    static void ClickShade(Quor_MemoryHost* host, Quor_ColorPicker* picker, uint32_t window)
    {
        Quor_Rect shade = picker->ShadeRect();
        shade.OffsetBy(picker->Location().x, picker->Location().y);
        host->PushClick(window, (shade.left + shade.right) / 2, (shade.top + shade.bottom) / 3);
    }

    rgb_color fPickerStart{};
};

TEST_F(QuorColorSwatch, PickerAnswerBecomesTheValueAndACancelledPreviewIsUndone)
{
    // Catches a picker opened on another colour, an answer that never reaches a swatch whose
    // messages go to a handler (the handler hears it, the swatch keeps its old colour), a
    // translucent answer kept by a swatch without alpha, a live preview that never reaches the
    // swatch, and a swatch left showing the last previewed colour after Cancel.
    WhatLog log;
    Quor_ColorSwatch* swatch = Place(new Quor_ColorSwatch(kStart, 61, false, 3), 20, 20);
    swatch->SetHandler(&log);
    Quor_ColorSwatch* live = Place(new Quor_ColorSwatch(kStart, 62, true, 3), 100, 20);
    live->SetHandler(&log);
    live->SetConstantMessages(true);
    EXPECT_EQ(swatch->Value(), (rgb_color{200, 40, 30, 255}));
    Open();

    PickWith(swatch, [this](Quor_ColorPicker* picker, uint32_t window) { ClickShade(&fHost, picker, window); }, true);
    EXPECT_EQ(fPickerStart, (rgb_color{200, 40, 30, 255}));
    EXPECT_NE(swatch->Value(), (rgb_color{200, 40, 30, 255}));
    EXPECT_EQ(swatch->Value().alpha, 255);
    ASSERT_EQ(log.whats, std::vector<int>({61}));
    rgb_color heard{};
    ASSERT_TRUE(log.last.Get("color", &heard));
    EXPECT_EQ(heard.red, swatch->Value().red);
    EXPECT_EQ(heard.green, swatch->Value().green);

    rgb_color during{};
    PickWith(
        live,
        [this, live, &during](Quor_ColorPicker* picker, uint32_t window) {
            ClickShade(&fHost, picker, window);
            Pump();
            during = live->Value();
        },
        false);
    EXPECT_NE(during, kStart) << "the live preview reached the swatch";
    EXPECT_EQ(live->Value(), kStart);
    EXPECT_GE(log.Count(62), 2);

    // A disabled swatch opens nothing (the idle hook would run otherwise).
    swatch->Enable(false);
    ClickOn(swatch);
    EXPECT_EQ(log.Count(61), 1);
}

TEST_F(QuorColorSwatch, TranslucentColoursShowTheCheckerboard)
{
    // Catches a checkerboard drawn where the widget's background was, squares counted from the
    // window instead of the widget, and translucent colours drawn opaque.
    Place(new Quor_ColorSwatch(rgb_color{30, 120, 220, 255}, 1, false, 3), 4, 4);
    Place(new Quor_ColorSwatch(rgb_color{220, 40, 40, 110}, 2, true, 3), 57, 7);
    Quor_ColorSwatch* off = Place(new Quor_ColorSwatch(rgb_color{40, 160, 60, 255}, 3, false, 3), 110, 4);
    off->Enable(false);
    Open();
    ExpectGolden(Quor_Rect(0, 0, 161, 42), "color_swatches.png");
}
