#include "toolkit/widgets/Quor_ColorPicker.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_LayoutView.h"
#include "toolkit/framework/Quor_PadView.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/math/Quor_Round.h"
#include "toolkit/widgets/Quor_Button.h"
#include "toolkit/widgets/Quor_StaticText.h"
#include "toolkit/widgets/Quor_TextControl.h"
#include "toolkit/widgets/Quor_WidgetLook.h"

namespace {

constexpr unsigned int kFollow = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP;
constexpr int kSampleWidth = 80;
constexpr int kSampleHeight = 48;
constexpr int kFieldWidth = 40;

uint8_t Byte(double v)
{
    return static_cast<uint8_t>(Quor_TruncToInt(Quor_Clamp(v, 0.0, 255.0)));
}

uint32_t Opaque(int r, int g, int b)
{
    return Quor_PixelConvert::Pack(static_cast<uint32_t>(r), static_cast<uint32_t>(g), static_cast<uint32_t>(b), 255);
}

// One row of a 32-bit image as an image of its own.
Quor_image RowOf(const Quor_image& image, int y)
{
    Quor_image row = image;
    row.bits = reinterpret_cast<uint8_t*>(image.Row32(y));
    row.height = 1;
    return row;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The position of a point between two edges as a fraction of `scale`, rounded and clamped: at
// `from` it is 0 and at `to` it is scale.
int Fraction(int p, int from, int to, int scale)
{
    if (to == from)
        return 0;
    return Quor_RoundClamp(static_cast<double>(p - from) * scale / (to - from), 0, scale);
}

// Where a part of the picker lies on its layer; empty for a part that could not be made.
Quor_Rect FrameOf(const Quor_View* part)
{
    return part != nullptr ? part->LayerFrame() : Quor_Rect(0, 0, -1, -1);
}

}  // namespace

Quor_ColorPicker::Quor_ColorPicker(rgb_color color, bool withAlpha, Quor_Handler* target, int what,
                                   Quor_Wnd* parent)
    : Quor_Dialog("Color Picker", parent),
      fColor(color),
      fStartColor(color),
      fHsv(Quor_ColorOps::Rgb2Hsv(color)),
      fStartHsv(fHsv),
      fWithAlpha(withAlpha),
      fConstantMessages(false),
      fTarget(target),
      fWhat(what),
      fRed(nullptr),
      fGreen(nullptr),
      fBlue(nullptr),
      fAlpha(nullptr),
      fHex(nullptr),
      fShadeView(nullptr),
      fHueView(nullptr),
      fAlphaView(nullptr),
      fSampleView(nullptr),
      fTracking(kNoRegion)
{
    if (!fWithAlpha) {
        fColor.alpha = 255;
        fStartColor.alpha = 255;
        fHsv.alpha = 255;
        fStartHsv.alpha = 255;
    }
    BuildForm();
}

void Quor_ColorPicker::BuildForm()
{
    Quor_LayoutView* form = new (std::nothrow) Quor_LayoutView(Quor_LayoutView::kVertical, 14, Quor_Point(14, 14));
    if (form == nullptr)
        return;
    AddChild(form);

    form->PushH2(QUOR_LAYOUT_NONE);
    fShadeView = new (std::nothrow) Quor_PadView(Quor_Point(kSquareSize, kSquareSize));
    fHueView = new (std::nothrow) Quor_PadView(Quor_Point(kBarWidth, kSquareSize));
    form->AddChild(fShadeView, QUOR_LAYOUT_NONE);
    form->AddChild(fHueView, QUOR_LAYOUT_NONE);
    if (fWithAlpha) {
        fAlphaView = new (std::nothrow) Quor_PadView(Quor_Point(kBarWidth, kSquareSize));
        form->AddChild(fAlphaView, QUOR_LAYOUT_NONE);
    }

    form->PushV2(QUOR_LAYOUT_NONE, 6);
    fSampleView = new (std::nothrow) Quor_PadView(Quor_Point(kSampleWidth, kSampleHeight));
    form->AddChild(fSampleView, QUOR_LAYOUT_NONE);
    const char* labels[4] = {"Red", "Green", "Blue", "Alpha"};
    Quor_TextControl** fields[4] = {&fRed, &fGreen, &fBlue, &fAlpha};
    const int rows = fWithAlpha ? 4 : 3;
    // The labels share one width, so that the fields line up.
    int labelWidth = 0;
    if (Quor_App::gRegularFont != nullptr) {
        for (int i = 0; i < rows; ++i)
            labelWidth = std::max(labelWidth, Quor_App::gRegularFont->StringWidth(labels[i]) + 4);
    }
    for (int i = 0; i < rows; ++i) {
        form->PushH2(QUOR_LAYOUT_NONE, 6);
        Quor_StaticText* label = new (std::nothrow) Quor_StaticText(labels[i], QUOR_ALIGN_LEFT, kFollow);
        if (label != nullptr && labelWidth > 0)
            label->SetShapeForced(labelWidth, label->Shape().y);
        form->AddChild(label, QUOR_LAYOUT_CENTER);
        Quor_TextControl* field = new (std::nothrow)
            Quor_TextControl(kFieldWidth, "", QUOR_MSG_PART_CHANGED, Quor_TextControl::kCount, kFollow);
        if (field != nullptr) {
            field->SetConstantMessages(true);
            if (i == 3)
                field->SetWheelInc(5.0f);
        }
        *fields[i] = field;
        form->AddChild(field, QUOR_LAYOUT_CENTER);
        form->Pop();
    }
    form->AddPadding(8);
    form->AddPadding(8);
    form->PushH2(QUOR_LAYOUT_NONE, 6);
    Quor_StaticText* hash = new (std::nothrow) Quor_StaticText("#", QUOR_ALIGN_LEFT, kFollow);
    if (hash != nullptr && labelWidth > 0)
        hash->SetShapeForced(labelWidth, hash->Shape().y);
    form->AddChild(hash, QUOR_LAYOUT_CENTER);
    fHex = new (std::nothrow) Quor_TextControl(0, "DDDDDD", QUOR_MSG_PART_TEXT, Quor_TextControl::kText, kFollow);
    if (fHex != nullptr)
        fHex->SetConstantMessages(true);
    form->AddChild(fHex, QUOR_LAYOUT_CENTER);
    form->Pop();
    form->Pop();
    form->Pop();

    form->PushH2(QUOR_LAYOUT_FAR, 8);
    Quor_Button* ok = new (std::nothrow) Quor_Button("OK", QUOR_MSG_OK, 64, true, kFollow);
    Quor_Button* cancel = new (std::nothrow) Quor_Button("Cancel", QUOR_MSG_CANCEL, 64, false, kFollow);
    form->AddChild(ok, QUOR_LAYOUT_NONE);
    form->AddChild(cancel, QUOR_LAYOUT_NONE);
    form->Pop();
    SetKeyButtons(ok, cancel);
}

// --- Regions -------------------------------------------------------------------------------------

Quor_Rect Quor_ColorPicker::ShadeRect() const
{
    return FrameOf(fShadeView);
}

Quor_Rect Quor_ColorPicker::HueRect() const
{
    return FrameOf(fHueView);
}

Quor_Rect Quor_ColorPicker::AlphaRect() const
{
    return FrameOf(fAlphaView);
}

Quor_Rect Quor_ColorPicker::SampleRect() const
{
    return FrameOf(fSampleView);
}

Quor_ColorPicker::Region Quor_ColorPicker::RegionAt(Quor_Point where) const
{
    if (ShadeRect().Contains(where))
        return kShadeSquare;
    if (HueRect().Contains(where))
        return kHueBar;
    if (fWithAlpha && AlphaRect().Contains(where))
        return kAlphaBar;
    return kNoRegion;
}

// --- Input ---------------------------------------------------------------------------------------

void Quor_ColorPicker::OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers,
                                   Quor_Message* message)
{
    const Region region = RegionAt(where);
    if (region != kNoRegion) {
        fTracking = region;
        Track(where);
        return;
    }
    Quor_Rect lowerSample = SampleRect();
    lowerSample.top += lowerSample.Height() / 2;
    if (lowerSample.Contains(where)) {
        fColor = fStartColor;
        fHsv = fStartHsv;
        ColorChanged(nullptr, true);
        return;
    }
    Quor_Dialog::OnMouseDown(where, button, modifiers, message);
}

void Quor_ColorPicker::OnMouseMove(Quor_Point where, unsigned int modifiers, Quor_Message* message)
{
    if (fTracking != kNoRegion) {
        Track(where);
        return;
    }
    Quor_Dialog::OnMouseMove(where, modifiers, message);
}

void Quor_ColorPicker::OnMouseUp(Quor_Point where, unsigned int button, unsigned int modifiers,
                                 Quor_Message* message)
{
    if (fTracking != kNoRegion) {
        fTracking = kNoRegion;
        return;
    }
    Quor_Dialog::OnMouseUp(where, button, modifiers, message);
}

void Quor_ColorPicker::Track(Quor_Point where)
{
    hsv_color hsv = fHsv;
    Quor_Rect r;
    switch (fTracking) {
    case kShadeSquare:
        r = ShadeRect();
        hsv.saturation = static_cast<uint8_t>(Fraction(where.x, r.left, r.right, 255));
        hsv.value = static_cast<uint8_t>(Fraction(where.y, r.bottom, r.top, 255));
        break;
    case kHueBar:
        r = HueRect();
        hsv.hue = static_cast<uint8_t>(Fraction(where.y, r.bottom, r.top, 254));
        break;
    case kAlphaBar:
        r = AlphaRect();
        hsv.alpha = static_cast<uint8_t>(Fraction(where.y, r.bottom, r.top, 255));
        break;
    default:
        return;
    }
    if (hsv == fHsv)
        return;
    fHsv = hsv;
    const uint8_t alpha = hsv.alpha;
    fColor = Quor_ColorOps::Hsv2Rgb(fHsv);
    fColor.alpha = fWithAlpha ? alpha : 255;
    ColorChanged(nullptr, true);
}

void Quor_ColorPicker::HandleMessage(Quor_Message* message)
{
    switch (message->what) {
    case QUOR_MSG_PART_CHANGED: {
        const rgb_color color = ColorFromFields();
        if (color == fColor)
            return;
        fColor = color;
        fHsv = Quor_ColorOps::Rgb2Hsv(fColor);
        // The field being typed in keeps its text (and its caret); a field the wheel changed is
        // not focused and is shown again like the others.
        const Quor_TextControl* typing = Quor_TextControl::gFocusedTextControl;
        ColorChanged(typing != fHex ? typing : nullptr, true);
        return;
    }
    case QUOR_MSG_PART_TEXT: {
        rgb_color color;
        if (fHex == nullptr || !ParseHex(fHex->Value(), &color))
            return;
        color.alpha = fColor.alpha;
        if (color == fColor)
            return;
        fColor = color;
        fHsv = Quor_ColorOps::Rgb2Hsv(fColor);
        ColorChanged(fHex, true);
        return;
    }
    default:
        Quor_Dialog::HandleMessage(message);
        return;
    }
}

// --- Showing a colour ----------------------------------------------------------------------------

void Quor_ColorPicker::ColorChanged(const Quor_TextControl* source, bool notify)
{
    Quor_TextControl* fields[4] = {fRed, fGreen, fBlue, fAlpha};
    const int values[4] = {fColor.red, fColor.green, fColor.blue, fColor.alpha};
    for (int i = 0; i < 4; ++i) {
        if (fields[i] != nullptr && fields[i] != source)
            fields[i]->SetValue(values[i]);
    }
    if (fHex != nullptr && fHex != source) {
        char hex[7];
        FormatHex(fColor, hex);
        fHex->SetValue(hex);
    }
    PaintRegions();
    Refresh();
    if (notify && fConstantMessages)
        SendColor(fColor);
}

void Quor_ColorPicker::SendColor(rgb_color color)
{
    if (fTarget == nullptr)
        return;
    Quor_Message message(fWhat);
    message.Set("color", color);
    fTarget->SendMessage(&message);
}

rgb_color Quor_ColorPicker::ColorFromFields() const
{
    auto read = [](const Quor_TextControl* field, uint8_t fallback) {
        return field != nullptr ? static_cast<uint8_t>(std::clamp(field->IntValue(), 0, 255)) : fallback;
    };
    rgb_color c;
    c.red = read(fRed, fColor.red);
    c.green = read(fGreen, fColor.green);
    c.blue = read(fBlue, fColor.blue);
    c.alpha = fWithAlpha ? read(fAlpha, fColor.alpha) : 255;
    return c;
}

void Quor_ColorPicker::FormatHex(rgb_color color, char out[7])
{
    // Upper-case digits, as the field's initial "DDDDDD" shows them.
    std::snprintf(out, 7, "%02X%02X%02X", static_cast<unsigned int>(color.red),
                  static_cast<unsigned int>(color.green), static_cast<unsigned int>(color.blue));
}

bool Quor_ColorPicker::ParseHex(const char* text, rgb_color* out)
{
    if (text == nullptr || out == nullptr)
        return false;
    if (*text == '#')
        ++text;
    int digits[6];
    for (int i = 0; i < 6; ++i) {
        digits[i] = HexDigit(text[i]);
        if (digits[i] < 0)
            return false;
    }
    if (text[6] != '\0')
        return false;
    out->red = static_cast<uint8_t>(digits[0] * 16 + digits[1]);
    out->green = static_cast<uint8_t>(digits[2] * 16 + digits[3]);
    out->blue = static_cast<uint8_t>(digits[4] * 16 + digits[5]);
    out->alpha = 255;
    return true;
}

// --- Dialog protocol -----------------------------------------------------------------------------

void Quor_ColorPicker::UpdateData(bool save)
{
    if (save) {
        const rgb_color color = ColorFromFields();
        if (color != fColor) {
            fColor = color;
            fHsv = Quor_ColorOps::Rgb2Hsv(fColor);
        }
        return;
    }
    ColorChanged(nullptr, false);
    if (fRed != nullptr)
        fRed->Focus(true);
}

bool Quor_ColorPicker::ValidateData()
{
    bool valid = true;
    Quor_TextControl* fields[4] = {fRed, fGreen, fBlue, fWithAlpha ? fAlpha : nullptr};
    for (Quor_TextControl* field : fields) {
        if (field != nullptr && !ValidateInt(field, 0, 255))
            valid = false;
    }
    return valid;
}

void Quor_ColorPicker::OnEndDialog(int code)
{
    if (code == QUOR_MSG_OK)
        SendColor(fColor);
    else if (fConstantMessages)
        SendColor(fStartColor);   // takes back the live preview
}

// --- Drawing -------------------------------------------------------------------------------------

void Quor_ColorPicker::InitBackground()
{
    Quor_Dialog::InitBackground();
    PaintRegions();
}

void Quor_ColorPicker::PaintRegions()
{
    Quor_PlatformImage* layerImage = LayerImage();
    if (layerImage == nullptr || !layerImage->IsValid())
        return;
    const Quor_image& whole = layerImage->Image();
    struct Part {
        Quor_Rect rect;
        void (Quor_ColorPicker::*paint)(const Quor_image&);
    };
    const Part parts[4] = {
        {ShadeRect(), &Quor_ColorPicker::PaintShadeSquare},
        {HueRect(), &Quor_ColorPicker::PaintHueBar},
        {fWithAlpha ? AlphaRect() : Quor_Rect(0, 0, -1, -1), &Quor_ColorPicker::PaintAlphaBar},
        {SampleRect(), &Quor_ColorPicker::PaintSample},
    };
    Quor_Graphics* g = LayerGraphics();
    for (const Part& part : parts) {
        if (part.rect.Width() < 2 || part.rect.Height() < 2)
            continue;
        Quor_image region;
        if (Quor_ImageOps::FillImage(&whole, part.rect, &region) != QUOR_OK)
            continue;
        // Only a region that lies wholly inside the layer is painted.
        if (region.width != part.rect.Width() || region.height != part.rect.Height())
            continue;
        (this->*part.paint)(region);
        if (g != nullptr)
            PaintFrame(g, part.rect);
    }
    if (g != nullptr) {
        PaintMarkers(g);
        g->EndDraw();
    }
}

void Quor_ColorPicker::PaintShadeSquare(const Quor_image& image)
{
    const int w = image.width;
    const int h = image.height;
    const rgb_color pure = Quor_ColorOps::Hsv2Rgb(hsv_color{fHsv.hue, 255, 128, 255});
    const double p[3] = {double(pure.red), double(pure.green), double(pure.blue)};
    for (int y = 0; y < h; ++y) {
        const double t = static_cast<double>(y) / (h - 1);
        // Each row runs from a grey (white at the top, black at the bottom) to the hue's colour
        // lightened towards white above the middle row and darkened towards black below it.
        const int grey = Byte(255.0 * (1.0 - t));
        int32_t accumulator[3];
        int32_t step[3];
        for (int c = 0; c < 3; ++c) {
            const double end = t < 0.5 ? 255.0 + (p[c] - 255.0) * 2.0 * t : p[c] * (1.0 - 2.0 * (t - 0.5));
            const int target = Byte(end);
            accumulator[c] = grey * 65536;
            step[c] = Quor_TruncToInt(static_cast<double>(target - grey) / (w - 1) * 65536.0);
        }
        uint32_t* row = image.Row32(y);
        for (int x = 0; x < w; ++x) {
            row[x] = Opaque(accumulator[0] >> 16, accumulator[1] >> 16, accumulator[2] >> 16);
            for (int c = 0; c < 3; ++c)
                accumulator[c] += step[c];
        }
    }
}

void Quor_ColorPicker::PaintHueBar(const Quor_image& image)
{
    const int h = image.height;
    for (int y = 0; y < h; ++y) {
        const double t = static_cast<double>(y) / (h - 1);
        const int hue = Quor_TruncToInt(Quor_Clamp((1.0 - t) * 255.0, 0.0, 255.0));
        int r, g, b;
        Quor_ColorOps::Hsv2Rgb(hue, 255, 128, &r, &g, &b);
        const uint32_t pixel = Opaque(r, g, b);
        uint32_t* row = image.Row32(y);
        std::fill(row, row + image.width, pixel);
    }
}

void Quor_ColorPicker::PaintAlphaBar(const Quor_image& image)
{
    const int h = image.height;
    for (int y = 0; y < h; ++y) {
        const double f = 1.0 - static_cast<double>(y) / (h - 1);
        const uint32_t odd = Opaque(Byte(179 + 76 * f), Byte(205 + 50 * f), Byte(154 + 101 * f));
        const uint32_t even = Opaque(Byte(154 + 101 * f), Byte(179 + 76 * f), Byte(205 + 50 * f));
        const Quor_image row = RowOf(image, y);
        Quor_WidgetLook::PaintChecker(row, odd, even, Quor_Point(0, y));
    }
}

void Quor_ColorPicker::PaintSample(const Quor_image& image)
{
    Quor_WidgetLook::PaintChecker(image, Quor_ColorOps::PackColor32(Quor_WidgetLook::kCheckerGrey),
                                  Quor_ColorOps::PackColor32(Quor_ColorOps::White));
    // The new colour above, the starting colour below, each over the checkerboard.
    const int half = image.height / 2;
    Quor_image upper;
    Quor_image lower;
    if (Quor_ImageOps::FillImage(&image, Quor_Rect(0, 0, image.width - 1, half - 1), &upper) == QUOR_OK)
        Quor_ImageOps::TintImage(&upper, fColor);
    if (Quor_ImageOps::FillImage(&image, Quor_Rect(0, half, image.width - 1, image.height - 1), &lower) == QUOR_OK)
        Quor_ImageOps::TintImage(&lower, fStartColor);
}

void Quor_ColorPicker::PaintFrame(Quor_Graphics* g, Quor_Rect r)
{
    g->SetSmoothing(false);
    g->SetPenWidth(1);
    Quor_Rect outer = r;
    outer.InsetBy(-2, -2);
    g->SetColor(Quor_ColorOps::WidgetOutline);
    g->FrameRect(outer);
    Quor_Rect inner = outer;
    inner.InsetBy(1, 1);
    g->SetColor(Quor_ColorOps::WidgetShadow);
    g->HLine(float(inner.left), float(inner.right), float(inner.top));
    g->VLine(float(inner.top), float(inner.bottom), float(inner.left));
    g->SetColor(Quor_ColorOps::WidgetHighlight);
    g->HLine(float(inner.left + 1), float(inner.right), float(inner.bottom));
    g->VLine(float(inner.top + 1), float(inner.bottom), float(inner.right));
}

void Quor_ColorPicker::PaintBarMarker(Quor_Graphics* g, Quor_Rect bar, int y)
{
    g->SetClipRect(bar);
    g->SetColor(Quor_ColorOps::Black);
    g->HLine(float(bar.left), float(bar.right), float(y));
    // Two discs centred just outside the bar's sides, so that only their inner halves show.
    for (const int x : {bar.left - 1, bar.right + 1}) {
        const Quor_Rect disc(x - 3, y - 3, x + 3, y + 3);
        g->SetColor(Quor_ColorOps::White);
        g->FillOval(disc);
        g->SetColor(Quor_ColorOps::Black);
        g->FrameOval(disc);
    }
    g->ClearClipRect();
}

void Quor_ColorPicker::PaintMarkers(Quor_Graphics* g)
{
    g->SetSmoothing(true);
    g->SetBezierTolerance(1.0f);
    g->SetPenWidth(1);

    const Quor_Rect shade = ShadeRect();
    if (shade.Width() > 1) {
        const int cx = Quor_RoundToInt(shade.left + (shade.right - shade.left) * fHsv.saturation / 255.0);
        const int cy = Quor_RoundToInt(shade.bottom - (shade.bottom - shade.top) * fHsv.value / 255.0);
        g->SetClipRect(shade);
        g->SetColor(Quor_ColorOps::White);
        g->FrameOval(Quor_Rect(cx - 4, cy - 4, cx + 4, cy + 4));
        g->SetColor(Quor_ColorOps::Black);
        g->FrameOval(Quor_Rect(cx - 3, cy - 3, cx + 3, cy + 3));
        g->ClearClipRect();
    }
    const Quor_Rect hue = HueRect();
    if (hue.Height() > 1)
        PaintBarMarker(g, hue, Quor_RoundToInt(hue.bottom - 1 - (hue.bottom - hue.top) * fHsv.hue / 255.0));
    if (fWithAlpha) {
        const Quor_Rect alpha = AlphaRect();
        if (alpha.Height() > 1)
            PaintBarMarker(g, alpha, Quor_RoundToInt(alpha.bottom - (alpha.bottom - alpha.top) * fHsv.alpha / 255.0));
    }
}
