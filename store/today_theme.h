// A Today theme (".tsk"): an installation cabinet whose instructions copy the Today and Start
// images into \Windows and set the Today colours, numbered DWORD values under
// HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Color. This is the theme read out of an instruction file
// and its members (store/ce_setup.h), and the instruction file made for a theme; no window-system
// or file call, so that the fuzzer drives it with the instruction reader.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "store/ce_setup.h"

// The colours the Theme page edits, by number.
inline constexpr int kTodayColorNumbers[10] = {4, 5, 6, 7, 8, 9, 13, 14, 25, 26};
// The names the shell reads the images under, in \Windows.
inline constexpr char kTodayImageName[] = "tdywater.gif";
inline constexpr char kStartImageName[] = "stwater.gif";
inline constexpr char kColorKeyPath[] = "SOFTWARE\\Microsoft\\Color";

// A file the theme installs into \Windows.
struct ThemeFile {
    std::string name;    // the installed name
    uint32_t flags = kCeFileOverwrite;
    std::vector<uint8_t> bytes;
    bool operator==(const ThemeFile&) const = default;
};

struct TodayTheme {
    std::string name;       // the application name of the instructions
    std::string provider;
    std::map<int, uint32_t> colors;   // every colour the theme sets, by number
    std::vector<ThemeFile> files;     // what it installs into \Windows, the images among them
    // The rest of the instructions' header (processor, versions and builds, unsupported
    // platforms), written again as it was; its names and tables stay empty.
    CeSetup header;
    // The theme also installs outside \Windows or sets values other than the Today colours: it
    // was read for its colours only, and `files` is empty.
    bool colorsOnly = false;

    // The Today image (tdywater.gif) or the Start image (stwater.gif), or null.
    const ThemeFile* TodayImage() const;
    const ThemeFile* StartImage() const;
    bool operator==(const TodayTheme&) const = default;
};

enum class ThemeError {
    None,
    NoColors,        // the instructions set none of the Today colours
    MissingMember,   // a file to install names a member the cabinet lacks
};

// A member of the cabinet by its number (the extension of its 8.3 name), 000 the instructions.
struct ThemeMember {
    int number;
    std::string name;
    std::vector<uint8_t> bytes;
};

struct ThemeRead {
    ThemeError error = ThemeError::None;
    TodayTheme theme;
};

// The theme an instruction file describes, with the members' bytes for the files it installs.
ThemeRead ReadTodayTheme(const CeSetup& setup, const std::vector<ThemeMember>& members);

// The cabinet's members for a theme: the instructions (member 000: copy every file into
// \Windows, set every colour as a DWORD), then the files, numbered from 001 in the order given.
// Member names are 8.3: up to eight letters of the installed name's stem and the number.
std::vector<ThemeMember> WriteTodayTheme(const TodayTheme& theme);

// The member number of an 8.3 name ("tdywater.001" is 1), or -1.
int MemberNumber(const std::string& name);
