#include "toolkit/imaging/Quor_ColorOps.h"

#include "toolkit/imaging/Quor_Palette.h"
#include "toolkit/math/Quor_Round.h"

namespace {

uint8_t ToByte(float v)
{
    return uint8_t(Quor_RoundClamp(double(v), 0, 255));
}

}  // namespace

uint8_t Quor_ColorOps::PackColor8(const rgb_color& c)
{
    return Quor_Palette::SystemPalette().IndexFromColor(c.red, c.green, c.blue);
}

void Quor_ColorOps::Rgb2Hsv(int r, int g, int b, int* h, int* s, int* v)
{
    const float R = r / 255.0f, G = g / 255.0f, B = b / 255.0f;
    // Ties go to red before green before blue.
    enum { kRed, kGreen, kBlue } channel = kRed;
    float max = R;
    if (G > R) {
        channel = kGreen;
        max = G;
    }
    if (B > R && B > G) {
        channel = kBlue;
        max = B;
    }
    float min = R < G ? R : G;
    if (B < min)
        min = B;

    int hue = 0, saturation = 0, value = 0;
    const float L = (max + min) / 2.0f;
    const float delta = max - min;
    if (L <= 0.0f) {
        // Black.
    } else if (delta <= 0.0f) {
        value = r;   // grey: the lightness is the component itself
    } else {
        const float S = L < 0.5f ? delta / (max + min) : delta / (2.0f - max - min);
        const float dr = (max - R) / delta, dg = (max - G) / delta, db = (max - B) / delta;
        float H;
        if (channel == kRed)
            H = min != G ? 1.0f - dg : 5.0f + db;
        else if (channel == kGreen)
            H = min != B ? 3.0f - db : 1.0f + dr;
        else
            H = min != R ? 5.0f - dr : 3.0f + dg;
        hue = ToByte(H / 6.0f * 255.0f);
        if (hue == 255)
            hue = 0;
        saturation = ToByte(S * 255.0f);
        value = ToByte(L * 255.0f);
    }
    if (h)
        *h = hue;
    if (s)
        *s = saturation;
    if (v)
        *v = value;
}

hsv_color Quor_ColorOps::Rgb2Hsv(const rgb_color& c)
{
    int h, s, v;
    Rgb2Hsv(c.red, c.green, c.blue, &h, &s, &v);
    return hsv_color{uint8_t(h), uint8_t(s), uint8_t(v), c.alpha};
}

void Quor_ColorOps::Hsv2Rgb(int h, int s, int v, int* r, int* g, int* b)
{
    float R = 0.0f, G = 0.0f, B = 0.0f;
    if (v >= 255) {
        R = G = B = 1.0f;
    } else if (v > 0) {
        const float H = (h >= 255 ? 0 : h) / 255.0f * 6.0f;
        const float L = v / 255.0f;
        const float S = s / 255.0f;
        const float m2 = L < 0.5f ? L * (1.0f + S) : L + S - L * S;
        if (m2 > 0.0f) {
            const float m1 = 2.0f * L - m2;
            int sector = int(H);   // h is clamped to 0..254 above, so H is in [0, 6)
            if (sector < 0)
                sector = 0;
            if (sector > 5)
                sector = 5;
            const float f = (H - sector) * (m2 - m1);
            switch (sector) {
            case 0: R = m2; G = m1 + f; B = m1; break;
            case 1: R = m2 - f; G = m2; B = m1; break;
            case 2: R = m1; G = m2; B = m1 + f; break;
            case 3: R = m1; G = m2 - f; B = m2; break;
            case 4: R = m1 + f; G = m1; B = m2; break;
            default: R = m2; G = m1; B = m2 - f; break;
            }
        }
    }
    if (r)
        *r = ToByte(R * 255.0f);
    if (g)
        *g = ToByte(G * 255.0f);
    if (b)
        *b = ToByte(B * 255.0f);
}

rgb_color Quor_ColorOps::Hsv2Rgb(const hsv_color& c)
{
    int r, g, b;
    Hsv2Rgb(c.hue, c.saturation, c.value, &r, &g, &b);
    return rgb_color{uint8_t(r), uint8_t(g), uint8_t(b), c.alpha};
}

// Theme colours. Each is constant-initialised with its default, so it holds that value before
// any constructor of another file can read it.

namespace {

constexpr rgb_color kDefaultBackCol{216, 216, 216, 255};
constexpr rgb_color kDefaultLight1{241, 241, 241, 255};
constexpr rgb_color kDefaultLight2{255, 255, 255, 255};
constexpr rgb_color kDefaultDark1{184, 184, 184, 255};
constexpr rgb_color kDefaultDark2{96, 96, 96, 255};
constexpr rgb_color kDefaultText{0, 0, 0, 255};
constexpr rgb_color kDefaultDisabledText{160, 160, 160, 255};
constexpr rgb_color kDefaultHighlightedText{245, 248, 250, 255};
constexpr rgb_color kDefaultWidgetOutline{26, 53, 102, 255};
constexpr rgb_color kDefaultWidgetFill{241, 245, 247, 255};
constexpr rgb_color kDefaultWidgetHighlight{255, 255, 255, 255};
constexpr rgb_color kDefaultWidgetShadow{181, 201, 237, 255};
constexpr rgb_color kDefaultMenuBackground{236, 236, 222, 255};
constexpr rgb_color kDefaultDialogBackground{247, 247, 239, 255};
constexpr rgb_color kDefaultTextBackground{245, 248, 250, 255};
constexpr rgb_color kDefaultDisabledTextBackground{225, 230, 240, 255};
constexpr rgb_color kDefaultTextHighlight{114, 121, 184, 255};
constexpr rgb_color kDefaultButtonGradient1{255, 255, 255, 255};
constexpr rgb_color kDefaultButtonGradient2{223, 232, 237, 255};
constexpr rgb_color kDefaultBoxOutline{194, 205, 224, 255};
constexpr rgb_color kDefaultBoxGradient1{247, 247, 239, 255};
constexpr rgb_color kDefaultBoxGradient2{236, 236, 222, 255};
constexpr rgb_color kDefaultAlertGradient1{247, 247, 239, 255};
constexpr rgb_color kDefaultAlertGradient2{221, 221, 208, 255};
constexpr rgb_color kDefaultTabBackground{243, 244, 240, 255};
constexpr rgb_color kDefaultTabGradient1{255, 255, 255, 255};
constexpr rgb_color kDefaultTabGradient2{176, 195, 210, 255};
constexpr rgb_color kDefaultToolTipBackground{238, 238, 186, 255};
constexpr rgb_color kDefaultProgressBackground1{241, 245, 247, 255};
constexpr rgb_color kDefaultProgressBackground2{234, 204, 204, 255};
constexpr rgb_color kDefaultProgressGradient1{239, 243, 245, 255};
constexpr rgb_color kDefaultProgressGradient2{161, 184, 201, 255};
constexpr rgb_color kDefaultScrollGradient1{239, 243, 245, 255};
constexpr rgb_color kDefaultScrollGradient2{195, 208, 215, 255};
constexpr rgb_color kDefaultThumbGradient1{176, 195, 210, 255};
constexpr rgb_color kDefaultThumbGradient2{134, 163, 186, 255};
constexpr rgb_color kDefaultSliderGradient1{202, 220, 230, 255};
constexpr rgb_color kDefaultSliderGradient2{104, 155, 184, 255};

}  // namespace

rgb_color Quor_ColorOps::BackCol = kDefaultBackCol;
rgb_color Quor_ColorOps::Light1 = kDefaultLight1;
rgb_color Quor_ColorOps::Light2 = kDefaultLight2;
rgb_color Quor_ColorOps::Dark1 = kDefaultDark1;
rgb_color Quor_ColorOps::Dark2 = kDefaultDark2;
rgb_color Quor_ColorOps::Text = kDefaultText;
rgb_color Quor_ColorOps::DisabledText = kDefaultDisabledText;
rgb_color Quor_ColorOps::HighlightedText = kDefaultHighlightedText;
rgb_color Quor_ColorOps::WidgetOutline = kDefaultWidgetOutline;
rgb_color Quor_ColorOps::WidgetFill = kDefaultWidgetFill;
rgb_color Quor_ColorOps::WidgetHighlight = kDefaultWidgetHighlight;
rgb_color Quor_ColorOps::WidgetShadow = kDefaultWidgetShadow;
rgb_color Quor_ColorOps::MenuBackground = kDefaultMenuBackground;
rgb_color Quor_ColorOps::DialogBackground = kDefaultDialogBackground;
rgb_color Quor_ColorOps::TextBackground = kDefaultTextBackground;
rgb_color Quor_ColorOps::DisabledTextBackground = kDefaultDisabledTextBackground;
rgb_color Quor_ColorOps::TextHighlight = kDefaultTextHighlight;
rgb_color Quor_ColorOps::ButtonGradient1 = kDefaultButtonGradient1;
rgb_color Quor_ColorOps::ButtonGradient2 = kDefaultButtonGradient2;
rgb_color Quor_ColorOps::BoxOutline = kDefaultBoxOutline;
rgb_color Quor_ColorOps::BoxGradient1 = kDefaultBoxGradient1;
rgb_color Quor_ColorOps::BoxGradient2 = kDefaultBoxGradient2;
rgb_color Quor_ColorOps::AlertGradient1 = kDefaultAlertGradient1;
rgb_color Quor_ColorOps::AlertGradient2 = kDefaultAlertGradient2;
rgb_color Quor_ColorOps::TabBackground = kDefaultTabBackground;
rgb_color Quor_ColorOps::TabGradient1 = kDefaultTabGradient1;
rgb_color Quor_ColorOps::TabGradient2 = kDefaultTabGradient2;
rgb_color Quor_ColorOps::ToolTipBackground = kDefaultToolTipBackground;
rgb_color Quor_ColorOps::ProgressBackground1 = kDefaultProgressBackground1;
rgb_color Quor_ColorOps::ProgressBackground2 = kDefaultProgressBackground2;
rgb_color Quor_ColorOps::ProgressGradient1 = kDefaultProgressGradient1;
rgb_color Quor_ColorOps::ProgressGradient2 = kDefaultProgressGradient2;
rgb_color Quor_ColorOps::ScrollGradient1 = kDefaultScrollGradient1;
rgb_color Quor_ColorOps::ScrollGradient2 = kDefaultScrollGradient2;
rgb_color Quor_ColorOps::ThumbGradient1 = kDefaultThumbGradient1;
rgb_color Quor_ColorOps::ThumbGradient2 = kDefaultThumbGradient2;
rgb_color Quor_ColorOps::SliderGradient1 = kDefaultSliderGradient1;
rgb_color Quor_ColorOps::SliderGradient2 = kDefaultSliderGradient2;

void Quor_ColorOps::ResetThemeColors()
{
    BackCol = kDefaultBackCol;
    Light1 = kDefaultLight1;
    Light2 = kDefaultLight2;
    Dark1 = kDefaultDark1;
    Dark2 = kDefaultDark2;
    Text = kDefaultText;
    DisabledText = kDefaultDisabledText;
    HighlightedText = kDefaultHighlightedText;
    WidgetOutline = kDefaultWidgetOutline;
    WidgetFill = kDefaultWidgetFill;
    WidgetHighlight = kDefaultWidgetHighlight;
    WidgetShadow = kDefaultWidgetShadow;
    MenuBackground = kDefaultMenuBackground;
    DialogBackground = kDefaultDialogBackground;
    TextBackground = kDefaultTextBackground;
    DisabledTextBackground = kDefaultDisabledTextBackground;
    TextHighlight = kDefaultTextHighlight;
    ButtonGradient1 = kDefaultButtonGradient1;
    ButtonGradient2 = kDefaultButtonGradient2;
    BoxOutline = kDefaultBoxOutline;
    BoxGradient1 = kDefaultBoxGradient1;
    BoxGradient2 = kDefaultBoxGradient2;
    AlertGradient1 = kDefaultAlertGradient1;
    AlertGradient2 = kDefaultAlertGradient2;
    TabBackground = kDefaultTabBackground;
    TabGradient1 = kDefaultTabGradient1;
    TabGradient2 = kDefaultTabGradient2;
    ToolTipBackground = kDefaultToolTipBackground;
    ProgressBackground1 = kDefaultProgressBackground1;
    ProgressBackground2 = kDefaultProgressBackground2;
    ProgressGradient1 = kDefaultProgressGradient1;
    ProgressGradient2 = kDefaultProgressGradient2;
    ScrollGradient1 = kDefaultScrollGradient1;
    ScrollGradient2 = kDefaultScrollGradient2;
    ThumbGradient1 = kDefaultThumbGradient1;
    ThumbGradient2 = kDefaultThumbGradient2;
    SliderGradient1 = kDefaultSliderGradient1;
    SliderGradient2 = kDefaultSliderGradient2;
}
