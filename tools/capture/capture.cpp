// capture: starts Orvanel inside the emulated device's desktop and drives it from outside.
// While the program runs it also plays the device shell's navigation bar along the top of the
// screen: the title of the active program and a clock.
//
//   capture [options] -- PROGRAM [ARGUMENTS...]
//
//   --cwd DIR            current directory of the program (the device root, "O:\")
//   --answer CAPTION=ID  click button ID (1 OK, 6 Yes, 7 No) in every message box of the
//                        program whose caption is CAPTION; may be given several times
//   --shots DIR [NAME...] once the main window and its property sheet are up, select each page
//                        in turn and save the whole screen as DIR\NAME.bmp (one name per page,
//                        in page order), then close the program; the names end at the next
//                        option or at "--". Without names every page of the sheet is taken and
//                        named by its place and its tab's caption ("5-misc"), and then Tools >
//                        Export's and Import's file dialogs (7-export, 8-import), and the Theme
//                        page with \My Documents\Sea.tsk opened (10-theme-file). When the window
//                        does not come, DIR\failure.bmp shows the screen as it was
//   --turn-first         with --shots: turn the screen (as --turn below) once the program is
//                        up, and photograph the pages as the program laid them out at run time
//   --timeout SECONDS    how long to wait for the main window (default 20)
//   --exit-file FILE     write the program's exit code there, in decimal: a Unix exit status
//                        keeps only the low 8 bits, and the device needs all of 3010 (reset)
//
//   capture --turn
//
//   turns the screen of the desktop it runs in: width and height change places (the display
//   settings change), and every program in the desktop is told the new size as on a desktop
//   whose screen changes. Exit code 0 when the screen turned, 3 when the desktop refused the size
//   (Wine's virtual desktop offers no portrait size but the one it started with while it shows it).
//
//   capture --close
//
//   asks Orvanel's main window to close (WM_CLOSE), as Ctrl+Q does.
//
// Exit code: the program's own exit code; 200 and a message on stderr when capture itself
// fails (bad arguments, the program does not start, no window, a picture cannot be written);
// then the exit file holds nothing.
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

#include "resources/resource.h"

namespace {

constexpr int kCaptureFailed = 200;
constexpr int kTurnRefused = 3;
constexpr DWORD kCloseTimeoutMs = 15000;   // after the shots, how long the program may take to end

struct Answer {
    std::wstring caption;
    int button;
};

struct Options {
    std::wstring cwd;
    std::vector<Answer> answers;
    std::wstring shotDir;
    std::vector<std::wstring> shotNames;
    bool wantShots = false;
    DWORD timeoutMs = 20000;
    std::wstring exitFile;
    std::wstring commandLine;
    bool turn = false;
    bool close = false;
    bool turnFirst = false;
};

void Fail(const char* what, const std::wstring& detail = L"") {
    std::fprintf(stderr, "capture: %s", what);
    if (!detail.empty()) {
        std::string narrow;
        for (wchar_t c : detail) narrow += (c < 128) ? static_cast<char>(c) : '?';
        std::fprintf(stderr, ": %s", narrow.c_str());
    }
    std::fprintf(stderr, "\n");
    std::fflush(stderr);
}

// Quotes one argument the way CommandLineToArgvW reads it back.
std::wstring Quote(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') { ++backslashes; continue; }
        if (c == L'"') out.append(backslashes * 2 + 1, L'\\');
        else out.append(backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

bool ParseArguments(int argc, wchar_t** argv, Options& options) {
    int i = 1;
    for (; i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg == L"--") { ++i; break; }
        if (arg == L"--cwd" && i + 1 < argc) {
            options.cwd = argv[++i];
        } else if (arg == L"--answer" && i + 1 < argc) {
            std::wstring rule = argv[++i];
            size_t eq = rule.rfind(L'=');
            if (eq == std::wstring::npos) { Fail("--answer needs CAPTION=ID", rule); return false; }
            int button = _wtoi(rule.c_str() + eq + 1);
            if (button <= 0) { Fail("bad button id", rule); return false; }
            options.answers.push_back({rule.substr(0, eq), button});
        } else if (arg == L"--exit-file" && i + 1 < argc) {
            options.exitFile = argv[++i];
        } else if (arg == L"--timeout" && i + 1 < argc) {
            int seconds = _wtoi(argv[++i]);
            if (seconds <= 0) { Fail("bad timeout", argv[i]); return false; }
            options.timeoutMs = static_cast<DWORD>(seconds) * 1000;
        } else if (arg == L"--turn") {
            options.turn = true;
        } else if (arg == L"--close") {
            options.close = true;
        } else if (arg == L"--turn-first") {
            options.turnFirst = true;
        } else if (arg == L"--shots" && i + 1 < argc) {
            options.shotDir = argv[++i];
            while (i + 1 < argc && std::wcsncmp(argv[i + 1], L"--", 2) != 0) options.shotNames.push_back(argv[++i]);
            options.wantShots = true;
        } else {
            Fail("unknown option", arg);
            return false;
        }
    }
    if (i >= argc && (options.turn || options.close)) return true;
    if (i >= argc) { Fail("no program given (capture [options] -- PROGRAM [ARGS])"); return false; }
    for (int first = i; i < argc; ++i) {
        if (i > first) options.commandLine += L' ';
        options.commandLine += Quote(argv[i]);
    }
    return true;
}

// ---- Windows of the program ---------------------------------------------------------------

std::wstring ClassOf(HWND wnd) {
    wchar_t name[64] = {};
    GetClassNameW(wnd, name, 64);
    return name;
}

std::wstring TextOf(HWND wnd) {
    wchar_t text[256] = {};
    // A hung program must not hang capture: ask with a time limit.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(wnd, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &ignored);
    return text;
}

struct ProcessWindows {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialogs(HWND wnd, LPARAM param) {
    auto* search = reinterpret_cast<ProcessWindows*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (pid == search->pid && IsWindowVisible(wnd) && ClassOf(wnd) == L"#32770") search->found.push_back(wnd);
    return TRUE;
}

// Clicks the scripted button of every visible message box of the program whose caption has a
// rule. A box is answered once; the click is posted because the box's own loop does the work.
void AnswerBoxes(DWORD pid, const std::vector<Answer>& answers, std::vector<HWND>& answered) {
    if (answers.empty()) return;
    ProcessWindows search{pid, {}};
    EnumWindows(CollectDialogs, reinterpret_cast<LPARAM>(&search));
    for (HWND box : search.found) {
        bool seen = false;
        for (HWND done : answered) seen = seen || done == box;
        if (seen) continue;
        std::wstring caption = TextOf(box);
        for (const Answer& answer : answers) {
            if (caption != answer.caption) continue;
            HWND button = GetDlgItem(box, answer.button);
            if (!button) continue;   // not this kind of box (no such button): leave it alone
            std::fprintf(stdout, "capture: answered a box with button %d\n", answer.button);
            std::fflush(stdout);
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer.button, BN_CLICKED), reinterpret_cast<LPARAM>(button));
            answered.push_back(box);
            break;
        }
    }
    // Forget boxes that are gone, so that a reused handle is answered again.
    std::vector<HWND> alive;
    for (HWND box : answered) if (IsWindow(box)) alive.push_back(box);
    answered.swap(alive);
}

struct SheetSearch {
    HWND owner;
    HWND sheet;
};

BOOL CALLBACK FindOwnedSheet(HWND wnd, LPARAM param) {
    auto* search = reinterpret_cast<SheetSearch*>(param);
    if (GetWindow(wnd, GW_OWNER) == search->owner && ClassOf(wnd) == L"#32770" &&
        FindWindowExW(wnd, nullptr, WC_TABCONTROLW, nullptr)) {
        search->sheet = wnd;
        return FALSE;
    }
    return TRUE;
}

// The property sheet: a top-level dialog owned by the main window, or, failing that, a child
// dialog of it; either way the one that holds a tab control.
HWND FindSheet(HWND main) {
    SheetSearch search{main, nullptr};
    EnumWindows(FindOwnedSheet, reinterpret_cast<LPARAM>(&search));
    if (search.sheet) return search.sheet;
    for (HWND child = FindWindowExW(main, nullptr, L"#32770", nullptr); child;
         child = FindWindowExW(main, child, L"#32770", nullptr)) {
        if (FindWindowExW(child, nullptr, WC_TABCONTROLW, nullptr)) return child;
    }
    return nullptr;
}

// Waits until the program has handled everything sent to it so far, and then a little longer
// so that the paint messages that follow a page change have been handled too.
void LetItSettle(HWND wnd, DWORD pauseMs) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(wnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    // Meanwhile this thread's own windows (the navigation bar) go on painting.
    for (DWORD start = GetTickCount(); GetTickCount() - start < pauseMs;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, pauseMs - (GetTickCount() - start), QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    SendMessageTimeoutW(wnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
}

// ---- The navigation bar --------------------------------------------------------------------------

// The device shell's bar along the top of the screen: the start flag, the title of the window in
// front and the time, in white on the shell's blue. It never takes the activation.
constexpr wchar_t kNavBarClass[] = L"OrvanelNavigationBar";
constexpr UINT_PTR kClockTimer = 1;

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

struct NavBar {
    HWND wnd = nullptr;
    HFONT font = nullptr;
    std::wstring title = L"Start";
    std::wstring clock;
};
NavBar navBar;

std::wstring ClockText() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t text[16];
    _snwprintf(text, 16, L"%d:%02d", now.wHour % 12 == 0 ? 12 : now.wHour % 12, now.wMinute);
    text[15] = L'\0';
    return text;
}

// Places the bar over the top of the screen, as wide as the screen is now.
void PlaceNavBar() {
    if (!navBar.wnd) return;
    int height = 26 * ScreenDpi() / 96;
    SetWindowPos(navBar.wnd, HWND_TOPMOST, 0, 0, GetSystemMetrics(SM_CXSCREEN), height, SWP_NOACTIVATE);
}

// The title of the window in front: a dialog's caption, else the title of the program's main
// window (a captionless sheet or menu bar shows its owner's); kept while nothing is in front.
void RefreshNavBar() {
    HWND front = GetForegroundWindow();
    if (front && !(GetWindowLongPtrW(front, GWL_STYLE) & WS_CAPTION)) front = GetAncestor(front, GA_ROOTOWNER);
    std::wstring title = navBar.title;
    if (front && front != navBar.wnd) {
        wchar_t text[128] = {};
        DWORD_PTR ignored = 0;
        if (SendMessageTimeoutW(front, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 500,
                                &ignored) && text[0])
            title = text;
    }
    std::wstring clock = ClockText();
    if (title != navBar.title || clock != navBar.clock) {
        navBar.title = title;
        navBar.clock = clock;
        InvalidateRect(navBar.wnd, nullptr, FALSE);
    }
}

void PaintNavBar(HWND wnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(wnd, &ps);
    RECT r;
    GetClientRect(wnd, &r);
    int height = r.bottom;
    // The shell's blue, lighter at the top.
    for (int y = 0; y < height; ++y) {
        int t = y * 255 / (height > 1 ? height - 1 : 1);
        HBRUSH band = CreateSolidBrush(RGB(0x1C - t * 0x14 / 255, 0x5C - t * 0x30 / 255, 0xB4 - t * 0x50 / 255));
        RECT row{0, y, r.right, y + 1};
        FillRect(dc, &row, band);
        DeleteObject(band);
    }
    // The start flag: four coloured panes.
    int unit = height / 26 > 0 ? height / 26 : 1;
    int pane = 7 * unit, left = 5 * unit, top = (height - 2 * pane - unit) / 2;
    const COLORREF panes[4] = {RGB(0xF2, 0x50, 0x22), RGB(0x7F, 0xBA, 0x00), RGB(0x00, 0xA4, 0xEF), RGB(0xFF, 0xB9, 0x00)};
    for (int i = 0; i < 4; ++i) {
        HBRUSH brush = CreateSolidBrush(panes[i]);
        RECT box{left + (i % 2) * (pane + unit), top + (i / 2) * (pane + unit), 0, 0};
        box.right = box.left + pane;
        box.bottom = box.top + pane;
        FillRect(dc, &box, brush);
        DeleteObject(brush);
    }
    HGDIOBJ oldFont = SelectObject(dc, navBar.font ? navBar.font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
    RECT clock{0, 0, r.right - 6 * unit, height};
    DrawTextW(dc, navBar.clock.c_str(), -1, &clock, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SIZE clockSize{};
    GetTextExtentPoint32W(dc, navBar.clock.c_str(), static_cast<int>(navBar.clock.size()), &clockSize);
    RECT title{left + 2 * pane + 6 * unit, 0, clock.right - clockSize.cx - 6 * unit, height};
    DrawTextW(dc, navBar.title.c_str(), -1, &title, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, oldFont);
    EndPaint(wnd, &ps);
}

LRESULT CALLBACK NavBarProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        PaintNavBar(wnd);
        return 0;
    case WM_TIMER:
        RefreshNavBar();
        return 0;
    case WM_DISPLAYCHANGE:   // the screen turned
        PlaceNavBar();
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    }
    return DefWindowProcW(wnd, message, wParam, lParam);
}

void ShowNavBar() {
    WNDCLASSW wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;   // the clock moves with the right edge
    wc.lpfnWndProc = NavBarProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kNavBarClass;
    if (!RegisterClassW(&wc)) return;
    navBar.wnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kNavBarClass, L"", WS_POPUP,
                                 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
    if (!navBar.wnd) return;
    LOGFONTW font = {};
    font.lfHeight = -12 * ScreenDpi() / 96;
    font.lfWeight = FW_BOLD;
    wcscpy(font.lfFaceName, L"Tahoma");
    navBar.font = CreateFontIndirectW(&font);
    navBar.clock = ClockText();
    PlaceNavBar();
    ShowWindow(navBar.wnd, SW_SHOWNOACTIVATE);
    SetTimer(navBar.wnd, kClockTimer, 500, nullptr);
}

// Handles the bar's messages (and any other of this thread) until `process` ends or `ms` pass.
bool WaitForProcess(HANDLE process, DWORD ms) {
    DWORD until = GetTickCount() + ms;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        DWORD now = GetTickCount();
        DWORD left = static_cast<int>(until - now) > 0 ? until - now : 0;
        DWORD got = MsgWaitForMultipleObjects(1, &process, FALSE, left, QS_ALLINPUT);
        if (got == WAIT_OBJECT_0) return true;
        if (got == WAIT_TIMEOUT || got == WAIT_FAILED) return false;
    }
}

// ---- The screen -------------------------------------------------------------------------------

// Saves the whole screen (the device's desktop) as a 24-bit bottom-up BMP.
bool SaveScreen(const std::wstring& path) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    if (!screen) return false;
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (memory && bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY | CAPTUREBLT) != FALSE;
        GdiFlush();
        SelectObject(memory, old);
    }
    if (ok) {
        const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
        const DWORD imageSize = stride * static_cast<DWORD>(height);
        BITMAPFILEHEADER file = {};
        file.bfType = 0x4D42;   // "BM"
        file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
        file.bfSize = file.bfOffBits + imageSize;
        info.bmiHeader.biSizeImage = imageSize;
        HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0, total = 0;
        ok = out != INVALID_HANDLE_VALUE;
        if (ok) {
            ok = WriteFile(out, &file, sizeof file, &written, nullptr) && (total += written, true) &&
                 WriteFile(out, &info.bmiHeader, sizeof(BITMAPINFOHEADER), &written, nullptr) && (total += written, true) &&
                 WriteFile(out, bits, imageSize, &written, nullptr) && (total += written, true);
            CloseHandle(out);
            ok = ok && total == file.bfSize;
        }
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

// ---- The file dialogs ----------------------------------------------------------------------------

struct OwnedDialogSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindOwnedDialog(HWND wnd, LPARAM param) {
    auto* search = reinterpret_cast<OwnedDialogSearch*>(param);
    if (GetWindow(wnd, GW_OWNER) != search->owner || !IsWindowVisible(wnd) || ClassOf(wnd) != L"#32770") return TRUE;
    search->found = wnd;
    return FALSE;
}

// Waits (painting the navigation bar meanwhile) until a dialog owned by `owner` is shown, or
// until `wnd` is gone when given; the dialog found, or null.
HWND WaitForDialog(HWND owner, HWND gone = nullptr) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 5000;) {
        if (gone && !IsWindow(gone)) return nullptr;
        OwnedDialogSearch search{owner, nullptr};
        if (!gone) EnumWindows(FindOwnedDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    return nullptr;
}

// A window of this thread's process chain with this caption, waited for up to 5 seconds.
HWND WaitForCaption(const wchar_t* caption) {
    for (int i = 0; i < 100; ++i) {
        if (HWND found = FindWindowW(nullptr, caption)) return found;
        Sleep(50);
    }
    return nullptr;
}

// Photographs Tools > Export's dialog with a name typed in (7-export), saves that file, and
// photographs Tools > Import's dialog listing it (8-import); the file is removed again. A file of
// that name the device held already is left alone (the Export is cancelled instead).
bool ShootFileDialogs(HWND main, HWND sheet, const Options& options) {
    constexpr UINT kExport = 40008, kImport = 40009;
    std::wstring root = options.cwd.empty() ? L"\\" : options.cwd;
    if (root.back() != L'\\') root += L'\\';
    const std::wstring sample = root + L"My Documents\\Sample.ov";
    const bool ours = GetFileAttributesW(sample.c_str()) == INVALID_FILE_ATTRIBUTES;
    bool ok = true;
    for (UINT command : {kExport, kImport}) {
        PostMessageW(main, WM_COMMAND, command, 0);
        HWND dialog = WaitForDialog(sheet);
        if (!dialog) {
            Fail(command == kExport ? "the Export dialog did not come" : "the Import dialog did not come");
            return false;
        }
        if (command == kExport) SendMessageW(GetDlgItem(dialog, IDC_FILE_NAME), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Sample"));
        LetItSettle(dialog, 700);
        const std::wstring path = options.shotDir + (command == kExport ? L"\\7-export.bmp" : L"\\8-import.bmp");
        if (!SaveScreen(path)) {
            Fail("cannot write", path);
            ok = false;
        }
        PostMessageW(dialog, WM_COMMAND, command == kExport && ours ? IDOK : IDCANCEL, 0);
        WaitForDialog(sheet, dialog);
        LetItSettle(sheet, 200);
    }
    if (ours) DeleteFileW(sample.c_str());
    return ok;
}

// Tools > Compare... with the device, after an edit on the Size page (caption height 30) and two
// on the Misc page, as a user makes them; the list is photographed as "9-compare". The edits stay
// in the program, which is closed without saving.
bool TakeCompareShot(HWND main, HWND sheet, const Options& options) {
    constexpr int kCompareCommand = 40020, kSizePage = 1, kMiscPage = 4;
    constexpr int kSizeValue = 1032, kMiscWindowAnimation = 1034, kMiscBrowserSize = 1032;
    DWORD_PTR done = 0;
    SendMessageTimeoutW(sheet, PSM_SETCURSEL, kSizePage, 0, SMTO_ABORTIFHUNG, 5000, &done);
    HWND page = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    SetDlgItemTextW(page, kSizeValue, L"30");
    SendMessageTimeoutW(sheet, PSM_SETCURSEL, kMiscPage, 0, SMTO_ABORTIFHUNG, 5000, &done);
    page = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    SendDlgItemMessageW(page, kMiscWindowAnimation, BM_CLICK, 0, 0);
    SendDlgItemMessageW(page, kMiscBrowserSize, CB_SETCURSEL, 5, 0);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(kMiscBrowserSize, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, kMiscBrowserSize)));
    PostMessageW(main, WM_COMMAND, kCompareCommand, 0);
    HWND sides = WaitForCaption(L"Compare with");
    if (!sides) {
        Fail("Tools > Compare... showed no choice");
        return false;
    }
    PostMessageW(sides, WM_COMMAND, IDOK, 0);   // the device, the first line
    HWND list = WaitForCaption(L"Compare");
    if (!list) {
        Fail("Compare showed no list");
        return false;
    }
    LetItSettle(list, 700);
    const std::wstring path = options.shotDir + L"\\9-compare.bmp";
    const bool ok = SaveScreen(path);
    if (!ok) Fail("cannot write", path);
    PostMessageW(list, WM_COMMAND, IDOK, 0);
    LetItSettle(main, 300);
    return ok;
}

// The Theme page's "Theme..." > "Open theme..." with the sample theme \My Documents\Sea.tsk
// (placed there by the device script, tools/make_theme.sh), photographed as "10-theme-file" once
// the page shows the theme's colours on its picture. Without that file there is no such shot.
bool TakeThemeFileShot(HWND sheet, const Options& options) {
    constexpr int kThemePage = 5;
    constexpr UINT kOpenTheme = 40030;
    std::wstring root = options.cwd.empty() ? L"\\" : options.cwd;
    if (root.back() != L'\\') root += L'\\';
    if (GetFileAttributesW((root + L"My Documents\\Sea.tsk").c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    DWORD_PTR done = 0;
    SendMessageTimeoutW(sheet, PSM_SETCURSEL, kThemePage, 0, SMTO_ABORTIFHUNG, 5000, &done);
    HWND page = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    PostMessageW(page, WM_COMMAND, kOpenTheme, 0);
    HWND dialog = WaitForDialog(sheet);
    if (!dialog) {
        Fail("the Open theme dialog did not come");
        return false;
    }
    // The list's texts cannot be read from here: it must hold the sample alone.
    HWND list = GetDlgItem(dialog, IDC_FILE_LIST);
    if (SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) != 1) {
        Fail("the Open theme dialog lists other files than Sea.tsk");
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return false;
    }
    SendMessageW(list, WM_KEYDOWN, VK_HOME, 0);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    WaitForDialog(sheet, dialog);
    LetItSettle(sheet, 700);
    const std::wstring path = options.shotDir + L"\\10-theme-file.bmp";
    const bool ok = SaveScreen(path);
    if (!ok) Fail("cannot write", path);
    return ok;
}

// Photographs every page and closes the program. False (with a message) on any failure; the
// program is closed in every case once its window was found.
bool TakeShots(HWND main, const Options& options) {
    bool ok = true;
    HWND sheet = FindSheet(main);
    if (!sheet) {
        Fail("the main window has no property sheet");
        ok = false;
    }
    CreateDirectoryW(options.shotDir.c_str(), nullptr);
    std::vector<std::wstring> names = options.shotNames;
    const bool namedByTabs = names.empty();
    if (namedByTabs && sheet) {
        HWND tabs = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0));
        names.resize(tabs ? static_cast<size_t>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0)) : 0);
    }
    for (size_t page = 0; ok && page < names.size(); ++page) {
        DWORD_PTR selected = 0;
        if (!SendMessageTimeoutW(sheet, PSM_SETCURSEL, page, 0, SMTO_ABORTIFHUNG, 5000, &selected) || !selected) {
            Fail("cannot select page", std::to_wstring(page + 1));
            ok = false;
            break;
        }
        if (namedByTabs) {
            // The page's caption is its tab's text.
            HWND shown = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
            std::wstring caption = shown ? TextOf(shown) : L"page";
            for (wchar_t& c : caption) c = static_cast<wchar_t>(towlower(c));
            names[page] = std::to_wstring(page + 1) + L"-" + caption;
        }
        RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        RedrawWindow(sheet, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        LetItSettle(sheet, 700);
        std::wstring path = options.shotDir + L"\\" + names[page] + L".bmp";
        if (!SaveScreen(path)) {
            Fail("cannot write", path);
            ok = false;
        }
    }
    if (ok && namedByTabs && sheet) ok = ShootFileDialogs(main, sheet, options);
    if (ok && namedByTabs && sheet) ok = TakeThemeFileShot(sheet, options);
    if (ok && sheet) ok = TakeCompareShot(main, sheet, options);
    PostMessageW(main, WM_CLOSE, 0, 0);
    return ok;
}

// Swaps the width and height of the screen through the display settings.
int TurnScreen() {
    DEVMODEW mode = {};
    mode.dmSize = sizeof mode;
    if (!EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode)) {
        Fail("cannot read the display settings");
        return kCaptureFailed;
    }
    DWORD width = mode.dmPelsHeight, height = mode.dmPelsWidth;
    mode.dmPelsWidth = width;
    mode.dmPelsHeight = height;
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    LONG result = ChangeDisplaySettingsExW(nullptr, &mode, nullptr, 0, nullptr);
    if (result != DISP_CHANGE_SUCCESSFUL) {
        std::fprintf(stderr, "capture: the screen cannot become %lux%lu (display change result %ld)\n",
                     static_cast<unsigned long>(width), static_cast<unsigned long>(height), result);
        return result == DISP_CHANGE_BADMODE ? kTurnRefused : kCaptureFailed;
    }
    std::printf("capture: the screen is %dx%d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Options options;
    if (!ParseArguments(argc, argv, options)) return kCaptureFailed;
    if (options.turn) return TurnScreen();
    if (options.close) {
        HWND main = FindWindowW(L"ORVANEL", L"Orvanel");
        if (main) PostMessageW(main, WM_CLOSE, 0, 0);
        return main ? 0 : kCaptureFailed;
    }

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::vector<wchar_t> commandLine(options.commandLine.begin(), options.commandLine.end());
    commandLine.push_back(L'\0');
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        options.cwd.empty() ? nullptr : options.cwd.c_str(), &startup, &process)) {
        Fail("cannot start", options.commandLine);
        return kCaptureFailed;
    }
    CloseHandle(process.hThread);
    ShowNavBar();

    const bool wantShots = options.wantShots;
    bool shotsFailed = false;
    bool shotsDone = false;
    const DWORD started = GetTickCount();
    DWORD closedAt = 0;
    std::vector<HWND> answered;
    // Watch the program until it ends: answer its message boxes, and take the pictures once
    // its main window is there.
    while (!WaitForProcess(process.hProcess, 100)) {
        AnswerBoxes(process.dwProcessId, options.answers, answered);
        if (shotsDone && GetTickCount() - closedAt > kCloseTimeoutMs) {
            Fail("the program did not end after it was closed");
            TerminateProcess(process.hProcess, kCaptureFailed);
            shotsFailed = true;
        }
        if (!wantShots || shotsDone) continue;
        HWND main = FindWindowW(L"ORVANEL", L"Orvanel");
        HWND sheet = main ? FindSheet(main) : nullptr;
        if (sheet && IsWindowVisible(sheet)) {
            LetItSettle(main, 1500);   // first paint of every window, fonts loaded
            if (options.turnFirst) {
                if (TurnScreen() != 0) shotsFailed = true;
                LetItSettle(main, 1500);
            }
            shotsFailed = !TakeShots(main, options) || shotsFailed;
            shotsDone = true;
            closedAt = GetTickCount();
        } else if (GetTickCount() - started > options.timeoutMs) {
            Fail(!main ? "the Orvanel window did not appear"
                       : sheet ? "the property sheet stayed hidden" : "the property sheet did not appear");
            // What the screen shows instead helps to find out why.
            CreateDirectoryW(options.shotDir.c_str(), nullptr);
            SaveScreen(options.shotDir + L"\\failure.bmp");
            if (main) PostMessageW(main, WM_CLOSE, 0, 0);
            else TerminateProcess(process.hProcess, kCaptureFailed);
            shotsFailed = shotsDone = true;
            closedAt = GetTickCount();
        }
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    if (wantShots && !shotsDone) {
        Fail("the program ended before its window appeared");
        return kCaptureFailed;
    }
    if (shotsFailed) return kCaptureFailed;
    if (!options.exitFile.empty()) {
        FILE* out = _wfopen(options.exitFile.c_str(), L"w");
        if (!out) {
            Fail("cannot write", options.exitFile);
            return kCaptureFailed;
        }
        std::fprintf(out, "%ld\n", static_cast<long>(static_cast<int>(exitCode)));
        std::fclose(out);
    }
    return static_cast<int>(exitCode);
}
