// A string that names a file: separators, file name, parent folder, extension and MIME type.
// Paths are byte strings with "/" as the separator; only Absolute() touches the file system.
#pragma once

#include "toolkit/core/Quor_String.h"

class Quor_Path : public Quor_String {
public:
    static constexpr char separator = '/';

    Quor_Path() = default;
    Quor_Path(const char* text) : Quor_String(text) {}
    Quor_Path(const Quor_String& text) : Quor_String(text) {}
    Quor_Path(const Quor_Path& other) = default;
    Quor_Path(Quor_Path&& other) noexcept = default;

    Quor_Path& operator=(char c);
    Quor_Path& operator=(const char* text);
    Quor_Path& operator=(const Quor_String& text);
    Quor_Path& operator=(const Quor_Path& other);
    Quor_Path& operator=(Quor_Path&& other) noexcept;

    // Adds a separator unless the path is empty, already ends in one or name starts with one,
    // then appends name. No other normalisation.
    void Append(const char* name);

    // The part after the last separator; empty without a separator.
    Quor_String Name() const;
    // The part before the last separator; empty without a separator.
    Quor_Path Parent() const;
    // The part after the last ".", lower-cased; empty without a dot.
    Quor_String Extension() const;

    // True for a path that starts at the root ("/..."), or with a drive ("C:/" or "C:\").
    bool IsAbsolute() const;
    // This path made absolute against the current folder, with ".", ".." and repeated
    // separators resolved by the text alone (symbolic links are not followed). An empty path
    // stays empty; when the current folder cannot be found a relative path is only normalised.
    Quor_Path Absolute() const;

    // "/" is the native separator on this platform, so this leaves the text unchanged.
    void GoNative() {}

    // The MIME type named by the extension, or "application/octet-stream".
    const char* Type() const;
    const char* TypeFromExtension() const { return Type(); }
    // The part of Type() before the "/", for example "image".
    Quor_String Supertype() const;
    // Host file-type tagging; this platform's file browsers go by content and extension, so
    // there is nothing to tag.
    void SetType(const char* mimeType) const { (void)mimeType; }
};

bool operator==(const Quor_Path& a, const Quor_Path& b);
bool operator==(const Quor_Path& a, const Quor_String& b);
bool operator==(const Quor_String& a, const Quor_Path& b);
bool operator==(const Quor_Path& a, const char* b);
bool operator==(const char* a, const Quor_Path& b);
