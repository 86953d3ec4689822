// Quor_ImageOps: reduction by area (ReduceArea).

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>
#include <vector>

#include "toolkit/imaging/ops/Quor_ImageOps.h"

namespace {

typedef float Channels __attribute__((vector_size(16)));

// The source pixels each destination pixel along one axis averages: pixels first[j] up to
// first[j] + count[j] - 1, with weights from weights[offset[j]] on, adding up to 1.
struct Taps {
    std::vector<int> first;
    std::vector<int> count;
    std::vector<int> offset;
    std::vector<float> weights;
    int widest = 0;
};

// The part of the span a..b that lies over source pixel i of n, the edge pixels reaching out to
// everything beyond them.
double Overlap(double a, double b, int i, int n)
{
    const double low = i == 0 ? a : std::max(a, i - 0.5);
    const double high = i == n - 1 ? b : std::min(b, i + 0.5);
    return std::max(0.0, high - low);
}

void MakeTaps(int sourceSize, int size, double origin, double step, Taps* taps)
{
    taps->first.resize(size_t(size));
    taps->count.resize(size_t(size));
    taps->offset.resize(size_t(size));
    taps->weights.clear();
    taps->widest = 0;
    const double last = sourceSize - 1;
    for (int j = 0; j < size; ++j) {
        const double a = origin + j * step - step / 2;
        const double b = a + step;
        // Only pixels 0 .. n-1 exist; a span beyond them all lands on the nearer edge pixel.
        const int from = int(std::clamp(std::floor(a + 0.5), 0.0, last));
        const int to = int(std::clamp(std::floor(b + 0.5), 0.0, last));
        taps->first[size_t(j)] = from;
        taps->offset[size_t(j)] = int(taps->weights.size());
        int count = 0;
        for (int i = from; i <= to; ++i, ++count)
            taps->weights.push_back(float(Overlap(a, b, i, sourceSize) / step));
        taps->count[size_t(j)] = count;
        taps->widest = std::max(taps->widest, count);
    }
}

Channels Unpack(uint32_t p)
{
    return Channels{float(p & 255), float((p >> 8) & 255), float((p >> 16) & 255), float(p >> 24)};
}

uint32_t Pack(Channels c)
{
    uint32_t p = 0;
    for (int k = 0; k < 4; ++k) {
        const int v = std::min(255, int(c[k] + 0.5f));
        p |= uint32_t(std::max(0, v)) << (8 * k);
    }
    return p;
}

// One source row averaged across into the destination's columns.
void ReduceRow(const uint32_t* in, const Taps& across, int width, Channels* out)
{
    for (int x = 0; x < width; ++x) {
        const uint32_t* p = in + across.first[size_t(x)];
        const float* w = across.weights.data() + across.offset[size_t(x)];
        Channels sum = {0, 0, 0, 0};
        for (int k = 0; k < across.count[size_t(x)]; ++k)
            sum += w[k] * Unpack(p[k]);
        out[x] = sum;
    }
}

}  // namespace

int Quor_ImageOps::ReduceArea(const Quor_image* src, const Quor_image* dst, double originX, double originY,
                              double step)
{
    if (!src || !src->bits || !dst || !dst->bits)
        return QUOR_ERR_NO_IMAGE;
    if (!src->IsUsable32() || !dst->IsUsable32() || !(step >= 1.0) || !std::isfinite(step) ||
        !std::isfinite(originX) || !std::isfinite(originY))
        return QUOR_ERR_ARGUMENT;
    const int width = dst->width;
    const int height = dst->height;
    Taps across;
    Taps down;
    std::vector<Channels> rows;
    std::vector<int> rowOf;
    std::vector<const Channels*> reduced;
    try {
        MakeTaps(src->width, width, originX, step, &across);
        MakeTaps(src->height, height, originY, step, &down);
        // Source rows come in order, each needed by one or two destination rows in a row: a
        // ring of as many reduced rows as one destination row reads holds them all.
        rows.resize(size_t(down.widest) * size_t(width));
        rowOf.assign(size_t(down.widest), -1);
        reduced.resize(size_t(down.widest));
    } catch (const std::bad_alloc&) {
        return QUOR_ERR_MEMORY;
    }
    const int ring = down.widest;
    for (int y = 0; y < height; ++y) {
        const int first = down.first[size_t(y)];
        const float* w = down.weights.data() + down.offset[size_t(y)];
        uint32_t* out = dst->Row32(y);
        const int count = down.count[size_t(y)];
        for (int k = 0; k < count; ++k) {
            const int r = first + k;
            const int slot = r % ring;
            Channels* row = rows.data() + size_t(slot) * size_t(width);
            if (rowOf[size_t(slot)] != r) {
                ReduceRow(src->Row32(r), across, width, row);
                rowOf[size_t(slot)] = r;
            }
            reduced[size_t(k)] = row;
        }
        for (int x = 0; x < width; ++x) {
            Channels sum = {0, 0, 0, 0};
            for (int k = 0; k < count; ++k)
                sum += w[k] * reduced[size_t(k)][x];
            out[x] = Pack(sum);
        }
    }
    return QUOR_OK;
}
