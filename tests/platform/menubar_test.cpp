// The menu bar: built from the program's menu bar record 102 and menu 102, and from records
// written into a scratch resource module for the malformed cases.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "platform/pocketpc.h"
#include "resource.h"

namespace {

std::vector<WPARAM> commands;

LRESULT CALLBACK ParentProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        commands.push_back(wParam);
        return 0;
    }
    return DefWindowProcW(wnd, message, wParam, lParam);
}

std::wstring Text(HWND wnd) {
    wchar_t text[128] = {};
    GetWindowTextW(wnd, text, 128);
    return text;
}

std::wstring ItemText(HMENU menu, int position) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
    return text;
}

// Picks the first item of the drop-down that opens next, through the keyboard.
void CALLBACK PickFirstItem(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND target = GetFocus() ? GetFocus() : GetActiveWindow();
    PostMessageW(target, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(target, WM_KEYDOWN, VK_RETURN, 0);
}

class MenuBar : public ::testing::Test {
protected:
    void SetUp() override {
        SetDeviceScreenForTests(240, 320, 96);
        commands.clear();
        WNDCLASSW wc{};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"MenuBarTestParent";
        RegisterClassW(&wc);
        parent_ = CreateWindowExW(0, L"MenuBarTestParent", L"parent", WS_POPUP | WS_VISIBLE, 0, 26, 240, 268,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(parent_);
    }
    void TearDown() override {
        if (IsWindow(bar_)) DestroyWindow(bar_);
        DestroyWindow(parent_);
        if (module_) FreeLibrary(module_);
        if (!scratch_.empty()) DeleteFileW(scratch_.c_str());
        SetDeviceScreenForTests(0, 0, 0);
    }
    BOOL Create(HINSTANCE inst, UINT id) {
        SHMENUBARINFO info{};
        info.cbSize = 36;
        info.hwndParent = parent_;
        info.nToolBarId = id;
        info.hInstRes = inst;
        info.hwndMB = reinterpret_cast<HWND>(1);
        BOOL ok = SHCreateMenuBar(&info);
        bar_ = info.hwndMB;
        return ok;
    }
    // A copy of this executable whose only resources are the given ones, loaded as data.
    HINSTANCE Module(const std::vector<std::pair<UINT, std::vector<WORD>>>& records) {
        wchar_t self[MAX_PATH], temp[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        GetTempPathW(MAX_PATH, temp);
        scratch_ = std::wstring(temp) + L"menubar_" + std::to_wstring(GetCurrentProcessId()) + L".dll";
        if (!CopyFileW(self, scratch_.c_str(), FALSE)) return nullptr;
        HANDLE update = BeginUpdateResourceW(scratch_.c_str(), TRUE);
        if (!update) return nullptr;
        for (const auto& [id, words] : records)
            UpdateResourceW(update, MAKEINTRESOURCEW(10), MAKEINTRESOURCEW(id), 0,
                            const_cast<WORD*>(words.data()), static_cast<DWORD>(words.size() * sizeof(WORD)));
        if (!EndUpdateResourceW(update, FALSE)) return nullptr;
        module_ = LoadLibraryExW(scratch_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        return module_;
    }
    HWND parent_ = nullptr;
    HWND bar_ = nullptr;
    HMODULE module_ = nullptr;
    std::wstring scratch_;
};

TEST_F(MenuBar, ProgramBarSitsAtTheBottomWithItsTwoButtons) {
    ASSERT_TRUE(Create(GetModuleHandleW(nullptr), IDR_MAINMENU));
    ASSERT_TRUE(bar_);
    RECT r;
    GetWindowRect(bar_, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, 240);
    EXPECT_EQ(r.top, 320 - kMenuBarHeight);
    EXPECT_EQ(r.bottom, 320);
    EXPECT_TRUE(IsWindowVisible(bar_));
    EXPECT_EQ(GetWindow(bar_, GW_OWNER), parent_);
    EXPECT_FALSE(GetWindowLongPtrW(bar_, GWL_STYLE) & WS_CHILD);

    HWND tools = MenuBarButton(bar_, IDM_TOOLS_BUTTON);
    HWND config = MenuBarButton(bar_, IDM_CONFIG_BUTTON);
    ASSERT_TRUE(tools);
    ASSERT_TRUE(config);
    EXPECT_EQ(Text(tools), L"Tools");
    EXPECT_EQ(Text(config), L"Configuration");
    RECT t, c;
    GetWindowRect(tools, &t);
    GetWindowRect(config, &c);
    EXPECT_EQ(t.left, 0);
    EXPECT_EQ(c.left, t.right);   // left to right, no gap
    EXPECT_GT(c.right - c.left, t.right - t.left);   // widths follow the text
    EXPECT_EQ(MenuBarButton(bar_, 9999), nullptr);
}

TEST_F(MenuBar, SubMenusFollowTheButtonsAndDieWithTheBar) {
    ASSERT_TRUE(Create(GetModuleHandleW(nullptr), IDR_MAINMENU));
    auto config = reinterpret_cast<HMENU>(SendMessageW(bar_, SHCMBM_GETSUBMENU, 0, IDM_CONFIG_BUTTON));
    ASSERT_TRUE(config);
    EXPECT_EQ(GetMenuItemCount(config), 1);
    EXPECT_EQ(GetMenuItemID(config, 0), static_cast<UINT>(IDM_PLACEHOLDER));
    EXPECT_EQ(ItemText(config, 0), L"???");

    auto tools = reinterpret_cast<HMENU>(SendMessageW(bar_, SHCMBM_GETSUBMENU, 0, IDM_TOOLS_BUTTON));
    ASSERT_TRUE(tools);
    EXPECT_EQ(GetMenuItemID(tools, 0), static_cast<UINT>(IDM_ABOUT));
    EXPECT_EQ(GetMenuItemID(tools, GetMenuItemCount(tools) - 1), static_cast<UINT>(IDM_APPLY));
    EXPECT_EQ(SendMessageW(bar_, SHCMBM_GETSUBMENU, 0, 12345), 0);

    DestroyWindow(bar_);
    EXPECT_FALSE(IsMenu(config));
    EXPECT_FALSE(IsMenu(tools));
}

TEST_F(MenuBar, PressingAButtonOpensItsMenuAndOnlyTheChoiceReachesTheParent) {
    ASSERT_TRUE(Create(GetModuleHandleW(nullptr), IDR_MAINMENU));
    SetActiveWindow(parent_);
    SetTimer(nullptr, 0, 50, PickFirstItem);
    SendMessageW(MenuBarButton(bar_, IDM_CONFIG_BUTTON), BM_CLICK, 0, 0);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(LOWORD(commands[0]), IDM_PLACEHOLDER);
    EXPECT_EQ(GetActiveWindow(), parent_) << "the bar gives the activation back";

    commands.clear();
    SetTimer(nullptr, 0, 50, PickFirstItem);
    SendMessageW(MenuBarButton(bar_, IDM_TOOLS_BUTTON), BM_CLICK, 0, 0);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(LOWORD(commands[0]), IDM_ABOUT);
}

TEST_F(MenuBar, MissingOrShortRecordsFailWithoutABar) {
    EXPECT_FALSE(Create(GetModuleHandleW(nullptr), 9999));
    EXPECT_EQ(bar_, nullptr);

    std::vector<WORD> oneButton = {7, 1, 0xFFFE, 600, 4, 0, 0, 0, 0xFFFF};
    std::vector<WORD> countTooHigh = {7, 2, 0xFFFE, 600, 4, 0, 0, 0, 0xFFFF};
    std::vector<WORD> truncated = {7, 1, 0xFFFE, 600, 4};
    std::vector<WORD> headerOnly = {7};
    HINSTANCE inst = Module({{1, countTooHigh}, {2, truncated}, {3, headerOnly}, {4, oneButton}});
    ASSERT_TRUE(inst);
    for (UINT id : {1u, 2u, 3u}) {
        EXPECT_FALSE(Create(inst, id)) << id;
        EXPECT_EQ(bar_, nullptr);
    }
    EXPECT_FALSE(Create(inst, 4)) << "the record is whole, but menu 7 is missing";
    EXPECT_EQ(bar_, nullptr);
}

}  // namespace
