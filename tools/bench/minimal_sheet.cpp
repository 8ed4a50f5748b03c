// minimal_sheet: the yardstick for Orvanel's start-up. A modeless property sheet of six empty
// pages, built from one in-memory dialog template, and a message loop: nothing else. As in
// Orvanel's sheet, the start page's dialog is made with the sheet and every other page's when it
// is first shown, so both programs do the same window work before their first idle moment.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

namespace {

constexpr int kPages = 6;

// An empty child dialog: DLGTEMPLATE, then no menu, the default class and a short title.
struct alignas(4) PageTemplate {
    DLGTEMPLATE header;
    WORD menu;
    WORD windowClass;
    wchar_t title[6];
};

const PageTemplate kPage = {
    {WS_CHILD | WS_DISABLED | WS_CAPTION, 0, 0, 0, 0, 160, 120}, 0, 0, L"Page",
};

INT_PTR CALLBACK PageProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);

    PROPSHEETPAGEW pages[kPages] = {};
    for (PROPSHEETPAGEW& page : pages) {
        page.dwSize = sizeof(page);
        page.dwFlags = PSP_DLGINDIRECT;
        page.hInstance = instance;
        page.pResource = &kPage.header;
        page.pfnDlgProc = PageProc;
    }
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_MODELESS | PSH_NOAPPLYNOW;
    header.hInstance = instance;
    header.pszCaption = L"Minimal sheet";
    header.nPages = kPages;
    header.ppsp = pages;
    HWND sheet = reinterpret_cast<HWND>(PropertySheetW(&header));
    if (!sheet || sheet == reinterpret_cast<HWND>(-1)) return 1;

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (PropSheet_IsDialogMessage(sheet, &message)) {
            if (!PropSheet_GetCurrentPageHwnd(sheet)) break;   // closed (WM_CLOSE, Esc)
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
        if (!IsWindow(sheet)) break;
    }
    if (IsWindow(sheet)) DestroyWindow(sheet);
    return 0;
}
