// Canvas benchmark: milliseconds per frame of the editing canvas, with photos at their preview
// size (640 x 480) arranged in overlapping rows around the horizon, seen through the horizontal
// spherical projection at the view's starting zoom:
//   FullUpdate: Update(true) then Update(false), as after a change of zoom, offset or selection;
//   DragFrame:  Update(false) alone, as for every mouse move while a photo is dragged;
//   Preview:    the per-pixel preview of the blended panorama.
// The canvas draws on every core: Time is the wall time of a frame, CPU the process's CPU time
// over all its threads.
//
//   canvas_bench [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#include "app/core/PanomerDoc.h"
#include "app/ui/canvas/CanvasPainter.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/Quor_PixelConvert.h"

namespace {

constexpr float kPi = 3.14159265358979f;

// Photo pixels that vary like a photo's (a smooth field with fine texture), different per photo.
void FillPhoto(Quor_BaseImage* image, int index)
{
    if (image->Initialize(640, 480, 32) != 0)
        return;
    for (int y = 0; y < 480; y++) {
        uint32_t* row = image->Image().Row32(y);
        for (int x = 0; x < 640; x++) {
            const uint32_t noise = (uint32_t(x) * 2654435761u ^ uint32_t(y) * 40503u ^ uint32_t(index) * 977u) >> 27;
            row[x] = Quor_PixelConvert::Pack((x / 3 + index * 37 + noise) & 255, (y / 2 + noise) & 255,
                                             (x + y + index * 11) / 5 & 255, 255);
        }
    }
}

// `count` photos in rows of equal length around the horizon, neighbours overlapping.
void Arrange(PanomerDoc* doc, int count)
{
    const int rows = count <= 8 ? 1 : (count <= 24 ? 3 : 4);
    const int perRow = count / rows;
    for (int i = 0; i < count; i++) {
        const int row = i / perRow, column = i % perRow;
        doc->fYaw[i] = -kPi + (2 * kPi) * (column + 0.5f) / perRow;
        doc->fPitch[i] = rows == 1 ? 0.0f : -0.9f + 1.8f * row / (rows - 1);
        doc->fRoll[i] = 0.02f * static_cast<float>(i % 5);
        doc->fBrightness[i] = 1.0f;
        FillPhoto(&doc->fPhotoImage[i], i);
    }
    doc->fNumPhotos = count;
    doc->fSelected = count / 2;
}

struct Scene {
    PanomerDoc doc;
    Quor_BaseImage view;
    CanvasPainter painter{&doc};

    Scene(int photos, int width, int height)
    {
        Arrange(&doc, photos);
        view.Initialize(width, height, 32);
        painter.InitBackground(&view.Image());
    }
};

void FullUpdate(benchmark::State& state)
{
    Scene scene(int(state.range(0)), int(state.range(1)), int(state.range(2)));
    for (auto _ : state) {
        scene.painter.Update(true);
        scene.painter.Update(false);
        benchmark::DoNotOptimize(scene.view.Bits());
    }
}

void DragFrame(benchmark::State& state)
{
    Scene scene(int(state.range(0)), int(state.range(1)), int(state.range(2)));
    for (auto _ : state) {
        // The dragged photo moves a little every frame, as it does under the pointer.
        scene.doc.fYaw[scene.doc.fSelected] += 0.001f;
        scene.painter.Update(false);
        benchmark::DoNotOptimize(scene.view.Bits());
    }
}

void Preview(benchmark::State& state)
{
    Scene scene(int(state.range(0)), int(state.range(1)), int(state.range(2)));
    for (auto _ : state)
        scene.painter.Preview([] { return false; }, [] {});
}

void Sizes(benchmark::internal::Benchmark* b)
{
    for (int photos : {8, 24, 64})
        for (auto size : {std::pair{1280, 800}, std::pair{1920, 1080}})
            b->Args({photos, size.first, size.second});
    b->ArgNames({"photos", "width", "height"});
    b->Unit(benchmark::kMillisecond);
    b->MeasureProcessCPUTime();
    b->UseRealTime();
}

BENCHMARK(FullUpdate)->Apply(Sizes);
BENCHMARK(DragFrame)->Apply(Sizes);
BENCHMARK(Preview)
    ->Args({24, 1920, 1080})
    ->ArgNames({"photos", "width", "height"})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
