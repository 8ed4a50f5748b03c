// The instruction codec against files laid out here from the documented format, byte by byte,
// and the Today theme read from them.
#include <gtest/gtest.h>

#include <cstring>

#include "store/ce_setup.h"
#include "store/today_theme.h"

namespace {

// Little-endian bytes appended one field at a time.
struct Layout {
    std::vector<uint8_t> b;
    size_t At() const { return b.size(); }
    Layout& U16(uint16_t v) { b.push_back(v & 0xFF), b.push_back(v >> 8); return *this; }
    Layout& U32(uint32_t v) { U16(v & 0xFFFF); return U16(v >> 16); }
    Layout& Bytes(const char* s, size_t n) { b.insert(b.end(), s, s + n); return *this; }
    Layout& Text(const char* s) { return Bytes(s, std::strlen(s) + 1); }
    void Put16(size_t at, uint16_t v) { b[at] = v & 0xFF, b[at + 1] = v >> 8; }
    void Put32(size_t at, uint32_t v) { Put16(at, v & 0xFFFF), Put16(at + 2, v >> 16); }
};

// A theme's instructions as the format describes them: images into %CE2%, colours 4 and 7 under
// HKLM\SOFTWARE\Microsoft\Color, one platform it does not support, one shortcut when asked.
Layout ThemeInstructions(bool withLink = false) {
    Layout l;
    l.Bytes("MSCE", 4).U32(0).U32(0).U32(0).U32(1).U32(0);
    for (int i = 0; i < 6; ++i) l.U32(0);          // versions and builds
    for (int i = 0; i < 6; ++i) l.U16(0);          // counts, set below
    for (int i = 0; i < 6; ++i) l.U32(0);          // offsets
    for (int i = 0; i < 8; ++i) l.U16(0);          // texts
    EXPECT_EQ(l.At(), 100u);
    l.Put16(84, static_cast<uint16_t>(l.At())), l.Put16(86, 6), l.Text("Water");
    l.Put16(88, static_cast<uint16_t>(l.At())), l.Put16(90, 5), l.Text("Tide");
    l.Put16(92, static_cast<uint16_t>(l.At())), l.Put16(94, 5), l.Text("HPC").Text("");
    l.Put32(60, static_cast<uint32_t>(l.At())), l.Put16(48, 4);
    const char* strings[] = {"%CE2%", "SOFTWARE", "Microsoft", "Color"};
    for (uint16_t i = 0; i < 4; ++i) l.U16(i + 1).U16(static_cast<uint16_t>(std::strlen(strings[i]) + 1)).Text(strings[i]);
    l.Put32(64, static_cast<uint32_t>(l.At())), l.Put16(50, 1);
    l.U16(1).U16(4).U16(1).U16(0);
    l.Put32(68, static_cast<uint32_t>(l.At())), l.Put16(52, 2);
    l.U16(1).U16(1).U16(1).U32(kCeFileOverwrite).U16(13).Text("tdywater.gif");
    l.U16(2).U16(1).U16(2).U32(0).U16(12).Text("stwater.gif");
    l.Put32(72, static_cast<uint32_t>(l.At())), l.Put16(54, 1);
    l.U16(1).U16(3).U16(0).U16(8).U16(2).U16(3).U16(4).U16(0);
    l.Put32(76, static_cast<uint32_t>(l.At())), l.Put16(56, 3);
    l.U16(1).U16(1).U16(0).U32(kCeDword).U16(6).Text("4").U32(0x00112233);
    l.U16(2).U16(1).U16(0).U32(kCeDword).U16(7).Text("70").U32(0x00445566);
    l.U16(3).U16(1).U16(0).U32(kCeDword | kCeNoClobber).U16(6).Text("7").U32(0x00778899);
    l.Put32(80, static_cast<uint32_t>(l.At()));
    if (withLink) {
        l.Put16(58, 1);
        l.U16(1).U16(0).U16(11).U16(1).U16(1).U16(4).U16(1).U16(0);
    }
    l.Put32(8, static_cast<uint32_t>(l.At()));
    return l;
}

std::vector<ThemeMember> Members() {
    return {{0, "water.000", {}}, {2, "0stwater.002", {'S'}}, {1, "tdywater.001", {'T'}}};
}

TEST(CeSetup, ReadsEveryPartOfADocumentedFileAndWritesItBackTheSame) {
    const Layout l = ThemeInstructions(true);
    const CeSetupRead read = ReadCeSetup(l.b.data(), l.b.size());
    ASSERT_EQ(read.error, CeSetupError::None);
    const CeSetup& s = read.setup;
    EXPECT_EQ(s.appName, "Water");
    EXPECT_EQ(s.provider, "Tide");
    EXPECT_EQ(s.unsupported, std::vector<std::string>{"HPC"});
    ASSERT_EQ(s.strings.size(), 4u);
    EXPECT_EQ(*s.Text(3), "Microsoft");
    ASSERT_EQ(s.dirs.size(), 1u);
    EXPECT_EQ(s.JoinPath(s.dirs[0].path), "%CE2%");
    ASSERT_EQ(s.files.size(), 2u);
    EXPECT_EQ(s.files[1].name, "stwater.gif");
    EXPECT_EQ(s.files[0].flags, kCeFileOverwrite);
    ASSERT_EQ(s.hives.size(), 1u);
    EXPECT_EQ(s.hives[0].root, kCeRootLocalMachine);
    EXPECT_EQ(s.JoinPath(s.hives[0].path), "SOFTWARE\\Microsoft\\Color");
    ASSERT_EQ(s.values.size(), 3u);
    EXPECT_EQ(s.values[1].name, "70");
    EXPECT_EQ(s.values[1].data, (std::vector<uint8_t>{0x66, 0x55, 0x44, 0}));
    EXPECT_EQ(s.values[2].typeFlags, kCeDword | kCeNoClobber);
    ASSERT_EQ(s.links.size(), 1u);
    EXPECT_EQ(s.links[0].baseDir, 11);

    // Written, the file is laid out as it was read: the same bytes.
    EXPECT_EQ(WriteCeSetup(s), l.b);
}

TEST(CeSetup, RefusesWhatLiesOutsideTheFileOrHasNoEnd) {
    const Layout good = ThemeInstructions();
    auto error = [&](auto change) {
        Layout l = good;
        change(l);
        return ReadCeSetup(l.b.data(), l.b.size()).error;
    };
    EXPECT_EQ(ReadCeSetup(nullptr, 0).error, CeSetupError::TooShort);
    EXPECT_EQ(error([](Layout& l) { l.b[0] = 'X'; }), CeSetupError::NoSignature);
    EXPECT_EQ(error([](Layout& l) { l.Put32(8, static_cast<uint32_t>(l.b.size() + 1)); }), CeSetupError::TooShort);
    EXPECT_EQ(error([](Layout& l) { l.Put16(56, 4); }), CeSetupError::OutsideFile) << "one value more than there are";
    EXPECT_EQ(error([](Layout& l) { l.Put32(68, 0x10000000); }), CeSetupError::OutsideFile);
    EXPECT_EQ(error([](Layout& l) { l.Put32(80, 0xFFFFFFFF), l.Put16(58, 1); }), CeSetupError::OutsideFile);
    EXPECT_EQ(error([](Layout& l) { l.Put16(84, 0xFFFF); }), CeSetupError::OutsideFile);
    EXPECT_EQ(error([](Layout& l) { l.Put16(86, 5); }), CeSetupError::UnendedString) << "\"Water\" without its NUL";
    EXPECT_EQ(error([](Layout& l) { l.Put16(94, 4); }), CeSetupError::UnendedString) << "no empty platform name";
    // The folder's path: 1, 0 as 4 bytes; 3 bytes are no path, 2 bytes have no ending 0.
    const size_t dir = good.b[64] | good.b[65] << 8;
    EXPECT_EQ(error([&](Layout& l) { l.Put16(dir + 2, 3); }), CeSetupError::BadPath);
    EXPECT_EQ(error([&](Layout& l) { l.Put16(dir + 2, 2); }), CeSetupError::BadPath);

    // Every cut of the file fails cleanly (the sanitizers watch the reads).
    for (size_t n = 0; n < good.b.size(); ++n)
        EXPECT_NE(ReadCeSetup(good.b.data(), n).error, CeSetupError::None) << n;
}

TEST(CeSetup, WritesTheDocumentedLayout) {
    CeSetup s;
    s.appName = "A";
    s.provider = "Bc";
    const uint16_t windows = s.AddString("%CE2%");
    EXPECT_EQ(s.AddString("%CE2%"), windows) << "a text is stored once";
    s.dirs.push_back({1, {windows}});
    s.files.push_back({1, 1, 1, kCeFileOverwrite, "x.gif"});
    s.values.push_back({1, 1, 0, kCeDword, "4", {1, 2, 3, 4}});
    const std::vector<uint8_t> b = WriteCeSetup(s);
    Layout l{b};
    auto u16 = [&](size_t at) { return static_cast<unsigned>(b[at] | b[at + 1] << 8); };
    auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
    EXPECT_EQ(std::memcmp(b.data(), "MSCE", 4), 0);
    EXPECT_EQ(u32(8), b.size());
    EXPECT_EQ(u32(16), 1u);
    EXPECT_EQ(u16(84), 100u) << "the name right after the header";
    EXPECT_EQ(u16(86), 2u);
    EXPECT_EQ(u16(88), 102u);
    EXPECT_EQ(u16(90), 3u);
    EXPECT_EQ(u16(94), 0u) << "no unsupported platforms";
    EXPECT_EQ(u16(48), 1u);
    const size_t strings = u32(60);
    EXPECT_EQ(strings, 105u);
    EXPECT_EQ(u16(strings), windows);
    EXPECT_EQ(u16(strings + 2), 6u);
    EXPECT_EQ(std::memcmp(&b[strings + 4], "%CE2%", 6), 0);
    const size_t files = u32(68);
    EXPECT_EQ(u32(files + 6), kCeFileOverwrite);
    EXPECT_EQ(u16(files + 10), 6u);
    const size_t values = u32(76);
    EXPECT_EQ(u32(values + 6), kCeDword);
    EXPECT_EQ(u16(values + 10), 6u) << "\"4\", its NUL and four bytes";
    EXPECT_EQ(b[values + 12], '4');
    EXPECT_EQ(u32(values + 14), 0x04030201u);
    EXPECT_EQ(u32(80), b.size()) << "no shortcuts: the table would start at the end";
}

TEST(TodayTheme, ReadsTheColoursAndImagesAndTellsATheme) {
    const Layout l = ThemeInstructions();
    const CeSetup setup = ReadCeSetup(l.b.data(), l.b.size()).setup;
    ThemeRead read = ReadTodayTheme(setup, Members());
    ASSERT_EQ(read.error, ThemeError::None);
    EXPECT_FALSE(read.theme.colorsOnly);
    EXPECT_EQ(read.theme.name, "Water");
    EXPECT_EQ(read.theme.colors, (std::map<int, uint32_t>{{4, 0x112233}, {7, 0x778899}, {70, 0x445566}}));
    ASSERT_NE(read.theme.TodayImage(), nullptr);
    EXPECT_EQ(read.theme.TodayImage()->bytes, std::vector<uint8_t>{'T'});
    EXPECT_EQ(read.theme.StartImage()->bytes, std::vector<uint8_t>{'S'});
    EXPECT_EQ(read.theme.header.unsupported, std::vector<std::string>{"HPC"}) << "kept for writing again";

    // Written as a theme: the instructions first, then the members from the highest number down,
    // and read back the same.
    const std::vector<ThemeMember> made = WriteTodayTheme(read.theme);
    ASSERT_EQ(made.size(), 3u);
    EXPECT_EQ(made[0].name, "Water.000");
    EXPECT_EQ(made[1].name, "stwater.002");
    EXPECT_EQ(made[2].name, "tdywater.001");
    EXPECT_EQ(MemberNumber(made[1].name), 2);
    EXPECT_EQ(MemberNumber("tdywater.gif"), -1);
    const CeSetupRead again = ReadCeSetup(made[0].bytes.data(), made[0].bytes.size());
    ASSERT_EQ(again.error, CeSetupError::None);
    EXPECT_EQ(ReadTodayTheme(again.setup, made).theme, read.theme);

    // A member missing, no Today colour.
    std::vector<ThemeMember> lacking = Members();
    lacking.pop_back();
    EXPECT_EQ(ReadTodayTheme(setup, lacking).error, ThemeError::MissingMember);
    CeSetup grey = setup;
    grey.values.erase(grey.values.begin());
    grey.values.pop_back();
    EXPECT_EQ(ReadTodayTheme(grey, Members()).error, ThemeError::NoColors) << "colour 70 is none the page edits";
}

TEST(TodayTheme, AThemeReachingFurtherIsReadForItsColoursOnly) {
    const Layout l = ThemeInstructions();
    const CeSetup setup = ReadCeSetup(l.b.data(), l.b.size()).setup;
    auto colorsOnly = [&](auto change, std::vector<ThemeMember> members = Members()) {
        CeSetup s = setup;
        change(s);
        ThemeRead read = ReadTodayTheme(s, members);
        EXPECT_EQ(read.error, ThemeError::None);
        EXPECT_EQ(read.theme.colors.at(4), 0x112233u);
        if (read.theme.colorsOnly) EXPECT_TRUE(read.theme.files.empty());
        return read.theme.colorsOnly;
    };
    EXPECT_FALSE(colorsOnly([](CeSetup&) {}));
    EXPECT_TRUE(colorsOnly([](CeSetup& s) { s.dirs[0].path = {s.AddString("%CE1%")}; })) << "into \\Program Files";
    EXPECT_TRUE(colorsOnly([](CeSetup& s) { s.files[0].name = "..\\tdywater.gif"; }));
    EXPECT_TRUE(colorsOnly([](CeSetup& s) { s.files[0].dirId = 9; })) << "a folder it does not have";
    EXPECT_TRUE(colorsOnly([](CeSetup& s) { s.hives.push_back({2, kCeRootCurrentUser, 0, s.hives[0].path}), s.values[1].hiveId = 2; }));
    EXPECT_TRUE(colorsOnly([](CeSetup& s) { s.hives.push_back({2, kCeRootLocalMachine, 0, {2}}), s.values[1].hiveId = 2; }));
    EXPECT_TRUE(colorsOnly([](CeSetup& s) { s.values[1].typeFlags = kCeString; }));
    EXPECT_TRUE(colorsOnly([](CeSetup& s) { s.values[1].name = "Seven"; }));
    EXPECT_TRUE(colorsOnly([](CeSetup& s) { s.links.push_back({1, 0, 11, 1, 1, {1}}); }));
    std::vector<ThemeMember> withProgram = Members();
    withProgram.push_back({999, "setup.999", {'M', 'Z'}});
    EXPECT_TRUE(colorsOnly([](CeSetup&) {}, withProgram)) << "a setup program";
    EXPECT_FALSE(colorsOnly([](CeSetup& s) { s.strings[0].text = "\\Windows"; })) << "\\Windows written out";
}

}  // namespace
