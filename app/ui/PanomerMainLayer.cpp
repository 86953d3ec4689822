#include "app/ui/PanomerMainLayer.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "app/core/PanomerDoc.h"
#include "app/core/Projection.h"
#include "app/ui/AlertWnd.h"
#include "app/ui/PanomerCodes.h"
#include "app/ui/PanomerPrefs.h"
#include "app/ui/PanomerView.h"
#include "app/ui/PhotoListView.h"
#include "app/ui/canvas/CanvasGuides.h"
#include "app/ui/data/PanomerArt.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/formats/Quor_ExifFocal.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/widgets/Quor_Button.h"
#include "toolkit/widgets/Quor_Menu.h"
#include "toolkit/widgets/Quor_MenuBar.h"
#include "toolkit/widgets/Quor_PopupMenu.h"
#include "toolkit/widgets/Quor_ScrollingView.h"
#include "toolkit/widgets/Quor_StaticText.h"
#include "toolkit/widgets/Quor_TextControl.h"
#include "toolkit/widgets/Quor_ToolBar.h"
#include "toolkit/widgets/Quor_WidgetLook.h"

namespace {

constexpr unsigned int kFixed = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP;
// The list grows with the window's height.
constexpr unsigned int kLeftColumn = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP | QUOR_FOLLOW_BOTTOM;
// The projection controls stay at the canvas's top-right corner.
constexpr unsigned int kTopRight = QUOR_FOLLOW_TOP | QUOR_FOLLOW_RIGHT;
// The focal length controls stay below the canvas's left end.
constexpr unsigned int kBottomLeft = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_BOTTOM;
constexpr unsigned int kFollowAll = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP | QUOR_FOLLOW_RIGHT | QUOR_FOLLOW_BOTTOM;

constexpr int kProjectionFirst = kCmdFlat;
constexpr int kProjectionLast = kCmdFisheye;

struct ToolButton {
    int code;
    const char* tip;
};

constexpr ToolButton kListButtons[] = {
    {kCmdRotatePhoto, "Rotate Photo"},
    {kCmdRotateAllPhotos, "Rotate All Photos"},
    {kCmdRemovePhoto, "Remove Photo"},
    {kCmdRemoveAllPhotos, "Remove All Photos"},
};

constexpr ToolButton kToolButtons[] = {
    {kToolSelect, "Select Photo (S)"},       {kToolMove, "Move Photo (M)"}, {kToolRotate, "Rotate Photo (R)"},
    {kToolBrightness, "Adjust Brightness (B)"}, {kToolCrop, "Crop (C)"},    {kToolPan, "Pan View (P)"},
    {kToolZoom, "Zoom View (Z)"},
};

// The tool a letter typed on its own picks, or 0.
int ToolForKey(int key)
{
    switch (key) {
    case 'b': case 'B': return kToolBrightness;
    case 'c': case 'C': return kToolCrop;
    case 'm': case 'M': return kToolMove;
    case 'p': case 'P': return kToolPan;
    case 'r': case 'R': return kToolRotate;
    case 's': case 'S': return kToolSelect;
    case 'z': case 'Z': return kToolZoom;
    default: return 0;
    }
}

bool IsCanvasKey(int key)
{
    switch (key) {
    case QUOR_KEY_DELETE:
    case QUOR_KEY_BACKSPACE:
    case QUOR_KEY_LEFT:
    case QUOR_KEY_RIGHT:
    case QUOR_KEY_UP:
    case QUOR_KEY_DOWN:
        return true;
    default:
        return false;
    }
}

// The canvas sits this far inside its column, so that the rounded frame drawn around it fits.
int CanvasInset()
{
    return 3 * Quor_BaseWidget::BigCornerRadius() / 4;
}

}  // namespace

PanomerMainLayer::PanomerMainLayer(Quor_Rect frame, PanomerDoc* doc)
    : Quor_Layer(kFollowAll),
      fDoc(doc),
      fMenuBar(nullptr),
      fListToolBar(nullptr),
      fListScroller(nullptr),
      fPhotoList(nullptr),
      fToolsToolBar(nullptr),
      fProjectionPopup(nullptr),
      fView(nullptr),
      fFocalText(nullptr)
{
    SetLocation(frame.left, frame.top);
    SetShape(frame.Width(), frame.Height());
    BuildMenus();

    const Quor_Rect b = Bounds();
    Quor_Rect left = b;
    left.InsetBy(16, 16);
    left.top += 20;
    left.bottom -= 15;
    left.right = left.left + 247;

    fListScroller = new Quor_ScrollingView(left.Width(), left.Height(), kLeftColumn);
    fListScroller->SetLocation(left.left, left.top);
    fPhotoList = new PhotoListView(fListScroller);
    fListScroller->AddScrollingChild(fPhotoList);

    fListToolBar = new Quor_ToolBar(&ktools_list, &ktools_list_down, &ktools_list_disabled, nullptr, kFixed);
    fListToolBar->SetButtonRange(4, 1);
    for (int i = 0; i < 4; ++i)
        fListToolBar->SetButtonInfo(i, 0, kListButtons[i].code, kListButtons[i].tip, Quor_ToolBar::kPush);
    fListToolBar->SetLocation(left.left + 4, left.top - 28);

    Quor_Rect column = left;
    column.left = left.right + 16;
    column.right = b.right - 16;
    Quor_Rect canvas = column;
    canvas.InsetBy(CanvasInset(), CanvasInset());
    fView = new PanomerView(canvas, fDoc);

    fToolsToolBar = new Quor_ToolBar(&ktools_panomer, &ktools_panomer_down, &ktools_panomer_disabled, nullptr, kFixed);
    fToolsToolBar->SetButtonRange(7, 1);
    for (int i = 0; i < 7; ++i)
        fToolsToolBar->SetButtonInfo(i, 0, kToolButtons[i].code, kToolButtons[i].tip, Quor_ToolBar::kRadio);
    fToolsToolBar->UnsetAllButtons(kToolPan);
    fToolsToolBar->SetLocation(column.left + 4, column.top - 28);

    // The pop-up and its label stand level with the tool bar, centred on its height.
    const int barMiddle = column.top - 28 + ktools_panomer.height / 2;
    auto* projectionLabel = new Quor_StaticText("Projection:", QUOR_ALIGN_LEFT, kTopRight);
    projectionLabel->SetLocation(column.right - 228, barMiddle - projectionLabel->Shape().y / 2);
    fProjectionPopup = new Quor_PopupMenu(160, true, kTopRight);
    auto* menu = new Quor_Menu("Projection");
    menu->AddItem("Perspective", 0, kCmdPerspective);
    menu->AddItem("Horizontal Spherical", 0, kCmdHorizontalSpherical);
    menu->AddItem("Vertical Spherical", 0, kCmdVerticalSpherical);
    if (gEnableFisheye)
        menu->AddItem("Fisheye", 0, kCmdFisheye);
    menu->SetChecked(kCmdHorizontalSpherical, true);
    fProjectionPopup->SetMenu(menu);
    fProjectionPopup->SetLocation(column.right - 159, barMiddle - fProjectionPopup->Shape().y / 2);

    auto* focalLabel = new Quor_StaticText("Focal length (35mm equivalent):", QUOR_ALIGN_LEFT, kBottomLeft);
    focalLabel->SetLocation(column.left + 4, column.bottom + 8);
    fFocalText = new Quor_TextControl(64, "35.00", 0, Quor_TextControl::kNonNegative, kBottomLeft);
    fFocalText->SetValue(gFocalLength);
    fFocalText->SetWheelInc(1.0f);
    fFocalText->SetLocation(focalLabel->Frame().right + 1, column.bottom + 8);
    auto* change = new Quor_Button("Change", kCmdChangeFocalLength, 0, false, kBottomLeft);
    change->SetLocation(fFocalText->Frame().left + 72, column.bottom + 6);

    AddChild(fListScroller);
    AddChild(fListToolBar);
    AddChild(fView);
    AddChild(fToolsToolBar);
    AddChild(projectionLabel);
    AddChild(fProjectionPopup);
    AddChild(focalLabel);
    AddChild(fFocalText);
    AddChild(change);

    SendMessage(kToolPan);
}

PanomerMainLayer::~PanomerMainLayer() = default;

void PanomerMainLayer::BuildMenus()
{
    fMenuBar = new Quor_MenuBar();
    auto* file = new Quor_Menu("File");
    file->AddItem("New", 'N', kCmdNew);
    file->AddItem("Open...", 'O', kCmdOpen);
    file->AddItem("", 0, 0);
    file->AddItem("Save", 'S', kCmdSave);
    file->AddItem("Save As...", 0, kCmdSaveAs);
    file->AddItem("", 0, 0);
    file->AddItem("Preview", 'P', kCmdPreview);
    file->AddItem("Export JPEG...", 'J', kCmdExportJpeg);
    file->AddItem("Export PSD...", 'E', kCmdExportPsd);
    file->AddItem("Export PTO...", 0, kCmdExportPto);
    // There is no application menu on this desktop: quitting lives in the File menu, and asks
    // about unsaved work like the desktop's own quit request.
    file->AddItem("", 0, 0);
    file->AddItem("Quit", 'Q', QUOR_MSG_QUIT);
    fMenuBar->AddMenu(file);

    auto* edit = new Quor_Menu("Edit");
    edit->AddItem("Undo", 'Z', kCmdUndo);
    edit->AddShiftedItem("Redo", 'Z', kCmdRedo);
    edit->SetAlias(kCmdRedo, 'Y');
    edit->AddItem("", 0, 0);
    edit->AddItem("Match Brightness", 'B', kCmdMatchBrightness);
    // Ctrl+L stays with Display Centerline; Shift makes it Align.
    edit->AddShiftedItem("Align Selected Photo", 'L', kCmdAlignSelected);
    edit->AddItem("Align All", 0, kCmdAlignAll);
    edit->AddItem("", 0, 0);
    edit->AddItem("Cut", 'X', kCmdCut);
    edit->AddItem("Copy", 'C', kCmdCopy);
    edit->AddItem("Paste", 'V', kCmdPaste);
    // Nothing of the editor goes through the clipboard; text fields take these keys themselves.
    edit->SetEnabled(kCmdCut, false);
    edit->SetEnabled(kCmdCopy, false);
    edit->SetEnabled(kCmdPaste, false);
    fMenuBar->AddMenu(edit);

    auto* guides = new Quor_Menu("Guides");
    guides->AddItem("Difference Mode", 'D', kCmdDifferenceMode);
    guides->AddItem("Display Centerline", 'L', kCmdCenterline);
    guides->AddItem("Display Crosshairs", 'R', kCmdCrosshairs);
    guides->AddItem("Snap", 'A', kCmdSnap);
    fMenuBar->AddMenu(guides);

    auto* help = new Quor_Menu("Help");
    help->AddItem("Help...", 0, kCmdHelp);
    help->AddItem("", 0, 0);
    help->AddItem("About Quor Panomer...", 0, kCmdAbout);
    fMenuBar->AddMenu(help);

    AddMenuBar(fMenuBar);
}

void PanomerMainLayer::HandleMessage(Quor_Message* message)
{
    const int code = message->what;
    switch (code) {
    case kMsgUpdateTools:
        UpdateTools();
        // The note names a photo of the list: an emptied list (a new document too) drops it.
        if (fPhotoList->CountPhotos() == 0 && fNotedFocal != 0.0f) {
            ForgetFocalNote();
            fView->Update(true);
        }
        return;
    case kMsgFirstPhotoListed:
        TakeFocalLengthFromPhoto();
        return;
    case kCmdRotatePhoto:
    case kCmdRotateAllPhotos:
        fPhotoList->Rotate(code == kCmdRotateAllPhotos);
        return;
    case kCmdRemovePhoto:
        fPhotoList->Remove(false);
        return;
    case kCmdRemoveAllPhotos:
        if (Quor_Alert(Window(), kAlertQuestion, "Are you sure you want to remove all the photos in this list?",
                       nullptr, nullptr, "Yes", "No") == 0)
            fPhotoList->Remove(true);
        return;
    case kCmdChangeFocalLength:
        ChangeFocalLength();
        return;
    default:
        break;
    }
    if (code >= kToolSelect && code <= kToolZoom) {
        fView->SetTool(static_cast<unsigned int>(code));
        fToolsToolBar->UnsetAllButtons(code);
        return;
    }
    if (code >= kProjectionFirst && code <= kProjectionLast) {
        ChooseProjection(code);
        return;
    }
    Quor_Layer::HandleMessage(message);
}

void PanomerMainLayer::UpdateTools()
{
    const int listed = fPhotoList->CountPhotos();
    const bool selected = fPhotoList->GetSelection() >= 0;
    fListToolBar->EnableButton(kCmdRotatePhoto, listed > 0 && selected);
    fListToolBar->EnableButton(kCmdRemovePhoto, listed > 0 && selected);
    fListToolBar->EnableButton(kCmdRotateAllPhotos, listed > 0);
    fListToolBar->EnableButton(kCmdRemoveAllPhotos, listed > 0);

    const bool photos = fDoc->fNumPhotos > 0;
    for (int code : {kToolSelect, kToolMove, kToolRotate, kToolBrightness, kToolCrop})
        fToolsToolBar->EnableButton(code, photos);
    fToolsToolBar->EnableButton(kToolPan, true);
    fToolsToolBar->EnableButton(kToolZoom, true);
}

void PanomerMainLayer::ChangeFocalLength()
{
    const float focal = ClampFocalLength(fFocalText->FloatValue(), gFocalLength);
    fFocalText->SetValue(focal);
    if (focal != fDoc->fFocalLength)
        fDoc->PrepUndo("Focal Length");
    fDoc->fFocalLength = focal;
    gFocalLength = focal;
    fDoc->fModified = true;
    fView->Update(true);
}

void PanomerMainLayer::TakeFocalLengthFromPhoto()
{
    const Quor_Path* path = fPhotoList->PhotoPath(0);
    if (path == nullptr || fDoc->fNumPhotos != 0)
        return;
    float focal = 0.0f;
    const Quor_ExifFocal::Range range{kMinFocalLength, kMaxFocalLength};
    if (Quor_ExifFocal::FromFile(path->Buffer(), range, &focal) != QUOR_OK)
        return;
    // The field shows two decimals: a value it would show unchanged is no change.
    focal = std::round(focal * 100.0f) / 100.0f;
    if (focal == fDoc->fFocalLength)
        return;
    fDoc->PrepUndo("Focal Length");
    fFocalText->SetValue(focal);
    fDoc->fFocalLength = focal;
    gFocalLength = focal;
    fDoc->fModified = true;
    char millimetres[32];
    snprintf(millimetres, sizeof(millimetres), "%.1f", focal);
    std::string shown = millimetres;
    if (shown.size() > 2 && shown.compare(shown.size() - 2, 2, ".0") == 0)
        shown.resize(shown.size() - 2);
    fView->SetHintNote("Focal length " + shown + " mm, from " + path->Name().Buffer());
    fNotedFocal = focal;
    fView->Update(true);
}

void PanomerMainLayer::ForgetFocalNote()
{
    fView->SetHintNote("");
    fNotedFocal = 0.0f;
}

void PanomerMainLayer::ChooseProjection(int code)
{
    int type = PanomerDoc::kHorizontalSpherical;
    switch (code) {
    case kCmdFlat: type = PanomerDoc::kFlat; break;
    case kCmdPerspective: type = PanomerDoc::kPerspective; break;
    case kCmdHorizontalSpherical: type = PanomerDoc::kHorizontalSpherical; break;
    case kCmdVerticalSpherical: type = PanomerDoc::kVerticalSpherical; break;
    case kCmdFisheye: type = PanomerDoc::kFisheye; break;
    default: return;
    }
    fDoc->PrepUndo("Projection");
    fDoc->fProjectionType = type;
    PanomerDoc::DefaultCrop(type, fDoc->fCrop);
    Projection& projection = fView->CanvasProjection();
    projection.SetProjectionType(type);
    projection.SetZoom(0.9f);
    projection.SetOffset(Quor_Vector2(0.0f, 0.0f));
    CheckProjection(code);
    fDoc->fModified = true;
    fView->Update(true);
}

void PanomerMainLayer::CheckProjection(int code)
{
    Quor_Menu* menu = fProjectionPopup->Menu();
    if (menu == nullptr)
        return;
    for (int c = kProjectionFirst; c <= kProjectionLast; ++c)
        menu->SetChecked(c, c == code);
    fProjectionPopup->Redraw(true);
}

void PanomerMainLayer::ShowDocumentSettings()
{
    fView->CanvasProjection().SetProjectionType(fDoc->fProjectionType);
    CheckProjection(ProjectionCommand(fDoc->fProjectionType));
    fFocalText->SetValue(fDoc->fFocalLength);
    // After an Undo or another document the hint no longer tells where the focal length came from.
    if (fNotedFocal != 0.0f && fDoc->fFocalLength != fNotedFocal)
        ForgetFocalNote();
    // The field shows the focal length new documents start with.
    gFocalLength = ClampFocalLength(fDoc->fFocalLength, gFocalLength);
}

void PanomerMainLayer::OnKeyDown(int key, unsigned int modifiers)
{
    Quor_View* focus = FocusView();
    if (focus != nullptr && !focus->IsFocused())
        focus = nullptr;
    // A view that has the keyboard takes the keys it can use (a text field its letters and
    // digits): they are not tool shortcuts then.
    const bool plain = (modifiers & (QUOR_COMMAND | QUOR_OPTION)) == 0;
    if (plain && !FocusWantsKey(key, modifiers)) {
        if (const int tool = ToolForKey(key)) {
            SendMessage(tool);
            return;
        }
    }
    if (key == QUOR_KEY_RETURN && focus != nullptr && focus == fFocalText) {
        SendMessage(kCmdChangeFocalLength);
        return;
    }
    if (IsCanvasKey(key) && focus == nullptr) {
        fView->OnKeyDown(key, modifiers);
        return;
    }
    Quor_Layer::OnKeyDown(key, modifiers);
}

void PanomerMainLayer::InitBackground()
{
    if (Quor_Graphics* g = LayerGraphics()) {
        g->RoundedGradientFill(Bounds(), 0, true, Quor_ColorOps::BoxGradient1, Quor_ColorOps::BoxGradient2);
        g->EndDraw();
    }
    Quor_Rect frame = fView->Frame();
    frame.InsetBy(-CanvasInset(), -CanvasInset());
    EmbossRect(frame);
    Quor_Layer::InitBackground();
    SendMessage(kMsgUpdateTools);
}

void PanomerMainLayer::EmbossRect(Quor_Rect r)
{
    Quor_Graphics* g = LayerGraphics();
    if (g == nullptr)
        return;
    const int radius = Quor_BaseWidget::BigCornerRadius();
    g->SetBezierTolerance(2.0f);
    g->SetSmoothing(true);
    r.InsetBy(2, 0);
    g->SetColor(Quor_ColorOps::DialogBackground);
    g->FillRoundedRect(r, radius);
    Quor_Rect outer = r;
    outer.InsetBy(-1, 0);
    Quor_WidgetLook::DrawFrame(g, r, outer, radius, true);
    g->EndDraw();
}

void PanomerMainLayer::UpdateMenus()
{
    const bool photos = fDoc->fNumPhotos >= 1;
    fMenuBar->SetEnabled(kCmdSave, photos && fDoc->fModified);
    fMenuBar->SetEnabled(kCmdSaveAs, photos);
    fMenuBar->SetEnabled(kCmdPreview, photos);
    fMenuBar->SetEnabled(kCmdExportJpeg, photos);
    fMenuBar->SetEnabled(kCmdExportPsd, photos);
    fMenuBar->SetEnabled(kCmdExportPto, photos);
    // A deleted last photo can be brought back too. The items name the action they take back
    // or do again.
    const bool canUndo = fDoc->CanUndo();
    const bool canRedo = fDoc->CanRedo();
    fMenuBar->SetEnabled(kCmdUndo, canUndo);
    fMenuBar->SetEnabled(kCmdRedo, canRedo);
    fMenuBar->SetLabel(kCmdUndo, canUndo ? (std::string("Undo ") + fDoc->UndoLabel()).c_str() : "Undo");
    fMenuBar->SetLabel(kCmdRedo, canRedo ? (std::string("Redo ") + fDoc->RedoLabel()).c_str() : "Redo");
    fMenuBar->SetEnabled(kCmdMatchBrightness, fDoc->fNumPhotos >= 2);
    // A photo aligns against others: a lone photo has none.
    fMenuBar->SetEnabled(kCmdAlignSelected, fDoc->fNumPhotos >= 2 && fDoc->fSelected >= 0 &&
                                                fDoc->fSelected < fDoc->fNumPhotos);
    fMenuBar->SetEnabled(kCmdAlignAll, fDoc->fNumPhotos >= 2);
    fMenuBar->SetChecked(kCmdDifferenceMode, gDifferenceMode);
    fMenuBar->SetChecked(kCmdCenterline, gHorizonGuide);
    fMenuBar->SetChecked(kCmdCrosshairs, gCrosshairGuide);
    fMenuBar->SetChecked(kCmdSnap, gSnapMode);
}
