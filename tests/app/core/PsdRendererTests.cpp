// Tests of the layered PSD export worker end to end: the layers it writes, Cancel at every stage,
// one photo at full size at a time, and the memory left for the photos beside the layer image.
#include "tests/app/core/AppTestSupport.h"

namespace {

using namespace app_test;
using Scene = ThreePhotoScene;

constexpr RenderCheckpoint::Stage kLoading = RenderCheckpoint::kLoadingPhoto, kRow = RenderCheckpoint::kRenderingRow;

}  // namespace

// The PSD must declare one layer per photo, named after its file, in document order, each
// transparent where its photo does not reach and opaque where it does, as an independent reader
// sees it; a Cancel during the second of three layers, or before any photo, must still give a
// file with all three layers (transparent ones when nothing was rendered).
TEST(PsdRenderer, ExportAndCancelKeepEveryLayer)
{
    if (!HaveIdentify())
        GTEST_SKIP() << "ImageMagick's identify is not installed";
    Scene scene;
    scene.doc.fRenderPath = scene.dir.File("out.psd").c_str();
    const std::string path = "'" + scene.dir.File("out.psd") + "'";
    TestOwner owner(&scene.doc);
    const RenderResult result = owner.RenderAndWait(RenderKind::kPsd);
    ASSERT_EQ(result.status, RenderStatus::kDone) << result.Message();
    scene.ExpectPreviews();
    // The merged image comes first, then the layers.
    EXPECT_EQ(Identify("-format '%w %h\\n' " + path), "320 160\n320 160\n320 160\n320 160\n");
    EXPECT_EQ(Identify("-format '%l|' " + path), "|left.png|middle.png|right.png|");
    // Layer 2 (the middle photo): opaque green at the centre-left, transparent in the corner and
    // over the yellow photo's place.
    const std::string layer = "'" + scene.dir.File("out.psd") + "[2]'";
    EXPECT_EQ(Identify("-format '%[fx:int(255*p{150,80}.a)] %[fx:int(255*p{150,80}.g)]' " + layer), "255 200");
    EXPECT_EQ(Identify("-format '%[fx:int(255*p{2,2}.a)] %[fx:int(255*p{250,80}.a)]' " + layer), "0 0");

    EXPECT_EQ(owner.RenderAndWait(RenderKind::kPsd, RenderCheckpoint{kRow, 1, 80}).status, RenderStatus::kCancelled);
    scene.ExpectPreviews();
    EXPECT_EQ(Identify("-format '%l|' " + path), "|left.png|middle.png|right.png|");

    EXPECT_EQ(owner.RenderAndWait(RenderKind::kPsd, RenderCheckpoint{kLoading, 0, 0}).status, RenderStatus::kCancelled);
    scene.ExpectPreviews();
    EXPECT_EQ(Identify("-format '%l|' " + path), "|left.png|middle.png|right.png|");
    EXPECT_EQ(Identify("-format '%[fx:int(255*maxima.a)]' '" + scene.dir.File("out.psd") + "[1]'"), "0");
}

// A photo kept at full size after its layer is written holds memory the next photo needs (the
// export allows one at a time beside the layer image): at every checkpoint at most the photo
// whose layer is being rendered is at full size, and every other one holds its preview.
TEST(PsdRenderer, EachPhotoReturnsToPreviewOnceItsLayerIsWritten)
{
    Scene scene;
    scene.doc.fRenderPath = scene.dir.File("out.psd").c_str();
    TestOwner owner(&scene.doc);
    std::vector<std::string> problems;
    int checkpoints = 0;
    owner.fOnCheckpoint = [&](const RenderCheckpoint& at) {
        checkpoints++;
        for (int i = 0; i < scene.doc.fNumPhotos; i++) {
            const bool rendering = at.stage == kRow && at.photo == i;
            const int width = scene.doc.fPhotoImage[i].Width();
            if (width != (rendering ? 800 : 640) && problems.size() < 5)
                problems.push_back("photo " + std::to_string(i) + " is " + std::to_string(width) +
                                   " wide at the checkpoint of photo " + std::to_string(at.photo) + ", row " +
                                   std::to_string(at.row));
        }
    };
    EXPECT_EQ(owner.RenderAndWait(RenderKind::kPsd).status, RenderStatus::kDone);
    EXPECT_EQ(checkpoints, 3 + 3 * 160);
    EXPECT_TRUE(problems.empty()) << problems.front();
    scene.ExpectPreviews();
}

// A memory limit that the layer image uses up leaves nothing for the photos, which must be
// refused (naming the photo and what it needs), never read as "no limit": the arithmetic of what
// is left cannot turn 0 into the default. One byte short of a photo is refused as well.
TEST(PsdRenderer, WhatTheLayerLeavesIsThePhotosBudget)
{
    Scene scene;
    scene.doc.fRenderPath = scene.dir.File("out.psd").c_str();
    TestOwner owner(&scene.doc);
    const int64_t layer = 320 * 160 * 4;
    const int64_t photo = 800 * 600 * 4 + 800 * 4;  // the decoded image and the PNG reader's row
    const struct {
        int64_t limit;
        RenderStatus status;
    } cases[] = {{layer, RenderStatus::kFailed}, {layer + photo - 1, RenderStatus::kFailed},
                 {layer + photo, RenderStatus::kDone}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.limit);
        RenderOptions options;
        options.memoryLimit = c.limit;
        const RenderResult result = owner.RenderAndWait(RenderKind::kPsd, {}, options);
        EXPECT_EQ(result.status, c.status);
        if (c.status == RenderStatus::kFailed) {
            EXPECT_EQ(result.failure, RenderFailure::kNoMemory);
            EXPECT_NE(result.cause.find("left.png (800 x 600 pixels) needs"), std::string::npos) << result.cause;
            EXPECT_NE(result.Message().find(result.cause), std::string::npos) << result.Message();
            EXPECT_FALSE(std::filesystem::exists(scene.doc.fRenderPath.Buffer()));
        }
        scene.ExpectPreviews();
    }
}
