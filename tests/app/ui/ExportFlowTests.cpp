// Both exports from the main window's point of view, on a tiny project (one photo, 16 x 16
// output): the dialogs, the progress window and the worker, the canvas kept from the photos while
// the worker swaps them, Cancel at each stage and what it left, an output that would destroy an
// input, photos that cannot be loaded, and the one alert that tells why an export failed.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <unistd.h>

#include "app/ui/ExportFlow.h"
#include "app/ui/PanomerCodes.h"
#include "tests/app/ui/ExportTestSupport.h"
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
    // A script step: OK in the size dialog once it shows.
    std::function<bool()> PressOk()
    {
        return [this] {
            ExportDialog* d = OpenDialog<ExportDialog>();
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
    // Also catches a typed name saved without the extension the format needs, and a proposed
    // name that is not the project's own.
    for (Kind kind : {Kind::kJpeg, Kind::kPsd}) {
        const std::string output = fDir.File(kind == Kind::kJpeg ? "typed.jpg" : "typed.psd");
        Choose({fDir.File("typed")});
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
        EXPECT_EQ(fDialogs, std::vector<std::string>{"save Save As " + fDir.File(kind == Kind::kJpeg ? "pano.jpg"
                                                                                                   : "pano.psd")});
        EXPECT_EQ(fExtensions, kind == Kind::kJpeg ? ".jpg;.jpeg" : ".psd");
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

TEST_F(ExportFlowTest, CancelAtEachStageSaysWhatWasLeftWithThePreviewsBack)
{
    // Catches a cancelled export that closes without telling what it left at the path (the
    // progress window simply vanished), one that says so when nothing was exported (the size or
    // the file dialog cancelled), one that leaves the worker running or photos at full size, a
    // cancelled file dialog that closes the size dialog, a progress window that ignores its close
    // box (Escape is pressed in the progress window's own tests), and "Untitled" proposed for a
    // project that has a name (or the project's name for one that has none).
    enum Stage { kSizeDialog, kFileDialog, kCancelButton, kCloseBox };
    for (Stage stage : {kSizeDialog, kFileDialog, kCancelButton, kCloseBox}) {
        const std::string output = fDir.File("cancelled" + std::to_string(stage) + ".jpg");
        if (stage != kSizeDialog)
            Choose({stage == kFileDialog ? "" : output});
        fDialogs.clear();
        const Quor_Path project = Doc().fPath;
        if (stage == kFileDialog)
            Doc().fPath = "";
        // A size that takes the worker a while, so the Cancel lands while it renders.
        Doc().fRenderWidth = 3000;
        RenderProgress::gRenderOptions.startPauseMs = 0;
        bool sizeDialogStayed = false;
        bool progressShown = false;
        Alerts alerts;
        Script({
            [&] {
                ExportDialog* d = OpenDialog<ExportDialog>();
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
                    ExportDialog* d = OpenDialog<ExportDialog>();
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
        Doc().fPath = project;
        EXPECT_EQ(OpenWindows<Quor_Wnd>().size(), 1u) << "stage " << stage;
        ExpectPreviews();
        if (stage == kFileDialog) {
            EXPECT_TRUE(sizeDialogStayed);
            EXPECT_EQ(fDialogs, std::vector<std::string>{"save Save As Untitled.jpg"});
        }
        if (stage <= kFileDialog) {
            EXPECT_TRUE(alerts.texts.empty()) << "stage " << stage << ": " << alerts.texts[0];
            EXPECT_FALSE(std::filesystem::exists(output)) << "stage " << stage;
            continue;
        }
        EXPECT_TRUE(progressShown) << "stage " << stage;
        ASSERT_EQ(alerts.texts.size(), 1u) << "stage " << stage;
        EXPECT_FALSE(alerts.progressOpen);
        // The rows rendered, the file and what it holds, as the command line says them.
        EXPECT_EQ(alerts.texts[0].rfind("The export was cancelled after ", 0), 0u) << alerts.texts[0];
        EXPECT_NE(alerts.texts[0].find(" of 3000 rows.\n" + output +
                                       "\nIt is a complete image whose remaining rows repeat the last one rendered."),
                  std::string::npos)
            << alerts.texts[0];
        Quor_BaseImage image;
        EXPECT_EQ(Quor_ImageIo::LoadImage(output.c_str(), &image, 0), QUOR_OK) << "stage " << stage;
    }
}

TEST_F(ExportFlowTest, AnExportThatCannotBeWrittenSaysWhyInOneAlert)
{
    // Catches an export that truncates one of its own photos before reading it: choosing such a
    // file (here by a name that becomes it once the extension is added) must be refused
    // before "Replace?" is asked, with an alert, the dialog staying open for another name. Catches
    // a failed export that harms the file it was to replace (or leaves a temporary file), failures
    // that look like success, more than one alert for one failure, an alert shown over the
    // progress window while the worker may still run, a reason that does not name the cause, and
    // a long path shown in full, cut at the wrong end or through a character, or shown beyond
    // Latin-1 as other letters.
    ASSERT_EQ(symlink("/dev/full", fDir.File("full.psd").c_str()), 0);
    const std::string photoBytes = quor_test::ReadFileBytes(fPhoto);
    const std::string projectBytes = quor_test::ReadFileBytes(fDir.File("pano.qpm"));
    std::string longPath = "/nonexistent-";
    for (int i = 0; i < 40; i++)
        longPath += "\xD0\xA4";
    longPath += "/x.jpg";
    const std::string kRefused = "The panorama cannot be saved over that file.";
    const char* kOld = "last week's panorama";
    struct Case {
        const char* what;
        Kind kind;
        std::string chosen;
        int64_t memoryLimit;
        bool photoGoneMeanwhile;
        std::string lines[3];  // the alert's lines
    };
    const Case cases[] = {
        {"the photo, typed without its extension", Kind::kJpeg, fDir.File("photo"), 0, false,
         {kRefused, "\"photo.jpg\" is one of the panorama's photos.", "Please choose another name."}},
        {"folder missing", Kind::kJpeg, longPath, 0, false,
         // 61 bytes would start inside a character: 60 are shown.
         {"Could not create the file.", "..." + longPath.substr(longPath.size() - 60), "No such file or directory."}},
        {"PSD disk full", Kind::kPsd, fDir.File("full.psd"), 0, false,
         {"Could not write the panorama.", "No space left on device.", "Nothing was written."}},
        {"photos too large", Kind::kJpeg, fDir.File("big.jpg"), 1000, false,
         {"Not enough memory for this export.", "This export needs about 2 MB of memory; 1000 bytes is available.",
          "The file that was there is left as it was."}},
        {"PSD photo gone meanwhile", Kind::kPsd, fDir.File("gone.psd"), 0, true,
         {"1 photo could not be loaded at full size.", "photo.jpg",
          "The panorama would be missing it, so nothing was written."}},
    };
    for (const Case& c : cases) {
        const bool refused = c.lines[0] == kRefused;
        const std::string output =
            Quor_FileDialog::WithExtension(c.chosen.c_str(), c.kind == Kind::kJpeg ? ".jpg" : ".psd").Buffer();
        const bool ours = !refused && output.rfind(fDir.Path(), 0) == 0 && output != fDir.File("full.psd");
        if (ours) {
            ASSERT_TRUE(quor_test::WriteFileBytes(output, kOld));
        }
        Choose({c.chosen});
        fReplacePrompts.clear();
        fOnChoose = [&] {
            if (c.photoGoneMeanwhile)
                std::filesystem::remove(fPhoto);
        };
        Doc().fRenderPath = "";
        RenderProgress::gRenderOptions.memoryLimit = c.memoryLimit;
        Alerts alerts;
        bool stayed = false;
        Script({
            PressOk(),
            [&] {
                if (!AlertShown().empty()) {
                    AnswerAlerts(&alerts)();
                } else if (!alerts.texts.empty() && OpenDialog<ExportDialog>() != nullptr) {
                    stayed = true;
                    KeyTo(OpenDialog<ExportDialog>()->Window(), kHostEscape);
                }
                return false;
            },
        });
        Export(c.kind);
        ASSERT_EQ(alerts.texts.size(), 1u) << c.what;
        EXPECT_EQ(alerts.texts[0], c.lines[0] + "\n" + c.lines[1] + "\n" + c.lines[2]) << c.what;
        EXPECT_FALSE(alerts.progressOpen) << c.what;
        EXPECT_EQ(stayed, refused) << c.what << ": the export dialog closed, or stayed after the export";
        EXPECT_EQ(OpenWindows<Quor_Wnd>().size(), 1u) << c.what;
        EXPECT_EQ(quor_test::ReadFileBytes(fDir.File("pano.qpm")), projectBytes) << c.what;
        if (refused) {
            EXPECT_TRUE(fReplacePrompts.empty()) << c.what << ": asked to replace a photo, then refused it";
            EXPECT_STREQ(Doc().fRenderPath, "") << c.what;
        }
        if (ours) {
            EXPECT_EQ(quor_test::ReadFileBytes(output), kOld) << c.what << ": a failed export harmed the old file";
            std::filesystem::remove(output);
        }
        if (c.photoGoneMeanwhile) {
            ASSERT_TRUE(quor_test::WriteFileBytes(fPhoto, photoBytes));
            Doc().UpdatePhoto(0, kPreviewSize);
        } else {
            EXPECT_EQ(quor_test::ReadFileBytes(fPhoto), photoBytes) << c.what;
            ExpectPreviews();
        }
        RenderProgress::gRenderOptions.memoryLimit = 0;
    }
    fOnChoose = nullptr;
    // Nothing but the files made here: no temporary file was left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(fDir.Path()), std::filesystem::directory_iterator()), 3);
}

TEST_F(ExportFlowTest, PhotosThatCannotBeLoadedRefuseTheExportBeforeAnythingIsAsked)
{
    // Catches an export of a project whose photos have moved that "succeeds" as a grey picture
    // (or a picture with grey holes), a refusal that comes only after the size and the file were
    // asked for, and an alert that does not name the photos (the first few, then a count).
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}) {
        const int i = Doc().fNumPhotos++;
        Doc().fPhotoPath[i] = fDir.File(name).c_str();
        Doc().UpdatePhoto(i, kPreviewSize);
    }
    // A photo shown while editing whose file has gone since counts too.
    const std::string photoBytes = quor_test::ReadFileBytes(fPhoto);
    std::filesystem::remove(fPhoto);
    for (Kind kind : {Kind::kJpeg, Kind::kPsd}) {
        Alerts alerts;
        Script({AnswerAlerts(&alerts)});
        Export(kind);
        EXPECT_TRUE(fDialogs.empty());
        ASSERT_EQ(alerts.texts.size(), 1u);
        EXPECT_EQ(alerts.texts[0], "5 photos cannot be found: photo.jpg, a.jpg, b.jpg and 2 more.\n"
                                   "The panorama would be missing them, so it is not exported.\n"
                                   "Put the photos back where the project expects them, then export again.");
    }
    // Photos put back are taken again at the next export, as the alert promises.
    ASSERT_TRUE(quor_test::WriteFileBytes(fPhoto, photoBytes));
    ASSERT_TRUE(quor_test::WriteFileBytes(fDir.File("a.jpg"), photoBytes));
    Alerts alerts;
    Script({AnswerAlerts(&alerts)});
    Export(Kind::kJpeg);
    ASSERT_EQ(alerts.texts.size(), 1u);
    EXPECT_EQ(alerts.texts[0].substr(0, alerts.texts[0].find('\n')), "3 photos cannot be found: b.jpg, c.jpg, d.jpg.");
    EXPECT_TRUE(Doc().fPhotoImage[1].IsValid());
    Doc().fNumPhotos = 1;
}

TEST_F(ExportFlowTest, ThePtoExportWritesWhereChosenOrSaysWhyNot)
{
    // Catches a PTO export that asks for no file, proposes a name that is not the project's, loses
    // the extension or the export size, or writes a projection the format cannot show instead of
    // saying so.
    Use(kSquare, 64);
    Choose({fDir.File("hand off")});
    Alerts alerts;
    Script({AnswerAlerts(&alerts)});
    ChooseMenu(kCmdExportPto);
    ASSERT_EQ(fDialogs.size(), 1u);
    EXPECT_EQ(fDialogs[0], "save Export PTO " + fDir.File("pano.pto"));
    EXPECT_TRUE(alerts.texts.empty());
    const std::string text = quor_test::ReadFileBytes(fDir.File("hand off.pto"));
    EXPECT_NE(text.find("\np f2 w64 h65 "), std::string::npos) << text;
    EXPECT_NE(text.find(" n\"photo.jpg\"\n"), std::string::npos) << text;

    Use(Crop{PanomerDoc::kFisheye, {1.5f, -1.5f, 1.5f, -1.5f}}, 64);
    alerts = Alerts();
    Script({AnswerAlerts(&alerts)});
    ChooseMenu(kCmdExportPto);
    EXPECT_EQ(fDialogs.size(), 1u);
    ASSERT_EQ(alerts.texts.size(), 1u);
    EXPECT_EQ(alerts.texts[0].substr(0, alerts.texts[0].find('\n')),
              "A PTO file can only be written for the horizontal spherical projection.");
}
