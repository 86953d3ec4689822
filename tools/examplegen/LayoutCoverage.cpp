#include "tools/examplegen/LayoutCoverage.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "tools/examplegen/ExampleProject.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

}  // namespace

LayoutCoverage LayoutCoverage::Measure(const ExampleLayout& layout, int rows, int photoStep)
{
    LayoutCoverage result;
    if (rows < 1 || photoStep < 1 || !layout.Check().empty())
        return result;
    std::vector<PhotoFrame> frames;
    frames.reserve(layout.shots.size());
    for (size_t i = 0; i < layout.shots.size(); i++)
        frames.push_back(ExampleProject::Frame(layout, i));

    // The sphere, cell by cell at the cells' centres.
    const int columns = 2 * rows;
    double total = 0.0;
    for (int b = 0; b < rows; b++) {
        const double pitch = kPi / 2 - (b + 0.5) * kPi / rows;
        const double area = std::cos(pitch);
        for (int a = 0; a < columns; a++) {
            const double yaw = kPi - (a + 0.5) * 2 * kPi / columns;
            const SphereVector v = PhotoFrame::FromAngles(yaw, pitch);
            int count = 0;
            double tx, ty;
            for (const PhotoFrame& frame : frames)
                count += frame.Covers(v, &tx, &ty) ? 1 : 0;
            (count == 0 ? result.uncovered : count == 1 ? result.single : result.multiple) += area;
            total += area;
        }
    }
    result.uncovered /= total;
    result.single /= total;
    result.multiple /= total;

    // Each photo, pixel by pixel on a coarser grid.
    for (size_t i = 0; i < frames.size(); i++) {
        int64_t samples = 0, shared = 0;
        std::vector<int64_t> sharedWith(frames.size(), 0);
        for (int ty = photoStep / 2; ty < frames[i].Height(); ty += photoStep) {
            for (int tx = photoStep / 2; tx < frames[i].Width(); tx += photoStep) {
                const SphereVector v = frames[i].Direction(tx, ty);
                bool seenElsewhere = false;
                double ox, oy;
                for (size_t j = 0; j < frames.size(); j++) {
                    if (j != i && frames[j].Covers(v, &ox, &oy)) {
                        sharedWith[j]++;
                        seenElsewhere = true;
                    }
                }
                samples++;
                shared += seenElsewhere ? 1 : 0;
            }
        }
        const int64_t most = *std::max_element(sharedWith.begin(), sharedWith.end());
        result.overlap.push_back(samples > 0 ? double(shared) / double(samples) : 0.0);
        result.neighbourOverlap.push_back(samples > 0 ? double(most) / double(samples) : 0.0);
    }
    return result;
}
