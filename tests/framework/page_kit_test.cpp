// The kit's value table on a small page of its own: defaults, ranges, codecs, table order, and
// the same table through the registry and a configuration file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/page_kit.h"
#include "store/config_codec.h"

namespace {

struct Sample {
    int width = 0;
    int colors[2] = {};
};

constexpr kit::BinaryCodec<Sample> kColors = {
    8,
    [](Sample& s, const std::optional<std::vector<BYTE>>& bytes) {
        s.colors[0] = s.colors[1] = 0x112233;   // the defaults, then what was stored
        if (bytes) memcpy(s.colors, bytes->data(), bytes->size() < 8 ? bytes->size() : 8);
    },
    [](const Sample& s) {
        const BYTE* p = reinterpret_cast<const BYTE*>(s.colors);
        return std::vector<BYTE>(p, p + 8);
    },
};

const kit::Setting<Sample> kTable[] = {
    {.subkey = L"GWE", .name = L"cxVScr", .live = LiveRoot::System, .field = &Sample::width, .initial = 13,
     .minimum = 7, .maximum = 30, .outOfRange = kit::OutOfRange::Clamp},
    {.subkey = L"GWE", .name = L"SysColor", .live = LiveRoot::System, .binary = &kColors},
};

constexpr wchar_t kKey[] = L"OrvanelKitTest";

TEST(PageKit, LoadsDefaultsClampsAndWritesInTableOrder) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKey);
    auto registry = OpenRegistryStore(kKey, false);
    Sample s;
    EXPECT_FALSE(kit::LoadSettings<Sample>(s, *registry, kTable)) << "nothing is there";
    EXPECT_EQ(s.width, 13);
    EXPECT_EQ(s.colors[1], 0x112233);

    for (auto [stored, loaded] : {std::pair{99u, 30}, {3u, 7}, {0xFFFFFFFFu, 13}, {16u, 16}}) {
        registry->WriteDword({LiveRoot::System, L"GWE", L"cxVScr"}, stored);
        kit::LoadSettings<Sample>(s, *registry, kTable);
        EXPECT_EQ(s.width, loaded) << stored;
    }

    s.colors[1] = 0x00FF00;
    ASSERT_TRUE(kit::SaveSettings<Sample>(s, *registry, kTable));
    Sample back;
    EXPECT_TRUE(kit::LoadSettings<Sample>(back, *registry, kTable));
    EXPECT_EQ(back.colors[1], 0x00FF00);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKey);

    // A file gets one record per value in table order, and gives them back.
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    std::wstring path = std::wstring(dir) + L"orvanel_kit_test.ov";
    CloseHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    {
        auto file = OpenFileStoreForWriting(L"@" + path, nullptr);
        kit::SaveSettings<Sample>(s, *file, kTable);
        EXPECT_TRUE(file->Commit());
    }
    auto content = ReadFileHead(path.c_str(), 0x20000);
    DeleteFileW(path.c_str());
    ASSERT_TRUE(content);
    DWORD width = 16;
    std::wstring expected = EncodeValueKey(L"GWE", L"cxVScr") + EncodeValueData(&width, 4) +
                            EncodeValueKey(L"GWE", L"SysColor") + EncodeValueData(s.colors, 8);
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(content->data()), content->size() / 2), expected);
    auto reader = OpenFileStoreForReading(L"@" + path, std::move(*content));
    Sample fromFile;
    EXPECT_TRUE(kit::LoadSettings<Sample>(fromFile, *reader, kTable));
    EXPECT_EQ(fromFile.width, 16);
    EXPECT_EQ(fromFile.colors[1], 0x00FF00);
}

}  // namespace
