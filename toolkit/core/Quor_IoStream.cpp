#include "toolkit/core/Quor_IoStream.h"

#include <cstring>
#include <new>
#include <string>

#include "toolkit/core/Quor_Number.h"
#include "toolkit/core/Quor_Path.h"

Quor_IoStream::Quor_IoStream() : fReadOnly(false), fVersion(1), fIndent(0), fWriteFailed(false)
{
    fToken[0] = '\0';
}

Quor_IoStream::~Quor_IoStream() = default;

bool Quor_IoStream::IsDiskFile() const { return false; }
bool Quor_IoStream::IsOpen() const { return false; }
void Quor_IoStream::Close() {}
void Quor_IoStream::Mark() {}
void Quor_IoStream::GoToMark() {}
void Quor_IoStream::Rewind() {}
int64_t Quor_IoStream::FileSize() { return 0; }
int64_t Quor_IoStream::FilePos() { return 0; }
void Quor_IoStream::SetFilePos(int64_t) {}
bool Quor_IoStream::AtEOF() { return false; }
int Quor_IoStream::ReadBytes(void*, int) { return 0; }
bool Quor_IoStream::SkipLine() { return false; }
bool Quor_IoStream::ReadToNextChar(char) { return false; }
bool Quor_IoStream::ReadChar(char*) { return false; }
bool Quor_IoStream::ReadInt(int*) { return false; }
bool Quor_IoStream::ReadFloat(float*) { return false; }
bool Quor_IoStream::ReadBool(bool*) { return false; }
bool Quor_IoStream::ReadString(int, char*) { return false; }
bool Quor_IoStream::ReadQuoteString(int, char*) { return false; }
bool Quor_IoStream::ReadLine(int, char*) { return false; }

int Quor_IoStream::WriteBytes(const void*, int n)
{
    if (n > 0)
        NoteWriteFailed();
    return 0;
}

const char* Quor_IoStream::StreamPath() const
{
    return "";
}

bool Quor_IoStream::IsWhite(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

void Quor_IoStream::ResetForOpen(bool readOnly)
{
    fReadOnly = readOnly;
    fIndent = 0;
    fWriteFailed = false;
    ClearErrorMessage();
}

void Quor_IoStream::SetErrorMessage(const char* text)
{
    if (fErrorMessage.IsEmpty())
        fErrorMessage = text;
}

int Quor_IoStream::CurrentLine()
{
    const int64_t position = FilePos();
    SetFilePos(0);
    int line = 1;
    char c;
    for (int64_t i = 0; i < position && ReadChar(&c); ++i)
        if (c == '\n')
            ++line;
    SetFilePos(position);
    return line;
}

bool Quor_IoStream::Read(Quor_String* dst)
{
    if (dst == nullptr || !ReadString(kTokenSize, fToken))
        return false;
    *dst = fToken;
    return true;
}

const char* Quor_IoStream::Read()
{
    return ReadString(kTokenSize, fToken) ? fToken : nullptr;
}

bool Quor_IoStream::ReadQuoteString(Quor_String* dst)
{
    if (dst == nullptr)
        return false;
    *dst = "";
    char c;
    do {
        if (!ReadChar(&c))
            return false;
    } while (IsWhite(static_cast<unsigned char>(c)));
    if (c != '"')
        return false;
    try {
        std::string text;
        for (;;) {
            if (!ReadChar(&c)) {
                *dst = text.c_str();  // the text so far, as the bounded read leaves it
                return false;
            }
            if (c == '"')
                break;
            text += c;
        }
        *dst = text.c_str();
        return dst->Length() == static_cast<int>(std::strlen(text.c_str()));
    } catch (const std::bad_alloc&) {
        return false;
    }
}

namespace {

// The folder that relative paths in a file refer to: the parent of the file's own path, or
// the root for a file directly in it.
Quor_Path FolderOf(const char* streamPath)
{
    Quor_Path path(streamPath);
    Quor_Path folder = path.Parent();
    if (folder.IsEmpty() && path.GetAt(0) == Quor_Path::separator)
        folder = "/";
    return folder;
}

}  // namespace

bool Quor_IoStream::ReadPath(Quor_String* dst, bool flag)
{
    (void)flag;
    if (!ReadQuoteString(dst))
        return false;
    if (!IsDiskFile() || dst->IsEmpty())
        return true;
    Quor_Path text(*dst);
    text.GoNative();
    if (text.IsAbsolute())
        return true;
    Quor_Path resolved = FolderOf(StreamPath());
    resolved.Append(text);
    // A stream opened by a relative path still yields an absolute photo path.
    if (!resolved.IsAbsolute())
        resolved = resolved.Absolute();
    *dst = resolved;
    return true;
}

void Quor_IoStream::WriteChar(char c)
{
    if (WriteBytes(&c, 1) != 1)
        NoteWriteFailed();
}

void Quor_IoStream::WriteString(const char* text)
{
    if (text == nullptr)
        return;
    size_t remaining = std::strlen(text);
    // Write in pieces that an int count can carry.
    while (remaining > 0) {
        const int n = remaining > (1u << 30) ? (1 << 30) : static_cast<int>(remaining);
        if (WriteBytes(text, n) != n) {
            NoteWriteFailed();
            return;
        }
        text += n;
        remaining -= static_cast<size_t>(n);
    }
}

void Quor_IoStream::WriteInt(int value)
{
    char text[Quor_Number::kMaxText];
    Quor_Number::FormatInt(value, text, sizeof text);
    WriteString(text);
}

void Quor_IoStream::WriteFloat(float value)
{
    char text[Quor_Number::kMaxText];
    Quor_Number::FormatShort(value, text, sizeof text);
    WriteString(text);
}

void Quor_IoStream::WriteBool(bool value)
{
    WriteString(value ? "true" : "false");
}

void Quor_IoStream::Indent()
{
    for (int i = 0; i < fIndent; ++i)
        WriteChar('\t');
}

void Quor_IoStream::PopIndent()
{
    if (fIndent > 0)
        --fIndent;
}

void Quor_IoStream::WriteQuoteString(const char* text)
{
    if (text == nullptr)
        text = "";
    if (std::strchr(text, '"') != nullptr) {
        // The format has no escape: the inner quote would end the string on reading and make
        // everything after it unreadable. Refuse rather than write a file that cannot be opened.
        NoteWriteFailed();
        SetErrorMessage("A text holding a double quote cannot be stored.");
        return;
    }
    WriteChar('"');
    WriteString(text);
    WriteChar('"');
}

void Quor_IoStream::WritePath(const char* path)
{
    if (path == nullptr)
        path = "";
    if (!IsDiskFile()) {
        WriteQuoteString(path);
        return;
    }
    // Only a stream that knows its folder relativises; a bare file name has no folder and every
    // absolute path would otherwise lose its leading separator.
    const Quor_Path docDir = Quor_Path(StreamPath()).Parent();
    Quor_Path written(path);
    if (!docDir.IsEmpty()) {
        const Quor_Path fileDir = written.Parent();
        const int n = docDir.Length();
        // "/p/docs" is a sibling of "/p/doc", not inside it: the folder must end at a separator.
        const bool inside = fileDir == docDir ||
                            (std::strncmp(fileDir, docDir, static_cast<size_t>(n)) == 0 &&
                             fileDir.GetAt(n) == Quor_Path::separator);
        if (inside) {
            Quor_Path relative(written.Slice(n, written.Length()));
            while (relative.GetAt(0) == Quor_Path::separator)
                relative.RemoveAt(0);
            // A first folder named like a drive ("C:") would read back as absolute.
            if (relative.IsAbsolute()) {
                Quor_Path dotted("./");
                dotted += relative;
                relative = dotted;
            }
            written = relative;
        }
    }
    WriteQuoteString(written);
}
