// Tests of the project document: its exact file format, relative photo paths, undo, the reload
// rule for photo pixels, and the guards against files that would not read back.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unistd.h>

#include "app/core/ProjectionMap.h"
#include "tests/app/core/AppTestSupport.h"
#include "toolkit/core/Quor_FileStream.h"
#include "toolkit/core/Quor_MemStream.h"
#include "toolkit/core/Quor_Parallel.h"
#include "toolkit/math/Quor_Math.h"

namespace {

using namespace app_test;

constexpr float kPi = float(Quor_Math::kPi);
const std::string kHead = "application/x-vnd.quor_panomerdoc\n";

bool OpenText(PanomerDoc& doc, const std::string& text)
{
    Quor_MemStream stream;
    return stream.OpenRead(text.data(), static_cast<int>(text.size())) == 0 && doc.Open(&stream);
}

std::string SaveToMemory(PanomerDoc& doc)
{
    Quor_MemStream stream;
    EXPECT_EQ(stream.OpenWrite(0), 0);
    EXPECT_TRUE(doc.Save(&stream));
    return std::string(reinterpret_cast<const char*>(stream.RawData()), static_cast<size_t>(stream.FileSize()));
}

void SetPhotos(PanomerDoc& doc, const std::vector<std::string>& paths)
{
    doc.fNumPhotos = 0;
    for (const std::string& path : paths) {
        doc.fPhotoPath[doc.fNumPhotos] = path.c_str();
        doc.fBrightness[doc.fNumPhotos++] = 1.0f;
    }
}

uint32_t Pixel(const PanomerDoc& doc, int photo)
{
    return doc.fPhotoImage[photo].Image().Row32(0)[0];
}

// A change in number formatting, keyword order or path quoting makes files unreadable by other
// copies of the program (the saved bytes are fixed), and any field lost or changed on the way back
// through a file or a memory stream loses work.
TEST(PanomerDoc, SavedBytesAreExactAndEveryFieldRoundTrips)
{
    ScratchDir dir;
    std::filesystem::create_directories(dir.File("p"));
    PanomerDoc doc(35.0f);
    doc.fPath = dir.File("p/pano.qpm").c_str();
    SetPhotos(doc, {dir.File("p/a.jpg")});
    doc.fYaw[0] = 0.5f;
    ASSERT_TRUE(doc.Save());
    EXPECT_EQ(ReadFileBytes(dir.File("p/pano.qpm")),
              kHead + "version 1\nprojection_type 1\nfocal_length 35\ncrop 3.141593 -3.141593 1.570796 -1.570796\n"
                      "num_photos 1\n0.5 0 0 1 \"a.jpg\"\n");

    doc.fProjectionType = 0;
    doc.fFocalLength = 50.0f;
    const float crop[4] = {1.0f, -0.75f, 0.5f, -0.25f};
    std::copy(crop, crop + 4, doc.fCrop);
    SetPhotos(doc, {dir.File("p/photo 0.jpg"), dir.File("photo 1.jpg"), "/elsewhere/photo 2.jpg"});
    for (int i = 0; i < 3; i++) {
        doc.fYaw[i] = -1.25f + i;
        doc.fPitch[i] = 0.125f * i;
        doc.fRoll[i] = -0.0625f;
        doc.fBrightness[i] = 1.5f;
    }
    ASSERT_TRUE(doc.Save());
    for (bool file : {true, false}) {
        SCOPED_TRACE(file ? "file" : "memory");
        PanomerDoc copy(35.0f);
        copy.fPath = doc.fPath;
        ASSERT_TRUE(file ? copy.Open() : OpenText(copy, SaveToMemory(doc)));
        EXPECT_EQ(SaveToMemory(copy), SaveToMemory(doc));
    }

    // Six decimals put the sphere's edges a hair beyond it, and an export of the reopened project
    // then shows the canvas colour along its first column: the edges of every default crop come
    // back exact.
    for (int type = 0; type < 5; type++) {
        PanomerDoc defaults(35.0f);
        ASSERT_TRUE(PanomerDoc::DefaultCrop(type, defaults.fCrop));
        defaults.fProjectionType = type;
        PanomerDoc copy(35.0f);
        ASSERT_TRUE(OpenText(copy, SaveToMemory(defaults)));
        for (int i = 0; i < 4; i++) {
            const float edge = i < 2 ? ProjectionMap::kPi : ProjectionMap::kPi / 2;
            if (std::fabs(defaults.fCrop[i]) == edge)
                EXPECT_EQ(copy.fCrop[i], defaults.fCrop[i]) << "type " << type << " value " << i;
            else
                EXPECT_NEAR(copy.fCrop[i], defaults.fCrop[i], 1e-6f) << "type " << type << " value " << i;
        }
    }
}

// Photos in or below the document's folder must be stored by name so the folder can be moved; a
// sibling folder whose name starts like the document's ("doc" and "docs") must keep full paths;
// a document saved by a relative path (a shell start) must not strip the leading separator of
// absolute photo paths; and paths beyond any fixed buffer must neither be cut nor refused.
TEST(PanomerDoc, PhotoPathsAreRelativeOnlyInsideTheDocumentFolder)
{
    ScratchDir dir;
    std::string base = dir.Path();
    while (base.size() < dir.Path().size() + 1000)
        base += "/a-rather-long-folder-name-to-make-a-deep-path";
    std::filesystem::create_directories(base + "/doc/img");
    std::filesystem::create_directories(base + "/docs");
    const std::string sibling = base + "/docs/" + std::string(200, 'p') + ".jpg";
    const std::string inside = "img/" + std::string(180, 'n') + ".jpg";
    PanomerDoc doc;
    doc.fPath = (base + "/doc/x.qpm").c_str();
    SetPhotos(doc, {base + "/doc/" + inside, sibling});
    ASSERT_TRUE(doc.Save());
    const std::string text = ReadFileBytes(base + "/doc/x.qpm");
    EXPECT_NE(text.find("\"" + inside + "\""), std::string::npos) << text;
    EXPECT_NE(text.find("\"" + sibling + "\""), std::string::npos) << text;

    std::filesystem::rename(base + "/doc", base + "/moved");
    PanomerDoc moved;
    moved.fPath = (base + "/moved/x.qpm").c_str();
    ASSERT_TRUE(moved.Open());
    EXPECT_STREQ(moved.fPhotoPath[0], (base + "/moved/" + inside).c_str());
    EXPECT_STREQ(moved.fPhotoPath[1], sibling.c_str());

    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir((base + "/moved").c_str()), 0);
    moved.fPath = "x.qpm";
    const bool saved = moved.Save();
    ASSERT_EQ(chdir(previous), 0);
    ASSERT_TRUE(saved);
    PanomerDoc again;
    again.fPath = (base + "/moved/x.qpm").c_str();
    ASSERT_TRUE(again.Open());
    EXPECT_STREQ(again.fPhotoPath[0], (base + "/moved/" + inside).c_str());
    EXPECT_STREQ(again.fPhotoPath[1], sibling.c_str());
}

// Files that are not projects, are newer, or hold values this program cannot use must be refused
// rather than half-read into a document that draws or saves garbage; a huge finite value (a file
// may say 1e30) must be written as digits, never through an integer conversion, and read back.
TEST(PanomerDoc, RefusesForeignNewerAndDamagedFiles)
{
    ScratchDir dir;
    const struct {
        const char* what;
        std::string text;
    } bad[] = {
        {"empty", ""},
        {"another first line", "application/x-something-else\nversion 1\n"},
        {"first line with a suffix", "application/x-vnd.quor_panomerdoc2\nversion 1\n"},
        {"newer version", kHead + "version 2\n"},
        {"unreadable version", kHead + "version x\n"},
        {"projection type -1", kHead + "projection_type -1\n"},
        {"projection type 5", kHead + "projection_type 5\n"},
        {"nan focal length", kHead + "focal_length nan\n"},
        {"infinite focal length", kHead + "focal_length inf\n"},
        {"negative infinite crop", kHead + "crop 1 -inf 1 -1\n"},
        {"short crop", kHead + "crop 1 2 3\n"},
        {"nan yaw", kHead + "num_photos 1\nnan 0 0 1 \"a.jpg\"\n"},
        {"infinite brightness", kHead + "num_photos 1\n0 0 0 inf \"a.jpg\"\n"},
        {"missing path", kHead + "num_photos 1\n0 0 0 1\n"},
        {"unquoted path", kHead + "num_photos 1\n0 0 0 1 a.jpg\n"},
    };
    for (const auto& c : bad) {
        PanomerDoc doc;
        EXPECT_FALSE(OpenText(doc, c.text)) << c.what;
    }

    ASSERT_TRUE(WriteFileBytes(dir.File("huge.qpm"), kHead + "focal_length 1e30\n"));
    PanomerDoc huge, again;
    huge.fPath = dir.File("huge.qpm").c_str();
    ASSERT_TRUE(huge.Open());
    const std::string saved = SaveToMemory(huge);
    EXPECT_NE(saved.find("focal_length 1000000015047466219876688855040\n"), std::string::npos) << saved;
    ASSERT_TRUE(OpenText(again, saved));
    EXPECT_FLOAT_EQ(again.fFocalLength, 1e30f);
}

// A type must bring its default crop (also after a crop line), unknown keywords must be skipped,
// and 70 photo records must fill only the 64 slots, the surplus skipped without losing what follows.
TEST(PanomerDoc, ProjectionTypeSetsTheDefaultCropAndSurplusRecordsAreSkipped)
{
    PanomerDoc perspective;
    ASSERT_TRUE(OpenText(perspective, kHead + "projection_type 0\n"));
    for (int k = 0; k < 4; k++)
        EXPECT_FLOAT_EQ(perspective.fCrop[k], k % 2 ? -1.2217305f : 1.2217305f);

    PanomerDoc reset;
    ASSERT_TRUE(OpenText(reset, kHead + "crop 0.5 -0.5 0.25 -0.25 something_new 12 projection_type 3\n"));
    EXPECT_FLOAT_EQ(reset.fCrop[0], kPi / 2);
    EXPECT_FLOAT_EQ(reset.fCrop[3], -kPi / 2);

    std::string seventy = kHead + "num_photos 70\n";
    for (int i = 0; i < 70; i++)
        seventy += std::to_string(i) + " 0 0 1 \"/nowhere/p" + std::to_string(i) + ".jpg\"\n";
    PanomerDoc many;
    ASSERT_TRUE(OpenText(many, seventy + "focal_length 24\n"));
    EXPECT_EQ(many.fNumPhotos, 64);
    EXPECT_FLOAT_EQ(many.fYaw[63], 63.0f);
    EXPECT_STREQ(many.fPhotoPath[63], "/nowhere/p63.jpg");
    EXPECT_FLOAT_EQ(many.fFocalLength, 24.0f);
}

// A memory stream whose device fails part-way, as a file's does: from `breakAt` on the text goes
// on but no token comes out of it, and writes stop after `budget` bytes (a disk filling up).
class FailingStream : public Quor_MemStream {
public:
    FailingStream(int64_t breakAt, int budget) : fBreakAt(breakAt), fBudget(budget) {}
    bool ReadString(int maxLen, char* dst) override
    {
        return FilePos() < fBreakAt && Quor_MemStream::ReadString(maxLen, dst);
    }
    int WriteBytes(const void* data, int count) override
    {
        const int allowed = std::min(count, fBudget);
        fBudget -= allowed;
        return allowed > 0 ? Quor_MemStream::WriteBytes(data, allowed) : 0;
    }

private:
    int64_t fBreakAt;
    int fBudget;
};

// A read that stops on an error must never count as the end of the document: the keywords after
// it would be silently skipped and the half-read document opened (and saved over the whole one).
// A token too long for the stream's buffer must not stop the read either, whether the text comes
// from a file or from memory.
TEST(PanomerDoc, ReadingThatStopsOnAnErrorFails)
{
    const std::string text = kHead + "focal_length 24\nsome_newer_keyword " + std::string(300, 'x') +
                             "\nprojection_type 0\nfocal_length 50\n";
    const int64_t afterFirstLine = static_cast<int64_t>(kHead.size() + std::string("focal_length 24\n").size());
    FailingStream broken(afterFirstLine, 0);
    ASSERT_EQ(broken.OpenRead(text.data(), static_cast<int64_t>(text.size())), QUOR_OK);
    PanomerDoc halfRead;
    EXPECT_FALSE(halfRead.Open(&broken));

    ScratchDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.File("long.qpm"), text));
    for (bool file : {true, false}) {
        SCOPED_TRACE(file ? "file" : "memory");
        PanomerDoc doc;
        doc.fPath = dir.File("long.qpm").c_str();
        ASSERT_TRUE(file ? doc.Open() : OpenText(doc, text));
        EXPECT_EQ(doc.fProjectionType, 0);
        EXPECT_FLOAT_EQ(doc.fFocalLength, 50.0f);
    }
}

// A failed save must say so (an uncreatable file, a write error part-way, a path with a quote
// that would not read back) and must never cost the previous good copy or leave a temporary file.
TEST(PanomerDoc, FailedSavesReportFailureAndKeepThePreviousFile)
{
    ScratchDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.File("not-a-folder"), "x"));
    PanomerDoc doc;
    doc.fPath = dir.File("not-a-folder/pano.qpm").c_str();
    EXPECT_FALSE(doc.Save());

    SetPhotos(doc, {"/p/a.jpg", "/p/b.jpg"});
    const int full = static_cast<int>(SaveToMemory(doc).size());
    for (int budget : {0, 10, 60, full - 1}) {
        FailingStream stream(0, budget);
        ASSERT_EQ(stream.OpenWrite(0), 0);
        EXPECT_FALSE(doc.Save(&stream)) << "budget " << budget;
    }

    const std::string target = dir.File("pano.qpm");
    ASSERT_TRUE(WriteFileBytes(target, "previous contents\n"));
    doc.fPath = target.c_str();
    SetPhotos(doc, {dir.File("say \"cheese\".jpg")});
    EXPECT_FALSE(doc.Save());
    EXPECT_EQ(ReadFileBytes(target), "previous contents\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()), 2)
        << "a temporary file was left behind";
}

// Undo and Redo must walk back and forth (a redo brings back exactly what the undo took); a
// shorter state must not leave the old tail to be re-read (paths holding keyword-like words would
// set a stale crop); and a selection beyond the restored photo count must be cleared, or Delete
// would hit a photo that was never selected.
TEST(PanomerDoc, UndoAndRedoLeaveNothingStale)
{
    PanomerDoc doc;
    EXPECT_FALSE(doc.CanUndo());
    doc.Undo();
    doc.Redo();
    SetPhotos(doc, {"/nowhere/a.jpg"});
    doc.fYaw[0] = 0.25f;
    const std::string before = SaveToMemory(doc);
    doc.PrepUndo("Add Photo");
    SetPhotos(doc, {"/nowhere/b.jpg", "/nowhere/x crop 1 2 3 4 1.jpg", "/nowhere/x crop 1 2 3 4 2.jpg"});
    doc.fYaw[0] = 1.0f;
    doc.fCrop[0] = 2.0f;
    doc.fSelected = 2;
    doc.fPivot[0] = 0.5f;
    const std::string after = SaveToMemory(doc);
    ASSERT_TRUE(doc.CanUndo());
    EXPECT_STREQ(doc.UndoLabel(), "Add Photo");
    for (int round = 1; round <= 3; round++) {
        if (round == 2)
            doc.Redo();
        else
            doc.Undo();
        EXPECT_EQ(SaveToMemory(doc), round == 2 ? after : before) << "step " << round;
    }
    EXPECT_EQ(doc.fSelected, -1);
    EXPECT_GE(doc.fPivot[0], 100000.0f);
    EXPECT_FALSE(doc.CanUndo());
    EXPECT_STREQ(doc.RedoLabel(), "Add Photo");
}

// Catches a history that loses or mixes up steps over a long session, one that keeps a step for
// an action that changed nothing (a click without a drag would then need an extra Undo and
// would throw away what could be redone), and one that grows with the photos' pixels: 100 mixed
// steps on 64 photos are undone and redone state by state.
TEST(PanomerDoc, HundredStepsUndoAndRedoStateByState)
{
    PanomerDoc doc;
    std::vector<std::string> paths;
    for (int i = 0; i < kMaxPhotos; i++)
        paths.push_back("/nowhere/a rather long folder name/of photos/IMG_" + std::to_string(1000 + i) + ".jpg");
    SetPhotos(doc, paths);
    std::vector<std::string> states{SaveToMemory(doc)};
    std::vector<std::string> labels;
    uint32_t seed = 7;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (int step = 0; step < 100; step++) {
        const int photo = static_cast<int>(next() % static_cast<uint32_t>(doc.fNumPhotos));
        const char* label = nullptr;
        switch (next() % 5) {
        case 0:
            label = "Move";
            doc.PrepUndo(label);
            doc.fYaw[photo] = static_cast<float>(next() % 6000) / 1000.0f - 3.0f;
            doc.fPitch[photo] = static_cast<float>(next() % 3000) / 1000.0f - 1.5f;
            break;
        case 1:
            label = "Rotate";
            doc.PrepUndo(label);
            doc.fRoll[photo] += 0.125f;
            break;
        case 2:
            label = "Crop";
            doc.PrepUndo(label);
            doc.fCrop[next() % 4] *= 0.9f;
            break;
        case 3:
            label = "Delete";
            if (doc.fNumPhotos < 2)
                continue;
            doc.PrepUndo(label);
            for (int i = photo; i < doc.fNumPhotos - 1; i++) {
                doc.fPhotoPath[i] = doc.fPhotoPath[i + 1];
                doc.fYaw[i] = doc.fYaw[i + 1];
            }
            doc.fNumPhotos--;
            break;
        default:
            label = "Focal Length";
            doc.PrepUndo(label);
            doc.fFocalLength += 1.0f;
            break;
        }
        // A press that changes nothing in between must leave no step of its own.
        if (step % 7 == 0)
            doc.PrepUndo("Brightness");
        states.push_back(SaveToMemory(doc));
        labels.push_back(label);
    }
    EXPECT_LT(doc.History().Bytes(), size_t(10) << 20);
    std::printf("history of %d steps: %zu bytes\n", doc.History().CountUndo(), doc.History().Bytes());
    for (size_t i = labels.size(); i-- > 0;) {
        ASSERT_STREQ(doc.UndoLabel(), labels[i].c_str()) << "step " << i;
        doc.Undo();
        ASSERT_EQ(SaveToMemory(doc), states[i]) << "undo to state " << i;
    }
    EXPECT_FALSE(doc.CanUndo());
    for (size_t i = 0; i < labels.size(); i++) {
        // A click between redos changes nothing and must keep what is left to redo.
        doc.PrepUndo("Move");
        ASSERT_STREQ(doc.RedoLabel(), labels[i].c_str()) << "step " << i;
        doc.Redo();
        ASSERT_EQ(SaveToMemory(doc), states[i + 1]) << "redo to state " << i + 1;
    }
    EXPECT_FALSE(doc.CanRedo());
    // A new change after an undo starts a new branch: the undone step is gone.
    doc.Undo();
    doc.PrepUndo("Rotate");
    doc.fRoll[0] += 1.0f;
    EXPECT_FALSE(doc.CanRedo());
    EXPECT_STREQ(doc.UndoLabel(), "Rotate");
}

// Photos handed over by copying or loading them again double the wait for every photo when a
// project opens; settings the file leaves out must be those of the document it replaces (which
// the read leaves untouched), and that document's undo point must go with it.
TEST(PanomerDoc, AnotherDocumentIsReadOnTheSideAndTakenOverWhole)
{
    ScratchDir dir;
    MakePhoto(dir.File("a.png"), 20, 10, rgb_color{100, 200, 50, 255}, rgb_color{100, 200, 50, 255});
    ASSERT_TRUE(WriteFileBytes(dir.File("next.qpm"), kHead + "num_photos 1\n0.5 0 0 1 \"a.png\"\n"));
    PanomerDoc doc(50.0f);
    doc.fProjectionType = 0;
    PanomerDoc::DefaultCrop(0, doc.fCrop);
    SetPhotos(doc, {"/nowhere/x.png", "/nowhere/y.png"});
    doc.PrepUndo("Move");
    doc.fYaw[0] = 1.0f;
    const std::string before = SaveToMemory(doc);

    std::unique_ptr<PanomerDoc> opened = doc.ReadAnother(dir.File("next.qpm").c_str());
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(SaveToMemory(doc), before);
    EXPECT_EQ(opened->fProjectionType, 0);
    EXPECT_FLOAT_EQ(opened->fFocalLength, 50.0f);
    EXPECT_FLOAT_EQ(opened->fCrop[0], 1.2217305f);

    // With the file gone a second load would come back empty.
    std::filesystem::remove(dir.File("a.png"));
    const uint8_t* pixels = opened->fPhotoImage[0].Bits();
    ASSERT_NE(pixels, nullptr);
    doc.ReplaceWith(*opened);
    EXPECT_EQ(doc.fPhotoImage[0].Bits(), pixels) << "the pixels were copied or loaded again";
    EXPECT_EQ(doc.fNumPhotos, 1);
    EXPECT_FALSE(doc.CanUndo());
}

// Photo pixels: a missing file leaves an invalid slot without failing the open; brightness 1.5 is
// baked in and clamped; undo reloads only what changed (a move nothing, a brightness change that
// photo), and a changed path with the same count and brightness must not keep the old pixels.
TEST(PanomerDoc, PhotoPixelsFollowTheReloadRule)
{
    ScratchDir dir;
    MakePhoto(dir.File("a.png"), 20, 10, rgb_color{100, 200, 50, 255}, rgb_color{100, 200, 50, 255});
    MakePhoto(dir.File("b.png"), 20, 10, rgb_color{10, 20, 30, 255}, rgb_color{10, 20, 30, 255});
    MakePhoto(dir.File("c.png"), 20, 10, rgb_color{8, 8, 8, 255}, rgb_color{8, 8, 8, 255});
    PanomerDoc doc;
    doc.fPath = dir.File("pano.qpm").c_str();
    SetPhotos(doc, {dir.File("a.png"), dir.File("b.png"), dir.File("missing.png")});
    doc.fBrightness[0] = 1.5f;
    ASSERT_TRUE(doc.Save());
    PanomerDoc opened;
    opened.fPath = doc.fPath;
    ASSERT_TRUE(opened.Open());
    ASSERT_TRUE(opened.fPhotoImage[0].IsValid());
    ASSERT_TRUE(opened.fPhotoImage[1].IsValid());
    EXPECT_EQ(opened.fPhotoImage[2].Width(), -1);
    // 100 -> 150, 200 -> 255 (clamped), 50 -> 75; alpha untouched.
    EXPECT_EQ(Pixel(opened, 0), Quor_PixelConvert::Pack(150, 255, 75, 255));
    EXPECT_EQ(Pixel(opened, 1), Quor_PixelConvert::Pack(10, 20, 30, 255));

    // With the files gone, a reload shows up as an invalid image.
    std::filesystem::remove(dir.File("a.png"));
    std::filesystem::remove(dir.File("b.png"));
    opened.PrepUndo("Move");
    opened.fYaw[0] = 1.0f;
    opened.Undo();
    EXPECT_TRUE(opened.fPhotoImage[0].IsValid()) << "a move must not reload photos";
    EXPECT_TRUE(opened.fPhotoImage[1].IsValid());
    opened.PrepUndo("Brightness");
    opened.fBrightness[1] = 2.0f;
    opened.Undo();
    EXPECT_TRUE(opened.fPhotoImage[0].IsValid());
    EXPECT_FALSE(opened.fPhotoImage[1].IsValid()) << "the brightened photo must be reloaded";

    std::string text = SaveToMemory(opened);
    text.replace(text.find("a.png"), 5, "c.png");
    ASSERT_TRUE(OpenText(opened, text));
    EXPECT_EQ(Pixel(opened, 0), Quor_PixelConvert::Pack(12, 12, 12, 255)) << "the slot must show the other photo";
}

// Catches an open that decodes the previews on several threads into the wrong slots, races on
// shared state, or loses a failure: whatever the thread count, a project of many photos with a
// missing and a damaged one among them opens to the previews and load results that loading each
// photo alone gives.
TEST(PanomerDoc, OpeningOnManyThreadsGivesTheSamePreviews)
{
    ScratchDir dir;
    PanomerDoc doc;
    doc.fPath = dir.File("pano.qpm").c_str();
    constexpr int kCount = 14;
    for (int i = 0; i < kCount; i++) {
        // JPEGs large enough for a reduced decode, PNGs reduced after a full one.
        const std::string path = dir.File("photo" + std::to_string(i) + (i % 2 == 0 ? ".jpg" : ".png"));
        if (i == 5)
            ASSERT_TRUE(WriteFileBytes(path, "not an image"));
        else if (i != 9)
            MakePhoto(path, i % 2 == 0 ? 1400 : 700, 500, rgb_color{uint8_t(i * 17), 90, 200, 255},
                rgb_color{30, uint8_t(255 - i * 9), 60, 255});
        AddPhoto(&doc, path, 0.25f * i);
        doc.fBrightness[i] = i % 3 == 0 ? 1.3f : 1.0f;
        doc.UpdatePhoto(i, kPreviewSize);
    }
    ASSERT_NE(doc.fLoadResult[5], QUOR_OK);
    ASSERT_NE(doc.fLoadResult[9], QUOR_OK);
    ASSERT_TRUE(doc.Save());
    for (int threads : {1, 2, 8}) {
        SCOPED_TRACE(threads);
        Quor_Parallel::SetThreads(threads);
        PanomerDoc opened;
        opened.fPath = doc.fPath;
        ASSERT_TRUE(opened.Open());
        ASSERT_EQ(opened.fNumPhotos, kCount);
        for (int i = 0; i < kCount; i++) {
            SCOPED_TRACE(i);
            EXPECT_EQ(opened.fPhotoPath[i], doc.fPhotoPath[i]);
            EXPECT_EQ(opened.fYaw[i], doc.fYaw[i]);
            EXPECT_EQ(opened.fLoadResult[i], doc.fLoadResult[i]);
            EXPECT_EQ(opened.fPhotoImage[i].IsValid(), doc.fPhotoImage[i].IsValid());
            EXPECT_TRUE(!doc.fPhotoImage[i].IsValid() || SamePixels(opened.fPhotoImage[i], doc.fPhotoImage[i]));
        }
    }
    Quor_Parallel::SetThreads(0);
}

}  // namespace
