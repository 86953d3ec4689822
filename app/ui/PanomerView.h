// The editing canvas of the main window: a view that hands its input to the canvas tools, draws
// through the canvas painter, shows the tool cursors and sends the tools' messages up its chain.
#pragma once

#include <functional>

#include "app/ui/canvas/CanvasPainter.h"
#include "app/ui/canvas/CanvasResponse.h"
#include "app/ui/canvas/CanvasTools.h"
#include "toolkit/framework/Quor_View.h"

class PanomerDoc;
class Quor_Cursor;

class PanomerView : public Quor_View {
public:
    // Shows an alert with this text; the window installs it (the canvas has no dialogs of its
    // own).
    using AlertHandler = std::function<void(const char* text)>;
    using UpdateHandler = std::function<void()>;

    // frame: in the parent's coordinates; the canvas stretches with the window. doc: the
    // document shown and edited; not owned.
    PanomerView(Quor_Rect frame, PanomerDoc* doc);
    ~PanomerView() override;

    void OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message) override;
    void OnMouseMove(Quor_Point where, unsigned int modifiers, Quor_Message* message) override;
    void OnMouseWheel(float delta, Quor_Point where, unsigned int modifiers, Quor_Message* message) override;
    void OnMouseUp(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message) override;
    void OnKeyDown(int key, unsigned int modifiers) override;
    void OnMessageDrop(Quor_Message* message, Quor_Point where, unsigned int modifiers) override;
    // The view's pixels were (re)created: the canvas draws into them from now on.
    void InitBackground() override;
    bool AcceptsFocus() override { return true; }
    // The focus ring goes on and off with the keyboard focus once the keyboard was used.
    void OnFocus(bool focused) override;
    void OnFocusRingShown(bool shown) override;

    // The tool codes 1060 to 1066 (any value is stored).
    void SetTool(unsigned int code);
    int Tool() const { return fTools.Tool(); }
    // Redraws the canvas and shows it: after anything but the selected photo or an overlay
    // changed (a document opened, the projection, the focal length), full is true.
    void Update(bool full);
    // The per-pixel preview of the blended panorama; a click in the program stops it, and goes
    // no further.
    void Preview();
    // While an export runs, nothing that draws the photos may run; redraws wait until Resume.
    void SuspendPhotoDrawing();
    void ResumePhotoDrawing();

    Projection& CanvasProjection() { return fPainter.CanvasProjection(); }
    // The line under the empty canvas's hint (CanvasPainter::SetHintNote); shown at the next Update.
    void SetHintNote(const std::string& note) { fPainter.SetHintNote(note); }
    const std::string& HintNote() const { return fPainter.HintNote(); }
    // The line over the photos on why a command left them as they were
    // (CanvasPainter::SetPhotoNote); shown at the next Update, dropped at the next click.
    void SetPhotoNote(const std::string& note) { fPainter.SetPhotoNote(note); }
    const std::string& PhotoNote() const { return fPainter.PhotoNote(); }
    const CanvasTools& Tools() const { return fTools; }
    void SetAlertHandler(AlertHandler handler) { fAlertHandler = std::move(handler); }
    // Called after every update of the canvas: every change to the document ends in one.
    void SetUpdateHandler(UpdateHandler handler) { fUpdateHandler = std::move(handler); }

private:
    enum { kCursorCount = 7 };

    void Apply(const CanvasResponse& response);
    // Draws the focus ring just inside the canvas's edge, over what the painter drew.
    void DrawFocusRing();
    Quor_Cursor* CursorFor(CanvasCursor cursor) const;

    CanvasPainter fPainter;
    CanvasTools fTools;
    // Move, rotate, brighten, up-down, left-right, pan, zoom.
    Quor_Cursor* fCursors[kCursorCount] = {};
    AlertHandler fAlertHandler;
    UpdateHandler fUpdateHandler;
};
