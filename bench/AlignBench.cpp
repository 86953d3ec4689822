// Photo alignment benchmark: how close "Align Selected Photo" brings a photo of the bundled Earth
// example back to where it was cut from the map, and how long one alignment takes.
//
//   align_bench [--project FILE] [--trials N] [--seed S] [--threads N] [--full | --previews]
//
// Every photo in turn is displaced by up to 3 degrees in yaw and pitch and 5 in roll (uniformly,
// from a seeded generator), aligned against the others at their true places as the editor does it
// (at the size of its 640-pixel previews, from the photos' files) and put back. The photos at
// their own size (--full) show what the reduction costs, and the previews themselves (--previews,
// the photos' paths cleared, as where the files cannot be read) what reading the files gains. The error of a result is the largest difference of its
// three angles from the file's, and also the angle of the turn between the two placements (which
// does not count a yaw difference near the poles as more than it moves the photo).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/core/PanomerDoc.h"
#include "app/core/PhotoAlign.h"
#include "app/core/PhotoMapping.h"
#include "toolkit/core/Quor_Parallel.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "bench/BenchSupport.h"

using BenchSupport::CpuSeconds;

namespace {

constexpr double kPi = 3.14159265358979;
constexpr double kDegree = kPi / 180.0;

// xorshift32: the same displacements on every machine.
struct Random {
    uint32_t state;
    double Uniform(double low, double high)
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return low + (high - low) * (static_cast<double>(state) / 4294967296.0);
    }
};

double AngleBetween(double a, double b)
{
    return std::fabs(std::remainder(a - b, 2.0 * kPi));
}

// The angle of the turn from one placement to the other: where the photo's right and up axes go.
double TurnBetween(const PanomerDoc& doc, int i, float yaw, float pitch, float roll)
{
    PhotoMapping a;
    PhotoMapping b;
    const Quor_image& image = doc.fPhotoImage[i].Image();
    a.Set(image, doc.fYaw[i], doc.fPitch[i], doc.fRoll[i], 1.0f, doc.fProjectionType);
    b.Set(image, yaw, pitch, roll, 1.0f, doc.fProjectionType);
    // The trace of the relative turn R_a^T R_b from the images of the three axes.
    double trace = 0.0;
    for (int axis = 0; axis < 3; axis++) {
        Quor_Vector3 e(axis == 0 ? 1.0f : 0.0f, axis == 1 ? 1.0f : 0.0f, axis == 2 ? 1.0f : 0.0f);
        trace += static_cast<double>(a.ToWorld(e).Dot(b.ToWorld(e)));
    }
    return std::acos(std::clamp((trace - 1.0) / 2.0, -1.0, 1.0));
}

}  // namespace

int main(int argc, char** argv)
{
    std::string project = PANOMER_EARTH_EXAMPLE;
    int trials = 5;
    uint32_t seed = 20261207u;
    bool full = false;
    bool previews = false;
    for (int i = 1; i < argc; i++) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (arg == "--full" || arg == "--previews") {
            full = arg == "--full";
            previews = arg == "--previews";
            continue;
        }
        if (arg == "--project" && value != nullptr)
            project = value;
        else if (arg == "--trials" && value != nullptr)
            trials = std::max(1, std::atoi(value));
        else if (arg == "--threads" && value != nullptr)
            Quor_Parallel::SetThreads(std::max(0, std::atoi(value)));
        else if (arg == "--seed" && value != nullptr)
            seed = static_cast<uint32_t>(std::strtoul(value, nullptr, 10));
        else {
            std::printf("usage: align_bench [--project FILE] [--trials N] [--seed S] [--threads N] [--full | --previews]\n");
            return 2;
        }
        i++;
    }
    Quor_ImageOps::InitAlphaTables();
    Quor_ImageIo::InitImageLoader();
    PanomerDoc doc;
    doc.fPath = project.c_str();
    if (!doc.Open()) {
        std::printf("cannot open %s\n", project.c_str());
        return 1;
    }
    for (int i = 0; (full || previews) && i < doc.fNumPhotos; i++) {
        if (full)
            doc.UpdatePhoto(i, 0);
        else
            doc.fPhotoPath[i] = "";
    }
    PhotoAlign align;
    const auto setupStart = std::chrono::steady_clock::now();
    if (!align.Setup(doc)) {
        std::printf("out of memory\n");
        return 1;
    }
    const double setupSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - setupStart).count();
    Random random{seed};
    double worst = 0.0;
    double sum = 0.0;
    double worstTurn = 0.0;
    double sumTurn = 0.0;
    double seconds = 0.0;
    double cpu = 0.0;
    int runs = 0;
    int failed = 0;
    for (int i = 0; i < doc.fNumPhotos; i++) {
        const float yaw = doc.fYaw[i];
        const float pitch = doc.fPitch[i];
        const float roll = doc.fRoll[i];
        double photoWorst = 0.0;
        for (int t = 0; t < trials; t++) {
            const double shift[3] = {random.Uniform(-3.0, 3.0), random.Uniform(-3.0, 3.0), random.Uniform(-5.0, 5.0)};
            doc.fYaw[i] = static_cast<float>(yaw + shift[0] * kDegree);
            doc.fPitch[i] = static_cast<float>(pitch + shift[1] * kDegree);
            doc.fRoll[i] = static_cast<float>(roll + shift[2] * kDegree);
            const auto start = std::chrono::steady_clock::now();
            const double cpuStart = CpuSeconds();
            const PhotoAlign::Result result = align.Align(doc, i);
            cpu += CpuSeconds() - cpuStart;
            seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            doc.fYaw[i] = yaw;
            doc.fPitch[i] = pitch;
            doc.fRoll[i] = roll;
            runs++;
            if (result.outcome != PhotoAlign::Outcome::kAligned) {
                failed++;
                continue;
            }
            const double error = std::max({AngleBetween(result.yaw, yaw), AngleBetween(result.pitch, pitch),
                                           AngleBetween(result.roll, roll)}) / kDegree;
            const double turn = TurnBetween(doc, i, result.yaw, result.pitch, result.roll) / kDegree;
            if (error > 0.1 || turn > 0.1)
                std::printf("photo %2d displaced by %.2f %.2f %.2f: angle error %.3f, turn %.3f, score %.3f\n", i + 1,
                            shift[0], shift[1], shift[2], error, turn, result.score);
            photoWorst = std::max(photoWorst, error);
            worst = std::max(worst, error);
            sum += error;
            worstTurn = std::max(worstTurn, turn);
            sumTurn += turn;
        }
        std::printf("photo %2d: worst angle error %.4f degrees\n", i + 1, photoWorst);
    }
    const int aligned = runs - failed;
    std::printf("%d alignments (%d photos x %d displacements), %d not aligned: angle error worst %.4f, mean %.4f "
                "degrees (turn worst %.4f, mean %.4f); %.1f ms wall, %.1f ms CPU per alignment, setup %.0f ms; "
                "reference 0.05 degrees, worst / reference %.2f\n",
                runs, doc.fNumPhotos, trials, failed, worst, aligned > 0 ? sum / aligned : 0.0, worstTurn,
                aligned > 0 ? sumTurn / aligned : 0.0, 1000.0 * seconds / runs, 1000.0 * cpu / runs, 1000.0 * setupSeconds,
                worst / 0.05);
    return failed == 0 ? 0 : 1;
}
