// An owned, growable, NUL-terminated 8-bit string: the text type of every toolkit interface,
// with the field-splitting helpers that messages and widgets use. Characters are bytes.
#pragma once

#include <cstdint>

class Quor_String {
public:
    Quor_String();
    Quor_String(const char* text);
    Quor_String(const Quor_String& other);
    Quor_String(Quor_String&& other) noexcept;
    virtual ~Quor_String();

    // Storage. Alloc drops the content, Realloc keeps it; both make room for n characters and
    // grow to exactly n + 1 bytes. They return false (leaving the string as it was) when n is
    // out of range or memory runs out.
    bool Alloc(int n);
    bool Realloc(int n);
    void Free();
    // After writing through Buffer(), recounts the length up to the first NUL inside the buffer.
    void UpdateLength();

    // Access. The text is never null: a freed string reads as "".
    operator const char*() const { return CStr(); }
    const char* Buffer() const { return CStr(); }
    // The owned buffer for writing (capacity bytes), or null after Free.
    char* Buffer() { return fBuffer; }
    int Length() const { return fLength; }
    int Capacity() const { return fCapacity; }
    bool IsEmpty() const { return fLength == 0; }
    char GetAt(int i) const;
    void SetAt(int i, char c);
    void Print() const;

    Quor_String& operator=(char c);
    Quor_String& operator=(const char* text);
    Quor_String& operator=(const Quor_String& other);
    Quor_String& operator=(Quor_String&& other) noexcept;
    // A NUL-terminated array of 16-bit code units; each keeps its low byte.
    Quor_String& operator=(const char16_t* units);
    Quor_String& operator=(const uint16_t* units);
    Quor_String& operator=(int value);     // decimal, as "%i"
    Quor_String& operator=(float value);   // six decimals, as "%f" in the C locale
    Quor_String& operator=(double value);  // the same

    Quor_String& operator+=(char c);
    Quor_String& operator+=(const char* text);
    Quor_String& operator+=(const Quor_String& other);
    Quor_String& operator+=(int value);
    Quor_String& operator+=(float value);
    Quor_String& operator+=(double value);

    int Compare(const char* text) const;

    // Editing.
    void InsertAt(int i, char c);
    void RemoveAt(int i);
    void ToUpper();
    void ToLower();
    void ReverseCase();
    void TrimLeft();
    void TrimRight();
    // Removes every occurrence of c, wherever it stands.
    void Trim(char c);

    int Find(char c) const;
    int ReverseFind(char c) const;

    // Pieces; each returns a new string and leaves this one unchanged.
    Quor_String Left(int n) const;
    Quor_String Right(int n) const;
    Quor_String LeftTo(char c) const;
    Quor_String LeftToLast(char c) const;
    Quor_String RightAfter(char c) const;
    Quor_String RightAfterFirst(char c) const;
    // Characters a to b - 1; indices outside 0..length are clamped.
    Quor_String Slice(int a, int b) const;
    // Field k of a text whose fields are separated by '|'.
    Quor_String Substring(int k) const;

protected:
    // Appends n bytes (which must not point into this string's own buffer unless it is kept).
    bool AppendBytes(const char* bytes, int n);
    bool AssignBytes(const char* bytes, int n);

private:
    const char* CStr() const { return fBuffer != nullptr ? fBuffer : ""; }
    // Alloc and Realloc: a buffer of n + 1 bytes unless the current one holds n characters.
    bool Grow(int n, bool keepContent);

    int fLength;
    int fCapacity;
    char* fBuffer;
};

Quor_String operator+(const Quor_String& a, const Quor_String& b);
Quor_String operator+(const Quor_String& a, const char* b);
Quor_String operator+(const Quor_String& a, char b);
Quor_String operator+(const char* a, const Quor_String& b);
Quor_String operator+(char a, const Quor_String& b);

bool operator==(const Quor_String& a, const Quor_String& b);
bool operator==(const Quor_String& a, const char* b);
bool operator==(const char* a, const Quor_String& b);
bool operator!=(const Quor_String& a, const Quor_String& b);
bool operator!=(const Quor_String& a, const char* b);
bool operator!=(const char* a, const Quor_String& b);
bool operator<(const Quor_String& a, const Quor_String& b);
bool operator<(const Quor_String& a, const char* b);
bool operator<(const char* a, const Quor_String& b);
bool operator<=(const Quor_String& a, const Quor_String& b);
bool operator<=(const Quor_String& a, const char* b);
bool operator<=(const char* a, const Quor_String& b);
bool operator>(const Quor_String& a, const Quor_String& b);
bool operator>(const Quor_String& a, const char* b);
bool operator>(const char* a, const Quor_String& b);
bool operator>=(const Quor_String& a, const Quor_String& b);
bool operator>=(const Quor_String& a, const char* b);
bool operator>=(const char* a, const Quor_String& b);
