// The appearance page on the real sheet: elements, fonts and colours through the kit, the
// controls as the user drives them, what Save writes, and the preview's pixels.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/handles.h"
#include "pages/appearance/appearance_page.h"
#include "resources/resource.h"
#include "store/config_codec.h"
#include "store/registry.h"
#include "store/store.h"
#include "support/app_fixture.h"
#include "support/gdi.h"
#include "support/modal.h"

namespace {

constexpr wchar_t kConfig[] = L"Orvanel\\GuiTest";

class AppearanceTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kConfig);
        StartProgram();
        page = FindPageAnswering<AppearancePage>(session());
        ASSERT_NE(page, nullptr);
        dialog = page->hwnd;
        session().marks.Set(0, 0);
    }
    void TearDown() override {
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kConfig);
        AppTest::TearDown();
    }
    void Choose(int id, const wchar_t* text) {
        LRESULT line = SendDlgItemMessageW(dialog, id, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                           reinterpret_cast<LPARAM>(text));
        ASSERT_NE(line, CB_ERR) << static_cast<const void*>(text);
        SendDlgItemMessageW(dialog, id, CB_SETCURSEL, line, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }
    void Click(int id, bool checked) {
        CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }
    std::wstring Selected(int id) {
        wchar_t text[64] = {};
        LRESULT line = SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0);
        if (line != CB_ERR) SendDlgItemMessageW(dialog, id, CB_GETLBTEXT, line, reinterpret_cast<LPARAM>(text));
        return text;
    }
    bool Enabled(int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
    DWORD Stored(const wchar_t* subkey, const wchar_t* name) { return ReadDword(kConfig, subkey, name); }

    AppearancePage* page = nullptr;
    HWND dialog = nullptr;
};

TEST_F(AppearanceTest, ElementsShareTheirColoursAndFonts) {
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_GUI_ELEMENT, CB_GETCOUNT, 0, 0), 17);
    EXPECT_EQ(Selected(IDC_GUI_ELEMENT), L"Active Title Bar");
    EXPECT_EQ(page->selectedElement(), 2);
    EXPECT_EQ(page->ElementColor(2), 0x990000u) << "the device's dark blue caption";
    auto* record = reinterpret_cast<AppearanceElement*>(page->QueryItem(6, 0));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->color, reinterpret_cast<AppearanceElement*>(page->QueryItem(7, 0))->color)
        << "Popup Menu Text and Menu Bar Text edit one colour";
    EXPECT_EQ(page->QueryItem(23, 0), 0);

    Choose(IDC_GUI_ELEMENT, L"Menu Background");
    EXPECT_TRUE(Enabled(IDC_GUI_COLOR));
    for (int id : {IDC_GUI_FACE, IDC_GUI_SIZE, IDC_GUI_BOLD, IDC_GUI_ITALIC}) EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_EQ(Selected(IDC_GUI_FACE), L"");
    EXPECT_EQ(Selected(IDC_GUI_SIZE), L"");

    Choose(IDC_GUI_ELEMENT, L"Window Text");
    EXPECT_TRUE(Enabled(IDC_GUI_FACE));
    EXPECT_EQ(Selected(IDC_GUI_SIZE), L"12") << "the device's -12 pixels";
    EXPECT_FALSE(IsDlgButtonChecked(dialog, IDC_GUI_BOLD));
    EXPECT_EQ(session().marks.changes(), 0) << "picking an element changes nothing";
}

// The window system offers the device's fonts: its ROM's and those it has installed, none of the
// build machine's (scripts/wine-env.sh). The device's system font is the one shown.
TEST_F(AppearanceTest, TheFaceListHoldsTheDeviceFontsAndNoneOfTheHosts) {
    Choose(IDC_GUI_ELEMENT, L"Window Text");
    EXPECT_EQ(Selected(IDC_GUI_FACE), L"Tahoma");
    auto listed = [&](const wchar_t* face) {
        return SendDlgItemMessageW(dialog, IDC_GUI_FACE, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                   reinterpret_cast<LPARAM>(face)) != CB_ERR;
    };
    for (const wchar_t* face : {L"Tahoma", L"Liberation Sans", L"DejaVu Sans Mono", L"DejaVu Sans", L"FreeSans"})
        EXPECT_TRUE(listed(face)) << testing::PrintToString(std::wstring(face));
    for (const wchar_t* face : {L"DejaVu Serif", L"Liberation Mono", L"Liberation Serif", L"FreeSerif", L"FreeMono"})
        EXPECT_FALSE(listed(face)) << testing::PrintToString(std::wstring(face));
}

// Run only by FontsTest.AFontInstalledIsOfferedAfterTheResetAndARemovedOneIsGone, which starts
// this program again as the device's reset: the face it names is listed, or not (ORVANEL_RESET_FACE,
// ORVANEL_RESET_OFFERED), and once chosen for "Window Text" the preview's font is that face.
TEST_F(AppearanceTest, AfterResetTheFaceListIsTheInstalledFonts) {
    const char* named = std::getenv("ORVANEL_RESET_FACE");
    ASSERT_NE(named, nullptr);
    const std::wstring face(named, named + std::strlen(named));
    const bool offered = std::getenv("ORVANEL_RESET_OFFERED") && *std::getenv("ORVANEL_RESET_OFFERED") == '1';
    Choose(IDC_GUI_ELEMENT, L"Window Text");
    const bool listed = SendDlgItemMessageW(dialog, IDC_GUI_FACE, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                            reinterpret_cast<LPARAM>(face.c_str())) != CB_ERR;
    ASSERT_EQ(listed, offered);
    if (!offered) return;
    Choose(IDC_GUI_FACE, face.c_str());
    WindowDc screen(nullptr);
    DcSelection chosen(screen.get(), page->ElementFont(page->selectedElement()));
    wchar_t drawn[LF_FACESIZE] = {};
    GetTextFaceW(screen.get(), LF_FACESIZE, drawn);
    EXPECT_EQ(std::wstring(drawn), face) << "the preview draws in the font itself, not a stand-in";
}

TEST_F(AppearanceTest, FontsFollowTheirParentAndSizesConvert) {
    page->SaveTo(kConfig);   // everything as the device has it, but the system font's height and weight
    WriteDword(kConfig, L"GDI\\SYSFNT", L"Ht", 900);
    WriteDword(kConfig, L"GDI\\SYSFNT", L"Wt", 600);
    ASSERT_TRUE(page->LoadFrom(kConfig));
    Choose(IDC_GUI_ELEMENT, L"Window Text");
    EXPECT_EQ(Selected(IDC_GUI_SIZE), L"12") << "900 is 9 points, 12 pixels at 96 dpi";
    EXPECT_TRUE(IsDlgButtonChecked(dialog, IDC_GUI_BOLD)) << "weight 600 shows as bold";
    Choose(IDC_GUI_SIZE, L"13");
    EXPECT_EQ(page->fonts[0].height(), 900);
    page->SelectElement(8, true);
    EXPECT_EQ(Selected(IDC_GUI_SIZE), L"12");
    Choose(IDC_GUI_SIZE, L"11");
    EXPECT_EQ(page->fonts[0].height(), 800);
    Click(IDC_GUI_BOLD, false);
    EXPECT_EQ(page->fonts[0].weight(), 400);
    EXPECT_EQ(session().marks.changes(), 3);
    EXPECT_EQ(session().marks.resets(), 3);

    // The caption texts use font 3: face, size and italic are the system font's, bold its own.
    Choose(IDC_GUI_ELEMENT, L"Active Title Text");
    wchar_t other[64] = {};
    for (int line = 0; line < 2; ++line) {
        SendDlgItemMessageW(dialog, IDC_GUI_FACE, CB_GETLBTEXT, line, reinterpret_cast<LPARAM>(other));
        if (page->fonts[0].face() != other) break;
    }
    Choose(IDC_GUI_FACE, other);
    EXPECT_EQ(page->fonts[0].face(), other);
    Click(IDC_GUI_ITALIC, true);
    Click(IDC_GUI_BOLD, false);
    page->SaveTo(kConfig);
    wchar_t face[40] = {};
    ReadString(kConfig, L"GDI\\SYSFNT", L"Nm", face, sizeof face);
    EXPECT_EQ(std::wstring(face), page->fonts[3].face());
    EXPECT_EQ(Stored(L"GDI\\SYSFNT", L"It"), 1u);
    EXPECT_EQ(Stored(L"GDI\\SYSFNT", L"Wt"), 400u);
    EXPECT_EQ(Stored(L"GWE\\Button", L"FontWeight"), 400u);
    EXPECT_EQ(Stored(L"GWE\\Button", L"Ht"), 0xFFFFFFFFu) << "font 3 keeps only its weight";

    // A 4.21 device reads a missing height as 9 points; earlier ones as 12 pixels.
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"Orvanel\\GuiTest\\GDI\\SYSFNT", L"Ht");
    session().isVersion421 = true;
    EXPECT_FALSE(page->LoadFrom(kConfig)) << "a missing height makes the load incomplete";
    EXPECT_EQ(page->fonts[0].height(), 800) << "an incomplete font keeps what it had";
    WriteDword(kConfig, L"GDI\\SYSFNT", L"Ht", 0xFFFFFFF4);
    page->LoadFrom(kConfig);
    EXPECT_EQ(page->fonts[0].height(), 900) << "-12 on a 4.21 device is 9 points";
}

TEST_F(AppearanceTest, SaveWritesEveryValueInOrderAndUnreadableColoursKeepTheDefaults) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    std::wstring path = std::wstring(dir) + L"orvanel_gui_test.ov";
    CloseHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    {
        auto file = OpenFileStoreForWriting(L"@" + path, nullptr);
        page->Save(*file);
    }
    auto content = ReadFileHead(path.c_str(), 0x20000);
    DeleteFileW(path.c_str());
    ASSERT_TRUE(content);
    std::wstring text(reinterpret_cast<const wchar_t*>(content->data()), content->size() / 2);
    std::vector<std::pair<const wchar_t*, const wchar_t*>> order;
    for (const wchar_t* font : {L"GDI\\SYSFNT", L"GWE\\Menu\\BarFnt", L"GWE\\Menu\\PopFnt"})
        for (const wchar_t* name : {L"Ht", L"It", L"CS", L"Wt", L"Nm"}) order.push_back({font, name});
    order.push_back({L"GWE\\Button", L"FontWeight"});
    order.push_back({L"GWE", L"SysColor"});
    size_t at = 0;
    for (size_t i = 0; i < order.size(); ++i) {
        std::wstring key = EncodeValueKey(order[i].first, order[i].second);
        ASSERT_EQ(text.compare(at, key.size(), key), 0) << "record " << i;
        at = text.find(L"\r\n", at) + 2;
    }
    EXPECT_EQ(at, text.size()) << "nothing else";

    // "SysColor" too long or of the wrong type: every default; shorter: the first colours only.
    page->SaveTo(kConfig);
    std::vector<BYTE> longer(120, 0x11), shorter = {0x01, 0x02, 0x03, 0x00};
    WriteBinary(kConfig, L"GWE", L"SysColor", longer.data(), 120);
    EXPECT_FALSE(page->LoadFrom(kConfig));
    EXPECT_EQ(page->sysColors[0], 0xC0C0C0u);
    EXPECT_EQ(page->sysColors[28], 0u);
    WriteDword(kConfig, L"GWE", L"SysColor", 5);
    EXPECT_FALSE(page->LoadFrom(kConfig));
    EXPECT_EQ(page->sysColors[2], 0x990000u);
    WriteBinary(kConfig, L"GWE", L"SysColor", shorter.data(), 4);
    EXPECT_TRUE(page->LoadFrom(kConfig));
    EXPECT_EQ(page->sysColors[0], 0x030201u);
    EXPECT_EQ(page->sysColors[2], 0x990000u);
}

TEST_F(AppearanceTest, ThePreviewShowsTheColoursAndKeepsItsObjects) {
    RECT area;
    GetWindowRect(GetDlgItem(dialog, IDC_GUI_PREVIEW), &area);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&area), 2);
    const int left = area.left, top = area.top;
    EXPECT_EQ(PrintedPixel(dialog, left + 10, top + 8), 0x808080u) << "inactive caption bar";
    EXPECT_EQ(PrintedPixel(dialog, left + 70, top + 68), 0x990000u) << "active caption bar";
    const int belowThumb = top + GetSystemMetrics(SM_CYVSCROLL) + 45;
    EXPECT_EQ(PrintedPixel(dialog, area.right - 3, belowThumb), 0xFFFFFFu) << "scroll bar track";
    EXPECT_EQ(PrintedPixel(dialog, area.right - 3, top + 3), 0xC0C0C0u) << "scroll bar button in 3D grey";

    page->sysColors[COLOR_ACTIVECAPTION] = 0x00AA00;
    page->SelectElement(2, true);
    EXPECT_EQ(PrintedPixel(dialog, left + 70, top + 68), 0x00AA00u) << "a change shows at once";

    // In landscape the active window stands (70, 20) from the inactive one, not (60, 60).
    StopProgram();
    SetDeviceScreenForTests(320, 240, 96);
    StartProgram();
    page = FindPageAnswering<AppearancePage>(session());
    dialog = page->hwnd;
    GetWindowRect(GetDlgItem(dialog, IDC_GUI_PREVIEW), &area);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&area), 2);
    EXPECT_EQ(PrintedPixel(dialog, area.left + 80, area.top + 28), 0x990000u) << "active caption bar in landscape";
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_GUI_BOLD, WM_GETTEXTLENGTH, 0, 0), 4) << "\"Bold\" in landscape";

    // Each selection draws the preview again and repaints the page.
    const size_t free = FreeGdiSlots();
    for (int i = 0; i < 1000; ++i) page->SelectElement(i % 2 ? 2 : 3, false);
    EXPECT_EQ(FreeGdiSlots(), free) << "GDI objects lost over 1000 repaints";
}

LOGFONTW Described(HFONT font) {
    LOGFONTW lf = {};
    GetObjectW(font, sizeof lf, &lf);
    return lf;
}

// Fonts 0 and 3 share face, size and italic: a change through either shows at once in every
// element drawn with the other (the Size page's caption uses element 9's font too).
TEST_F(AppearanceTest, AChangeShowsInEveryFontThatSharesIt) {
    Choose(IDC_GUI_ELEMENT, L"Active Title Text");
    Click(IDC_GUI_ITALIC, true);
    for (int element : {8, 17, 22}) EXPECT_EQ(Described(page->ElementFont(element)).lfItalic, 1) << element;
    EXPECT_EQ(Described(page->ElementFont(6)).lfItalic, 0) << "the popup menu's font is its own";
    Choose(IDC_GUI_ELEMENT, L"Window Text");
    Choose(IDC_GUI_SIZE, L"16");
    EXPECT_EQ(Described(page->ElementFont(18)).lfHeight, -16);
}

// A font description that never loaded whole is the device's factory font (Tahoma, 12 pixels,
// regular) where its values are missing: Save never writes an empty face or a height of 0.
TEST_F(AppearanceTest, AFontThatNeverLoadedWholeIsTheFactoryFont) {
    page->SaveTo(kConfig);
    for (const wchar_t* name : {L"Wt", L"Nm"}) RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"Orvanel\\GuiTest\\GDI\\SYSFNT", name);
    WriteDword(kConfig, L"GDI\\SYSFNT", L"Ht", 0xFFFFFFF2);   // -14
    DeleteKeyTree(HKEY_LOCAL_MACHINE, L"Orvanel\\GuiTest\\GWE\\Menu\\BarFnt");
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"Orvanel\\GuiTest\\GWE\\Menu\\PopFnt", L"Nm");   // complete without it
    AppearancePage fresh(session());
    EXPECT_FALSE(fresh.LoadFrom(kConfig));
    const LOGFONTW system = Described(fresh.ElementFont(8));
    EXPECT_STREQ(system.lfFaceName, L"Tahoma") << "the preview draws it";
    EXPECT_EQ(system.lfHeight, -14) << "what was there is kept";
    EXPECT_EQ(system.lfWeight, 400);
    fresh.SaveTo(kConfig);
    for (const wchar_t* subkey : {L"GDI\\SYSFNT", L"GWE\\Menu\\BarFnt", L"GWE\\Menu\\PopFnt"}) {
        wchar_t face[40] = {};
        ReadString(kConfig, subkey, L"Nm", face, sizeof face);
        EXPECT_STREQ(face, L"Tahoma") << static_cast<const void*>(subkey);
    }
    EXPECT_EQ(Stored(L"GWE\\Menu\\BarFnt", L"Ht"), 0xFFFFFFF4u) << "-12 pixels";
    EXPECT_EQ(Stored(L"GWE\\Menu\\BarFnt", L"Wt"), 400u);
}

}  // namespace
