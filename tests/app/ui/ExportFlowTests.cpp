// Both exports from the main window's point of view, on a tiny project (one photo, 16 x 16
// output): the dialogs, the progress window and the worker, the canvas kept from the photos while
// the worker swaps them, Cancel at each stage, an output that would destroy an input, and the one
// alert that tells why an export failed.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

#include "app/ui/ExportFlow.h"
#include "tests/app/ui/ExportTestSupport.h"
#include "toolkit/core/Quor_Utf8.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"

using namespace export_test;

namespace {

enum class Kind { kJpeg, kPsd };

class ExportFlowTest : public ExportTest {
protected:
    void Export(Kind kind)
    {
        if (kind == Kind::kJpeg)
            ExportJpeg(Wnd(), &Doc(), Canvas());
        else
            ExportPsd(Wnd(), &Doc(), Canvas());
    }
    // The size dialog of either export, or null.
    static ExportDialog* SizeDialog()
    {
        return OpenDialog<ExportDialog>();
    }
    // A script step: OK in the size dialog once it shows.
    std::function<bool()> PressOk()
    {
        return [this] {
            ExportDialog* d = SizeDialog();
            if (d == nullptr)
                return false;
            ClickOn(d->OKButtonView());
            return true;
        };
    }
    // What the canvas shows at its point p.
    rgb_color CanvasAt(Quor_Point p)
    {
        p = InWindow(Canvas(), p);
        return fHost.PixelAt(HostId(), p.x, p.y + Strip());
    }

    // Records the alerts shown, answering each, and whether a progress window was still open then.
    struct Alerts {
        std::vector<std::string> texts;
        bool progressOpen = false;
    };
    // One step for a script: answers an alert when one shows.
    std::function<bool()> AnswerAlerts(Alerts* alerts)
    {
        return [this, alerts] {
            const std::string text = AlertShown();
            if (!text.empty()) {
                alerts->texts.push_back(text);
                alerts->progressOpen = alerts->progressOpen || OpenDialog<RenderProgress>() != nullptr;
                AnswerAlert();
            }
            return false;
        };
    }
};

bool IsPsd(const std::string& path, int width, int height)
{
    const std::string bytes = quor_test::ReadFileBytes(path);
    if (bytes.size() < 26 || bytes.compare(0, 4, "8BPS") != 0)
        return false;
    auto be32 = [&](size_t at) {
        return (uint32_t(uint8_t(bytes[at])) << 24) | (uint32_t(uint8_t(bytes[at + 1])) << 16) |
               (uint32_t(uint8_t(bytes[at + 2])) << 8) | uint32_t(uint8_t(bytes[at + 3]));
    };
    return be32(14) == uint32_t(height) && be32(18) == uint32_t(width);
}

}  // namespace

TEST_F(ExportFlowTest, ExportsThroughTheDialogsWhileTheCanvasLeavesThePhotosAlone)
{
    // Catches an export that never reaches its file, a canvas that redraws the photos while the
    // worker frees and reloads them (a window resize during the export would read freed pixels),
    // a canvas that is not given back its drawing afterwards, and photos left at full size.
    for (Kind kind : {Kind::kJpeg, Kind::kPsd}) {
        const std::string output = fDir.File(kind == Kind::kJpeg ? "pano.jpg" : "pano.psd");
        Choose({output});
        fDialogs.clear();
        // Long enough for the test to act while the progress window is up.
        RenderProgress::gRenderOptions.startPauseMs = 300;
        // Left of the middle of the canvas: the photo's red half.
        const Quor_Point probe(Canvas()->Shape().x / 2 - 10, Canvas()->Shape().y / 2);
        Canvas()->CanvasProjection().SetOffset(Quor_Vector2(0, 0));
        Canvas()->Update(true);
        const rgb_color before = CanvasAt(probe);
        rgb_color during{};
        bool sawProgress = false;
        Alerts alerts;
        Script({
            PressOk(),
            [&] {
                if (OpenDialog<RenderProgress>() == nullptr)
                    return false;
                sawProgress = true;
                // What a resize of the main window would ask of the canvas: a full redraw, here
                // of a view moved well away from the photo.
                Canvas()->CanvasProjection().SetOffset(Quor_Vector2(3.0f, 0.0f));
                Canvas()->Update(true);
                during = CanvasAt(probe);
                return true;
            },
            AnswerAlerts(&alerts),
        });
        Export(kind);
        const char* what = kind == Kind::kJpeg ? "JPEG" : "PSD";
        EXPECT_TRUE(sawProgress) << what;
        EXPECT_TRUE(alerts.texts.empty()) << what << ": " << (alerts.texts.empty() ? "" : alerts.texts[0]);
        EXPECT_EQ(fDialogs, std::vector<std::string>{"save Save As " + std::string(Doc().fPath.Parent()) +
                                                     (kind == Kind::kJpeg ? "/Untitled.jpg" : "/Untitled.psd")});
        EXPECT_TRUE(quor_test::Near(during, before, 0)) << what << ": the canvas redrew during the export";
        EXPECT_FALSE(quor_test::Near(CanvasAt(probe), before, 8))
            << what << ": the redraw put off during the export never came";
        ExpectPreviews();
        if (kind == Kind::kJpeg) {
            Quor_BaseImage image;
            ASSERT_EQ(Quor_ImageIo::LoadImage(output.c_str(), &image, 0), QUOR_OK);
            EXPECT_EQ(image.Width(), 16);
            EXPECT_EQ(image.Height(), 16);
        } else {
            EXPECT_TRUE(IsPsd(output, 16, 16));
        }
    }
}

TEST_F(ExportFlowTest, CancelAtEachStageEndsSilentlyWithThePreviewsBack)
{
    // Catches a Cancel that shows an alert, one that leaves the worker running or photos at full
    // size, a cancelled file dialog that closes the size dialog, and a progress window
    // that ignores its close box (Escape is pressed in the progress window's own tests).
    enum Stage { kSizeDialog, kFileDialog, kCancelButton, kCloseBox };
    for (Stage stage : {kSizeDialog, kFileDialog, kCancelButton, kCloseBox}) {
        const std::string output = fDir.File("cancelled" + std::to_string(stage) + ".jpg");
        if (stage != kSizeDialog)
            Choose({stage == kFileDialog ? "" : output});
        fDialogs.clear();
        // A size that takes the worker a while, so the Cancel lands while it renders.
        Doc().fRenderWidth = 3000;
        RenderProgress::gRenderOptions.startPauseMs = 0;
        bool sizeDialogStayed = false;
        bool progressShown = false;
        Alerts alerts;
        Script({
            [&] {
                ExportDialog* d = SizeDialog();
                if (d == nullptr)
                    return false;
                if (stage == kSizeDialog)
                    KeyTo(d->Window(), kHostEscape);
                else
                    ClickOn(d->OKButtonView());
                return true;
            },
            [&] {
                if (stage == kSizeDialog)
                    return true;
                if (stage == kFileDialog) {
                    ExportDialog* d = SizeDialog();
                    sizeDialogStayed = d != nullptr && fDialogs.size() == 1;
                    if (d != nullptr)
                        ClickOn(d->CancelButtonView());
                    return true;
                }
                RenderProgress* p = OpenDialog<RenderProgress>();
                if (p == nullptr || p->Progress() <= 0.0f)
                    return false;
                progressShown = true;
                if (stage == kCancelButton)
                    ClickOn(p->CancelButtonView());
                else
                    fHost.PushClose(p->Window()->PlatformWindow());
                return true;
            },
            AnswerAlerts(&alerts),
        });
        ExportJpeg(Wnd(), &Doc(), Canvas());
        EXPECT_TRUE(alerts.texts.empty()) << "stage " << stage << ": " << (alerts.texts.empty() ? "" : alerts.texts[0]);
        EXPECT_EQ(OpenWindows<Quor_Wnd>().size(), 1u) << "stage " << stage;
        ExpectPreviews();
        if (stage == kFileDialog) {
            EXPECT_TRUE(sizeDialogStayed);
        }
        if (stage <= kFileDialog) {
            EXPECT_FALSE(std::filesystem::exists(output)) << "stage " << stage;
        } else {
            EXPECT_TRUE(progressShown) << "stage " << stage;
            // A cancelled JPEG is kept: a complete image whose last rows repeat.
            Quor_BaseImage image;
            EXPECT_EQ(Quor_ImageIo::LoadImage(output.c_str(), &image, 0), QUOR_OK) << "stage " << stage;
        }
    }
}

TEST_F(ExportFlowTest, AnExportThatCannotBeWrittenSaysWhyInOneAlert)
{
    // Catches an export that truncates one of its own photos (or the project) before reading it:
    // choosing such a file must be refused with an alert, the dialog staying open for another
    // name and the file left as it was. Catches failures that look like success (a closed
    // progress window and no file), more than one alert for one failure, an alert shown over the
    // progress window while the worker may still run, and a reason that does not name the cause.
    ASSERT_EQ(symlink(fPhoto.c_str(), fDir.File("link.jpg").c_str()), 0);
    const std::string photoBytes = quor_test::ReadFileBytes(fPhoto);
    const std::string projectBytes = quor_test::ReadFileBytes(fDir.File("pano.qpm"));
    const char* kRefused = "The panorama cannot be saved over that file.";
    struct Case {
        const char* what;
        Kind kind;
        std::string output;
        int64_t memoryLimit;
        bool removePhoto;
        const char* says;
    };
    const Case cases[] = {
        {"the photo through a link", Kind::kJpeg, fDir.File("link.jpg"), 0, false, kRefused},
        {"the project", Kind::kPsd, fDir.File("pano.qpm"), 0, false, kRefused},
        {"folder missing", Kind::kJpeg, "/nonexistent-dir/x.jpg", 0, false, "Could not create the file."},
        {"PSD disk full", Kind::kPsd, "/dev/full", 0, false, "Could not write the panorama."},
        {"photos too large", Kind::kJpeg, fDir.File("big.jpg"), 1000, false,
         "Not enough memory for a panorama of this size."},
        {"PSD photo gone", Kind::kPsd, fDir.File("gone.psd"), 0, true, "1 photo could not be loaded at full size"},
    };
    for (const Case& c : cases) {
        Choose({c.output});
        Doc().fRenderPath = "";
        RenderProgress::gRenderOptions.memoryLimit = c.memoryLimit;
        if (c.removePhoto)
            std::filesystem::remove(fPhoto);
        Alerts alerts;
        bool stayed = false;
        Script({
            PressOk(),
            [&] {
                if (!AlertShown().empty()) {
                    AnswerAlerts(&alerts)();
                } else if (!alerts.texts.empty() && SizeDialog() != nullptr) {
                    stayed = true;
                    KeyTo(SizeDialog()->Window(), kHostEscape);
                }
                return false;
            },
        });
        Export(c.kind);
        const bool refused = c.says == kRefused;
        ASSERT_EQ(alerts.texts.size(), 1u) << c.what;
        EXPECT_EQ(alerts.texts[0].rfind(c.says, 0), 0u) << c.what << ": " << alerts.texts[0];
        EXPECT_FALSE(alerts.progressOpen) << c.what;
        EXPECT_EQ(stayed, refused) << c.what << ": the export dialog closed, or stayed after the export";
        EXPECT_EQ(OpenWindows<Quor_Wnd>().size(), 1u) << c.what;
        EXPECT_EQ(quor_test::ReadFileBytes(fDir.File("pano.qpm")), projectBytes) << c.what;
        if (refused) {
            EXPECT_STREQ(Doc().fRenderPath, "") << c.what;
        } else if (c.output.rfind("/dev/", 0) != 0) {
            EXPECT_FALSE(std::filesystem::exists(c.output)) << c.what << ": a failed export left its file";
        }
        if (c.removePhoto) {
            ASSERT_TRUE(quor_test::WriteFileBytes(fPhoto, photoBytes));
            Doc().UpdatePhoto(0, kPreviewSize);
        } else {
            EXPECT_EQ(quor_test::ReadFileBytes(fPhoto), photoBytes) << c.what;
            ExpectPreviews();
        }
        RenderProgress::gRenderOptions.memoryLimit = 0;
    }
}

TEST_F(ExportFlowTest, AFailureAlertShowsAPathAsItIsAndShortensItBetweenCharacters)
{
    // Catches a path beyond Latin-1 shown as other letters in the failure alert, and a long path
    // shortened through the middle of a character.
    std::string folder = "/nonexistent-";
    for (int i = 0; i < 40; i++)
        folder += "\xD0\xA4";
    Choose({folder + "/x.jpg"});
    Doc().fRenderPath = "";
    Alerts alerts;
    Script({PressOk(), AnswerAlerts(&alerts)});
    Export(Kind::kJpeg);
    ASSERT_EQ(alerts.texts.size(), 1u);
    const std::string& text = alerts.texts[0];
    EXPECT_NE(text.find("...\xD0\xA4"), std::string::npos) << text;
    EXPECT_NE(text.find("\xD0\xA4/x.jpg"), std::string::npos) << text;
    std::string repaired;
    ASSERT_TRUE(Quor_Utf8::Repaired(text.c_str(), &repaired));
    EXPECT_EQ(repaired, text) << "no character is cut in two";
}
