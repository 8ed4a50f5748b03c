// The input method page on the real sheet: which classes it lists, what its buttons, check boxes
// and in-place renaming do, and that the registry changes only on Save.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

#include "pages/sip/sip_page.h"
#include "resources/resource.h"
#include "store/registry.h"
#include "support/app_fixture.h"
#include "support/modal.h"

namespace {

constexpr wchar_t kRisky[] = L"{f0034dd0-2ad4-11d1-9cb0-e84be8000000}";
constexpr wchar_t kQuiet[] = L"{0A1B2C3D-0000-4000-8000-0000000000A1}";   // a class of the test's own

std::optional<std::wstring> ClassValue(const std::wstring& key, const wchar_t* name) {
    return QueryRegistryString(HKEY_CLASSES_ROOT, key, name, 256);
}

// What the page may write of a method, put back as it was when the test began.
struct KeptMethod {
    std::wstring key;
    std::optional<std::wstring> name, state, origName;
};

class SipPageTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        // A method switched off, without a first name: no input method to list.
        PutClassString(L"CLSID", kQuiet, nullptr, L"Quiet Pad");
        PutClassString((std::wstring(L"CLSID\\") + kQuiet).c_str(), L"IsSIPInputMethod", nullptr, L"0");
        wchar_t text[130] = {};
        if (GetUserString(L"ControlPanel", L"Sip", L"DefaultIm", text, sizeof text)) defaultIm = text;
        allowChange = GetUserDword(L"ControlPanel", L"Sip", L"AllowChange");
        // A later start, not the first: the first captures every page, this one included.
        WriteDword(L"Orvanel\\Original", L"GWE", L"Animation", 0);
        WriteDword(L"Orvanel\\Current", L"GWE", L"Animation", 0);
        StartProgram();
        page = FindPageAnswering<SipPage>(session());
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(page->methodCount, 0) << "the device's classes are listed when the page is first shown";
        PropSheet_SetCurSel(session().sheet, nullptr, 2);   // the user taps "Sip"
        for (int i = 0; i < page->methodCount; ++i) {
            std::wstring key = L"CLSID\\" + page->methods[i].clsid;
            kept.push_back({key, ClassValue(key, nullptr), ClassValue(key + L"\\IsSIPInputMethod", nullptr),
                            ClassValue(key + L"\\IsSIPInputMethod", L"origname")});
        }
        dialog = page->hwnd;
        list = GetDlgItem(dialog, IDC_SIP_LIST);
        session().marks.Set(0, 0);
    }
    void TearDown() override {
        AppTest::TearDown();
        for (const KeptMethod& m : kept) {
            if (m.name) PutClassString(m.key.c_str(), L"", nullptr, m.name->c_str());
            if (m.state) PutClassString(m.key.c_str(), L"IsSIPInputMethod", nullptr, m.state->c_str());
            std::wstring method = m.key + L"\\IsSIPInputMethod";
            if (m.origName) PutClassString(m.key.c_str(), L"IsSIPInputMethod", L"origname", m.origName->c_str());
            else RegDeleteKeyValueW(HKEY_CLASSES_ROOT, method.c_str(), L"origname");
        }
        RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + kQuiet).c_str());
        for (const std::wstring& clsid : added) RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + clsid).c_str());
        PutUserString(L"ControlPanel", L"Sip", L"DefaultIm", defaultIm.c_str());
        if (allowChange != 0xFFFFFFFF) PutUserDword(L"ControlPanel", L"Sip", L"AllowChange", allowChange);
    }
    int Row(const std::wstring& clsid) {
        for (int i = 0; i < page->methodCount; ++i)
            if (lstrcmpiW(page->methods[i].clsid.c_str(), clsid.c_str()) == 0) return i;
        return -1;
    }
    // Input methods of the test's own, enabled, which sort before the device's; removed at the end.
    void AddMethods(int count, int series) {
        for (int i = 0; i < count; ++i) {
            added.push_back(L"{0A1B2C3D-0000-4000-8000-000000000" + std::to_wstring(series) + std::to_wstring(10 + i) +
                            L"}");
            PutClassString(L"CLSID", added.back().c_str(), nullptr, L"Extra");
            PutClassString((L"CLSID\\" + added.back()).c_str(), L"IsSIPInputMethod", nullptr, L"1");
        }
    }
    void Select(int row) {
        ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_SetSelectionMark(list, row);
    }
    void Press(int id) {
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }
    std::wstring Text(int id) {
        wchar_t text[200] = {};
        GetDlgItemTextW(dialog, id, text, 200);
        return text;
    }

    SipPage* page = nullptr;
    HWND dialog = nullptr, list = nullptr;
    std::vector<KeptMethod> kept;
    std::vector<std::wstring> added;
    std::wstring defaultIm;
    DWORD allowChange = 0;
};

TEST_F(SipPageTest, ListsTheDevicesMethodsAndChangesOnlyOnSave) {
    EXPECT_GE(page->methodCount, 5);
    EXPECT_EQ(ListView_GetItemCount(list), page->methodCount);
    EXPECT_EQ(Row(kQuiet), -1) << "switched off and without a first name: no input method";
    const int keyboard = Row(L"{42429667-ae04-11d0-a4f8-00aa00a749b9}");
    ASSERT_GE(keyboard, 0);
    EXPECT_EQ(page->defaultIndex, keyboard);
    EXPECT_EQ(Text(IDC_SIP_DEFAULT_LINE), L"Default: Keyboard");
    const int keypad = Row(L"{7B0C5A21-3F5E-4C41-9E2A-6D1C0A8B4F10}");
    ASSERT_GE(keypad, 0) << "switched off but with its first name";
    EXPECT_FALSE(ListView_GetCheckState(list, keypad));
    EXPECT_TRUE(ListView_GetCheckState(list, keyboard));

    // Set as default on the risky method asks; No changes nothing.
    const int risky = Row(kRisky);
    ASSERT_GE(risky, 0);
    Select(risky);
    ModalScript boxes;
    boxes.Press(IDNO);
    Press(IDC_SIP_SET_DEFAULT);
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_EQ(boxes.seen()[0].caption, L"Warning");
    EXPECT_EQ(boxes.seen()[0].text, L"This method should not be used as default. It may cause all data on the device to "
                                    L"be lost. Are you sure?");
    EXPECT_EQ(page->defaultIndex, keyboard);
    EXPECT_EQ(session().marks.changes(), 0);

    // Set as default enables a disabled method; clearing the default's box disables it all the same.
    Select(keypad);
    Press(IDC_SIP_SET_DEFAULT);
    EXPECT_EQ(page->defaultIndex, keypad);
    EXPECT_EQ(page->methods[keypad].enabled, 1);
    EXPECT_TRUE(ListView_GetCheckState(list, keypad));
    ListView_SetCheckState(list, keypad, FALSE);
    EXPECT_EQ(page->methods[keypad].enabled, 0);
    EXPECT_EQ(Text(IDC_SIP_DEFAULT_LINE), L"Default: Phone Keypad");
    EXPECT_EQ(session().marks.changes(), 2);
    EXPECT_EQ(session().marks.resets(), 2);

    // "Allow change" counts nothing.
    CheckDlgButton(dialog, IDC_SIP_ALLOW_CHANGE, BST_UNCHECKED);
    Press(IDC_SIP_ALLOW_CHANGE);
    EXPECT_EQ(page->allowChange, 0);
    EXPECT_EQ(session().marks.changes(), 2);

    wchar_t stored[130] = {};
    GetUserString(L"ControlPanel", L"Sip", L"DefaultIm", stored, sizeof stored);
    EXPECT_STREQ(stored, defaultIm.c_str()) << "nothing reaches the registry before Save";
    page->SaveTo(L"Orvanel\\Whatever");
    GetUserString(L"ControlPanel", L"Sip", L"DefaultIm", stored, sizeof stored);
    EXPECT_STREQ(stored, page->methods[keypad].clsid.c_str()) << "the live device, whatever the store";
    EXPECT_EQ(ClassValue(L"CLSID\\" + page->methods[keypad].clsid + L"\\IsSIPInputMethod", nullptr), L"0");

    // A method the page has saved switched off keeps its first name, and so stays listed.
    PutClassString((std::wstring(L"CLSID\\") + kQuiet).c_str(), L"IsSIPInputMethod", nullptr, L"1");
    page->LoadFrom(L"SYSTEM");
    const int quiet = Row(kQuiet);
    ASSERT_GE(quiet, 0);
    Select(quiet);
    Press(IDC_SIP_TOGGLE);
    EXPECT_EQ(page->methods[quiet].enabled, 0);
    page->SaveTo(L"SYSTEM");
    page->LoadFrom(L"SYSTEM");
    EXPECT_GE(Row(kQuiet), 0);
}

TEST_F(SipPageTest, RenameAndRestoreOnRowZeroWhenNothingIsSelected) {
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetSelectionMark(list, -1);
    const std::wstring first = page->methods[0].name;
    const std::wstring longName(60, L'x');   // a first name this long must survive too
    page->methods[0].origName = longName;
    page->methods[0].name = longName;
    Press(IDC_SIP_RENAME);
    HWND edit = ListView_GetEditControl(list);
    ASSERT_NE(edit, nullptr) << "row 0 is edited in place";
    SetWindowTextW(edit, L"My Pad");
    SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(page->methods[0].name, L"My Pad");
    EXPECT_EQ(session().marks.changes(), 1);

    page->SaveTo(L"SYSTEM");
    page->LoadFrom(L"SYSTEM");
    EXPECT_EQ(page->methods[0].name, L"My Pad");
    EXPECT_EQ(page->methods[0].origName, longName) << "the first name comes back whole after Save and Load";
    Press(IDC_SIP_RESTORE);
    EXPECT_EQ(page->methods[0].name, longName);
    page->methods[0].name = page->methods[0].origName = first;
    page->SaveTo(L"SYSTEM");
}

TEST_F(SipPageTest, AtMost32MethodsAndNoDefaultWithoutOne) {
    AddMethods(30, 1);
    page->LoadFrom(L"SYSTEM");
    EXPECT_EQ(page->methodCount, SipPage::kMaxMethods);
    for (int i = 0; i < page->methodCount; ++i) EXPECT_FALSE(page->methods[i].clsid.empty()) << i;

    // With nothing listed, Save leaves the device's default as it is.
    page->methodCount = 0;
    page->SaveTo(L"SYSTEM");
    wchar_t stored[130] = {};
    GetUserString(L"ControlPanel", L"Sip", L"DefaultIm", stored, sizeof stored);
    EXPECT_STREQ(stored, defaultIm.c_str());
}

TEST_F(SipPageTest, ValuesOfTheWrongTypeCountAsMissing) {
    const std::wstring odd = std::wstring(L"CLSID\\") + kQuiet;
    auto set = [](HKEY root, const std::wstring& path, const wchar_t* name, DWORD type, const void* data, DWORD size) {
        ASSERT_TRUE(SetRegistryValue(root, path, name, type, data, size));
    };
    const wchar_t one[] = L"1";   // four bytes, like a number
    const DWORD number = 1;
    set(HKEY_CURRENT_USER, L"ControlPanel\\Sip", L"AllowChange", REG_SZ, one, sizeof one);
    set(HKEY_CURRENT_USER, L"ControlPanel\\Sip", L"DefaultIm", REG_DWORD, &number, 4);
    set(HKEY_CLASSES_ROOT, odd + L"\\IsSIPInputMethod", nullptr, REG_DWORD, &number, 4);   // no "1"
    page->LoadFrom(L"SYSTEM");
    EXPECT_EQ(page->allowChange, 0);
    EXPECT_EQ(page->defaultIndex, 0);
    EXPECT_EQ(Row(kQuiet), -1);
    EXPECT_GE(page->methodCount, 5);
    set(HKEY_CURRENT_USER, L"ControlPanel\\Sip", L"AllowChange", REG_DWORD, &number, 2);
    page->LoadFrom(L"SYSTEM");
    EXPECT_EQ(page->allowChange, 0);
    if (allowChange == 0xFFFFFFFF) RegDeleteKeyValueW(HKEY_CURRENT_USER, L"ControlPanel\\Sip", L"AllowChange");
}

// 32 methods that sort before the device's own push its default past the last place: a save
// (an export, say) must not make the first listed method the default in its stead.
TEST_F(SipPageTest, ADefaultPastTheLastPlaceStaysTheDefault) {
    AddMethods(SipPage::kMaxMethods, 2);
    page->LoadFrom(L"SYSTEM");
    ASSERT_EQ(page->methodCount, SipPage::kMaxMethods);
    page->SaveTo(L"SYSTEM");
    wchar_t stored[130] = {};
    GetUserString(L"ControlPanel", L"Sip", L"DefaultIm", stored, sizeof stored);
    EXPECT_STREQ(stored, defaultIm.c_str());

    // Chosen by the user, a listed method becomes the default all the same.
    ListView_SetItemState(list, 3, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetSelectionMark(list, 3);
    Press(IDC_SIP_SET_DEFAULT);
    page->SaveTo(L"SYSTEM");
    GetUserString(L"ControlPanel", L"Sip", L"DefaultIm", stored, sizeof stored);
    EXPECT_EQ(stored, page->methods[3].clsid);
}

// A save before the page has read the device (an export right after start, say) writes none of
// the methods: the registry already holds what the page would write. Once read, Save writes them.
class UnreadSipPage : public AppTest {
protected:
    void TearDown() override {
        AppTest::TearDown();
        RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + kQuiet).c_str());
    }
};

TEST_F(UnreadSipPage, SavesNothingUntilItHasReadTheDevice) {
    const std::wstring key = std::wstring(L"CLSID\\") + kQuiet;
    PutClassString(L"CLSID", kQuiet, nullptr, L"Quiet Pad");
    PutClassString(key.c_str(), L"IsSIPInputMethod", nullptr, L"1");
    WriteDword(L"Orvanel\\Original", L"GWE", L"Animation", 0);
    WriteDword(L"Orvanel\\Current", L"GWE", L"Animation", 0);
    StartProgram();
    auto* page = FindPageAnswering<SipPage>(session());
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->SaveTo(L"SYSTEM"));
    EXPECT_EQ(page->methodCount, 0);
    EXPECT_FALSE(ClassValue(key + L"\\IsSIPInputMethod", L"origname")) << "an unread page writes nothing";

    PropSheet_SetCurSel(session().sheet, nullptr, 2);
    ASSERT_GT(page->methodCount, 0);
    // A switch while the page is hidden again puts the reading off once more.
    PropSheet_SetCurSel(session().sheet, nullptr, 0);
    page->LoadFrom(L"SYSTEM");
    EXPECT_TRUE(page->SaveTo(L"SYSTEM"));
    EXPECT_FALSE(ClassValue(key + L"\\IsSIPInputMethod", L"origname"));

    PropSheet_SetCurSel(session().sheet, nullptr, 2);
    EXPECT_TRUE(page->SaveTo(L"SYSTEM"));
    EXPECT_EQ(ClassValue(key + L"\\IsSIPInputMethod", L"origname"), L"Quiet Pad");
}

// A class identifier matches in any letter case; a default the list does not hold stays the
// device's default whatever a save writes, and the default line says so.
TEST_F(SipPageTest, ADefaultTheListDoesNotHoldIsKeptAndNamed) {
    const int keypad = Row(L"{7B0C5A21-3F5E-4C41-9E2A-6D1C0A8B4F10}");
    ASSERT_GE(keypad, 1);
    PutUserString(L"ControlPanel", L"Sip", L"DefaultIm", L"{7b0c5a21-3f5e-4c41-9e2a-6d1c0a8b4f10}");
    page->LoadFrom(L"Orvanel\\Whatever");   // the device, whatever the store
    EXPECT_EQ(Text(IDC_SIP_DEFAULT_LINE), L"Default: Phone Keypad");
    PutUserString(L"ControlPanel", L"Sip", L"DefaultIm", kQuiet);   // disabled without a first name
    page->LoadFrom(L"Orvanel\\Whatever");
    EXPECT_EQ(Text(IDC_SIP_DEFAULT_LINE), L"Default: Quiet Pad (not listed)");
    page->SaveTo(L"SYSTEM");
    wchar_t stored[130] = {};
    GetUserString(L"ControlPanel", L"Sip", L"DefaultIm", stored, sizeof stored);
    EXPECT_STREQ(stored, kQuiet);
}

// After a turn the list's column spans the list, so a selected row is marked across it; rows
// made again keep where the list was scrolled.
TEST_F(SipPageTest, TheListKeepsItsViewAndFitsItsColumnAfterATurn) {
    AddMethods(20, 3);
    page->LoadFrom(L"Orvanel\\Whatever");   // the device, shown
    const int last = page->methodCount - 1;
    ListView_EnsureVisible(list, last, FALSE);
    Select(last);
    Press(IDC_SIP_TOGGLE);
    EXPECT_GT(ListView_GetTopIndex(list), 0);
    SetDeviceScreenForTests(320, 240, 96);
    SendMessageW(program().mainWindow(), WM_SETTINGCHANGE, SETTINGCHANGE_RESET, 0);
    UpdateWindow(dialog);
    RECT client;
    GetClientRect(list, &client);
    EXPECT_EQ(ListView_GetColumnWidth(list, 0), client.right);
}

}  // namespace
