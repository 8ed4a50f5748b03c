#include "store/file_values.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <cwchar>
#include <string>

#include "base/handles.h"
#include "base/strings.h"
#include "resources/resource.h"
#include "store/config_codec.h"
#include "store/store.h"

namespace {
constexpr int kMessageChars = 600;   // a message with a full path in it

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
    // One record through the file store, appended at once: a file that cannot be opened is shown,
    // a record the file took only in part stays as it is.
    auto file = OpenFileStoreForRecords(std::wstring(L"@") + path, [owner](const std::wstring& text) {
        MessageBoxW(owner, text.c_str(), LoadResString(IDS_ERROR), MB_OK | MB_TOPMOST);
    });
    file->WriteBinary({LiveRoot::System, subkey, name}, data, data ? size : 0);
    return file->Commit() ? TRUE : FALSE;
}

BOOL FindFileValue(const wchar_t* path, const wchar_t* subkey, const wchar_t* name,
                   void* buffer, DWORD size, HWND owner) {
    DWORD error = 0;
    auto content = ReadFileHead(path, kSearchBytes, &error);
    if (!content) {
        ShowFileError(owner, IDS_FILE_ERROR, static_cast<int>(error));
        return FALSE;
    }
    // The record's bytes as stored, at most `size` of them into the buffer; the rest of it is
    // left as it was.
    auto stored = OpenFileStoreForReading(std::wstring(L"@") + path, std::move(*content))
                      ->ReadStored({LiveRoot::System, subkey, name}, REG_BINARY);
    if (!stored) return FALSE;
    if (buffer && size) std::memcpy(buffer, stored->bytes.data(), std::min<size_t>(size, stored->bytes.size()));
    return TRUE;
}
