// Tests of how image files are written: a save that fails never costs the file it was to
// replace, never leaves a partial or temporary file, and never reports success.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>

#include "tests/toolkit/imaging/formats/FormatsFixtures.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/formats/Quor_PsdWriter.h"

namespace {

struct Format { int number; const char* extension; };

std::vector<Format> AllFormats()
{
    return {{Quor_ImageIo::Format_JPEG, "jpg"}, {Quor_ImageIo::Format_BMP, "bmp"}, {Quor_ImageIo::Format_TGA, "tga"},
        {Quor_ImageIo::Format_PNG, "png"}};
}

// The names in a folder.
std::vector<std::string> Names(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Runs `save` with the file size limited to 4 KB; writes past the limit fail with EFBIG instead
// of raising SIGXFSZ.
template <class Save>
void WithFileSizeLimit(Save save)
{
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*previous)(int) = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    save();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
}

}  // namespace

// Catches a save that truncates the file it replaces before it knows it can write the new one:
// with the disk "full" part-way, every format (and the PSD writer given a path) reports the
// failure, the previous file keeps every byte, and nothing else is left in the folder.
TEST(QuorOutputFile, FailedSaveKeepsThePreviousFile)
{
    quor_test::ScratchDir scratch;
    Quor_BaseImage small, large;
    quor_test::MakeRandom(&small, 20, 10, 8u, true);
    quor_test::MakeRandom(&large, 400, 300, 9u, true);
    std::vector<std::pair<std::string, std::string>> previous;
    for (const Format& format : AllFormats()) {
        const std::string path = scratch.File(std::string("photo.") + format.extension);
        ASSERT_EQ(Quor_ImageIo::SaveImage(path.c_str(), &small, format.number, 100), QUOR_OK);
        previous.emplace_back(path, quor_test::ReadFileBytes(path));
    }
    const std::string psd = scratch.File("layers.psd");
    ASSERT_TRUE(quor_test::WriteFileBytes(psd, "the previous document"));
    previous.emplace_back(psd, "the previous document");

    std::vector<int> codes;
    int psdCode = QUOR_OK;
    WithFileSizeLimit([&] {
        for (const Format& format : AllFormats()) {
            const std::string path = scratch.File(std::string("photo.") + format.extension);
            codes.push_back(Quor_ImageIo::SaveImage(path.c_str(), &large, format.number, 100));
        }
        Quor_PsdWriter writer;
        psdCode = writer.Open(psd.c_str());
        if (psdCode == QUOR_OK) {
            writer.WriteHeader(400, 300);
            writer.WriteLayerInfo("large", "norm", 255);
            writer.WriteLayer(large);
            writer.EndLayers();
            psdCode = writer.Close();
        }
    });
    for (int code : codes)
        EXPECT_EQ(code, QUOR_ERR_WRITE);
    EXPECT_EQ(psdCode, QUOR_ERR_WRITE);
    for (const auto& [path, bytes] : previous)
        EXPECT_EQ(quor_test::ReadFileBytes(path), bytes) << path;
    EXPECT_EQ(Names(scratch.Path()),
        (std::vector<std::string>{"layers.psd", "photo.bmp", "photo.jpg", "photo.png", "photo.tga"}));

    // A document abandoned unfinished leaves the previous one too.
    Quor_PsdWriter unfinished;
    ASSERT_EQ(unfinished.Open(psd.c_str()), QUOR_OK);
    ASSERT_EQ(unfinished.WriteHeader(20, 10), QUOR_OK);
    EXPECT_EQ(unfinished.Close(), QUOR_ERR_ARGUMENT);
    EXPECT_EQ(quor_test::ReadFileBytes(psd), "the previous document");
}

// Catches writers that accept an image of another depth (and create a file for it), format
// numbers outside the registry reported as anything but "no module", places that cannot be
// written reported as saved, a device replaced by a file, and a link replaced by a file.
TEST(QuorOutputFile, WhatCannotBeWrittenIsRefused)
{
    quor_test::ScratchDir scratch;
    Quor_BaseImage source16, source, empty;
    ASSERT_EQ(source16.Initialize(8, 8, 16), QUOR_OK);
    quor_test::MakeRandom(&source, 8, 8, 3u, true);
    for (const Format& format : AllFormats()) {
        SCOPED_TRACE(format.extension);
        const std::string path = scratch.File(std::string("x.") + format.extension);
        EXPECT_EQ(Quor_ImageIo::SaveImage(path.c_str(), &source16, format.number, 90), QUOR_ERR_WRITE);
        EXPECT_EQ(Quor_ImageIo::SaveImage(path.c_str(), &empty, format.number, 90), QUOR_ERR_WRITE);
        EXPECT_EQ(Quor_ImageIo::SaveImage(scratch.File("missing/x.png").c_str(), &source, format.number, 90),
            QUOR_ERR_WRITE);
        EXPECT_EQ(Quor_ImageIo::SaveImage("/dev/full", &source, format.number, 90), QUOR_ERR_WRITE);
        EXPECT_EQ(Quor_ImageIo::SaveImage("/dev/null", &source, format.number, 90), QUOR_OK);
    }
    EXPECT_TRUE(Names(scratch.Path()).empty());
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
    for (int number : {int(Quor_ImageIo::Format_PSD), 4, -1})
        EXPECT_EQ(Quor_ImageIo::SaveImage(scratch.File(number == 4 || number == -1 ? "x.gif" : "x.psd").c_str(), &source, number, 90),
            QUOR_ERR_NO_MODULE) << number;

    // A link keeps pointing at the file, which takes the new content.
    const std::string target = scratch.File("target.png"), link = scratch.File("link.png");
    ASSERT_TRUE(quor_test::WriteFileBytes(target, "old"));
    std::filesystem::create_symlink(target, link);
    ASSERT_EQ(Quor_ImageIo::SaveImage(link.c_str(), &source, Quor_ImageIo::Format_PNG, 90), QUOR_OK);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    Quor_BaseImage back;
    EXPECT_EQ(Quor_ImageIo::LoadImage(target.c_str(), &back, 0), QUOR_OK);
}
