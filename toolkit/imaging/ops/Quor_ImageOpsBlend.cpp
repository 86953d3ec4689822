// Quor_ImageOps: the blend modes. Each computes a blended colour B from the source and the
// destination pixel and puts it over the destination with the source alpha (Quor_Blend::Mix).

#include "toolkit/imaging/ops/Quor_Blend.h"
#include "toolkit/imaging/ops/Quor_BlitClip.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/imaging/Quor_PixelConvert.h"

namespace {

using PC = Quor_PixelConvert;

// Per-component modes: blend(s, d) gives B for one channel.
template <class Blend>
void BlendComponents(const Quor_image* src, const Quor_image* dst, int x, int y,
                     bool updateAlpha, Blend blend)
{
    Quor_Composite32(src, dst, x, y, [&](uint32_t* d, uint32_t sp) {
        const uint32_t sa = PC::Alpha(sp);
        if (sa == 0)
            return;
        const uint32_t dp = *d;
        Quor_Blend::Mix(d, blend(PC::Red(sp), PC::Red(dp)), blend(PC::Green(sp), PC::Green(dp)),
                        blend(PC::Blue(sp), PC::Blue(dp)), sa, updateAlpha);
    });
}

// Modes in hue, saturation and lightness: pick(sourceHsv, destinationHsv) gives the HSV of B.
template <class Pick>
void BlendHsv(const Quor_image* src, const Quor_image* dst, int x, int y, bool updateAlpha,
              Pick pick)
{
    Quor_Composite32(src, dst, x, y, [&](uint32_t* d, uint32_t sp) {
        const uint32_t sa = PC::Alpha(sp);
        if (sa == 0)
            return;
        const hsv_color sh = Quor_ColorOps::Rgb2Hsv(Quor_ColorOps::UnpackColor32(sp));
        const hsv_color dh = Quor_ColorOps::Rgb2Hsv(Quor_ColorOps::UnpackColor32(*d));
        const rgb_color b = Quor_ColorOps::Hsv2Rgb(pick(sh, dh));
        Quor_Blend::Mix(d, b.red, b.green, b.blue, sa, updateAlpha);
    });
}

}  // namespace

void Quor_ImageOps::BlitMultiply(const Quor_image* src, const Quor_image* dst, int x, int y,
                                 bool updateAlpha)
{
    BlendComponents(src, dst, x, y, updateAlpha,
                    [](uint32_t s, uint32_t d) -> uint32_t { return gAlphaMask[s][d]; });
}

void Quor_ImageOps::BlitScreen(const Quor_image* src, const Quor_image* dst, int x, int y,
                               bool updateAlpha)
{
    BlendComponents(src, dst, x, y, updateAlpha, [](uint32_t s, uint32_t d) -> uint32_t {
        return 255u - gAlphaMask[255 - s][255 - d];
    });
}

void Quor_ImageOps::BlitOverlay(const Quor_image* src, const Quor_image* dst, int x, int y,
                                bool updateAlpha)
{
    BlendComponents(src, dst, x, y, updateAlpha, [](uint32_t s, uint32_t d) -> uint32_t {
        return d > 127 ? 255u - (((255u - s) * (255u - d)) >> 7) : (s * d) >> 7;
    });
}

void Quor_ImageOps::BlitAdd(const Quor_image* src, const Quor_image* dst, int x, int y,
                            bool updateAlpha)
{
    BlendComponents(src, dst, x, y, updateAlpha,
                    [](uint32_t s, uint32_t d) -> uint32_t { return s + d > 255 ? 255 : s + d; });
}

void Quor_ImageOps::BlitDifference(const Quor_image* src, const Quor_image* dst, int x, int y,
                                   bool updateAlpha)
{
    BlendComponents(src, dst, x, y, updateAlpha,
                    [](uint32_t s, uint32_t d) -> uint32_t { return s > d ? s - d : d - s; });
}

void Quor_ImageOps::BlitHue(const Quor_image* src, const Quor_image* dst, int x, int y,
                            bool updateAlpha)
{
    BlendHsv(src, dst, x, y, updateAlpha, [](hsv_color s, hsv_color d) {
        return hsv_color{s.hue, d.saturation, d.value, 255};
    });
}

void Quor_ImageOps::BlitSaturation(const Quor_image* src, const Quor_image* dst, int x, int y,
                                   bool updateAlpha)
{
    BlendHsv(src, dst, x, y, updateAlpha, [](hsv_color s, hsv_color d) {
        return hsv_color{d.hue, s.saturation, d.value, 255};
    });
}

void Quor_ImageOps::BlitColor(const Quor_image* src, const Quor_image* dst, int x, int y,
                              bool updateAlpha)
{
    BlendHsv(src, dst, x, y, updateAlpha, [](hsv_color s, hsv_color d) {
        return hsv_color{s.hue, s.saturation, d.value, 255};
    });
}

void Quor_ImageOps::BlitLuminosity(const Quor_image* src, const Quor_image* dst, int x, int y,
                                   bool updateAlpha)
{
    BlendHsv(src, dst, x, y, updateAlpha, [](hsv_color s, hsv_color d) {
        return hsv_color{d.hue, d.saturation, s.value, 255};
    });
}
