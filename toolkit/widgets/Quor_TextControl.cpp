#include "toolkit/widgets/Quor_TextControl.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>
#include <string>

#include "toolkit/core/Quor_Beep.h"
#include "toolkit/core/Quor_Number.h"
#include "toolkit/core/Quor_Utf8.h"
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

// A character that may stand in a one-line field: anything but the control characters (C0, DEL
// and C1), surrogates and values beyond the last code point.
bool IsPrintable(int64_t c)
{
    return c >= 32 && c != 127 && !(c >= 0x80 && c <= 0x9F) && !(c >= 0xD800 && c <= 0xDFFF) &&
           c <= Quor_Utf8::kLastCodePoint;
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
      fMaxBytes(kDefaultMaxBytes),
      fFocusPress(0),
      fOffsetBeforeFocus(0),
      fClicks(0)
{
    SetValue(text);
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
    const size_t length = text != nullptr ? std::strlen(text) : 0;
    const int kept = static_cast<int>(Quor_Utf8::BoundaryAtOrBefore(text, length, static_cast<size_t>(fMaxBytes)));
    Quor_String value;
    if (value.Alloc(kept)) {
        if (kept > 0)
            std::memcpy(value.Buffer(), text, static_cast<size_t>(kept));
        value.Buffer()[kept] = '\0';
        value.UpdateLength();
        fText = std::move(value);
    }
    fCaret = fText.Length();
    fAnchor = fCaret;
    Redraw(true);
}

void Quor_TextControl::SetMaxBytes(int bytes)
{
    fMaxBytes = std::max(1, bytes);
    if (fText.Length() > fMaxBytes)
        SetValue(Quor_String(fText));
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
    const size_t length = static_cast<size_t>(fText.Length());
    auto boundary = [&](int at) {
        return static_cast<int>(Quor_Utf8::BoundaryAtOrBefore(fText, length, static_cast<size_t>(std::max(0, at))));
    };
    fAnchor = boundary(anchor);
    fCaret = boundary(caret);
    fBlink = 0;
    Redraw(true);
}

Quor_String Quor_TextControl::Selection() const
{
    return fText.Slice(std::min(fCaret, fAnchor), std::max(fCaret, fAnchor));
}

int Quor_TextControl::NextBoundary(int at) const
{
    return static_cast<int>(Quor_Utf8::NextBoundary(fText, static_cast<size_t>(fText.Length()), static_cast<size_t>(at)));
}

int Quor_TextControl::PreviousBoundary(int at) const
{
    return static_cast<int>(Quor_Utf8::PreviousBoundary(fText, static_cast<size_t>(fText.Length()), static_cast<size_t>(at)));
}

bool Quor_TextControl::IsWordByte(int at) const
{
    const unsigned char c = static_cast<unsigned char>(fText[at]);
    return c >= 0x80 || std::isalnum(c) != 0;
}

int Quor_TextControl::PreviousWordStart(int at) const
{
    int i = std::clamp(at, 0, fText.Length());
    while (i > 0 && !IsWordByte(i - 1))
        --i;
    while (i > 0 && IsWordByte(i - 1))
        --i;
    return i;
}

int Quor_TextControl::NextWordEnd(int at) const
{
    const int length = fText.Length();
    int i = std::clamp(at, 0, length);
    while (i < length && !IsWordByte(i))
        ++i;
    while (i < length && IsWordByte(i))
        ++i;
    return i;
}

void Quor_TextControl::SelectWordAt(int at)
{
    const int length = fText.Length();
    if (length == 0)
        return;
    // A press after the last character picks the last one's run.
    const int probe = std::min(at, length - 1);
    const bool word = IsWordByte(probe);
    int start = probe;
    while (start > 0 && IsWordByte(start - 1) == word)
        --start;
    int end = probe;
    while (end < length && IsWordByte(end) == word)
        ++end;
    fAnchor = start;
    fCaret = end;
}

void Quor_TextControl::WordKey(int key, unsigned int modifiers)
{
    switch (key) {
    case QUOR_KEY_LEFT:
        fCaret = PreviousWordStart(fCaret);
        if ((modifiers & QUOR_SHIFT) == 0)
            fAnchor = fCaret;
        break;
    case QUOR_KEY_RIGHT:
        fCaret = NextWordEnd(fCaret);
        if ((modifiers & QUOR_SHIFT) == 0)
            fAnchor = fCaret;
        break;
    case QUOR_KEY_BACKSPACE:
        if (HasSelection())
            DeleteSelection();
        else
            Replace(PreviousWordStart(fCaret), fCaret, "", 0);
        fAnchor = fCaret;
        break;
    default:
        if (HasSelection()) {
            DeleteSelection();
        } else {
            const int end = NextWordEnd(fCaret);
            const int caret = fCaret;
            Replace(caret, end, "", 0);
            fCaret = caret;
        }
        fAnchor = fCaret;
        break;
    }
    Edited();
}

bool Quor_TextControl::Replace(int from, int to, const char* bytes, int length)
{
    const int kept = fText.Length() - (to - from);
    const int room = std::max(0, fMaxBytes - kept);
    const int inserted = static_cast<int>(
        Quor_Utf8::BoundaryAtOrBefore(bytes, static_cast<size_t>(length), static_cast<size_t>(std::min(length, room))));
    Quor_String text;
    if (!text.Alloc(kept + inserted))
        return false;
    char* out = text.Buffer();
    std::memcpy(out, fText.Buffer(), static_cast<size_t>(from));
    if (inserted > 0)
        std::memcpy(out + from, bytes, static_cast<size_t>(inserted));
    std::memcpy(out + from + inserted, fText.Buffer() + to, static_cast<size_t>(fText.Length() - to));
    out[kept + inserted] = '\0';
    text.UpdateLength();
    fText = std::move(text);
    fCaret = from + inserted;
    fAnchor = fCaret;
    return true;
}

void Quor_TextControl::DeleteSelection()
{
    const int from = std::min(fCaret, fAnchor);
    if (!Replace(from, std::max(fCaret, fAnchor), "", 0)) {
        fCaret = from;
        fAnchor = from;
    }
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
        case QUOR_KEY_LEFT: case QUOR_KEY_RIGHT: case QUOR_KEY_BACKSPACE: case QUOR_KEY_DELETE:
            return (modifiers & QUOR_COMMAND) != 0;
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
    // Nothing a key does may end the program: a failed allocation leaves the field as it was.
    try {
        KeyDown(key, modifiers);
    } catch (const std::bad_alloc&) {
        Quor_Beep();
    }
}

void Quor_TextControl::KeyDown(int key, unsigned int modifiers)
{
    if ((modifiers & QUOR_COMMAND) != 0 && (key == QUOR_KEY_LEFT || key == QUOR_KEY_RIGHT ||
                                            key == QUOR_KEY_BACKSPACE || key == QUOR_KEY_DELETE)) {
        WordKey(key, modifiers);
        return;
    }
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
        case 'V':
            Paste();
            break;
        default:
            break;
        }
        return;
    }

    const int length = fText.Length();
    if (key >= 0) {
        char utf8[4];
        const int bytes = IsPrintable(key) && Accepts(key) ? Quor_Utf8::Encode(static_cast<uint32_t>(key), utf8) : 0;
        const int selected = std::abs(fCaret - fAnchor);
        if (bytes == 0 || length - selected + bytes > fMaxBytes) {
            Quor_Beep();
            return;
        }
        if (!Replace(std::min(fCaret, fAnchor), std::max(fCaret, fAnchor), utf8, bytes)) {
            Quor_Beep();
            return;
        }
    } else {
        switch (key) {
        case QUOR_KEY_LEFT:
        case QUOR_KEY_RIGHT:
        case QUOR_KEY_HOME:
        case QUOR_KEY_END: {
            const bool shift = (modifiers & QUOR_SHIFT) != 0;
            if (key == QUOR_KEY_LEFT && HasSelection() && !shift)
                fCaret = std::min(fCaret, fAnchor);
            else if (key == QUOR_KEY_RIGHT && HasSelection() && !shift)
                fCaret = std::max(fCaret, fAnchor);
            else if (key == QUOR_KEY_LEFT)
                fCaret = PreviousBoundary(fCaret);
            else if (key == QUOR_KEY_RIGHT)
                fCaret = NextBoundary(fCaret);
            else if (key == QUOR_KEY_HOME)
                fCaret = 0;
            else
                fCaret = length;
            if ((modifiers & QUOR_SHIFT) == 0)
                fAnchor = fCaret;
            break;
        }
        case QUOR_KEY_BACKSPACE:
        case QUOR_KEY_DELETE:
            if (HasSelection())
                DeleteSelection();
            else if (key == QUOR_KEY_BACKSPACE && fCaret > 0)
                Replace(PreviousBoundary(fCaret), fCaret, "", 0);
            else if (key == QUOR_KEY_DELETE && fCaret < length)
                Replace(fCaret, NextBoundary(fCaret), "", 0);
            fAnchor = fCaret;
            break;
        default:
            break;
        }
    }
    Edited();
}

void Quor_TextControl::Paste()
{
    Quor_Wnd* window = Window();
    const char* pasted = window != nullptr ? window->PasteFromOS() : nullptr;
    if (pasted == nullptr || pasted[0] == '\0')
        return;
    // Line breaks, tabs and other control characters of a multi-line clipboard are left out:
    // they have no place in a one-line field. What does not fit is cut off; only the bytes that
    // can be kept are looked at.
    const int from = std::min(fCaret, fAnchor);
    const int to = std::max(fCaret, fAnchor);
    const size_t room = static_cast<size_t>(std::max(0, fMaxBytes - (fText.Length() - (to - from))));
    const size_t length = std::strlen(pasted);
    std::string kept;
    kept.reserve(std::min(length, room));
    for (size_t at = 0; at < length && kept.size() < room;) {
        size_t bytes = 0;
        const uint32_t c = Quor_Utf8::Decode(pasted, length, at, &bytes);
        if (IsPrintable(c)) {
            if (kept.size() + bytes > room)
                break;
            kept.append(pasted + at, bytes);
        }
        at += bytes;
    }
    if (!Replace(from, to, kept.data(), static_cast<int>(kept.size()))) {
        Quor_Beep();
        return;
    }
    if (kept.size() < length)
        Quor_Beep();   // some of it was left out
    fBlink = 0;
    Redraw(true);
    SendMessage(fWhat);
}

// --- Pointer -------------------------------------------------------------------------------------

void Quor_TextControl::OnMouseDown(Quor_Point where, unsigned int button, unsigned int, Quor_Message* message)
{
    if (!IsEnabled())
        return;
    // A press that has just given the field the focus lands on the text as it was shown.
    const Quor_Wnd* window = Window();
    if (window != nullptr && window->PressCount() == fFocusPress)
        fScrollOffset = fOffsetBeforeFocus;
    fCaret = FindPos(where);
    fAnchor = fCaret;
    bool doubleClick = false;
    if (message != nullptr)
        message->Get("doubleclick", &doubleClick);
    fClicks = doubleClick && button == QUOR_LEFT_BUTTON ? fClicks + 1 : 1;
    if (fClicks == 2)
        SelectWordAt(fCaret);
    else if (fClicks >= 3)
        SelectAll();
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
    int at = 0;
    while (at < length) {
        const int next = NextBoundary(at);
        const int advance = TextWidth(at, next);
        if (x + advance / 2 >= where.x)
            break;
        x += advance;
        at = next;
    }
    return at;
}

// --- Focus and blinking --------------------------------------------------------------------------

void Quor_TextControl::OnFocus(bool focused)
{
    if (focused) {
        const Quor_Wnd* window = Window();
        fFocusPress = window != nullptr ? window->PressCount() : 0;
        fOffsetBeforeFocus = fScrollOffset;
    }
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
    return fFont->StringWidth(fText.Buffer() + from, static_cast<size_t>(to - from));
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
