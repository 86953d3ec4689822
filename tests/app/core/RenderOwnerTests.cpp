// Tests of the owner's side of an export: the worker's end and the user's Cancel in any order.
#include <map>
#include <random>
#include <utility>

#include "tests/app/core/AppTestSupport.h"
#include "toolkit/core/Quor_Parallel.h"

namespace {

using namespace app_test;

}  // namespace

// A Cancel that comes at any moment, or races the worker's end, must leave the owner joined
// with exactly one end report, the photos at their previews, no temporary file, and at the
// output's path exactly what the report says: the finished file; the file that was there; an
// empty file; nothing; or the file that a Cancel at that very row leaves. JPEG (streamed photos,
// bands written while the next renders) and PSD (photos decoded ahead, layers written while the
// next photo is taken), with 1, 2 and 8 threads. Under ThreadSanitizer it also finds the races.
TEST(RenderOwner, CancelAtRandomMomentsLeavesWhatTheReportSays)
{
    ScratchDir dir;
    PanomerDoc doc(24.0f);
    const rgb_color green{20, 200, 40, 255};
    const rgb_color halves[3][2] = {{quor_test::kRed, quor_test::kRed}, {green, quor_test::kBlue}, {quor_test::kBlue, green}};
    for (int i = 0; i < 3; i++) {
        const std::string path = dir.File("photo" + std::to_string(i) + ".jpg");  // streamed by the JPEG export
        MakePhoto(path, 800, 600, halves[i][0], halves[i][1]);
        AddPhoto(&doc, path, 0.9f - 0.9f * i);
    }
    doc.fRenderWidth = 160;
    doc.fRenderHeight = 100;
    doc.fQuality = 90;

    const unsigned seed = 4242;
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    const int kCancelsPerCase = 50;
    int done = 0, cancelled = 0;
    for (RenderKind kind : {RenderKind::kJpeg, RenderKind::kPsd}) {
        const bool psd = kind == RenderKind::kPsd;
        const std::string output = dir.File(psd ? "out.psd" : "out.jpg");
        const std::string expected = dir.File(psd ? "expected.psd" : "expected.jpg");
        // The file a Cancel leaves depends only on the rows rendered before it, whatever the
        // threads; each is made once, cancelled at that row's checkpoint on one thread.
        std::map<std::pair<RenderLeft, int64_t>, std::string> left;
        auto leftAfter = [&](const RenderResult& result) -> const std::string& {
            auto found = left.find({result.left, result.rowsRendered});
            if (found != left.end())
                return found->second;
            const int height = doc.fRenderHeight;
            const int64_t rows = result.rowsRendered;
            const RenderCheckpoint at = psd ? RenderCheckpoint{RenderCheckpoint::kRenderingRow,
                                                               static_cast<int>(rows / height), static_cast<int>(rows % height)}
                                            : RenderCheckpoint{RenderCheckpoint::kRenderingRow, -1, static_cast<int>(rows)};
            Quor_Parallel::SetThreads(1);
            doc.fRenderPath = expected.c_str();
            TestOwner owner(&doc);
            const RenderResult made = owner.RenderAndWait(kind, at);
            EXPECT_EQ(made.status, RenderStatus::kCancelled);
            EXPECT_EQ(made.rowsRendered, rows);
            doc.fRenderPath = output.c_str();
            return left[{result.left, rows}] = ReadFileBytes(expected);
        };

        Quor_Parallel::SetThreads(1);
        doc.fRenderPath = output.c_str();
        std::string whole;
        double wholeMicroseconds = 0.0;
        {
            TestOwner owner(&doc);
            const auto start = std::chrono::steady_clock::now();
            ASSERT_EQ(owner.RenderAndWait(kind).status, RenderStatus::kDone);
            wholeMicroseconds = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
            whole = ReadFileBytes(output);
        }
        // Moments from the start to a little past the end of a whole export, more of them early
        // on, where the stages are short.
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        auto delay = [&](std::mt19937& r) {
            const double u = unit(r);
            return static_cast<int64_t>(wholeMicroseconds * 1.2 * u * u * u);
        };
        for (int threads : {1, 2, 8}) {
            for (int n = 0; n < kCancelsPerCase; n++) {
                SCOPED_TRACE(testing::Message() << (psd ? "PSD, " : "JPEG, ") << threads << " threads, cancel " << n);
                // Every other round starts with no file at the output's path.
                if (n % 2 == 0)
                    std::filesystem::remove(output);
                const bool wasThere = std::filesystem::exists(output);
                const std::string before = wasThere ? ReadFileBytes(output) : std::string();
                Quor_Parallel::SetThreads(threads);
                TestOwner owner(&doc);
                RenderOptions options;
                options.startPauseMs = 0;
                ASSERT_TRUE(owner.StartRender(kind, options));
                std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
                owner.CancelRender();
                ASSERT_FALSE(owner.IsRendering());
                int ends = 0;
                const RenderResult result = owner.LastResult(&ends);
                ASSERT_EQ(ends, 1);
                ASSERT_NE(result.status, RenderStatus::kFailed) << result.Message();
                for (int i = 0; i < doc.fNumPhotos; i++)
                    ASSERT_EQ(doc.fPhotoImage[i].Width(), kPreviewSize) << "photo " << i;
                ASSERT_TRUE(TemporaryFiles(dir.Path()).empty());
                if (result.status == RenderStatus::kDone) {
                    done++;
                    ASSERT_TRUE(ReadFileBytes(output) == whole);
                    continue;
                }
                cancelled++;
                switch (result.left) {
                case RenderLeft::kOldFile:
                    ASSERT_TRUE(wasThere);
                    ASSERT_TRUE(ReadFileBytes(output) == before);
                    break;
                case RenderLeft::kNothing:
                    ASSERT_FALSE(wasThere);
                    ASSERT_FALSE(std::filesystem::exists(output));
                    break;
                case RenderLeft::kEmptyFile:
                    ASSERT_FALSE(wasThere);
                    ASSERT_TRUE(std::filesystem::exists(output));
                    ASSERT_EQ(std::filesystem::file_size(output), 0u);
                    break;
                case RenderLeft::kUnfinishedFile: {
                    const std::string bytes = ReadFileBytes(output);
                    ASSERT_TRUE(bytes == leftAfter(result)) << result.rowsRendered << " rows rendered";
                    break;
                }
                }
            }
        }
    }
    Quor_Parallel::SetThreads(0);
    std::printf("%d ended before the cancel, %d cancelled\n", done, cancelled);
    EXPECT_EQ(done + cancelled, 2 * 3 * kCancelsPerCase);
    EXPECT_GT(cancelled, 2 * 3 * kCancelsPerCase / 2);
}
