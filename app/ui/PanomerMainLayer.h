// The content of the main window: the menu bar, the photo list with its tool bar on the left, the
// canvas with the tool bar on the right, the projection pop-up above the canvas and the focal
// length field below it. It carries out the tool bar, pop-up and shortcut commands and keeps the
// menus and tool buttons in step with the document; file, edit and guide commands go on to the
// window.
#pragma once

#include "toolkit/framework/Quor_Layer.h"

class PanomerDoc;
class PanomerView;
class PhotoListView;
class Quor_MenuBar;
class Quor_PopupMenu;
class Quor_ScrollingView;
class Quor_TextControl;
class Quor_ToolBar;

class PanomerMainLayer : public Quor_Layer {
public:
    // frame: the window's content area. doc: the window's document; not owned.
    PanomerMainLayer(Quor_Rect frame, PanomerDoc* doc);
    ~PanomerMainLayer() override;

    void HandleMessage(Quor_Message* message) override;
    // A letter without Ctrl or Alt picks a tool, unless a text field has the keyboard; Return in
    // the focal length field applies it; the rest goes to the focused view (the canvas takes
    // Delete and the arrows when nothing has the focus).
    void OnKeyDown(int key, unsigned int modifiers) override;
    // Tab and Shift+Tab move the keyboard through the photo list, the canvas and the controls.
    bool TabAdvance() override { return true; }
    void InitBackground() override;
    void UpdateMenus() override;

    // The sunken frame around the canvas.
    void EmbossRect(Quor_Rect r);
    // Shows the document's projection and focal length in the canvas, the pop-up and the
    // field, as after opening it.
    void ShowDocumentSettings();

    PanomerDoc* Document() const { return fDoc; }
    Quor_MenuBar* MenuBarWidget() const { return fMenuBar; }
    Quor_ToolBar* ListToolBar() const { return fListToolBar; }
    Quor_ScrollingView* ListScroller() const { return fListScroller; }
    PhotoListView* PhotoList() const { return fPhotoList; }
    Quor_ToolBar* ToolsToolBar() const { return fToolsToolBar; }
    Quor_PopupMenu* ProjectionPopup() const { return fProjectionPopup; }
    PanomerView* Canvas() const { return fView; }
    Quor_TextControl* FocalText() const { return fFocalText; }

private:
    void BuildMenus();
    void UpdateTools();
    void ChangeFocalLength();
    // A document without photos takes the focal length of the list's first photo from its EXIF
    // data, as one undoable change, and says so under the canvas's hint.
    void TakeFocalLengthFromPhoto();
    // Takes the note off the hint; the caller redraws.
    void ForgetFocalNote();
    void ChooseProjection(int code);
    void CheckProjection(int code);

    PanomerDoc* fDoc;
    Quor_MenuBar* fMenuBar;
    Quor_ToolBar* fListToolBar;
    Quor_ScrollingView* fListScroller;
    PhotoListView* fPhotoList;
    Quor_ToolBar* fToolsToolBar;
    Quor_PopupMenu* fProjectionPopup;
    PanomerView* fView;
    Quor_TextControl* fFocalText;
    // The focal length the hint says was taken from a photo (0 when it says nothing).
    float fNotedFocal = 0.0f;
};
