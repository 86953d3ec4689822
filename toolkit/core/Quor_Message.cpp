#include "toolkit/core/Quor_Message.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

#include "toolkit/core/Quor_FileStream.h"
#include "toolkit/core/Quor_IoStream.h"
#include "toolkit/core/Quor_Number.h"

namespace {

constexpr int kInitialCapacity = 2;

bool Representable(const Quor_String& text)
{
    return text.Find('"') < 0;
}

}  // namespace

Quor_Message::Quor_Message() : Quor_Message(0) {}

Quor_Message::Quor_Message(int whatCode)
    : what(whatCode),
      fCount(0),
      fCapacity(0),
      fKeys(new (std::nothrow) Quor_String[kInitialCapacity]),
      fValues(new (std::nothrow) Quor_String[kInitialCapacity])
{
    if (fKeys != nullptr && fValues != nullptr) {
        fCapacity = kInitialCapacity;
    } else {
        delete[] fKeys;
        delete[] fValues;
        fKeys = nullptr;
        fValues = nullptr;
    }
}

Quor_Message::Quor_Message(const Quor_Message& other) : Quor_Message(other.what)
{
    *this = other;
}

Quor_Message& Quor_Message::operator=(const Quor_Message& other)
{
    if (this == &other)
        return *this;
    what = other.what;
    fCount = 0;
    for (int i = 0; i < other.fCount; ++i)
        Set(other.fKeys[i], other.fValues[i].Buffer());
    return *this;
}

Quor_Message::~Quor_Message()
{
    delete[] fKeys;
    delete[] fValues;
}

const char* Quor_Message::KeyAt(int i) const
{
    return i >= 0 && i < fCount ? fKeys[i].Buffer() : nullptr;
}

const char* Quor_Message::ValueAt(int i) const
{
    return i >= 0 && i < fCount ? fValues[i].Buffer() : nullptr;
}

int Quor_Message::IndexOf(const char* name) const
{
    if (name == nullptr)
        return -1;
    for (int i = 0; i < fCount; ++i)
        if (fKeys[i] == name)
            return i;
    return -1;
}

bool Quor_Message::Grow()
{
    if (fCapacity > INT_MAX / 2)
        return false;
    const int capacity = fCapacity > 0 ? fCapacity * 2 : kInitialCapacity;
    Quor_String* keys = new (std::nothrow) Quor_String[static_cast<size_t>(capacity)];
    Quor_String* values = new (std::nothrow) Quor_String[static_cast<size_t>(capacity)];
    if (keys == nullptr || values == nullptr) {
        delete[] keys;
        delete[] values;
        return false;
    }
    for (int i = 0; i < fCount; ++i) {
        keys[i] = std::move(fKeys[i]);
        values[i] = std::move(fValues[i]);
    }
    delete[] fKeys;
    delete[] fValues;
    fKeys = keys;
    fValues = values;
    fCapacity = capacity;
    return true;
}

bool Quor_Message::Set(const char* name, const char* value)
{
    if (name == nullptr)
        return false;
    if (value == nullptr)
        value = "";
    const int i = IndexOf(name);
    if (i >= 0) {
        fValues[i] = value;
        return fValues[i] == value;
    }
    if (fCount == fCapacity && !Grow())
        return false;
    fKeys[fCount] = name;
    fValues[fCount] = value;
    if (fKeys[fCount] != name || fValues[fCount] != value)
        return false;
    ++fCount;
    return true;
}

bool Quor_Message::Set(const char* name, bool value)
{
    return Set(name, value ? "TRUE" : "FALSE");
}

bool Quor_Message::Set(const char* name, int value)
{
    const int64_t values[1] = {value};
    return SetNumbers(name, values, 1);
}

bool Quor_Message::Set(const char* name, float value)
{
    return Set(name, static_cast<double>(value));
}

bool Quor_Message::Set(const char* name, double value)
{
    char text[Quor_Number::kMaxText];
    Quor_Number::FormatFixed(value, 6, text, sizeof text);
    return Set(name, static_cast<const char*>(text));
}

bool Quor_Message::Set(const char* name, rgb_color value)
{
    const int64_t values[4] = {value.red, value.green, value.blue, value.alpha};
    return SetNumbers(name, values, 4);
}

bool Quor_Message::Set(const char* name, Quor_Point value)
{
    const int64_t values[2] = {value.x, value.y};
    return SetNumbers(name, values, 2);
}

bool Quor_Message::Set(const char* name, Quor_Rect value)
{
    const int64_t values[4] = {value.left, value.top, value.right, value.bottom};
    return SetNumbers(name, values, 4);
}

bool Quor_Message::SetPtr(const char* name, const void* value)
{
    char text[Quor_Number::kMaxText];
    Quor_Number::FormatUnsigned(reinterpret_cast<uintptr_t>(value), text, sizeof text);
    return Set(name, static_cast<const char*>(text));
}

bool Quor_Message::SetNumbers(const char* name, const int64_t* values, int count)
{
    char text[4 * 24];
    int length = 0;
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            text[length++] = ' ';
        length += Quor_Number::FormatInt(values[i], text + length, static_cast<int>(sizeof text) - length);
    }
    text[length] = '\0';
    return Set(name, static_cast<const char*>(text));
}

bool Quor_Message::GetNumbers(const char* name, int64_t* values, int count) const
{
    const char* text = nullptr;
    if (!Get(name, &text))
        return false;
    const char* end = text + std::strlen(text);
    int64_t parsed[4];
    for (int i = 0; i < count; ++i) {
        text = Quor_Number::ParseInt64(text, end, &parsed[i]);
        if (text == nullptr)
            return false;
    }
    for (int i = 0; i < count; ++i)
        values[i] = parsed[i];
    return true;
}

bool Quor_Message::Get(const char* name, const char** value) const
{
    const int i = IndexOf(name);
    if (i < 0 || value == nullptr)
        return false;
    *value = fValues[i].Buffer();
    return true;
}

bool Quor_Message::Get(const char* name, Quor_String* value) const
{
    const int i = IndexOf(name);
    if (i < 0 || value == nullptr)
        return false;
    *value = fValues[i];
    return true;
}

bool Quor_Message::Get(const char* name, bool* value) const
{
    const int i = IndexOf(name);
    if (i < 0 || value == nullptr)
        return false;
    Quor_String text(fValues[i]);
    text.ToLower();
    *value = text == "true" || text == "1";
    return true;
}

bool Quor_Message::Get(const char* name, int* value) const
{
    int64_t parsed;
    if (value == nullptr || !GetNumbers(name, &parsed, 1) || parsed < INT_MIN || parsed > INT_MAX)
        return false;
    *value = static_cast<int>(parsed);
    return true;
}

bool Quor_Message::Get(const char* name, float* value) const
{
    const char* text = nullptr;
    float parsed;
    if (value == nullptr || !Get(name, &text) || !Quor_Number::ParseFloat(text, &parsed))
        return false;
    *value = parsed;
    return true;
}

bool Quor_Message::Get(const char* name, rgb_color* value) const
{
    int64_t parts[4];
    if (value == nullptr || !GetNumbers(name, parts, 4))
        return false;
    uint8_t channels[4];
    for (int i = 0; i < 4; ++i)
        channels[i] = static_cast<uint8_t>(parts[i] < 0 ? 0 : (parts[i] > 255 ? 255 : parts[i]));
    value->red = channels[0];
    value->green = channels[1];
    value->blue = channels[2];
    value->alpha = channels[3];
    return true;
}

namespace {

bool FitsInt(const int64_t* values, int count)
{
    for (int i = 0; i < count; ++i)
        if (values[i] < INT32_MIN || values[i] > INT32_MAX)
            return false;
    return true;
}

}  // namespace

bool Quor_Message::Get(const char* name, Quor_Point* value) const
{
    int64_t parts[2];
    if (value == nullptr || !GetNumbers(name, parts, 2) || !FitsInt(parts, 2))
        return false;
    value->x = static_cast<int32_t>(parts[0]);
    value->y = static_cast<int32_t>(parts[1]);
    return true;
}

bool Quor_Message::Get(const char* name, Quor_Rect* value) const
{
    int64_t parts[4];
    if (value == nullptr || !GetNumbers(name, parts, 4) || !FitsInt(parts, 4))
        return false;
    value->left = static_cast<int32_t>(parts[0]);
    value->top = static_cast<int32_t>(parts[1]);
    value->right = static_cast<int32_t>(parts[2]);
    value->bottom = static_cast<int32_t>(parts[3]);
    return true;
}

bool Quor_Message::GetPtr(const char* name, void** value) const
{
    const char* text = nullptr;
    uint64_t parsed;
    if (value == nullptr || !Get(name, &text) || !Quor_Number::ParseUnsigned(text, &parsed) ||
        parsed > UINTPTR_MAX)
        return false;
    *value = reinterpret_cast<void*>(static_cast<uintptr_t>(parsed));
    return true;
}

void Quor_Message::Save(Quor_IoStream* stream, bool withWhat) const
{
    if (stream == nullptr)
        return;
    if (withWhat) {
        char code[Quor_Number::kMaxText];
        Quor_Number::FormatInt(what, code, sizeof code);
        stream->WriteQuoteString("what");
        stream->Tab();
        stream->WriteQuoteString(code);
        stream->Newline();
    }
    for (int i = 0; i < fCount; ++i) {
        // The format has no escape for a quote; one such field must not cost the whole file.
        if (!Representable(fKeys[i]) || !Representable(fValues[i]))
            continue;
        stream->WriteQuoteString(fKeys[i]);
        stream->Tab();
        stream->WriteQuoteString(fValues[i]);
        stream->Newline();
    }
}

bool Quor_Message::Save(const char* path) const
{
    if (fCount == 0)
        return true;
    Quor_FileStream file;
    if (file.OpenReplace(path) != 0)
        return false;
    Save(&file, false);
    return file.Commit();
}

void Quor_Message::Load(Quor_IoStream* stream)
{
    fCount = 0;
    if (stream == nullptr)
        return;
    Quor_String name;
    Quor_String value;
    while (stream->ReadQuoteString(&name) && stream->ReadQuoteString(&value)) {
        if (name == "what") {
            int code;
            if (Quor_Number::ParseInt(value, &code))
                what = code;
        } else {
            Set(name, value.Buffer());
        }
    }
}

bool Quor_Message::Load(const char* path)
{
    fCount = 0;
    Quor_FileStream file;
    if (file.Open(path, true) != 0)
        return false;
    Load(&file);
    return true;
}

void Quor_Message::DumpToFile(FILE* file) const
{
    if (file == nullptr)
        return;
    char code[Quor_Number::kMaxText];
    Quor_Number::FormatInt(what, code, sizeof code);
    std::fprintf(file, "\"what\"\t\"%s\"\n", code);
    for (int i = 0; i < fCount; ++i)
        std::fprintf(file, "\"%s\"\t\"%s\"\n", fKeys[i].Buffer(), fValues[i].Buffer());
}
