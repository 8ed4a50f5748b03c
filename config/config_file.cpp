#include "config/config_file.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>

#include "config/config_codec.h"
#include "config/store.h"
#include "framework/handles.h"
#include "resource.h"
#include "shell/app.h"

FileDialogFn saveFileDialog = ShowSaveFileDialog;
FileDialogFn openFileDialog = ShowOpenFileDialog;

namespace {

constexpr int kPathChars = 260;           // the file dialogs' name buffer
constexpr int kFilterChars = 324;         // the dialogs' filter pairs
constexpr DWORD kDialogFlags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
constexpr int kMessageChars = 600;        // a message with a full path in it

// Shows a string-table message with caption "Error" over the property sheet. The format is
// Windows-style: "%s" takes a wide string.
void ShowFileError(UINT formatId, ...) {
    wchar_t text[kMessageChars] = {};
    va_list args;
    va_start(args, formatId);
    // _vsnwprintf does not terminate a text it had to cut: leave room for the NUL ourselves.
    _vsnwprintf(text, kMessageChars - 1, LoadResString(formatId), args);
    va_end(args);
    text[kMessageChars - 1] = L'\0';
    MessageBoxW(propertySheet, text, LoadResString(IDS_ERROR), MB_OK | MB_TOPMOST);
}

// Runs one of the file dialogs; the chosen path lands in `path` (kPathChars long).
bool AskFilePath(FileDialogFn dialog, UINT titleId, wchar_t* path) {
    // The filter resource separates its fields with "#"; the dialog wants NULs and a final
    // empty field. The buffer keeps two NULs at its end whatever the resource holds.
    wchar_t filter[kFilterChars] = {};
    const wchar_t* source = LoadResString(IDS_FILE_FILTER);
    for (int i = 0; i < kFilterChars - 2 && source[i]; ++i)
        filter[i] = source[i] == L'#' ? L'\0' : source[i];

    path[0] = L'\0';
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = propertySheet;
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = kPathChars;
    ofn.lpstrTitle = LoadResString(titleId);
    ofn.Flags = kDialogFlags;
    if (!dialog || !dialog(&ofn)) return false;
    path[kPathChars - 1] = L'\0';
    return path[0] != L'\0';
}

bool WriteAll(HANDLE file, const std::wstring& text) {
    const DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    DWORD written = 0;
    return WriteFile(file, text.data(), bytes, &written, nullptr) && written == bytes;
}

}  // namespace

BOOL AppendFileValue(const wchar_t* path, const wchar_t* subkey, const wchar_t* name,
                     const void* data, DWORD size) {
    DWORD error = ERROR_SUCCESS;
    FileHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = GetLastError();
    } else {
        LARGE_INTEGER zero = {};
        if (!SetFilePointerEx(file.get(), zero, nullptr, FILE_END)) error = GetLastError();
    }

    const std::wstring key = EncodeValueKey(subkey, name);
    const std::wstring value = EncodeValueData(data, data ? size : 0);

    if (error == ERROR_SUCCESS) {
        // Key part, then data part; a part that fails leaves the record cut short there.
        if (!WriteAll(file.get(), key) || !WriteAll(file.get(), value)) {
            error = GetLastError();
            if (error == ERROR_SUCCESS) error = ERROR_WRITE_FAULT;   // a short write sets none
        }
    }

    if (!file) ShowFileError(IDS_FILE_ERROR_DOT, static_cast<int>(error));
    return error == ERROR_SUCCESS;
}

BOOL FindFileValue(const wchar_t* path, const wchar_t* subkey, const wchar_t* name,
                   void* buffer, DWORD size) {
    constexpr DWORD kSearchUnits = kSearchBytes / sizeof(wchar_t);
    std::unique_ptr<wchar_t[]> text(new wchar_t[kSearchUnits]());
    DWORD bytesRead = 0;
    {
        FileHandle file(CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            ShowFileError(IDS_FILE_ERROR, static_cast<int>(GetLastError()));
            return FALSE;
        }
        if (!ReadFile(file.get(), text.get(), kSearchBytes, &bytesRead, nullptr)) bytesRead = 0;
    }

    // Only whole code units that were read take part; a trailing odd byte is no letter.
    const DecodedValue found = FindEncodedValue(text.get(), bytesRead / sizeof(wchar_t),
                                                EncodeValueKey(subkey, name), buffer,
                                                buffer ? size : 0);
    return found.found ? TRUE : FALSE;
}

void ExportConfig(SettingsPage** pages, int count) {
    wchar_t path[kPathChars];
    if (!AskFilePath(saveFileDialog, IDS_EXPORT_TITLE, path)) return;

    {
        FileHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            ShowFileError(IDS_CANT_WRITE, path);
            return;
        }
        // The header goes without its NUL: the records follow it directly.
        WriteAll(file.get(), LoadResString(IDS_FILE_HEADER));
    }

    // Every page's Save appends its records through the "@" store key.
    const std::wstring storeKey = std::wstring(L"@") + path;
    SaveConfig(pages, count, storeKey.c_str());
}

void ImportConfig(SettingsPage** pages, int count) {
    wchar_t path[kPathChars];
    if (!AskFilePath(openFileDialog, IDS_IMPORT_TITLE, path)) return;

    unsigned char head[kTagCheckBytes] = {};
    DWORD bytesRead = 0;
    {
        FileHandle file(CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            ShowFileError(IDS_CANT_OPEN, path);
            return;
        }
        // A failed read leaves the buffer cleared, which fails the tag test below.
        if (!ReadFile(file.get(), head, sizeof head, &bytesRead, nullptr))
            std::memset(head, 0, sizeof head);
    }
    // The buffer is examined whole, as the first 32 code units; a shorter file reads as zeros.
    if (!HasConfigFileTag(head, sizeof head, LoadResString(IDS_FILE_TAG))) {
        ShowFileError(IDS_INVALID_FILE);
        return;
    }

    const std::wstring storeKey = std::wstring(L"@") + path;
    LoadConfig(pages, count, storeKey.c_str());
    // The imported settings belong to no configuration yet: mark them unsaved.
    changeCount = 1;
    resetCount = 1;
    RefreshTitle();
    RebuildConfigMenu(configMenu, nullptr);
}
