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

bool StartsWithIgnoringCase(std::wstring_view text, std::wstring_view start) {
    return text.size() >= start.size() && SameNameIgnoringCase(text.substr(0, start.size()), start);
}

bool EndsWithIgnoringCase(std::wstring_view text, std::wstring_view end) {
    return text.size() >= end.size() && SameNameIgnoringCase(text.substr(text.size() - end.size()), end);
}

bool IsDeviceName(std::wstring_view name) {
    std::wstring_view stem = name.substr(0, name.find(L'.'));
    while (!stem.empty() && stem.back() == L' ') stem.remove_suffix(1);
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL"})
        if (SameNameIgnoringCase(stem, device)) return true;
    return stem.size() == 4 && stem[3] >= L'1' && stem[3] <= L'9' &&
           (StartsWithIgnoringCase(stem, L"COM") || StartsWithIgnoringCase(stem, L"LPT"));
}
