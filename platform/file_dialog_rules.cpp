#include "platform/file_dialog_rules.h"

#include <algorithm>
#include <cwctype>

#include "base/strings.h"

namespace {

constexpr size_t kMaxTypes = 64;
constexpr wchar_t kUnsafeCharacters[] = L"\\/:*?\"<>|";

bool SameLetters(wchar_t a, wchar_t b) { return std::towlower(a) == std::towlower(b); }

}  // namespace

std::vector<FileType> ReadFileTypes(const wchar_t* filter) {
    std::vector<FileType> types;
    while (filter && *filter && types.size() < kMaxTypes) {
        FileType type{filter, {}};
        filter += type.label.size() + 1;
        if (!*filter) break;   // a label without patterns ends the list
        const std::wstring spec = filter;
        filter += spec.size() + 1;
        for (size_t start = 0; start <= spec.size();) {
            size_t end = std::min(spec.find(L';', start), spec.size());
            std::wstring pattern = spec.substr(start, end - start);
            pattern.erase(0, pattern.find_first_not_of(L' '));
            pattern.erase(pattern.find_last_not_of(L' ') + 1);
            if (!pattern.empty()) type.patterns.push_back(pattern);
            start = end + 1;
        }
        if (!type.patterns.empty()) types.push_back(std::move(type));
    }
    if (types.empty()) types.push_back({L"*.*", {L"*.*"}});
    return types;
}

bool MatchesPattern(std::wstring_view name, std::wstring_view pattern) {
    if (pattern == L"*.*" || pattern == L"*") return true;
    size_t n = 0, p = 0, star = std::wstring_view::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == L'*') {
            star = p++;
            mark = n;
        } else if (p < pattern.size() && (pattern[p] == L'?' || SameLetters(pattern[p], name[n]))) {
            ++n;
            ++p;
        } else if (star != std::wstring_view::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*') ++p;
    return p == pattern.size();
}

bool MatchesType(std::wstring_view name, const FileType& type) {
    return std::any_of(type.patterns.begin(), type.patterns.end(),
                       [name](const std::wstring& pattern) { return MatchesPattern(name, pattern); });
}

std::wstring TypeExtension(const FileType& type) {
    const std::wstring& pattern = type.patterns.front();
    if (pattern.size() < 3 || pattern.compare(0, 2, L"*.") != 0) return {};
    if (pattern.find_first_of(L"*?", 2) != std::wstring::npos) return {};
    return pattern.substr(1);
}

std::wstring TrimTypedName(std::wstring_view typed) {
    std::wstring name(typed);
    name.erase(0, name.find_first_not_of(L' '));
    name.erase(name.find_last_not_of(L". ") + 1);   // the file system drops trailing dots and spaces
    return name;
}

NameProblem CheckFileName(std::wstring_view name) {
    if (name.empty()) return NameProblem::kEmpty;
    if (name.find_first_of(kUnsafeCharacters) != std::wstring_view::npos ||
        std::any_of(name.begin(), name.end(), [](wchar_t c) { return c < 32; }))
        return NameProblem::kBadCharacters;
    if (IsDeviceName(name)) return NameProblem::kDeviceName;
    return NameProblem::kNone;
}

std::wstring NameWithExtension(std::wstring name, const std::wstring& typeExtension, const wchar_t* defaultExtension) {
    std::wstring extension = typeExtension;
    if (extension.empty() && defaultExtension && *defaultExtension && name.find(L'.') == std::wstring::npos)
        extension = std::wstring(L".") + defaultExtension;
    if (!EndsWithIgnoringCase(name, extension)) name += extension;
    return name;
}

void SortOrder::Tap(int tapped) {
    down = tapped == column ? !down : false;
    column = tapped;
}

void SortEntries(std::vector<FileEntry>& entries, SortOrder order) {
    auto byName = [](const FileEntry& a, const FileEntry& b) { return lstrcmpiW(a.name.c_str(), b.name.c_str()); };
    std::stable_sort(entries.begin(), entries.end(), [&](const FileEntry& a, const FileEntry& b) {
        int difference = 0;
        switch (order.column) {
        case kFolderColumn: difference = lstrcmpiW(a.folder.c_str(), b.folder.c_str()); break;
        case kDateColumn: difference = CompareFileTime(&a.written, &b.written); break;
        case kSizeColumn: difference = a.size < b.size ? -1 : a.size > b.size ? 1 : 0; break;
        }
        if (difference == 0) difference = byName(a, b);
        return order.down ? difference > 0 : difference < 0;
    });
}
