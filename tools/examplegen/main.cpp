// panomer-examplegen: makes an example project out of an equirectangular picture of the whole
// sphere. Each photo of a layout is cut out as a perspective view at its yaw, pitch, roll and
// focal length, saved beside the project, and the project stores the exact angles, so rendering
// the project over the whole sphere gives the picture back.
//
// The bundled example (examples/earth) is made with
//
//     panomer-examplegen /usr/share/xplanet/images/earth.jpg examples/earth
//
// and the equirectangular test picture (tests/data/equirect) with
//
//     panomer-examplegen --reduce 1024 /usr/share/xplanet/images/earth.jpg tests/data/equirect/earth-1024.jpg
//
// Same input, same bytes out.

#include <cstdio>
#include <cstring>
#include <string>

#include "toolkit/core/Quor_Path.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"
#include "tools/examplegen/EquirectSource.h"
#include "tools/examplegen/ExampleLayout.h"
#include "tools/examplegen/ExampleProject.h"
#include "tools/examplegen/LayoutCoverage.h"

namespace {

void Usage(const char* program)
{
    std::fprintf(stderr,
                 "usage: %s [options] <equirectangular image> <output folder>\n"
                 "       %s --reduce <size> <image> <output image>\n"
                 "options:\n"
                 "  --layout NAME   a built-in layout (%s; the default is earth); the options\n"
                 "                  after it change it\n"
                 "  --shot Y,P,R    a photo at yaw, pitch and roll in degrees; repeat it for every\n"
                 "                  photo (replaces the layout's photos)\n"
                 "  --size WxH      photo size in pixels\n"
                 "  --focal F       35 mm equivalent focal length in millimetres\n"
                 "  --name NAME     base name of the project and photo files (default: the layout's)\n"
                 "  --png           write the photos as PNG instead of JPEG\n"
                 "  --quality Q     JPEG quality, 10 to 100 (default 92)\n"
                 "  --coverage      only report how the layout covers the sphere\n"
                 "  --reduce N      write the image reduced to fit N x N pixels, quality 95 for JPEG\n",
                 program, program, ExampleLayout::BuiltInNames().c_str());
}

void PrintCoverage(const ExampleLayout& layout)
{
    const LayoutCoverage coverage = LayoutCoverage::Measure(layout);
    std::printf("sphere: %.3f%% uncovered, %.1f%% seen by one photo, %.1f%% by several\n",
                100.0 * coverage.uncovered, 100.0 * coverage.single, 100.0 * coverage.multiple);
    for (size_t i = 0; i < coverage.overlap.size(); i++) {
        const ExampleShot& shot = layout.shots[i];
        std::printf("photo %2zu at yaw %7.2f pitch %6.2f roll %6.2f: %3.0f%% shared, %3.0f%% with its closest neighbour\n",
                    i + 1, shot.yaw, shot.pitch, shot.roll, 100.0 * coverage.overlap[i],
                    100.0 * coverage.neighbourOverlap[i]);
    }
}

int Reduce(const char* sizeText, const char* input, const char* output)
{
    double size = 0.0;
    if (!ExampleLayout::ParseNumber(sizeText, &size) || size < 1.0 || size > 30000.0) {
        std::fprintf(stderr, "--reduce: a size of 1 to 30000 pixels, not \"%s\"\n", sizeText);
        return 2;
    }
    const Quor_String extension = Quor_Path(output).Extension();
    int format = -1;
    if (extension == "png")
        format = Quor_ImageIo::Format_PNG;
    else if (extension == "jpg" || extension == "jpeg")
        format = Quor_ImageIo::Format_JPEG;
    if (format < 0) {
        std::fprintf(stderr, "--reduce: write a .png or .jpg file, not %s\n", output);
        return 2;
    }
    Quor_BaseImage image;
    if (Quor_ImageIo::LoadImage(input, &image, int(size)) != QUOR_OK) {
        std::fprintf(stderr, "cannot read %s\n", input);
        return 1;
    }
    if (Quor_ImageIo::SaveImage(output, &image, format, 95) != QUOR_OK) {
        std::fprintf(stderr, "cannot write %s\n", output);
        return 1;
    }
    std::printf("%s: %d x %d\n", output, image.Width(), image.Height());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    Quor_ImageIo::InitImageLoader();

    ExampleLayout layout = ExampleLayout::Earth();
    ExampleOutput output;
    bool customShots = false;
    bool coverageOnly = false;
    const char* reduceSize = nullptr;
    const char* positional[2] = {nullptr, nullptr};
    int positionalCount = 0;

    for (int i = 1; i < argc; i++) {
        const char* arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        bool ok = true;
        if (std::strcmp(arg, "--layout") == 0 && value) {
            ok = ExampleLayout::BuiltIn(value, &layout);
            customShots = false;
            i++;
        } else if (std::strcmp(arg, "--shot") == 0 && value) {
            ExampleShot shot;
            ok = ExampleLayout::ParseShot(value, &shot);
            if (ok) {
                if (!customShots)
                    layout.shots.clear();
                customShots = true;
                layout.shots.push_back(shot);
            }
            i++;
        } else if (std::strcmp(arg, "--size") == 0 && value) {
            ok = ExampleLayout::ParseSize(value, &layout.photoWidth, &layout.photoHeight);
            i++;
        } else if (std::strcmp(arg, "--focal") == 0 && value) {
            ok = ExampleLayout::ParseNumber(value, &layout.focalLength) && layout.focalLength > 0.0;
            i++;
        } else if (std::strcmp(arg, "--name") == 0 && value) {
            output.name = value;
            ok = ExampleProject::IsUsableName(output.name);
            i++;
        } else if (std::strcmp(arg, "--quality") == 0 && value) {
            double quality = 0.0;
            ok = ExampleLayout::ParseNumber(value, &quality) && quality >= 10.0 && quality <= 100.0;
            output.quality = ok ? int(quality) : output.quality;
            i++;
        } else if (std::strcmp(arg, "--reduce") == 0 && value) {
            reduceSize = value;
            i++;
        } else if (std::strcmp(arg, "--png") == 0) {
            output.format = PhotoFormat::kPng;
        } else if (std::strcmp(arg, "--coverage") == 0) {
            coverageOnly = true;
        } else if (arg[0] != '-' && positionalCount < 2) {
            positional[positionalCount++] = arg;
        } else {
            ok = false;
        }
        if (!ok) {
            std::fprintf(stderr, "%s: cannot use \"%s\"\n", argv[0], arg);
            Usage(argv[0]);
            return 2;
        }
    }

    const std::string problem = layout.Check();
    if (!problem.empty()) {
        std::fprintf(stderr, "%s: %s\n", argv[0], problem.c_str());
        return 2;
    }
    if (coverageOnly) {
        PrintCoverage(layout);
        return 0;
    }
    if (positionalCount != 2) {
        Usage(argv[0]);
        return 2;
    }
    if (reduceSize != nullptr)
        return Reduce(reduceSize, positional[0], positional[1]);

    Quor_BaseImage image;
    if (Quor_ImageIo::LoadImage(positional[0], &image, 0) != 0) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], positional[0]);
        return 1;
    }
    if (image.Width() != 2 * image.Height())
        std::fprintf(stderr, "%s: warning: %s is %d x %d, not twice as wide as high\n", argv[0],
                     positional[0], image.Width(), image.Height());

    output.folder = positional[1];
    std::string error;
    if (ExampleProject::Write(EquirectSource(image.Image()), layout, output, &error) != 0) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
        return 1;
    }
    std::printf("%s: %zu photos of %d x %d at %g mm\n", ExampleProject::ProjectPath(layout, output).c_str(),
                layout.shots.size(), layout.photoWidth, layout.photoHeight, layout.focalLength);
    PrintCoverage(layout);
    return 0;
}
