// A row (or grid) of tool buttons cut from strip images: one image for each look (normal, set,
// disabled and, optionally, hovered) holds every button side by side. Buttons are push buttons,
// radio buttons (one of them set) or toggles; each sends its what-code and has a tool tip.
#pragma once

#include "toolkit/core/Quor_String.h"
#include "toolkit/imaging/Quor_image.h"
#include "toolkit/widgets/Quor_BaseWidget.h"

class Quor_ToolTip;

class Quor_ToolBar : public Quor_BaseWidget {
public:
    static constexpr int kMaxButtons = 32;
    static constexpr int kPush = 0;
    static constexpr int kRadio = 1;
    static constexpr int kToggle = 2;
    // How long a push button that acts on the press shows pressed first.
    static constexpr int kPushFlashMs = 100;

    // The images are not owned and must outlive the bar; any may be null (nothing is drawn for
    // that look). The bar takes the normal image's size.
    Quor_ToolBar(const Quor_image* normal, const Quor_image* set, const Quor_image* disabled, const Quor_image* hover,
                 unsigned int followFlags);
    ~Quor_ToolBar() override;

    // The grid of the images: cells are the image size divided by columns and rows. Buttons
    // whose index (row * columns + column) reaches kMaxButtons are refused.
    void SetButtonRange(int columns, int rows);
    // False (nothing changed) for a cell outside the grid or past kMaxButtons, or a kind other
    // than push, radio or toggle. What-code 0 means no button.
    bool SetButtonInfo(int column, int row, int what, const char* toolTip, int kind);
    void SetButton(int what, bool set);
    void EnableButton(int what, bool enabled);
    void DisableAllButtons();
    // Every radio button becomes set exactly when its what-code is `what`.
    void UnsetAllButtons(int what);
    bool IsButtonEnabled(int what) const;
    bool IsButtonSet(int what) const;
    // Whether some button is both set and enabled.
    bool IsActiveEnabled() const;
    // The first enabled radio button becomes the only set one and sends its code; false when
    // there is none.
    bool ActivateFirstButton();
    bool HasButton(int what) const;
    void ActivateOnMouseDown(bool on) { fActivateOnDown = on; }
    int Columns() const { return fColumns; }
    int Rows() const { return fRows; }

    // The cell of button index i; the last column and row reach the image's edge.
    Quor_Rect GetButtonRect(int index) const;
    // The index of the button under a point, or -1 (also for cells without a button).
    int ButtonAt(Quor_Point where) const;
    int HoveredButton() const { return fHovered; }
    Quor_ToolTip* ToolTip() const { return fToolTip; }

    Quor_Point PreferredSize() override;
    void OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message) override;
    void OnMouseMove(Quor_Point where, unsigned int modifiers, Quor_Message* message) override;
    void OnMouseUp(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message) override;
    void DetachedFromWindow() override;
    // Tab stops at a bar with an enabled button. With the keyboard the arrows move between the
    // enabled buttons (round from the last to the first) and Space acts on the one marked, as a
    // click on it would; the focus ring marks that button.
    bool TabStop() override;
    void OnKeyDown(int key, unsigned int modifiers) override;
    bool WantsKey(int key, unsigned int modifiers) override;
    // Gaining the focus marks the set radio button, else the first enabled one.
    void OnFocus(bool focused) override;
    Quor_Rect FocusRingRect() const override;
    // The button the keyboard acts on, or -1.
    int KeyButton() const { return fKeyButton; }
    void RedrawMe(Quor_Graphics* g) override;

private:
    struct Button {
        int what = 0;
        Quor_String toolTip;
        int kind = kPush;
        bool set = false;
        bool enabled = true;
    };

    int CellCount() const;
    // The first button with this code, or null (code 0 marks an empty cell and is never found).
    const Button* FindButton(int what) const;
    // Runs a button's action: a radio button is set and the others cleared, a toggle flips;
    // then the bar redraws and sends the code.
    void Act(int index);

    const Quor_image* fNormal;
    const Quor_image* fSet;
    const Quor_image* fDisabled;
    const Quor_image* fHover;
    int fColumns;
    int fRows;
    Button fButtons[kMaxButtons];
    bool fActivateOnDown;
    int fPressed;
    bool fPressInside;
    int fHovered;
    int fKeyButton;
    Quor_ToolTip* fToolTip;
};
