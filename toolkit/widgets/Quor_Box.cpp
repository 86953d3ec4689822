#include "toolkit/widgets/Quor_Box.h"

#include <algorithm>

#include "toolkit/framework/Quor_App.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"

Quor_Box::Quor_Box(const char* title, unsigned int followFlags)
    : Quor_BaseWidget(false, followFlags), fTitle(title != nullptr ? title : "")
{
    SetFont(Quor_App::gBoldFont);
}

int Quor_Box::FontHeight() const
{
    return fFont != nullptr ? fFont->FontHeight() : 11;
}

Quor_Point Quor_Box::PreferredSize()
{
    if (CountChildren() != 1)
        return Quor_BaseWidget::PreferredSize();
    const Quor_Point child = GetChild(0)->PreferredSize();
    return Quor_Point(child.x + 16, child.y + FontHeight() + 16);
}

void Quor_Box::DoLayout()
{
    if (CountChildren() != 1) {
        Quor_BaseWidget::DoLayout();
        return;
    }
    Quor_View* child = GetChild(0);
    child->DoLayout();
    const Quor_Point size = child->PreferredSize();
    child->SetShape(size.x, size.y);
    // Eventless: the child is placed by hand, not moved by its follow flags.
    const Quor_Point own = PreferredSize();
    SetShapeEventless(own.x, own.y);
    child->SetLocation(8, FontHeight() + 8);
}

void Quor_Box::DoReLayout()
{
    if (CountChildren() != 1) {
        Quor_BaseWidget::DoReLayout();
        return;
    }
    Quor_View* child = GetChild(0);
    const Quor_Point size = Shape();
    child->SetShape(std::max(1, size.x - 16), std::max(1, size.y - FontHeight() - 16));
    child->DoReLayout();
}

void Quor_Box::RedrawMe(Quor_Graphics* g)
{
    const Quor_Rect bounds = Bounds();
    const int r = BigCornerRadius();
    const int titleWidth = std::max(0, std::min(fFont != nullptr ? fFont->StringWidth(fTitle) : 0, bounds.Width() - 16));
    const int titleLeft = bounds.left + r + 6;
    const int titleRight = titleLeft + titleWidth;
    Quor_Rect frame = bounds;
    frame.top += FontHeight() / 2;

    g->SetPenWidth(1);
    g->RoundedGradientFill(frame, r, true, Quor_ColorOps::BoxGradient1, Quor_ColorOps::BoxGradient2);

    // Two pixels of outline, left open on the top edge around the title.
    const int middle = bounds.top + bounds.Height() / 2;
    const Quor_Rect clips[3] = {
        Quor_Rect(bounds.left, middle, bounds.right, bounds.bottom),
        Quor_Rect(bounds.left, bounds.top, titleLeft - 4, middle - 1),
        Quor_Rect(titleRight + 4, bounds.top, bounds.right, middle - 1),
    };
    const Quor_Point insets[4] = {Quor_Point(0, 0), Quor_Point(1, 0), Quor_Point(0, 1), Quor_Point(1, 1)};
    g->SetSmoothing(true);
    g->SetColor(Quor_ColorOps::BoxOutline);
    for (const Quor_Rect& clip : clips) {
        if (clip.right < clip.left || clip.bottom < clip.top)
            continue;
        g->SetClipRect(clip);
        for (const Quor_Point& d : insets) {
            Quor_Rect outline = frame;
            outline.InsetBy(d.x, d.y);
            g->FrameRoundedRect(outline, r);
        }
    }
    g->ClearClipRect();

    if (titleWidth > 0) {
        g->SetClipRect(Quor_Rect(titleLeft, bounds.top, titleRight - 1, bounds.bottom));
        g->SetColor(Quor_ColorOps::Text);
        g->MoveTo(titleLeft, frame.top);
        g->DrawString(fTitle, QUOR_ALIGN_RIGHT, QUOR_ALIGN_CENTER);
        g->ClearClipRect();
    }
}
