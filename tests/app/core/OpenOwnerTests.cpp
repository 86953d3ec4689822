// Opening a project on a worker thread: a Cancel that stops the photo loop, and a run that is
// never cancelled giving the very document the plain read does.
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "app/core/OpenOwner.h"
#include "tests/app/core/AppTestSupport.h"
#include "toolkit/core/Quor_Parallel.h"

namespace {

using namespace app_test;

constexpr int kPhotos = 12;

// Asks for Cancel at the `cancelAt`-th check (counted from 0; never when negative) and counts the
// checks the photo loop makes; they come from several threads at once.
class CancellingOwner : public OpenOwner {
public:
    CancellingOwner(const PanomerDoc* doc, int cancelAt) : OpenOwner(doc), fCancelAt(cancelAt) {}
    ~CancellingOwner() override { Cancel(); }
    void ReachedCheckpoint(int loaded) override
    {
        (void)loaded;
        if (fChecks.fetch_add(1) == fCancelAt)
            RequestCancel();
    }
    void WorkEnded() override { fEnds.fetch_add(1); }

    const int fCancelAt;
    std::atomic<int> fChecks{0};
    std::atomic<int> fEnds{0};
};

}  // namespace

// Catches a Cancel the photo loop never asks about, or asks about and ignores (every photo decoded
// anyway), a cancelled or failed read reported as the other or handed over half-read, an end
// never reported (WaitForEnd would time out), and a worker's document that differs from the plain
// read in a path, an angle, a brightness or a preview pixel (photos decoded into the wrong slots,
// brightness left out). Two threads decode, as on the machines the editor runs on.
TEST(OpenOwner, StopsAtTheNextPhotoWhenCancelledAndOtherwiseReadsTheSameDocument)
{
    ScratchDir dir;
    std::string lines;
    for (int i = 0; i < kPhotos; i++) {
        const std::string name = "p" + std::to_string(i) + ".jpg";
        const uint8_t shade = static_cast<uint8_t>(20 * i);
        MakePhoto(dir.File(name), 96, 64, rgb_color{shade, 40, 200, 255}, rgb_color{200, shade, 40, 255});
        lines += std::to_string(0.25f * static_cast<float>(i)) + " 0.1 -0.2 " + (i % 3 == 0 ? "0.3" : "0") + " \"" +
                 name + "\"\n";
    }
    const std::string project = dir.File("big.qpm");
    ASSERT_TRUE(WriteFileBytes(project, std::string(PanomerDoc::kMimeType) + "\nversion 1\nnum_photos " +
                                            std::to_string(kPhotos) + "\n" + lines));
    ASSERT_TRUE(WriteFileBytes(dir.File("junk.qpm"), "not a project\n"));
    PanomerDoc current(50.0f);
    const std::unique_ptr<PanomerDoc> plain = current.ReadAnother(project.c_str());
    ASSERT_NE(plain, nullptr);
    ASSERT_EQ(plain->fNumPhotos, kPhotos);

    Quor_Parallel::SetThreads(2);
    const struct {
        std::string path;
        int cancelAt;
        OpenStatus status;
    } cases[] = {
        {project, -1, OpenStatus::kDone},
        {project, 0, OpenStatus::kCancelled},
        {project, 4, OpenStatus::kCancelled},
        {dir.File("junk.qpm"), 0, OpenStatus::kFailed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path + ", cancel at check " + std::to_string(c.cancelAt));
        CancellingOwner owner(&current, c.cancelAt);
        ASSERT_TRUE(owner.StartOpen(c.path.c_str()));
        ASSERT_TRUE(owner.WaitForEnd(20000));
        owner.Join();
        EXPECT_EQ(owner.fEnds.load(), 1);
        OpenResult result = owner.TakeResult();
        EXPECT_EQ(result.status, c.status);
        if (c.status != OpenStatus::kDone) {
            EXPECT_EQ(result.doc, nullptr);
            // The checks up to the one that said stop, and from the other thread at most one that
            // crossed the Cancel and the one after its photo.
            if (c.status == OpenStatus::kCancelled) {
                EXPECT_LE(owner.fChecks.load(), c.cancelAt + 3);
            }
            continue;
        }
        ASSERT_NE(result.doc, nullptr);
        const PanomerDoc& doc = *result.doc;
        EXPECT_EQ(owner.fChecks.load(), kPhotos);
        EXPECT_FLOAT_EQ(owner.Progress(), 1.0f);
        EXPECT_FLOAT_EQ(doc.fFocalLength, 50.0f);
        ASSERT_EQ(doc.fNumPhotos, kPhotos);
        for (int i = 0; i < kPhotos; i++) {
            SCOPED_TRACE("photo " + std::to_string(i));
            EXPECT_STREQ(doc.fPhotoPath[i].Buffer(), plain->fPhotoPath[i].Buffer());
            EXPECT_EQ(doc.fYaw[i], plain->fYaw[i]);
            EXPECT_EQ(doc.fPitch[i], plain->fPitch[i]);
            EXPECT_EQ(doc.fRoll[i], plain->fRoll[i]);
            EXPECT_EQ(doc.fBrightness[i], plain->fBrightness[i]);
            ASSERT_TRUE(doc.fPhotoImage[i].IsValid());
            EXPECT_TRUE(SamePixels(doc.fPhotoImage[i], plain->fPhotoImage[i]));
        }
    }
    Quor_Parallel::SetThreads(0);
}
