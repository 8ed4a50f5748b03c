#include "pages/fonts/font_catalogue.h"

#include <cstring>
#include <cwchar>
#include <string>

#include "base/handles.h"
#include "base/strings.h"
#include "pages/fonts/font_names.h"
#include "platform/pocketpc.h"

namespace {

constexpr DWORD kRomFiles = 2;
constexpr DWORD kAttributeInRom = 0x40;       // FILE_ATTRIBUTE_INROM on the device
constexpr UINT kCollectionName = 3175;        // "Font collection"
constexpr wchar_t kRomPrefix[] = L"rom://";
constexpr int kRomPrefixChars = 6;
constexpr wchar_t kWindowsFolder[] = L"\\Windows\\";
constexpr size_t kWindowsFolderChars = 9;

// Index just past the last `mark` in the text, 0 when there is none.
int OffsetAfterLast(const wchar_t* text, wchar_t mark) {
    const wchar_t* last = std::wcsrchr(text, mark);
    return last ? static_cast<int>(last - text) + 1 : 0;
}

bool IsFontExtension(std::wstring_view extension) {
    return SameNameIgnoringCase(extension, L"ttf") || SameNameIgnoringCase(extension, L"ttc");
}

// A file name's extension: the text after its last ".", empty when none.
std::wstring_view ExtensionOf(std::wstring_view name) {
    size_t dot = name.rfind(L'.');
    return dot == std::wstring_view::npos ? std::wstring_view() : name.substr(dot + 1);
}

}  // namespace

FontFileEntry::FontFileEntry() {
    path[0] = L'\0';
    fullName[0] = L'\0';
}

FontFileEntry::~FontFileEntry() { ReleaseContent(); }

FontFileEntry::FontFileEntry(const FontFileEntry& other) { *this = other; }

FontFileEntry& FontFileEntry::operator=(const FontFileEntry& other) {
    if (this == &other) return *this;
    ReleaseContent();
    std::wmemcpy(path, other.path, kPathChars);
    romIndex = other.romIndex;
    size = other.size;
    extOffset = other.extOffset;
    nameOffset = other.nameOffset;
    overridesRom = other.overridesRom;
    sameSizeTwin = other.sameSizeTwin;
    inRom = other.inRom;
    active = other.active;
    std::wmemcpy(fullName, other.fullName, kFullNameChars);
    return *this;
}

void FontFileEntry::Reset() {
    ReleaseContent();
    path[0] = L'\0';
    romIndex = 0;
    size = 0;
    extOffset = 0;
    nameOffset = 0;
    overridesRom = sameSizeTwin = inRom = active = false;
}

DWORD FontFileEntry::InitFromPath(const wchar_t* filePath) {
    Reset();
    romIndex = -1;
    // A path is used whole or not at all: a cut one would name another file.
    if (!filePath || std::wcslen(filePath) >= kPathChars) return ERROR_FILENAME_EXCED_RANGE;
    WIN32_FIND_DATAW data;
    {
        FindHandle find(FindFirstFileW(filePath, &data));
        if (!find) return GetLastError();
    }
    if (data.dwFileAttributes & kAttributeInRom) {
        if (std::wcslen(filePath) + kRomPrefixChars >= kPathChars) return ERROR_FILENAME_EXCED_RANGE;
        inRom = true;
        CopyText(path, kPathChars, std::wstring(kRomPrefix) + filePath);
    } else {
        CopyText(path, kPathChars, filePath);
    }
    size = data.nFileSizeLow;
    extOffset = OffsetAfterLast(path, L'.');
    nameOffset = OffsetAfterLast(path, L'\\');
    // Directly in \Windows: the system loads it.
    const std::wstring_view real = RealPath();
    active = real.size() > kWindowsFolderChars &&
             SameNameIgnoringCase(real.substr(0, kWindowsFolderChars), kWindowsFolder) &&
             real.find(L'\\', kWindowsFolderChars) == std::wstring_view::npos;
    return 0;
}

DWORD FontFileEntry::InitFromRomIndex(DWORD index) {
    Reset();
    romIndex = static_cast<int>(index);
    // Every ROM font is loaded unless a RAM file overrides it.
    active = true;
    WIN32_FIND_DATAW data;
    if (!GetRomFileInfo(kRomFiles, &data, index)) return GetLastError();
    if (std::wcslen(data.cFileName) + kRomPrefixChars >= kPathChars) return ERROR_FILENAME_EXCED_RANGE;
    CopyText(path, kPathChars, std::wstring(kRomPrefix) + data.cFileName);
    size = data.nFileSizeLow;
    extOffset = OffsetAfterLast(path, L'.');
    nameOffset = kRomPrefixChars;
    return 0;
}

const wchar_t* FontFileEntry::RealPath() const {
    return romIndex >= 0 || inRom ? path + kRomPrefixChars : path;
}

bool FontFileEntry::HasFontExtension() const { return extOffset > 0 && IsFontExtension(path + extOffset); }

const BYTE* FontFileEntry::LoadContent() {
    if (content) return content;
    if (size == 0) return nullptr;
    content = static_cast<BYTE*>(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!content) return nullptr;
    if (romIndex >= 0) {
        if (GetRomFileBytes(kRomFiles, static_cast<DWORD>(romIndex), 0, content, size) != size) ReleaseContent();
        return content;
    }
    FileHandle file(CreateFileW(RealPath(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD read = 0;
    if (!file || !ReadFile(file.get(), content, size, &read, nullptr) || read != size) ReleaseContent();
    return content;
}

void FontFileEntry::ReleaseContent() {
    if (content) VirtualFree(content, 0, MEM_RELEASE);
    content = nullptr;
}

const wchar_t* FontFileEntry::FullName() {
    if (fullName[0]) return fullName;
    // Also what a file without a readable name keeps: it is not read again.
    CopyText(fullName, kFullNameChars, L" ");
    if (const BYTE* bytes = LoadContent()) {
        const fontnames::FullNameReading reading = fontnames::ReadFullName(bytes, size);
        if (reading.collection) {
            CopyText(fullName, kFullNameChars, LoadResString(kCollectionName));
        } else if (!reading.name.empty()) {
            std::wstring name(reading.name.begin(), reading.name.end());
            CopyText(fullName, kFullNameChars, name);
        }
    }
    ReleaseContent();
    return fullName;
}

void FontCatalogue::Clear() {
    for (int i = 0; i < count; ++i) entries[i].Reset();
    count = 0;
}

void FontCatalogue::Add(const FontFileEntry& entry) {
    if (count >= kMaxFiles) return;
    FontFileEntry& added = entries[count];
    added = entry;
    if (added.romIndex < 0 && added.active) {
        for (int i = 0; i < count; ++i) {
            if (entries[i].romIndex >= 0 && SameName(entries[i].FileName(), added.FileName())) {
                entries[i].active = false;
                added.overridesRom = true;
            }
        }
    }
    ++count;
}

void FontCatalogue::ScanDirectory(const wchar_t* directory) {
    const std::wstring folder = directory ? directory : L"";
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (!find) return;
    FontFileEntry scratch;
    do {
        const std::wstring_view name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring full = folder + L"\\" + data.cFileName;
        // Too long to keep whole: skipped, and so is everything below it.
        if (full.size() >= static_cast<size_t>(FontFileEntry::kPathChars)) continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ScanDirectory(full.c_str());
        } else if (skipInRomFiles_ && (data.dwFileAttributes & kAttributeInRom)) {
            continue;
        } else if (IsFontExtension(ExtensionOf(name)) && scratch.InitFromPath(full.c_str()) == 0) {
            Add(scratch);
        }
    } while (FindNextFileW(find.get(), &data));
}

void FontCatalogue::Rebuild(bool isVersion421) {
    Clear();
    skipInRomFiles_ = isVersion421;
    FontFileEntry scratch;
    for (DWORD index = 0; index < kMaxRomFiles; ++index) {
        const DWORD error = scratch.InitFromRomIndex(index);
        if (error == ERROR_FILENAME_EXCED_RANGE) continue;   // a name too long to keep, not the end
        if (error != 0) break;
        if (scratch.HasFontExtension()) Add(scratch);
    }
    ScanDirectory(L"");
    for (int j = 0; j < count; ++j) {
        FontFileEntry& entry = entries[j];
        if (entry.romIndex >= 0 && !entry.active) continue;
        for (int k = 0; k < count && !entry.sameSizeTwin; ++k)
            if (k != j && entries[k].size == entry.size) entry.sameSizeTwin = true;
    }
}

bool FontCatalogue::HasCopyOf(FontFileEntry& entry) {
    if (!entry.sameSizeTwin) return false;
    const bool wasLoaded = entry.content != nullptr;
    const BYTE* bytes = entry.LoadContent();
    bool found = false;
    for (int i = 0; bytes && !found && i < count; ++i) {
        FontFileEntry& other = entries[i];
        if (&other == &entry || other.size != entry.size) continue;
        const bool otherLoaded = other.content != nullptr;
        if (const BYTE* otherBytes = other.LoadContent()) found = std::memcmp(bytes, otherBytes, entry.size) == 0;
        if (!otherLoaded) other.ReleaseContent();
    }
    if (!wasLoaded) entry.ReleaseContent();
    return found;
}
