// The column of source photos at the left of the main window: dropped image files shown as
// thumbnails in two columns, turned by quarter turns, removed, and dragged onto the canvas, which
// adds them to the panorama. The list is a staging area only and is never saved.
#pragma once

#include "toolkit/core/Quor_Message.h"
#include "toolkit/core/Quor_Path.h"
#include "toolkit/framework/Quor_View.h"
#include "toolkit/imaging/Quor_BaseImage.h"

class Quor_Cursor;
class Quor_ScrollingView;

class PhotoListView : public Quor_View {
public:
    static constexpr int kMaxListPhotos = 128;
    static constexpr int kWidth = 224;
    static constexpr int kMinHeight = 291;
    static constexpr int kThumbSize = 100;
    // Cells: 8 pixels from the edges and between each other.
    static constexpr int kMargin = 8;
    static constexpr int kPitch = kThumbSize + kMargin;

    // scroller: the container the list scrolls in (may be null); not owned.
    explicit PhotoListView(Quor_ScrollingView* scroller);
    ~PhotoListView() override;

    void HandleMessage(Quor_Message* message) override;
    // Selects the photo under the press (or nothing) and starts dragging it.
    void OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message) override;
    void OnMouseMove(Quor_Point where, unsigned int modifiers, Quor_Message* message) override;
    void OnMouseUp(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message) override;
    // Reached with Tab (a press leaves the keyboard where it is): the arrows select the photo
    // beside, above or below, Page Up and Page Down the photo a page of visible rows away, Home
    // and End the first and last; the photo scrolls into view and the tools follow.
    void OnKeyDown(int key, unsigned int modifiers) override;
    bool WantsKey(int key, unsigned int modifiers) override;
    bool TabStop() override { return true; }
    void OnFocus(bool focused) override;
    void OnFocusRingShown(bool shown) override;
    // Adds the image file as a photo; the point is ignored. Files that are not images, that do
    // not load or that arrive when the list is full are ignored; a file whose name a project
    // could not store is refused with an alert.
    void OnFileDrop(const char* path, Quor_Point where, unsigned int modifiers) override;
    void InitBackground() override;

    int CountPhotos() const { return fCount; }
    int GetSelection() const { return fSelection; }
    // Null outside 0..CountPhotos()-1.
    const Quor_Path* PhotoPath(int index) const;
    const Quor_BaseImage* Thumbnail(int index) const;
    // Degrees: 0, 90, 180 or 270; 0 outside the list.
    int Rotation(int index) const;

    // Turns the selected photo (or, with all, every photo) a quarter turn clockwise.
    void Rotate(bool all);
    // Removes the selected photo (or, with all, every photo); nothing stays selected.
    void Remove(bool all);
    // The photo whose cell holds the point, or -1.
    int PickPhoto(Quor_Point where) const;
    // The cell of photo i, in view coordinates.
    static Quor_Rect CellRect(int index);
    // Fits the view's height to its rows (at least the scroller's visible height).
    void UpdateViewSize();
    // Draws the list into the view's part of the layer.
    void Update();

    // The drag in progress, for tests: the message handed to the window.
    const Quor_Message& DragMessage() const { return fDragMessage; }

private:
    void ClearEntry(int index);
    void Changed();

    Quor_ScrollingView* fScroller;
    // Shown while a photo is dragged out of the list, so that the drag is seen.
    Quor_Cursor* fDragCursor;
    bool fMouseDown;
    Quor_Message fDragMessage;
    int fCount;
    int fSelection;
    Quor_Path* fPaths[kMaxListPhotos];
    Quor_BaseImage* fThumbs[kMaxListPhotos];
    int fRotations[kMaxListPhotos];
};
