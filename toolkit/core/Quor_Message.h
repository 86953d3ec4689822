// The record handlers pass to each other and the toolkit's settings store: a what-code plus
// named fields kept as text, with typed setters and getters and a quoted text form on disk.
#pragma once

#include <cstdio>

#include "toolkit/core/Quor_String.h"
#include "toolkit/core/Quor_RgbColor.h"
#include "toolkit/math/Quor_Point.h"
#include "toolkit/math/Quor_Rect.h"

class Quor_IoStream;

class Quor_Message {
public:
    Quor_Message();
    explicit Quor_Message(int what);
    Quor_Message(const Quor_Message& other);
    Quor_Message& operator=(const Quor_Message& other);
    ~Quor_Message();

    int what;

    int CountKeys() const { return fCount; }
    // Name and text of field i in insertion order; null outside 0..CountKeys()-1.
    const char* KeyAt(int i) const;
    const char* ValueAt(int i) const;
    bool HasField(const char* name) const { return IndexOf(name) >= 0; }

    // Setters store the value as text, replacing an existing field of that name in place.
    // They return false only when memory runs out or name is null.
    bool Set(const char* name, const char* value);
    bool Set(const char* name, bool value);          // "TRUE" / "FALSE"
    bool Set(const char* name, int value);           // decimal
    bool Set(const char* name, float value);         // six decimals ("35.000000")
    bool Set(const char* name, double value);        // the same
    bool Set(const char* name, rgb_color value);     // "red green blue alpha"
    bool Set(const char* name, Quor_Point value);    // "x y"
    bool Set(const char* name, Quor_Rect value);     // "left top right bottom"
    // Only meaningful inside the running process.
    bool SetPtr(const char* name, const void* value);

    // Getters return false, leaving the output as it was, when the field is missing or its text
    // does not hold a value of the type, so callers preload outputs with their defaults.
    // The text stays valid until the field changes or the message dies.
    bool Get(const char* name, const char** value) const;
    bool Get(const char* name, Quor_String* value) const;
    // "true" or "1" in any case gives true; any other text false.
    bool Get(const char* name, bool* value) const;
    bool Get(const char* name, int* value) const;
    // A finite number; "nan" and "inf" count as unreadable.
    bool Get(const char* name, float* value) const;
    // Four integers, each clamped to 0..255.
    bool Get(const char* name, rgb_color* value) const;
    bool Get(const char* name, Quor_Point* value) const;
    bool Get(const char* name, Quor_Rect* value) const;
    bool GetPtr(const char* name, void** value) const;

    // Text form: one field per line, name and value in double quotes separated by a tab; with
    // withWhat a first line holds "what" and the what-code. A name or value holding a double
    // quote cannot be represented and is left out, so the rest still reads back.
    void Save(Quor_IoStream* stream, bool withWhat) const;
    // Replaces the file at path with the fields (no what line) through a temporary file; a
    // message without fields writes nothing and leaves an older file alone. False when the
    // file could not be written (the older file is then unchanged).
    bool Save(const char* path) const;
    // Empties the message and reads name/value pairs until a string cannot be read; the pairs
    // read before that stay. A pair named "what" sets the what-code.
    void Load(Quor_IoStream* stream);
    // False when the file cannot be opened (the message is then left empty).
    bool Load(const char* path);
    void DumpToFile(FILE* file) const;

private:
    int IndexOf(const char* name) const;
    bool Grow();
    bool SetNumbers(const char* name, const int64_t* values, int count);
    bool GetNumbers(const char* name, int64_t* values, int count) const;

    int fCount;
    int fCapacity;
    Quor_String* fKeys;
    Quor_String* fValues;
};
