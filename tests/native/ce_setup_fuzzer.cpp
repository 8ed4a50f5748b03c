// libFuzzer target: an installation cabinet's instruction file (member 000 of a theme), any bytes
// at all, under the address and undefined behaviour sanitizers.
//  - Read, written and read again, it gives the same model (texts the header's 16-bit offsets can
//    hold); the written file's length field is its length.
//  - As a theme, with a member of the right number for every file it installs: a theme read
//    whole takes its files' bytes from those members, sets some Today colour, and written as a
//    theme and read again is the same theme.
//  - As a configuration's installer: every value read has a root the pages can write and a DWORD
//    of its own four bytes; written as an installer and read again it gives the same values and
//    files, with nothing read over, and what could not be written is named.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "store/ce_setup.h"
#include "store/device_installer.h"
#include "store/today_theme.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

// The installer reader over the same instructions, and its writer over what it read.
void CheckInstaller(const CeSetup& setup, const std::vector<ThemeMember>& members) {
    const InstallerRead read = ReadDeviceInstaller(setup, members);
    if (read.error != InstallerError::None) {
        Check(read.config.files.empty());
        return;
    }
    for (const DeviceValue& v : read.config.values)
        Check(v.root == kCeRootClasses || v.root == kCeRootCurrentUser || v.root == kCeRootLocalMachine);
    if (read.config.files.size() > 998) return;
    const InstallerWrite written = WriteDeviceInstaller(read.config);
    Check(!written.members.empty() && written.members[0].number == 0);
    const CeSetupRead again = ReadCeSetup(written.members[0].bytes.data(), written.members[0].bytes.size());
    Check(again.error == CeSetupError::None);
    const InstallerRead back = ReadDeviceInstaller(again.setup, written.members);
    Check(back.error == InstallerError::None && back.others.empty());
    // Values that could not be written are named, the others come back as they were read (keys
    // as the installer writes them: parts joined by single backslashes).
    size_t kept = 0;
    for (const DeviceValue& v : read.config.values) {
        bool found = false;
        for (const DeviceValue& b : back.config.values)
            found = found || (b.root == v.root && b.name == v.name && b.kind == v.kind && b.number == v.number &&
                              b.text == v.text && b.bytes == v.bytes);
        kept += found;
    }
    Check(kept + written.leftOut.size() >= read.config.values.size());
    Check(back.config.files == read.config.files);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const CeSetupRead read = ReadCeSetup(data, size);
    if (read.error != CeSetupError::None) {
        Check(read.setup == CeSetup{});
        return 0;
    }
    const CeSetup& setup = read.setup;
    const std::vector<uint8_t> written = WriteCeSetup(setup);
    Check(written.size() >= kCeHeaderBytes && Le32(written, 8) == written.size());
    size_t headerTexts = setup.appName.size() + setup.provider.size() + 4;
    for (const std::string& name : setup.unsupported) headerTexts += name.size() + 1;
    const CeSetupRead again = ReadCeSetup(written.data(), written.size());
    Check(again.error == CeSetupError::None);
    if (headerTexts + kCeHeaderBytes < 0xFFFF) Check(again.setup == setup);

    std::vector<ThemeMember> members = {{0, "setup.000", {}}};
    for (const CeSetup::File& f : setup.files)
        if (f.fileId != 0) members.push_back({f.fileId, "file", std::vector<uint8_t>(f.fileId % 7, f.fileId & 0xFF)});
    CheckInstaller(setup, members);
    const ThemeRead theme = ReadTodayTheme(setup, members);
    if (theme.error != ThemeError::None) return 0;
    bool someToday = false;
    for (int n : kTodayColorNumbers) someToday |= theme.theme.colors.count(n) != 0;
    Check(someToday);
    if (theme.theme.colorsOnly) Check(theme.theme.files.empty());
    if (theme.theme.files.size() > 998 || headerTexts + kCeHeaderBytes >= 0xFFFF) return 0;
    std::vector<ThemeMember> made = WriteTodayTheme(theme.theme);
    Check(!made.empty() && made[0].number == 0);
    const CeSetupRead madeSetup = ReadCeSetup(made[0].bytes.data(), made[0].bytes.size());
    Check(madeSetup.error == CeSetupError::None);
    const ThemeRead back = ReadTodayTheme(madeSetup.setup, made);
    Check(back.error == ThemeError::None && !back.theme.colorsOnly);
    TodayTheme expected = theme.theme;
    expected.colorsOnly = false;
    Check(back.theme == expected);
    return 0;
}
