// The misc page on the real sheet: its values through the kit (defaults, stored forms, the
// user's and the device's roots), its controls, and the user's commands.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/handles.h"
#include "config/configurations.h"
#include "pages/misc/misc_page.h"
#include "resources/resource.h"
#include "store/config_codec.h"
#include "store/registry.h"
#include "store/store.h"
#include "support/app_fixture.h"
#include "support/modal.h"

namespace {

constexpr wchar_t kInbox[] = L"Software\\Microsoft\\Inbox\\Settings";
constexpr wchar_t kBrowser[] = L"Software\\Microsoft\\Internet Explorer\\Main";
constexpr wchar_t kConfig[] = L"Orvanel\\MiscTest";

// Puts a registry value back as it was when the test began.
class KeptValue {
public:
    KeptValue(HKEY root, std::wstring path, std::wstring name) : root_(root), path_(path), name_(name) {
        RegKey key;
        if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
        DWORD size = 0;
        if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type_, nullptr, &size) != ERROR_SUCCESS) return;
        data_.resize(size);
        existed_ = RegQueryValueExW(key.get(), name.c_str(), nullptr, &type_, data_.data(), &size) == ERROR_SUCCESS;
    }
    ~KeptValue() {
        RegKey key;
        if (RegOpenKeyExW(root_, path_.c_str(), 0, KEY_WRITE, key.put()) != ERROR_SUCCESS) return;
        if (existed_) RegSetValueExW(key.get(), name_.c_str(), 0, type_, data_.data(), static_cast<DWORD>(data_.size()));
        else RegDeleteValueW(key.get(), name_.c_str());
    }

private:
    HKEY root_;
    std::wstring path_, name_;
    DWORD type_ = 0;
    std::vector<BYTE> data_;
    bool existed_ = false;
};

std::wstring UserString(const wchar_t* path, const wchar_t* name) {
    wchar_t text[64] = {};
    return ReadUserString(L"", path, name, text, sizeof text) ? text : L"<missing>";
}

std::wstring ConfigString(const wchar_t* subkey, const wchar_t* name) {
    wchar_t text[64] = {};
    return ReadString(kConfig, subkey, name, text, sizeof text) ? text : L"<missing>";
}

class MiscPageTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kConfig);
        StartProgram();
        page = FindPageAnswering<MiscPage>(session());
        ASSERT_NE(page, nullptr);
        dialog = PageWindow(4);
        ASSERT_NE(dialog, nullptr);
        session().marks.Set(0, 0);
    }
    void TearDown() override {
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kConfig);
        AppTest::TearDown();
    }

    // What a user's action sends the page.
    void Click(int id, bool checked) {
        CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }
    void Choose(int id, int line) {
        SendDlgItemMessageW(dialog, id, CB_SETCURSEL, line, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }
    void SetGlyphCache(const wchar_t* typed) {
        SetDlgItemTextW(dialog, IDC_MISC_GLYPH_EDIT, typed);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_MISC_GLYPH_SET, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_MISC_GLYPH_SET)));
    }
    int Line(int id) { return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0)); }
    std::wstring LineText(int id) {
        wchar_t text[32] = {};
        int line = Line(id);
        if (line >= 0) SendDlgItemMessageW(dialog, id, CB_GETLBTEXT, line, reinterpret_cast<LPARAM>(text));
        return text;
    }
    std::wstring Text(int id) {
        wchar_t text[64] = {};
        GetDlgItemTextW(dialog, id, text, 64);
        return text;
    }
    bool Marked() { return session().marks.changes() != 0 && session().marks.resets() != 0; }

    MiscPage* page = nullptr;
    HWND dialog = nullptr;
};

TEST_F(MiscPageTest, AnEmptyStoreLoadsTheDefaultsIntoFieldsAndControls) {
    page->LoadFrom(kConfig);
    EXPECT_EQ(page->windowAnimation, 0);
    EXPECT_EQ(page->menuAnimationType, 6);
    EXPECT_EQ(page->menuAnimationSpeed, 9);
    EXPECT_EQ(page->glyphCacheLimit, 8192);
    EXPECT_EQ(page->inboxFontFace, L"Tahoma");
    EXPECT_EQ(page->inboxFontSize, 8);
    EXPECT_EQ(page->browserTextSize, 2);

    EXPECT_FALSE(IsDlgButtonChecked(dialog, IDC_MISC_WINDOW_ANIMATION));
    EXPECT_TRUE(IsDlgButtonChecked(dialog, IDC_MISC_MENU_ANIMATION));
    EXPECT_EQ(LineText(IDC_MISC_SPEED), L"9");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_MISC_SPEED)));
    EXPECT_EQ(Text(IDC_MISC_GLYPH_EDIT), L"8192");
    EXPECT_EQ(LineText(IDC_MISC_INBOX_SIZE), L"8");
    EXPECT_EQ(LineText(IDC_MISC_BROWSER_SIZE), L"+0");
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_MISC_BROWSER_SIZE, CB_GETCOUNT, 0, 0), 9);
    EXPECT_EQ(page->QueryItem(1, 0), 6);
    EXPECT_EQ(page->QueryItem(7, 0), 0);
}

TEST_F(MiscPageTest, StoredFormsLoadAndSave) {
    struct { DWORD time; int speed; } times[] = {{100, 9}, {900, 1}};
    for (auto t : times) {
        WriteDword(kConfig, L"GWE\\Menu", L"AniTime", t.time);
        page->LoadFrom(kConfig);
        EXPECT_EQ(page->menuAnimationSpeed, t.speed) << t.time;
    }
    struct { const wchar_t* text; const wchar_t* face; int size; int line; } fonts[] = {
        {L"Tahoma,90", L"Tahoma", 9, 4},
        {L"Tahoma,5", L"Tahoma", 7, 2},
        {L"Courier New", L"Courier New", 6, 1},
        {L"Arial,130", L"Arial", 13, 0},   // no entry of that size: the first line shows
    };
    for (auto f : fonts) {
        WriteString(kConfig, kInbox, L"MsgListReadFont", f.text);
        page->LoadFrom(kConfig);
        EXPECT_EQ(page->inboxFontFace, f.face) << f.text;
        EXPECT_EQ(page->inboxFontSize, f.size) << f.text;
        EXPECT_EQ(Line(IDC_MISC_INBOX_SIZE), f.line) << f.text;
    }
    WriteDword(kConfig, kBrowser, L"ZoomSetting", 11);
    page->LoadFrom(kConfig);
    EXPECT_EQ(page->browserTextSize, 2) << "out of range gives the default";

    page->inboxFontFace = L"Tahoma";
    page->inboxFontSize = 10;
    page->menuAnimationSpeed = 5;
    page->SaveTo(kConfig);
    EXPECT_EQ(ReadDword(kConfig, L"GWE\\Menu", L"AniTime"), 500u);
    EXPECT_EQ(ConfigString(kInbox, L"MsgListReadFont"), L"Tahoma,100");
    EXPECT_EQ(ConfigString(kInbox, L"MsgListHeaderFont"), L"Tahoma,100");
    EXPECT_EQ(ConfigString(kInbox, L"MsgListBoldFont"), L"Tahoma,100,b");
}

TEST_F(MiscPageTest, UserCommandsChangeMarkAndRefresh) {
    page->LoadFrom(kConfig);
    SetGlyphCache(L"0");
    SetGlyphCache(L"");
    EXPECT_EQ(page->glyphCacheLimit, 8192);
    EXPECT_FALSE(Marked()) << "0 and an empty text change nothing";
    EXPECT_EQ(TitleText().find(L"*"), std::wstring::npos);

    SetGlyphCache(L"100");
    EXPECT_EQ(page->glyphCacheLimit, 1024);
    EXPECT_EQ(Text(IDC_MISC_GLYPH_EDIT), L"1024");
    EXPECT_TRUE(Marked());
    EXPECT_NE(TitleText().find(L"*"), std::wstring::npos) << "the title shows the change";
    SetGlyphCache(L"999999");
    EXPECT_EQ(page->glyphCacheLimit, 262144);

    Click(IDC_MISC_MENU_ANIMATION, false);
    EXPECT_EQ(page->menuAnimationType, 0);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_MISC_SPEED)));
    Click(IDC_MISC_MENU_ANIMATION, true);
    EXPECT_EQ(page->menuAnimationType, 6);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_MISC_SPEED)));
    Click(IDC_MISC_WINDOW_ANIMATION, true);
    EXPECT_EQ(page->windowAnimation, 1);

    Choose(IDC_MISC_SPEED, 2);
    Choose(IDC_MISC_INBOX_SIZE, 8);
    Choose(IDC_MISC_BROWSER_SIZE, 8);
    EXPECT_EQ(page->menuAnimationSpeed, 3);
    EXPECT_EQ(page->inboxFontSize, 14);
    EXPECT_EQ(page->browserTextSize, 8);
    EXPECT_EQ(LineText(IDC_MISC_BROWSER_SIZE), L"+6");
}

TEST_F(MiscPageTest, TheDeviceKeepsUserValuesUnderTheCurrentUser) {
    KeptValue kept[] = {
        {HKEY_LOCAL_MACHINE, L"SYSTEM\\GWE", L"Animation"},
        {HKEY_LOCAL_MACHINE, L"SYSTEM\\GWE\\Menu", L"AniType"},
        {HKEY_LOCAL_MACHINE, L"SYSTEM\\GWE\\Menu", L"AniTime"},
        {HKEY_LOCAL_MACHINE, L"SYSTEM\\GDI\\GLYPHCACHE", L"limit"},
        {HKEY_CURRENT_USER, kInbox, L"MsgListReadFont"},
        {HKEY_CURRENT_USER, kInbox, L"MsgListHeaderFont"},
        {HKEY_CURRENT_USER, kInbox, L"MsgListBoldFont"},
        {HKEY_CURRENT_USER, kBrowser, L"ZoomSetting"},
    };
    page->windowAnimation = 1;
    page->glyphCacheLimit = 4096;
    page->inboxFontFace = L"Verdana";
    page->inboxFontSize = 12;
    page->browserTextSize = 4;
    page->SaveTo(L"SYSTEM");
    EXPECT_EQ(ReadDword(L"SYSTEM", L"GWE", L"Animation"), 1u);
    EXPECT_EQ(ReadDword(L"SYSTEM", L"GDI\\GLYPHCACHE", L"limit"), 4096u);
    EXPECT_EQ(UserString(kInbox, L"MsgListReadFont"), L"Verdana,120");
    EXPECT_EQ(UserString(kInbox, L"MsgListBoldFont"), L"Verdana,120,b");
    EXPECT_EQ(GetUserDword(kBrowser, L"", L"ZoomSetting"), 4u);
    EXPECT_EQ(ReadDword(L"SYSTEM", kBrowser, L"ZoomSetting"), 0xFFFFFFFFu) << "not below SYSTEM";

    page->SaveTo(kConfig);
    EXPECT_EQ(ReadDword(kConfig, L"GWE", L"Animation"), 1u);
    EXPECT_EQ(ConfigString(kInbox, L"MsgListHeaderFont"), L"Verdana,120");
    EXPECT_EQ(ReadDword(kConfig, kBrowser, L"ZoomSetting"), 4u);

    page->LoadFrom(kConfig);   // back from the configuration, then the device again
    page->browserTextSize = 0;
    page->LoadFrom(L"system");
    EXPECT_EQ(page->browserTextSize, 4) << "the store key names the device in any case";
}

std::wstring exportPath;
BOOL WINAPI AnswerWithExportPath(OPENFILENAMEW* ofn) {
    lstrcpynW(ofn->lpstrFile, exportPath.c_str(), ofn->nMaxFile);
    return TRUE;
}

TEST_F(MiscPageTest, ExportAndImportCarryTheEightValuesInOrder) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    exportPath = std::wstring(dir) + L"orvanel_misc_test.ov";
    session().saveFileDialog = session().openFileDialog = AnswerWithExportPath;
    page->windowAnimation = 1;
    page->menuAnimationSpeed = 4;
    page->glyphCacheLimit = 16384;
    page->inboxFontSize = 12;
    page->browserTextSize = 5;
    ModalScript boxes;
    program().HandleCommand(IDM_EXPORT);

    auto content = ReadFileHead(exportPath.c_str(), 0x20000);
    ASSERT_TRUE(content);
    std::wstring text(reinterpret_cast<const wchar_t*>(content->data()), content->size() / 2);
    const std::pair<const wchar_t*, const wchar_t*> order[] = {
        {L"GWE", L"Animation"}, {L"GWE\\Menu", L"AniType"}, {L"GWE\\Menu", L"AniTime"},
        {L"GDI\\GLYPHCACHE", L"limit"}, {kInbox, L"MsgListReadFont"}, {kInbox, L"MsgListHeaderFont"},
        {kInbox, L"MsgListBoldFont"}, {kBrowser, L"ZoomSetting"}};
    size_t at = 0;
    for (auto [subkey, name] : order) {
        size_t found = text.find(EncodeValueKey(subkey, name), at);
        ASSERT_NE(found, std::wstring::npos) << "in order: " << static_cast<const void*>(name);
        at = found + 1;
    }

    page->windowAnimation = 0;
    page->menuAnimationSpeed = 9;
    page->glyphCacheLimit = 8192;
    page->inboxFontSize = 8;
    page->browserTextSize = 2;
    boxes.Press(IDNO);   // the unsaved edits above are not to be kept
    session().MarkChanged();
    program().HandleCommand(IDM_IMPORT);
    DeleteFileW(exportPath.c_str());
    EXPECT_EQ(page->windowAnimation, 1);
    EXPECT_EQ(page->menuAnimationSpeed, 4);
    EXPECT_EQ(page->glyphCacheLimit, 16384);
    EXPECT_EQ(page->inboxFontSize, 12);
    EXPECT_EQ(page->browserTextSize, 5);
    EXPECT_EQ(Text(IDC_MISC_GLYPH_EDIT), L"16384") << "the controls show what was imported";
    EXPECT_EQ(boxes.seen().size(), 1u);
}

// What the user did not touch is written back as it was read: another menu animation type, a time
// between the speed steps, an Inbox size that is no whole point. An edit is stored in the page's form.
TEST_F(MiscPageTest, OnlyWhatTheUserChangesIsWrittenInThePagesForm) {
    WriteDword(kConfig, L"GWE\\Menu", L"AniType", 3);
    WriteDword(kConfig, L"GWE\\Menu", L"AniTime", 250);
    WriteString(kConfig, kInbox, L"MsgListReadFont", L"Tahoma,85");
    page->LoadFrom(kConfig);
    Click(IDC_MISC_WINDOW_ANIMATION, true);
    page->SaveTo(kConfig);
    EXPECT_EQ(ReadDword(kConfig, L"GWE\\Menu", L"AniType"), 3u) << "only the menu animation box changes the type";
    EXPECT_EQ(ReadDword(kConfig, L"GWE\\Menu", L"AniTime"), 250u);
    EXPECT_EQ(ConfigString(kInbox, L"MsgListBoldFont"), L"Tahoma,85,b");
    Choose(IDC_MISC_SPEED, 6);
    Choose(IDC_MISC_INBOX_SIZE, 6);
    page->SaveTo(kConfig);
    EXPECT_EQ(ReadDword(kConfig, L"GWE\\Menu", L"AniTime"), 300u);
    EXPECT_EQ(ConfigString(kInbox, L"MsgListReadFont"), L"Tahoma,110");
}

}  // namespace
