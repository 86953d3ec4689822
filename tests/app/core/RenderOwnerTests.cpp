// Tests of the owner's side of an export: the worker's end and the user's Cancel in any order.
#include <random>

#include "tests/app/core/AppTestSupport.h"

namespace {

using namespace app_test;

}  // namespace

// The worker's end and the user's Cancel race each other: whichever comes first, the owner must
// be able to join exactly once, get exactly one end report, find the photos at preview size and,
// when the export finished, a valid file. Run under the sanitizers this also checks for data races
// on the shared state and for leaked threads.
TEST(RenderOwner, CancelRacingCompletionNeverHangsOrLeaks)
{
    ScratchDir dir;
    PanomerDoc doc(24.0f);
    const std::string small = dir.File("small.png");
    MakePhoto(small, 24, 16, quor_test::kRed, quor_test::kBlue);
    AddPhoto(&doc, small, 0.0f);
    doc.fRenderWidth = 16;
    doc.fRenderHeight = 16;
    doc.fRenderPath = dir.File("tiny.jpg").c_str();

    const unsigned seed = 4242;
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delay(0, 1500);
    int done = 0, cancelled = 0;
    for (int i = 0; i < 300; i++) {
        TestOwner owner(&doc);
        RenderOptions options;
        options.startPauseMs = 0;
        ASSERT_TRUE(owner.StartRender(i % 4 == 3 ? RenderKind::kPsd : RenderKind::kJpeg, options));
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        owner.CancelRender();
        ASSERT_FALSE(owner.IsRendering());
        int ends = 0;
        const RenderResult result = owner.LastResult(&ends);
        ASSERT_EQ(ends, 1) << "iteration " << i;
        ASSERT_EQ(doc.fPhotoImage[0].Width(), 24);
        ASSERT_NE(result.status, RenderStatus::kFailed) << result.Message();
        done += result.status == RenderStatus::kDone;
        cancelled += result.status == RenderStatus::kCancelled;
        if (result.status == RenderStatus::kDone && i % 4 != 3) {
            Quor_BaseImage out;
            LoadFile(doc.fRenderPath.Buffer(), &out);
            ASSERT_EQ(out.Width(), 16) << "iteration " << i;
        }
    }
    std::printf("%d ended before the cancel, %d cancelled\n", done, cancelled);
    EXPECT_EQ(done + cancelled, 300);
}
