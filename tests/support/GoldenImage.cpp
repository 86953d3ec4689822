#include "tests/support/GoldenImage.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "tests/support/TestFiles.h"

namespace quor_test {

RgbaPicture PictureFromImage(const Quor_image& image)
{
    RgbaPicture picture;
    if (image.bits == nullptr || image.pixelBits != 32)
        return picture;
    picture.width = image.width;
    picture.height = image.height;
    picture.rgba.resize(static_cast<size_t>(image.width) * image.height * 4);
    for (int y = 0; y < image.height; y++) {
        const uint32_t* row = image.Row32(y);
        uint8_t* out = &picture.rgba[static_cast<size_t>(y) * image.width * 4];
        for (int x = 0; x < image.width; x++) {
            uint32_t p = row[x];
            out[4 * x + 0] = (p >> 8) & 255;
            out[4 * x + 1] = (p >> 16) & 255;
            out[4 * x + 2] = (p >> 24) & 255;
            out[4 * x + 3] = p & 255;
        }
    }
    return picture;
}

bool ReadPng(const std::string& path, RgbaPicture* out)
{
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str()))
        return false;
    png.format = PNG_FORMAT_RGBA;
    out->width = static_cast<int>(png.width);
    out->height = static_cast<int>(png.height);
    out->rgba.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, out->rgba.data(), 0, nullptr)) {
        png_image_free(&png);
        return false;
    }
    return true;
}

bool WritePng(const std::string& path, const RgbaPicture& picture)
{
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(picture.width);
    png.height = static_cast<png_uint_32>(picture.height);
    png.format = PNG_FORMAT_RGBA;
    return png_image_write_to_file(&png, path.c_str(), 0, picture.rgba.data(), 0, nullptr) != 0;
}

static std::string ResolveSourcePath(const std::string& path)
{
    if (!path.empty() && path[0] == '/')
        return path;
    return SourcePath(path);
}

std::string CompareWithGolden(const Quor_image& actualImage, const std::string& referencePath, int tolerance)
{
    const std::string reference = ResolveSourcePath(referencePath);
    RgbaPicture actual = PictureFromImage(actualImage);
    if (actual.width == 0)
        return "the image under test is empty or not 32-bit";

    const char* update = std::getenv("QUOR_UPDATE_GOLDENS");
    if (update != nullptr && std::strcmp(update, "1") == 0) {
        std::filesystem::create_directories(std::filesystem::path(reference).parent_path());
        return WritePng(reference, actual) ? std::string() : "could not write reference " + reference;
    }

    const std::string stem = std::filesystem::path(reference).stem().string();
    const std::string outDir = (std::filesystem::temp_directory_path() / "panomer-golden").string();
    std::filesystem::create_directories(outDir);
    const std::string actualPath = outDir + "/" + stem + ".actual.png";
    const std::string diffPath = outDir + "/" + stem + ".diff.png";

    RgbaPicture expected;
    if (!ReadPng(reference, &expected)) {
        WritePng(actualPath, actual);
        return "cannot read reference " + reference + " (run with QUOR_UPDATE_GOLDENS=1 to create it); actual image: " + actualPath;
    }
    if (expected.width != actual.width || expected.height != actual.height) {
        WritePng(actualPath, actual);
        return "size " + std::to_string(actual.width) + "x" + std::to_string(actual.height) + " differs from reference " +
               std::to_string(expected.width) + "x" + std::to_string(expected.height) + " (" + reference +
               "); actual image: " + actualPath;
    }

    RgbaPicture diff = actual;
    long mismatched = 0;
    int worst = 0;
    int firstX = -1, firstY = -1;
    for (int y = 0; y < actual.height; y++) {
        for (int x = 0; x < actual.width; x++) {
            size_t i = (static_cast<size_t>(y) * actual.width + x) * 4;
            int delta = 0;
            for (int c = 0; c < 4; c++)
                delta = std::max(delta, std::abs(int(actual.rgba[i + c]) - int(expected.rgba[i + c])));
            bool bad = delta > tolerance;
            // The difference image shows mismatches in red over a dimmed grey copy of the reference.
            uint8_t grey = static_cast<uint8_t>((expected.rgba[i] + expected.rgba[i + 1] + expected.rgba[i + 2]) / 12);
            diff.rgba[i + 0] = bad ? 255 : grey;
            diff.rgba[i + 1] = bad ? 0 : grey;
            diff.rgba[i + 2] = bad ? 0 : grey;
            diff.rgba[i + 3] = 255;
            if (bad) {
                if (mismatched == 0) {
                    firstX = x;
                    firstY = y;
                }
                mismatched++;
                worst = std::max(worst, delta);
            }
        }
    }
    if (mismatched == 0)
        return std::string();
    WritePng(actualPath, actual);
    WritePng(diffPath, diff);
    return std::to_string(mismatched) + " pixels differ from " + reference + " by more than " + std::to_string(tolerance) +
           " (worst " + std::to_string(worst) + ", first at " + std::to_string(firstX) + "," + std::to_string(firstY) +
           "); actual: " + actualPath + " difference: " + diffPath;
}

}  // namespace quor_test
