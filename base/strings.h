// Text helpers every layer uses: resource strings, printf-style formatting of them, and the
// comparisons the program makes of names.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

// The string with this id from the program's own module, straight from the resource; read-only,
// never freed. A missing id gives the empty string.
const wchar_t* LoadResString(UINT id);

// printf-style formatting with the device's conventions: "%s" takes a wide string. The result is
// never longer than maxChars - 1 characters.
std::wstring FormatText(size_t maxChars, const wchar_t* format, ...);

// Code unit by code unit, letter case included (not the locale's collation).
bool SameName(std::wstring_view a, std::wstring_view b);
// Ignoring letter case as the file system and the registry do, still not locale-aware.
bool SameNameIgnoringCase(std::wstring_view a, std::wstring_view b);

// Copies text into a fixed buffer of `chars` characters, cut to fit and always terminated.
void CopyText(wchar_t* buffer, size_t chars, std::wstring_view text);

// Whether `text` begins (ends) with `start` (`end`), ignoring letter case.
bool StartsWithIgnoringCase(std::wstring_view text, std::wstring_view start);
bool EndsWithIgnoringCase(std::wstring_view text, std::wstring_view end);

// CON, PRN, AUX, NUL, COM1 to COM9 and LPT1 to LPT9 name devices, not files, whatever follows
// the first dot and in any letter case: "\Windows\nul.ttf" takes any copy and keeps nothing.
// `name` is a file name without its folder.
bool IsDeviceName(std::wstring_view name);
