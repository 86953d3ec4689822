// Case of ASCII letters only, whatever the locale: file names, shortcuts and type-ahead compare
// letters this way, and every other byte (UTF-8 included) stays as it is.
#pragma once

struct Quor_Ascii {
    static constexpr int Lower(int c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; }
    static constexpr int Upper(int c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; }
};
