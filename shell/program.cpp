#include "shell/program.h"

#include <string>

#include "base/handles.h"
#include "base/strings.h"
#include "config/apply.h"
#include "shell/compare_view.h"
#include "config/config_file.h"
#include "config/configurations.h"
#include "pages/page_registry.h"
#include "shell/command_line.h"
#include "platform/pocketpc.h"
#include "resources/resource.h"
#include "store/registry.h"

namespace {
constexpr DWORD kSheetFlags = PSH_NOAPPLYNOW | PSH_USECALLBACK | PSH_HASHELP | PSH_MODELESS | PSH_MAXIMIZE;

// The sheet callback has no context of its own: while a program creates its sheet, this is the
// session the sheet belongs to. The sheet calls back only from inside its creation.
Session* sheetSession = nullptr;

int CALLBACK SheetCallback(HWND wnd, UINT message, LPARAM lParam) {
    switch (message) {
    case PSCB_INITIALIZED: {
        if (sheetSession) sheetSession->sheet = wnd;
        SHINITDLGINFO info = {SHIDIM_FLAGS, wnd, SHIDIF_SIZEDLGFULLSCREEN};
        SHInitDialog(&info);
        SHDoneButton(wnd, SHDB_HIDE);
        return 0;
    }
    case PSCB_GETVERSION:
        return COMCTL32_VERSION_PPC;
    case PSCB_GETTITLE:
        if (lParam && sheetSession) FormatTitle(*sheetSession, reinterpret_cast<wchar_t*>(lParam), kNameChars);
        return 0;
    }
    return 0;
}

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

void Paint(HWND wnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(wnd, &ps);
    RECT client;
    GetClientRect(wnd, &client);
    DrawTextW(dc, LoadResString(IDS_HELLO), -1, &client, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    EndPaint(wnd, &ps);
}

int ScreenScale() {
    int scale = DeviceDpi() / 96;
    return scale < 1 ? 1 : scale;
}

bool PlatformIs421() {
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return GetVersionExW(&version) && version.dwMajorVersion == 4 && version.dwMinorVersion >= 21;
#pragma GCC diagnostic pop
}
}  // namespace

void DeleteLeftoverFiles() {
    WIN32_FIND_DATAW found;
    FindHandle find(FindFirstFileW(L"\\Windows\\delme_*.*", &found));
    if (!find) return;
    do {
        std::wstring path = std::wstring(L"\\Windows\\") + found.cFileName;
        DeleteFileW(path.c_str());
    } while (FindNextFileW(find.get(), &found));
}

void AddRegisteredPages(Session& session) {
    for (const PageInfo& info : RegisteredPages()) {
        SettingsPage* page = session.AddPage(info.create(session));
        page->landscapeDialogId = info.landscapeDialogId;
        // The page's name where it has no tab to show it (the command line's Compare).
        if (!page->title[0]) lstrcpynW(page->title, info.caption, 64);
    }
}

Program::Program(HINSTANCE instance) : instance_(instance) {}

Program::~Program() {
    // The sheet and its page windows go before the pages they call into.
    if (session_.sheet && IsWindow(session_.sheet)) DestroyWindow(session_.sheet);
    session_.sheet = nullptr;
    session_.titleControl = nullptr;
    if (mainWindow_ && IsWindow(mainWindow_)) {
        SetWindowLongPtrW(mainWindow_, GWLP_USERDATA, 0);
        DestroyWindow(mainWindow_);
        // The window's quit message belongs to this program's loop, which has ended.
        MSG msg;
        PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
    if (menuBar_ && IsWindow(menuBar_)) DestroyWindow(menuBar_);
}

// After installation: offer to take back the data a previous removal kept.
void Program::InstallHook() {
    std::wstring backup = LoadResString(IDS_BACKUP_KEY);
    if (!KeyExists(backup.c_str(), nullptr)) return;
    if (MessageBoxW(nullptr, LoadResString(IDS_IMPORT_PREVIOUS), LoadResString(IDS_INFORMATION),
                    MB_YESNO | MB_TOPMOST) == IDYES)
        CopyKeyTree(backup.c_str(), LoadResString(IDS_PROGRAM_KEY), HKEY_LOCAL_MACHINE);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, backup.c_str());
}

// Before removal: keep the configurations under the backup key unless the user wants them gone.
void Program::RemovalHook() {
    std::wstring program = LoadResString(IDS_PROGRAM_KEY);
    if (MessageBoxW(nullptr, LoadResString(IDS_DELETE_DATA), LoadResString(IDS_CONFIRM), MB_YESNO | MB_TOPMOST) !=
        IDYES)
        CopyKeyTree(program.c_str(), LoadResString(IDS_BACKUP_KEY), HKEY_LOCAL_MACHINE);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, program.c_str());
    quitRunningInstance_ = true;
}

int Program::RunMessageLoop(MessageSource getMessage) {
    HACCEL accelerators = LoadAcceleratorsW(instance_, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    MSG msg = {};
    BOOL got;
    while ((got = getMessage(&msg, nullptr, 0, 0)) > 0) {
        if (!TranslateAcceleratorW(msg.hwnd, accelerators, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    // A loop that could not get its messages ends as a failed program does.
    return got == 0 ? static_cast<int>(msg.wParam) : -1;
}

int Program::Main(const wchar_t* commandLine, int showCommand) {
    const wchar_t* line = commandLine ? commandLine : L"";
    // A command ("/list", "/apply NAME"...) runs without a window and ends the program.
    if (IsCommandRequest(line)) return RunCommandLine(session_, line);
    if (wcsstr(line, L"first")) {
        InstallHook();
        return 0;
    }
    if (wcsstr(line, L"last")) RemovalHook();
    if (!CreateMainWindow(showCommand)) return 0;
    return RunMessageLoop();
}

bool Program::HandleCommand(UINT id) {
    Session& s = session_;
    if (id >= IDM_CONFIG_FIRST && id <= IDM_CONFIG_LAST) {
        // A slot the menu does not list holds no name: there is nothing to switch to.
        std::wstring name = s.configNameTable[id - IDM_CONFIG_FIRST].data();
        if (!name.empty()) LoadConfig(s, name.c_str());
        return true;
    }
    switch (id) {
    case IDOK:   // command 1, Ctrl+Q: deactivate, then close
        SendMessageW(mainWindow_, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(mainWindow_));
        SendMessageW(mainWindow_, WM_CLOSE, 0, 0);
        return true;
    case IDM_ABOUT:
        DialogBoxParamW(instance_, MAKEINTRESOURCEW(IDD_ABOUT), mainWindow_, AboutProc, 0);
        return true;
    case IDM_SAVE:
        SaveConfig(s, std::wstring(s.activeConfigName).c_str());
        return true;
    case IDM_MARK_APPLIED:
        WriteCurrName(s.activeConfigName);
        RebuildConfigMenu(s, nullptr);
        return true;
    case IDM_SAVE_AS:
        SaveConfig(s, nullptr);
        return true;
    case IDM_APPLY:
        ApplyConfig(s, std::wstring(s.activeConfigName).c_str());
        return true;
    case IDM_DELETE:
        DeleteActiveConfig(s, mainWindow_);
        return true;
    case IDM_RENAME:
        RenameConfig(s, std::wstring(s.activeConfigName).c_str());
        return true;
    case IDM_EXPORT:
        ExportConfig(s);
        return true;
    case IDM_IMPORT:
        ImportConfig(s);
        return true;
    case IDM_COMPARE:
        CompareCommand(s);
        return true;
    case IDM_UNDO_APPLY:
        UndoApply(s);
        return true;
    }
    return false;
}

LRESULT CALLBACK Program::WindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* program = reinterpret_cast<Program*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
    if (!program) return DefWindowProcW(wnd, message, wParam, lParam);
    return program->OnMessage(wnd, message, wParam, lParam);
}

LRESULT Program::OnMessage(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        mainWindow_ = wnd;
        CreateMenuBarAndSheet(wnd);
        SetFocus(wnd);
        return 0;
    case WM_DESTROY:
        if (menuBar_) DestroyWindow(menuBar_);
        menuBar_ = nullptr;
        PostQuitMessage(0);
        return 0;
    case WM_PAINT:
        Paint(wnd);
        return 0;
    case WM_SETTINGCHANGE:
        SHHandleWMSettingChange(wnd, wParam, lParam, &shellActivateInfo_);
        if (wParam == SETTINGCHANGE_RESET) RelayoutPages();
        return 0;
    case WM_DISPLAYCHANGE:
        TranslateDisplayChange(wnd, lParam);
        return 0;
    case WM_COMMAND:
        if (HandleCommand(LOWORD(wParam))) return 0;
        break;
    }
    return DefWindowProcW(wnd, message, wParam, lParam);
}

// Creates the menu bar from its record and, when that works, the sheet and the pages.
bool Program::CreateMenuBarAndSheet(HWND wnd) {
    SHMENUBARINFO info = {};
    info.cbSize = 36;
    info.hwndParent = wnd;
    info.nToolBarId = IDR_MAINMENU;
    info.hInstRes = instance_;
    if (!SHCreateMenuBar(&info)) return false;
    menuBar_ = info.hwndMB;
    session_.configMenu =
        reinterpret_cast<HMENU>(SendMessageW(info.hwndMB, SHCMBM_GETSUBMENU, 0, IDM_CONFIG_BUTTON));
    session_.toolsMenu = reinterpret_cast<HMENU>(SendMessageW(info.hwndMB, SHCMBM_GETSUBMENU, 0, IDM_TOOLS_BUTTON));
    CreateSheet(wnd);
    return true;
}

void Program::CreateSheet(HWND owner) {
    Session& s = session_;
    s.scale = ScreenScale();
    s.isVersion421 = PlatformIs421();

    AddRegisteredPages(s);
    std::vector<HPROPSHEETPAGE> handles;
    for (SettingsPage* page : s.pages) handles.push_back(page->pageHandle);

    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = kSheetFlags;
    header.hwndParent = owner;
    header.hInstance = instance_;
    header.nPages = static_cast<UINT>(handles.size());
    header.nStartPage = 0;
    header.phpage = handles.data();
    header.pfnCallback = SheetCallback;

    CopyText(s.activeConfigName, kNameChars, LoadResString(IDS_CURRENT));
    wchar_t applied[kNameChars] = {};
    if (ReadCurrName(applied, sizeof(applied))) CopyText(s.activeConfigName, kNameChars, applied);

    // A page made after the start (first shown then) takes the screen's layout as it is.
    s.onPageDialogMade = [this](SettingsPage& page) {
        if (isLandscape_) RelayoutPage(instance_, &page, true);
    };
    sheetSession = &s;
    PpcPropertySheet(&header);
    sheetSession = nullptr;
    // The start page grabbed the live settings when its dialog was made; the others, whose
    // dialogs wait until they are first shown, take them now, in list order.
    if (s.sheet)
        for (SettingsPage* page : s.pages)
            if (page && !page->grabbed) GrabLiveSettings(*page);
    s.sheetComplete = s.sheet != nullptr;

    // First run, or "Original" deleted since: keep the device's own settings as "Original".
    // Every page takes part, so that "Original" really holds all of them. "Current" is captured
    // only when it does not exist, and becomes the applied configuration only when none is.
    const wchar_t* original = LoadResString(IDS_ORIGINAL);
    const wchar_t* current = LoadResString(IDS_CURRENT);
    if (!KeyExists(LoadResString(IDS_PROGRAM_KEY), original)) {
        SaveConfigurationPages(s, original);
        if (!KeyExists(LoadResString(IDS_PROGRAM_KEY), current)) SaveConfigurationPages(s, current);
        if (!ReadCurrName(applied, sizeof(applied))) {
            CopyText(s.activeConfigName, kNameChars, current);
            WriteCurrName(s.activeConfigName);
        }
    }

    RelayoutPages();
    RebuildConfigMenu(s, nullptr);
    s.RefreshTitle();
}

bool Program::CreateMainWindow(int showCommand) {
    const wchar_t* className = LoadResString(IDS_CLASS_NAME);
    const wchar_t* title = LoadResString(IDS_APP_TITLE);

    DeleteLeftoverFiles();

    if (HWND running = FindWindowW(className, title)) {
        SetForegroundWindow(running);
        if (quitRunningInstance_) SendMessageW(running, WM_DESTROY, 0, 0);
        return false;
    }
    if (quitRunningInstance_) return false;

    WNDCLASSW wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance_;
    wc.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(IDI_ORVANEL));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = className;
    RegisterClassW(&wc);

    // A window of default placement fills the screen below the navigation bar on the device,
    // and a visible-only top-level window there has neither caption nor border.
    constexpr DWORD kDeviceTopLevelStyle = WS_POPUP | WS_VISIBLE;
    RECT place = DeviceDefaultWindowRect();
    HWND wnd = CreateWindowExW(0, className, title, kDeviceTopLevelStyle, place.left, place.top,
                               place.right - place.left, place.bottom - place.top, nullptr, nullptr, instance_,
                               this);
    if (!wnd) return false;
    mainWindow_ = wnd;
    if (menuBar_) {
        // Room for the menu bar as high as it really is on this screen.
        RECT r, bar;
        GetWindowRect(wnd, &r);
        GetWindowRect(menuBar_, &bar);
        MoveWindow(wnd, r.left, r.top, r.right - r.left, r.bottom - r.top - (bar.bottom - bar.top), FALSE);
    }
    ShowWindow(wnd, showCommand);
    UpdateWindow(wnd);
    // The sheet covers the main window's client area; it was created before the window was shown.
    if (session_.sheet) SetWindowPos(session_.sheet, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return true;
}
