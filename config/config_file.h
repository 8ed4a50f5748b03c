// Export and import of configurations as "#!ver2.0" files, and the two file operations that the
// registry helpers call for a store key of the form "@" followed by a file path.
#pragma once
#include <windows.h>
#include <commdlg.h>

class SettingsPage;

// Appends one record (key part, then data part and CR LF) to the existing file.
// TRUE when both parts were written completely. An unopenable file shows "File error #%d.".
BOOL AppendFileValue(const wchar_t* path, const wchar_t* subkey, const wchar_t* name,
                     const void* data, DWORD size);
// Looks the value up in the first 131072 bytes of the file and decodes at most `size` bytes
// into the buffer. TRUE when the key occurs. An unopenable file shows "File error #%d".
BOOL FindFileValue(const wchar_t* path, const wchar_t* subkey, const wchar_t* name,
                   void* buffer, DWORD size);

// The file dialogs Export and Import run: GetSaveFileNameW and GetOpenFileNameW unless a test
// answers them itself.
using FileDialogFn = BOOL(WINAPI*)(OPENFILENAMEW*);
extern FileDialogFn saveFileDialog;
extern FileDialogFn openFileDialog;

// Tools > Export and Tools > Import.
void ExportConfig(SettingsPage** pages, int count);
void ImportConfig(SettingsPage** pages, int count);
