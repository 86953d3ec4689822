// Writes an example project: cuts every photo of a layout out of an equirectangular source, saves
// the photos beside the project file and stores the project with each photo's exact angles.
#pragma once

#include <cstddef>
#include <string>

#include "tools/examplegen/EquirectSource.h"
#include "tools/examplegen/ExampleLayout.h"
#include "tools/examplegen/PhotoFrame.h"

class PanomerDoc;

enum class PhotoFormat { kJpeg, kPng };

struct ExampleOutput {
    // Where the project and its photos go; made when missing.
    std::string folder;
    // Base of the file names: "<name>.qpm", "<name>-01.jpg", ...; the layout's name when empty.
    // Letters, digits, "-", "_" and "." only.
    std::string name;
    PhotoFormat format = PhotoFormat::kJpeg;
    // JPEG quality, 10 to 100.
    int quality = 92;
};

class ExampleProject {
public:
    // The frame photo `index` of a layout is cut with: its angles and the focal length exactly as
    // the project file gives them back.
    static PhotoFrame Frame(const ExampleLayout& layout, size_t index);

    // "<name>-01.jpg" for the first photo, numbered from 1 with at least two digits.
    static std::string PhotoFileName(const std::string& name, size_t index, PhotoFormat format);

    // Fills doc with the layout: horizontal spherical projection, crop of the whole sphere, the
    // layout's focal length, and photo i at photoPaths[i] with brightness 1.
    static void FillDocument(const ExampleLayout& layout, const std::string* photoPaths, PanomerDoc* doc);

    // Cuts and saves every photo, then the project file. Deterministic: the same source and
    // layout give the same bytes. QUOR_OK on success; QUOR_ERR_ARGUMENT for a layout or output
    // that cannot be used; QUOR_ERR_NO_IMAGE for an unusable source; QUOR_ERR_MEMORY; QUOR_ERR_WRITE
    // when a file cannot be written (with *error naming it).
    static int Write(const EquirectSource& source, const ExampleLayout& layout,
                     const ExampleOutput& output, std::string* error);

    // The folder and project path Write uses.
    static std::string ProjectPath(const ExampleLayout& layout, const ExampleOutput& output);
    static bool IsUsableName(const std::string& name);
};
