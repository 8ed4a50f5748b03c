#include "store/today_theme.h"

#include <algorithm>
#include <cctype>

namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// The installer's \Windows: %CE2%, or the folder written out.
bool IsWindowsFolder(const std::string& path) {
    return SameIgnoringCase(path, "%CE2%") || SameIgnoringCase(path, "\\Windows") ||
           SameIgnoringCase(path, "%CE2%\\") || SameIgnoringCase(path, "\\Windows\\");
}

// A colour number: one to three decimal digits.
int ColorNumber(const std::string& name) {
    if (name.empty() || name.size() > 3) return -1;
    int n = 0;
    for (char c : name) {
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

uint32_t Le32(const std::vector<uint8_t>& d) {
    return static_cast<uint32_t>(d[0]) | static_cast<uint32_t>(d[1]) << 8 | static_cast<uint32_t>(d[2]) << 16 |
           static_cast<uint32_t>(d[3]) << 24;
}

const ThemeFile* FileNamed(const std::vector<ThemeFile>& files, const char* name) {
    for (const ThemeFile& f : files)
        if (SameIgnoringCase(f.name, name)) return &f;
    return nullptr;
}

// Up to eight letters and digits of a name's stem, or `fallback`.
std::string Stem(const std::string& name, const char* fallback) {
    std::string stem;
    for (char c : name.substr(0, name.rfind('.')))
        if (std::isalnum(static_cast<unsigned char>(c)) && stem.size() < 8) stem += c;
    return stem.empty() ? fallback : stem;
}

std::string MemberName(const std::string& stem, int number) {
    char digits[4] = {static_cast<char>('0' + number / 100 % 10), static_cast<char>('0' + number / 10 % 10),
                      static_cast<char>('0' + number % 10), 0};
    return stem + "." + digits;
}

}  // namespace

const ThemeFile* TodayTheme::TodayImage() const { return FileNamed(files, kTodayImageName); }
const ThemeFile* TodayTheme::StartImage() const { return FileNamed(files, kStartImageName); }

int MemberNumber(const std::string& name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || name.size() - dot != 4) return -1;
    int n = 0;
    for (size_t i = dot + 1; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return -1;
        n = n * 10 + (name[i] - '0');
    }
    return n;
}

ThemeRead ReadTodayTheme(const CeSetup& setup, const std::vector<ThemeMember>& members) {
    ThemeRead result;
    TodayTheme& theme = result.theme;
    theme.name = setup.appName;
    theme.provider = setup.provider;
    theme.header = setup;
    theme.header.appName.clear();
    theme.header.provider.clear();
    theme.header.strings.clear();
    theme.header.dirs.clear();
    theme.header.files.clear();
    theme.header.hives.clear();
    theme.header.values.clear();
    theme.header.links.clear();

    // What the theme installs, and whether all of it goes where a theme's things go.
    bool elsewhere = !setup.links.empty();
    for (const ThemeMember& m : members)
        if (m.number == 999) elsewhere = true;   // a setup program, run after installing
    for (const CeSetup::File& f : setup.files) {
        const CeSetup::Dir* dir = setup.FindDir(f.dirId);
        const auto path = dir ? setup.JoinPath(dir->path) : std::nullopt;
        if (!path || !IsWindowsFolder(*path) || f.name.find_first_of("\\/:") != std::string::npos) elsewhere = true;
    }
    for (const CeSetup::RegValue& v : setup.values) {
        const CeSetup::Hive* hive = setup.FindHive(v.hiveId);
        const auto key = hive ? setup.JoinPath(hive->path) : std::nullopt;
        const bool colorKey = hive && hive->root == kCeRootLocalMachine && key && SameIgnoringCase(*key, kColorKeyPath);
        const int number = ColorNumber(v.name);
        if (!colorKey || number < 0 || (v.typeFlags & kCeTypeMask) != kCeDword || v.data.size() != 4) {
            elsewhere = true;
            continue;
        }
        theme.colors[number] = Le32(v.data);   // a later value wins, as the installer writes them in turn
    }
    if (!std::any_of(std::begin(kTodayColorNumbers), std::end(kTodayColorNumbers),
                     [&](int n) { return theme.colors.count(n) != 0; })) {
        result.error = ThemeError::NoColors;
        return result;
    }
    theme.colorsOnly = elsewhere;
    if (elsewhere) return result;

    for (const CeSetup::File& f : setup.files) {
        auto member = std::find_if(members.begin(), members.end(),
                                   [&](const ThemeMember& m) { return m.number == f.fileId && m.number != 0; });
        if (member == members.end()) {
            result.error = ThemeError::MissingMember;
            theme.files.clear();
            return result;
        }
        theme.files.push_back({f.name, f.flags, member->bytes});
    }
    return result;
}

std::vector<ThemeMember> WriteTodayTheme(const TodayTheme& theme) {
    CeSetup setup = theme.header;
    setup.strings.clear();
    setup.dirs.clear();
    setup.files.clear();
    setup.hives.clear();
    setup.values.clear();
    setup.links.clear();
    setup.appName = theme.name;
    setup.provider = theme.provider;
    const uint16_t windows = setup.AddString("%CE2%");
    setup.dirs.push_back({1, {windows}});
    std::vector<uint16_t> key;
    for (const char* part : {"SOFTWARE", "Microsoft", "Color"}) key.push_back(setup.AddString(part));
    setup.hives.push_back({1, kCeRootLocalMachine, 0, key});

    std::vector<ThemeMember> members(1);
    const size_t files = std::min<size_t>(theme.files.size(), 998);
    for (size_t i = 0; i < files; ++i) {
        const ThemeFile& f = theme.files[i];
        const auto number = static_cast<uint16_t>(i + 1);
        setup.files.push_back({number, 1, number, f.flags, f.name});
        members.push_back({number, MemberName(Stem(f.name, "file"), number), f.bytes});
    }
    uint16_t id = 0;
    for (const auto& [number, color] : theme.colors) {
        const std::vector<uint8_t> data = {static_cast<uint8_t>(color), static_cast<uint8_t>(color >> 8),
                                           static_cast<uint8_t>(color >> 16), static_cast<uint8_t>(color >> 24)};
        setup.values.push_back({++id, 1, 0, kCeDword, std::to_string(number), data});
    }
    members[0] = {0, MemberName(Stem(theme.name, "theme"), 0), WriteCeSetup(setup)};
    // The instructions first, then the other members from the highest number down.
    std::reverse(members.begin() + 1, members.end());
    return members;
}
