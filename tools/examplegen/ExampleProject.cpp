#include "tools/examplegen/ExampleProject.h"

#include <filesystem>
#include <system_error>

#include "app/core/PanomerDoc.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"

PhotoFrame ExampleProject::Frame(const ExampleLayout& layout, size_t index)
{
    const ExampleShot& shot = layout.shots[index];
    return PhotoFrame(layout.photoWidth, layout.photoHeight,
                      double(ExampleLayout::StoredFocalLength(layout.focalLength)),
                      double(ExampleLayout::StoredRadians(shot.yaw)),
                      double(ExampleLayout::StoredRadians(shot.pitch)),
                      double(ExampleLayout::StoredRadians(shot.roll)));
}

std::string ExampleProject::PhotoFileName(const std::string& name, size_t index, PhotoFormat format)
{
    std::string number = std::to_string(index + 1);
    if (number.size() < 2)
        number.insert(0, 1, '0');
    return name + "-" + number + (format == PhotoFormat::kPng ? ".png" : ".jpg");
}

bool ExampleProject::IsUsableName(const std::string& name)
{
    if (name.empty() || name[0] == '.')
        return false;
    for (char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                        c == '-' || c == '_' || c == '.';
        if (!ok)
            return false;
    }
    return true;
}

std::string ExampleProject::ProjectPath(const ExampleLayout& layout, const ExampleOutput& output)
{
    const std::string& name = output.name.empty() ? layout.name : output.name;
    return output.folder + "/" + name + ".qpm";
}

void ExampleProject::FillDocument(const ExampleLayout& layout, const std::string* photoPaths,
                                  PanomerDoc* doc)
{
    doc->fProjectionType = PanomerDoc::kHorizontalSpherical;
    PanomerDoc::DefaultCrop(PanomerDoc::kHorizontalSpherical, doc->fCrop);
    doc->fFocalLength = ExampleLayout::StoredFocalLength(layout.focalLength);
    doc->fNumPhotos = int32_t(layout.shots.size());
    doc->fSelected = -1;
    for (size_t i = 0; i < layout.shots.size(); i++) {
        const ExampleShot& shot = layout.shots[i];
        doc->fPhotoPath[i] = photoPaths[i].c_str();
        doc->fYaw[i] = ExampleLayout::StoredRadians(shot.yaw);
        doc->fPitch[i] = ExampleLayout::StoredRadians(shot.pitch);
        doc->fRoll[i] = ExampleLayout::StoredRadians(shot.roll);
        doc->fBrightness[i] = 1.0f;
    }
}

int ExampleProject::Write(const EquirectSource& source, const ExampleLayout& layout,
                          const ExampleOutput& output, std::string* error)
{
    std::string ignored;
    if (error == nullptr)
        error = &ignored;
    const std::string problem = layout.Check();
    if (!problem.empty()) {
        *error = problem;
        return QUOR_ERR_ARGUMENT;
    }
    const std::string& name = output.name.empty() ? layout.name : output.name;
    if (!IsUsableName(name)) {
        *error = "the name \"" + name + "\" is not a plain file name";
        return QUOR_ERR_ARGUMENT;
    }
    if (output.folder.empty() || output.quality < 10 || output.quality > 100) {
        *error = "no output folder, or a JPEG quality outside 10..100";
        return QUOR_ERR_ARGUMENT;
    }
    if (!source.IsUsable()) {
        *error = "the source image has no 32-bit pixels";
        return QUOR_ERR_NO_IMAGE;
    }

    std::error_code code;
    std::filesystem::create_directories(output.folder, code);
    const bool made = !code && std::filesystem::is_directory(output.folder, code);
    const std::filesystem::path folder = std::filesystem::absolute(output.folder, code);
    if (!made || code) {
        *error = "cannot make the folder " + output.folder;
        return QUOR_ERR_WRITE;
    }

    const int format = output.format == PhotoFormat::kPng ? Quor_ImageIo::Format_PNG : Quor_ImageIo::Format_JPEG;
    if (format < 0) {
        *error = "the image writers are not set up";
        return QUOR_ERR_ARGUMENT;
    }

    std::string photoPaths[kMaxPhotos];
    Quor_BaseImage photo;
    for (size_t i = 0; i < layout.shots.size(); i++) {
        photoPaths[i] = (folder / PhotoFileName(name, i, output.format)).string();
        const int cut = source.Cut(Frame(layout, i), &photo);
        if (cut != QUOR_OK) {
            *error = "cannot make photo " + std::to_string(i + 1) + " in memory";
            return cut;
        }
        if (Quor_ImageIo::SaveImage(photoPaths[i].c_str(), &photo, format, output.quality) != QUOR_OK) {
            *error = "cannot write " + photoPaths[i];
            return QUOR_ERR_WRITE;
        }
    }

    PanomerDoc doc(ExampleLayout::StoredFocalLength(layout.focalLength));
    doc.fPath = (folder / (name + ".qpm")).string().c_str();
    FillDocument(layout, photoPaths, &doc);
    if (!doc.Save()) {
        *error = "cannot write " + std::string(doc.fPath);
        return QUOR_ERR_WRITE;
    }
    return QUOR_OK;
}
