// Tests of the photos' trip to full size for an export and back.
#include "app/core/FullSizePhotos.h"
#include "tests/app/core/AppTestSupport.h"

namespace {

using namespace app_test;
using Scene = ThreePhotoScene;

}  // namespace

// An export that decodes a photo before it knows the photo fits in its memory budget can take
// the machine into swapping (or the out-of-memory killer) before it refuses. A photo whose
// header alone is too large for the budget must be refused from the header: even when its
// pixel data would not decode, the export ends as "not enough memory" (naming the photo and its
// size), not as a photo that failed to load.
TEST(FullSizePhotos, BudgetIsCheckedBeforeAnyPixelIsDecoded)
{
    Scene scene;
    Quor_BaseImage large;
    quor_test::Fill(&large, 3000, 2000, quor_test::Px(quor_test::kRed));
    const std::string path = scene.dir.File("large.png");
    ASSERT_EQ(Quor_ImageIo::SaveImage(path.c_str(), &large, Quor_ImageIo::Format_PNG, 90), QUOR_OK);
    // The middle photo's preview is in place; then its file becomes the large one, cut short.
    const std::string bytes = ReadFileBytes(path);
    ASSERT_TRUE(WriteFileBytes(scene.photos[1], bytes.substr(0, bytes.size() * 3 / 5)));

    RenderOptions options;
    options.memoryLimit = 20 << 20;
    TestOwner owner(&scene.doc);
    const RenderResult result = owner.RenderAndWait(RenderKind::kJpeg, {}, options);
    EXPECT_EQ(result.failure, RenderFailure::kNoMemory) << result.Message();
    EXPECT_NE(result.cause.find("middle.png (3000 x 2000 pixels) needs 22.9 MB"), std::string::npos) << result.cause;
    EXPECT_FALSE(std::filesystem::exists(scene.doc.fRenderPath.Buffer()));
    EXPECT_EQ(scene.doc.fPhotoImage[0].Width(), 640);
    EXPECT_EQ(scene.doc.fPhotoImage[2].Width(), 640);
}

// Without a memory option an export may hold three quarters of the machine's memory in photos
// and its layer: a default dropped (no guard at all, or nothing allowed) or wrong lets the export
// push the machine into the out-of-memory killer, or refuses every export. The machine's memory is
// read here from the kernel's own account of it.
TEST(FullSizePhotos, TheDefaultMemoryGuardIsThreeQuartersOfTheMachine)
{
    FILE* info = std::fopen("/proc/meminfo", "r");
    ASSERT_NE(info, nullptr);
    long long kilobytes = 0;
    char line[256];
    while (kilobytes == 0 && std::fgets(line, sizeof line, info) != nullptr)
        std::sscanf(line, "MemTotal: %lld kB", &kilobytes);
    std::fclose(info);
    ASSERT_GT(kilobytes, 0);
    const double expected = 0.75 * static_cast<double>(kilobytes) * 1024.0;
    for (int64_t option : {int64_t(0), int64_t(-1)})
        EXPECT_NEAR(static_cast<double>(FullSizePhotos::MemoryLimit(option)), expected, expected * 0.01) << option;
    EXPECT_EQ(FullSizePhotos::MemoryLimit(12345), 12345);
}
