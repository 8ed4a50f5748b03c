// Today theme files on the Theme page: opened through the Open dialog into the page's colours and
// picture, saved through the Save dialog, read back; every kind of bad file refused with a
// message naming it. The cabinets are read by the system's cabinet library; one built by Debian's
// gcab and checked by cabextract is tests/pages/theme-cabinets.sh (suite ThemeCabinets).
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "base/handles.h"
#include "pages/theme/theme_file.h"
#include "pages/theme/theme_page.h"
#include "platform/cabinet.h"
#include "platform/pocketpc.h"
#include "resources/resource.h"
#include "store/ce_setup.h"
#include "store/today_theme.h"
#include "support/app_fixture.h"
#include "support/gdi.h"
#include "support/modal.h"

namespace {

constexpr int kTop = 5;   // the picture's top on the page
constexpr wchar_t kDeviceToday[] = L"\\Windows\\tdywater.gif";

// 1 x 1 GIFs: one red pixel, one green pixel.
const std::vector<uint8_t> kRedDot = {
    'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0xFF, 0, 0, 0, 0, 0,
    ',', 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0, ';',
};
const std::vector<uint8_t> kGreenDot = {
    'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0, 0xFF, 0, 0, 0, 0,
    ',', 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0, ';',
};

std::wstring TempPath(const wchar_t* name) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + name;
}

void WriteBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
}

std::vector<uint8_t> Cabinet(const std::vector<ThemeMember>& members) {
    std::vector<CabinetMember> cabinet;
    for (const ThemeMember& m : members) cabinet.push_back({m.name, m.bytes});
    std::vector<uint8_t> bytes;
    EXPECT_EQ(WriteCabinet(cabinet, bytes), CabinetError::None);
    return bytes;
}

// A theme with more than the page edits: other colour values, both images, a name, a provider.
TodayTheme RichTheme() {
    TodayTheme theme;
    theme.name = "Water";
    theme.provider = "Tide Works";
    for (int n = 0; n < 27; ++n) theme.colors[n] = 0x000100u * n + 0x10;
    theme.colors[4] = 0x0000FF;
    theme.files = {{kTodayImageName, kCeFileOverwrite, kRedDot}, {kStartImageName, kCeFileOverwrite, kGreenDot}};
    return theme;
}

class ThemeFileTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        deviceImageWas = FileExists(kDeviceToday);
        StartProgram();
        page = FindPageAnswering<ThemePage>(session());
        ASSERT_NE(page, nullptr);
        dialog = PageWindow(5);
        session().marks.Set(0, 0);
    }
    void TearDown() override {
        for (const std::wstring& path : made) DeleteFileW(path.c_str());
        if (!deviceImageWas) DeleteFileW(kDeviceToday);
        AppTest::TearDown();
    }
    std::wstring Made(const wchar_t* name) {
        made.push_back(TempPath(name));
        return made.back();
    }
    std::wstring File(const wchar_t* name, const std::vector<uint8_t>& bytes) {
        std::wstring path = Made(name);
        WriteBytes(path, bytes);
        return path;
    }
    void Click(int id) {
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }
    // A command of the "Theme..." button's menu, as the menu sends it.
    void Command(int id) { SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    std::map<int, DWORD> PageColors() {
        std::map<int, DWORD> colors;
        for (int n : kTodayColorNumbers) colors[n] = page->ColorValue(n);
        return colors;
    }

    ThemePage* page = nullptr;
    HWND dialog = nullptr;
    std::vector<std::wstring> made;
    bool deviceImageWas = false;
};

TEST_F(ThemeFileTest, AThemeOpenedFromThePageIsItsColoursAndPictureAndSavesAgainWhole) {
    const TodayTheme rich = RichTheme();
    const std::wstring path = File(L"orvanel_rich.tsk", Cabinet(WriteTodayTheme(rich)));
    const std::wstring again = Made(L"orvanel_again.tsk");
    const std::wstring title = TitleText();

    // "Theme..." shows its menu; the first line, "Open theme...", is taken with the keys.
    AnswerFileDialogs(session(), path);
    PostMessageW(dialog, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(dialog, WM_KEYDOWN, VK_RETURN, 0);
    Click(IDC_THEME_FILE);
    for (int n : kTodayColorNumbers) EXPECT_EQ(page->ColorValue(n), rich.colors.at(n)) << n;
    EXPECT_GT(session().marks.changes(), 0) << "an edit like any other";
    EXPECT_NE(TitleText(), title) << "the title marks it";
    EXPECT_EQ(PrintedPixel(dialog, 0, kTop + 26), 0x0000FFu) << "the preview stands on the theme's own Today image";

    // Saved again (the ten colours edited or not) it is the same theme: values, images, name, provider.
    AnswerFileDialogs(session(), again);
    Command(IDM_THEME_SAVE);
    TodayTheme back;
    ThemeOutcome read = ReadThemeFile(again.c_str(), back);
    ASSERT_TRUE(read.ok) << testing::PrintToString(read.message);
    EXPECT_EQ(back, rich);

    // Loading another configuration keeps the opened theme's picture for the rest of the run.
    page->LoadFrom(kSystemStoreKey);
    EXPECT_EQ(PrintedPixel(dialog, 0, kTop + 26), 0x0000FFu);
}

TEST_F(ThemeFileTest, ANewThemeTakesThePageColoursAndTheDeviceImages) {
    if (!deviceImageWas) WriteBytes(kDeviceToday, kGreenDot);
    const std::wstring path = Made(L"orvanel_fresh.tsk");
    ASSERT_TRUE(page->SaveThemeFile(path.c_str()));
    TodayTheme back;
    ASSERT_TRUE(ReadThemeFile(path.c_str(), back).ok);
    EXPECT_EQ(back.name, "orvanel_fresh");
    EXPECT_EQ(back.provider, "Orvanel");
    EXPECT_EQ(back.colors.size(), 10u) << "exactly the ten colours";
    for (int n : kTodayColorNumbers) EXPECT_EQ(back.colors[n], page->ColorValue(n)) << n;
    ASSERT_NE(back.TodayImage(), nullptr);
    const std::vector<BYTE> device = FileBytes(kDeviceToday);
    EXPECT_EQ(back.TodayImage()->bytes, std::vector<uint8_t>(device.begin(), device.end()));
}

TEST_F(ThemeFileTest, BadFilesAreRefusedByNameAndChangeNothing) {
    std::vector<uint8_t> good = Cabinet(WriteTodayTheme(RichTheme()));
    std::vector<ThemeMember> members = WriteTodayTheme(RichTheme());
    auto withSetup = [&](auto change) {
        std::vector<ThemeMember> m = members;
        change(m[0].bytes);
        return Cabinet(m);
    };
    TodayTheme noColors = RichTheme();
    noColors.colors.clear();
    noColors.colors[40] = 1;
    TodayTheme badImage = RichTheme();
    badImage.files[0].bytes = {'n', 'o', ' ', 'G', 'I', 'F'};
    std::vector<ThemeMember> imagesOnly(members.begin() + 1, members.end());
    const struct {
        const wchar_t* name;
        std::vector<uint8_t> bytes;
        const wchar_t* says;
    } cases[] = {
        {L"orvanel_text.tsk", {'j', 'u', 's', 't', ' ', 't', 'e', 'x', 't'}, L"not a cabinet"},
        {L"orvanel_cut.tsk", std::vector<uint8_t>(good.begin(), good.begin() + good.size() / 2), L"cut short"},
        {L"orvanel_nosetup.tsk", Cabinet(imagesOnly), L"no installation instructions"},
        {L"orvanel_counts.tsk", withSetup([](std::vector<uint8_t>& s) { s[58] = 0xFF; }), L"point outside"},
        {L"orvanel_offset.tsk", withSetup([](std::vector<uint8_t>& s) { s[70] = 0x7F; }), L"point outside"},
        {L"orvanel_unended.tsk", withSetup([](std::vector<uint8_t>& s) { s[86] = 2; }), L"text with no end"},
        {L"orvanel_nocolors.tsk", Cabinet(WriteTodayTheme(noColors)), L"none of the Today colours"},
        {L"orvanel_image.tsk", Cabinet(WriteTodayTheme(badImage)), L"cannot be decoded"},
    };
    const auto before = PageColors();
    for (const auto& c : cases) {
        const std::wstring path = File(c.name, c.bytes);
        ModalScript script;
        script.Press(IDOK);
        EXPECT_FALSE(page->OpenThemeFile(path.c_str())) << testing::PrintToString(std::wstring(c.name));
        ASSERT_EQ(script.seen().size(), 1u);
        EXPECT_EQ(script.seen()[0].caption, L"Error");
        EXPECT_NE(script.seen()[0].text.find(path), std::wstring::npos) << testing::PrintToString(script.seen()[0].text);
        EXPECT_NE(script.seen()[0].text.find(c.says), std::wstring::npos) << testing::PrintToString(script.seen()[0].text);
    }
    EXPECT_EQ(PageColors(), before);
    EXPECT_EQ(session().marks.changes(), 0);
    EXPECT_EQ(page->OpenedTheme(), nullptr);
}

TEST_F(ThemeFileTest, AThemeThatReachesFurtherIsOpenedForItsColoursOnly) {
    // It also installs a program into \Program Files (%CE1%) and sets a value of its own.
    std::vector<ThemeMember> members = WriteTodayTheme(RichTheme());
    CeSetupRead setup = ReadCeSetup(members[0].bytes.data(), members[0].bytes.size());
    ASSERT_EQ(setup.error, CeSetupError::None);
    const uint16_t programs = setup.setup.AddString("%CE1%");
    setup.setup.dirs.push_back({2, {programs}});
    setup.setup.files.push_back({3, 2, 3, 0, "evil.exe"});
    members[0].bytes = WriteCeSetup(setup.setup);
    members.push_back({3, "evil.003", {'M', 'Z'}});
    const std::wstring path = File(L"orvanel_further.tsk", Cabinet(members));

    ModalScript script;
    script.Press(IDOK);
    ASSERT_TRUE(page->OpenThemeFile(path.c_str()));
    ASSERT_EQ(script.seen().size(), 1u);
    EXPECT_EQ(script.seen()[0].caption, L"Information");
    EXPECT_NE(script.seen()[0].text.find(path), std::wstring::npos);
    EXPECT_NE(script.seen()[0].text.find(L"never installs"), std::wstring::npos);
    EXPECT_EQ(page->ColorValue(4), 0x0000FFu);
    ASSERT_NE(page->OpenedTheme(), nullptr);
    EXPECT_TRUE(page->OpenedTheme()->colorsOnly);
    EXPECT_TRUE(page->OpenedTheme()->files.empty()) << "nothing it carries is kept";

    // Saved, it carries only the colours and the device's own images.
    const std::wstring saved = Made(L"orvanel_tamed.tsk");
    ASSERT_TRUE(page->SaveThemeFile(saved.c_str()));
    TodayTheme back;
    const ThemeOutcome read = ReadThemeFile(saved.c_str(), back);
    ASSERT_TRUE(read.ok);
    EXPECT_TRUE(read.message.empty());
    EXPECT_FALSE(back.colorsOnly);
    for (const ThemeFile& f : back.files) EXPECT_NE(f.name, "evil.exe");
}

TEST_F(ThemeFileTest, TheSaveDialogOffersTheWindowsFolderForThemes) {
    const std::wstring name = L"orvanel_dialog_theme";
    const std::wstring path = L"\\Windows\\" + name + L".tsk";
    made.push_back(path);
    session().saveFileDialog = GetSaveFileNameW;
    ModalScript script;
    script.Then([&](HWND box) {
        HWND folders = GetDlgItem(box, IDC_FILE_FOLDER);
        const LRESULT windows = SendMessageW(folders, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                             reinterpret_cast<LPARAM>(L"Windows"));
        EXPECT_NE(windows, CB_ERR) << "\\Windows among the folders";
        EXPECT_EQ(SendMessageW(folders, CB_GETCURSEL, 0, 0), 0) << "\\My Documents first";
        SendMessageW(folders, CB_SETCURSEL, windows, 0);
        wchar_t type[64] = {};
        GetWindowTextW(GetDlgItem(box, IDC_FILE_TYPE), type, 64);
        EXPECT_STREQ(type, L"Today themes (*.tsk)");
        SetWindowTextW(GetDlgItem(box, IDC_FILE_NAME), name.c_str());
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    Command(IDM_THEME_SAVE);
    EXPECT_EQ(script.unused(), 0u);
    TodayTheme back;
    EXPECT_TRUE(ReadThemeFile(path.c_str(), back).ok);
}

// Run by tests/pages/theme-cabinets.sh, which builds a theme with gcab from an instruction file
// laid out in the script, and afterwards lists and extracts what this writes with cabextract.
TEST(ThemeCabinets, AThemeBuiltByGcabOpensAndWhatIsWrittenIsForCabextract) {
    const char* in = std::getenv("ORVANEL_GCAB_DIR");
    const char* out = std::getenv("ORVANEL_THEME_OUT");
    if (!in || !out) GTEST_SKIP() << "run by tests/pages/theme-cabinets.sh";
    auto wide = [](const char* s) { return std::wstring(s, s + strlen(s)); };
    const std::wstring dir = wide(in), target = wide(out);
    // Stored, and compressed with MSZIP: the same theme.
    TodayTheme theme, compressed;
    const ThemeOutcome read = ReadThemeFile((dir + L"\\gcab.tsk").c_str(), theme);
    ASSERT_TRUE(read.ok) << testing::PrintToString(read.message);
    ASSERT_TRUE(ReadThemeFile((dir + L"\\gcab-mszip.tsk").c_str(), compressed).ok);
    EXPECT_EQ(compressed, theme);
    EXPECT_EQ(theme.name, "Gcab Water");
    EXPECT_EQ(theme.provider, "Debian gcab");
    EXPECT_FALSE(theme.colorsOnly);
    // The script's colours: number n is 0x00n0n0n (as bytes), for 1 to 26.
    EXPECT_EQ(theme.colors.size(), 26u);
    for (int n = 1; n <= 26; ++n) EXPECT_EQ(theme.colors[n], 0x010101u * n) << n;
    ASSERT_NE(theme.TodayImage(), nullptr);
    ASSERT_NE(theme.StartImage(), nullptr);
    const std::vector<BYTE> today = FileBytes(dir + L"\\today.gif"), start = FileBytes(dir + L"\\start.gif");
    EXPECT_EQ(theme.TodayImage()->bytes, std::vector<uint8_t>(today.begin(), today.end()));
    EXPECT_EQ(theme.StartImage()->bytes, std::vector<uint8_t>(start.begin(), start.end()));

    // Saved again whole, and the page's ten colours over it.
    EXPECT_TRUE(WriteThemeFile((target + L"\\resaved.tsk").c_str(), {}, &theme).ok);
    std::map<int, uint32_t> ten;
    for (int n : kTodayColorNumbers) ten[n] = 0x00ABCD00u + n;
    EXPECT_TRUE(WriteThemeFile((target + L"\\edited.tsk").c_str(), ten, &theme).ok);
    // A new theme of the ten colours, on a device without images of its own: a theme with none.
    ASSERT_FALSE(FileExists(L"\\Windows\\tdywater.gif") || FileExists(L"\\Windows\\stwater.gif"));
    EXPECT_TRUE(WriteThemeFile((target + L"\\fresh.tsk").c_str(), ten, nullptr).ok);
}

}  // namespace
