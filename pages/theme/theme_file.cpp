#include "pages/theme/theme_file.h"

#include <optional>
#include <vector>

#include "base/handles.h"
#include "base/strings.h"
#include "platform/cabinet.h"
#include "platform/pocketpc.h"
#include "resources/resource.h"
#include "store/ce_setup.h"
#include "store/file_values.h"
#include "store/store.h"

namespace {

// A theme file is read whole: a cabinet larger than the cabinet reader takes is too large anyway.
constexpr size_t kMaxThemeFileBytes = kMaxCabinetBytes;
constexpr wchar_t kDeviceTodayImage[] = L"\\Windows\\tdywater.gif";
constexpr wchar_t kDeviceStartImage[] = L"\\Windows\\stwater.gif";

ThemeOutcome Failed(UINT formatId, const wchar_t* path) { return {false, FileErrorText(formatId, path)}; }

std::wstring Widen(const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    const int n = text.empty() ? 0 : MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                                         wide.data(), static_cast<int>(wide.size()));
    wide.resize(n > 0 ? n : 0);
    return wide;
}

std::string Narrow(const std::wstring& text) {
    std::string narrow(text.size() * 2 + 1, '\0');
    const int n = text.empty() ? 0 : WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                                         narrow.data(), static_cast<int>(narrow.size()), "_", nullptr);
    narrow.resize(n > 0 ? n : 0);
    return narrow;
}

bool Decodes(const ThemeFile& file) {
    OwnedBitmap bitmap(LoadImageBytes(file.bytes.data(), file.bytes.size()));
    return bitmap.get() != nullptr;
}

// A device image, when it is there and decodes.
std::optional<ThemeFile> DeviceImage(const wchar_t* path, const char* name) {
    bool tooLarge = false;
    auto bytes = ReadWholeFile(path, kMaxThemeFileBytes, tooLarge);
    if (!bytes || bytes->empty()) return std::nullopt;
    ThemeFile file{name, kCeFileOverwrite, std::move(*bytes)};
    if (!Decodes(file)) return std::nullopt;
    return file;
}

// The file name without its folder and extension.
std::wstring FileStem(const wchar_t* path) {
    std::wstring name = path;
    name.erase(0, name.find_last_of(L"\\/") + 1);
    const size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos && dot > 0) name.erase(dot);
    return name;
}

}  // namespace

namespace {

ThemeOutcome ReadTheme(const wchar_t* path, TodayTheme& theme, OwnedBitmap* todayPicture) {
    bool tooLarge = false;
    auto bytes = ReadWholeFile(path, kMaxThemeFileBytes, tooLarge);
    if (!bytes) return Failed(IDS_CANT_OPEN, path);
    if (tooLarge) return Failed(IDS_THEME_TOO_LARGE, path);

    std::vector<CabinetMember> cabinet;
    switch (ReadCabinet(bytes->data(), bytes->size(), cabinet)) {
    case CabinetError::None: break;
    case CabinetError::NoLibrary: return Failed(IDS_THEME_NO_LIBRARY, path);
    case CabinetError::NotCabinet: return Failed(IDS_THEME_NOT_CABINET, path);
    case CabinetError::TooLarge: return Failed(IDS_THEME_TOO_LARGE, path);
    default: return Failed(IDS_THEME_DAMAGED, path);
    }

    std::vector<ThemeMember> members;
    const ThemeMember* setupMember = nullptr;
    for (CabinetMember& m : cabinet) members.push_back({MemberNumber(m.name), m.name, std::move(m.bytes)});
    for (const ThemeMember& m : members)
        if (m.number == 0) setupMember = &m;
    if (!setupMember) return Failed(IDS_THEME_NO_SETUP, path);

    const CeSetupRead setup = ReadCeSetup(setupMember->bytes.data(), setupMember->bytes.size());
    switch (setup.error) {
    case CeSetupError::None: break;
    case CeSetupError::NoSignature: return Failed(IDS_THEME_NO_SETUP, path);
    case CeSetupError::UnendedString: return Failed(IDS_THEME_UNENDED, path);
    default: return Failed(IDS_THEME_OUTSIDE, path);
    }

    ThemeRead read = ReadTodayTheme(setup.setup, members);
    if (read.error == ThemeError::NoColors) return Failed(IDS_THEME_NO_COLORS, path);
    if (read.error == ThemeError::MissingMember) return Failed(IDS_THEME_MISSING, path);
    // Both images must decode; the Today image's picture is handed on when asked for.
    OwnedBitmap today;
    if (const ThemeFile* image = read.theme.TodayImage()) {
        today.reset(LoadImageBytes(image->bytes.data(), image->bytes.size()));
        if (!today) return {false, FileErrorText(IDS_THEME_BAD_IMAGE, Widen(image->name).c_str(), path)};
    }
    if (const ThemeFile* image = read.theme.StartImage(); image && !Decodes(*image))
        return {false, FileErrorText(IDS_THEME_BAD_IMAGE, Widen(image->name).c_str(), path)};
    if (todayPicture) *todayPicture = std::move(today);

    ThemeOutcome outcome{true, {}};
    if (read.theme.colorsOnly) outcome.message = FileErrorText(IDS_THEME_COLORS_ONLY, path);
    theme = std::move(read.theme);
    return outcome;
}

ThemeOutcome WriteTheme(const wchar_t* path, const std::map<int, uint32_t>& colors, const TodayTheme* opened) {
    TodayTheme theme;
    if (opened) {
        theme = *opened;
        theme.colorsOnly = false;
    } else {
        theme.name = Narrow(FileStem(path));
        theme.provider = Narrow(LoadResString(IDS_APP_TITLE));
    }
    for (const auto& [number, color] : colors) theme.colors[number] = color;
    if (!opened || opened->colorsOnly) {
        theme.files.clear();
        if (auto today = DeviceImage(kDeviceTodayImage, kTodayImageName)) theme.files.push_back(std::move(*today));
        if (auto start = DeviceImage(kDeviceStartImage, kStartImageName)) theme.files.push_back(std::move(*start));
    }

    std::vector<CabinetMember> members;
    for (ThemeMember& m : WriteTodayTheme(theme)) members.push_back({m.name, std::move(m.bytes)});
    std::vector<uint8_t> cabinet;
    const CabinetError made = WriteCabinet(members, cabinet);
    if (made == CabinetError::NoLibrary) return Failed(IDS_THEME_NO_LIBRARY, path);
    if (made != CabinetError::None) return Failed(IDS_THEME_CANT_MAKE, path);

    DWORD error = ERROR_SUCCESS;
    {
        FileHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return Failed(IDS_CANT_WRITE, path);
        error = WriteWhole(file.get(), cabinet.data(), static_cast<DWORD>(cabinet.size()));
    }
    if (error != ERROR_SUCCESS) {
        DeleteFileW(path);
        return Failed(IDS_CANT_WRITE, path);
    }
    return {true, {}};
}

}  // namespace

// Both are called from window procedures and the command line: nothing leaves them as an
// exception (a theme too large for the memory left is refused as too large).
ThemeOutcome ReadThemeFile(const wchar_t* path, TodayTheme& theme, OwnedBitmap* todayPicture) {
    try {
        return ReadTheme(path, theme, todayPicture);
    } catch (...) {
        return Failed(IDS_THEME_TOO_LARGE, path);
    }
}

ThemeOutcome WriteThemeFile(const wchar_t* path, const std::map<int, uint32_t>& colors, const TodayTheme* opened) {
    try {
        return WriteTheme(path, colors, opened);
    } catch (...) {   // before the file is opened: what was at `path` stays
        return Failed(IDS_THEME_CANT_MAKE, path);
    }
}

HBITMAP DecodeTodayImage(const TodayTheme& theme) {
    const ThemeFile* image = theme.TodayImage();
    return image ? LoadImageBytes(image->bytes.data(), image->bytes.size()) : nullptr;
}
