// Tests of the JPEG export worker end to end: the picture it writes, and what a Cancel at every
// stage leaves at the output's path and says it left.
#include "tests/app/core/AppTestSupport.h"
#include "toolkit/core/Quor_Parallel.h"

namespace {

using namespace app_test;
using Scene = ThreePhotoScene;

constexpr RenderCheckpoint::Stage kLoading = RenderCheckpoint::kLoadingPhoto, kRow = RenderCheckpoint::kRenderingRow;

}  // namespace

// A renderer that maps pixels wrongly, blends in the wrong order or writes rows out of place
// gives a picture that is not the arrangement (the middle photo's halves on the correct sides,
// grey where no photo reaches). A Cancel must never leave a file a viewer rejects, nor photos
// stuck at full size, nor a temporary file, nor an account of the path that is not true: while
// photos load, a file that was there is left as it was (an empty file would destroy it) and
// otherwise the JPEG is empty; during the rows the whole file takes the name, its remaining rows
// repeating the last one; before the first row those rows are black, not heap.
TEST(JpegRenderer, ExportAndCancelLeaveCompleteFiles)
{
    Scene scene;
    const std::string path = scene.doc.fRenderPath.Buffer();
    TestOwner owner(&scene.doc);
    const RenderResult result = owner.RenderAndWait(RenderKind::kJpeg);
    ASSERT_EQ(result.status, RenderStatus::kDone) << result.Message();
    EXPECT_GE(owner.Progress(), 0.99f);
    scene.ExpectPreviews();
    Quor_BaseImage out;
    LoadFile(path, &out);
    ASSERT_EQ(out.Width(), 320);
    ASSERT_EQ(out.Height(), 160);
    // Yaw 0 is the middle column; larger yaws lie to the left.
    const struct {
        int x, y;
        rgb_color colour;
        int tolerance;
    } expected[] = {{155, 80, Scene::kGreen, 12}, {170, 80, Scene::kBlue, 12}, {105, 80, Scene::kRed, 12},
                    {215, 80, Scene::kYellow, 12}, {5, 5, Scene::kGrey, 3}, {160, 155, Scene::kGrey, 3}};
    for (const auto& e : expected)
        EXPECT_TRUE(Near(PixelAt(out, e.x, e.y), e.colour, e.tolerance)) << e.x << ", " << e.y;

    const std::string whole = ReadFileBytes(path);
    for (int photo : {0, 1, 2}) {
        SCOPED_TRACE(testing::Message() << "cancelled before loading photo " << photo);
        const bool fileThere = photo != 0;
        if (!fileThere)
            std::filesystem::remove(path);
        const RenderResult cancelled = owner.RenderAndWait(RenderKind::kJpeg, RenderCheckpoint{kLoading, photo, 0});
        EXPECT_EQ(cancelled.status, RenderStatus::kCancelled);
        EXPECT_EQ(cancelled.left, fileThere ? RenderLeft::kOldFile : RenderLeft::kEmptyFile);
        EXPECT_EQ(ReadFileBytes(path), fileThere ? whole : "");
        EXPECT_TRUE(TemporaryFiles(scene.dir.Path()).empty());
        scene.ExpectPreviews();
        WriteFileBytes(path, whole);
    }
    // The rows are written while the next band renders when there are threads to spare, and
    // after it otherwise; a Cancel means the same either way.
    for (int threads : {1, 2, 8}) {
        SCOPED_TRACE(testing::Message() << threads << " threads");
        Quor_Parallel::SetThreads(threads);
        const RenderResult atRow = owner.RenderAndWait(RenderKind::kJpeg, RenderCheckpoint{kRow, -1, 100});
        EXPECT_EQ(atRow.status, RenderStatus::kCancelled);
        EXPECT_EQ(atRow.left, RenderLeft::kUnfinishedFile);
        EXPECT_TRUE(TemporaryFiles(scene.dir.Path()).empty());
        EXPECT_EQ(atRow.rowsRendered, 100);
        EXPECT_EQ(atRow.rowsTotal, 160);
        scene.ExpectPreviews();
        LoadFile(path, &out);
        ASSERT_EQ(out.Height(), 160);
        EXPECT_TRUE(Near(PixelAt(out, 155, 90), Scene::kGreen, 12));
        EXPECT_TRUE(Near(PixelAt(out, 155, 140), PixelAt(out, 155, 99), 12));
        EXPECT_TRUE(Near(PixelAt(out, 215, 150), Scene::kYellow, 12));

        const RenderResult firstRow = owner.RenderAndWait(RenderKind::kJpeg, RenderCheckpoint{kRow, -1, 0});
        EXPECT_EQ(firstRow.status, RenderStatus::kCancelled);
        EXPECT_EQ(firstRow.rowsRendered, 0);
        LoadFile(path, &out);
        ASSERT_EQ(out.Height(), 160);
        EXPECT_TRUE(Near(PixelAt(out, 155, 80), quor_test::kBlack, 3));
        EXPECT_TRUE(Near(PixelAt(out, 5, 5), quor_test::kBlack, 3));
    }
    Quor_Parallel::SetThreads(0);
}
