// A small note that appears over a window after the pointer has rested on a control for a
// moment, and goes away after 3 seconds, when the pointer leaves, on a press or on a key. It is
// a layer, owned by the control that shows it; one tip shows at a time.
#pragma once

#include <cstdint>

#include "toolkit/core/Quor_String.h"
#include "toolkit/framework/Quor_Layer.h"
#include "toolkit/widgets/Quor_WidgetTimer.h"

class Quor_ToolTip : public Quor_Layer {
public:
    static constexpr float kDefaultShowDelay = 0.75f;
    static constexpr float kHideSeconds = 3.0f;
    // How far the pointer may stray from the request point before the tip gives up.
    static constexpr int kSlack = 10;

    // The tip that is showing, in any window, or null.
    static Quor_ToolTip* gCurrentToolTip;

    Quor_ToolTip();
    // Takes the tip down: no timer, no layer and no current tip are left behind.
    ~Quor_ToolTip() override;

    // Asks for `text` at `where` (window coordinates). A showing tip with the same text stays;
    // with another text it moves and shows that. Otherwise the tip shows once the pointer has
    // rested near `where` for the show delay.
    void Go(Quor_Wnd* window, Quor_Point where, const char* text);
    // For a control that keeps a tip of its own in *tip (made here on first use; the control
    // deletes it): Go with `where` in the control's view coordinates. False when no tip could be
    // made.
    static bool GoFor(Quor_ToolTip** tip, const Quor_View* control, Quor_Wnd* window, Quor_Point where,
                      const char* text);
    // Takes the tip down (or cancels a pending one).
    void RemoveMe();
    void SetShowDelay(float seconds);
    float ShowDelay() const { return fShowDelay; }

    bool IsShowing() const { return fShowing; }
    bool IsPending() const { return fShowTimer.IsRunning(); }
    const Quor_String& Text() const { return fText; }
    bool IsTwoLines() const { return fTwoLines; }
    const Quor_String& FirstLine() const { return fFirstLine; }
    const Quor_String& SecondLine() const { return fSecondLine; }
    Quor_Point RequestPoint() const { return fRequest; }

    // QUOR_MSG_TICK shows the tip, QUOR_MSG_TIP_TIMEOUT takes it down.
    void HandleMessage(Quor_Message* message) override;
    void OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message) override;
    void OnMouseDownOutside(Quor_Point where, unsigned int button, unsigned int modifiers,
                            Quor_Message* message) override;
    void OnMouseMove(Quor_Point where, unsigned int modifiers, Quor_Message* message) override;
    void OnKeyDown(int key, unsigned int modifiers) override;
    void InitBackground() override;
    bool IsModal() override { return false; }
    bool HasOwner() override { return true; }

private:
    // The window asked for last, if it still exists.
    Quor_Wnd* RequestWindow() const;
    // Splits the text when it is wider than the window, and sizes and places the tip.
    void Prepare(Quor_Wnd* window);
    void Show();

    Quor_Point fRequest;
    Quor_String fText;
    uint32_t fWindowId;
    float fShowDelay;
    Quor_WidgetTimer fShowTimer;
    Quor_WidgetTimer fHideTimer;
    bool fShowing;
    bool fTwoLines;
    Quor_String fFirstLine;
    Quor_String fSecondLine;
};
