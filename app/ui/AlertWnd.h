// The alert box every prompt and error message of the editor goes through: a small modal window
// with an icon, up to three lines of text and up to three buttons, answered with the mouse,
// Return, Escape or the first letter of a button's label.
#pragma once

#include "toolkit/core/Quor_String.h"
#include "toolkit/framework/Quor_Layer.h"
#include "toolkit/framework/Quor_Wnd.h"

class Quor_Button;

// Alert types: the icon shown.
enum : unsigned int {
    kAlertInformation = 0,
    kAlertExclamation = 1,
    kAlertQuestion = 2,
};

// Shows an alert over `parent` (may be null) and waits for the answer: 0, 1 or 2 for the first,
// second or third button. Any text or button may be null; without any button the alert offers
// "OK". An alert that ends without an answer (its window went away) counts as its last button.
int Quor_Alert(Quor_Wnd* parent, unsigned int type, const char* text1, const char* text2,
               const char* text3, const char* button1, const char* button2 = nullptr,
               const char* button3 = nullptr);

// The form of an alert: icon and texts in a row, the buttons below; it answers the keys.
class AlertLayer : public Quor_Layer {
public:
    AlertLayer(unsigned int type, const char* text1, const char* text2, const char* text3,
               const char* button1, const char* button2, const char* button3);

    // Return presses the first button, Escape the last, a button's key letter that button.
    void OnKeyDown(int key, unsigned int modifiers) override;
    // Tab moves between the buttons; Space presses the one that has the keyboard.
    bool TabAdvance() override { return true; }
    void InitBackground() override;

    unsigned int Type() const { return fType; }
    // The code of the last button present: -1, -2 or -3.
    int CancelCode() const { return fCancelCode; }
    // Buttons 0 to 2 (null when absent) and their key letters (-1 when switched off).
    Quor_Button* Button(int index) const;
    int Key(int index) const;
    // The lines shown, joined by line feeds (for the window's readers: tests and logs).
    const Quor_String& Text() const { return fText; }

private:
    void Press(int index);

    unsigned int fType;
    int fCancelCode;
    Quor_Button* fButtons[3];
    int fKeys[3];
    Quor_String fText;
};

// The modal window of one alert; its buttons' codes -1, -2 and -3 end it with 0, 1 and 2.
class AlertWnd : public Quor_Wnd {
public:
    AlertWnd(Quor_Wnd* parent, unsigned int type, const char* text1, const char* text2,
             const char* text3, const char* button1, const char* button2, const char* button3);

    void HandleMessage(Quor_Message* message) override;
    // The close box answers with the last button, as Escape does.
    bool CloseOK() override;

    AlertLayer* Form() const { return fForm; }
    // The answer (0 to 2) is also written here when given; the window is gone by the time its
    // modal loop has returned.
    void ReportAnswerTo(int* answer) { fAnswer = answer; }

private:
    AlertLayer* fForm;
    int* fAnswer;
};
