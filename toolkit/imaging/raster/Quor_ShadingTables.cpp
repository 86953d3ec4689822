#include "toolkit/imaging/raster/Quor_ShadingTables.h"

#include <mutex>

#include "toolkit/imaging/Quor_Palette.h"
#include "toolkit/imaging/Quor_PixelConvert.h"

Quor_ShadingTables::Table<uint8_t> Quor_ShadingTables::gShadingTable8;
Quor_ShadingTables::Table<uint16_t> Quor_ShadingTables::gShadingTable15;
Quor_ShadingTables::Table<uint32_t> Quor_ShadingTables::gShadingTable32;
std::atomic<bool> Quor_ShadingTables::gTablesInit{false};

namespace {

std::once_flag sBuildOnce;

void Fill(const Quor_palette& palette)
{
    for (int i = 0; i < 256; i++) {
        // An empty palette gives black rows rather than reading a missing colour table.
        const uint32_t colour = (palette.colors && palette.count > i) ? palette.colors[i] : 0xFFu;
        const int r = static_cast<int>(Quor_PixelConvert::Red(colour));
        const int g = static_cast<int>(Quor_PixelConvert::Green(colour));
        const int b = static_cast<int>(Quor_PixelConvert::Blue(colour));
        for (int k = 0; k < 256; k++) {
            const int sr = Quor_ShadingTables::ShadeComponent(r, k);
            const int sg = Quor_ShadingTables::ShadeComponent(g, k);
            const int sb = Quor_ShadingTables::ShadeComponent(b, k);
            Quor_ShadingTables::gShadingTable8[i][k] = Quor_Palette::IndexFromColor(palette, sr, sg, sb);
            Quor_ShadingTables::gShadingTable15[i][k] = Quor_PixelConvert::Pack15(sr, sg, sb);
            Quor_ShadingTables::gShadingTable32[i][k] = Quor_PixelConvert::Pack(sr, sg, sb, 255);
        }
    }
    Quor_ShadingTables::gTablesInit.store(true, std::memory_order_release);
}

}  // namespace

void Quor_ShadingTables::Build(const Quor_palette& palette)
{
    std::call_once(sBuildOnce, Fill, palette);
}
