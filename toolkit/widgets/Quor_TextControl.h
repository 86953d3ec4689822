// A one-line text field: typed input filtered by the field's type (text, integers, numbers), a
// selection, the clipboard, a blinking caret, and numbers stepped by the wheel or a right drag.
// The text is UTF-8 (see Quor_Utf8): the caret, the selection, deletion and the length limit
// move by whole characters, and a byte that is no part of a character stays as it is.
#pragma once

#include "toolkit/core/Quor_String.h"
#include "toolkit/widgets/Quor_AnimatedWidget.h"

class Quor_TextControl : public Quor_AnimatedWidget {
public:
    // What a field accepts, and what its wheel does.
    enum Type : unsigned int {
        kText = 0,            // any character; no wheel
        kInteger = 1,         // digits and "-"; steps by 1, rounded
        kNumber = 2,          // digits, "." and "-"; steps by 0.25
        kCount = 3,           // digits; steps by 1, rounded, never below 0
        kNonNegative = 4,     // digits and "."; steps by 0.25, never below 0
        kNoDigits = 5,        // anything but digits; no wheel
    };
    // Numbers read from a field are kept inside +-kLimit.
    static constexpr int kLimit = 1000000;
    // The caret blinks in a cycle of this many frames (20 a second) and shows during the first
    // kCaretFrames of them.
    static constexpr int kBlinkFrames = 20;
    static constexpr int kCaretFrames = 12;
    // Right-dragging this many pixels sideways acts as one wheel notch.
    static constexpr int kScrubPixels = 8;
    // How close the caret may come to either side of the text area while the field scrolls.
    static constexpr int kCaretMargin = 8;
    // The longest text a field holds unless told otherwise, in bytes: a pasted megabyte is cut
    // here instead of being kept and redrawn with every blink.
    static constexpr int kDefaultMaxBytes = 4096;

    // The field that has the keyboard focus, or null.
    static Quor_TextControl* gFocusedTextControl;

    // text + 16 pixels wide (at least minWidth when positive), BaseWidgetHeight() high, with the
    // whole text selected.
    Quor_TextControl(int minWidth, const char* text, int what, unsigned int type, unsigned int followFlags);
    ~Quor_TextControl() override;

    // Caret and anchor at the press; a left drag extends the selection, a right drag steps a
    // number field by one wheel notch per 8 pixels sideways. A double click selects the word
    // (or the run of other characters) under the pointer, a triple click the whole text.
    void OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message) override;
    void OnMouseMove(Quor_Point where, unsigned int modifiers, Quor_Message* message) override;
    // Number fields step by the wheel increment per notch: twice that with shift, half with
    // Ctrl. Integer fields step down by at least 1. Always sends the what-code.
    void OnMouseWheel(float delta, Quor_Point where, unsigned int modifiers, Quor_Message* message) override;
    void OnMouseUp(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message) override;
    // Typing, caret movement, deletion and the clipboard (Ctrl with A, C, X and V). Ctrl with
    // Left and Right moves by words (with Shift extending the selection), Ctrl with Backspace
    // and Delete deletes to the word's start or end; plain Left and Right with a selection
    // collapse it to its start or end. Words are runs of letters and digits, every byte of a
    // multi-byte character counting as a letter. A character
    // the type refuses, or one that no longer fits, beeps; a paste keeps what fits. With constant
    // messages every key sends the what-code; otherwise the field reports when it loses the
    // focus. Running out of memory beeps and leaves the text as it was.
    void OnKeyDown(int key, unsigned int modifiers) override;
    // Typing (every character, a refused one beeps), the caret and deletion keys, and the
    // clipboard chords: these are the field's, not the menus' or the tools'.
    bool WantsKey(int key, unsigned int modifiers) override;
    bool AcceptsFocus() override { return true; }
    // Selects everything; gaining the focus starts the caret, losing it sends the what-code.
    void OnFocus(bool focused) override;
    void RedrawMe(Quor_Graphics* g) override;
    // Advances the caret's blink by one frame.
    void DrawFrame(Quor_Graphics* g, int frame, float seconds, float measuredFps) override;

    // Replaces the text (cut to the longest text the field holds); the caret goes to its end,
    // with nothing selected.
    void SetValue(const char* text);
    void SetValue(int value);
    // Integer fields show the rounded value. Others show a whole number without decimals, and
    // otherwise two decimals when they are enough, else four (2, 1.50, 1.25, 0.1250, 1.2345).
    void SetValue(float value);
    const char* Value() const { return fText; }
    // The leading number of the text (0 when there is none), kept inside +-kLimit.
    int IntValue() const;
    float FloatValue() const;

    void SelectAll();
    // Selects the text between the byte offsets anchor and caret (clamped to the text, and moved
    // back to the start of a character they fall inside).
    void Select(int anchor, int caret);
    int Caret() const { return fCaret; }
    int Anchor() const { return fAnchor; }
    // The selected text (empty without a selection).
    Quor_String Selection() const;
    // The longest text in bytes (at least 1); a longer text is cut at once.
    void SetMaxBytes(int bytes);
    int MaxBytes() const { return fMaxBytes; }
    unsigned int FieldType() const { return fType; }
    int What() const { return fWhat; }
    void SetWheelInc(float increment) { fWheelIncrement = increment; }
    float WheelInc() const { return fWheelIncrement; }
    void SetConstantMessages(bool on) { fConstantMessages = on; }
    bool ConstantMessages() const { return fConstantMessages; }
    int Blink() const { return fBlink; }
    int ScrollOffset() const { return fScrollOffset; }
    // Whether the caret is drawn now: focused and in the visible part of its blink.
    bool CaretShown() const;

    // The text area: the bounds inset by TinyCornerRadius() horizontally and 3 vertically.
    Quor_Rect InnerRect() const;
    // The caret position for a point: the end of the last character whose middle lies left of it.
    int FindPos(Quor_Point where) const;
    // The start of the word before `at` and the end of the word after it (byte offsets), for
    // Ctrl with the arrows: spaces and punctuation are skipped, then the word's letters.
    int PreviousWordStart(int at) const;
    int NextWordEnd(int at) const;
    // A text field shows its focus with the caret: no ring.
    Quor_Rect FocusRingRect() const override { return Quor_Rect(0, 0, -1, -1); }
    // Whether the field's type lets character c (a key code: a code point) be typed.
    bool Accepts(int c) const;

private:
    void KeyDown(int key, unsigned int modifiers);
    void Paste();
    int TextWidth(int from, int to) const;
    bool HasSelection() const { return fCaret != fAnchor; }
    int NextBoundary(int at) const;
    bool IsWordByte(int at) const;
    // Selects the run of word bytes, or of other bytes, around the press at `at`.
    void SelectWordAt(int at);
    // Ctrl with an arrow, Backspace or Delete.
    void WordKey(int key, unsigned int modifiers);
    int PreviousBoundary(int at) const;
    // Replaces the bytes [from, to) by the first `length` bytes of `bytes`, as many whole
    // characters of them as fit the limit; caret and anchor go after them. False when memory
    // runs out (nothing changes then).
    bool Replace(int from, int to, const char* bytes, int length);
    // Removes the selected characters and puts caret and anchor where they were.
    void DeleteSelection();
    // Keeps the caret inside the text area while focused.
    void UpdateScrollOffset();
    // Redraws the field and, with constant messages, sends the what-code.
    void Edited();

    int fBlink;
    int fScrollOffset;
    int fCaret;
    int fAnchor;
    Quor_Point fLastDragPoint;
    unsigned int fType;
    float fWheelIncrement;
    int fWhat;
    bool fConstantMessages;
    Quor_String fText;
    int fMaxBytes;
    // The press that gave the field the focus, and the scroll offset shown before it: that press
    // lands on the text as it was shown, not as gaining the focus scrolled it.
    unsigned int fFocusPress;
    int fOffsetBeforeFocus;
    // Presses in a row, each within the double-click time of the one before (3: triple click).
    int fClicks;
};
