// panomer-iconsizes: reduces the drawn 256 pixel application icon to the desktop sizes that
// are not drawn, and writes them as panomer-<size>.png into a folder:
//
//     build/tools/iconsizes/panomer-iconsizes app/ui/data/icons/panomer-256.png app/desktop/icons
//
// Each size is reached by halvings that average every 2 x 2 block (weighted by alpha, so that
// the transparent corners do not darken the rim). A size that is not the 256 pixels halved
// (22 and 24) is first scaled with the imaging library's filtered stretch to 8 times itself,
// where the stretch's sampling, which reads only the nearest pixels and leans half a pixel
// towards the top left, is averaged away by the three halvings that follow.

#include <cstdint>
#include <cstdio>
#include <string>

#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"

namespace {

constexpr int kSizes[] = {16, 22, 24, 32, 64};

// One channel of a packed pixel: blue << 24 | green << 16 | red << 8 | alpha.
uint32_t Channel(uint32_t pixel, int shift)
{
    return (pixel >> shift) & 255;
}

// Halves `from` (of even width and height) into `to`: QUOR_OK or QUOR_ERR_MEMORY.
int Halve(const Quor_BaseImage& from, Quor_BaseImage* to)
{
    const int width = from.Width() / 2;
    const int height = from.Height() / 2;
    if (int result = to->Initialize(width, height, 32); result != QUOR_OK)
        return result;
    for (int y = 0; y < height; ++y) {
        const uint32_t* rows[2] = {from.Image().Row32(2 * y), from.Image().Row32(2 * y + 1)};
        uint32_t* out = to->Image().Row32(y);
        for (int x = 0; x < width; ++x) {
            const uint32_t block[4] = {rows[0][2 * x], rows[0][2 * x + 1], rows[1][2 * x], rows[1][2 * x + 1]};
            uint32_t alpha = 0;
            uint32_t colour[3] = {0, 0, 0};
            for (uint32_t pixel : block) {
                const uint32_t a = Channel(pixel, 0);
                alpha += a;
                for (int c = 0; c < 3; ++c)
                    colour[c] += Channel(pixel, 8 * (c + 1)) * a;
            }
            uint32_t packed = (alpha + 2) / 4;
            for (int c = 0; c < 3; ++c) {
                const uint32_t value = alpha > 0 ? (colour[c] + alpha / 2) / alpha : 0;
                packed |= value << (8 * (c + 1));
            }
            out[x] = packed;
        }
    }
    return QUOR_OK;
}

// Whether `size` is `from` halved one or more times.
bool IsHalved(int from, int size)
{
    while (from > size && from % 2 == 0)
        from /= 2;
    return from == size && size > 0;
}

// `source` reduced to size x size, a size below the source's: QUOR_OK, QUOR_ERR_ARGUMENT for
// a size it cannot be reduced to, or the imaging library's failure.
int Reduce(const Quor_BaseImage& source, int size, Quor_BaseImage* out)
{
    Quor_BaseImage stretched;
    const Quor_BaseImage* current = &source;
    if (!IsHalved(source.Width(), size)) {
        const int start = 8 * size;
        if (start >= source.Width())
            return QUOR_ERR_ARGUMENT;
        if (int result = stretched.Initialize(start, start, 32); result != QUOR_OK)
            return result;
        if (int result = Quor_ImageOps::StretchBlit(source, stretched, 0, 0, start, start, true); result != QUOR_OK)
            return result;
        current = &stretched;
    }
    Quor_BaseImage halves[2];
    int next = 0;
    while (current->Width() > 2 * size) {
        if (int result = Halve(*current, &halves[next]); result != QUOR_OK)
            return result;
        current = &halves[next];
        next = 1 - next;
    }
    return Halve(*current, out);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <256 pixel icon.png> <output folder>\n", argv[0]);
        return 2;
    }
    Quor_ImageIo::InitImageLoader();
    int status = 0;
    Quor_BaseImage icon;
    if (Quor_ImageIo::LoadImage(argv[1], &icon, 0) != QUOR_OK || icon.Width() != icon.Height()) {
        std::fprintf(stderr, "panomer-iconsizes: cannot read a square icon from %s\n", argv[1]);
        status = 1;
    }
    for (int size : kSizes) {
        if (status != 0)
            break;
        Quor_BaseImage reduced;
        const std::string path = std::string(argv[2]) + "/panomer-" + std::to_string(size) + ".png";
        if (Reduce(icon, size, &reduced) != QUOR_OK ||
            Quor_ImageIo::SaveImage(path.c_str(), &reduced, Quor_ImageIo::Format_PNG, 0) != QUOR_OK) {
            std::fprintf(stderr, "panomer-iconsizes: cannot write %s\n", path.c_str());
            status = 1;
        }
    }
    if (status == 0)
        std::printf("%zu icon sizes -> %s\n", sizeof(kSizes) / sizeof(kSizes[0]), argv[2]);
    Quor_ImageIo::ExitImageLoader();
    return status;
}
