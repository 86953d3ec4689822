#include "app/ui/PanomerView.h"

#include "app/core/PanomerDoc.h"
#include "app/ui/canvas/CanvasCodes.h"
#include "app/ui/data/PanomerArt.h"
#include "toolkit/core/Quor_Beep.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_Cursor.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/framework/platform/Quor_Host.h"
#include "toolkit/widgets/Quor_WidgetLook.h"

namespace {

// The canvas follows every edge of the window.
constexpr unsigned int kFollowAll = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP | QUOR_FOLLOW_RIGHT | QUOR_FOLLOW_BOTTOM;

// Whether the user clicked in the program since the last look. The preview runs inside one
// command, so it takes the press out of the host's queue itself: the click stops the preview and
// is not handed on afterwards as a tool press. A click in another program is none of ours.
bool ClickedToStop()
{
    Quor_Host* host = Quor_Host::Current();
    return host != nullptr && host->TakePendingPress();
}

}  // namespace

PanomerView::PanomerView(Quor_Rect frame, PanomerDoc* doc)
    : Quor_View(kFollowAll), fPainter(doc), fTools(doc, &fPainter)
{
    SetLocation(frame.left, frame.top);
    SetShape(frame.Width(), frame.Height());
    // The pointing tools have their hot spot at the tip, the others at the centre.
    const struct {
        const Quor_image* image;
        int hot;
    } art[kCursorCount] = {{&kcurs_move, 1},    {&kcurs_rotate, 1}, {&kcurs_brighten, 1}, {&kcurs_updown, 7},
                           {&kcurs_leftright, 7}, {&kcurs_pan, 7},    {&kcurs_zoom, 7}};
    for (int i = 0; i < kCursorCount; i++)
        fCursors[i] = new (std::nothrow) Quor_Cursor(art[i].image, art[i].hot, art[i].hot);
    fTools.SetTool(kToolPan);
}

PanomerView::~PanomerView()
{
    // Neither the view nor its window may keep showing a cursor that is about to go.
    SetCursor(nullptr);
    if (Quor_Wnd* window = Window()) {
        for (Quor_Cursor* cursor : fCursors) {
            if (cursor != nullptr && window->Cursor() == cursor)
                window->SetCursor(nullptr);
        }
    }
    for (Quor_Cursor* cursor : fCursors)
        delete cursor;
}

Quor_Cursor* PanomerView::CursorFor(CanvasCursor cursor) const
{
    switch (cursor) {
    case CanvasCursor::kMove:
        return fCursors[0];
    case CanvasCursor::kRotate:
        return fCursors[1];
    case CanvasCursor::kBrighten:
        return fCursors[2];
    case CanvasCursor::kUpDown:
        return fCursors[3];
    case CanvasCursor::kLeftRight:
        return fCursors[4];
    case CanvasCursor::kPan:
        return fCursors[5];
    case CanvasCursor::kZoom:
        return fCursors[6];
    default:
        return nullptr;
    }
}

void PanomerView::Apply(const CanvasResponse& response)
{
    if (response.setCursor && Cursor() != CursorFor(response.cursor))
        SetCursor(CursorFor(response.cursor));
    if (response.redraw != CanvasResponse::kNone)
        Update(response.redraw == CanvasResponse::kFull);
    if (response.alert != nullptr) {
        if (fAlertHandler)
            fAlertHandler(response.alert);
        else
            Quor_Beep(1);
    }
    for (int i = 0; i < response.messageCount; i++)
        SendMessage(response.messages[i]);
}

void PanomerView::OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message*)
{
    // A click on the canvas is an answer to the note; the next update leaves it out.
    fPainter.SetPhotoNote("");
    Apply(fTools.MouseDown(where, button, modifiers));
}

void PanomerView::OnMouseMove(Quor_Point where, unsigned int modifiers, Quor_Message*)
{
    Apply(fTools.MouseMove(where, modifiers));
}

void PanomerView::OnMouseWheel(float delta, Quor_Point where, unsigned int modifiers, Quor_Message*)
{
    Apply(fTools.MouseWheel(delta, where, modifiers));
}

void PanomerView::OnMouseUp(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message*)
{
    Apply(fTools.MouseUp(where, button, modifiers));
}

void PanomerView::OnKeyDown(int key, unsigned int modifiers)
{
    Apply(fTools.KeyDown(key, modifiers));
}

void PanomerView::OnMessageDrop(Quor_Message* message, Quor_Point where, unsigned int)
{
    Apply(fTools.MessageDrop(message, where));
}

void PanomerView::InitBackground()
{
    fPainter.SetHintFont(Quor_App::gBoldFont);
    fPainter.InitBackground(ViewImage());
    Quor_View::InitBackground();
}

void PanomerView::SetTool(unsigned int code)
{
    Apply(fTools.SetTool(static_cast<int>(code)));
}

void PanomerView::OnFocus(bool)
{
    if (Layer() != nullptr)
        Update(false);
}

void PanomerView::OnFocusRingShown(bool)
{
    if (Layer() != nullptr)
        Update(false);
}

void PanomerView::DrawFocusRing()
{
    if (!ShowsFocusRing() || fPainter.PhotoDrawingSuspended())
        return;
    Quor_Graphics* g = ViewGraphics();
    if (g == nullptr)
        return;
    Quor_Rect ring(0, 0, Shape().x - 1, Shape().y - 1);
    ring.InsetBy(1, 1);
    Quor_WidgetLook::DrawFocusRing(g, ring);
    g->EndDraw();
}

void PanomerView::Update(bool full)
{
    if (full)
        fPainter.Update(true);
    fPainter.Update(false);
    DrawFocusRing();
    if (!fPainter.PhotoDrawingSuspended())
        Refresh();
    if (fUpdateHandler)
        fUpdateHandler();
}

void PanomerView::Preview()
{
    fPainter.Preview(ClickedToStop, [this]() { Refresh(); });
}

void PanomerView::SuspendPhotoDrawing()
{
    fPainter.SuspendPhotoDrawing();
}

void PanomerView::ResumePhotoDrawing()
{
    if (fPainter.ResumePhotoDrawing())
        Refresh();
}
