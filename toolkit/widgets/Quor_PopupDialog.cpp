#include "toolkit/widgets/Quor_PopupDialog.h"

#include <algorithm>

#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/math/Quor_Vector2.h"
#include "toolkit/widgets/Quor_Dialog.h"

Quor_PopupDialog::Quor_PopupDialog(const char* label, bool stayOpen, int what, int minWidth,
                                   unsigned int followFlags)
    : Quor_BaseWidget(true, followFlags),
      fLabel(label != nullptr ? label : ""),
      fStayOpen(stayOpen),
      fWhat(what),
      fOpen(false),
      fDialog(nullptr),
      fSwallowPress(false)
{
    const int height = BaseWidgetHeight();
    const int labelWidth = fFont != nullptr ? fFont->StringWidth(fLabel) : 0;
    int width = labelWidth + height + (height * 3) / 4;
    if (minWidth > 0)
        width = std::max(width, minWidth);
    SetShape(width, height);
}

Quor_PopupDialog::~Quor_PopupDialog()
{
    if (fDialog != nullptr) {
        fDialog->SetOwner(nullptr, nullptr);
        delete fDialog;
    }
}

void Quor_PopupDialog::SetDialog(Quor_Dialog* dialog)
{
    if (dialog == fDialog)
        return;
    if (fDialog != nullptr) {
        fDialog->SetOwner(nullptr, nullptr);
        delete fDialog;
    }
    fDialog = dialog;
    fOpen = false;
    if (fDialog != nullptr)
        fDialog->SetOwner(this, this);
}

Quor_Dialog* Quor_PopupDialog::DetachDialog()
{
    Quor_Dialog* dialog = fDialog;
    fDialog = nullptr;
    if (dialog != nullptr)
        dialog->SetOwner(nullptr, nullptr);
    fOpen = false;
    return dialog;
}

void Quor_PopupDialog::Stop()
{
    fOpen = false;
    Redraw(true);
    SendMessage(fWhat);
}

void Quor_PopupDialog::SwallowPressAt(Quor_Point windowPoint)
{
    fSwallowPress = true;
    fSwallowPoint = windowPoint;
}

void Quor_PopupDialog::OnMouseDown(Quor_Point where, unsigned int, unsigned int, Quor_Message*)
{
    if (fSwallowPress) {
        fSwallowPress = false;
        ViewToWnd(where);
        if (where == fSwallowPoint)
            return;
    }
    if (IsEnabled() && !fOpen && fDialog != nullptr && Window() != nullptr) {
        SendMessage(fWhat);
        fOpen = true;
        Redraw(true);
        // Just below the button.
        Quor_Point at(0, Bounds().bottom + 1);
        ViewToWnd(at);
        fDialog->DoPopup(Window(), at, fStayOpen);
        return;
    }
    fOpen = false;
    Redraw(true);
}

void Quor_PopupDialog::RedrawMe(Quor_Graphics* g)
{
    const bool enabled = IsEnabled();
    const int height = Bounds().Height();
    const int radius = TinyCornerRadius();
    Quor_Rect inset = Bounds();
    inset.InsetBy(1, 0);
    g->SetSmoothing(true);
    g->SetPenWidth(1);
    const rgb_color c1 = fOpen ? Quor_ColorOps::ButtonGradient2 : Quor_ColorOps::ButtonGradient1;
    const rgb_color c2 = fOpen ? Quor_ColorOps::ButtonGradient1 : Quor_ColorOps::ButtonGradient2;
    g->RoundedGradientFill(inset, radius, true, c1, c2);
    g->SetColor(Quor_ColorOps::WidgetShadow);
    g->FrameRoundedRect(inset, radius);
    if (enabled) {
        Quor_Rect outline = Bounds();
        outline.InsetBy(0, 1);
        g->SetColor(Quor_ColorOps::WidgetOutline);
        g->FrameRoundedRect(outline, radius);
    }

    const float shift = fOpen ? 1.0f : 0.0f;
    // A triangle pointing down, half a height in from the right edge.
    const float cx = static_cast<float>(Bounds().right) - height / 2.0f + shift;
    const float cy = (Bounds().top + Bounds().bottom) / 2.0f + shift;
    const float s = height / 7.0f;
    const Quor_Vector2 a(cx - s, cy - s * 0.6f);
    const Quor_Vector2 b(cx + s, cy - s * 0.6f);
    const Quor_Vector2 c(cx, cy + s * 0.8f);
    g->SetColor(enabled ? Quor_ColorOps::WidgetOutline : Quor_ColorOps::DisabledText);
    g->BeginShape();
    g->AddLine(a, b);
    g->AddLine(b, c);
    g->AddLine(c, a);
    g->EndShape();

    // The label is centred in the part left of the triangle's square and never runs under it
    // (centred over the whole button, a label as wide as the button allows would be cut off).
    Quor_Rect clip = inset;
    clip.right = Bounds().right - height;
    if (clip.right >= clip.left) {
        g->SetClipRect(clip);
        Quor_Rect text = clip;
        if (fOpen)
            text.OffsetBy(1, 1);
        g->SetColor(enabled ? Quor_ColorOps::Text : Quor_ColorOps::DisabledText);
        g->DrawString(fLabel, text, QUOR_ALIGN_CENTER, QUOR_ALIGN_CENTER);
        g->ClearClipRect();
    }
    g->SetSmoothing(false);
}
