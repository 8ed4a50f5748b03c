#include <string>

#include "config/store.h"
#include "framework/registry.h"
#include "framework/settings_page.h"
#include "pages/page_factory.h"
#include "platform/pocketpc.h"
#include "resources/resource.h"
#include "shell/app.h"
#include "shell/main_window.h"

SettingsPage* pageList[kMaxPages] = {};
HPROPSHEETPAGE pageHandles[kMaxPages] = {};
int pageCount = 0;
HWND propertySheet = nullptr;
HWND titleControl = nullptr;
int scale = 1;
bool isVersion421 = false;

namespace {
struct PageKind {
    SettingsPage* (*create)(HINSTANCE);
    WORD landscapeDialogId;
};
// List order: also the order of the tabs and of every walk over the pages.
constexpr PageKind kPageKinds[kMaxPages] = {
    {CreateAppearancePage, IDD_APPEARANCE_LAND},
    {CreateSizePage, IDD_SIZE_LAND},
    {CreateSipPage, IDD_SIP_LAND},
    {CreateFontsPage, IDD_FONTS_LAND},
    {CreateMiscPage, IDD_MISC_LAND},
    {CreateThemePage, IDD_THEME_LAND},
};

constexpr DWORD kSheetFlags = PSH_NOAPPLYNOW | PSH_USECALLBACK | PSH_HASHELP | PSH_MODELESS | PSH_MAXIMIZE;

void ReadScreen() {
    scale = DeviceDpi() / 96;
    if (scale < 1) scale = 1;

    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    isVersion421 = GetVersionExW(&version) && version.dwMajorVersion == 4 && version.dwMinorVersion >= 21;
#pragma GCC diagnostic pop
}
}  // namespace

int CALLBACK SheetCallback(HWND wnd, UINT message, LPARAM lParam) {
    switch (message) {
    case PSCB_INITIALIZED: {
        propertySheet = wnd;
        SHINITDLGINFO info = {SHIDIM_FLAGS, wnd, SHIDIF_SIZEDLGFULLSCREEN};
        SHInitDialog(&info);
        SHDoneButton(wnd, SHDB_HIDE);
        return 0;
    }
    case PSCB_GETVERSION:
        return COMCTL32_VERSION_PPC;
    case PSCB_GETTITLE:
        if (lParam) FormatTitle(reinterpret_cast<wchar_t*>(lParam), kNameChars);
        return 0;
    }
    return 0;
}

void CreatePropertySheetHost(HWND owner) {
    ReadScreen();
    pageCount = 0;
    for (int i = 0; i < kMaxPages; ++i) {
        pageList[i] = nullptr;
        pageHandles[i] = nullptr;
    }
    for (const PageKind& kind : kPageKinds) {
        SettingsPage* page = kind.create(instanceHandle);
        page->landscapeDialogId = kind.landscapeDialogId;
        pageList[pageCount] = page;
        pageHandles[pageCount] = page->pageHandle;
        ++pageCount;
    }

    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = kSheetFlags;
    header.hwndParent = owner;
    header.hInstance = instanceHandle;
    header.nPages = pageCount;
    header.nStartPage = 0;
    header.phpage = pageHandles;
    header.pfnCallback = SheetCallback;

    lstrcpynW(activeConfigName, LoadResString(IDS_CURRENT), kNameChars);
    wchar_t applied[kNameChars] = {};
    if (ReadCurrName(applied, sizeof(applied))) lstrcpynW(activeConfigName, applied, kNameChars);

    PpcPropertySheet(&header);

    // First run: keep the device's own settings as "Original" and start editing "Current".
    // Every page takes part, so that "Original" really holds all of them.
    if (!KeyExists(LoadResString(IDS_PROGRAM_KEY), LoadResString(IDS_ORIGINAL))) {
        SaveConfigurationPages(pageList, pageCount, LoadResString(IDS_ORIGINAL));
        SaveConfigurationPages(pageList, pageCount, LoadResString(IDS_CURRENT));
        lstrcpynW(activeConfigName, LoadResString(IDS_CURRENT), kNameChars);
        WriteCurrName(activeConfigName);
    }

    RelayoutPages();
    RebuildConfigMenu(configMenu, nullptr);
    RefreshTitle();
}

void DestroyPropertySheetHost() {
    if (propertySheet && IsWindow(propertySheet)) DestroyWindow(propertySheet);
    propertySheet = nullptr;
    titleControl = nullptr;
    for (int i = 0; i < kMaxPages; ++i) {
        delete pageList[i];
        pageList[i] = nullptr;
        pageHandles[i] = nullptr;
    }
    pageCount = 0;
    isLandscape = false;
}

void DestroyMainWindowForTests() {
    if (mainWindow && IsWindow(mainWindow)) DestroyWindow(mainWindow);
    mainWindow = nullptr;
    DestroyPropertySheetHost();
    changeCount = resetCount = fontFileChangeCount = 0;
    activeConfigName[0] = L'\0';
    // Drain the quit message the destroyed window posted.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}
