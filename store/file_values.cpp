#include "store/file_values.h"

#include <cstdarg>
#include <cwchar>
#include <string>

#include "base/handles.h"
#include "base/strings.h"
#include "resources/resource.h"
#include "store/config_codec.h"
#include "store/store.h"

namespace {
constexpr int kMessageChars = 600;   // a message with a full path in it

bool WriteAll(HANDLE file, const std::wstring& text) {
    const DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    DWORD written = 0;
    return WriteFile(file, text.data(), bytes, &written, nullptr) && written == bytes;
}
}  // namespace

namespace {
std::wstring FormatFileError(UINT formatId, va_list args) {
    wchar_t text[kMessageChars] = {};
    _vsnwprintf(text, kMessageChars - 1, LoadResString(formatId), args);
    text[kMessageChars - 1] = L'\0';
    return text;
}
}  // namespace

std::wstring FileErrorText(UINT formatId, ...) {
    va_list args;
    va_start(args, formatId);
    std::wstring text = FormatFileError(formatId, args);
    va_end(args);
    return text;
}

void ShowFileError(HWND owner, UINT formatId, ...) {
    va_list args;
    va_start(args, formatId);
    std::wstring text = FormatFileError(formatId, args);
    va_end(args);
    MessageBoxW(owner, text.c_str(), LoadResString(IDS_ERROR), MB_OK | MB_TOPMOST);
}

BOOL AppendFileValue(const wchar_t* path, const wchar_t* subkey, const wchar_t* name,
                     const void* data, DWORD size, HWND owner) {
    DWORD error = ERROR_SUCCESS;
    FileHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
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

    if (!file) ShowFileError(owner, IDS_FILE_ERROR_DOT, static_cast<int>(error));
    return error == ERROR_SUCCESS;
}

BOOL FindFileValue(const wchar_t* path, const wchar_t* subkey, const wchar_t* name,
                   void* buffer, DWORD size, HWND owner) {
    DWORD error = 0;
    auto content = ReadFileHead(path, kSearchBytes, &error);
    if (!content) {
        ShowFileError(owner, IDS_FILE_ERROR, static_cast<int>(error));
        return FALSE;
    }
    // Only whole code units that were read take part; a trailing odd byte is no letter.
    const ConfigFileText text(content->data(), content->size());
    const DecodedValue found = text.Find(subkey, name, buffer, buffer ? size : 0);
    return found.found ? TRUE : FALSE;
}
