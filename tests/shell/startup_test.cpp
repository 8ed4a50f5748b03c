// Start-up of the program in the test process: installer hooks, left-over files, the sheet,
// the first-run capture, the title line and the commands of the main window.
#include <gtest/gtest.h>

#include "config/configurations.h"
#include "base/handles.h"
#include "store/registry.h"
#include "framework/settings_page.h"
#include "platform/pocketpc.h"
#include "base/strings.h"
#include "resources/resource.h"
#include "shell/program.h"
#include "support/app_fixture.h"
#include "support/modal.h"

namespace {

bool HklmKeyExists(const wchar_t* path) { return KeyExists(path, nullptr); }

std::wstring HklmString(const wchar_t* path, const wchar_t* name) {
    wchar_t buffer[260] = {};
    return ReadString(L"", path, name, buffer, sizeof(buffer)) ? buffer : L"<missing>";
}

// A small tree to copy: values at two levels.
void SeedTree(const wchar_t* root) {
    std::wstring key = std::wstring(root) + L"\\Mine";
    WriteDword(key.c_str(), L"GWE", L"cxVScr", 16);
    WriteString(key.c_str(), L"GDI\\SYSFNT", L"Nm", L"Tahoma");
    WriteString(L"", root, L"CurrName", L"Mine");
}

using InstallHooks = AppTest;

TEST_F(InstallHooks, FirstWithoutBackupShowsNothingAndReturnsZero) {
    ModalScript boxes;
    Program first(GetModuleHandleW(nullptr));
    EXPECT_EQ(first.Main(L"first", SW_SHOW), 0);
    EXPECT_TRUE(boxes.seen().empty());
    EXPECT_FALSE(HklmKeyExists(L"Orvanel"));
    EXPECT_EQ(first.mainWindow(), nullptr) << "no window is created";
}

TEST_F(InstallHooks, FirstWithBackupAnsweredYesImportsAndDeletesIt) {
    SeedTree(L"Orvanel2");
    WriteDword(L"Orvanel\\Mine", L"GWE", L"cyVScr", 9);   // kept: the copy only overwrites
    ModalScript boxes;
    boxes.Press(IDYES);
    EXPECT_EQ(Program(GetModuleHandleW(nullptr)).Main(L"/first", SW_SHOW), 0);
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_EQ(boxes.seen()[0].caption, L"Information");
    EXPECT_EQ(boxes.seen()[0].text, L"Found configuration data from previous installation of Orvanel. Import it?");
    EXPECT_EQ(ReadDword(L"Orvanel\\Mine", L"GWE", L"cxVScr"), 16u);
    EXPECT_EQ(ReadDword(L"Orvanel\\Mine", L"GWE", L"cyVScr"), 9u);
    EXPECT_EQ(HklmString(L"Orvanel\\Mine\\GDI\\SYSFNT", L"Nm"), L"Tahoma");
    EXPECT_EQ(HklmString(L"Orvanel", L"CurrName"), L"Mine");
    EXPECT_FALSE(HklmKeyExists(L"Orvanel2"));
}

TEST_F(InstallHooks, FirstAnsweredNoStillDeletesTheBackup) {
    SeedTree(L"Orvanel2");
    ModalScript boxes;
    boxes.Press(IDNO);
    // "first" is looked for before "last".
    EXPECT_EQ(Program(GetModuleHandleW(nullptr)).Main(L"last first", SW_SHOW), 0);
    EXPECT_EQ(boxes.seen().size(), 1u);
    EXPECT_FALSE(HklmKeyExists(L"Orvanel2"));
    EXPECT_FALSE(HklmKeyExists(L"Orvanel"));
}

TEST_F(InstallHooks, LastAnsweredYesDeletesWithoutCopy) {
    SeedTree(L"Orvanel");
    ModalScript boxes;
    boxes.Press(IDYES);
    Program last(GetModuleHandleW(nullptr));
    EXPECT_EQ(last.Main(L"last", SW_SHOW), 0);
    ASSERT_EQ(boxes.seen().size(), 1u) << "nothing is shown after the question";
    EXPECT_EQ(boxes.seen()[0].caption, L"Confirm");
    EXPECT_EQ(boxes.seen()[0].text, L"Delete configuration data?");
    EXPECT_FALSE(HklmKeyExists(L"Orvanel"));
    EXPECT_FALSE(HklmKeyExists(L"Orvanel2"));
    EXPECT_EQ(last.mainWindow(), nullptr);
}

TEST_F(InstallHooks, LastAnsweredNoKeepsAFullCopy) {
    SeedTree(L"Orvanel");
    ModalScript boxes;
    boxes.Press(IDNO);
    EXPECT_EQ(Program(GetModuleHandleW(nullptr)).Main(L"last", SW_SHOW), 0);
    EXPECT_FALSE(HklmKeyExists(L"Orvanel"));
    EXPECT_EQ(ReadDword(L"Orvanel2\\Mine", L"GWE", L"cxVScr"), 16u);
    EXPECT_EQ(HklmString(L"Orvanel2\\Mine\\GDI\\SYSFNT", L"Nm"), L"Tahoma");
    EXPECT_EQ(HklmString(L"Orvanel2", L"CurrName"), L"Mine");
}

TEST_F(InstallHooks, CopyKeyTreeCopiesLargeValuesAndKeepsOthers) {
    std::vector<BYTE> big(10000);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<BYTE>(i * 7);
    WriteBinary(L"Orvanel", L"A", L"Big", big.data(), static_cast<DWORD>(big.size()));
    WriteDword(L"Orvanel", L"A", L"After", 5);
    WriteDword(L"Orvanel2", L"A", L"OnlyThere", 6);
    CopyKeyTree(L"Orvanel", L"Orvanel2", HKEY_LOCAL_MACHINE);
    std::vector<BYTE> copy(big.size());
    ASSERT_TRUE(ReadBinary(L"Orvanel2", L"A", L"Big", copy.data(), static_cast<DWORD>(copy.size())));
    EXPECT_EQ(copy, big);
    EXPECT_EQ(ReadDword(L"Orvanel2", L"A", L"After"), 5u);
    EXPECT_EQ(ReadDword(L"Orvanel2", L"A", L"OnlyThere"), 6u);
    CopyKeyTree(L"Missing", L"Orvanel3", HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(HklmKeyExists(L"Orvanel3")) << "no source, no destination";
}

using StartUp = AppTest;

TEST_F(StartUp, LeftOverFilesAreDeleted) {
    WriteStoreFile(L"\\Windows\\delme_0001.ttf", "x");
    WriteStoreFile(L"\\Windows\\delme_font.tmp", "x");
    WriteStoreFile(L"\\Windows\\keep_me.ttf", "x");
    StartProgram();
    EXPECT_FALSE(FileExists(L"\\Windows\\delme_0001.ttf"));
    EXPECT_FALSE(FileExists(L"\\Windows\\delme_font.tmp"));
    EXPECT_TRUE(FileExists(L"\\Windows\\keep_me.ttf"));
    DeleteFileW(L"\\Windows\\keep_me.ttf");

    // A second start removes them too, and only brings the running copy forward.
    WriteStoreFile(L"\\Windows\\delme_again.ttf", "x");
    HWND first = program().mainWindow();
    HWND other = CreateWindowExW(0, L"Static", L"", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
    SetForegroundWindow(other);
    ASSERT_EQ(GetForegroundWindow(), other);
    EXPECT_EQ(Program(GetModuleHandleW(nullptr)).Main(L"", SW_SHOW), 0);
    EXPECT_FALSE(FileExists(L"\\Windows\\delme_again.ttf"));
    EXPECT_EQ(program().mainWindow(), first);
    EXPECT_TRUE(IsWindow(first));
    EXPECT_EQ(GetForegroundWindow(), first) << "the running copy comes to the front";
    DestroyWindow(other);
}

BOOL WINAPI NoMessages(MSG*, HWND, UINT, UINT) { return -1; }

TEST_F(StartUp, ALoopWithoutMessagesEndsAsAFailure) {
    StartProgram();
    EXPECT_EQ(program().RunMessageLoop(NoMessages), -1);
}

TEST_F(StartUp, AtHighDensityTheWindowEndsWhereTheMenuBarBegins) {
    SetDeviceScreenForTests(480, 640, 192);
    StartProgram();
    RECT window, bar, sheet;
    GetWindowRect(program().mainWindow(), &window);
    GetWindowRect(program().menuBar(), &bar);
    GetWindowRect(session().sheet, &sheet);
    EXPECT_EQ(bar.bottom - bar.top, 52);
    EXPECT_EQ(window.bottom, bar.top);
    EXPECT_LE(sheet.bottom, bar.top) << "the sheet leaves the menu bar free";
    EXPECT_EQ(session().Scale(), 2);
}

TEST_F(StartUp, LastClosesTheRunningCopy) {
    StartProgram();
    ModalScript boxes;
    boxes.Press(IDYES);
    EXPECT_EQ(Program(GetModuleHandleW(nullptr)).Main(L"last", SW_SHOW), 0);
    EXPECT_EQ(program().menuBar(), nullptr) << "the running copy got the destroy message";
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "its loop ends";
    EXPECT_EQ(msg.wParam, 0u);
}

TEST_F(StartUp, WindowSheetAndPages) {
    StartProgram();
    RECT r;
    GetWindowRect(program().mainWindow(), &r);
    EXPECT_EQ(r.top, 26);
    EXPECT_EQ(r.bottom, 320 - 26) << "the window leaves room for the menu bar";
    ASSERT_NE(program().menuBar(), nullptr);
    ASSERT_NE(session().configMenu, nullptr);

    // Tabs in list order, the first page showing; every page made at once.
    HWND tabs = PropSheet_GetTabControl(session().sheet);
    ASSERT_NE(tabs, nullptr);
    const wchar_t* captions[] = {L"GUI", L"Size", L"Sip", L"Fonts", L"Misc", L"Theme"};
    ASSERT_EQ(TabCtrl_GetItemCount(tabs), 6);
    for (int i = 0; i < 6; ++i) {
        wchar_t text[32] = {};
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 32;
        TabCtrl_GetItem(tabs, i, &item);
        EXPECT_STREQ(text, captions[i]);
        EXPECT_NE(PageWindow(i), nullptr) << "page " << i;
    }
    EXPECT_EQ(TabCtrl_GetCurSel(tabs), 0);
    EXPECT_EQ(PropSheet_GetCurrentPageHwnd(session().sheet), PageWindow(0));

    const DWORD tags[] = {kTagGui, kTagSize, kTagSip, kTagFont, kTagAnim, kTagTheme};
    const WORD landscape[] = {202, 203, 204, 205, 206, 207};
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(session().pages[i]->IsKind(tags[i]));
        EXPECT_FALSE(session().pages[i]->IsKind(kTagPage));
        EXPECT_EQ(session().pages[i]->landscapeDialogId, landscape[i]);
    }
}

TEST_F(StartUp, FirstRunCapturesOriginalAndCurrent) {
    StartProgram();
    EXPECT_TRUE(HklmKeyExists(L"Orvanel\\Original"));
    EXPECT_TRUE(HklmKeyExists(L"Orvanel\\Current"));
    EXPECT_EQ(HklmString(L"Orvanel", L"CurrName"), L"Current");
    EXPECT_STREQ(session().activeConfigName, L"Current");
    std::wstring items = MenuItems();
    EXPECT_NE(items.find(L"*Current"), std::wstring::npos) << items;
    EXPECT_NE(items.find(L"Original"), std::wstring::npos) << items;
    EXPECT_EQ(items.find(L"*Original"), std::wstring::npos) << items;
    EXPECT_EQ(items.find(L"???"), std::wstring::npos) << "the placeholder is gone";
}

TEST_F(StartUp, LaterRunsEditTheAppliedConfiguration) {
    WriteDword(L"Orvanel\\Original", L"GWE", L"cxVScr", 13);
    WriteDword(L"Orvanel\\Mine", L"GWE", L"cxVScr", 16);
    WriteString(L"", L"Orvanel", L"CurrName", L"Mine");
    StartProgram();
    EXPECT_STREQ(session().activeConfigName, L"Mine");
    EXPECT_EQ(TitleText(), L"Configuration: \"Mine\" ");
    EXPECT_FALSE(HklmKeyExists(L"Orvanel\\Current")) << "no capture on later runs";
    EXPECT_NE(MenuItems().find(L"*Mine"), std::wstring::npos);
}

TEST_F(StartUp, WithoutCurrNameTheActiveConfigurationIsCurrent) {
    WriteDword(L"Orvanel\\Original", L"GWE", L"cxVScr", 13);
    StartProgram();
    EXPECT_STREQ(session().activeConfigName, L"Current");
}

TEST_F(StartUp, TitleLineMarksChangesAndPendingReset) {
    StartProgram();
    EXPECT_EQ(TitleText(), L"Configuration: \"Current\" ");
    session().marks.Set(1, 0);
    session().RefreshTitle();
    EXPECT_EQ(TitleText(), L"Configuration: \"Current\"  * ");
    session().marks.Set(1, 2);
    session().RefreshTitle();
    EXPECT_EQ(TitleText(), L"Configuration: \"Current\"  *  ");
    session().marks.Set(0, 2);
    session().RefreshTitle();
    EXPECT_EQ(TitleText(), L"Configuration: \"Current\"  ");

    // The title line is the sheet's first static child, found again after it is lost.
    HWND found = session().titleControl;
    session().titleControl = nullptr;
    session().RefreshTitle();
    EXPECT_EQ(session().titleControl, found);
}

// Keys reach the accelerators through the program's own message loop.
void PostKey(HWND wnd, UINT key) {
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_CONTROL] = 0x80;
    SetKeyboardState(state);
    PostMessageW(wnd, WM_KEYDOWN, key, 1);
}

void ReleaseControl() {
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_CONTROL] = 0;
    SetKeyboardState(state);
}

TEST_F(StartUp, AcceleratorsOpenAboutAndQuit) {
    StartProgram();
    ModalScript boxes;
    RECT aboutRect{};
    boxes.Then([this, &aboutRect](HWND about) {
        GetWindowRect(about, &aboutRect);
        PostMessageW(about, WM_COMMAND, IDOK, 0);
        // Once the box is closed, Ctrl+Q reaches the main window.
        PostKey(program().mainWindow(), 'Q');
    });
    PostKey(program().mainWindow(), 'A');
    int code = program().RunMessageLoop();
    ReleaseControl();
    EXPECT_EQ(code, 0);
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_EQ(boxes.seen()[0].caption, L"About Orvanel");
    EXPECT_LE(aboutRect.right - aboutRect.left, 240) << "the box, frame and all, fits the device screen";
    EXPECT_FALSE(IsWindow(program().mainWindow())) << "Ctrl+Q closed the program";
}

TEST_F(StartUp, MenuBarButtonsOnlyOpenMenus) {
    StartProgram();
    EXPECT_FALSE(program().HandleCommand(IDM_TOOLS_BUTTON));
    EXPECT_FALSE(program().HandleCommand(IDM_CONFIG_BUTTON));
    EXPECT_FALSE(program().HandleCommand(IDM_PLACEHOLDER));
    HMENU tools = reinterpret_cast<HMENU>(SendMessageW(program().menuBar(), SHCMBM_GETSUBMENU, 0, IDM_TOOLS_BUTTON));
    ASSERT_NE(tools, nullptr);
    EXPECT_EQ(GetMenuItemID(tools, 0), static_cast<UINT>(IDM_ABOUT));
    EXPECT_EQ(GetMenuItemID(tools, GetMenuItemCount(tools) - 1), static_cast<UINT>(IDM_APPLY));
}

TEST_F(StartUp, SettingChangeRelaysOutOnlyForALayoutReset) {
    StartProgram();
    RECT before;
    GetWindowRect(PageWindow(0), &before);
    SetDeviceScreenForTests(320, 240, 96);
    SendMessageW(program().mainWindow(), WM_SETTINGCHANGE, 0x1234, 0);
    EXPECT_FALSE(program().isLandscape()) << "any other setting change is the shell's alone";
    SendMessageW(program().mainWindow(), WM_SETTINGCHANGE, 0x3002, 0);
    EXPECT_TRUE(program().isLandscape());
    SetDeviceScreenForTests(240, 320, 96);
    SendMessageW(program().mainWindow(), WM_SETTINGCHANGE, 0x3002, 0);
    EXPECT_FALSE(program().isLandscape());
}

TEST_F(StartUp, CriticalErrorAsksAndYesEndsWithMinusOne) {
    ModalScript boxes;
    boxes.Press(IDNO).Press(IDYES);
    ShowCriticalError(LoadResString(IDS_CANT_GRAB));
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "No goes on";
    ShowCriticalError(L"Broken");
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(static_cast<int>(msg.wParam), -1);
    ASSERT_EQ(boxes.seen().size(), 2u);
    EXPECT_EQ(boxes.seen()[0].caption, L"Critical Error");
    EXPECT_EQ(boxes.seen()[0].text, L"Can't grab configuration\nTerminate program?");
    EXPECT_EQ(boxes.seen()[1].text, L"Broken\nTerminate program?");
}
}  // namespace

namespace {
using Orientation = AppTest;

TEST_F(Orientation, StartingInLandscapeRelaysOutAtOnceAndPortraitDoesNothing) {
    SetDeviceScreenForTests(320, 240, 96);
    StartProgram();
    EXPECT_TRUE(program().isLandscape());
}

TEST_F(Orientation, AMissingTemplateLeavesThePageAsItIsAndTheScrollBarCleared) {
    StartProgram();
    EXPECT_FALSE(ApplyDialogLayout(GetModuleHandleW(nullptr), PageWindow(0), 9999, session().pages[0]->images));
    session().pages[2]->landscapeDialogId = 9999;
    ASSERT_NE(PageWindow(2), nullptr);   // a page not made yet has nothing to move
    SetDeviceScreenForTests(320, 240, 96);
    ModalScript boxes;   // and nothing to ask the user
    program().RelayoutPages();
    EXPECT_TRUE(boxes.seen().empty());
    SCROLLINFO info = {sizeof(info), SIF_ALL};
    GetScrollInfo(PageWindow(2), SB_VERT, &info);
    EXPECT_EQ(info.nMax, 0);
    EXPECT_EQ(info.nPos, 0);
}
}  // namespace
