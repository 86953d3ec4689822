// What the view has to do after the canvas tools handled one input event: redraw (and show)
// the canvas, change the cursor, send messages up its handler chain, show an alert.
#pragma once

// The cursors of the tools; kArrow is the platform's arrow (no cursor of the view's own).
enum class CanvasCursor { kArrow, kMove, kRotate, kBrighten, kUpDown, kLeftRight, kPan, kZoom };

struct CanvasResponse {
    // kPartial: the selected photo or an overlay changed (Update(false)); kFull: anything else
    // (Update(true), then Update(false)). Either is followed by a refresh of the view.
    enum Redraw { kNone, kPartial, kFull };

    static constexpr int kMaxMessages = 2;

    Redraw redraw = kNone;
    bool setCursor = false;
    CanvasCursor cursor = CanvasCursor::kArrow;
    // Message codes to send up the handler chain, in this order.
    int messages[kMaxMessages] = {};
    int messageCount = 0;
    // Text of an alert to show, or null.
    const char* alert = nullptr;

    void Redraws(Redraw r)
    {
        if (r > redraw)
            redraw = r;
    }
    void Shows(CanvasCursor c)
    {
        setCursor = true;
        cursor = c;
    }
    void Sends(int code)
    {
        if (messageCount < kMaxMessages)
            messages[messageCount++] = code;
    }
};
