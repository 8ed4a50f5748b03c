// The size page on the real sheet: its five metrics through the kit, the edit's rules, and both
// previews showing a change made on either page.
#include <gtest/gtest.h>

#include <string>

#include "pages/appearance/appearance_page.h"
#include "pages/size/size_page.h"
#include "resources/resource.h"
#include "store/registry.h"
#include "support/app_fixture.h"
#include "support/gdi.h"
#include "support/modal.h"

namespace {

constexpr wchar_t kConfig[] = L"Orvanel\\SizeTest";

class SizePageTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kConfig);
        StartProgram();
        page = FindPageAnswering<SizePage>(session());
        ASSERT_NE(page, nullptr);
        dialog = PageWindow(1);
        session().marks.Set(0, 0);
    }
    void TearDown() override {
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kConfig);
        AppTest::TearDown();
    }
    void Type(const wchar_t* text) {   // the edit sends its change as typing does
        SetDlgItemTextW(dialog, IDC_SIZE_VALUE, text);
    }
    void Choose(int line) {
        SendDlgItemMessageW(dialog, IDC_SIZE_METRIC, CB_SETCURSEL, line, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_SIZE_METRIC, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_SIZE_METRIC)));
    }
    std::wstring Text(int id) {
        wchar_t text[300] = {};
        GetDlgItemTextW(dialog, id, text, 300);
        return text;
    }

    SizePage* page = nullptr;
    HWND dialog = nullptr;
};

TEST_F(SizePageTest, LoadsClampsAndListsTheFiveMetrics) {
    page->LoadFrom(kConfig);
    EXPECT_EQ(page->QueryItem(6, 0), 20);
    EXPECT_EQ(page->QueryItem(7, 0), 13);
    EXPECT_EQ(page->QueryItem(8, 0), 13);
    EXPECT_EQ(page->QueryItem(9, 0), 20);
    EXPECT_EQ(page->QueryItem(12, 0), 23);
    EXPECT_EQ(page->QueryItem(0, 0), 50) << "a slot not in use";
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_SIZE_METRIC, CB_GETCOUNT, 0, 0), 5);
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_SIZE_METRIC, CB_GETCURSEL, 0, 0), 4);
    EXPECT_EQ(Text(IDC_SIZE_LABEL), L"Caption height");
    EXPECT_EQ(Text(IDC_SIZE_VALUE), L"23");

    for (auto [stored, loaded] : {std::pair{60u, 46}, {3u, 10}}) {
        WriteDword(kConfig, L"GWE", L"cyCap", stored);
        page->LoadFrom(kConfig);
        EXPECT_EQ(page->QueryItem(12, 0), loaded) << stored;
    }
    EXPECT_EQ(session().marks.changes(), 0) << "loading counts nothing";
}

TEST_F(SizePageTest, TheEditKeepsWhatWasTypedAndTheSlotItsRange) {
    Choose(2);   // "Vertical scrollbar width"
    EXPECT_EQ(page->currentSlot(), 8);
    EXPECT_EQ(Text(IDC_SIZE_LABEL), L"Vertical scrollbar width");
    Type(L"99");
    EXPECT_EQ(Text(IDC_SIZE_VALUE), L"99");
    EXPECT_EQ(page->QueryItem(8, 0), 30);
    EXPECT_EQ(session().marks.changes(), 1);
    page->SaveTo(kConfig);
    EXPECT_EQ(ReadDword(kConfig, L"GWE", L"cxVScr"), 30u);

    Type(L"");
    EXPECT_EQ(page->QueryItem(8, 0), 30) << "a cleared edit changes nothing";
    EXPECT_EQ(session().marks.changes(), 2) << "but counts";
    EXPECT_EQ(session().marks.resets(), 2);
    EXPECT_NE(TitleText().find(L"*"), std::wstring::npos);
}

TEST_F(SizePageTest, EachPreviewShowsTheOtherPagesChanges) {
    auto* look = FindPageAnswering<AppearancePage>(session());
    ASSERT_NE(look, nullptr);
    // The size preview's window: its caption bar in the appearance page's colour.
    const int x = 5 + 5 + 4, y = 5 + 5 + 3;
    EXPECT_EQ(PrintedPixel(dialog, x, y), 0x990000u);
    look->sysColors[COLOR_ACTIVECAPTION] = 0x0000CC;
    session().NoteColorChoice();
    EXPECT_EQ(PrintedPixel(dialog, x, y), 0x0000CCu) << "a colour chosen on the GUI page";

    // The appearance preview's inactive caption is as high as the size page's caption height.
    HWND gui = look->hwnd;
    RECT area;
    GetWindowRect(GetDlgItem(gui, IDC_GUI_PREVIEW), &area);
    MapWindowPoints(nullptr, gui, reinterpret_cast<POINT*>(&area), 2);
    const int captionRow = area.top + 5 + 30;   // below a 23-pixel caption, inside a 40-pixel one
    EXPECT_NE(PrintedPixel(gui, area.left + 10, captionRow), 0x808080u);
    Choose(4);
    Type(L"40");
    EXPECT_EQ(PrintedPixel(gui, area.left + 10, captionRow), 0x808080u) << "a caption height set on the Size page";
}

}  // namespace
