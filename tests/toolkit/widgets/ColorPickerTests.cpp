// The colour picker: what its target hears on OK and on cancel, the pointer in the shade square
// and the bars, the fields and the hexadecimal text, and how it looks.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/GoldenImage.h"
#include "tests/support/ImageFixtures.h"
#include "tests/toolkit/widgets/WidgetHarness.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/widgets/Quor_Button.h"
#include "toolkit/widgets/Quor_ColorPicker.h"
#include "toolkit/widgets/Quor_TextControl.h"

using namespace quor_test;

namespace {

constexpr int kWhat = 901;
constexpr rgb_color kStart{200, 100, 50, 255};

// Records the colours a target hears.
class ColorLog : public Quor_Handler {
public:
    void HandleMessage(Quor_Message* message) override
    {
        rgb_color c{};
        if (message->what == kWhat && message->Get("color", &c))
            colors.push_back(c);
        else
            ++others;
    }
    std::vector<rgb_color> colors;
    int others = 0;
};

}  // namespace

class QuorColorPicker : public WidgetWindowTest {
protected:
    void ClickIn(uint32_t window, Quor_Point p)
    {
        fHost.PushClick(window, p.x, p.y);
    }
};

TEST_F(QuorColorPicker, CancelSendsTheStartingColourBackOnlyWithConstantMessages)
{
    // Catches a cancelled live preview left showing the last picked colour, colours sent on
    // cancel without constant messages, and an OK that forgets to send the colour.
    struct Case {
        bool constant;
        bool ok;
        // What the target hears, in order: 'c' the changed colour, 's' the starting colour.
        const char* heard;
    };
    const Case cases[] = {
        {true, false, "cs"}, {false, false, ""}, {true, true, "cc"}, {false, true, "c"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.constant ? "constant" : "quiet") + (c.ok ? " OK" : " cancel"));
        ColorLog log;
        auto* picker = new Quor_ColorPicker(kStart, false, &log, kWhat, nullptr);
        picker->SetContsantMessages(c.constant);
        rgb_color changed{};
        Script({
            [&](uint32_t window) {
                const Quor_Rect shade = picker->ShadeRect();
                ClickIn(window, Quor_Point(shade.right, shade.top + shade.Height() / 2));
            },
            [&](uint32_t window) {
                changed = picker->Color();
                ClickIn(window, Centre(c.ok ? picker->OKButton() : picker->CancelButton()));
            },
        });
        EXPECT_EQ(picker->DoModal(), c.ok ? QUOR_MSG_OK : QUOR_MSG_CANCEL);
        ASSERT_NE(changed, kStart);
        std::string heard;
        for (const rgb_color& color : log.colors)
            heard += color == kStart ? 's' : (color == changed ? 'c' : '?');
        EXPECT_EQ(heard, c.heard);
    }
}

TEST_F(QuorColorPicker, PressesInTheSquareAndBarsSetTheirComponents)
{
    // Catches the shade square's axes swapped or upside down, a hue bar that runs the wrong
    // way, presses outside a region that still change it, and fields and hex text left behind.
    ColorLog log;
    auto* picker = new Quor_ColorPicker(kStart, true, &log, kWhat, nullptr);
    picker->SetContsantMessages(true);
    picker->DoModeless();
    Pump();
    const uint32_t window = picker->Window()->PlatformWindow();
    const Quor_Rect shade = picker->ShadeRect();
    const Quor_Rect hue = picker->HueRect();
    const Quor_Rect alpha = picker->AlphaRect();

    struct Press { const char* what; Quor_Point at; hsv_color hsv; };
    const uint8_t h0 = picker->Hsv().hue;
    const Press presses[] = {
        {"square top right", shade.RightTop(), {h0, 255, 255, 255}},
        {"square bottom left", shade.LeftBottom(), {h0, 0, 0, 255}},
        // 62 * 255 / 249 = 63.49 and 187 * 255 / 249 = 191.51.
        {"square at a quarter", Quor_Point(shade.left + 62, shade.bottom - 187), {h0, 63, 192, 255}},
        {"hue bar top", Quor_Point(hue.left + 5, hue.top), {254, 63, 192, 255}},
        // 124 * 254 / 249 = 126.49.
        {"hue bar middle", Quor_Point(hue.left + 5, hue.top + 125), {126, 63, 192, 255}},
        {"alpha bar bottom", Quor_Point(alpha.left + 5, alpha.bottom), {126, 63, 192, 0}},
    };
    for (const Press& p : presses) {
        SCOPED_TRACE(p.what);
        ClickIn(window, p.at);
        Pump();
        EXPECT_EQ(picker->Hsv(), p.hsv);
        const rgb_color color = picker->Color();
        EXPECT_EQ(color, Quor_ColorOps::Hsv2Rgb(p.hsv));
        const rgb_color fields{uint8_t(picker->RedField()->IntValue()), uint8_t(picker->GreenField()->IntValue()),
                               uint8_t(picker->BlueField()->IntValue()), uint8_t(picker->AlphaField()->IntValue())};
        EXPECT_EQ(fields, color);
        char hex[7];
        Quor_ColorPicker::FormatHex(color, hex);
        EXPECT_STREQ(picker->HexField()->Value(), hex);
        ASSERT_FALSE(log.colors.empty());
        EXPECT_EQ(log.colors.back(), color);
    }
    // A drag that leaves the square keeps following, clamped to its edges.
    fHost.PushMouse(window, Quor_HostEvent::kMouseDown, shade.left + 10, shade.top + 10);
    fHost.PushMouse(window, Quor_HostEvent::kMouseMove, shade.right + 40, shade.top - 40);
    fHost.PushMouse(window, Quor_HostEvent::kMouseUp, shade.right + 40, shade.top - 40);
    Pump();
    EXPECT_EQ(picker->Hsv().saturation, 255);
    EXPECT_EQ(picker->Hsv().value, 255);
    // A press on the lower half of the sample brings the starting colour back.
    const Quor_Rect sample = picker->SampleRect();
    ClickIn(window, Quor_Point(sample.left + 5, sample.bottom - 5));
    Pump();
    EXPECT_EQ(picker->Color(), kStart);
    picker->Window()->CloseWindow();
    Pump();
}

TEST_F(QuorColorPicker, FieldsAndHexTextDriveEachOther)
{
    // Catches lower-case hex digits (a grey of 221 must read DDDDDD), hex text that does not
    // reach the number fields, number fields that do not reach the hex text, and an OK that
    // accepts a field beyond 255 instead of repairing it.
    char hex[7];
    Quor_ColorPicker::FormatHex(rgb_color{171, 205, 239, 255}, hex);
    EXPECT_STREQ(hex, "ABCDEF");
    rgb_color parsed{};
    EXPECT_TRUE(Quor_ColorPicker::ParseHex("#abcdef", &parsed));
    EXPECT_EQ(parsed, (rgb_color{171, 205, 239, 255}));
    for (const char* bad : {"ABCDE", "ABCDEFA", "ABCDEG"})
        EXPECT_FALSE(Quor_ColorPicker::ParseHex(bad, &parsed)) << bad;

    ColorLog log;
    auto* picker = new Quor_ColorPicker(rgb_color{221, 221, 221, 255}, false, &log, kWhat, nullptr);
    picker->DoModeless();
    Pump();
    const uint32_t window = picker->Window()->PlatformWindow();
    EXPECT_STREQ(picker->HexField()->Value(), "DDDDDD");
    // The red field has the focus, its text selected: typing replaces it.
    for (char c : std::string("171"))
        fHost.PushKey(window, c);
    Pump();
    EXPECT_EQ(picker->Color(), (rgb_color{171, 221, 221, 255}));
    EXPECT_STREQ(picker->HexField()->Value(), "ABDDDD");

    picker->HexField()->Focus(true);
    for (char c : std::string("102030"))
        fHost.PushKey(window, c);
    Pump();
    EXPECT_EQ(picker->Color(), (rgb_color{16, 32, 48, 255}));
    EXPECT_EQ(picker->BlueField()->IntValue(), 48);

    picker->GreenField()->SetValue("300");
    EXPECT_FALSE(picker->ValidateData());
    EXPECT_EQ(picker->GreenField()->IntValue(), 255);
    EXPECT_TRUE(picker->ValidateData());
    picker->UpdateData(true);
    EXPECT_EQ(picker->Color().green, 255);
    EXPECT_TRUE(log.colors.empty());
    picker->Window()->CloseWindow();
    Pump();
    // Closing a modeless picker keeps its values and tells the target.
    ASSERT_EQ(log.colors.size(), 1u);
    EXPECT_EQ(log.colors.back(), (rgb_color{16, 255, 48, 255}));
}

TEST_F(QuorColorPicker, LooksLikeItsGolden)
{
    // Catches a shade square or hue bar drawn upside down, markers away from the colour, a
    // sample that does not show both colours, and frames missing round the regions.
    auto* picker = new Quor_ColorPicker(rgb_color{60, 140, 220, 160}, true, nullptr, kWhat, nullptr);
    picker->DoModeless();
    Pump();
    // Outside the caret's visible phase, so that the blink does not decide the picture.
    Wait(650);
    const Quor_BaseImage* shown = fHost.Shown(picker->Window()->PlatformWindow());
    ASSERT_NE(shown, nullptr);
    EXPECT_GOLDEN(shown->Image(), "tests/toolkit/widgets/golden/color_picker.png", 0);
    picker->Window()->CloseWindow();
    Pump();
}
