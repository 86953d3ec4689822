// Tests of the project document: its exact file format, relative photo paths, undo, the reload
// rule for photo pixels, and the guards against files that would not read back.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "app/core/PanomerDoc.h"
#include "tests/support/TestFiles.h"
#include "toolkit/core/Quor_FileStream.h"
#include "toolkit/core/Quor_MemStream.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/Quor_ImageOps.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"

namespace {

using quor_test::ReadFileBytes;
using quor_test::ScratchDir;
using quor_test::WriteFileBytes;

constexpr float kPi = 3.14159265358979f;

class DocTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Quor_ImageOps::InitAlphaTables();
        Quor_ImageIo::InitImageLoader();
    }

    // Writes a small opaque PNG of one colour, so photos can be loaded without a JPEG codec's losses.
    static void MakePhoto(const std::string& path, uint8_t red, uint8_t green, uint8_t blue, int width = 20, int height = 10)
    {
        Quor_BaseImage image;
        ASSERT_EQ(image.Initialize(width, height, 32), 0);
        image.Clear(rgb_color{red, green, blue, 255});
        ASSERT_EQ(Quor_ImageIo::SaveImage(path.c_str(), &image, Quor_ImageIo::Format_PNG, 0), 0);
    }

    static bool OpenText(PanomerDoc& doc, const std::string& text)
    {
        Quor_MemStream stream;
        if (stream.OpenRead(text.data(), static_cast<int>(text.size())) != 0)
            return false;
        return doc.Open(&stream);
    }

    static std::string SaveToMemory(PanomerDoc& doc)
    {
        Quor_MemStream stream;
        EXPECT_EQ(stream.OpenWrite(0), 0);
        EXPECT_TRUE(doc.Save(&stream));
        return std::string(reinterpret_cast<const char*>(stream.RawData()), static_cast<size_t>(stream.FileSize()));
    }

    ScratchDir fDir;
};

// A change in number formatting, keyword order or path quoting would make files unreadable by
// other copies of the program: the saved bytes are fixed.
TEST_F(DocTest, SavedBytesAreExactlyTheDocumentedFormat)
{
    std::filesystem::create_directories(fDir.File("p"));
    PanomerDoc doc(35.0f);
    doc.fPath = fDir.File("p/pano.qpm").c_str();
    doc.fNumPhotos = 1;
    doc.fPhotoPath[0] = fDir.File("p/a.jpg").c_str();
    doc.fYaw[0] = 0.5f;
    doc.fPitch[0] = 0.0f;
    doc.fRoll[0] = 0.0f;
    doc.fBrightness[0] = 1.0f;
    ASSERT_TRUE(doc.Save());
    EXPECT_EQ(ReadFileBytes(fDir.File("p/pano.qpm")),
              "application/x-vnd.quor_panomerdoc\n"
              "version 1\n"
              "projection_type 1\n"
              "focal_length 35\n"
              "crop 3.141593 -3.141593 1.570796 -1.570796\n"
              "num_photos 1\n"
              "0.5 0 0 1 \"a.jpg\"\n");
}

// Everything the document stores must survive a save and a reopen, through files and memory.
TEST_F(DocTest, RoundTripThroughFileAndMemoryKeepsEveryField)
{
    PanomerDoc doc(50.0f);
    doc.fPath = fDir.File("pano.qpm").c_str();
    doc.fProjectionType = 0;
    doc.fCrop[0] = 1.0f; doc.fCrop[1] = -0.75f; doc.fCrop[2] = 0.5f; doc.fCrop[3] = -0.25f;
    doc.fNumPhotos = 3;
    for (int i = 0; i < 3; i++) {
        doc.fPhotoPath[i] = fDir.File("photo " + std::to_string(i) + ".jpg").c_str();
        doc.fYaw[i] = -1.25f + i;
        doc.fPitch[i] = 0.125f * i;
        doc.fRoll[i] = -0.0625f;
        doc.fBrightness[i] = 1.5f;
    }
    ASSERT_TRUE(doc.Save());

    for (int pass = 0; pass < 2; pass++) {
        PanomerDoc copy(35.0f);
        if (pass == 0) {
            copy.fPath = doc.fPath;
            ASSERT_TRUE(copy.Open());
        } else {
            ASSERT_TRUE(OpenText(copy, SaveToMemory(doc)));
        }
        EXPECT_EQ(copy.fProjectionType, 0);
        EXPECT_FLOAT_EQ(copy.fFocalLength, 50.0f);
        for (int k = 0; k < 4; k++)
            EXPECT_FLOAT_EQ(copy.fCrop[k], doc.fCrop[k]);
        ASSERT_EQ(copy.fNumPhotos, 3);
        for (int i = 0; i < 3; i++) {
            EXPECT_STREQ(copy.fPhotoPath[i], doc.fPhotoPath[i]) << "pass " << pass;
            EXPECT_FLOAT_EQ(copy.fYaw[i], doc.fYaw[i]);
            EXPECT_FLOAT_EQ(copy.fPitch[i], doc.fPitch[i]);
            EXPECT_FLOAT_EQ(copy.fRoll[i], doc.fRoll[i]);
            EXPECT_FLOAT_EQ(copy.fBrightness[i], doc.fBrightness[i]);
        }
    }
}

// Photos beside the document are stored by name, so a project folder can be moved as a whole;
// a photo in a sibling folder whose name starts like the document's folder keeps its full path.
TEST_F(DocTest, PhotosBesideTheDocumentFollowAMovedFolder)
{
    std::filesystem::create_directories(fDir.File("doc/img"));
    std::filesystem::create_directories(fDir.File("docs"));
    PanomerDoc doc;
    doc.fPath = fDir.File("doc/x.qpm").c_str();
    doc.fNumPhotos = 2;
    doc.fPhotoPath[0] = fDir.File("doc/img/a.jpg").c_str();
    doc.fPhotoPath[1] = fDir.File("docs/b.jpg").c_str();
    doc.fBrightness[0] = doc.fBrightness[1] = 1.0f;
    ASSERT_TRUE(doc.Save());
    std::string text = ReadFileBytes(fDir.File("doc/x.qpm"));
    EXPECT_NE(text.find("\"img/a.jpg\""), std::string::npos) << text;
    EXPECT_NE(text.find("\"" + fDir.File("docs/b.jpg") + "\""), std::string::npos) << text;

    std::filesystem::rename(fDir.File("doc"), fDir.File("moved"));
    PanomerDoc reopened;
    reopened.fPath = fDir.File("moved/x.qpm").c_str();
    ASSERT_TRUE(reopened.Open());
    EXPECT_STREQ(reopened.fPhotoPath[0], fDir.File("moved/img/a.jpg").c_str());
    EXPECT_STREQ(reopened.fPhotoPath[1], fDir.File("docs/b.jpg").c_str());
}

// A document given by a relative path (a shell start) must not strip the leading separator of
// every absolute photo path when it is saved.
TEST_F(DocTest, RelativeDocumentPathKeepsAbsolutePhotoPaths)
{
    std::filesystem::create_directories(fDir.File("work"));
    std::filesystem::create_directories(fDir.File("elsewhere"));
    const std::string photo = fDir.File("elsewhere/p.jpg");
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(fDir.File("work").c_str()), 0);

    PanomerDoc doc;
    doc.fPath = "pano.qpm";
    doc.fNumPhotos = 1;
    doc.fPhotoPath[0] = photo.c_str();
    doc.fBrightness[0] = 1.0f;
    const bool saved = doc.Save();
    ASSERT_EQ(chdir(fDir.File("elsewhere").c_str()), 0);
    PanomerDoc reopened;
    reopened.fPath = fDir.File("work/pano.qpm").c_str();
    const bool opened = reopened.Open();
    ASSERT_EQ(chdir(previous), 0);

    ASSERT_TRUE(saved);
    ASSERT_TRUE(opened);
    EXPECT_STREQ(reopened.fPhotoPath[0], photo.c_str());
}

// Paths far beyond any fixed buffer must neither be cut nor make the project unreadable.
TEST_F(DocTest, VeryLongDocumentAndPhotoPathsRoundTrip)
{
    std::string deep = fDir.Path();
    while (deep.size() < fDir.Path().size() + 1000)
        deep += "/a-rather-long-folder-name-to-make-a-deep-path";
    std::filesystem::create_directories(deep);
    std::string outside = fDir.File(std::string(200, 'o'));
    std::filesystem::create_directories(outside);
    std::string photo = outside + "/" + std::string(200, 'p') + ".jpg";
    while (photo.size() < 1000)
        photo = outside + "/" + std::string(photo.size() - outside.size(), 'q') + ".jpg";

    PanomerDoc doc;
    doc.fPath = (deep + "/pano.qpm").c_str();
    doc.fNumPhotos = 2;
    doc.fPhotoPath[0] = photo.c_str();
    doc.fPhotoPath[1] = (deep + "/" + std::string(180, 'n') + ".jpg").c_str();
    doc.fBrightness[0] = doc.fBrightness[1] = 1.0f;
    ASSERT_TRUE(doc.Save());

    PanomerDoc reopened;
    reopened.fPath = doc.fPath;
    ASSERT_TRUE(reopened.Open());
    EXPECT_STREQ(reopened.fPhotoPath[0], doc.fPhotoPath[0]);
    EXPECT_STREQ(reopened.fPhotoPath[1], doc.fPhotoPath[1]);
}

// Files that are not projects, are newer, or hold values this program cannot use must be refused
// rather than half-read into a document that draws or saves garbage.
TEST_F(DocTest, RefusesForeignNewerAndDamagedFiles)
{
    const std::string head = "application/x-vnd.quor_panomerdoc\n";
    const struct {
        const char* what;
        std::string text;
    } bad[] = {
        {"empty", ""},
        {"another first line", "application/x-something-else\nversion 1\n"},
        {"first line with a suffix", "application/x-vnd.quor_panomerdoc2\nversion 1\n"},
        {"newer version", head + "version 2\n"},
        {"unreadable version", head + "version x\n"},
        {"projection type -1", head + "projection_type -1\n"},
        {"projection type 5", head + "projection_type 5\n"},
        {"projection type 7", head + "projection_type 7\n"},
        {"nan focal length", head + "focal_length nan\n"},
        {"infinite focal length", head + "focal_length inf\n"},
        {"negative infinite crop", head + "crop 1 -inf 1 -1\n"},
        {"short crop", head + "crop 1 2 3\n"},
        {"nan yaw", head + "num_photos 1\nnan 0 0 1 \"a.jpg\"\n"},
        {"infinite brightness", head + "num_photos 1\n0 0 0 inf \"a.jpg\"\n"},
        {"missing path", head + "num_photos 1\n0 0 0 1\n"},
        {"unquoted path", head + "num_photos 1\n0 0 0 1 a.jpg\n"},
    };
    for (const auto& c : bad) {
        PanomerDoc doc;
        EXPECT_FALSE(OpenText(doc, c.text)) << c.what;
    }

    // Huge finite values are taken as they are and must survive a save without wrapping.
    ASSERT_TRUE(WriteFileBytes(fDir.File("huge.qpm"), head + "focal_length 1e30\n"));
    PanomerDoc huge;
    huge.fPath = fDir.File("huge.qpm").c_str();
    ASSERT_TRUE(huge.Open());
    EXPECT_FLOAT_EQ(huge.fFocalLength, 1e30f);
    ASSERT_TRUE(huge.Save());
    EXPECT_NE(ReadFileBytes(fDir.File("huge.qpm")).find("focal_length 1000000015047466219876688855040\n"), std::string::npos)
        << "huge values are written as plain digits";
    PanomerDoc again;
    again.fPath = huge.fPath;
    ASSERT_TRUE(again.Open());
    EXPECT_FLOAT_EQ(again.fFocalLength, 1e30f);
    PanomerDoc inMemory;
    ASSERT_TRUE(OpenText(inMemory, SaveToMemory(huge)));
    EXPECT_FLOAT_EQ(inMemory.fFocalLength, 1e30f);
}

// Each valid projection type brings its own default crop, and a type after a crop resets it;
// unknown keywords and a surplus of photo records beyond the limit are skipped.
TEST_F(DocTest, ProjectionTypeSetsTheDefaultCropAndSurplusRecordsAreSkipped)
{
    const std::string head = "application/x-vnd.quor_panomerdoc\n";
    PanomerDoc perspective;
    ASSERT_TRUE(OpenText(perspective, head + "projection_type 0\n"));
    EXPECT_FLOAT_EQ(perspective.fCrop[0], 1.2217305f);
    EXPECT_FLOAT_EQ(perspective.fCrop[1], -1.2217305f);
    EXPECT_FLOAT_EQ(perspective.fCrop[2], 1.2217305f);
    EXPECT_FLOAT_EQ(perspective.fCrop[3], -1.2217305f);

    PanomerDoc reset;
    ASSERT_TRUE(OpenText(reset, head + "crop 0.5 -0.5 0.25 -0.25 something_new 12 projection_type 3\n"));
    EXPECT_FLOAT_EQ(reset.fCrop[0], kPi / 2);
    EXPECT_FLOAT_EQ(reset.fCrop[3], -kPi / 2);

    std::string seventy = head + "num_photos 70\n";
    for (int i = 0; i < 70; i++)
        seventy += std::to_string(i) + " 0 0 1 \"/nowhere/p" + std::to_string(i) + ".jpg\"\n";
    seventy += "focal_length 24\n";
    PanomerDoc many;
    ASSERT_TRUE(OpenText(many, seventy));
    EXPECT_EQ(many.fNumPhotos, 64);
    EXPECT_FLOAT_EQ(many.fYaw[63], 63.0f);
    EXPECT_STREQ(many.fPhotoPath[63], "/nowhere/p63.jpg");
    EXPECT_FLOAT_EQ(many.fFocalLength, 24.0f);
}

// A failed save must say so, and must never cost the previous good copy of the project.
TEST_F(DocTest, FailedSavesReportFailureAndKeepThePreviousFile)
{
    // The parent of the target is a regular file: even root cannot create it.
    ASSERT_TRUE(WriteFileBytes(fDir.File("not-a-folder"), "x"));
    PanomerDoc doc;
    doc.fPath = fDir.File("not-a-folder/pano.qpm").c_str();
    EXPECT_FALSE(doc.Save());

    // A photo path with a double quote cannot be stored: the save fails and the old file stays.
    const std::string target = fDir.File("pano.qpm");
    ASSERT_TRUE(WriteFileBytes(target, "previous contents\n"));
    PanomerDoc quoted;
    quoted.fPath = target.c_str();
    quoted.fNumPhotos = 1;
    quoted.fPhotoPath[0] = fDir.File("say \"cheese\".jpg").c_str();
    EXPECT_FALSE(quoted.Save());
    EXPECT_EQ(ReadFileBytes(target), "previous contents\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(fDir.Path()), std::filesystem::directory_iterator()), 2)
        << "a temporary file was left behind";
}

// A stream whose disk fills up part-way: the document reports the failure.
class FailingStream : public Quor_MemStream {
public:
    explicit FailingStream(int budget) : fBudget(budget) {}
    int WriteBytes(const void* data, int count) override
    {
        int allowed = count < fBudget ? count : fBudget;
        fBudget -= allowed;
        return allowed > 0 ? Quor_MemStream::WriteBytes(data, allowed) : 0;
    }

private:
    int fBudget;
};

TEST_F(DocTest, WriteErrorsPartWayThroughAreReported)
{
    PanomerDoc doc;
    doc.fNumPhotos = 2;
    doc.fPhotoPath[0] = "/p/a.jpg";
    doc.fPhotoPath[1] = "/p/b.jpg";
    const size_t full = SaveToMemory(doc).size();
    for (int budget : {0, 10, 60, static_cast<int>(full) - 1}) {
        FailingStream stream(budget);
        ASSERT_EQ(stream.OpenWrite(0), 0);
        EXPECT_FALSE(doc.Save(&stream)) << "budget " << budget;
    }
}

// One-level undo toggles: a second undo restores the state before the first.
TEST_F(DocTest, UndoTogglesBetweenTwoStates)
{
    PanomerDoc doc;
    EXPECT_FALSE(doc.CanUndo());
    doc.Undo();  // nothing recorded: nothing happens
    doc.fNumPhotos = 1;
    doc.fPhotoPath[0] = "/nowhere/a.jpg";
    doc.fYaw[0] = 0.25f;
    doc.fBrightness[0] = 1.0f;
    doc.PrepUndo();
    ASSERT_TRUE(doc.CanUndo());
    doc.fYaw[0] = 1.0f;
    doc.fCrop[0] = 2.0f;

    doc.Undo();
    EXPECT_FLOAT_EQ(doc.fYaw[0], 0.25f);
    EXPECT_FLOAT_EQ(doc.fCrop[0], kPi);
    doc.Undo();
    EXPECT_FLOAT_EQ(doc.fYaw[0], 1.0f);
    EXPECT_FLOAT_EQ(doc.fCrop[0], 2.0f);
}

// A shorter snapshot written over a longer one must not leave the old tail to be read back:
// a path holding keyword-like words would otherwise re-read stale numbers as a crop.
TEST_F(DocTest, ShorterUndoSnapshotLeavesNoStaleTail)
{
    PanomerDoc doc;
    doc.fNumPhotos = 3;
    for (int i = 0; i < 3; i++) {
        doc.fPhotoPath[i] = ("/nowhere/x crop 1 2 3 4 " + std::to_string(i) + ".jpg").c_str();
        doc.fBrightness[i] = 1.0f;
    }
    doc.PrepUndo();
    const int64_t longSize = doc.fUndo.FileSize();
    doc.fNumPhotos = 1;  // a delete
    doc.PrepUndo();
    EXPECT_LT(doc.fUndo.FileSize(), longSize);
    EXPECT_EQ(doc.fUndo.FileSize(), static_cast<int64_t>(SaveToMemory(doc).size()));

    doc.fNumPhotos = 2;
    doc.Undo();
    EXPECT_EQ(doc.fNumPhotos, 1);
    EXPECT_FLOAT_EQ(doc.fCrop[0], kPi);
    doc.Undo();
    EXPECT_EQ(doc.fNumPhotos, 2);
    EXPECT_STREQ(doc.fPhotoPath[1], "/nowhere/x crop 1 2 3 4 1.jpg");
}

// After an undo that removes photos the selection must not point past the photo count, or a
// following Delete would remove a photo that was never selected.
TEST_F(DocTest, UndoClearsASelectionBeyondThePhotoCount)
{
    PanomerDoc doc;
    doc.fNumPhotos = 1;
    doc.fPhotoPath[0] = "/nowhere/a.jpg";
    doc.PrepUndo();
    doc.fNumPhotos = 2;
    doc.fPhotoPath[1] = "/nowhere/b.jpg";
    doc.fSelected = 1;
    doc.fPivot[0] = 0.5f;
    doc.Undo();
    EXPECT_EQ(doc.fNumPhotos, 1);
    EXPECT_EQ(doc.fSelected, -1);
    EXPECT_GE(doc.fPivot[0], 100000.0f);
}

// Photo pixels: missing files leave invalid slots without failing the open; brightness is baked
// in; undo reloads only what changed, judged by brightness, count and path.
TEST_F(DocTest, PhotoPixelsFollowTheReloadRule)
{
    MakePhoto(fDir.File("a.png"), 100, 200, 50);
    MakePhoto(fDir.File("b.png"), 10, 20, 30);
    MakePhoto(fDir.File("c.png"), 1, 2, 3);
    PanomerDoc doc;
    doc.fPath = fDir.File("pano.qpm").c_str();
    doc.fNumPhotos = 3;
    doc.fPhotoPath[0] = fDir.File("a.png").c_str();
    doc.fPhotoPath[1] = fDir.File("b.png").c_str();
    doc.fPhotoPath[2] = fDir.File("missing.png").c_str();
    doc.fBrightness[0] = 1.5f;
    doc.fBrightness[1] = 1.0f;
    doc.fBrightness[2] = 1.0f;
    ASSERT_TRUE(doc.Save());

    PanomerDoc opened;
    opened.fPath = doc.fPath;
    ASSERT_TRUE(opened.Open());
    ASSERT_TRUE(opened.fPhotoImage[0].IsValid());
    ASSERT_TRUE(opened.fPhotoImage[1].IsValid());
    EXPECT_FALSE(opened.fPhotoImage[2].IsValid());
    EXPECT_EQ(opened.fPhotoImage[2].Width(), -1);
    // Brightness 1.5: 100 -> 150, 200 -> 255 (clamped), 50 -> 75; alpha untouched.
    const uint32_t bright = *reinterpret_cast<const uint32_t*>(opened.fPhotoImage[0].PixelPtr(3, 4));
    EXPECT_EQ(bright, (75u << 24) | (255u << 16) | (150u << 8) | 255u);
    const uint32_t plain = *reinterpret_cast<const uint32_t*>(opened.fPhotoImage[1].PixelPtr(0, 0));
    EXPECT_EQ(plain, (30u << 24) | (20u << 16) | (10u << 8) | 255u);

    // With the files gone, a reload shows up as an invalid image.
    std::filesystem::remove(fDir.File("a.png"));
    std::filesystem::remove(fDir.File("b.png"));
    opened.PrepUndo();
    opened.fYaw[0] = 1.0f;  // a move
    opened.Undo();
    EXPECT_TRUE(opened.fPhotoImage[0].IsValid()) << "a move must not reload photos";
    EXPECT_TRUE(opened.fPhotoImage[1].IsValid());

    opened.PrepUndo();
    opened.fBrightness[1] = 2.0f;
    opened.Undo();
    EXPECT_TRUE(opened.fPhotoImage[0].IsValid());
    EXPECT_FALSE(opened.fPhotoImage[1].IsValid()) << "the brightened photo must be reloaded";

    // Same count and brightness but another path: the slot must show the other photo.
    PanomerDoc swapped;
    swapped.fNumPhotos = 1;
    swapped.fBrightness[0] = 1.0f;
    swapped.fPhotoPath[0] = fDir.File("c.png").c_str();
    ASSERT_EQ(swapped.UpdatePhoto(0, kPreviewSize), 0);
    std::string text = SaveToMemory(swapped);
    MakePhoto(fDir.File("d.png"), 9, 9, 9);
    text.replace(text.find("c.png"), 5, "d.png");
    ASSERT_TRUE(OpenText(swapped, text));
    const uint32_t now = *reinterpret_cast<const uint32_t*>(swapped.fPhotoImage[0].PixelPtr(0, 0));
    EXPECT_EQ((now >> 8) & 255, 9u);
}

}  // namespace
