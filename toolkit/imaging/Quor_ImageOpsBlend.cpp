// Quor_ImageOps: the blend modes. Each computes a blended colour B from the source and the
// destination pixel and puts it over the destination with the source alpha (Quor_Blend::Mix).


#include "toolkit/imaging/Quor_Blend.h"
#include "toolkit/imaging/Quor_BlitClip.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/Quor_ImageOps.h"
#include "toolkit/imaging/Quor_PixelConvert.h"

namespace {

using PC = Quor_PixelConvert;

// Per-component modes: blend(s, d) gives B for one channel.
template <class Blend>
void BlendComponents(const Quor_image* src, const Quor_image* dst, int x, int y,
                     bool updateAlpha, Blend blend)
{
    if (!Quor_BlitClip::Usable32(src) || !Quor_BlitClip::Usable32(dst))
        return;
    Quor_BlitClip clip;
    if (!clip.Compute(src, dst, x, y))
        return;
    for (int row = 0; row < clip.height; ++row) {
        const uint32_t* s = clip.SrcRow32(src, row);
        uint32_t* d = clip.DstRow32(dst, row);
        for (int i = 0; i < clip.width; ++i) {
            const uint32_t sp = s[i], dp = d[i];
            const uint32_t sa = PC::Alpha(sp);
            if (sa == 0)
                continue;
            Quor_Blend::Mix(d + i, blend(PC::Red(sp), PC::Red(dp)),
                            blend(PC::Green(sp), PC::Green(dp)), blend(PC::Blue(sp), PC::Blue(dp)),
                            sa, updateAlpha);
        }
    }
}

// Modes in hue, saturation and lightness: pick(sourceHsv, destinationHsv) gives the HSV of B.
template <class Pick>
void BlendHsv(const Quor_image* src, const Quor_image* dst, int x, int y, bool updateAlpha,
              Pick pick)
{
    if (!Quor_BlitClip::Usable32(src) || !Quor_BlitClip::Usable32(dst))
        return;
    Quor_BlitClip clip;
    if (!clip.Compute(src, dst, x, y))
        return;
    for (int row = 0; row < clip.height; ++row) {
        const uint32_t* s = clip.SrcRow32(src, row);
        uint32_t* d = clip.DstRow32(dst, row);
        for (int i = 0; i < clip.width; ++i) {
            const uint32_t sa = PC::Alpha(s[i]);
            if (sa == 0)
                continue;
            const hsv_color sh = Quor_ColorOps::Rgb2Hsv(Quor_ColorOps::UnpackColor32(s[i]));
            const hsv_color dh = Quor_ColorOps::Rgb2Hsv(Quor_ColorOps::UnpackColor32(d[i]));
            const rgb_color b = Quor_ColorOps::Hsv2Rgb(pick(sh, dh));
            Quor_Blend::Mix(d + i, b.red, b.green, b.blue, sa, updateAlpha);
        }
    }
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
