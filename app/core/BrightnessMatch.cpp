#include "app/core/BrightnessMatch.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "app/core/PanoramaSampler.h"
#include "app/core/PhotoMapping.h"
#include "app/core/ProjectionMap.h"
#include "toolkit/core/Quor_Status.h"

namespace {

// Solves a * x = b for a small dense system (n x n, row-major) with partial pivoting; false when
// it is singular.
bool SolveDense(std::vector<double>& a, std::vector<double>& b, int n)
{
    for (int col = 0; col < n; col++) {
        int pivot = col;
        for (int r = col + 1; r < n; r++)
            if (std::fabs(a[size_t(r * n + col)]) > std::fabs(a[size_t(pivot * n + col)]))
                pivot = r;
        if (std::fabs(a[size_t(pivot * n + col)]) < 1e-12)
            return false;
        if (pivot != col) {
            for (int k = 0; k < n; k++)
                std::swap(a[size_t(col * n + k)], a[size_t(pivot * n + k)]);
            std::swap(b[size_t(col)], b[size_t(pivot)]);
        }
        for (int r = col + 1; r < n; r++) {
            const double f = a[size_t(r * n + col)] / a[size_t(col * n + col)];
            for (int k = col; k < n; k++)
                a[size_t(r * n + k)] -= f * a[size_t(col * n + k)];
            b[size_t(r)] -= f * b[size_t(col)];
        }
    }
    for (int r = n - 1; r >= 0; r--) {
        double sum = b[size_t(r)];
        for (int k = r + 1; k < n; k++)
            sum -= a[size_t(r * n + k)] * b[size_t(k)];
        b[size_t(r)] = sum / a[size_t(r * n + r)];
    }
    return true;
}

// The factor a photo's pixels carry: loading leaves a photo of brightness 0 as it is.
double Applied(float brightness)
{
    return brightness > 0.000001f ? double(brightness) : 1.0;
}

}  // namespace

bool BrightnessMatch::Solve(const PanomerDoc& doc, float low, float high, float* out)
{
    const int count = std::clamp(doc.fNumPhotos, 0, kMaxPhotos);
    try {
        // The whole sphere, so that the measure does not depend on the crop or the projection.
        ProjectionMap map(ProjectionMap::kHorizontalSpherical, kGridWidth, kGridWidth / 2);
        PanoramaSampler sampler;
        if (count < 2 || sampler.Setup(doc, map, PanoramaSampler::kPreviewRamp) != QUOR_OK) {
            for (int i = 0; i < count; i++)
                out[i] = doc.fBrightness[i];
            return count < 2;
        }
        const size_t n = size_t(count);
        // sum[i * n + j]: photo i's luminance summed over the points it shares with j.
        std::vector<double> sum(n * n, 0.0);
        std::vector<int> shared(n * n, 0);
        std::vector<uint32_t> rows(n * kGridWidth);
        std::vector<int> covering;
        covering.reserve(n);
        for (int y = 0; y < map.CanvasHeight(); y++) {
            for (int i = 0; i < count; i++)
                sampler.RenderLayerRow(i, y, rows.data() + size_t(i) * kGridWidth);
            for (int x = 0; x < kGridWidth; x++) {
                covering.clear();
                for (int i = 0; i < count; i++) {
                    const uint32_t pixel = rows[size_t(i) * kGridWidth + size_t(x)];
                    const double value = PhotoMapping::Luminance(pixel);
                    // Only where the photo is wholly present, and neither burnt out nor black:
                    // there its brightness says nothing.
                    if ((pixel & 0xFF) == 0xFF && value > 4.0 && value < 251.0)
                        covering.push_back(i);
                }
                for (size_t a = 0; a < covering.size(); a++) {
                    for (size_t b = a + 1; b < covering.size(); b++) {
                        const size_t i = size_t(covering[a]);
                        const size_t j = size_t(covering[b]);
                        sum[i * n + j] += PhotoMapping::Luminance(rows[i * kGridWidth + size_t(x)]);
                        sum[j * n + i] += PhotoMapping::Luminance(rows[j * kGridWidth + size_t(x)]);
                        shared[i * n + j]++;
                        shared[j * n + i]++;
                    }
                }
            }
        }
        // Groups of photos joined by overlaps.
        std::vector<int> group(n, -1);
        int groups = 0;
        for (size_t start = 0; start < n; start++) {
            if (group[start] >= 0)
                continue;
            std::vector<size_t> stack{start};
            group[start] = groups;
            while (!stack.empty()) {
                const size_t i = stack.back();
                stack.pop_back();
                for (size_t j = 0; j < n; j++) {
                    if (group[j] < 0 && shared[i * n + j] >= kMinShared) {
                        group[j] = groups;
                        stack.push_back(j);
                    }
                }
            }
            groups++;
        }
        for (int i = 0; i < count; i++)
            out[i] = doc.fBrightness[i];
        for (int g = 0; g < groups; g++) {
            std::vector<size_t> members;
            for (size_t i = 0; i < n; i++)
                if (group[i] == g)
                    members.push_back(i);
            const int m = static_cast<int>(members.size());
            if (m < 2)
                continue;
            // Unknowns: the log of each member's new brightness. Each overlap asks that the two
            // photos' unbrightened means, times their new brightness, agree: y_i - y_j equals the
            // log ratio of j's unbrightened mean to i's, weighted by the points they share. The
            // weighted Laplacian plus a matrix of ones holds the sum of the unknowns at 0.
            std::vector<double> a(size_t(m * m), 1.0);
            std::vector<double> b(size_t(m), 0.0);
            for (int p = 0; p < m; p++) {
                for (int q = 0; q < m; q++) {
                    const size_t i = members[size_t(p)];
                    const size_t j = members[size_t(q)];
                    if (p == q || shared[i * n + j] < kMinShared)
                        continue;
                    const double w = shared[i * n + j];
                    const double rawI = std::log(sum[i * n + j] / w) - std::log(Applied(doc.fBrightness[i]));
                    const double rawJ = std::log(sum[j * n + i] / w) - std::log(Applied(doc.fBrightness[j]));
                    a[size_t(p * m + p)] += w;
                    a[size_t(p * m + q)] -= w;
                    b[size_t(p)] += w * (rawJ - rawI);
                }
            }
            if (!SolveDense(a, b, m))
                continue;
            for (int p = 0; p < m; p++) {
                const size_t i = members[size_t(p)];
                const double value = std::exp(b[size_t(p)]);
                if (std::isfinite(value))
                    out[i] = std::clamp(static_cast<float>(value), low, high);
            }
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}
