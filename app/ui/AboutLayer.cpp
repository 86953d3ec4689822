#include "app/ui/AboutLayer.h"

#include "app/ui/data/PanomerArt.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"

namespace {

// The maker's lines, above the version line.
constexpr const char* kMakerLine = "Quor Panomer: panoramas from overlapping photographs";
constexpr const char* kRightsLine = "Copyright \xA9 the Quor Panomer authors. All rights reserved.";

// The credits, in the order they scroll past: each library the program links and the fonts it
// carries, with the address and the notices their licences ask to be shown.
constexpr const char* kCredits[] = {
    ".libjpeg",
    "https://www.ijg.org",
    "This software is based in part on the work of",
    "the Independent JPEG Group.",
    "libjpeg-turbo: https://libjpeg-turbo.org",
    "Copyright \xA9 2009-2023 D. R. Commander.",
    "All Rights Reserved.",
    "",
    ".zlib",
    "https://zlib.net",
    "Copyright \xA9 1995-2022 Jean-loup Gailly and Mark Adler.",
    "",
    ".libpng",
    "http://www.libpng.org/pub/png/libpng.html",
    "Copyright \xA9 1995-2022 The PNG Reference Library Authors.",
    "Copyright \xA9 2018-2022 Cosmin Truta.",
    "Copyright \xA9 2000-2002, 2004, 2006-2018 Glenn Randers-Pehrson.",
    "Copyright \xA9 1996-1997 Andreas Dilger.",
    "Copyright \xA9 1995-1996 Guy Eric Schalnat, Group 42, Inc.",
    "",
    ".FreeType",
    "https://freetype.org",
    "Portions of this software are copyright \xA9 2022",
    "The FreeType Project (www.freetype.org).",
    "All rights reserved.",
    "",
    ".GIFLIB",
    "https://giflib.sourceforge.net",
    "Copyright \xA9 1997 Eric S. Raymond.",
    "",
    ".DejaVu Fonts",
    "https://dejavu-fonts.github.io",
    "The interface fonts are drawn from DejaVu Sans Condensed.",
    "DejaVu changes are in the public domain.",
    "Bitstream Vera Fonts Copyright \xA9 2003 by Bitstream, Inc.",
    "All Rights Reserved. Bitstream Vera is a trademark",
    "of Bitstream, Inc.",
};

constexpr rgb_color kShadow{184, 179, 155, 255};
constexpr rgb_color kText{0, 0, 0, 255};

Quor_Font* LineFont(Quor_Font* preferred)
{
    return preferred != nullptr ? preferred : Quor_App::gRegularFont;
}

}  // namespace

AboutLayer::AboutLayer()
    : Quor_Layer(QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP),
      fBackground{164, 158, 126, 255},
      fScrollOffset(0),
      fTimer(0)
{
    SetShape(kabout.width, kabout.height);
    const Quor_Rect bounds = Bounds();
    fCreditsArea = Quor_Rect(bounds.left + 4, bounds.bottom - 96, bounds.right - 4, bounds.bottom - 96 + 49);
    if (fCredits.Initialize(fCreditsArea.Width(), fCreditsArea.Height(), 32) == QUOR_OK)
        fCreditsGraphics.AttachToImage(&fCredits.Image());
    for (const char* line : kCredits)
        Add(line);
}

AboutLayer::~AboutLayer() = default;

void AboutLayer::Add(const char* line)
{
    fLines.emplace_back(line != nullptr ? line : "");
}

const char* AboutLayer::LineAt(int index) const
{
    if (index < 0 || index >= CountLines())
        return nullptr;
    return fLines[static_cast<size_t>(index)].Buffer();
}

void AboutLayer::HandleMessage(Quor_Message* message)
{
    if (message->what == QUOR_MSG_TICK) {
        Tick();
        return;
    }
    Quor_Layer::HandleMessage(message);
}

void AboutLayer::AttachedToWindow()
{
    Quor_Layer::AttachedToWindow();
    if (Window() != nullptr && fTimer == 0)
        fTimer = Window()->SetTimer(kTickSeconds, this, QUOR_MSG_TICK);
}

void AboutLayer::DetachedFromWindow()
{
    if (Window() != nullptr && fTimer != 0)
        Window()->KillTimer(fTimer);
    fTimer = 0;
    Quor_Layer::DetachedFromWindow();
}

void AboutLayer::OnMouseDown(Quor_Point, unsigned int, unsigned int, Quor_Message*)
{
    Close();
}

void AboutLayer::OnMouseDownOutside(Quor_Point, unsigned int, unsigned int, Quor_Message*)
{
    Close();
}

void AboutLayer::OnKeyDown(int, unsigned int)
{
    Close();
}

void AboutLayer::Close()
{
    if (Window() != nullptr)
        Window()->EndModal(QUOR_MSG_OK);
}

void AboutLayer::InitBackground()
{
    Quor_Graphics* g = LayerGraphics();
    if (g == nullptr)
        return;
    g->BeginDraw();
    g->Blit(&kabout, 0.0f, 0.0f);

    Quor_Font* font = LineFont(Quor_App::gItalicSmallFont);
    g->SetFont(font);
    g->SetColor(kText);
    Quor_Rect text = Bounds();
    text.InsetBy(6, 6);
    Quor_String version("Version ");
    if (Quor_App::gApp != nullptr)
        version += Quor_App::gApp->SecondName();
    g->DrawString(version, text, QUOR_ALIGN_LEFT, QUOR_ALIGN_BOTTOM);
    g->DrawString(__DATE__ " " __TIME__, text, QUOR_ALIGN_RIGHT, QUOR_ALIGN_BOTTOM);
    const int lineHeight = font != nullptr ? font->LineToLineHeight() : 12;
    text.bottom -= lineHeight;
    g->DrawString(kRightsLine, text, QUOR_ALIGN_LEFT, QUOR_ALIGN_BOTTOM);
    text.bottom -= lineHeight;
    g->DrawString(kMakerLine, text, QUOR_ALIGN_LEFT, QUOR_ALIGN_BOTTOM);
    g->EndDraw();
    UpdateCredits();
}

void AboutLayer::Tick()
{
    UpdateCredits();
    Refresh(fCreditsArea);
    ++fScrollOffset;
    Quor_Font* regular = LineFont(Quor_App::gRegularSmallFont);
    const int lineHeight = regular != nullptr ? regular->LineToLineHeight() : 12;
    // Gone once even the last line has passed the strip's top.
    if (fCredits.Height() - fScrollOffset + lineHeight * CountLines() < 0)
        fScrollOffset = 0;
}

void AboutLayer::UpdateCredits()
{
    Quor_Graphics* layer = LayerGraphics();
    if (layer == nullptr || !fCredits.IsValid())
        return;
    layer->BeginDraw();
    layer->SetColor(fBackground);
    layer->FillRect(fCreditsArea);
    layer->EndDraw();

    Quor_Graphics& g = fCreditsGraphics;
    fCredits.Clear(fBackground);
    g.ResetState();
    g.SetViewMode(QUOR_VIEW_PIXELS);
    g.BeginDraw();
    Quor_Font* regular = LineFont(Quor_App::gRegularSmallFont);
    Quor_Font* heading = LineFont(Quor_App::gBoldSmallFont);
    const int lineHeight = regular != nullptr ? regular->LineToLineHeight() : 12;
    int y = fCredits.Height() - fScrollOffset;
    for (const Quor_String& line : fLines) {
        // Only lines that reach into the strip are drawn.
        if (y + lineHeight >= 0 && y < fCredits.Height() && !line.IsEmpty()) {
            const bool isHeading = line.GetAt(0) == '.';
            const char* text = isHeading ? line.Buffer() + 1 : line.Buffer();
            g.SetFont(isHeading ? heading : regular);
            g.SetColor(kShadow);
            g.MoveTo(9, y + 1);
            g.DrawString(text, QUOR_ALIGN_RIGHT, QUOR_ALIGN_BOTTOM);
            g.SetColor(kText);
            g.MoveTo(8, y);
            g.DrawString(text, QUOR_ALIGN_RIGHT, QUOR_ALIGN_BOTTOM);
        }
        y += lineHeight;
    }
    g.EndDraw();

    // The strip fades out at its top and bottom edges.
    const Quor_image& image = fCredits.Image();
    Quor_ImageOps::SetAlpha(&image, 0);
    Quor_image solid;
    if (Quor_ImageOps::FillImage(&image, Quor_Rect(0, kFade, image.width - 1, image.height - 1 - kFade), &solid) ==
        QUOR_OK)
        Quor_ImageOps::SetAlpha(&solid, 255);
    Quor_ImageOps::AlphaBlur(&image, kFade);

    layer = LayerGraphics();
    if (layer == nullptr)
        return;
    layer->BeginDraw();
    layer->BlitAlpha(&image, static_cast<float>(fCreditsArea.left), static_cast<float>(fCreditsArea.top), false);
    layer->EndDraw();
}
