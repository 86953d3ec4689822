#include "app/ui/AlertWnd.h"

#include <algorithm>
#include <new>

#include "app/ui/data/PanomerArt.h"
#include "toolkit/core/Quor_Ascii.h"
#include "toolkit/core/Quor_Beep.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_LayoutView.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/widgets/Quor_Button.h"
#include "toolkit/widgets/Quor_Dialog.h"
#include "toolkit/widgets/Quor_StaticPicture.h"
#include "toolkit/widgets/Quor_StaticText.h"

namespace {

constexpr unsigned int kFixed = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP;
constexpr unsigned int kFollowAll = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP | QUOR_FOLLOW_RIGHT | QUOR_FOLLOW_BOTTOM;
constexpr int kSpacing = 8;
constexpr int kMinButtonWidth = 48;
// Room beside a button's label, on top of the label's own width.
constexpr int kButtonPadding = 32;

bool Present(const char* text)
{
    return text != nullptr && *text != '\0';
}

const Quor_image* IconFor(unsigned int type)
{
    switch (type) {
    case kAlertInformation:
        return &kinformation;
    case kAlertExclamation:
        return &kexclamation;
    case kAlertQuestion:
        return &kquestion;
    default:
        return nullptr;
    }
}

// The window title: the application's name as a reader would write it.
Quor_String AlertTitle()
{
    Quor_String title = Quor_App::gApp != nullptr ? Quor_App::gApp->Name() : Quor_String("Quor Panomer");
    Quor_String shown;
    for (const char* p = title.Buffer(); *p != '\0'; ++p)
        shown += *p == '_' ? ' ' : *p;
    return shown;
}

}  // namespace

// --- AlertLayer ----------------------------------------------------------------------------------

AlertLayer::AlertLayer(unsigned int type, const char* text1, const char* text2, const char* text3,
                       const char* button1, const char* button2, const char* button3)
    : Quor_Layer(kFollowAll), fType(type), fCancelCode(-1), fButtons{}, fKeys{-1, -1, -1}
{
    const char* labels[3] = {button1, button2, button3};
    // An alert that offers no answer at all could never be closed.
    if (!Present(button1) && !Present(button2) && !Present(button3))
        labels[0] = "OK";

    // Every button is as wide as the widest label needs.
    int width = kMinButtonWidth;
    for (const char* label : labels) {
        if (Present(label) && Quor_App::gBoldFont != nullptr)
            width = std::max(width, Quor_App::gBoldFont->StringWidth(label) + kButtonPadding);
    }

    auto* form = new Quor_LayoutView(Quor_LayoutView::kVertical, kSpacing, Quor_Point(8, 8));
    AddChild(form);

    form->PushH2(QUOR_LAYOUT_NONE, kSpacing);
    if (const Quor_image* icon = IconFor(type))
        form->AddChild(new Quor_StaticPicture(icon, nullptr, kFixed), QUOR_LAYOUT_NONE);
    form->PushV2(QUOR_LAYOUT_NONE, 0);
    bool first = true;
    for (const char* text : {text1, text2, text3}) {
        if (text == nullptr)
            continue;
        auto* line = new Quor_StaticText(text, QUOR_ALIGN_LEFT, kFixed);
        // The message itself stands out from its details.
        if (first && Quor_App::gBoldFont != nullptr) {
            line->SetFont(Quor_App::gBoldFont);
            line->SetShapeForced(Quor_App::gBoldFont->StringWidth(text) + 4, line->Shape().y);
        }
        form->AddChild(line, QUOR_LAYOUT_NONE);
        if (!fText.IsEmpty())
            fText += "\n";
        fText += text;
        first = false;
    }
    form->Pop();
    form->Pop();

    form->PushH2(QUOR_LAYOUT_FAR, kSpacing);
    for (int i = 0; i < 3; ++i) {
        if (!Present(labels[i]))
            continue;
        fButtons[i] = new Quor_Button(labels[i], -1 - i, width, i == 0, kFixed);
        form->AddChild(fButtons[i], QUOR_LAYOUT_CENTER);
        fCancelCode = -1 - i;
        fKeys[i] = Quor_Ascii::Lower(static_cast<unsigned char>(labels[i][0]));
    }
    form->Pop();

    // Keys that two buttons share would be ambiguous: then no letter answers.
    const bool clash = (fKeys[1] != -1 && fKeys[1] == fKeys[0]) ||
                       (fKeys[2] != -1 && (fKeys[2] == fKeys[0] || fKeys[2] == fKeys[1]));
    if (clash)
        fKeys[0] = fKeys[1] = fKeys[2] = -1;
}

Quor_Button* AlertLayer::Button(int index) const
{
    return index >= 0 && index < 3 ? fButtons[index] : nullptr;
}

int AlertLayer::Key(int index) const
{
    return index >= 0 && index < 3 ? fKeys[index] : -1;
}

void AlertLayer::Press(int index)
{
    // The button is seen to go down before it answers.
    Quor_Dialog::PressButton(fButtons[index]);
}

void AlertLayer::OnKeyDown(int key, unsigned int modifiers)
{
    Quor_Layer::OnKeyDown(key, modifiers);
    // A key held down from the window that opened the alert ("Replace?" right after Return in a
    // save dialog) must not answer it through its auto-repeat.
    if ((modifiers & QUOR_KEY_REPEAT) != 0)
        return;
    if (key == QUOR_KEY_RETURN) {
        if (fButtons[0] != nullptr)
            Press(0);
        else
            SendMessage(-1);
        return;
    }
    if (key == QUOR_KEY_ESCAPE) {
        for (int i = 2; i >= 0; --i) {
            if (fButtons[i] != nullptr) {
                Press(i);
                return;
            }
        }
        SendMessage(fCancelCode);
        return;
    }
    if ((modifiers & (QUOR_COMMAND | QUOR_OPTION)) != 0 || key < 0)
        return;
    const int letter = Quor_Ascii::Lower(key);
    for (int i = 0; i < 3; ++i) {
        if (fButtons[i] != nullptr && fKeys[i] != -1 && fKeys[i] == letter) {
            Press(i);
            return;
        }
    }
}

void AlertLayer::InitBackground()
{
    if (Quor_Graphics* g = LayerGraphics()) {
        g->RoundedGradientFill(Bounds(), 0, true, Quor_ColorOps::AlertGradient1, Quor_ColorOps::AlertGradient2);
        g->EndDraw();
    }
    Quor_Layer::InitBackground();
}

// --- AlertWnd ------------------------------------------------------------------------------------

AlertWnd::AlertWnd(Quor_Wnd* parent, unsigned int type, const char* text1, const char* text2,
                   const char* text3, const char* button1, const char* button2, const char* button3)
    : Quor_Wnd(AlertTitle(), Quor_Rect(64, 64, 128, 128), false, 2, parent), fForm(nullptr), fAnswer(nullptr)
{
    fForm = new AlertLayer(type, text1, text2, text3, button1, button2, button3);
    fForm->DoLayout();
    const Quor_Point size = fForm->Shape();
    SetShape(size.x, size.y);
    AddLayer(fForm);
}

void AlertWnd::HandleMessage(Quor_Message* message)
{
    switch (message->what) {
    case -1:
    case -2:
    case -3:
        if (fAnswer != nullptr)
            *fAnswer = -1 - message->what;
        EndModal(-1 - message->what, true);
        break;
    default:
        Quor_Wnd::HandleMessage(message);
        break;
    }
}

bool AlertWnd::CloseOK()
{
    if (IsRunningModal() && ContinueModal() && fForm != nullptr)
        SendMessage(fForm->CancelCode());
    return false;
}

// --- Quor_Alert ----------------------------------------------------------------------------------

int Quor_Alert(Quor_Wnd* parent, unsigned int type, const char* text1, const char* text2,
               const char* text3, const char* button1, const char* button2, const char* button3)
{
    int last = 0;
    if (Present(button3))
        last = 2;
    else if (Present(button2))
        last = 1;
    AlertWnd* window = nullptr;
    try {
        window = new AlertWnd(parent, type, text1, text2, text3, button1, button2, button3);
    } catch (const std::bad_alloc&) {
        // Without memory for the alert, the safest answer is the one that changes nothing.
        return last;
    }
    int answer = -1;
    window->ReportAnswerTo(&answer);
    window->CenterOverParent();
    Quor_Beep(1);
    window->DoModal();
    return answer >= 0 && answer <= last ? answer : last;
}
