// The Pocket PC property sheet: three small pages from in-memory templates, created the way
// the program creates its sheet (header size 40, flags 0x2780, the device's callback codes).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "platform/pocketpc.h"

namespace {

constexpr int kPages = 3;
constexpr wchar_t kTitle[] = L"Configuration: \"Current\" ";

std::vector<UINT> callbackCodes;
HWND initialisedSheet = nullptr;
int pageInits[kPages];

int CALLBACK SheetCallback(HWND sheet, UINT code, LPARAM lParam) {
    callbackCodes.push_back(code);
    switch (code) {
    case PSCB_INITIALIZED: {
        initialisedSheet = sheet;
        SHINITDLGINFO info{SHIDIM_FLAGS, sheet, SHIDIF_SIZEDLGFULLSCREEN};
        SHInitDialog(&info);
        SHDoneButton(sheet, SHDB_HIDE);
        return 0;
    }
    case PSCB_GETVERSION:
        return COMCTL32_VERSION_PPC;
    case PSCB_GETTITLE:
        wcscpy(reinterpret_cast<wchar_t*>(lParam), kTitle);
        return 0;
    default:
        return 0;
    }
}

INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        int index = static_cast<int>(reinterpret_cast<PROPSHEETPAGEW*>(lParam)->lParam);
        ++pageInits[index];
        SHINITDLGINFO info{SHIDIM_FLAGS, page, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN};
        SHInitDialog(&info);
        SHDoneButton(page, SHDB_HIDE);
        return TRUE;
    }
    return FALSE;
}

// A page template: a captioned child dialog with one static line, DWORD-aligned throughout.
class PageTemplate {
public:
    explicit PageTemplate(const wchar_t* caption) {
        Dword(WS_CHILD | WS_CAPTION | DS_SETFONT | DS_3DLOOK | DS_CONTROL);
        Dword(0);                              // extended style
        words_.push_back(1);                   // one control
        words_.insert(words_.end(), {0, 0, 120, 80});
        words_.push_back(0);                   // no menu
        words_.push_back(0);                   // standard class
        String(caption);
        words_.push_back(8);
        String(L"MS Shell Dlg");
        Align();
        Dword(WS_CHILD | WS_VISIBLE | SS_LEFT);
        Dword(0);
        words_.insert(words_.end(), {4, 4, 100, 10});
        words_.push_back(1000);                // control id
        words_.insert(words_.end(), {0xFFFF, 0x0082});   // the Static class
        String(L"page text");
        words_.push_back(0);                   // no creation data
    }
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void Dword(DWORD v) { words_.push_back(LOWORD(v)); words_.push_back(HIWORD(v)); }
    void String(const wchar_t* s) { do words_.push_back(*s); while (*s++); }
    void Align() { if (words_.size() % 2) words_.push_back(0); }
    std::vector<WORD> words_;   // starts DWORD-aligned (vector storage)
};

class PpcSheet : public ::testing::Test {
protected:
    void SetUp() override {
        SetDeviceScreenForTests(240, 320, 96);
        callbackCodes.clear();
        initialisedSheet = nullptr;
        for (int& n : pageInits) n = 0;
        owner_ = CreateWindowExW(0, L"Static", L"owner", WS_POPUP, 0, 26, 240, 268, nullptr, nullptr, nullptr,
                                 nullptr);
        const wchar_t* captions[kPages] = {L"GUI", L"Size", L"Sip"};
        for (int i = 0; i < kPages; ++i) {
            templates_.emplace_back(captions[i]);
        }
        for (int i = 0; i < kPages; ++i) {
            PROPSHEETPAGEW& page = descs_[i];
            page.dwSize = sizeof(page);
            page.dwFlags = PSP_DLGINDIRECT | PSP_PREMATURE;
            page.pResource = templates_[i].get();
            page.pfnDlgProc = PageProc;
            page.lParam = i;
            pages_[i] = CreatePropertySheetPageW(&page);
            ASSERT_TRUE(pages_[i]);
        }
    }
    void TearDown() override {
        if (IsWindow(sheet_)) DestroyWindow(sheet_);
        DestroyWindow(owner_);
        SetDeviceScreenForTests(0, 0, 0);
    }
    // The pages as handles (made when first shown), or as descriptors marked premature.
    HWND Create(bool descriptors = true) {
        PROPSHEETHEADERW header{};
        header.dwSize = 40;
        header.dwFlags = 0x2780 | (descriptors ? PSH_PROPSHEETPAGE : 0);   // no Apply, callback, help, modeless, maximised
        header.hwndParent = owner_;
        header.hInstance = GetModuleHandleW(nullptr);
        header.nPages = kPages;
        header.nStartPage = 0;
        if (descriptors) header.ppsp = descs_;
        else header.phpage = pages_;
        header.pfnCallback = SheetCallback;
        INT_PTR result = PpcPropertySheet(&header);
        EXPECT_EQ(header.dwFlags & ~PSH_PROPSHEETPAGE, 0x2780u) << "the program's header is left alone";
        EXPECT_EQ(header.dwSize, 40u);
        sheet_ = (result == 0 || result == -1) ? nullptr : reinterpret_cast<HWND>(result);
        return sheet_;
    }
    static RECT ClientRectIn(HWND sheet, HWND child) {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    static bool Visible(HWND wnd) { return wnd && (GetWindowLongPtrW(wnd, GWL_STYLE) & WS_VISIBLE); }

    HWND owner_ = nullptr;
    HWND sheet_ = nullptr;
    std::vector<PageTemplate> templates_;
    PROPSHEETPAGEW descs_[kPages] = {};
    HPROPSHEETPAGE pages_[kPages] = {};
};

TEST_F(PpcSheet, FullScreenWithTitleLineAndNoButtons) {
    ASSERT_TRUE(Create());
    EXPECT_EQ(initialisedSheet, sheet_);
    std::vector<UINT> expected = {PSCB_GETVERSION, PSCB_GETTITLE, PSCB_INITIALIZED};
    EXPECT_EQ(callbackCodes, expected) << "version first; no desktop-only codes reach the program";

    RECT r, work = DeviceWorkArea();
    GetWindowRect(sheet_, &r);
    EXPECT_TRUE(EqualRect(&r, &work));
    EXPECT_FALSE(GetWindowLongPtrW(sheet_, GWL_STYLE) & (WS_CAPTION | WS_CHILD));
    EXPECT_EQ(GetWindow(sheet_, GW_OWNER), owner_);
    for (int id : {IDOK, IDCANCEL, IDHELP, 0x3021}) EXPECT_FALSE(Visible(GetDlgItem(sheet_, id))) << id;

    // The program finds the title as the first child of class "static".
    HWND first = GetWindow(sheet_, GW_CHILD);
    wchar_t className[32] = {}, text[260] = {};
    GetClassNameW(first, className, 32);
    EXPECT_EQ(_wcsicmp(className, L"static"), 0);
    GetWindowTextW(first, text, 260);
    EXPECT_STREQ(text, kTitle);
    RECT title = ClientRectIn(sheet_, first);
    RECT line = {0, 0, 240, 20};
    EXPECT_TRUE(EqualRect(&title, &line));

    // The Done button call on the sheet hides every button, not only OK.
    for (int id : {IDOK, IDCANCEL}) ShowWindow(GetDlgItem(sheet_, id), SW_SHOW);
    SHDoneButton(sheet_, SHDB_HIDE);
    EXPECT_FALSE(Visible(GetDlgItem(sheet_, IDOK)));
    EXPECT_FALSE(Visible(GetDlgItem(sheet_, IDCANCEL)));
}

TEST_F(PpcSheet, EveryPageExistsOnceAndSitsBetweenTitleAndTabs) {
    // Pages handed in as handles are made when first shown.
    ASSERT_TRUE(Create(false));
    EXPECT_TRUE(PropSheet_IndexToHwnd(sheet_, 0));
    EXPECT_FALSE(PropSheet_IndexToHwnd(sheet_, 1));
    DestroyWindow(sheet_);
    for (int& n : pageInits) n = 0;

    // Premature pages exist at once.
    ASSERT_TRUE(Create());
    for (int i = 0; i < kPages; ++i) {
        EXPECT_TRUE(PropSheet_IndexToHwnd(sheet_, i)) << i;
        EXPECT_EQ(pageInits[i], 1) << i;
    }
    EXPECT_EQ(PropSheet_GetCurrentPageHwnd(sheet_), PropSheet_IndexToHwnd(sheet_, 0)) << "start page shown";

    HWND tab = PropSheet_GetTabControl(sheet_);
    ASSERT_TRUE(tab);
    EXPECT_TRUE(GetWindowLongPtrW(tab, GWL_STYLE) & TCS_BOTTOM);
    RECT client;
    GetClientRect(sheet_, &client);
    RECT tabRect = ClientRectIn(sheet_, tab);
    EXPECT_EQ(tabRect.bottom, client.bottom);
    EXPECT_EQ(tabRect.left, 0);
    EXPECT_EQ(tabRect.right, client.right);
    EXPECT_GT(tabRect.top, client.bottom / 2) << "the tabs are a strip, not the whole sheet";
    RECT item{};
    ASSERT_TRUE(TabCtrl_GetItemRect(tab, 0, &item));
    EXPECT_LE(item.bottom, tabRect.bottom - tabRect.top) << "the tabs fit in their strip";

    // Switching pages keeps the layout for the page now shown.
    for (int selected : {2, 1, 0}) {
        PropSheet_SetCurSel(sheet_, nullptr, selected);
        HWND page = PropSheet_IndexToHwnd(sheet_, selected);
        EXPECT_EQ(PropSheet_GetCurrentPageHwnd(sheet_), page);
        RECT r = ClientRectIn(sheet_, page);
        EXPECT_EQ(r.top, 20) << selected;
        EXPECT_EQ(r.left, 0) << selected;
        EXPECT_EQ(r.right, client.right) << selected;
        EXPECT_EQ(r.bottom, tabRect.top) << selected;
        EXPECT_EQ(GetWindow(sheet_, GW_CHILD), GetDlgItem(sheet_, 0x3030)) << "title stays first";
    }
    for (int i = 0; i < kPages; ++i) EXPECT_EQ(pageInits[i], 1) << i;
}

TEST_F(PpcSheet, ResizedSheetLaysItselfOutAgain) {
    ASSERT_TRUE(Create());
    SetWindowPos(sheet_, nullptr, 0, 26, 320, 188, SWP_NOZORDER | SWP_NOACTIVATE);   // landscape
    HWND tab = PropSheet_GetTabControl(sheet_);
    RECT tabRect = ClientRectIn(sheet_, tab);
    EXPECT_EQ(tabRect.bottom, 188);
    EXPECT_EQ(tabRect.right, 320);
    RECT page = ClientRectIn(sheet_, PropSheet_GetCurrentPageHwnd(sheet_));
    EXPECT_EQ(page.right, 320);
    EXPECT_EQ(page.bottom, tabRect.top);
}

}  // namespace
