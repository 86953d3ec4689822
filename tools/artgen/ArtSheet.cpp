// ArtSheet: a simple row layout with a margin round every picture.

#include "tools/artgen/ArtSheet.h"

#include <algorithm>
#include <cstdio>

#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/formats/Quor_PngWriter.h"

namespace {

constexpr int kMargin = 8;
constexpr int kMaxWidth = 1400;

// Puts the picture over the background at (x, y), every pixel a zoom x zoom square.
void Place(const Quor_image& picture, int zoom, rgb_color ground, const Quor_image& sheet, int x, int y)
{
    for (int py = -2; py < picture.height * zoom + 2; py++) {
        if (y + py < 0 || y + py >= sheet.height)
            continue;
        uint32_t* row = sheet.Row32(y + py);
        for (int px = -2; px < picture.width * zoom + 2; px++) {
            if (x + px < 0 || x + px >= sheet.width)
                continue;
            uint32_t r = ground.red, g = ground.green, b = ground.blue;
            if (px >= 0 && py >= 0 && px < picture.width * zoom && py < picture.height * zoom) {
                const uint32_t p = picture.Row32(py / zoom)[px / zoom], a = p & 255;
                r = ((p >> 8 & 255) * a + r * (255 - a) + 127) / 255;
                g = ((p >> 16 & 255) * a + g * (255 - a) + 127) / 255;
                b = ((p >> 24) * a + b * (255 - a) + 127) / 255;
            }
            row[x + px] = b << 24 | g << 16 | r << 8 | 255;
        }
    }
}

}  // namespace

void ArtSheet::Add(const Quor_image& picture, int zoom, rgb_color ground)
{
    fItems.push_back(Item{&picture, std::max(zoom, 1), ground, fPendingRow});
    fPendingRow = false;
}

void ArtSheet::NewRow()
{
    fPendingRow = true;
}

int ArtSheet::Write(const std::string& path) const
{
    // Two passes over the same layout: first to measure, then to draw.
    struct Spot {
        int x, y;
    };
    std::vector<Spot> spots;
    int x = kMargin, y = kMargin, rowHeight = 0, width = 0;
    for (const Item& item : fItems) {
        const int w = item.picture->width * (1 + item.zoom) + 3 * kMargin;
        const int h = item.picture->height * item.zoom;
        if (x > kMargin && (item.newRow || x + w > kMaxWidth)) {
            x = kMargin;
            y += rowHeight + 2 * kMargin;
            rowHeight = 0;
        }
        spots.push_back(Spot{x, y});
        x += w;
        rowHeight = std::max(rowHeight, h);
        width = std::max(width, x);
    }
    Quor_BaseImage sheet;
    if (int result = sheet.Initialize(std::max(width, 1), y + rowHeight + kMargin, 32); result != QUOR_OK)
        return result;
    sheet.Clear(rgb_color{128, 128, 128, 255});
    for (size_t i = 0; i < fItems.size(); i++) {
        const Item& item = fItems[i];
        Place(*item.picture, 1, item.ground, sheet.Image(), spots[i].x, spots[i].y);
        Place(*item.picture, item.zoom, item.ground, sheet.Image(),
              spots[i].x + item.picture->width + 2 * kMargin, spots[i].y);
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return QUOR_ERR_CREATE;
    const int result = Quor_PngWriter::Write(file, sheet.Image());
    return std::fclose(file) != 0 || result != QUOR_OK ? QUOR_ERR_WRITE : QUOR_OK;
}
