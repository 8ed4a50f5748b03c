// first_screen: the yardstick for Orvanel's start-up. The same windows as Orvanel's first screen,
// made the same way, and none of its work: the main window of the device's default placement,
// the device's menu bar from the program's own menu bar record (through the platform layer, as
// Orvanel makes it), and the full-screen modeless sheet of the six pages from their real
// templates, the start page's (the GUI page: its lists, buttons and preview area) made with the
// sheet and every other page's when it is first shown. No registry value or file is read, no
// list is filled, nothing is drawn but what the windows draw themselves.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <vector>

#include "pages/page_registry.h"
#include "platform/pocketpc.h"
#include "resources/resource.h"

namespace {

constexpr wchar_t kClassName[] = L"ORVANEL_FIRST_SCREEN";
constexpr DWORD kSheetFlags = PSH_NOAPPLYNOW | PSH_USECALLBACK | PSH_HASHELP | PSH_MODELESS | PSH_MAXIMIZE;

HWND menuBar = nullptr;
HWND sheet = nullptr;

int CALLBACK SheetCallback(HWND wnd, UINT message, LPARAM lParam) {
    switch (message) {
    case PSCB_INITIALIZED: {
        sheet = wnd;
        SHINITDLGINFO info = {SHIDIM_FLAGS, wnd, SHIDIF_SIZEDLGFULLSCREEN};
        SHInitDialog(&info);
        SHDoneButton(wnd, SHDB_HIDE);
        return 0;
    }
    case PSCB_GETVERSION:
        return COMCTL32_VERSION_PPC;
    case PSCB_GETTITLE:
        if (lParam) lstrcpynW(reinterpret_cast<wchar_t*>(lParam), L"Configuration: \"Current\"", 64);
        return 0;
    }
    return 0;
}

INT_PTR CALLBACK PageProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG) return FALSE;
    SHINITDLGINFO info = {SHIDIM_FLAGS, dialog, SHIDIF_SIZEDLG};
    SHInitDialog(&info);
    return TRUE;
}

void CreateSheet(HWND owner, HINSTANCE instance) {
    std::vector<HPROPSHEETPAGE> pages;
    for (const PageInfo& info : RegisteredPages()) {
        PROPSHEETPAGEW page = {};
        page.dwSize = sizeof(page);
        page.dwFlags = PSP_USETITLE;
        page.hInstance = instance;
        page.pszTemplate = MAKEINTRESOURCEW(info.portraitDialogId);
        page.pszTitle = info.caption;
        page.pfnDlgProc = PageProc;
        if (HPROPSHEETPAGE handle = CreatePropertySheetPageW(&page)) pages.push_back(handle);
    }
    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = kSheetFlags;
    header.hwndParent = owner;
    header.hInstance = instance;
    header.nPages = static_cast<UINT>(pages.size());
    header.phpage = pages.data();
    header.pfnCallback = SheetCallback;
    PpcPropertySheet(&header);
}

LRESULT CALLBACK WindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SHMENUBARINFO info = {};
        info.cbSize = 36;
        info.hwndParent = wnd;
        info.nToolBarId = IDR_MAINMENU;
        info.hInstRes = create->hInstance;
        if (SHCreateMenuBar(&info)) {
            menuBar = info.hwndMB;
            CreateSheet(wnd, create->hInstance);
        }
        SetFocus(wnd);
        return 0;
    }
    case WM_DESTROY:
        if (menuBar) DestroyWindow(menuBar);
        menuBar = nullptr;
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(wnd, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    WNDCLASSW wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_ORVANEL));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kClassName;
    RegisterClassW(&wc);
    RECT place = DeviceDefaultWindowRect();
    HWND wnd = CreateWindowExW(0, kClassName, L"First screen", WS_POPUP | WS_VISIBLE, place.left, place.top,
                               place.right - place.left, place.bottom - place.top, nullptr, nullptr, instance,
                               nullptr);
    if (!wnd) return 1;
    if (menuBar) {
        RECT r, bar;
        GetWindowRect(wnd, &r);
        GetWindowRect(menuBar, &bar);
        MoveWindow(wnd, r.left, r.top, r.right - r.left, r.bottom - r.top - (bar.bottom - bar.top), FALSE);
    }
    ShowWindow(wnd, showCommand);
    UpdateWindow(wnd);
    if (sheet) SetWindowPos(sheet, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
