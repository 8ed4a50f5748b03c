// A configuration's installer: what the writer lays out, read here from the documented layout of
// the instruction file, and what the reader takes from instructions that do more than a
// configuration does.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "store/ce_setup.h"
#include "store/device_installer.h"

namespace {

uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b.at(at) | b.at(at + 1) << 8); }
uint32_t U32(const std::vector<uint8_t>& b, size_t at) { return U16(b, at) | static_cast<uint32_t>(U16(b, at + 2)) << 16; }

// The instruction file read from its documented layout, into "root\key\name" -> (type, data).
struct Documented {
    std::map<uint16_t, std::string> strings;
    std::map<uint16_t, std::pair<uint16_t, std::string>> hives;
    std::map<std::string, std::pair<uint32_t, std::vector<uint8_t>>> values;
    struct File { uint16_t id, dir; uint32_t flags; std::string name; };
    std::vector<File> files;
    std::map<uint16_t, std::string> dirs;

    std::string Path(const std::vector<uint8_t>& b, size_t at, size_t bytes) {
        std::string path;
        for (size_t i = 0; i + 2 <= bytes; i += 2) {
            const uint16_t id = U16(b, at + i);
            if (id == 0) break;
            path += (path.empty() ? "" : "\\") + strings.at(id);
        }
        return path;
    }
    explicit Documented(const std::vector<uint8_t>& b) {
        EXPECT_EQ(std::memcmp(b.data(), "MSCE", 4), 0);
        EXPECT_EQ(U32(b, 8), b.size());
        size_t at = U32(b, 60);
        for (int i = 0; i < U16(b, 48); ++i) {
            const uint16_t length = U16(b, at + 2);
            strings[U16(b, at)] = std::string(reinterpret_cast<const char*>(&b[at + 4]));
            at += 4 + length;
        }
        at = U32(b, 64);
        for (int i = 0; i < U16(b, 50); ++i) {
            dirs[U16(b, at)] = Path(b, at + 4, U16(b, at + 2));
            at += 4 + U16(b, at + 2);
        }
        at = U32(b, 68);
        for (int i = 0; i < U16(b, 52); ++i) {
            files.push_back({U16(b, at), U16(b, at + 2), U32(b, at + 6), reinterpret_cast<const char*>(&b[at + 12])});
            at += 12 + U16(b, at + 10);
        }
        at = U32(b, 72);
        for (int i = 0; i < U16(b, 54); ++i) {
            hives[U16(b, at)] = {U16(b, at + 2), Path(b, at + 8, U16(b, at + 6))};
            at += 8 + U16(b, at + 6);
        }
        at = U32(b, 76);
        for (int i = 0; i < U16(b, 56); ++i) {
            const auto& [root, key] = hives.at(U16(b, at + 2));
            const size_t length = U16(b, at + 10);
            const std::string name(reinterpret_cast<const char*>(&b[at + 12]));
            const std::vector<uint8_t> data(b.begin() + at + 12 + name.size() + 1, b.begin() + at + 12 + length);
            values[std::to_string(root) + "\\" + key + "\\" + name] = {U32(b, at + 6), data};
            at += 12 + length;
        }
    }
};

DeviceValue Make(uint16_t root, const wchar_t* key, const wchar_t* name, DeviceValueKind kind) {
    DeviceValue v;
    v.root = root, v.key = key, v.name = name, v.kind = kind;
    return v;
}

DeviceValue Dword(uint16_t root, const wchar_t* key, const wchar_t* name, uint32_t n) {
    DeviceValue v = Make(root, key, name, DeviceValueKind::Dword);
    v.number = n;
    return v;
}

}  // namespace

TEST(DeviceInstaller, SetsEveryValueInItsHiveWithItsTypeAndSharesFonts) {
    DeviceConfig config;
    config.name = L"Office", config.provider = L"Orvanel";
    config.values.push_back(Dword(kCeRootLocalMachine, L"SYSTEM\\GWE", L"cxVScr", 13));
    config.values.push_back(Dword(kCeRootLocalMachine, L"SYSTEM\\GWE", L"cyHScr", 0xFFFFFFFF));
    DeviceValue text = Make(kCeRootCurrentUser, L"Software\\Microsoft\\Inbox\\Settings", L"Font", DeviceValueKind::String);
    text.text = L"Tahoma";
    DeviceValue binary = Make(kCeRootLocalMachine, L"SYSTEM\\GWE\\Menu", L"BarFnt", DeviceValueKind::Binary);
    binary.bytes = {1, 0, 2, 0xFF};
    DeviceValue empty = Make(kCeRootLocalMachine, L"SYSTEM\\GDI\\SYSFNT", L"", DeviceValueKind::String);
    config.values.push_back(text);
    config.values.push_back(binary);
    config.values.push_back(empty);
    config.files.push_back({"frees.ttf", {1, 2, 3}});
    config.files.push_back({"dejavu.ttf", {4}});

    const InstallerWrite written = WriteDeviceInstaller(config);
    EXPECT_TRUE(written.leftOut.empty());
    ASSERT_EQ(written.members.size(), 3u);
    EXPECT_EQ(written.members[0].name, "Office.000");
    EXPECT_EQ(written.members[1].name, "dejavu.002") << "the files from the highest number down";
    EXPECT_EQ(written.members[2].name, "frees.001");

    Documented doc(written.members[0].bytes);
    EXPECT_EQ(doc.hives.size(), 4u) << "one hive per key";
    using Entry = std::pair<uint32_t, std::vector<uint8_t>>;
    EXPECT_EQ(doc.values.at("3\\SYSTEM\\GWE\\cxVScr"), (Entry{0x00010001, {13, 0, 0, 0}}));
    EXPECT_EQ(doc.values.at("3\\SYSTEM\\GWE\\cyHScr"), (Entry{0x00010001, {0xFF, 0xFF, 0xFF, 0xFF}}));
    EXPECT_EQ(doc.values.at("2\\Software\\Microsoft\\Inbox\\Settings\\Font"),
              (Entry{0, {'T', 'a', 'h', 'o', 'm', 'a', 0}}));
    EXPECT_EQ(doc.values.at("3\\SYSTEM\\GWE\\Menu\\BarFnt"), (Entry{1, {1, 0, 2, 0xFF}}));
    EXPECT_EQ(doc.values.at("3\\SYSTEM\\GDI\\SYSFNT\\"), (Entry{0, {0}})) << "the default value, an empty text";
    for (const auto& [place, entry] : doc.values) EXPECT_EQ(entry.first & 2, 0u) << place << ": overwrites";
    ASSERT_EQ(doc.files.size(), 2u);
    for (const auto& f : doc.files) {
        EXPECT_EQ(doc.dirs.at(f.dir), "%CE2%");
        EXPECT_EQ(f.flags, 0x80000010u) << "shared, and an existing file is kept";
    }

    CeSetupRead setup = ReadCeSetup(written.members[0].bytes.data(), written.members[0].bytes.size());
    ASSERT_EQ(setup.error, CeSetupError::None);
    const InstallerRead back = ReadDeviceInstaller(setup.setup, written.members);
    EXPECT_EQ(back.error, InstallerError::None);
    EXPECT_TRUE(back.others.empty());
    EXPECT_EQ(back.config, config);
}

TEST(DeviceInstaller, NamesWhatItCannotCarryOrWillNotTake) {
    DeviceConfig config;
    config.name = L"X";
    DeviceValue wide = Make(kCeRootCurrentUser, L"Software\\A", L"Face", DeviceValueKind::String);
    wide.text = L"\u65B0\u7D30\u660E";
    DeviceValue nul = Make(kCeRootCurrentUser, L"Software\\A", L"Nul", DeviceValueKind::String);
    nul.text = std::wstring(L"a\0b", 3);
    config.values = {wide, nul, Dword(kCeRootUsers, L"S", L"N", 1), Dword(kCeRootLocalMachine, L"K", L"Kept", 7)};
    const InstallerWrite written = WriteDeviceInstaller(config);
    EXPECT_EQ(written.leftOut,
              (std::vector<std::wstring>{L"HKCU\\Software\\A\\Face", L"HKCU\\Software\\A\\Nul", L"HKU\\S\\N"}));

    CeSetup setup = ReadCeSetup(written.members[0].bytes.data(), written.members[0].bytes.size()).setup;
    // What a configuration never does: a multi-string, a short DWORD, a string with bytes after
    // its NUL, HKEY_USERS, a file outside \Windows, a shortcut, a setup program.
    const uint16_t other = setup.AddString("Other");
    setup.hives.push_back({9, kCeRootUsers, 0, {other}});
    setup.values.push_back({20, 1, 0, kCeMultiString, "Multi", {'a', 0, 0}});
    setup.values.push_back({21, 1, 0, kCeDword, "Short", {1, 2}});
    setup.values.push_back({22, 1, 0, kCeString, "After", {'a', 0, 'b'}});
    setup.values.push_back({23, 9, 0, kCeDword, "User", {1, 0, 0, 0}});
    setup.dirs.push_back({1, {setup.AddString("%CE1%")}});
    setup.files.push_back({1, 1, 1, 0, "evil.exe"});
    setup.links.push_back({1, 0, 11, 1, 1, {other}});
    std::vector<ThemeMember> members = written.members;
    members.push_back({1, "evil.001", {1}});
    members.push_back({999, "setup.999", {1}});
    const InstallerRead read = ReadDeviceInstaller(setup, members);
    EXPECT_EQ(read.error, InstallerError::None);
    ASSERT_EQ(read.config.values.size(), 1u);
    EXPECT_EQ(read.config.values[0], Dword(kCeRootLocalMachine, L"K", L"Kept", 7));
    EXPECT_TRUE(read.config.files.empty());
    EXPECT_EQ(read.others, (std::vector<std::wstring>{L"HKLM\\K\\Multi", L"HKLM\\K\\Short", L"HKLM\\K\\After",
                                                      L"HKU\\Other\\User", L"shortcut Other", L"setup program setup.999",
                                                      L"%CE1%\\evil.exe"}));

    // A file to install whose member is missing is an error, not a file of no bytes.
    setup.dirs[0] = {1, {setup.AddString("%CE2%")}};
    members.erase(members.end() - 2);
    EXPECT_EQ(ReadDeviceInstaller(setup, members).error, InstallerError::MissingMember);
}
