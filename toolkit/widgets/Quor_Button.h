// A push button with a text label or an icon. A press shows it pushed in; releasing over it
// sends its what-code, releasing elsewhere cancels. An icon button shows its tool tip when the
// pointer rests on it. The default button of a dialog has a heavier outline.
#pragma once

#include "toolkit/core/Quor_String.h"
#include "toolkit/imaging/Quor_image.h"
#include "toolkit/widgets/Quor_BaseWidget.h"

class Quor_ToolTip;

class Quor_Button : public Quor_BaseWidget {
public:
    // A text button in the bold font: label width + 16 wide (at least minWidth when positive),
    // WidgetHeight() high.
    Quor_Button(const char* label, int what, int minWidth, bool isDefault, unsigned int followFlags);
    // An icon button of the icon's size; the icon is not owned and must outlive the button.
    Quor_Button(const Quor_image* icon, const char* toolTip, int what, bool isDefault, unsigned int followFlags);
    ~Quor_Button() override;

    // BaseWidgetHeight() * 1.222, rounded (22 pixels for 18).
    static int WidgetHeight();

    void OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message) override;
    void OnMouseMove(Quor_Point where, unsigned int modifiers, Quor_Message* message) override;
    void OnMouseUp(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message) override;
    void DetachedFromWindow() override;
    // Space presses the focused button: it is shown pushed in and lets go, as a click would.
    void OnKeyDown(int key, unsigned int modifiers) override;
    bool WantsKey(int key, unsigned int modifiers) override;
    bool TabStop() override { return true; }
    // Inside the face's frame (and the default button's heavier outline).
    Quor_Rect FocusRingRect() const override;
    void RedrawMe(Quor_Graphics* g) override;

    // Sets the text (the tool-tip text of an icon button) and redraws.
    void SetLabel(const char* label);
    const Quor_String& Label() const { return fLabel; }
    bool IsDefault() const { return fDefault; }
    int What() const { return fWhat; }
    void SetWhat(int what) { fWhat = what; }
    // Drawn pushed in: pressed with a mouse button still held on it.
    bool IsPressed() const;
    // The icon button's tip, made when first needed; null for a text button.
    Quor_ToolTip* ToolTip() const { return fToolTip; }

protected:
    // The frame and fill every button shares, in the bounds inset by 1 horizontally.
    void DrawButtonFrame(Quor_Graphics* g, int radius, bool pushed);

    bool fDefault;
    Quor_String fLabel;
    const Quor_image* fIcon;
    Quor_ToolTip* fToolTip;
    int fWhat;
    bool fPressed;
};
