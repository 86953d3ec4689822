// The main window as a user works with it: starting on a file, making a panorama from dropped
// photos, the prompts that guard unsaved work, failed saves, undo, the guides, and how the
// window looks with the bundled example.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include <unistd.h>

#include <filesystem>

#include "app/core/PhotoAlign.h"
#include "app/ui/AlignProgress.h"
#include "app/ui/OpenProgress.h"
#include "app/ui/PanomerCodes.h"
#include "tests/app/ui/EditorTestSupport.h"
#include "tests/app/ui/ExportTestSupport.h"
#include "tests/support/GoldenImage.h"
#include "toolkit/core/Quor_MemStream.h"
#include "toolkit/core/Quor_Thread.h"
#include "toolkit/widgets/Quor_ProgressBar.h"
#include "toolkit/widgets/Quor_TextControl.h"
#include "toolkit/widgets/Quor_ToolBar.h"

namespace {

using editor_test::EditorTest;
using editor_test::kDelete;
using editor_test::kEscape;
using editor_test::kReturn;
using quor_test::kBlue;
using quor_test::kRed;

class PanomerWndTest : public EditorTest {
protected:
    // A project of n photos (64 x 48 JPEGs next to it) in the folder `sub` of the scratch folder.
    std::string MakeProject(int n, const std::string& name = "pano.qpm", const std::string& sub = "")
    {
        const std::string folder = sub.empty() ? fDir.Path() : fDir.File(sub);
        std::filesystem::create_directories(folder);
        std::vector<std::string> photos;
        for (int i = 0; i < n; ++i) {
            photos.push_back(std::string("p").append(std::to_string(i)).append(".jpg"));
            app_test::MakePhoto(folder + "/" + photos.back(), 64, 48, kRed, kBlue);
        }
        editor_test::WriteProject(folder + "/" + name, photos);
        return folder + "/" + name;
    }
    std::string MakePhoto(const std::string& name)
    {
        app_test::MakePhoto(fDir.File(name), 64, 48, kBlue, kRed);
        return fDir.File(name);
    }
    // Moves photo 0 with the move tool, as an edit the document must remember.
    void Edit()
    {
        Key('m');
        const Quor_Point from = CanvasPoint(Doc().fYaw[0], Doc().fPitch[0]);
        Drag(from, Quor_Point(from.x + 20, from.y + 10));
        ASSERT_TRUE(Doc().fModified);
    }
    // A document without a file holding one photo.
    void StartUntitledWithAPhoto()
    {
        Start();
        DropFile(MakePhoto("new.jpg"), InWindow(List(), Quor_Point(50, 50)));
        DragToCanvas(0, Quor_Point(100, 100));
        ASSERT_EQ(Doc().fNumPhotos, 1);
    }
    bool QuitAsked() const { return Quor_EventLoop::QuitRequested(); }
    // The bundled Earth example, copied to the scratch folder.
    void StartOnEarth()
    {
        for (const auto& entry : std::filesystem::directory_iterator(quor_test::SourcePath("examples/earth")))
            std::filesystem::copy(entry.path(), fDir.File(entry.path().filename().string()));
        Start(fDir.File("earth.qpm"));
    }
};

// Catches a start-up file that is not opened, a JPEG given at start treated as a project, a
// relative start-up path kept relative (the photo links would break once saved), and a broken
// project that leaves a half-read document instead of an empty one with the reason.
TEST_F(PanomerWndTest, StartsOnTheFileItIsGiven)
{
    const std::string project = MakeProject(3, "pano.qpm", "trip");
    const std::string jpeg = MakePhoto("single.jpg");
    const std::string broken = fDir.File("broken.qpm");
    ASSERT_TRUE(quor_test::WriteFileBytes(broken, std::string(PanomerDoc::kMimeType) + "\nversion 2\n"));
    struct Case {
        std::string path;
        bool fromFolder;   // given relative to the scratch folder
        int photos;
        int listed;
        bool alert;
    };
    const Case cases[] = {
        {project, false, 3, 0, false},
        {"trip/pano.qpm", true, 3, 0, false},
        {jpeg, false, 0, 1, false},
        {broken, false, 0, 0, true},
    };
    const std::string home = std::filesystem::current_path();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        fAlerts.clear();
        if (c.alert)
            Answer({kReturn});
        ASSERT_EQ(chdir(c.fromFolder ? fDir.Path().c_str() : home.c_str()), 0);
        Start(c.path);
        ASSERT_EQ(chdir(home.c_str()), 0);
        EXPECT_EQ(Doc().fNumPhotos, c.photos);
        EXPECT_EQ(List()->CountPhotos(), c.listed);
        EXPECT_FALSE(Doc().fModified);
        EXPECT_EQ(fAlerts.size(), c.alert ? 1u : 0u);
        if (c.photos > 0) {
            EXPECT_EQ(std::string(Doc().fPath.Buffer()), project);
            EXPECT_TRUE(Doc().fPhotoImage[2].IsValid());
            EXPECT_EQ(std::string(Wnd()->Title().Buffer()), "pano.qpm - Quor Panomer");
        }
        if (c.alert) {
            EXPECT_NE(fAlerts[0].find("Could not open document."), std::string::npos);
        }
        fApp.reset();
    }
}

// Catches any break on the road from dropped files to a saved project: photos that do not reach
// the list or the canvas, a drop that does not switch to the move tool, a move that does not
// change the document, a save that does not write what is shown or leaves the name
// without its extension, a reopened project that differs from the one saved, and an open
// dialog that does not start in the open project's folder.
TEST_F(PanomerWndTest, APanoramaFromDroppedPhotosSurvivesSavingAndOpening)
{
    Start();
    DropFile(MakePhoto("a.jpg"), InWindow(List(), Quor_Point(50, 50)));
    DropFile(MakePhoto("b.jpg"), InWindow(Canvas(), Quor_Point(50, 50)));
    DropFile(fDir.File("b.qpm"), InWindow(Canvas(), Quor_Point(50, 50)));
    ASSERT_EQ(List()->CountPhotos(), 2);

    DragToCanvas(0, Quor_Point(200, 150));
    DragToCanvas(1, Quor_Point(330, 150));
    ASSERT_EQ(Doc().fNumPhotos, 2);
    EXPECT_EQ(Doc().fYaw[0], 0.0f) << "the first photo goes to the centre";
    // East lies to the right.
    EXPECT_LT(Doc().fYaw[1], -0.2f);
    EXPECT_EQ(Canvas()->Tool(), kToolMove);
    EXPECT_TRUE(Layer()->ToolsToolBar()->IsButtonSet(kToolMove));

    const float yaw = Doc().fYaw[1];
    const Quor_Point from = CanvasPoint(Doc().fYaw[1], Doc().fPitch[1]);
    Drag(from, Quor_Point(from.x + 40, from.y));
    const float moved = Doc().fYaw[1];
    EXPECT_LT(moved, yaw - 0.05f);
    EXPECT_EQ(std::string(Wnd()->Title().Buffer()), "*Untitled - Quor Panomer");

    Choose({fDir.File("pano")});
    Key('s', QUOR_HOST_CTRL);
    ASSERT_EQ(fDialogs, std::vector<std::string>{"save Save As Untitled.qpm"});
    EXPECT_EQ(std::string(Doc().fPath.Buffer()), fDir.File("pano.qpm"));
    EXPECT_FALSE(Doc().fModified);
    EXPECT_EQ(std::string(Wnd()->Title().Buffer()), "pano.qpm - Quor Panomer");
    // The title marks unsaved changes again with the next edit, as other editors do.
    Edit();
    EXPECT_EQ(std::string(Wnd()->Title().Buffer()), "*pano.qpm - Quor Panomer");
    Key('s', QUOR_HOST_CTRL);
    EXPECT_EQ(std::string(Wnd()->Title().Buffer()), "pano.qpm - Quor Panomer");

    ChooseMenu(kCmdNew);
    EXPECT_EQ(Doc().fNumPhotos, 0);
    EXPECT_EQ(List()->CountPhotos(), 0);
    EXPECT_FALSE(MenuEnabled(kCmdUndo));
    Choose({fDir.File("pano.qpm")});
    ChooseMenu(kCmdOpen);
    ASSERT_EQ(Doc().fNumPhotos, 2);
    EXPECT_NEAR(Doc().fYaw[1], moved, 1e-5f);
    EXPECT_FALSE(Doc().fModified);
    EXPECT_TRUE(Doc().fPhotoImage[1].IsValid());
    // With a project open, the open dialog starts in its folder.
    Choose({""});
    ChooseMenu(kCmdOpen);
    EXPECT_EQ(fDialogs.back(), "open Open " + fDir.Path());
}

// Catches a prompt answer that does the wrong thing: "No" that marks a document clean which
// then stays (the next quit would lose it), "Yes" that quits before the save is done, "Cancel"
// that goes on, and a close box or a desktop quit that skips the prompt.
TEST_F(PanomerWndTest, EveryPromptAnswerKeepsOrDropsTheWorkAsAsked)
{
    enum Command { kNew, kOpen, kQuit, kClose, kDesktopQuit };
    struct Case {
        const char* name;
        Command command;
        bool untitled;
        int answer;
        std::vector<std::string> dialogs;   // file dialog choices ("" cancels)
        bool modified;                      // afterwards
        int photos;                         // afterwards
        bool quit;
    };
    const std::string other = MakeProject(2, "other.qpm");
    const std::string jpeg = MakePhoto("loose.jpg");
    const Case cases[] = {
        {"new, no", kNew, false, 'n', {}, false, 0, false},
        {"new, cancel", kNew, false, 'c', {}, true, 1, false},
        {"new, yes", kNew, false, 'y', {}, false, 0, false},
        {"open, no, dialog cancelled", kOpen, false, 'n', {""}, true, 1, false},
        {"open, no, a photo chosen", kOpen, false, 'n', {jpeg}, true, 1, false},
        {"open, no, a project chosen", kOpen, false, 'n', {other}, false, 2, false},
        {"open, cancel", kOpen, false, kEscape, {}, true, 1, false},
        {"quit, yes, untitled", kQuit, true, 'y', {""}, true, 1, false},
        {"quit, yes", kQuit, false, 'y', {}, false, 1, false},
        {"quit, no", kQuit, false, 'n', {}, true, 1, true},
        {"quit, cancel", kQuit, false, 'c', {}, true, 1, false},
        {"close box, cancel", kClose, false, 'c', {}, true, 1, false},
        {"close box, yes", kClose, false, 'y', {}, false, 1, false},
        {"close box, no", kClose, false, 'n', {}, true, 1, true},
        {"desktop quit, cancel", kDesktopQuit, false, 'c', {}, true, 1, false},
        {"desktop quit, no", kDesktopQuit, false, 'n', {}, true, 1, true},
    };
    const std::string project = MakeProject(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fAlerts.clear();
        fDialogs.clear();
        Quor_EventLoop::ClearQuit();
        if (c.untitled) {
            StartUntitledWithAPhoto();
        } else {
            Start(project);
            Edit();
        }
        for (const std::string& d : c.dialogs)
            Choose({d});
        Answer({c.answer});
        switch (c.command) {
        case kNew: ChooseMenu(kCmdNew); break;
        case kOpen: ChooseMenu(kCmdOpen); break;
        case kQuit: ChooseMenu(QUOR_MSG_QUIT); break;
        case kClose: fHost.PushClose(HostId()); Pump(); break;
        case kDesktopQuit: fHost.PushQuit(); Pump(); break;
        }
        ASSERT_EQ(fAlerts.size(), 1u);
        EXPECT_NE(fAlerts[0].find("Save changes?"), std::string::npos);
        EXPECT_EQ(QuitAsked(), c.quit);
        EXPECT_EQ(Wnd() == nullptr, c.command == kClose && c.quit);
        if (Wnd() != nullptr) {
            EXPECT_EQ(Doc().fModified, c.modified);
            EXPECT_EQ(Doc().fNumPhotos, c.photos);
        }
        if (c.untitled) {
            EXPECT_EQ(fDialogs, std::vector<std::string>{"save Save As Untitled.qpm"});
        }
        fApp.reset();
    }
    Quor_EventLoop::ClearQuit();
}

// Catches a failed save reported as success: the modified flag cleared (the work would then be
// lost without a further prompt), no alert naming the file, prompts that go on after the save
// failed, and a Save As whose failure still moves the document to the bad name.
TEST_F(PanomerWndTest, AFailedSaveSaysSoAndKeepsTheWork)
{
    const std::string project = MakeProject(1, "pano.qpm", "card");
    Start(project);
    Edit();
    // The memory card is gone: a plain file stands where its folder was.
    std::filesystem::remove_all(fDir.File("card"));
    ASSERT_TRUE(quor_test::WriteFileBytes(fDir.File("card"), "x"));

    Answer({kReturn});
    Key('s', QUOR_HOST_CTRL);
    ASSERT_EQ(fAlerts.size(), 1u);
    EXPECT_NE(fAlerts[0].find("Could not save document."), std::string::npos);
    EXPECT_NE(fAlerts[0].find(project), std::string::npos);
    EXPECT_TRUE(Doc().fModified);

    // "Yes" at each prompt tries to save, fails, and the command stops there (Open shows no
    // file dialog).
    Answer({'y', kReturn, 'y', kReturn, 'y', kReturn});
    ChooseMenu(kCmdNew);
    EXPECT_EQ(Doc().fNumPhotos, 1);
    ChooseMenu(kCmdOpen);
    EXPECT_TRUE(fDialogs.empty());
    ChooseMenu(QUOR_MSG_QUIT);
    EXPECT_FALSE(QuitAsked());
    EXPECT_EQ(fAlerts.size(), 7u);

    Choose({fDir.File("card/elsewhere.qpm")});
    Answer({kReturn});
    ChooseMenu(kCmdSaveAs);
    EXPECT_EQ(std::string(Doc().fPath.Buffer()), project);
    EXPECT_TRUE(Doc().fModified);
    EXPECT_EQ(fAlerts.size(), 8u);
}

// Catches an Open that throws the open document away before it knows the new one reads (a file
// that is not a project left the window "Untitled" and empty: photos, undo point, selection,
// pivot, view and projection gone), and a good open that keeps any of these from the old one.
TEST_F(PanomerWndTest, OpenReplacesTheDocumentOnlyWhenTheFileReads)
{
    const std::string other = MakeProject(3, "other.qpm", "elsewhere");
    ASSERT_TRUE(quor_test::WriteFileBytes(fDir.File("junk.qpm"), "not a project\n"));
    Start(MakeProject(2));
    ChooseProjection(kCmdPerspective);
    Edit();
    Key('r');
    Mouse(Quor_HostEvent::kMouseDown, CanvasPoint(0.1f, 0.1f), QUOR_HOST_CTRL);
    Mouse(Quor_HostEvent::kMouseUp, CanvasPoint(0.1f, 0.1f), QUOR_HOST_CTRL);
    Canvas()->CanvasProjection().SetZoom(2.0f);
    DropFile(MakePhoto("loose.jpg"), InWindow(List(), Quor_Point(50, 50)));
    ASSERT_LT(Doc().fPivot[0], 100000.0f);
    struct State {
        int photos, selected, type, listed;
        bool pivot, undo, modified;
        float zoom;
        std::string title;
        bool operator==(const State&) const = default;
    };
    auto state = [this] {
        return State{Doc().fNumPhotos, Doc().fSelected, Doc().fProjectionType, List()->CountPhotos(),
                     Doc().fPivot[0] < 100000.0f, Doc().CanUndo(), Doc().fModified,
                     Canvas()->CanvasProjection().Zoom(), Wnd()->Title().Buffer()};
    };
    const State before = state();

    Answer({'n', kReturn});
    Choose({fDir.File("junk.qpm")});
    ChooseMenu(kCmdOpen);
    ASSERT_EQ(fAlerts.size(), 2u);
    EXPECT_NE(fAlerts[1].find("Could not open document."), std::string::npos);
    EXPECT_TRUE(state() == before) << "a failed open changed the open document";
    EXPECT_EQ(Canvas()->CanvasProjection().ProjectionType(), PanomerDoc::kPerspective);

    Answer({'n'});
    Choose({other});
    ChooseMenu(kCmdOpen);
    const State after = state();
    EXPECT_TRUE(after == (State{3, -1, PanomerDoc::kHorizontalSpherical, 0, false, false, false, 0.9f,
                                "other.qpm - Quor Panomer"}));
    EXPECT_EQ(Canvas()->CanvasProjection().ProjectionType(), PanomerDoc::kHorizontalSpherical);
}

// Catches a project whose photos cannot be loaded opening in silence (the canvas shows only
// markers), an alert that comes before the window is up, one alert per photo, reasons left out,
// and photos that cannot be loaded dropped from the document (the next save would lose them);
// then Locate... pointing photos whose files are there elsewhere, missing the ones one level
// down, loading the found ones without marking the project changed (their new places would be
// lost), and a second look in a folder without them that does not say so.
TEST_F(PanomerWndTest, OpeningAProjectWithMissingPhotosSaysWhichAndWhyAndFindsThemAgain)
{
    std::vector<std::string> photos;
    for (int i = 0; i < 7; ++i)
        photos.push_back("p" + std::to_string(i) + ".jpg");
    MakePhoto("p0.jpg");
    MakePhoto("p6.jpg");
    ASSERT_TRUE(quor_test::WriteFileBytes(fDir.File("p5.jpg"), "not a picture"));
    const std::string project = fDir.File("pano.qpm");
    editor_test::WriteProject(project, photos);

    Answer({kEscape});
    fApp = std::make_unique<PanomerApp>();
    fApp->ReadyToRun(project.c_str());
    EXPECT_TRUE(fAlerts.empty()) << "the alert came before the window was up";
    Pump();
    ASSERT_EQ(fAlerts.size(), 1u);
    EXPECT_EQ(fAlerts[0], "5 photos could not be loaded: p1.jpg, p2.jpg, p3.jpg and 2 more.\n"
                          "Reasons: 4 not found, 1 not an image this program can read.\n"
                          "The project keeps them. Locate... finds them by name in a folder you choose.");
    EXPECT_EQ(Doc().fNumPhotos, 7);
    Wnd()->SendMessage(kCmdSave);
    EXPECT_NE(quor_test::ReadFileBytes(project).find("\"p4.jpg\""), std::string::npos);

    // p1 and p2 moved to a folder, p3 one level into it, p4 two levels; p5 (there, but no
    // picture) and p0 (there) are never pointed elsewhere.
    std::filesystem::create_directories(fDir.File("moved/a/b"));
    MakePhoto("moved/p1.jpg");
    MakePhoto("moved/p2.jpg");
    MakePhoto("moved/a/p3.jpg");
    MakePhoto("moved/a/b/p4.jpg");
    MakePhoto("moved/p0.jpg");
    MakePhoto("moved/p5.jpg");
    std::filesystem::create_directories(fDir.File("elsewhere"));
    MakePhoto("elsewhere/x.jpg");
    fAlerts.clear();
    Wnd()->SendMessage(kCmdLocatePhotos);  // without a file: nothing
    Pump();
    EXPECT_TRUE(fAlerts.empty());
    // Opened again; Locate... in the folder, then in another folder, then OK.
    Answer({kReturn});
    Answer({kReturn});
    Answer({kEscape});
    Choose({project, fDir.File("moved/p1.jpg"), fDir.File("elsewhere/x.jpg")});
    UseChosenFiles();
    ChooseMenu(kCmdOpen);
    Pump();
    ASSERT_EQ(fAlerts.size(), 3u);
    EXPECT_EQ(fAlerts[1], "2 photos could not be loaded: p4.jpg, p5.jpg.\n"
                          "Reasons: 1 not found, 1 not an image this program can read.\n"
                          "3 photos were found and loaded.");
    EXPECT_EQ(fAlerts[2], "2 photos could not be loaded: p4.jpg, p5.jpg.\n"
                          "Reasons: 1 not found, 1 not an image this program can read.\n"
                          "None of them is in elsewhere or the folders just inside it.");
    EXPECT_EQ(std::string(Doc().fPhotoPath[0].Buffer()), fDir.File("p0.jpg"));
    EXPECT_EQ(std::string(Doc().fPhotoPath[3].Buffer()), fDir.File("moved/a/p3.jpg"));
    EXPECT_EQ(std::string(Doc().fPhotoPath[5].Buffer()), fDir.File("p5.jpg"));
    for (int i : {1, 2, 3})
        EXPECT_TRUE(Doc().fPhotoImage[i].IsValid()) << "photo " << i;
    EXPECT_TRUE(Doc().fModified);
}

// Catches Save As that saves a name typed without ".qpm" as it stands (or asks about replacing
// the name typed instead of the final one), and Save As that picks one of the panorama's own
// photos, asks "Replace?" and turns the photo into project text.
TEST_F(PanomerWndTest, SaveAsAddsTheExtensionAndRefusesThePanoramasPhotos)
{
    StartUntitledWithAPhoto();
    const std::string photo = Doc().fPhotoPath[0].Buffer();
    const std::string photoBytes = quor_test::ReadFileBytes(photo);
    ASSERT_TRUE(quor_test::WriteFileBytes(fDir.File("keep.qpm"), "precious"));

    // The photo's own name gets ".qpm" and leaves the photo alone; a link to the photo that
    // already ends in ".qpm" is refused and the dialog stays for a name; then "keep" becomes
    // keep.qpm, whose replacement the dialog asks about.
    const std::string alias = fDir.File("alias.qpm");
    ASSERT_EQ(symlink(photo.c_str(), alias.c_str()), 0);
    Choose({photo});
    ChooseMenu(kCmdSaveAs);
    EXPECT_EQ(fExtensions, ".qpm");
    EXPECT_EQ(std::string(Doc().fPath.Buffer()), photo + ".qpm");
    Edit();
    Choose({alias, fDir.File("keep")});
    Answer({kReturn});
    ChooseMenu(kCmdSaveAs);
    ASSERT_EQ(fAlerts.size(), 1u);
    EXPECT_EQ(fAlerts[0].substr(0, fAlerts[0].find('\n')), "The project cannot be saved over that file.");
    EXPECT_EQ(quor_test::ReadFileBytes(photo), photoBytes);
    EXPECT_EQ(fReplacePrompts, std::vector<std::string>{fDir.File("keep.qpm")});
    EXPECT_EQ(std::string(Doc().fPath.Buffer()), fDir.File("keep.qpm"));
    EXPECT_EQ(quor_test::ReadFileBytes(fDir.File("keep.qpm")).rfind(PanomerDoc::kMimeType, 0), 0u);
    EXPECT_FALSE(Doc().fModified);

    // A path that reaches the window without the dialog is held to the same rule.
    Edit();
    Answer({kReturn});
    Quor_Message reply(kCmdSaveAs);
    reply.Set("path", photo.c_str());
    Wnd()->SendMessage(&reply);
    EXPECT_EQ(quor_test::ReadFileBytes(photo), photoBytes);
    EXPECT_EQ(std::string(Doc().fPath.Buffer()), fDir.File("keep.qpm"));
    EXPECT_TRUE(Doc().fModified);
    EXPECT_EQ(fAlerts.size(), 2u);
}

// Catches an undo that leaves the document looking clean (quit would not ask), the canvas and
// the pop-up in a projection the document no longer has, a selection left on a photo the undo
// took away (Delete would then remove another one), and Undo disabled after the last photo was
// deleted.
TEST_F(PanomerWndTest, UndoBringsBackWhatTheDocumentShows)
{
    Start(MakeProject(2));
    Edit();
    Key('s', QUOR_HOST_CTRL);
    EXPECT_TRUE(MenuEnabled(kCmdUndo)) << "saving must keep the history";
    ChooseProjection(kCmdPerspective);
    ASSERT_EQ(Doc().fProjectionType, PanomerDoc::kPerspective);
    Layer()->FocalText()->SetValue("50");
    Click(InWindow(Layer()->FocalText(), Quor_Point(90, 5)));
    ASSERT_EQ(Doc().fFocalLength, 50.0f);

    // Each change is its own step, named in the menu; a redo applies the projection again too.
    EXPECT_EQ(MenuLabel(kCmdUndo), "Undo Focal Length");
    ChooseMenu(kCmdUndo);
    EXPECT_EQ(Layer()->FocalText()->FloatValue(), 35.0f);
    EXPECT_EQ(MenuLabel(kCmdUndo), "Undo Projection");
    EXPECT_EQ(MenuLabel(kCmdRedo), "Redo Focal Length");
    ChooseMenu(kCmdUndo);
    ChooseMenu(kCmdRedo);
    EXPECT_EQ(Canvas()->CanvasProjection().ProjectionType(), PanomerDoc::kPerspective);
    EXPECT_TRUE(Layer()->ProjectionPopup()->Menu()->IsChecked(kCmdPerspective));
    EXPECT_TRUE(Doc().fModified);
    ChooseMenu(kCmdUndo);
    EXPECT_FALSE(Doc().fModified) << "undone back to the saved file, nothing is left to save";
    EXPECT_EQ(Doc().fProjectionType, PanomerDoc::kHorizontalSpherical);
    EXPECT_EQ(Canvas()->CanvasProjection().ProjectionType(), PanomerDoc::kHorizontalSpherical);
    EXPECT_TRUE(Layer()->ProjectionPopup()->Menu()->IsChecked(kCmdHorizontalSpherical));
    EXPECT_FALSE(Layer()->ProjectionPopup()->Menu()->IsChecked(kCmdPerspective));
    EXPECT_EQ(Layer()->FocalText()->FloatValue(), 35.0f);

    // A photo dropped and undone leaves nothing selected.
    DropFile(MakePhoto("c.jpg"), InWindow(List(), Quor_Point(50, 50)));
    DragToCanvas(0, Quor_Point(50, 50));
    ASSERT_EQ(Doc().fNumPhotos, 3);
    ChooseMenu(kCmdUndo);
    ASSERT_EQ(Doc().fNumPhotos, 2);
    EXPECT_EQ(Doc().fSelected, -1);
    Key(kDelete);
    EXPECT_EQ(Doc().fNumPhotos, 2);

    // The last photo deleted can be brought back. (The drop undone left the saved file's state:
    // New asks nothing.)
    EXPECT_FALSE(Doc().fModified);
    ChooseMenu(kCmdNew);
    DropFile(MakePhoto("d.jpg"), InWindow(List(), Quor_Point(50, 50)));
    DragToCanvas(0, Quor_Point(50, 50));
    ASSERT_EQ(Doc().fNumPhotos, 1);
    Key(kDelete);
    ASSERT_EQ(Doc().fNumPhotos, 0);
    EXPECT_TRUE(MenuEnabled(kCmdUndo));
    ChooseMenu(kCmdUndo);
    EXPECT_EQ(Doc().fNumPhotos, 1);
}

// Catches a guide that toggles without its check mark or without redrawing the canvas at once.
TEST_F(PanomerWndTest, GuidesToggleWithTheirMarksAndRedrawAtOnce)
{
    Start(MakeProject(3));
    Key('s');
    const Quor_Point top = CanvasPoint(Doc().fYaw[2], 0.0f);
    Click(top);
    ASSERT_EQ(Doc().fSelected, 2);
    // A few pixels across the horizon beside the photo's centre marker.
    auto shown = [&] {
        std::vector<uint32_t> column;
        for (int dy = -2; dy <= 2; ++dy)
            column.push_back(quor_test::Px(fHost.PixelAt(HostId(), top.x + 12, top.y + dy + Strip())));
        return column;
    };
    const std::pair<int, bool*> guides[] = {{kCmdDifferenceMode, &gDifferenceMode},
                                            {kCmdCenterline, &gHorizonGuide},
                                            {kCmdCrosshairs, &gCrosshairGuide},
                                            {kCmdSnap, &gSnapMode}};
    for (const auto& [code, setting] : guides) {
        SCOPED_TRACE(code);
        const std::vector<uint32_t> before = shown();
        ChooseMenu(code);
        EXPECT_TRUE(*setting && MenuChecked(code));
        // The pixel lies on the centre line and where the selected photo overlaps the others.
        EXPECT_EQ(shown() != before, code == kCmdDifferenceMode || code == kCmdCenterline);
        ChooseMenu(code);
        EXPECT_FALSE(*setting || MenuChecked(code));
    }
}

// Catches a Help command that does nothing visible when the page is missing, or that hands the
// desktop another file than the program's own page.
TEST_F(PanomerWndTest, HelpOpensTheProgramsPageOrSaysItIsMissing)
{
    Quor_App::SetAppDir(fDir.Path().c_str());
    Start();
    Answer({kReturn});
    ChooseMenu(kCmdHelp);
    ASSERT_EQ(fAlerts.size(), 1u);
    EXPECT_NE(fAlerts[0].find(fDir.File("help.html")), std::string::npos);
    ASSERT_TRUE(quor_test::WriteFileBytes(fDir.File("help.html"), "<html></html>"));
    ChooseMenu(kCmdHelp);
    EXPECT_EQ(fHost.Launched(), std::vector<std::string>{fDir.File("help.html")});
    Quor_App::SetAppDir(nullptr);
}

// Catches a close, quit or window resize that reaches the document while a modal window (an
// export's progress window) runs over the main window.
TEST_F(PanomerWndTest, NothingReachesTheDocumentWhileAModalWindowRuns)
{
    Start(MakeProject(1));
    Edit();
    bool closeRefused = false;
    Answer({'c'});
    fHost.SetIdleHook([&] {
        AnswerAlertsFromNowOn();
        closeRefused = !Wnd()->CloseOK();
        fHost.PushClose(HostId());
        fHost.PushQuit();
        fHost.UserResize(HostId(), 900, 500);
        const std::vector<uint32_t> windows = fHost.Windows();
        fHost.PushKey(windows.back(), kReturn);
    });
    Quor_Alert(Wnd(), kAlertInformation, "Working", nullptr, nullptr, "OK");
    EXPECT_TRUE(closeRefused);
    EXPECT_EQ(fAlerts, std::vector<std::string>{});
    // The held quit arrives from the outer loop once the modal window is gone, and asks first.
    Pump();
    EXPECT_EQ(fAlerts, std::vector<std::string>{"Save changes?\nYour changes to \"pano.qpm\" have not been saved."});
    EXPECT_FALSE(QuitAsked());
    EXPECT_NE(Wnd(), nullptr);
    EXPECT_TRUE(Doc().fModified);
    EXPECT_EQ(Wnd()->Bounds().Width(), 900);
}

// Catches a main window that looks wrong: controls out of place, the canvas not filled, photos
// in the wrong places. The reference is at half size; the canvas in the other projections and
// modes is judged by the canvas's own references.
TEST_F(PanomerWndTest, TheExampleLooksRight)
{
    StartOnEarth();
    const Quor_BaseImage* shown = fHost.Shown(HostId());
    Quor_BaseImage half;
    quor_test::Make(&half, shown->Width() / 2, shown->Height() / 2, [&](int x, int y) {
        int sum[3] = {0, 0, 0};
        for (int dy = 0; dy < 2; ++dy) {
            for (int dx = 0; dx < 2; ++dx) {
                const rgb_color c = quor_test::PixelAt(*shown, 2 * x + dx, 2 * y + dy);
                sum[0] += c.red, sum[1] += c.green, sum[2] += c.blue;
            }
        }
        return quor_test::Px(uint32_t(sum[0] / 4), uint32_t(sum[1] / 4), uint32_t(sum[2] / 4));
    });
    EXPECT_GOLDEN(half.Image(), "tests/app/ui/golden/main_horizontal.png", 12);
}

// Catches Match Brightness that leaves the previews as they were (the canvas keeps its seam), is
// not one undoable step, or does not mark the project changed.
TEST_F(PanomerWndTest, MatchBrightnessEvensOverlapsAsOneUndoableStep)
{
    const rgb_color dark{80, 80, 80, 255};
    const rgb_color light{160, 160, 160, 255};
    app_test::MakePhoto(fDir.File("dark.jpg"), 64, 48, dark, dark);
    app_test::MakePhoto(fDir.File("light.jpg"), 64, 48, light, light);
    const std::string project = fDir.File("pano.qpm");
    editor_test::WriteProject(project, {"dark.jpg", "light.jpg"});
    Start(project);
    ASSERT_EQ(Doc().fNumPhotos, 2);
    EXPECT_TRUE(MenuEnabled(kCmdMatchBrightness));
    ChooseMenu(kCmdMatchBrightness);
    EXPECT_NEAR(Doc().fBrightness[0], std::sqrt(2.0f), 0.04f);
    EXPECT_NEAR(Doc().fBrightness[1], 1.0f / std::sqrt(2.0f), 0.02f);
    EXPECT_TRUE(quor_test::Near(quor_test::PixelAt(Doc().fPhotoImage[0], 30, 20), rgb_color{113, 113, 113, 255}, 3));
    EXPECT_TRUE(Doc().fModified);
    ChooseMenu(kCmdUndo);
    EXPECT_EQ(Doc().fBrightness[0], 1.0f);
    EXPECT_EQ(Doc().fBrightness[1], 1.0f);
    EXPECT_TRUE(quor_test::Near(quor_test::PixelAt(Doc().fPhotoImage[0], 30, 20), dark, 3));
}

// Catches Align commands offered when they cannot act, a photo moved in more than one undoable
// step (Undo leaving it half way), a project left unmarked, a photo that stays put without the
// canvas saying why: on the Earth example Align Selected Photo waits for a selection and brings a
// displaced photo back, Align All (on its worker) brings back two (the first photo among them) at
// once, and Undo returns each to where it was displaced to.
TEST_F(PanomerWndTest, AlignCommandsAreOneUndoableStepEach)
{
    StartOnEarth();
    ASSERT_EQ(Doc().fNumPhotos, 12);
    const float degree = 3.14159265f / 180.0f;
    float cut[3][2];
    float displaced[3][2];
    float* angles[3] = {Doc().fYaw, Doc().fPitch, Doc().fRoll};
    const int photos[2] = {0, 4};
    for (int a = 0; a < 3; a++) {
        for (int k = 0; k < 2; k++) {
            cut[a][k] = angles[a][photos[k]];
            displaced[a][k] = cut[a][k] + (a == 2 ? 4.0f : 2.5f - 4.0f * k) * degree;
            angles[a][photos[k]] = displaced[a][k];
        }
    }
    Doc().fSelected = -1;
    EXPECT_FALSE(MenuEnabled(kCmdAlignSelected));
    EXPECT_TRUE(MenuEnabled(kCmdAlignAll));
    Doc().fSelected = photos[1];
    ASSERT_TRUE(MenuEnabled(kCmdAlignSelected));

    auto expectPlaced = [&](const float (&expected)[3][2], int from, int to, float within, const char* step) {
        for (int a = 0; a < 3; a++)
            for (int k = from; k < to; k++)
                EXPECT_NEAR(angles[a][photos[k]], expected[a][k], within) << step << ", photo " << photos[k];
    };
    ChooseMenu(kCmdAlignSelected);
    expectPlaced(cut, 1, 2, 0.2f * degree, "Align Selected Photo");
    expectPlaced(displaced, 0, 1, 1e-5f, "Align Selected Photo");
    EXPECT_TRUE(Doc().fModified);
    ChooseMenu(kCmdUndo);
    expectPlaced(displaced, 0, 2, 1e-5f, "undone");

    ChooseMenu(kCmdAlignAll);
    expectPlaced(cut, 0, 2, 0.2f * degree, "Align All");
    EXPECT_STREQ(Doc().UndoLabel(), "Align All");
    EXPECT_EQ(Canvas()->PhotoNote(), "");
    ChooseMenu(kCmdUndo);
    expectPlaced(displaced, 0, 2, 1e-5f, "Align All undone");
}

// Catches a Cancel of Align All that keeps the photos aligned before it, leaves an undo step or
// marks the project changed, a bar that stands still, and a progress window left open: Escape is
// pressed once the bar shows the files read and the first (displaced) photo aligned.
TEST_F(PanomerWndTest, CancelledAlignAllLeavesEveryPhotoWhereItWas)
{
    for (const auto& entry : std::filesystem::directory_iterator(quor_test::SourcePath("examples/earth")))
        std::filesystem::copy(entry.path(), fDir.File(entry.path().filename().string()));
    Start(fDir.File("earth.qpm"));
    ASSERT_EQ(Doc().fNumPhotos, 12);
    Doc().fYaw[0] += 0.04f;
    const PhotoAlign::Placements before = PhotoAlign::Placements::Of(Doc());
    bool pressed = false;
    fHost.SetIdleHook([&] {
        AlignProgress* progress = export_test::OpenDialog<AlignProgress>();
        if (progress == nullptr || pressed || progress->Bar()->Value() < 1.5f / 25)
            return;
        pressed = true;
        fHost.PushKey(progress->Window()->PlatformWindow(), kEscape);
    });
    ChooseMenu(kCmdAlignAll);
    AnswerAlertsFromNowOn();
    EXPECT_TRUE(pressed);
    EXPECT_EQ(export_test::OpenDialog<AlignProgress>(), nullptr);
    const PhotoAlign::Placements after = PhotoAlign::Placements::Of(Doc());
    EXPECT_EQ(std::memcmp(&after, &before, sizeof(before)), 0);
    EXPECT_FALSE(Doc().CanUndo());
    EXPECT_FALSE(Doc().fModified);
    EXPECT_EQ(Canvas()->PhotoNote(), "Align All cancelled");
}

// Catches a Cancel during a slow open that still replaces the project, or changes any of it (its
// saved text, title, undo step, list, photos' pixels), says more than nothing, or leaves the
// progress window open; a bar that does not show the photos read; and a quick open that flashes
// the window or does not open. The open is held on its fourth photo until Cancel is asked for.
TEST_F(PanomerWndTest, ACancelledOpenLeavesTheProjectAsItWasAndAQuickOneShowsNoWindow)
{
    const std::string other = MakeProject(6, "other.qpm", "elsewhere");
    Start(MakeProject(2));
    Edit();
    Key('s', QUOR_HOST_CTRL);
    ASSERT_FALSE(Doc().fModified);
    auto saved = [this] {
        Quor_MemStream stream;
        EXPECT_EQ(stream.OpenWrite(0), 0);
        EXPECT_TRUE(Doc().Save(&stream));
        return std::string(reinterpret_cast<const char*>(stream.RawData()), static_cast<size_t>(stream.FileSize()));
    };
    const std::string text = saved();
    const std::string title = Wnd()->Title().Buffer();
    const uint8_t* pixels = Doc().fPhotoImage[1].Bits();
    ASSERT_STREQ(Doc().UndoLabel(), "Move");

    OpenProgress::gCheckpointHook = [](OpenProgress* progress, int loaded) {
        for (int waited = 0; loaded >= 3 && !progress->CancelRequested() && waited < 10000; waited += 5)
            Quor_Snooze(5);
    };
    float bar = -1.0f;
    fHost.SetIdleHook([&] {
        OpenProgress* progress = export_test::OpenDialog<OpenProgress>();
        if (progress == nullptr || bar >= 0.0f)
            return;
        bar = progress->Bar()->Value();
        fHost.PushKey(progress->Window()->PlatformWindow(), kEscape);
    });
    Choose({other});
    ChooseMenu(kCmdOpen);
    OpenProgress::gCheckpointHook = nullptr;
    EXPECT_GE(bar, 1.0f / 6 - 1e-4f);
    EXPECT_LE(bar, 3.0f / 6 + 1e-4f);
    EXPECT_EQ(export_test::OpenDialog<OpenProgress>(), nullptr);
    EXPECT_TRUE(fAlerts.empty());
    EXPECT_EQ(saved(), text);
    EXPECT_EQ(std::string(Wnd()->Title().Buffer()), title);
    EXPECT_STREQ(Doc().UndoLabel(), "Move");
    EXPECT_FALSE(Doc().fModified);
    EXPECT_EQ(Doc().fPhotoImage[1].Bits(), pixels);
    EXPECT_EQ(List()->CountPhotos(), 0);

    bool shown = false;
    fHost.SetIdleHook([&] { shown = shown || export_test::OpenDialog<OpenProgress>() != nullptr; });
    Choose({other});
    ChooseMenu(kCmdOpen);
    AnswerAlertsFromNowOn();
    EXPECT_FALSE(shown);
    EXPECT_EQ(Doc().fNumPhotos, 6);
    EXPECT_TRUE(Doc().fPhotoImage[5].IsValid());
    EXPECT_EQ(std::string(Wnd()->Title().Buffer()), "other.qpm - Quor Panomer");
}

// Catches a photo moved onto a chance fit, or left put without a word: a photo that overlaps no
// other stays where it is, the project unchanged, and the canvas says why until the next click;
// Align All counts the photos that stayed.
TEST_F(PanomerWndTest, APhotoWithoutOverlapStaysPutAndSaysWhy)
{
    app_test::MakePhoto(fDir.File("a.jpg"), 64, 48, rgb_color{80, 80, 80, 255}, rgb_color{160, 160, 160, 255});
    app_test::MakePhoto(fDir.File("b.jpg"), 64, 48, rgb_color{90, 90, 90, 255}, rgb_color{150, 150, 150, 255});
    const std::string project = fDir.File("pano.qpm");
    editor_test::WriteProject(project, {"a.jpg", "b.jpg"});
    Start(project);
    ASSERT_EQ(Doc().fNumPhotos, 2);
    Doc().fYaw[1] = 3.0f;
    Doc().fSelected = 1;
    ChooseMenu(kCmdAlignSelected);
    EXPECT_EQ(Doc().fYaw[1], 3.0f);
    EXPECT_FALSE(Doc().fModified);
    EXPECT_FALSE(Doc().CanUndo());
    EXPECT_EQ(Canvas()->PhotoNote(), "Not aligned: the photo overlaps no other photo");
    Click(InWindow(Canvas(), Quor_Point(5, 5)));
    EXPECT_EQ(Canvas()->PhotoNote(), "");
    ChooseMenu(kCmdAlignAll);
    EXPECT_EQ(Doc().fYaw[1], 3.0f);
    EXPECT_FALSE(Doc().CanUndo());
    EXPECT_EQ(Canvas()->PhotoNote(), "Not aligned: 2 photos overlap no other photo");
}

}  // namespace
