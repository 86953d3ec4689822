// Colour building, packing into every pixel depth, and RGB <-> HSV in the lightness model.
// Also holds the theme colours that widgets draw with, and a few named constant colours.
#pragma once

#include <cstdint>

#include "toolkit/core/Quor_RgbColor.h"
#include "toolkit/imaging/Quor_PixelConvert.h"

class Quor_ColorOps {
public:
    static constexpr rgb_color RgbColor(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255)
    {
        return rgb_color{r, g, b, a};
    }
    static constexpr hsv_color HsvColor(uint8_t h, uint8_t s, uint8_t v, uint8_t a = 255)
    {
        return hsv_color{h, s, v, a};
    }

    // The packings of Quor_PixelConvert, for colours. 32 bits: blue << 24 | green << 16 |
    // red << 8 | alpha.
    static constexpr uint32_t PackColor32(const rgb_color& c)
    {
        return Quor_PixelConvert::Pack(c.red, c.green, c.blue, c.alpha);
    }
    static constexpr rgb_color UnpackColor32(uint32_t p)
    {
        return rgb_color{uint8_t(Quor_PixelConvert::Red(p)), uint8_t(Quor_PixelConvert::Green(p)),
                         uint8_t(Quor_PixelConvert::Blue(p)), uint8_t(Quor_PixelConvert::Alpha(p))};
    }
    // 5-6-5, red in the top bits.
    static constexpr uint16_t PackColor16(const rgb_color& c)
    {
        return Quor_PixelConvert::Pack16(c.red, c.green, c.blue);
    }
    // 5-5-5, top bit 0.
    static constexpr uint16_t PackColor15(const rgb_color& c)
    {
        return Quor_PixelConvert::Pack15(c.red, c.green, c.blue);
    }
    // The system palette's nearest index.
    static uint8_t PackColor8(const rgb_color& c);

    // Lightness model: v carries (max + min) / 2, hue runs 0..254 around the circle.
    static void Rgb2Hsv(int r, int g, int b, int* h, int* s, int* v);
    static hsv_color Rgb2Hsv(const rgb_color& c);
    static void Hsv2Rgb(int h, int s, int v, int* r, int* g, int* b);
    static rgb_color Hsv2Rgb(const hsv_color& c);

    // Named colours (opaque).
    static constexpr rgb_color Black{0, 0, 0, 255};
    static constexpr rgb_color White{255, 255, 255, 255};
    static constexpr rgb_color Red{255, 0, 0, 255};
    static constexpr rgb_color Green{0, 255, 0, 255};
    static constexpr rgb_color Blue{0, 0, 255, 255};
    static constexpr rgb_color Transparent{0, 0, 0, 0};

    // Sets every theme colour back to its built-in default.
    static void ResetThemeColors();

    // Theme colours, in the order of their settings keys (left column, then right column).
    // They are plain statics: the application changes them on the event thread only.
    static rgb_color BackCol, Light1, Light2, Dark1, Dark2, Text, DisabledText, HighlightedText,
        WidgetOutline, WidgetFill, WidgetHighlight, WidgetShadow, MenuBackground,
        DialogBackground, TextBackground, DisabledTextBackground, TextHighlight, ButtonGradient1,
        ButtonGradient2;
    static rgb_color BoxOutline, BoxGradient1, BoxGradient2, AlertGradient1, AlertGradient2,
        TabBackground, TabGradient1, TabGradient2, ToolTipBackground, ProgressBackground1,
        ProgressBackground2, ProgressGradient1, ProgressGradient2, ScrollGradient1,
        ScrollGradient2, ThumbGradient1, ThumbGradient2, SliderGradient1, SliderGradient2;
};
