#include "support/app_fixture.h"

#include "base/handles.h"
#include "framework/settings_page.h"
#include "platform/pocketpc.h"
#include "store/registry.h"

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

namespace {
std::wstring answeredPath;
BOOL WINAPI AnswerWithPath(OPENFILENAMEW* ofn) {
    if (answeredPath.empty()) return FALSE;
    lstrcpynW(ofn->lpstrFile, answeredPath.c_str(), ofn->nMaxFile);
    return TRUE;
}
}  // namespace

void AnswerFileDialogs(Session& session, const std::wstring& path) {
    answeredPath = path;
    session.saveFileDialog = session.openFileDialog = AnswerWithPath;
}

std::vector<BYTE> FileBytes(const std::wstring& path) {
    std::vector<BYTE> bytes;
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return bytes;
    bytes.resize(GetFileSize(file.get(), nullptr));
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) read = 0;
    bytes.resize(read);
    return bytes;
}

void AppTest::SetUp() {
    SetDeviceScreenForTests(240, 320, 96);
    ClearProgramKeys();
}

void AppTest::TearDown() {
    StopProgram();
    ClearProgramKeys();
}

void AppTest::StartProgram() {
    program_ = std::make_unique<Program>(GetModuleHandleW(nullptr));
    ASSERT_TRUE(program_->CreateMainWindow(SW_SHOW));
    ASSERT_NE(session().sheet, nullptr);
    ASSERT_EQ(session().pages.size(), 6u);
}

void AppTest::StopProgram() {
    program_.reset();
    // Whatever the destroyed windows left in the queue.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

HWND AppTest::PageWindow(size_t index) {
    if (!program_ || index >= session().pages.size() || !session().pages[index]) return nullptr;
    SettingsPage* page = session().pages[index];
    HWND sheet = session().sheet;
    if (!page->hwnd && sheet) {
        // A page's dialog is made when the page is first shown: show it, then the one that was.
        const int current = PropSheet_HwndToIndex(sheet, PropSheet_GetCurrentPageHwnd(sheet));
        PropSheet_SetCurSel(sheet, nullptr, index);
        if (current >= 0) PropSheet_SetCurSel(sheet, nullptr, current);
    }
    return page->hwnd;
}

std::wstring AppTest::TitleText() {
    if (!session().titleControl) return L"<no title control>";
    wchar_t text[300] = {};
    GetWindowTextW(session().titleControl, text, 300);
    return text;
}

std::wstring AppTest::MenuItems() {
    std::wstring items;
    HMENU menu = session().configMenu;
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[300] = {};
        GetMenuStringW(menu, i, text, 300, MF_BYPOSITION);
        if (!items.empty()) items += L"|";
        if (GetMenuState(menu, i, MF_BYPOSITION) & MF_CHECKED) items += L"*";
        items += text;
    }
    return items;
}
