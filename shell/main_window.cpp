#include "shell/main_window.h"

#include "config/apply.h"
#include "config/config_file.h"
#include "config/store.h"
#include "framework/settings_page.h"
#include "platform/pocketpc.h"
#include "resources/resource.h"
#include "shell/app.h"

namespace {
SHACTIVATEINFO shellActivateInfo = {};
constexpr WPARAM kScreenLayoutReset = 0x3002;

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        SHINITDLGINFO info = {SHIDIM_FLAGS, dialog, SHIDIF_SIPDOWN};
        SHInitDialog(&info);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            EndDialog(dialog, 1);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

// Creates the menu bar from its record and, when that works, the sheet and the pages.
HWND CreateMenuBarAndSheet(HWND wnd) {
    SHMENUBARINFO info = {};
    info.cbSize = 36;
    info.hwndParent = wnd;
    info.nToolBarId = IDR_MAINMENU;
    info.hInstRes = instanceHandle;
    if (!SHCreateMenuBar(&info)) return nullptr;
    menuBar = info.hwndMB;
    configMenu = reinterpret_cast<HMENU>(SendMessageW(info.hwndMB, SHCMBM_GETSUBMENU, 0, IDM_CONFIG_BUTTON));
    CreatePropertySheetHost(wnd);
    return info.hwndMB;
}

void Paint(HWND wnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(wnd, &ps);
    RECT client;
    GetClientRect(wnd, &client);
    wchar_t text[100] = {};
    LoadStringW(instanceHandle, IDS_HELLO, text, 100);
    DrawTextW(dc, text, -1, &client, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    EndPaint(wnd, &ps);
}
}  // namespace

bool HandleCommand(HWND wnd, UINT id) {
    if (id >= IDM_CONFIG_FIRST && id <= IDM_CONFIG_LAST) {
        // A slot the menu does not list holds no name: there is nothing to switch to.
        const wchar_t* name = configNameTable[id - IDM_CONFIG_FIRST];
        if (name[0]) LoadConfig(pageList, pageCount, name);
        return true;
    }
    switch (id) {
    case IDOK:   // command 1, Ctrl+Q: deactivate, then close
        SendMessageW(wnd, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(wnd));
        SendMessageW(wnd, WM_CLOSE, 0, 0);
        return true;
    case IDM_ABOUT:
        DialogBoxParamW(instanceHandle, MAKEINTRESOURCEW(IDD_ABOUT), wnd, AboutProc, 0);
        return true;
    case IDM_SAVE:
        SaveConfig(pageList, pageCount, activeConfigName);
        return true;
    case IDM_MARK_APPLIED:
        WriteCurrName(activeConfigName);
        RebuildConfigMenu(configMenu, nullptr);
        return true;
    case IDM_SAVE_AS:
        SaveConfig(pageList, pageCount, nullptr);
        return true;
    case IDM_APPLY:
        ApplyConfig(pageList, pageCount, activeConfigName);
        return true;
    case IDM_DELETE:
        DeleteActiveConfig(wnd);
        return true;
    case IDM_RENAME:
        RenameConfig(pageList, pageCount, activeConfigName);
        return true;
    case IDM_EXPORT:
        ExportConfig(pageList, pageCount);
        return true;
    case IDM_IMPORT:
        ImportConfig(pageList, pageCount);
        return true;
    }
    return false;
}

LRESULT CALLBACK MainWindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        mainWindow = wnd;
        menuBar = CreateMenuBarAndSheet(wnd);
        SetFocus(wnd);
        return 0;
    case WM_DESTROY:
        if (menuBar) DestroyWindow(menuBar);
        menuBar = nullptr;
        PostQuitMessage(0);
        return 0;
    case WM_PAINT:
        Paint(wnd);
        return 0;
    case WM_SETTINGCHANGE:
        SHHandleWMSettingChange(wnd, wParam, lParam, &shellActivateInfo);
        if (wParam == kScreenLayoutReset) RelayoutPages();
        return 0;
    case WM_COMMAND:
        if (HandleCommand(wnd, LOWORD(wParam))) return 0;
        break;
    }
    return DefWindowProcW(wnd, message, wParam, lParam);
}

bool CreateMainWindow(int showCommand) {
    wchar_t className[100] = {}, title[100] = {};
    LoadStringW(instanceHandle, IDS_CLASS_NAME, className, 100);
    LoadStringW(instanceHandle, IDS_APP_TITLE, title, 100);

    DeleteLeftoverFiles();

    if (HWND running = FindWindowW(className, title)) {
        SetForegroundWindow(reinterpret_cast<HWND>(reinterpret_cast<ULONG_PTR>(running) | 1));
        if (quitRunningInstance) SendMessageW(running, WM_DESTROY, 0, 0);
        return false;
    }
    if (quitRunningInstance) return false;

    WNDCLASSW wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instanceHandle;
    wc.hIcon = LoadIconW(instanceHandle, MAKEINTRESOURCEW(IDI_ORVANEL));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = className;
    RegisterClassW(&wc);

    // A window of default placement fills the screen below the navigation bar on the device,
    // and a visible-only top-level window there has neither caption nor border.
    constexpr DWORD kDeviceTopLevelStyle = WS_POPUP | WS_VISIBLE;
    RECT place = DeviceDefaultWindowRect();
    HWND wnd = CreateWindowExW(0, className, title, kDeviceTopLevelStyle, place.left, place.top,
                               place.right - place.left, place.bottom - place.top,
                               nullptr, nullptr, instanceHandle, nullptr);
    if (!wnd) return false;
    mainWindow = wnd;
    if (menuBar) {
        RECT r;
        GetWindowRect(wnd, &r);
        MoveWindow(wnd, r.left, r.top, r.right - r.left, r.bottom - r.top - kMenuBarHeight, FALSE);
    }
    ShowWindow(wnd, showCommand);
    UpdateWindow(wnd);
    // The sheet covers the main window's client area; it was created before the window was shown.
    if (propertySheet) SetWindowPos(propertySheet, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return true;
}
