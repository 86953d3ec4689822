#include "toolkit/widgets/Quor_TextControl.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

#include "toolkit/core/Quor_Beep.h"
#include "toolkit/core/Quor_Number.h"
#include "toolkit/framework/Quor_Cursor.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/math/Quor_Round.h"
#include "toolkit/widgets/Quor_WidgetLook.h"

Quor_TextControl* Quor_TextControl::gFocusedTextControl = nullptr;

namespace {

bool IsDigit(int c)
{
    return c >= '0' && c <= '9';
}

bool IsSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// A byte that may stand in the text: printable ASCII and the printable half of Latin-1.
bool IsPrintable(int c)
{
    return (c >= 32 && c <= 126) || (c >= 160 && c <= 255);
}

// Skips the blanks and the sign that may open a number; *negative tells which sign it was.
const char* SkipBlanksAndSign(const char* s, bool* negative)
{
    while (IsSpace(*s))
        ++s;
    *negative = *s == '-';
    if (*s == '+' || *s == '-')
        ++s;
    return s;
}

// The leading integer of a text as "%d" would read it (blanks, a sign, digits), saturated just
// beyond the field limit so that the caller's clamp decides; 0 when none starts the text.
int64_t LeadingInteger(const char* s)
{
    bool negative = false;
    s = SkipBlanksAndSign(s, &negative);
    int64_t value = 0;
    for (; IsDigit(*s); ++s) {
        value = value * 10 + (*s - '0');
        if (value > Quor_TextControl::kLimit)
            value = Quor_TextControl::kLimit + 1;
    }
    return negative ? -value : value;
}

// The leading decimal number of a text (blanks, a sign, digits with an optional point and an
// optional exponent) read in the C locale; 0 when none starts the text. Values too large for a
// double come back as +-infinity for the caller to clamp.
double LeadingNumber(const char* s)
{
    bool negative = false;
    s = SkipBlanksAndSign(s, &negative);
    const char* start = s;
    const char* end = s;
    int digits = 0;
    while (IsDigit(*end)) {
        ++end;
        ++digits;
    }
    if (*end == '.') {
        ++end;
        while (IsDigit(*end)) {
            ++end;
            ++digits;
        }
    }
    if (digits == 0)
        return 0.0;
    if (*end == 'e' || *end == 'E') {
        const char* e = end + 1;
        if (*e == '+' || *e == '-')
            ++e;
        if (IsDigit(*e)) {
            while (IsDigit(*e))
                ++e;
            end = e;
        }
    }
    double value = 0.0;
    const std::from_chars_result result = std::from_chars(start, end, value);
    if (result.ec == std::errc::result_out_of_range) {
        // Beyond the double range: a negative exponent made it too small, anything else too large.
        const char* e = std::find_if(start, end, [](char c) { return c == 'e' || c == 'E'; });
        value = e != end && e + 1 < end && e[1] == '-' ? 0.0 : HUGE_VAL;
    } else if (result.ec != std::errc()) {
        return 0.0;
    }
    return negative ? -value : value;
}

}  // namespace

Quor_TextControl::Quor_TextControl(int minWidth, const char* text, int what, unsigned int type,
                                   unsigned int followFlags)
    : Quor_AnimatedWidget(20.0f, false, false, true, followFlags),
      fBlink(0),
      fScrollOffset(0),
      fCaret(0),
      fAnchor(0),
      fType(type),
      fWheelIncrement(0.0f),
      fWhat(what),
      fConstantMessages(false),
      fText(text != nullptr ? text : "")
{
    switch (type) {
    case kInteger:
    case kCount:
        fWheelIncrement = 1.0f;
        break;
    case kNumber:
    case kNonNegative:
        fWheelIncrement = 0.25f;
        break;
    default:
        break;
    }
    fCaret = fText.Length();
    fAnchor = 0;
    SetCursor(Quor_Cursor::iBeamCursor);
    int width = (fFont != nullptr ? fFont->StringWidth(fText) : 0) + 16;
    if (minWidth > 0)
        width = std::max(width, minWidth);
    SetShape(width, BaseWidgetHeight());
}

Quor_TextControl::~Quor_TextControl()
{
    if (gFocusedTextControl == this)
        gFocusedTextControl = nullptr;
}

// --- Text and numbers ----------------------------------------------------------------------------

void Quor_TextControl::SetValue(const char* text)
{
    fText = text != nullptr ? text : "";
    fCaret = fText.Length();
    fAnchor = fCaret;
    Redraw(true);
}

void Quor_TextControl::SetValue(int value)
{
    SetValue(Quor_Number::IntText(value).CStr());
}

void Quor_TextControl::SetValue(float value)
{
    const double v = Quor_Clamp(static_cast<double>(value), -double(kLimit), double(kLimit));
    if (fType == kInteger || fType == kCount) {
        SetValue(Quor_RoundToInt(v));
        return;
    }
    const double whole = std::round(v);
    if (std::fabs(v - whole) <= 0.000001) {
        SetValue(Quor_RoundToInt(whole));
        return;
    }
    // Two decimals when the fraction's four-decimal form ends in two zeros, else four.
    const Quor_Number::Text fraction = Quor_Number::FixedText(v - std::trunc(v), 4);
    const int length = fraction.Length();
    const bool twoEnough = length >= 2 && fraction.CStr()[length - 1] == '0' && fraction.CStr()[length - 2] == '0';
    SetValue(Quor_Number::FixedText(v, twoEnough ? 2 : 4).CStr());
}

int Quor_TextControl::IntValue() const
{
    return static_cast<int>(std::clamp<int64_t>(LeadingInteger(fText), -kLimit, kLimit));
}

float Quor_TextControl::FloatValue() const
{
    return static_cast<float>(Quor_Clamp(LeadingNumber(fText), -double(kLimit), double(kLimit)));
}

// --- Selection -----------------------------------------------------------------------------------

void Quor_TextControl::SelectAll()
{
    Select(0, fText.Length());
}

void Quor_TextControl::Select(int anchor, int caret)
{
    fAnchor = std::clamp(anchor, 0, fText.Length());
    fCaret = std::clamp(caret, 0, fText.Length());
    fBlink = 0;
    Redraw(true);
}

Quor_String Quor_TextControl::Selection() const
{
    return fText.Slice(std::min(fCaret, fAnchor), std::max(fCaret, fAnchor));
}

void Quor_TextControl::DeleteSelection()
{
    const int from = std::min(fCaret, fAnchor);
    const int to = std::max(fCaret, fAnchor);
    if (from < to)
        fText = fText.Left(from) + fText.Slice(to, fText.Length());
    fCaret = from;
    fAnchor = from;
}

void Quor_TextControl::InsertAtCaret(char c)
{
    const int before = fText.Length();
    fText.InsertAt(fCaret, c);
    if (fText.Length() > before)
        ++fCaret;
    fAnchor = fCaret;
}

bool Quor_TextControl::Accepts(int c) const
{
    if (!IsPrintable(c))
        return false;
    switch (fType) {
    case kInteger:
        return IsDigit(c) || c == '-';
    case kNumber:
        return IsDigit(c) || c == '.' || c == '-';
    case kCount:
        return IsDigit(c);
    case kNonNegative:
        return IsDigit(c) || c == '.';
    case kNoDigits:
        return !IsDigit(c);
    default:
        return true;
    }
}

// --- Keys ----------------------------------------------------------------------------------------

void Quor_TextControl::Edited()
{
    fBlink = 0;
    Redraw(true);
    if (fConstantMessages)
        SendMessage(fWhat);
}

bool Quor_TextControl::WantsKey(int key, unsigned int modifiers)
{
    if ((modifiers & (QUOR_COMMAND | QUOR_OPTION)) != 0) {
        switch (key) {
        case 'a': case 'A': case 'c': case 'C': case 'x': case 'X': case 'v': case 'V':
            return true;
        default:
            return false;
        }
    }
    switch (key) {
    case QUOR_KEY_LEFT:
    case QUOR_KEY_RIGHT:
    case QUOR_KEY_HOME:
    case QUOR_KEY_END:
    case QUOR_KEY_BACKSPACE:
    case QUOR_KEY_DELETE:
        return true;
    default:
        return key >= 0 && key <= 255;
    }
}

void Quor_TextControl::OnKeyDown(int key, unsigned int modifiers)
{
    if (!IsEnabled())
        return;
    if ((modifiers & (QUOR_COMMAND | QUOR_OPTION)) != 0) {
        Quor_Wnd* window = Window();
        switch (key) {
        case 'a':
        case 'A':
            SelectAll();
            break;
        case 'c':
        case 'C':
            if (HasSelection() && window != nullptr)
                window->CopyToOS(Selection());
            break;
        case 'x':
        case 'X':
            if (HasSelection()) {
                if (window != nullptr)
                    window->CopyToOS(Selection());
                DeleteSelection();
                Edited();
            }
            break;
        case 'v':
        case 'V': {
            const char* pasted = window != nullptr ? window->PasteFromOS() : nullptr;
            if (pasted == nullptr || pasted[0] == '\0')
                break;
            DeleteSelection();
            // Line breaks, tabs and other control bytes of a multi-line clipboard are left out:
            // they have no place in a one-line field.
            Quor_String kept;
            if (!kept.Alloc(static_cast<int>(std::min<size_t>(std::strlen(pasted), INT_MAX - 2))))
                break;
            char* out = kept.Buffer();
            int n = 0;
            for (const char* p = pasted; *p != '\0' && n < kept.Capacity() - 1; ++p) {
                if (IsPrintable(static_cast<unsigned char>(*p)))
                    out[n++] = *p;
            }
            out[n] = '\0';
            kept.UpdateLength();
            fText = fText.Left(fCaret) + kept + fText.Slice(fCaret, fText.Length());
            fCaret += kept.Length();
            fCaret = std::min(fCaret, fText.Length());
            fAnchor = fCaret;
            fBlink = 0;
            Redraw(true);
            SendMessage(fWhat);
            break;
        }
        default:
            break;
        }
        return;
    }

    const int length = fText.Length();
    if (key >= 0 && key <= 255) {
        if (!IsPrintable(key) || !Accepts(key)) {
            Quor_Beep();
            return;
        }
        DeleteSelection();
        InsertAtCaret(static_cast<char>(key));
    } else {
        switch (key) {
        case QUOR_KEY_LEFT:
        case QUOR_KEY_RIGHT:
        case QUOR_KEY_HOME:
        case QUOR_KEY_END: {
            int caret = fCaret;
            if (key == QUOR_KEY_LEFT)
                --caret;
            else if (key == QUOR_KEY_RIGHT)
                ++caret;
            else if (key == QUOR_KEY_HOME)
                caret = 0;
            else
                caret = length;
            fCaret = std::clamp(caret, 0, length);
            if ((modifiers & QUOR_SHIFT) == 0)
                fAnchor = fCaret;
            break;
        }
        case QUOR_KEY_BACKSPACE:
        case QUOR_KEY_DELETE:
            if (HasSelection()) {
                DeleteSelection();
            } else if (key == QUOR_KEY_BACKSPACE && fCaret > 0) {
                fText.RemoveAt(fCaret - 1);
                --fCaret;
            } else if (key == QUOR_KEY_DELETE && fCaret < length) {
                fText.RemoveAt(fCaret);
            }
            fAnchor = fCaret;
            break;
        default:
            break;
        }
    }
    Edited();
}

// --- Pointer -------------------------------------------------------------------------------------

void Quor_TextControl::OnMouseDown(Quor_Point where, unsigned int, unsigned int, Quor_Message*)
{
    if (!IsEnabled())
        return;
    fCaret = FindPos(where);
    fAnchor = fCaret;
    fLastDragPoint = where;
    fBlink = 0;
    Redraw(true);
}

void Quor_TextControl::OnMouseMove(Quor_Point where, unsigned int modifiers, Quor_Message*)
{
    if (!IsEnabled())
        return;
    if (IsMouseDragging(QUOR_LEFT_BUTTON)) {
        const int caret = FindPos(where);
        if (caret != fCaret) {
            fCaret = caret;
            fBlink = 0;
            Redraw(true);
        }
    } else if (IsMouseDragging(QUOR_RIGHT_BUTTON)) {
        const int notches = (where.x - fLastDragPoint.x) / kScrubPixels;
        if (notches != 0) {
            fLastDragPoint = where;
            OnMouseWheel(static_cast<float>(notches), where, modifiers, nullptr);
        }
    }
}

void Quor_TextControl::OnMouseWheel(float delta, Quor_Point, unsigned int modifiers, Quor_Message* message)
{
    if (!IsEnabled() || fType < kInteger || fType > kNonNegative || !std::isfinite(delta))
        return;
    // The wheel's own call carries no modifiers; the event's message does.
    int fromMessage = 0;
    if (message != nullptr && message->Get("modifiers", &fromMessage))
        modifiers |= static_cast<unsigned int>(fromMessage);
    double step = static_cast<double>(delta) * fWheelIncrement;
    if ((modifiers & QUOR_SHIFT) != 0)
        step *= 2.0;
    if ((modifiers & QUOR_COMMAND) != 0)
        step *= 0.5;
    const bool integer = fType == kInteger || fType == kCount;
    if (integer && step < 0.0)
        step = std::min(step, -1.0);
    double value = static_cast<double>(FloatValue()) + step;
    switch (fType) {
    case kInteger:
        SetValue(Quor_RoundToInt(value));
        break;
    case kCount:
        SetValue(Quor_RoundToInt(std::max(0.0, value)));
        break;
    case kNonNegative:
        value = std::max(0.0, value);
        SetValue(static_cast<float>(value));
        break;
    default:
        SetValue(static_cast<float>(value));
        break;
    }
    SendMessage(fWhat);
}

void Quor_TextControl::OnMouseUp(Quor_Point, unsigned int, unsigned int, Quor_Message*) {}

int Quor_TextControl::FindPos(Quor_Point where) const
{
    const int length = fText.Length();
    int x = InnerRect().left - fScrollOffset;
    int count = 0;
    char one[2] = {0, 0};
    for (; count < length; ++count) {
        one[0] = fText.GetAt(count);
        const int advance = fFont != nullptr ? fFont->StringWidth(one) : 0;
        if (x + advance / 2 >= where.x)
            break;
        x += advance;
    }
    return std::clamp(count, 0, length);
}

// --- Focus and blinking --------------------------------------------------------------------------

void Quor_TextControl::OnFocus(bool focused)
{
    fBlink = 0;
    fCaret = fText.Length();
    fAnchor = 0;
    if (focused) {
        gFocusedTextControl = this;
        Start();
    } else {
        if (gFocusedTextControl == this)
            gFocusedTextControl = nullptr;
        Stop();
    }
    Redraw(true);
    if (!focused)
        SendMessage(fWhat);
}

void Quor_TextControl::DrawFrame(Quor_Graphics*, int, float, float)
{
    fBlink = (fBlink + 1) % kBlinkFrames;
}

bool Quor_TextControl::CaretShown() const
{
    return IsFocused() && IsRunning() && fBlink < kCaretFrames;
}

// --- Drawing -------------------------------------------------------------------------------------

Quor_Rect Quor_TextControl::InnerRect() const
{
    Quor_Rect r = Bounds();
    r.InsetBy(TinyCornerRadius(), 3);
    return r;
}

int Quor_TextControl::TextWidth(int from, int to) const
{
    if (fFont == nullptr || to <= from)
        return 0;
    return fFont->StringWidth(fText.Slice(from, to));
}

void Quor_TextControl::UpdateScrollOffset()
{
    if (!IsFocused()) {
        fScrollOffset = 0;
        return;
    }
    const int room = InnerRect().Width();
    const int caretX = TextWidth(0, fCaret);
    if (fCaret == fText.Length())
        fScrollOffset = caretX - (room - kCaretMargin);
    else if (caretX - fScrollOffset > room - kCaretMargin)
        fScrollOffset = caretX - (room - kCaretMargin);
    if (caretX - fScrollOffset < kCaretMargin)
        fScrollOffset = caretX - kCaretMargin;
    fScrollOffset = std::max(0, fScrollOffset);
}

void Quor_TextControl::RedrawMe(Quor_Graphics* g)
{
    const bool enabled = IsEnabled();
    Quor_WidgetLook::DrawField(g, Bounds(), TinyCornerRadius(),
                               enabled ? Quor_ColorOps::TextBackground : Quor_ColorOps::DisabledTextBackground, enabled);

    UpdateScrollOffset();
    const Quor_Rect inner = InnerRect();
    const int x0 = inner.left - fScrollOffset;
    // Clipped at the sides of the text area; accents above capitals may use the rows above it.
    g->SetClipRect(Quor_Rect(inner.left, 1, inner.right, Bounds().bottom - 1));
    g->SetSmoothing(false);
    g->SetColor(enabled ? Quor_ColorOps::Text : Quor_ColorOps::DisabledText);
    g->DrawString(fText, Quor_Rect(x0, inner.top, inner.right, inner.bottom), QUOR_ALIGN_LEFT, QUOR_ALIGN_CENTER);

    // The selection shows only while the field has the focus, so that fields elsewhere on a
    // form do not all look selected.
    if (IsFocused() && HasSelection()) {
        const int from = std::min(fCaret, fAnchor);
        const int to = std::max(fCaret, fAnchor);
        const int left = x0 + TextWidth(0, from);
        const int right = x0 + TextWidth(0, to) - 1;
        g->SetColor(enabled ? Quor_ColorOps::TextHighlight : Quor_ColorOps::DisabledText);
        g->FillRect(Quor_Rect(left, inner.top, right, inner.bottom));
        g->SetColor(Quor_ColorOps::HighlightedText);
        g->DrawString(fText.Slice(from, to), Quor_Rect(left, inner.top, right, inner.bottom), QUOR_ALIGN_LEFT,
                      QUOR_ALIGN_CENTER);
    }
    if (CaretShown()) {
        const int x = x0 + TextWidth(0, fCaret);
        g->SetColor(Quor_ColorOps::Text);
        g->FillRect(Quor_Rect(x - 1, inner.top, x, inner.bottom));
    }
    g->ClearClipRect();
}
