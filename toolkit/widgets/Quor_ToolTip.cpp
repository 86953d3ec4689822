#include "toolkit/widgets/Quor_ToolTip.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_View.h"
#include "toolkit/framework/Quor_WindowList.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"

Quor_ToolTip* Quor_ToolTip::gCurrentToolTip = nullptr;

namespace {

constexpr int kPadding = 14;
constexpr int kBelowPointer = 20;

}  // namespace

Quor_ToolTip::Quor_ToolTip()
    : Quor_Layer(QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP),
      fWindowId(0),
      fShowDelay(kDefaultShowDelay),
      fShowTimer(this),
      fHideTimer(this),
      fShowing(false),
      fTwoLines(false)
{
}

Quor_ToolTip::~Quor_ToolTip()
{
    RemoveMe();
}

Quor_Wnd* Quor_ToolTip::RequestWindow() const
{
    return fWindowId != 0 ? Quor_WindowList::Find(fWindowId) : nullptr;
}

void Quor_ToolTip::SetShowDelay(float seconds)
{
    fShowDelay = std::isfinite(seconds) && seconds > 0.0f ? seconds : 0.0f;
}

void Quor_ToolTip::Prepare(Quor_Wnd* window)
{
    const Quor_Font* font = Quor_App::gRegularFont;
    const int lineHeight = font != nullptr ? font->LineToLineHeight() : 12;
    const int textWidth = font != nullptr ? font->StringWidth(fText) : 0;
    const Quor_Rect area = window->Bounds();
    int width = textWidth + kPadding;
    int height = lineHeight + 4;
    fTwoLines = false;
    fFirstLine = fText;
    fSecondLine = "";
    if (width > area.Width()) {
        const int blank = fText.Find(' ');
        if (blank >= 0) {
            fTwoLines = true;
            fFirstLine = fText.Left(blank);
            fSecondLine = fText.Slice(blank + 1, fText.Length());
            const int first = font != nullptr ? font->StringWidth(fFirstLine) : 0;
            const int second = font != nullptr ? font->StringWidth(fSecondLine) : 0;
            width = std::max(first, second) + kPadding;
            height += lineHeight;
        }
    }
    int x = fRequest.x;
    int y = fRequest.y + kBelowPointer;
    if (x + width - 1 > area.right)
        x = std::max(0, x - (x + width - 1 - area.right) - 6);
    if (y + height - 1 > area.bottom)
        y -= 40;
    SetShape(width, height);
    SetLocation(x, y);
}

void Quor_ToolTip::Go(Quor_Wnd* window, Quor_Point where, const char* text)
{
    if (window == nullptr || text == nullptr || text[0] == '\0')
        return;
    if (fShowing && RequestWindow() != window)
        RemoveMe();
    if (fShowing && fText.Compare(text) == 0)
        return;
    fText = text;
    fRequest = where;
    fWindowId = window->Id();
    if (fShowing) {
        const Quor_Rect left = Frame();
        Prepare(window);
        InitBackground();
        Refresh();
        Quor_Rect both(left);
        both.Accumulate(Frame());
        window->Redraw(both);
        fHideTimer.Start(window, kHideSeconds, QUOR_MSG_TIP_TIMEOUT);
        return;
    }
    Prepare(window);
    if (fShowDelay <= 0.0f) {
        fShowTimer.Kill();
        Show();
    } else {
        fShowTimer.Start(window, fShowDelay, QUOR_MSG_TICK);
    }
}

void Quor_ToolTip::Show()
{
    fShowTimer.Kill();
    Quor_Wnd* window = RequestWindow();
    if (fShowing || window == nullptr)
        return;
    const Quor_Point pointer = window->MousePt();
    if (std::abs(pointer.x - fRequest.x) > kSlack || std::abs(pointer.y - fRequest.y) > kSlack)
        return;
    if (gCurrentToolTip != nullptr && gCurrentToolTip != this)
        gCurrentToolTip->RemoveMe();
    window->AddLayer(this);
    if (Window() != window)
        return;   // the window's layer stack is full
    fShowing = true;
    gCurrentToolTip = this;
    fHideTimer.Start(window, kHideSeconds, QUOR_MSG_TIP_TIMEOUT);
}

bool Quor_ToolTip::GoFor(Quor_ToolTip** tip, const Quor_View* control, Quor_Wnd* window, Quor_Point where,
                         const char* text)
{
    if (*tip == nullptr)
        *tip = new (std::nothrow) Quor_ToolTip();
    if (*tip == nullptr)
        return false;
    control->ViewToWnd(where);
    (*tip)->Go(window, where, text);
    return true;
}

void Quor_ToolTip::RemoveMe()
{
    fShowTimer.Kill();
    fHideTimer.Kill();
    if (Quor_Wnd* window = Window())
        window->RemoveLayer(this);
    fShowing = false;
    if (gCurrentToolTip == this)
        gCurrentToolTip = nullptr;
}

void Quor_ToolTip::HandleMessage(Quor_Message* message)
{
    switch (message->what) {
    case QUOR_MSG_TICK:
        Show();
        break;
    case QUOR_MSG_TIP_TIMEOUT:
        RemoveMe();
        break;
    default:
        Quor_Layer::HandleMessage(message);
        break;
    }
}

void Quor_ToolTip::OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message)
{
    Quor_Wnd* window = Window();
    const Quor_Point at = where + Location();
    RemoveMe();
    // The press was meant for what lies under the tip.
    if (window != nullptr)
        window->OnMouseDown(at, button, modifiers, message);
}

void Quor_ToolTip::OnMouseDownOutside(Quor_Point, unsigned int, unsigned int, Quor_Message*)
{
    RemoveMe();
}

void Quor_ToolTip::OnMouseMove(Quor_Point where, unsigned int, Quor_Message*)
{
    const Quor_Point at = where + Location();
    if (std::abs(at.x - fRequest.x) > kSlack || std::abs(at.y - fRequest.y) > kSlack)
        RemoveMe();
}

void Quor_ToolTip::OnKeyDown(int key, unsigned int modifiers)
{
    Quor_Wnd* window = Window();
    RemoveMe();
    if (window != nullptr)
        window->OnKeyDown(key, modifiers);
}

void Quor_ToolTip::InitBackground()
{
    Quor_Graphics* g = LayerGraphics();
    if (g != nullptr) {
        const Quor_Rect bounds = Bounds();
        g->Clear(Quor_ColorOps::ToolTipBackground);
        g->SetFont(Quor_App::gRegularFont);
        g->SetColor(Quor_ColorOps::Text);
        if (fTwoLines) {
            const Quor_Font* font = Quor_App::gRegularFont;
            const int lineHeight = font != nullptr ? font->LineToLineHeight() : 12;
            const Quor_Rect first(bounds.left + 7, bounds.top + 2, bounds.right - 7, bounds.top + 2 + lineHeight - 1);
            Quor_Rect second(first);
            second.OffsetBy(0, lineHeight);
            g->DrawString(fFirstLine, first, QUOR_ALIGN_LEFT, QUOR_ALIGN_TOP);
            g->DrawString(fSecondLine, second, QUOR_ALIGN_LEFT, QUOR_ALIGN_TOP);
        } else {
            g->DrawString(fText, bounds, QUOR_ALIGN_CENTER, QUOR_ALIGN_CENTER);
        }
        g->FrameRect(bounds);
    }
    Quor_Layer::InitBackground();
}
