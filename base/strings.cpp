#include "base/strings.h"

#include <cstdarg>
#include <cwchar>
#include <vector>

const wchar_t* LoadResString(UINT id) {
    const wchar_t* text = nullptr;
    if (LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0) <= 0 || !text)
        return L"";
    return text;
}

std::wstring FormatText(size_t maxChars, const wchar_t* format, ...) {
    if (!maxChars || !format) return {};
    std::vector<wchar_t> text(maxChars, L'\0');
    va_list args;
    va_start(args, format);
    // _vsnwprintf does not terminate a text it had to cut: the last place keeps its NUL.
    _vsnwprintf(text.data(), maxChars - 1, format, args);
    va_end(args);
    text[maxChars - 1] = L'\0';
    return text.data();
}

bool SameName(std::wstring_view a, std::wstring_view b) { return a == b; }

bool SameNameIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    if (a.empty()) return true;
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

void CopyText(wchar_t* buffer, size_t chars, std::wstring_view text) {
    if (!buffer || !chars) return;
    size_t n = text.size() < chars - 1 ? text.size() : chars - 1;
    if (n) wmemcpy(buffer, text.data(), n);
    buffer[n] = L'\0';
}
