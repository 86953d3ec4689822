// The text token stream that everything persistent goes through: whitespace-separated numbers,
// booleans, quoted strings and document-relative paths over primitives that subclasses supply.
#pragma once

#include <cstdint>

#include "toolkit/core/Quor_String.h"
#include "toolkit/core/Quor_RgbColor.h"

struct Quor_Vector2;
struct Quor_Vector3;
class Quor_ColorVector;

class Quor_IoStream {
public:
    // Size of the token scratch buffer: words are read whole but kept to kTokenSize - 1
    // characters, and numbers longer than that fail to read.
    static constexpr int kTokenSize = 256;

    Quor_IoStream();
    Quor_IoStream(const Quor_IoStream&) = delete;
    Quor_IoStream& operator=(const Quor_IoStream&) = delete;

    // Primitives. In this base class the predicates are false, the queries 0, the reads fail
    // and the positioning calls do nothing. File and memory streams cut the same text into the
    // same tokens (Quor_TokenReader): ReadString consumes a whole word of any length and keeps
    // its first maxLen - 1 bytes.
    virtual ~Quor_IoStream();
    virtual bool IsDiskFile() const;
    virtual bool IsOpen() const;
    virtual void Close();
    virtual void Mark();
    virtual void GoToMark();
    virtual void Rewind();
    virtual int64_t FileSize();
    virtual int64_t FilePos();
    virtual void SetFilePos(int64_t position);
    virtual bool AtEOF();
    virtual int ReadBytes(void* buffer, int n);
    virtual bool SkipLine();
    virtual bool ReadToNextChar(char c);
    virtual bool ReadChar(char* c);
    virtual bool ReadInt(int* value);
    virtual bool ReadFloat(float* value);
    virtual bool ReadBool(bool* value);
    virtual bool ReadString(int maxLen, char* dst);
    virtual bool ReadQuoteString(int maxLen, char* dst);
    virtual bool ReadLine(int maxLen, char* dst);
    virtual int WriteBytes(const void* buffer, int n);

    void SetVersion(int version) { fVersion = version; }
    int Version() const { return fVersion; }

    void ClearErrorMessage() { fErrorMessage = ""; }
    // Keeps the first error since the last open.
    void SetErrorMessage(const char* text);
    const Quor_String& ErrorMessage() const { return fErrorMessage; }

    // True once any write since the last open stored fewer bytes than asked (a full disk, a
    // failed allocation, a closed or read-only stream, or a quoted text holding a quote).
    bool WriteFailed() const { return fWriteFailed; }

    bool IsReadOnly() const { return fReadOnly; }

    // The 1-based line number of the current position.
    int CurrentLine();

    // Typed reads; each returns true on success.
    bool Read(char* c) { return ReadChar(c); }
    bool Read(int* value) { return ReadInt(value); }
    bool Read(float* value) { return ReadFloat(value); }
    bool Read(bool* value) { return ReadBool(value); }
    bool Read(int maxLen, char* dst) { return ReadString(maxLen, dst); }
    // The next word, kept to kTokenSize - 1 characters; false only at the end of the text.
    bool Read(Quor_String* dst);
    // The word as above in the scratch buffer (valid until the next read), or null at the end.
    const char* Read();
    // A quoted string of any length.
    bool ReadQuoteString(Quor_String* dst);
    // A quoted path; a relative one is resolved against the folder of a disk file's path.
    // The flag is accepted for older callers and does not change the behaviour.
    bool ReadPath(Quor_String* dst, bool flag = false);

    // Writes; all are dropped (and noted as failed) on a read-only or closed stream.
    void Write(char c) { WriteChar(c); }
    void Write(const char* text) { WriteString(text); }
    void Write(int value) { WriteInt(value); }
    void Write(float value) { WriteFloat(value); }
    void Write(bool value) { WriteBool(value); }
    void WriteChar(char c);
    void WriteString(const char* text);
    void WriteInt(int value);
    // The nearest integer when within 0.000001 of it, else six decimals without trailing
    // zeros; never exponent notation; always with "." whatever the locale.
    void WriteFloat(float value);
    void WriteBool(bool value);
    void Space() { WriteChar(' '); }
    void Tab() { WriteChar('\t'); }
    void Newline() { WriteChar('\n'); }
    void Comma() { WriteChar(','); }
    void Indent();
    void PushIndent() { ++fIndent; }
    void PopIndent();
    // The text between double quotes, unescaped. A text holding a double quote cannot be read
    // back, so it is refused: nothing is written and the write counts as failed.
    void WriteQuoteString(const char* text);
    // A quoted path, relative to the folder of a disk file's own path when it lies inside it.
    void WritePath(const char* path);

    // Token forms of vectors and colours, built on the number forms above.
    bool Read(Quor_Vector2* v);
    bool Read(Quor_Vector3* v);
    bool Read(rgb_color* c);
    bool Read(Quor_ColorVector* c);
    bool ReadVector2(Quor_Vector2* v);
    bool ReadVector3(Quor_Vector3* v);
    bool ReadColor(rgb_color* c);
    bool ReadColor(Quor_ColorVector* c);
    void Write(const rgb_color& c);
    void Write(const Quor_ColorVector& c);
    void Write(const Quor_Vector3& v);
    void Write(const Quor_Vector2& v);
    void WriteColor(const rgb_color& c);
    void WriteColor(const Quor_ColorVector& c);
    void WriteVector3(const Quor_Vector3& v);
    void WriteVector2(const Quor_Vector2& v);

protected:
    // For subclasses' Open: clears the error message, the failed-write flag and the indent.
    void ResetForOpen(bool readOnly);
    void NoteWriteFailed() { fWriteFailed = true; }
    // The path a disk stream was opened with ("" for others); WritePath and ReadPath use it.
    virtual const char* StreamPath() const;

    static bool IsWhite(int c);

    bool fReadOnly;
    int fVersion;
    int fIndent;
    char fToken[kTokenSize];

private:
    Quor_String fErrorMessage;
    bool fWriteFailed;
};
