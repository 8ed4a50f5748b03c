// Turning the screen: the template reader, the relayout of every registered page between its two
// templates, what a turn keeps and what it refreshes, and the screen change as desktop Windows
// reports it.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "pages/page_registry.h"
#include "platform/pocketpc.h"
#include "resources/resource.h"
#include "shell/dialog_template.h"
#include "support/app_fixture.h"
#include "support/gdi.h"
#include "support/modal.h"

namespace {

// ---- Hand-built templates ----------------------------------------------------------------------

class TemplateBytes {
public:
    TemplateBytes& Word(WORD w) {
        bytes_.push_back(static_cast<BYTE>(w));
        bytes_.push_back(static_cast<BYTE>(w >> 8));
        return *this;
    }
    TemplateBytes& Dword(DWORD d) { return Word(LOWORD(d)).Word(HIWORD(d)); }
    TemplateBytes& Text(const wchar_t* text) {
        for (; *text; ++text) Word(*text);
        return Word(0);
    }
    TemplateBytes& Ordinal(WORD value) { return Word(0xFFFF).Word(value); }
    TemplateBytes& Align() {
        while (bytes_.size() % 4) bytes_.push_back(0);
        return *this;
    }
    TemplateBytes& Item(DWORD style, short x, short y, short cx, short cy, WORD id) {
        return Align().Dword(style).Dword(0).Word(x).Word(y).Word(cx).Word(cy).Word(id);
    }
    const std::vector<BYTE>& bytes() const { return bytes_; }

private:
    std::vector<BYTE> bytes_;
};

// A header with the set-font bit, an ordinal menu, a class name and a title, then three items:
// a button with a text and creation data, an icon static, and a control of a named class.
TemplateBytes ThreeItemTemplate() {
    TemplateBytes t;
    t.Dword(DS_SETFONT | WS_CHILD).Dword(0).Word(3).Word(1).Word(2).Word(160).Word(150);
    t.Ordinal(7).Text(L"PageClass").Text(L"Title").Word(8).Text(L"Tahoma");
    t.Item(BS_AUTOCHECKBOX, 10, 20, 30, 10, 1042).Ordinal(0x80).Text(L"Bold").Word(6).Word(0xABCD).Word(0x1234);
    t.Item(SS_ICON, -4, 0, 21, 20, 0xFFFF).Ordinal(0x82).Ordinal(101).Word(0);
    t.Item(0, 5, 6, 7, 8, 1050).Text(L"msctls_updown32").Text(L"").Word(0);
    return t;
}

TEST(TemplateReader, ReadsStringAndOrdinalFieldsCreationDataAndTheFont) {
    std::vector<BYTE> data = ThreeItemTemplate().bytes();
    DialogTemplate t;
    ASSERT_TRUE(ReadDialogTemplate(data.data(), data.size(), t));
    EXPECT_TRUE(t.menu.isOrdinal);
    EXPECT_EQ(t.menu.ordinal, 7);
    EXPECT_EQ(t.windowClass.text, L"PageClass");
    EXPECT_EQ(t.title.text, L"Title");
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.face, L"Tahoma");
    ASSERT_EQ(t.items.size(), 3u);

    const TemplateItem& check = t.items[0];
    EXPECT_EQ(check.id, 1042);
    EXPECT_EQ(check.rect.left, 10);
    EXPECT_EQ(check.rect.bottom, 30);
    EXPECT_TRUE(check.windowClass.isOrdinal);
    EXPECT_EQ(check.windowClass.ordinal, kTemplateButton);
    EXPECT_EQ(check.title.text, L"Bold");
    EXPECT_EQ(check.creationDataSize, 6) << "the size word counts itself";

    const TemplateItem& icon = t.items[1];
    EXPECT_EQ(icon.id, 0xFFFF);
    EXPECT_EQ(icon.rect.left, -4) << "positions are signed";
    EXPECT_TRUE(icon.title.isOrdinal);
    EXPECT_EQ(icon.title.ordinal, 101);

    EXPECT_FALSE(t.items[2].windowClass.isOrdinal);
    EXPECT_EQ(t.items[2].windowClass.text, L"msctls_updown32");
    EXPECT_TRUE(t.items[2].title.text.empty());
}

TEST(TemplateReader, WithoutTheFontBitNoFontIsReadAndEveryTruncationFails) {
    TemplateBytes plain;
    plain.Dword(WS_CHILD).Dword(0).Word(1).Word(0).Word(0).Word(10).Word(10).Word(0).Word(0).Word(0);
    plain.Item(0, 1, 2, 3, 4, 77).Ordinal(0x82).Text(L"x").Word(0);
    DialogTemplate t;
    ASSERT_TRUE(ReadDialogTemplate(plain.bytes().data(), plain.bytes().size(), t));
    EXPECT_TRUE(t.face.empty());
    ASSERT_EQ(t.items.size(), 1u);
    EXPECT_EQ(t.items[0].id, 77) << "the first item follows the title directly";

    // Every shorter piece of a good template is refused, read from a buffer of exactly that size.
    std::vector<BYTE> whole = ThreeItemTemplate().bytes();
    for (size_t size = 0; size < whole.size(); ++size) {
        std::vector<BYTE> piece(whole.begin(), whole.begin() + static_cast<ptrdiff_t>(size));
        EXPECT_FALSE(ReadDialogTemplate(piece.data(), piece.size(), t)) << "cut after " << size << " bytes";
    }
    EXPECT_FALSE(ReadDialogTemplate(nullptr, 100, t));
}

// ---- Turning the program ---------------------------------------------------------------------------

class Turning : public AppTest {
protected:
    void Turn(int width, int height) {
        SetDeviceScreenForTests(width, height, 96);
        SendMessageW(program().mainWindow(), WM_SETTINGCHANGE, SETTINGCHANGE_RESET, 0);
    }

    static DialogTemplate Template(WORD id) {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(id), RT_DIALOG);
        DialogTemplate t;
        EXPECT_TRUE(found && ReadDialogTemplate(LockResource(LoadResource(instance, found)),
                                                SizeofResource(instance, found), t))
            << "template " << id;
        return t;
    }

    static std::wstring ClassOf(HWND wnd) {
        wchar_t name[64] = {};
        GetClassNameW(wnd, name, 64);
        return name;
    }

    static std::wstring TextOf(HWND wnd) {
        wchar_t text[256] = {};
        GetWindowTextW(wnd, text, 256);
        return text;
    }

    // Every named control of every page sits where the page's template for the orientation puts
    // it; after a relayout every label of that template is the control's text.
    void ExpectLayout(bool landscape, bool labels = true) {
        ASSERT_EQ(program().isLandscape(), landscape);
        size_t index = 0;
        for (const PageInfo& info : RegisteredPages()) {
            HWND page = PageWindow(index++);
            WORD id = landscape ? info.landscapeDialogId : info.portraitDialogId;
            for (const TemplateItem& item : Template(id).items) {
                HWND control = item.id == 0xFFFF ? nullptr : GetDlgItem(page, item.id);
                if (!control) continue;
                SCOPED_TRACE(testing::Message() << "template " << id << ", control " << item.id);
                RECT want = item.rect;
                MapDialogRect(page, &want);
                RECT is{};
                GetWindowRect(control, &is);
                MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&is), 2);
                // An up-down control places itself beside its buddy.
                if (ClassOf(control) != L"msctls_updown32") {
                    EXPECT_EQ(is.left, want.left);
                    EXPECT_EQ(is.top, want.top);
                }
                bool label = item.windowClass.isOrdinal && !item.title.isOrdinal &&
                             (item.windowClass.ordinal == kTemplateButton ||
                              item.windowClass.ordinal == kTemplateStatic);
                if (labels && label && item.id != IDC_SIP_DEFAULT_LINE) {
                    EXPECT_EQ(TextOf(control), std::wstring(item.title.text));
                }
            }
        }
    }

    HWND GuiControl(int id) { return GetDlgItem(PageWindow(0), id); }
};

TEST_F(Turning, EveryPageMovesToItsLandscapeLayoutAndBack) {
    StartProgram();
    EXPECT_EQ(program().relayouts(), 0) << "starting in portrait relays nothing out";
    ExpectLayout(false, false);   // the pages set some texts of their own at start
    ModalScript noBoxes;   // a relayout that fails says so in a box
    Turn(320, 240);
    ExpectLayout(true);
    EXPECT_EQ(TextOf(GuiControl(IDC_GUI_BOLD)), L"Bold");
    EXPECT_EQ(TextOf(GuiControl(IDC_GUI_ITALIC)), L"Italic");
    RECT page{};
    GetClientRect(PageWindow(0), &page);
    EXPECT_GT(page.right, page.bottom) << "the sheet follows the screen";
    Turn(240, 320);
    ExpectLayout(false);
    EXPECT_EQ(TextOf(GuiControl(IDC_GUI_BOLD)), L"Bld");
    EXPECT_EQ(TextOf(GuiControl(IDC_GUI_ITALIC)), L"It");
    EXPECT_EQ(program().relayouts(), 2);
    EXPECT_TRUE(noBoxes.seen().empty());
}

// A page's dialog is made when the page is first shown: after a turn it is made in the layout of
// the screen as it is then, labels and all.
TEST_F(Turning, APageFirstShownAfterATurnTakesTheScreensLayout) {
    StartProgram();
    EXPECT_EQ(session().pages[4]->hwnd, nullptr) << "not shown yet";
    ModalScript noBoxes;
    Turn(320, 240);
    ExpectLayout(true);
    EXPECT_EQ(program().relayouts(), 1);
    EXPECT_TRUE(noBoxes.seen().empty());
}

TEST_F(Turning, ASettingChangeThatDoesNotTurnTouchesNothing) {
    StartProgram();
    SetWindowTextW(GuiControl(IDC_GUI_BOLD), L"mark");
    RECT before{};
    GetWindowRect(GuiControl(IDC_GUI_BOLD), &before);
    Turn(240, 320);
    Turn(240, 400);   // another portrait screen
    SetDeviceScreenForTests(320, 240, 96);
    SendMessageW(program().mainWindow(), WM_SETTINGCHANGE, 0x1234, 0);
    RECT after{};
    GetWindowRect(GuiControl(IDC_GUI_BOLD), &after);
    EXPECT_EQ(TextOf(GuiControl(IDC_GUI_BOLD)), L"mark");
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_EQ(program().relayouts(), 0);
}

TEST_F(Turning, SelectionsRunTimeLineAndScrollBarThroughATurn) {
    StartProgram();
    // The last entry of every list and drop-down list that has two or more.
    std::map<HWND, LRESULT> chosen;
    for (size_t i = 0; i < session().pages.size(); ++i) {
        for (HWND c = GetWindow(PageWindow(i), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            bool combo = ClassOf(c) == L"ComboBox";
            if (!combo && ClassOf(c) != L"ListBox") continue;
            LRESULT count = SendMessageW(c, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
            if (count < 2) continue;
            SendMessageW(c, combo ? CB_SETCURSEL : LB_SETCURSEL, count - 1, 0);
            chosen[c] = count - 1;
        }
    }
    EXPECT_GE(chosen.size(), 3u) << "the real pages have drop-down lists";
    HWND sip = GetDlgItem(PageWindow(2), IDC_SIP_DEFAULT_LINE);
    ASSERT_NE(sip, nullptr);
    SetWindowTextW(sip, L"Default: Run-time");
    SCROLLINFO bar = {sizeof(bar), SIF_RANGE | SIF_POS, 0, 100, 0, 40, 0};
    SetScrollInfo(PageWindow(1), SB_VERT, &bar, FALSE);

    Turn(320, 240);
    for (auto [control, selection] : chosen) {
        bool combo = ClassOf(control) == L"ComboBox";
        EXPECT_EQ(SendMessageW(control, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0), selection)
            << "control " << GetDlgCtrlID(control);
    }
    EXPECT_EQ(TextOf(sip), L"Default: Run-time");
    SCROLLINFO after = {sizeof(after), SIF_ALL};
    GetScrollInfo(PageWindow(1), SB_VERT, &after);
    EXPECT_EQ(after.nMax, 0);
    EXPECT_EQ(after.nPos, 0);
}

TEST_F(Turning, ADesktopScreenChangeTurnsTheProgramAndItsWindows) {
    StartProgram();
    SendMessageW(program().mainWindow(), WM_DISPLAYCHANGE, 32, MAKELPARAM(320, 240));
    EXPECT_TRUE(program().isLandscape());
    EXPECT_EQ(DeviceMetric(SM_CXSCREEN), 320);
    EXPECT_EQ(DeviceDpi(), 96) << "a turn keeps the dots per inch";
    RECT bar{}, sheet{}, main{};
    GetWindowRect(program().menuBar(), &bar);
    GetWindowRect(session().sheet, &sheet);
    GetWindowRect(program().mainWindow(), &main);
    EXPECT_EQ(bar.bottom, 240);
    EXPECT_EQ(bar.right, 320);
    EXPECT_EQ(sheet.right, 320);
    EXPECT_EQ(sheet.bottom, bar.top);
    EXPECT_EQ(main.bottom, bar.top);
    SendMessageW(program().mainWindow(), WM_DISPLAYCHANGE, 32, MAKELPARAM(240, 320));
    EXPECT_FALSE(program().isLandscape());
    GetWindowRect(program().menuBar(), &bar);
    EXPECT_EQ(bar.bottom, 320);
}

TEST_F(Turning, TurnsAndImageRefreshesLeaveNoGdiObjectBehind) {
    StartProgram();
    Turn(320, 240);   // whatever a first turn makes once (fonts, caches) is made now
    Turn(240, 320);
    size_t before = FreeGdiSlots();
    for (int i = 0; i < 50; ++i) {
        Turn(320, 240);
        Turn(240, 320);
    }
    EXPECT_GE(FreeGdiSlots(), before);

    // The About box's icon is a template image: each relayout loads it anew for the page's
    // images, destroying the one it replaces; the last one goes with its holder.
    HWND about = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUT), program().mainWindow(),
                                    [](HWND, UINT m, WPARAM, LPARAM) -> INT_PTR { return m == WM_INITDIALOG; }, 0);
    ASSERT_NE(about, nullptr);
    before = FreeGdiSlots();
    {
        ControlImages images;
        for (int i = 0; i < 100; ++i) EXPECT_TRUE(ApplyDialogLayout(GetModuleHandleW(nullptr), about, IDD_ABOUT, images));
        EXPECT_EQ(images.size(), 1u);
        EXPECT_EQ(reinterpret_cast<HANDLE>(SendDlgItemMessageW(about, IDC_ABOUT_ICON, STM_GETIMAGE, IMAGE_ICON, 0)),
                  images.Held(IDC_ABOUT_ICON));
        SendDlgItemMessageW(about, IDC_ABOUT_ICON, STM_SETIMAGE, IMAGE_ICON, 0);
    }
    DestroyWindow(about);
    EXPECT_GE(FreeGdiSlots(), before);
}

}  // namespace
