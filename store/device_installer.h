// A configuration in the device's own forms, for a device without Orvanel: an installation
// cabinet whose instructions (store/ce_setup.h) set every value, and the values and font files
// such a cabinet carries read back. Free of window-system and file calls, so that the fuzzer
// drives the reader with the instruction reader.
//
// A value's place is its real place on a device: a root (HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER,
// HKEY_CLASSES_ROOT) and the key below it. Texts are code units as the registry keeps them; the
// instruction file holds single-byte texts, so a name, key or text with a unit above 0xFF (or a
// NUL inside it) cannot travel in an installer and is left out and named.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "store/ce_setup.h"
#include "store/today_theme.h"

enum class DeviceValueKind { Dword, String, Binary };

struct DeviceValue {
    uint16_t root = kCeRootLocalMachine;   // a CeRoot
    std::wstring key;                      // below the root, parts joined with backslashes
    std::wstring name;                     // empty: the key's default value
    DeviceValueKind kind = DeviceValueKind::Dword;
    uint32_t number = 0;                   // Dword
    std::wstring text;                     // String, without its NUL
    std::vector<uint8_t> bytes;            // Binary
    bool operator==(const DeviceValue&) const = default;
};

// A font file the configuration needs, installed into \Windows.
struct DeviceFile {
    std::string name;   // the installed name, no folder
    std::vector<uint8_t> bytes;
    bool operator==(const DeviceFile&) const = default;
};

struct DeviceConfig {
    std::wstring name;       // the package's application name
    std::wstring provider;
    std::vector<DeviceValue> values;
    std::vector<DeviceFile> files;
    bool operator==(const DeviceConfig&) const = default;
};

// How the installer sets values and copies files. Values overwrite what the device holds (no
// "no clobber": the configuration is meant to take effect). Fonts are shared, reference-counted
// files that never replace a file of the same name already there, so that removing the package
// leaves a font the device had, or another package installed, in place. docs/installers.md says
// why and what the device's installer does on removal.
inline constexpr uint32_t kInstallerFontFlags = kCeFileShared | 0x00000010;

// The root and key a value is named by in messages: "HKLM\SYSTEM\GWE\cxVScr"; a key alone,
// "HKLM\SYSTEM\GWE".
std::wstring DevicePlaceText(const DeviceValue& value);
std::wstring DeviceKeyText(uint16_t root, const std::wstring& key);

struct InstallerWrite {
    std::vector<ThemeMember> members;   // the instructions first, then the files
    std::vector<std::wstring> leftOut;  // values that cannot be written, by their place
};

// The members of an installer: member 000 holds instructions that set each value in its hive
// (one hive per distinct key) and copy each file into \Windows (%CE2%); the files follow as
// members 001 onwards, from the highest number down.
InstallerWrite WriteDeviceInstaller(const DeviceConfig& config);

enum class InstallerError {
    None,
    MissingMember,   // a file to install names a member the cabinet lacks
};

struct InstallerRead {
    InstallerError error = InstallerError::None;
    DeviceConfig config;
    // What the instructions do besides setting DWORD, string and binary values and copying
    // files into \Windows: multi-strings, other roots, files elsewhere, shortcuts, a setup
    // program. Read over, each named once.
    std::vector<std::wstring> others;
};

// The values and files an instruction file describes, with the members' bytes for the files.
InstallerRead ReadDeviceInstaller(const CeSetup& setup, const std::vector<ThemeMember>& members);
