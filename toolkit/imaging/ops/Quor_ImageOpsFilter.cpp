// Quor_ImageOps: convolution kernels, blurs, alpha erosion and dilation, and shadows.
// Positions beyond an image's edge repeat the edge pixel in every filter here.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/ops/Quor_BlitClip.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/math/Quor_Math.h"
#include "toolkit/math/Quor_Round.h"

// [SECTION] Kernels

namespace {

int KernelHalf(int radius)
{
    if (radius < 2)
        return 1;
    if (radius < 62)
        return radius / 2;
    return Quor_filterKernel::kMaxHalf;
}

void SumKernel(Quor_filterKernel* kernel)
{
    const int size = 2 * kernel->half;
    int64_t sum = 0;
    for (int i = 0; i <= size; ++i)
        for (int j = 0; j <= size; ++j)
            sum += kernel->Row(i)[j];
    kernel->sum = sum < 1 ? 1 : int(sum);
}

}  // namespace

void Quor_ImageOps::PrepareBlur(Quor_filterKernel* kernel, int* radius)
{
    if (!kernel)
        return;
    const int half = KernelHalf(radius ? *radius : 0);
    if (radius)
        *radius = half;
    *kernel = Quor_filterKernel();
    kernel->half = half;
    // A smoothstep falloff from half + 1 at the centre to 1 at distance half and beyond.
    const int size = 2 * half;
    for (int i = 0; i <= size; ++i) {
        for (int j = 0; j <= size; ++j) {
            const double dy = i - half, dx = j - half;
            const double dist = std::min(1.0, std::sqrt(dx * dx + dy * dy) / half);
            const double weight = (half + 1) - half * (3 * dist * dist - 2 * dist * dist * dist);
            kernel->Row(i)[j] = Quor_RoundToInt(weight);
        }
    }
    SumKernel(kernel);
}

void Quor_ImageOps::PrepareMotionBlur(Quor_filterKernel* kernel, int* radius, int angle)
{
    if (!kernel)
        return;
    const int half = KernelHalf(radius ? *radius : 0);
    if (radius)
        *radius = half;
    *kernel = Quor_filterKernel();
    kernel->half = half;
    // Angles count anticlockwise from the x axis with y pointing up, as on screen.
    const double radians = (angle % 360) * Quor_Math::kPi / 180.0;
    const double cosine = std::cos(radians), sine = std::sin(radians);
    for (int t = -half; t <= half; ++t) {
        const int j = half + Quor_RoundToInt(t * cosine);
        const int i = half - Quor_RoundToInt(t * sine);
        kernel->Row(i)[j] = 1;
    }
    SumKernel(kernel);
}

// [SECTION] General convolution

int Quor_ImageOps::FilterImage(const Quor_image* src, const Quor_image* dst,
                               const Quor_filterKernel* kernel, bool colour, bool alpha)
{
    if (!src || !src->bits || !dst || !dst->bits)
        return QUOR_ERR_NO_IMAGE;
    if (!kernel || !src->IsUsable32() || !dst->IsUsable32() ||
        src->width != dst->width || src->height != dst->height || src->bits == dst->bits ||
        kernel->half < 1 || kernel->half > Quor_filterKernel::kMaxHalf)
        return QUOR_ERR_ARGUMENT;
    const int half = kernel->half, size = 2 * half + 1;
    const int width = src->width, height = src->height;
    const int64_t sum = kernel->sum < 1 ? 1 : kernel->sum;
    const uint32_t* rows[2 * Quor_filterKernel::kMaxHalf + 1];
    for (int y = 0; y < height; ++y) {
        for (int i = 0; i < size; ++i)
            rows[i] = src->Row32(Quor_Clamp(y + i - half, 0, height - 1));
        const uint32_t* in = src->Row32(y);
        uint32_t* out = dst->Row32(y);
        for (int x = 0; x < width; ++x) {
            int64_t total[4] = {0, 0, 0, 0};
            for (int i = 0; i < size; ++i) {
                const int32_t* weights = kernel->Row(i);
                for (int j = 0; j < size; ++j) {
                    const int32_t w = weights[j];
                    if (w == 0)
                        continue;
                    const uint32_t p = rows[i][Quor_Clamp(x + j - half, 0, width - 1)];
                    total[0] += w * int64_t(p & 255);
                    total[1] += w * int64_t((p >> 8) & 255);
                    total[2] += w * int64_t((p >> 16) & 255);
                    total[3] += w * int64_t(p >> 24);
                }
            }
            uint32_t result = 0;
            for (int k = 0; k < 4; ++k) {
                const bool filtered = k == 0 ? alpha : colour;
                const uint32_t v = filtered ? uint32_t(std::clamp<int64_t>(total[k] / sum, 0, 255))
                                            : (in[x] >> (8 * k)) & 255;
                result |= v << (8 * k);
            }
            out[x] = result;
        }
    }
    return QUOR_OK;
}

// [SECTION] Blurs

namespace {

// A copy of a 32-bit image in a scratch image of its own: QUOR_OK or QUOR_ERR_MEMORY.
int CopyOf(const Quor_image* img, Quor_BaseImage* copy)
{
    const int result = copy->Initialize(img->width, img->height, 32);
    if (result != 0)
        return result == QUOR_ERR_ARGUMENT ? QUOR_ERR_ARGUMENT : QUOR_ERR_MEMORY;
    Quor_ImageOps::Blit(img, &copy->Image(), 0, 0);
    return QUOR_OK;
}

// The byte lanes a separable pass touches: one bit per channel, bit k for bits 8k..8k+7.
constexpr unsigned kAlphaLane = 1, kAllLanes = 15;

// One separable pass along `count` pixels `stride` bytes apart, starting at `first`, with the
// given weights (2 * half + 1 of them) and their sum. `line` is scratch for count pixels.
void WeightedPass(uint8_t* first, ptrdiff_t stride, int count, const int32_t* weights, int half,
                  int64_t sum, unsigned lanes, uint32_t* line)
{
    for (int i = 0; i < count; ++i)
        std::memcpy(&line[i], first + stride * i, 4);
    for (int i = 0; i < count; ++i) {
        int64_t total[4] = {0, 0, 0, 0};
        for (int k = -half; k <= half; ++k) {
            const uint32_t p = line[Quor_Clamp(i + k, 0, count - 1)];
            const int64_t w = weights[k + half];
            for (int lane = 0; lane < 4; ++lane)
                total[lane] += w * ((p >> (8 * lane)) & 255);
        }
        uint32_t p = line[i];
        for (int lane = 0; lane < 4; ++lane) {
            if (!(lanes & (1u << lane)))
                continue;
            const uint32_t v = uint32_t(std::min<int64_t>(total[lane] / sum, 255));
            p = (p & ~(255u << (8 * lane))) | v << (8 * lane);
        }
        std::memcpy(first + stride * i, &p, 4);
    }
}

// Runs a pass along every row, then along every column.
int SeparablePasses(const Quor_image* img, const int32_t* weights, int half, int64_t sum,
                    unsigned lanes)
{
    const int longest = std::max(img->width, img->height);
    std::unique_ptr<uint32_t[]> line(new (std::nothrow) uint32_t[size_t(longest)]);
    if (!line)
        return QUOR_ERR_MEMORY;
    for (int y = 0; y < img->height; ++y)
        WeightedPass(img->Row(y), 4, img->width, weights, half, sum, lanes, line.get());
    for (int x = 0; x < img->width; ++x)
        WeightedPass(img->Row(0) + ptrdiff_t(x) * 4, img->rowBytes, img->height, weights, half,
                     sum, lanes, line.get());
    return QUOR_OK;
}

// Box passes of 2 * radius + 1 equal weights.
int BoxPasses(const Quor_image* img, int radius, unsigned lanes)
{
    const int half = std::min(radius, Quor_filterKernel::kMaxHalf);
    int32_t weights[2 * Quor_filterKernel::kMaxHalf + 1];
    for (int i = 0; i <= 2 * half; ++i)
        weights[i] = 1;
    return SeparablePasses(img, weights, half, 2 * half + 1, lanes);
}

int CheckImage(const Quor_image* img)
{
    if (!img || !img->bits)
        return QUOR_ERR_NO_IMAGE;
    return img->IsUsable32() ? QUOR_OK : QUOR_ERR_ARGUMENT;
}

}  // namespace

int Quor_ImageOps::Blur(const Quor_image* img, int radius)
{
    if (int result = CheckImage(img); result != 0)
        return result;
    if (radius <= 0)
        return 0;
    Quor_filterKernel kernel;
    PrepareBlur(&kernel, &radius);
    Quor_BaseImage copy;
    if (int result = CopyOf(img, &copy); result != 0)
        return result;
    return FilterImage(&copy.Image(), img, &kernel, true, true);
}

int Quor_ImageOps::BlurQuick(const Quor_image* img, int radius)
{
    if (int result = CheckImage(img); result != 0)
        return result;
    return radius <= 0 ? 0 : BoxPasses(img, radius, kAllLanes);
}

int Quor_ImageOps::AlphaBlur(const Quor_image* img, int radius)
{
    if (int result = CheckImage(img); result != 0)
        return result;
    if (radius <= 0)
        return 0;
    Quor_filterKernel kernel;
    PrepareBlur(&kernel, &radius);
    // The row just below the centre row of the round kernel.
    const int32_t* weights = kernel.Row(kernel.half + 1);
    int64_t sum = 0;
    for (int j = 0; j <= 2 * kernel.half; ++j)
        sum += weights[j];
    return SeparablePasses(img, weights, kernel.half, sum < 1 ? 1 : sum, kAlphaLane);
}

int Quor_ImageOps::AlphaBlurQuick(const Quor_image* img, int radius)
{
    if (int result = CheckImage(img); result != 0)
        return result;
    return radius <= 0 ? 0 : BoxPasses(img, radius, kAlphaLane);
}

// [SECTION] Alpha erosion and dilation

namespace {

// Square neighbourhood, done as a row pass into dst and a column pass in place.
template <class Pick>
int AlphaRankFilter(const Quor_image* src, const Quor_image* dst, int radius, Pick pick)
{
    if (!src || !src->bits || !dst || !dst->bits)
        return QUOR_ERR_NO_IMAGE;
    if (!src->IsUsable32() || !dst->IsUsable32() ||
        src->width != dst->width || src->height != dst->height)
        return QUOR_ERR_ARGUMENT;
    if (src->bits != dst->bits)
        Quor_ImageOps::Blit(src, dst, 0, 0);
    if (radius <= 0)
        return QUOR_OK;
    const int width = dst->width, height = dst->height;
    std::unique_ptr<uint8_t[]> line(new (std::nothrow) uint8_t[size_t(std::max(width, height))]);
    if (!line)
        return QUOR_ERR_MEMORY;
    auto pass = [&](uint8_t* first, ptrdiff_t stride, int count) {
        // Alpha is the low byte of the pixel word.
        for (int i = 0; i < count; ++i) {
            uint32_t p;
            std::memcpy(&p, first + stride * i, 4);
            line[i] = uint8_t(p);
        }
        for (int i = 0; i < count; ++i) {
            const int lo = std::max(i - radius, 0), hi = std::min(i + radius, count - 1);
            uint8_t value = line[lo];
            for (int k = lo + 1; k <= hi; ++k)
                value = pick(value, line[k]);
            uint32_t p;
            std::memcpy(&p, first + stride * i, 4);
            p = (p & 0xFFFFFF00u) | value;
            std::memcpy(first + stride * i, &p, 4);
        }
    };
    for (int y = 0; y < height; ++y)
        pass(dst->Row(y), 4, width);
    for (int x = 0; x < width; ++x)
        pass(dst->Row(0) + ptrdiff_t(x) * 4, dst->rowBytes, height);
    return QUOR_OK;
}

}  // namespace

int Quor_ImageOps::AlphaMinFilter(const Quor_image* src, const Quor_image* dst, int radius)
{
    return AlphaRankFilter(src, dst, radius, [](uint8_t a, uint8_t b) { return std::min(a, b); });
}

int Quor_ImageOps::AlphaMaxFilter(const Quor_image* src, const Quor_image* dst, int radius)
{
    return AlphaRankFilter(src, dst, radius, [](uint8_t a, uint8_t b) { return std::max(a, b); });
}

// [SECTION] Shadows
//
// A shadow is drawn as black of the given opacity in a scratch image, softened with AlphaBlur
// and composited over the image. Light comes from above: shadows fall downwards.

namespace {

constexpr int kMaxShadowSize = 1024;

// Fills the rectangle (left, top, right, bottom) of a scratch image with black of `opacity`.
void FillShadow(const Quor_image* img, int left, int top, int right, int bottom, uint8_t alpha)
{
    Quor_image part;
    if (Quor_ImageOps::FillImage(img, Quor_Rect(left, top, right, bottom), &part) == 0)
        Quor_ImageOps::Clear(&part, rgb_color{0, 0, 0, alpha});
}

}  // namespace

int Quor_ImageOps::InsetShadow(const Quor_image* img, Quor_Rect r, int size, uint8_t opacity)
{
    if (int result = CheckImage(img); result != 0)
        return result;
    r.Normalize();
    size = std::min(size, kMaxShadowSize);
    if (size <= 0 || opacity == 0)
        return 0;
    Quor_BaseImage shadow;
    if (int result = shadow.Initialize(r.Width(), r.Height(), 32); result != 0)
        return result;
    const Quor_image* s = &shadow.Image();
    // Shadow everywhere but a hole inset by `size` and moved down by half of it; the blur then
    // darkens the inner edges, most along the top.
    FillShadow(s, 0, 0, s->width - 1, s->height - 1, opacity);
    FillShadow(s, size, size + size / 2, s->width - 1 - size, s->height - 1 - size + size / 2, 0);
    if (int result = AlphaBlur(s, size); result != 0)
        return result;
    BlitAlpha(s, img, r.left, r.top, false);
    return 0;
}

int Quor_ImageOps::DropShadow(const Quor_image* img, Quor_Rect r, int size, uint8_t opacity)
{
    if (int result = CheckImage(img); result != 0)
        return result;
    r.Normalize();
    size = std::min(size, kMaxShadowSize);
    if (size <= 0 || opacity == 0)
        return QUOR_OK;
    const int64_t width = int64_t(r.Width()) + 4 * size, height = int64_t(r.Height()) + 4 * size;
    if (width > INT32_MAX || height > INT32_MAX)
        return QUOR_ERR_MEMORY;
    Quor_BaseImage shadow;
    if (int result = shadow.Initialize(int(width), int(height), 32); result != 0)
        return result;
    const Quor_image* s = &shadow.Image();
    // The rectangle's silhouette, moved down by half the size, in a margin wide enough for
    // the blur to fade out.
    FillShadow(s, 0, 0, s->width - 1, s->height - 1, 0);
    FillShadow(s, 2 * size, 2 * size + size / 2, 2 * size + r.Width() - 1,
               2 * size + size / 2 + r.Height() - 1, opacity);
    if (int result = AlphaBlur(s, size); result != 0)
        return result;
    BlitAlpha(s, img, int(int64_t(r.left) - 2 * size), int(int64_t(r.top) - 2 * size), false);
    return QUOR_OK;
}
