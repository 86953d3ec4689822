// The preview cache: a preview read back is the decoded one to the byte, a photo that changed in
// any way is decoded again, a damaged or foreign entry is never shown, and the folder stays
// within its size.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/core/PreviewCache.h"
#include "tests/app/core/AppTestSupport.h"

namespace {

using app_test::SamePixels;
using app_test::ScratchDir;

// A photo of 1200 x 800 (reduced to 640 x 427) with a different gradient per seed.
// JPEG, or BMP (whose size follows from the picture's alone) for a name ending in ".bmp".
void WriteGradientPhoto(const std::string& path, int seed, int width = 1200, int height = 800)
{
    Quor_BaseImage image;
    quor_test::Make(&image, width, height, [&](int x, int y) {
        return quor_test::Px((x * 7 + seed * 40) & 255, (y * 5 + seed * 13) & 255, (x + y + seed) & 255);
    });
    const bool bmp = path.size() > 4 && path.compare(path.size() - 4, 4, ".bmp") == 0;
    ASSERT_EQ(Quor_ImageIo::SaveImage(path.c_str(), &image, bmp ? Quor_ImageIo::Format_BMP : Quor_ImageIo::Format_JPEG, 90),
        QUOR_OK);
}

// The preview straight from the decoder.
bool IsDecodedPreview(const Quor_BaseImage& image, const std::string& photo)
{
    Quor_BaseImage decoded;
    return Quor_ImageIo::LoadImage(photo.c_str(), &decoded, kPreviewSize) == QUOR_OK && SamePixels(image, decoded);
}

// The bytes with some bits of one of them flipped. (Kept out of line: gcc 12 warns about inlined
// writes into strings it cannot size.)
[[gnu::noinline]] std::string Flipped(std::string bytes, size_t at, int bits)
{
    if (at < bytes.size())
        bytes[at] = static_cast<char>(bytes[at] ^ bits);
    return bytes;
}

int CountEntries(const std::string& folder, const char* containing)
{
    int count = 0;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* item = readdir(dir))
            count += std::strstr(item->d_name, containing) != nullptr;
        closedir(dir);
    }
    return count;
}

// A photo replaced, edited in place with its time put back, or moved away is never answered
// with the preview of what it was.
TEST(PreviewCache, AChangedPhotoIsDecodedAgain)
{
    ScratchDir dir;
    const std::string photo = dir.File("photo.bmp");
    PreviewCache cache(dir.File("cache"), 64 << 20);
    Quor_BaseImage image;
    WriteGradientPhoto(photo, 1);
    ASSERT_EQ(cache.Load(photo.c_str(), kPreviewSize, Quor_ImageIo::kNoBudget, nullptr, &image), QUOR_OK);

    // Rewritten in place (same file) with other pixels in as many bytes, and its modification
    // time set back.
    struct stat before, after;
    ASSERT_EQ(stat(photo.c_str(), &before), 0);
    WriteGradientPhoto(dir.File("other.bmp"), 2);
    ASSERT_TRUE(quor_test::WriteFileBytes(photo, quor_test::ReadFileBytes(dir.File("other.bmp"))));
    ASSERT_EQ(stat(photo.c_str(), &after), 0);
    ASSERT_EQ(after.st_size, before.st_size);
    ASSERT_EQ(after.st_ino, before.st_ino);
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, photo.c_str(), times, 0), 0);
    ASSERT_EQ(cache.Load(photo.c_str(), kPreviewSize, Quor_ImageIo::kNoBudget, nullptr, &image), QUOR_OK);
    EXPECT_TRUE(IsDecodedPreview(image, photo));
    EXPECT_EQ(cache.Hits(), 0);

    // Gone: the decoder's own failure and sentence, not a cached picture.
    ASSERT_EQ(std::rename(photo.c_str(), dir.File("moved.bmp").c_str()), 0);
    Quor_String refusal, expected;
    Quor_BaseImage missing, direct;
    EXPECT_EQ(cache.Load(photo.c_str(), kPreviewSize, Quor_ImageIo::kNoBudget, &refusal, &missing),
              Quor_ImageIo::LoadImage(photo.c_str(), &direct, kPreviewSize, Quor_ImageIo::kNoBudget, &expected));
    EXPECT_FALSE(missing.IsValid());
    EXPECT_STREQ(refusal.Buffer(), expected.Buffer());
}

// Whatever the entry holds (cut short by a crash, a flipped bit, another photo's key under the
// same name, another machine's byte order, rubbish), the decoded preview is shown.
TEST(PreviewCache, ADamagedEntryIsNeverShown)
{
    ScratchDir dir;
    const std::string photo = dir.File("photo.jpg");
    WriteGradientPhoto(photo, 3);
    PreviewCache cache(dir.File("cache"), 64 << 20);
    const std::string entry = cache.EntryPath(photo.c_str(), kPreviewSize);
    ASSERT_FALSE(entry.empty());
    Quor_BaseImage image;
    ASSERT_EQ(cache.Load(photo.c_str(), kPreviewSize, Quor_ImageIo::kNoBudget, nullptr, &image), QUOR_OK);
    const std::string good = quor_test::ReadFileBytes(entry);
    ASSERT_GT(good.size(), 640u * 427u * 4u);

    const struct {
        const char* what;
        std::function<std::string(std::string)> damage;
    } cases[] = {
        {"cut short", [](std::string s) { return s.substr(0, s.size() - 1000); }},
        {"a pixel flipped", [](std::string s) { return Flipped(s, s.size() / 2, 0x10); }},
        {"another key", [](std::string s) { return Flipped(s, 22, 1); }},
        {"another byte order", [](std::string s) { std::swap(s[8], s[11]); return s; }},
        {"another size", [&](std::string s) { s[s.size() - 640 * 427 * 4 - 12] = 1; return s; }},
        {"empty", [](std::string) { return std::string(); }},
        {"rubbish", [](std::string s) { return std::string(s.size(), '\x5a'); }},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(quor_test::WriteFileBytes(entry, c.damage(good))) << c.what;
        Quor_BaseImage loaded;
        EXPECT_EQ(cache.Load(photo.c_str(), kPreviewSize, Quor_ImageIo::kNoBudget, nullptr, &loaded), QUOR_OK) << c.what;
        EXPECT_TRUE(IsDecodedPreview(loaded, photo)) << c.what;
        // The decode stored a sound entry again.
        EXPECT_EQ(quor_test::ReadFileBytes(entry), good) << c.what;
    }
    EXPECT_EQ(cache.Hits(), 0);
}

TEST(PreviewCache, TheFolderStaysWithinItsSizeAndUnusableFoldersOnlyCostTheDecode)
{
    ScratchDir dir;
    const int64_t entryBytes = 640 * 427 * 4 + 100;
    PreviewCache cache(dir.File("cache"), entryBytes * 6);
    // A temporary file that a stopped process left long ago goes; a fresh one stays.
    ASSERT_EQ(mkdir(dir.File("cache").c_str(), 0700), 0);
    ASSERT_TRUE(quor_test::WriteFileBytes(dir.File("cache/old.qpv.tmp-abcdef"), "x"));
    ASSERT_TRUE(quor_test::WriteFileBytes(dir.File("cache/new.qpv.tmp-abcdef"), "x"));
    const timespec old[2] = {{1000, 0}, {1000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, dir.File("cache/old.qpv.tmp-abcdef").c_str(), old, 0), 0);

    std::vector<std::string> photos;
    for (int i = 0; i < 12; i++) {
        photos.push_back(dir.File("p" + std::to_string(i) + ".jpg"));
        WriteGradientPhoto(photos.back(), i);
        Quor_BaseImage image;
        ASSERT_EQ(cache.Load(photos.back().c_str(), kPreviewSize, Quor_ImageIo::kNoBudget, nullptr, &image), QUOR_OK);
        // The first photo is used again and again, so it stays.
        ASSERT_EQ(cache.Load(photos[0].c_str(), kPreviewSize, Quor_ImageIo::kNoBudget, nullptr, &image), QUOR_OK);
        EXPECT_LE(CountEntries(dir.File("cache"), ".qpv") - CountEntries(dir.File("cache"), ".tmp-"), 6);
    }
    EXPECT_EQ(cache.Hits(), 12);
    EXPECT_NE(access(cache.EntryPath(photos[1].c_str(), kPreviewSize).c_str(), F_OK), 0);
    EXPECT_NE(access(dir.File("cache/old.qpv.tmp-abcdef").c_str(), F_OK), 0);
    EXPECT_EQ(access(dir.File("cache/new.qpv.tmp-abcdef").c_str(), F_OK), 0);

    // A folder that cannot be made (a file stands in its way) or has no name.
    ASSERT_TRUE(quor_test::WriteFileBytes(dir.File("blocked"), "x"));
    for (const std::string& folder : {dir.File("blocked/previews"), std::string()}) {
        PreviewCache unusable(folder, 64 << 20);
        Quor_BaseImage image;
        ASSERT_EQ(unusable.Load(photos[3].c_str(), kPreviewSize, Quor_ImageIo::kNoBudget, nullptr, &image), QUOR_OK);
        EXPECT_TRUE(IsDecodedPreview(image, photos[3]));
    }
}

// Documents that load through the cache show what they showed without it (the decoder's own
// preview to the byte), brightness included, on every core; another size is another entry.
TEST(PreviewCache, DocumentsSeeTheSamePreviews)
{
    ScratchDir dir;
    PanomerDoc plain;
    for (int i = 0; i < 6; i++) {
        const std::string photo = dir.File("p" + std::to_string(i) + ".jpg");
        WriteGradientPhoto(photo, i);
        app_test::AddPhoto(&plain, photo, 10.0f * i);
        plain.fBrightness[i] = 0.5f + 0.25f * i;
        plain.UpdatePhoto(i, kPreviewSize);
    }
    plain.fPath = dir.File("p.qpm").c_str();
    ASSERT_TRUE(plain.Save());

    PreviewCache cache(dir.File("cache"), 64 << 20);
    PanomerDoc::SetPreviewCache(&cache);
    for (int round = 0; round < 2; round++) {
        std::unique_ptr<PanomerDoc> opened = plain.ReadAnother(dir.File("p.qpm").c_str());
        ASSERT_TRUE(opened);
        for (int i = 0; i < 6; i++)
            EXPECT_TRUE(SamePixels(opened->fPhotoImage[i], plain.fPhotoImage[i])) << round << " " << i;
    }
    PanomerDoc::SetPreviewCache(nullptr);
    EXPECT_EQ(cache.Misses(), 6);
    EXPECT_EQ(cache.Hits(), 6);
    Quor_BaseImage small;
    ASSERT_EQ(cache.Load(plain.fPhotoPath[0], 100, Quor_ImageIo::kNoBudget, nullptr, &small), QUOR_OK);
    EXPECT_EQ(small.Width(), 100);
    EXPECT_EQ(cache.Misses(), 7);
}

}  // namespace
