// The page base: lookups by tag, the shared dialog procedure, and the registry-backed number.
#include <gtest/gtest.h>

#include <string>

#include "store/registry.h"
#include "framework/settings_page.h"
#include "resources/resource.h"
#include "config/session.h"
#include "base/strings.h"
#include "support/modal.h"

namespace {

// A page that records what the framework asks of it.
class ProbePage : public SettingsPage {
public:
    ProbePage(PageHost& host, DWORD tag, INT_PTR answer, BOOL grabResult = TRUE)
        : SettingsPage(host, IDD_SIZE), tag_(tag), answer_(answer),
          grabResult_(grabResult) {}
    BOOL IsKind(DWORD tag) override { return tag == tag_; }
    INT_PTR QueryItem(int index, INT_PTR reserved) override {
        ++queries;
        return answer_ + index * 10 + reserved;
    }
    BOOL GrabSystem() override { ++grabs; return grabResult_; }
    BOOL OnMessage(HWND, UINT message, WPARAM, LPARAM lParam) override {
        if (message == WM_NOTIFY) lastNotify = reinterpret_cast<NMHDR*>(lParam)->code;
        return FALSE;
    }
    int queries = 0;
    int grabs = 0;
    UINT lastNotify = 0;

private:
    DWORD tag_;
    INT_PTR answer_;
    BOOL grabResult_;
};

class PageLookup : public ::testing::Test {
protected:
    void SetUp() override { host_.pages = {&first_, &second_, &twin_}; }
    Session host_;
    ProbePage first_{host_, kTagGui, 100};
    ProbePage second_{host_, kTagSize, 200};
    ProbePage twin_{host_, kTagSize, 300};
};

TEST_F(PageLookup, FirstPageOfTheKindAnswers) {
    EXPECT_EQ(FindPageValue(host_, kTagSize, 2, 1), 221);
    EXPECT_EQ(FindPageItem(host_, kTagGui, 0, 0), 100);
    EXPECT_EQ(twin_.queries, 0) << "only the first page of a kind is asked";
}

TEST_F(PageLookup, UnknownTagAsksNobody) {
    EXPECT_EQ(FindPageValue(host_, kTagTheme, 1, 0), 0);
    EXPECT_EQ(FindPageItem(host_, kTagPage, 1, 0), 0) << "pages answer their own kind only";
    EXPECT_EQ(first_.queries + second_.queries + twin_.queries, 0);
}

TEST_F(PageLookup, ValueAndDataAreTheItemAnswer) {
    EXPECT_EQ(first_.QueryValue(3, 4), first_.QueryItem(3, 4));
    EXPECT_EQ(first_.QueryData(3, 4), first_.QueryItem(3, 4));
    SettingsPage& base = first_;
    EXPECT_TRUE(static_cast<SettingsPage&>(base).SettingsPage::IsKind(kTagPage));
}

TEST(SettingsPageBase, DescriptorAndDefaults) {
    Session session;
    ProbePage page(session, kTagGui, 0);
    EXPECT_NE(page.pageHandle, nullptr);
    EXPECT_EQ(page.createError, 0u);
    EXPECT_EQ(page.pageDesc.dwFlags, static_cast<DWORD>(PSP_USECALLBACK));
    EXPECT_EQ(page.pageDesc.lParam, reinterpret_cast<LPARAM>(static_cast<SettingsPage*>(&page)));
    EXPECT_EQ(page.title[0], L'\0');
    EXPECT_EQ(page.hwnd, nullptr);
    EXPECT_EQ(PageCallback(nullptr, PSPCB_CREATE, &page.pageDesc), 1u);
    PROPSHEETPAGEW empty = {};
    EXPECT_EQ(PageCallback(nullptr, PSPCB_CREATE, &empty), 1u);
}

// Builds the page's dialog from its template through the shared procedure, as the sheet does,
// inside a plain parent window (the templates are child dialogs).
class DialogFrame {
public:
    explicit DialogFrame(ProbePage& page) {
        parent_ = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 240, 320, nullptr, nullptr, nullptr, nullptr);
        dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(page.portraitDialogId), parent_,
                                    PageDialogProc, reinterpret_cast<LPARAM>(&page.pageDesc));
    }
    ~DialogFrame() { DestroyWindow(parent_); }
    HWND dialog = nullptr;

private:
    HWND parent_ = nullptr;
};

TEST(SettingsPageBase, InitialisationGrabsTheSystemAndHelpReachesThePage) {
    Session session;
    ProbePage page(session, kTagSize, 0);
    DialogFrame host(page);
    HWND dialog = host.dialog;
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(page.hwnd, dialog);
    EXPECT_EQ(page.grabs, 1);

    // Help: the viewer is started when the device has one; the page sees the notification.
    NMHDR help = {dialog, 0, static_cast<UINT>(-205)};
    SendMessageW(dialog, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&help));
    EXPECT_EQ(page.lastNotify, static_cast<UINT>(-205));
}

TEST(SettingsPageBase, FailedGrabAsksToTerminate) {
    Session session;
    ProbePage page(session, kTagSize, 0, FALSE);
    ModalScript boxes;
    boxes.Press(IDNO);
    DialogFrame host(page);
    ASSERT_NE(host.dialog, nullptr);
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_EQ(boxes.seen()[0].caption, L"Critical Error");
    EXPECT_EQ(boxes.seen()[0].text, L"Can't grab configuration\nTerminate program?");
}

TEST(DwordValueTest, RangeClampsAndMissingValuesLoadAsAllOnes) {
    DwordValue v;
    v.Bind(L"OrvanelTest\\Color", L"4");
    EXPECT_EQ(v.minimum, 0u);
    EXPECT_EQ(v.maximum, 0xFFFFFFFFu);
    v.SetValue(0xFFFFFFFE);
    EXPECT_EQ(v.value, 0xFFFFFFFEu) << "the full range keeps every value";

    v.BindRange(L"OrvanelTest\\Color", L"4", 10, 20, 5);
    EXPECT_EQ(v.value, 10u) << "the initial value is clamped too";
    v.SetValue(25);
    EXPECT_EQ(v.value, 20u);
    v.SetValue(15);
    EXPECT_EQ(v.value, 15u);

    DeleteKeyTree(HKEY_LOCAL_MACHINE, L"OrvanelTest");
    EXPECT_TRUE(v.Load(L""));
    EXPECT_EQ(v.value, 20u) << "missing reads as 0xFFFFFFFF, then clamps";
    v.SetValue(12);
    EXPECT_TRUE(v.Save(L""));
    EXPECT_EQ(ReadDword(L"", L"OrvanelTest\\Color", L"4"), 12u);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, L"OrvanelTest");

    RegistryValue plain;
    EXPECT_FALSE(plain.Save(L""));
    EXPECT_FALSE(plain.Load(L""));
}

TEST(DwordValueTest, LongPathsAreCutTo259) {
    std::wstring path(300, L'k'), name(400, L'n');
    DwordValue v;
    v.Bind(path.c_str(), name.c_str());
    EXPECT_EQ(lstrlenW(v.keyPath), 259);
    EXPECT_EQ(lstrlenW(v.valueName), 259);
    EXPECT_EQ(v.rootKey, HKEY_LOCAL_MACHINE);
}
}  // namespace
