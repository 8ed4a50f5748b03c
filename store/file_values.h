// Single values of a "#!ver2.0" configuration file, each call opening and closing the file: what
// the store-key helpers do with a store key of the form "@" and a path. Both go through the file
// stores of store/store.h, which hold the one reader and writer of records.
#pragma once
#include <windows.h>

#include <string>

// Appends one record (key part, then data part and CR LF) to the existing file.
// TRUE when both parts were written completely. An unopenable file shows "File error #%d."
// over `owner`.
BOOL AppendFileValue(const wchar_t* path, const wchar_t* subkey, const wchar_t* name,
                     const void* data, DWORD size, HWND owner = nullptr);
// Looks the value up in the first 131072 bytes of the file and decodes at most `size` bytes
// into the buffer. TRUE when the key occurs. An unopenable file shows "File error #%d".
BOOL FindFileValue(const wchar_t* path, const wchar_t* subkey, const wchar_t* name,
                   void* buffer, DWORD size, HWND owner = nullptr);

// The message a file operation shows: a string-table format with caption "Error", top-most.
// "%s" in the format takes a wide string.
void ShowFileError(HWND owner, UINT formatId, ...);
// The same message's text, for a caller that tells it another way.
std::wstring FileErrorText(UINT formatId, ...);
