// Feeds arbitrary bytes to the image loader as a file of one format (QUOR_FUZZ_EXTENSION, set by
// the build for each target): every outcome must be a result code (with its account in words),
// never a crash, a sanitizer report, a hang or an allocation beyond the pixel budget.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"

namespace {

// One scratch file per process, named so that the loader picks the module under test.
const std::string& ScratchPath()
{
    static const std::string path = [] {
        const char* folder = std::getenv("TMPDIR");
        std::string pattern = std::string(folder != nullptr ? folder : "/tmp") + "/fuzz-image-XXXXXX." QUOR_FUZZ_EXTENSION;
        const int fd = mkstemps(pattern.data(), static_cast<int>(sizeof(QUOR_FUZZ_EXTENSION)));
        if (fd != -1)
            close(fd);
        return pattern;
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool ready = [] {
        Quor_ImageIo::InitImageLoader();
        // Keeps each decoded image within 4 MB: far below the fuzzer's memory limit, and fast.
        Quor_ImageIo::SetPixelLimit(int64_t(1) << 20);
        return true;
    }();
    (void)ready;
    FILE* file = std::fopen(ScratchPath().c_str(), "wb");
    if (file == nullptr)
        return 0;
    const bool written = std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0 || !written)
        return 0;
    for (int maxSize : {0, 64}) {
        Quor_BaseImage image;
        Quor_ImageIo::LoadImage(ScratchPath().c_str(), &image, maxSize);
    }
    Quor_BaseImage thumbnail;
    Quor_ImageIo::LoadThumbnail(ScratchPath().c_str(), &thumbnail, 64);
    // A tight memory budget of the call's own, and the refusal in words.
    Quor_String refusal;
    Quor_ImageIo::LoadThumbnail(ScratchPath().c_str(), &thumbnail, 32, int64_t(1) << 16, &refusal);
    // libFuzzer ends the process without running exit handlers, so nothing is left behind
    // between inputs instead.
    unlink(ScratchPath().c_str());
    return 0;
}
