#include "toolkit/imaging/Quor_Palette.h"

#include <array>
#include <memory>
#include <new>

#include "toolkit/imaging/Quor_PixelConvert.h"

namespace {

using Table = std::array<uint32_t, 256>;

constexpr uint32_t Rgb(uint32_t rgb)
{
    return Quor_PixelConvert::Pack(rgb >> 16, (rgb >> 8) & 255, rgb & 255);
}

constexpr uint8_t kRampLevels[10] = {0xEE, 0xDD, 0xBB, 0xAA, 0x88, 0x77, 0x55, 0x44, 0x22, 0x11};

// The standard system table: the 6 x 6 x 6 colour cube without black (red slowest, from FF
// down), ramps of pure red, green, blue and grey between the cube's levels, and black last.
constexpr Table MakeSystemTable()
{
    constexpr uint8_t levels[6] = {0xFF, 0xCC, 0x99, 0x66, 0x33, 0x00};
    Table table{};
    int n = 0;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                if (n < 215)
                    table[n++] = Quor_PixelConvert::Pack(levels[r], levels[g], levels[b]);
    for (uint8_t v : kRampLevels)
        table[n++] = Quor_PixelConvert::Pack(v, 0, 0);
    for (uint8_t v : kRampLevels)
        table[n++] = Quor_PixelConvert::Pack(0, v, 0);
    for (uint8_t v : kRampLevels)
        table[n++] = Quor_PixelConvert::Pack(0, 0, v);
    for (uint8_t v : kRampLevels)
        table[n++] = Quor_PixelConvert::Pack(v, v, v);
    table[n] = Quor_PixelConvert::Pack(0, 0, 0);
    return table;
}

// The generic table: a grey ramp, ramps of blue, red and green, two fixed colours, then the
// 6 x 6 x 6 cube of levels FF, CB, 98, 66, 33, 00 (red slowest, greys left out since the ramp
// has them) around three accent colours, for as many entries as there is room; white last.
constexpr Table MakeGenericTable()
{
    constexpr uint8_t ramp[10] = {0xFF, 0xE5, 0xCC, 0xB3, 0x9A, 0x81, 0x69, 0x50, 0x37, 0x1E};
    constexpr uint8_t levels[6] = {0xFF, 0xCB, 0x98, 0x66, 0x33, 0x00};
    Table table{};
    for (int i = 0; i < 32; ++i)
        table[i] = Quor_PixelConvert::Pack(i * 8, i * 8, i * 8);
    for (int i = 0; i < 10; ++i) {
        table[32 + i] = Quor_PixelConvert::Pack(0, 0, ramp[i]);
        table[42 + i] = Quor_PixelConvert::Pack(ramp[i], 0, 0);
        table[52 + i] = Quor_PixelConvert::Pack(0, ramp[i], 0);
    }
    table[62] = Rgb(0x009833);
    table[63] = Rgb(0xFFFFFF);
    table[152] = Rgb(0xE68600);
    table[189] = Rgb(0xFFAF13);
    table[229] = Rgb(0xFFE346);
    table[255] = Rgb(0xFFFFFF);
    int n = 64;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) {
                if (r == g && g == b)
                    continue;
                while (n == 152 || n == 189 || n == 229)
                    ++n;
                if (n < 255)
                    table[n++] = Quor_PixelConvert::Pack(levels[r], levels[g], levels[b]);
            }
    return table;
}

constexpr Table kSystemTable = MakeSystemTable();
constexpr Table kGenericTable = MakeGenericTable();

constexpr int kCubeCells = 32 * 32 * 32;

}  // namespace

Quor_Palette::~Quor_Palette()
{
    Free();
}

void Quor_Palette::Free()
{
    delete[] fColors;
    delete[] fInverse;
    fColors = nullptr;
    fInverse = nullptr;
    fPalette = Quor_palette();
}

int Quor_Palette::Load(const uint32_t* table, bool buildInverse)
{
    Free();
    fColors = new (std::nothrow) uint32_t[256];
    if (!fColors)
        return QUOR_ERR_MEMORY;
    for (int i = 0; i < 256; ++i)
        fColors[i] = table[i];
    fPalette.count = 256;
    fPalette.colors = fColors;
    return FinishInitialize(buildInverse);
}

int Quor_Palette::Initialize(bool buildInverse)
{
    return Load(kSystemTable.data(), buildInverse);
}

int Quor_Palette::InitializeGeneric(bool buildInverse)
{
    return Load(kGenericTable.data(), buildInverse);
}

int Quor_Palette::FinishInitialize(bool buildInverse)
{
    if (fPalette.count == 0 || !fPalette.colors)
        return QUOR_ERR_NO_PALETTE;
    if (!buildInverse)
        return QUOR_OK;
    if (!fInverse) {
        fInverse = new (std::nothrow) uint8_t[kCubeCells];
        if (!fInverse)
            return QUOR_ERR_MEMORY;
    }
    std::unique_ptr<uint32_t[]> best(new (std::nothrow) uint32_t[kCubeCells]);
    if (!best)
        return QUOR_ERR_MEMORY;

    // Squared distance from each cell centre (8k + 4) to the entry, stepped along each axis:
    // from cell k to k + 1 a term (8k + 4 - c)^2 grows by 2 * (64 - 8c) + 128k.
    for (int i = 0; i < fPalette.count; ++i) {
        const uint32_t c = fPalette.colors[i];
        const int r = int(Quor_PixelConvert::Red(c)), g = int(Quor_PixelConvert::Green(c)),
                  b = int(Quor_PixelConvert::Blue(c));
        int rd = (r - 4) * (r - 4), rinc = 2 * (64 - 8 * r);
        int cell = 0;
        for (int r5 = 0; r5 < 32; ++r5, rd += rinc, rinc += 128) {
            int gd = (g - 4) * (g - 4), ginc = 2 * (64 - 8 * g);
            for (int g5 = 0; g5 < 32; ++g5, gd += ginc, ginc += 128) {
                int bd = (b - 4) * (b - 4), binc = 2 * (64 - 8 * b);
                for (int b5 = 0; b5 < 32; ++b5, bd += binc, binc += 128, ++cell) {
                    const uint32_t d = uint32_t(rd + gd + bd);
                    if (i == 0 || d < best[cell]) {
                        best[cell] = d;
                        fInverse[cell] = uint8_t(i);
                    }
                }
            }
        }
    }
    fPalette.inverse = fInverse;
    return QUOR_OK;
}

uint8_t Quor_Palette::IndexFromColor(int r, int g, int b) const
{
    return IndexFromColor(fPalette, r, g, b);
}

int Quor_Palette::FillPalette(Quor_palette* out) const
{
    if (fPalette.count == 0)
        return QUOR_ERR_NO_PALETTE;
    if (!out)
        return QUOR_ERR_ARGUMENT;
    *out = fPalette;
    return QUOR_OK;
}

const Quor_Palette& Quor_Palette::SystemPalette()
{
    // A function-local static is built exactly once even when threads race to it first.
    static const Quor_Palette& palette = []() -> const Quor_Palette& {
        static Quor_Palette systemPalette;
        systemPalette.Initialize(true);
        return systemPalette;
    }();
    return palette;
}
