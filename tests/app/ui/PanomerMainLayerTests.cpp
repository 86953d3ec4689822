// The main layer's controls: which menu items and tool buttons can be used when, the tool
// shortcuts, the focal length field and the one the first photo gives, the projection pop-up
// and the list's "remove all".
#include <gtest/gtest.h>

#include <libexif/exif-format.h>
#include <libexif/exif-tag.h>

#include <string>

#include "app/ui/PanomerCodes.h"
#include "tests/app/ui/EditorTestSupport.h"
#include "tests/support/ExifJpeg.h"
#include "toolkit/widgets/Quor_PopupMenu.h"
#include "toolkit/widgets/Quor_TextControl.h"
#include "toolkit/widgets/Quor_ToolBar.h"

namespace {

using editor_test::EditorTest;
using editor_test::kReturn;
using quor_test::kBlue;
using quor_test::kRed;

class PanomerMainLayerTest : public EditorTest {
protected:
    void AddToList()
    {
        app_test::MakePhoto(fDir.File("a.jpg"), 64, 48, kRed, kBlue);
        DropFile(fDir.File("a.jpg"), InWindow(List(), Quor_Point(50, 50)));
    }
    bool ListEnabled(int code) const { return Layer()->ListToolBar()->IsButtonEnabled(code); }
    bool ToolEnabled(int code) const { return Layer()->ToolsToolBar()->IsButtonEnabled(code); }
};

// Catches commands offered when they cannot work (saving or exporting an empty panorama, acting
// on a list photo that is not selected), tools offered without photos, pan and zoom taken away,
// and Undo withheld while there is something to undo.
TEST_F(PanomerMainLayerTest, MenusAndToolButtonsFollowTheState)
{
    Start();
    for (int code : {kCmdSave, kCmdSaveAs, kCmdPreview, kCmdExportJpeg, kCmdExportPsd, kCmdUndo, kCmdCut, kCmdCopy,
                     kCmdPaste})
        EXPECT_FALSE(MenuEnabled(code)) << code;
    for (int code : {kCmdNew, kCmdOpen, kCmdHelp, kCmdAbout, kCmdSnap})
        EXPECT_TRUE(MenuEnabled(code)) << code;
    for (int code = kCmdRotatePhoto; code <= kCmdRemoveAllPhotos; ++code)
        EXPECT_FALSE(ListEnabled(code)) << code;
    for (int code = kToolSelect; code <= kToolCrop; ++code)
        EXPECT_FALSE(ToolEnabled(code)) << code;
    EXPECT_TRUE(ToolEnabled(kToolPan));
    EXPECT_TRUE(ToolEnabled(kToolZoom));

    AddToList();
    EXPECT_TRUE(ListEnabled(kCmdRotateAllPhotos));
    EXPECT_TRUE(ListEnabled(kCmdRemoveAllPhotos));
    EXPECT_FALSE(ListEnabled(kCmdRotatePhoto));
    EXPECT_FALSE(ListEnabled(kCmdRemovePhoto));

    DragToCanvas(0, Quor_Point(60, 60));
    EXPECT_TRUE(ListEnabled(kCmdRotatePhoto));
    EXPECT_TRUE(ListEnabled(kCmdRemovePhoto));
    for (int code = kToolSelect; code <= kToolZoom; ++code)
        EXPECT_TRUE(ToolEnabled(code)) << code;
    for (int code : {kCmdSave, kCmdSaveAs, kCmdPreview, kCmdExportJpeg, kCmdExportPsd, kCmdUndo})
        EXPECT_TRUE(MenuEnabled(code)) << code;
    EXPECT_FALSE(MenuEnabled(kCmdCut));
}

// Catches tool letters that need Shift up or down to work, a Ctrl shortcut taken as a tool
// letter (Ctrl+Z would pick the zoom tool instead of undoing), and a tool button that does not
// show the tool picked.
TEST_F(PanomerMainLayerTest, LettersPickToolsOnlyWithoutCtrl)
{
    Start();
    AddToList();
    DragToCanvas(0, Quor_Point(60, 60));
    const struct {
        int key;
        unsigned int modifiers;
        int tool;
    } cases[] = {
        {'s', 0, kToolSelect},
        {'m', QUOR_HOST_SHIFT, kToolMove},
        {'r', QUOR_HOST_CAPS, kToolRotate},
        {'b', 0, kToolBrightness},
        {'c', 0, kToolCrop},
        {'z', 0, kToolZoom},
        {'p', 0, kToolPan},
        {'m', QUOR_HOST_CTRL, kToolPan},
        {'z', QUOR_HOST_CTRL, kToolPan},
        {'x', 0, kToolPan},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(1, char(c.key)) + " " + std::to_string(c.modifiers));
        Key(c.key, c.modifiers);
        EXPECT_EQ(Canvas()->Tool(), c.tool);
        EXPECT_TRUE(Layer()->ToolsToolBar()->IsButtonSet(c.tool));
    }
    // Ctrl+Z undid the drop.
    EXPECT_EQ(Doc().fNumPhotos, 0);
}

// Catches keys taken away from a text field that has the keyboard: a letter that picks a tool
// ("c" chose the crop tool), and a digit that does not reach the field. (Which Ctrl chords the
// field keeps from the menus is the framework's rule, tested with the key input.)
TEST_F(PanomerMainLayerTest, AFocusedFieldKeepsTheKeysItCanUse)
{
    Start();
    AddToList();
    DragToCanvas(0, Quor_Point(60, 60));
    Quor_TextControl* field = Layer()->FocalText();
    Click(InWindow(field, Quor_Point(5, 5)));
    ASSERT_TRUE(field->IsFocused());
    Key(4);   // End
    const int tool = Canvas()->Tool();
    for (int key : {'c', 'm', 'z', '1'})
        Key(key, key == 'z' ? unsigned(QUOR_HOST_SHIFT) : 0u);
    EXPECT_EQ(Canvas()->Tool(), tool);
    EXPECT_STREQ(field->Value(), "351");
}

// Catches a focal length outside the usable range taken as typed, a field that keeps showing
// the typed value, and a change that does not reach the document and the next new document.
TEST_F(PanomerMainLayerTest, FocalLengthIsKeptInRange)
{
    Start();
    Quor_TextControl* field = Layer()->FocalText();
    const struct {
        const char* typed;
        float kept;
    } cases[] = {{"5", 8.0f}, {"2000", 1000.0f}, {"50", 50.0f}, {"", 8.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        field->SetValue(c.typed);
        Layer()->SendMessage(kCmdChangeFocalLength);
        EXPECT_EQ(field->FloatValue(), c.kept);
        EXPECT_EQ(Doc().fFocalLength, c.kept);
        EXPECT_EQ(gFocalLength, c.kept);
        EXPECT_TRUE(Doc().fModified);
    }
    // Return in the field applies what was typed.
    Click(InWindow(field, Quor_Point(5, 5)));
    Key(4);   // End
    for (int i = 0; i < 8; ++i)
        Key(8);   // Backspace
    Key('2');
    Key('4');
    Key(kReturn);
    EXPECT_EQ(Doc().fFocalLength, 24.0f);
}

// Catches a projection choice that keeps the old crop or view or leaves the document marked
// clean, and a fisheye item offered without the preference.
TEST_F(PanomerMainLayerTest, ChoosingAProjectionResetsCropAndView)
{
    Start();
    EXPECT_EQ(Layer()->ProjectionPopup()->Menu()->CountItems(), 3);
    Projection& projection = Canvas()->CanvasProjection();
    projection.SetZoom(3.0f);
    projection.SetOffset(Quor_Vector2(0.4f, 0.1f));
    Doc().fCrop[0] = 0.5f;
    Layer()->SendMessage(kCmdPerspective);
    EXPECT_FLOAT_EQ(Doc().fCrop[0], 1.2217305f);
    EXPECT_EQ(projection.ProjectionType(), PanomerDoc::kPerspective);
    EXPECT_FLOAT_EQ(projection.Zoom(), 0.9f);
    EXPECT_EQ(projection.Offset().x, 0.0f);
    EXPECT_TRUE(Doc().fModified);
    EXPECT_TRUE(Layer()->ProjectionPopup()->Menu()->IsChecked(kCmdPerspective));
}

// Catches "Remove All Photos" that empties the list without asking, or after "No".
TEST_F(PanomerMainLayerTest, RemoveAllAsksFirst)
{
    Start();
    AddToList();
    AddToList();
    for (int answer : {'n', 'y'}) {
        Answer({answer});
        Layer()->SendMessage(kCmdRemoveAllPhotos);
        EXPECT_EQ(List()->CountPhotos(), answer == 'n' ? 2 : 0);
    }
    EXPECT_EQ(fAlerts.size(), 2u);
}

// Catches a new document that ignores the focal length its first photo records, a change Undo
// cannot take back or that leaves the document clean, later photos or a photo without EXIF
// changing it, and a hint that goes on naming a value Undo took back.
TEST_F(PanomerMainLayerTest, TheFirstPhotoGivesAnEmptyDocumentItsFocalLength)
{
    const auto withFilmFocal = [](int millimetres) {
        return exif_test::Jpeg(64, 48, exif_test::Block({{EXIF_TAG_FOCAL_LENGTH_IN_35MM_FILM, EXIF_FORMAT_SHORT,
            static_cast<uint32_t>(millimetres)}}));
    };
    const std::string plain = fDir.File("plain.jpg");
    const std::string wide = fDir.File("IMG_0001.jpg");
    const std::string tele = fDir.File("tele.jpg");
    ASSERT_TRUE(exif_test::WriteFile(plain, exif_test::Jpeg(64, 48, {})));
    ASSERT_TRUE(exif_test::WriteFile(wide, withFilmFocal(24)));
    ASSERT_TRUE(exif_test::WriteFile(tele, withFilmFocal(85)));
    // Named on the command line, a photo goes to the list the way a drop does.
    Start(plain);
    ASSERT_EQ(List()->CountPhotos(), 1);
    EXPECT_EQ(Doc().fFocalLength, 35.0f);
    EXPECT_FALSE(Doc().fModified);
    EXPECT_FALSE(MenuEnabled(kCmdUndo));
    EXPECT_EQ(Canvas()->HintNote(), "");
    List()->Remove(true);

    DropFile(wide, InWindow(List(), Quor_Point(50, 50)));
    EXPECT_EQ(Doc().fFocalLength, 24.0f);
    EXPECT_EQ(Layer()->FocalText()->FloatValue(), 24.0f);
    EXPECT_TRUE(Doc().fModified);
    EXPECT_EQ(Canvas()->HintNote(), "Focal length 24 mm, from IMG_0001.jpg");
    DropFile(tele, InWindow(List(), Quor_Point(50, 50)));
    EXPECT_EQ(List()->CountPhotos(), 2);
    EXPECT_EQ(Doc().fFocalLength, 24.0f);

    ChooseMenu(kCmdUndo);
    EXPECT_EQ(Doc().fFocalLength, 35.0f);
    EXPECT_EQ(Layer()->FocalText()->FloatValue(), 35.0f);
    EXPECT_EQ(Canvas()->HintNote(), "");
}

}  // namespace
