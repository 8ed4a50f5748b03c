#include "support/app_fixture.h"

#include "config/store.h"
#include "framework/registry.h"
#include "framework/settings_page.h"
#include "platform/pocketpc.h"
#include "shell/app.h"
#include "shell/main_window.h"

void ClearProgramKeys() {
    DeleteKeyTree(HKEY_LOCAL_MACHINE, L"Orvanel");
    DeleteKeyTree(HKEY_LOCAL_MACHINE, L"Orvanel2");
}

std::wstring WriteStoreFile(const wchar_t* path, const char* content) {
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, content, static_cast<DWORD>(strlen(content)), &written, nullptr);
        CloseHandle(file);
    }
    return path;
}

bool FileExists(const wchar_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

void AppTest::SetUp() {
    instanceHandle = GetModuleHandleW(nullptr);
    SetDeviceScreenForTests(240, 320, 96);
    ClearProgramKeys();
    quitRunningInstance = false;
}

void AppTest::TearDown() {
    DestroyMainWindowForTests();
    ClearProgramKeys();
}

void AppTest::StartProgram() {
    ASSERT_TRUE(CreateMainWindow(SW_SHOW));
    ASSERT_NE(propertySheet, nullptr);
    ASSERT_EQ(pageCount, 6);
}

HWND AppTest::PageWindow(int index) const {
    return index < pageCount && pageList[index] ? pageList[index]->hwnd : nullptr;
}

std::wstring AppTest::TitleText() const {
    if (!titleControl) return L"<no title control>";
    wchar_t text[300] = {};
    GetWindowTextW(titleControl, text, 300);
    return text;
}

std::wstring AppTest::MenuItems() const {
    std::wstring items;
    int count = GetMenuItemCount(configMenu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[300] = {};
        GetMenuStringW(configMenu, i, text, 300, MF_BYPOSITION);
        if (!items.empty()) items += L"|";
        if (GetMenuState(configMenu, i, MF_BYPOSITION) & MF_CHECKED) items += L"*";
        items += text;
    }
    return items;
}
