// bench: times the start of Orvanel against two yardsticks on the emulated device, and measures
// the peak memory of all three. scripts/device.sh bench runs it inside the device (its desktop,
// O:\ as current directory, the installed program). The yardsticks:
//   - the first screen (tools/bench/first_screen.cpp): the same windows as Orvanel's first
//     screen, made from its own resources and platform layer, and none of its work; Orvanel's
//     goal is to start within 1.1 times its time;
//   - the minimal sheet (tools/bench/minimal_sheet.cpp): six empty pages and nothing else, for
//     reference (the gap to it is the windows the pages need).
//
//   bench --orvanel PATH --first-screen PATH --minimal PATH [--runs N] [--cwd DIR] [--config-file PATH]
//
// Each program is started once untimed (the file cache, Wine's own first-start work), then N
// times each, in turn. Start-to-ready is CreateProcess until WaitForInputIdle returns: the
// program's first wait for a message, after its window, its sheet and its start page are made. Each
// time that moment comes the driver checks that the sheet (a tab control with six tabs), and the
// main window where the program has one, are really there; should it not be, the driver polls until it is and counts the run as late.
// Peak memory is the child's PeakWorkingSetSize (GetProcessMemoryInfo; Wine reads the Unix
// process's VmHWM), taken just before the program is closed with WM_CLOSE.
//
// With --config-file, N more starts of Orvanel (and a first one not counted) each time one full
// export and one full import of a configuration file at PATH: the driver sends the menu command
// (Tools > Export 40008, Import 40009), gives the Save dialog PATH's name (PATH must lie in
// \My Documents), picks it in the Open dialog (where it must be the only configuration file
// listed) and presses OK, and times from the dialog's end until the program is back in its
// message loop (a WM_NULL sent to it returns): the program's own work. What the file dialog
// itself does on OK (the device's dialog checks the name and the folder) is the row "file
// dialog's OK", from OK until it is gone. The same is timed for the device's own forms, an
// installer and a provisioning document next to PATH (its name with ".cab" and ".xml"), chosen by
// the dialogs' second and third types.
//
// Then one more start of Orvanel times "Lookup for fonts" on the Fonts page N times (after one
// press not counted): the font catalogue of the device rebuilt and its lists filled again, from
// the press until the page has handled it.
//
// Then one more start times one repaint of each preview (the GUI, Size and Theme pages, each
// shown in turn) N times: the page is invalidated, and the time runs until the program has begun
// the paint (the update region is empty) and answered a WM_NULL sent after it, so the paint is
// over. A WM_NULL alone, timed the same way, is the row "message round trip".
//
// With --load, the driver then loads the device, times the same operations again at the load
// sizes, and undoes the load (also at its start, should an earlier run have stopped half way):
// 65 configurations (one more than the menu holds), 121 more font files (129 with the seeded
// device's eight; one more than the catalogue holds), 33 input methods (one more than the Sip
// page lists), a configuration file of 200 KiB whose records lie past the part a lookup searches
// (every lookup reads all of it and finds nothing: the worst case), and a folder tree 64 levels
// deep on the storage card (which the font lookup walks). The loaded starts take turns with the
// yardsticks' again. The per-font row is the loaded lookup less the seeded one, over the 121
// files added.
//
// Then one more start (with --cwd) saves the Theme page's colours as a theme and opens it again N
// times (after one pair not counted), each timed as the export and the import are.
//
// Then one more start times Tools > Compare... with the device N times, Apply N times, Save N
// times and Undo Apply N times (each after one not counted): Compare from OK on the choice of the
// other side until the list is up, Apply and Save until the program has handled the command,
// Undo from Yes at its confirmation until the reset question is up (answered No). The Apply is
// of the configuration the device has applied, after the device's caption height was changed
// behind the program's back, so that each Apply keeps the device's settings and asks nothing;
// a "Before Apply" that was not there before is removed again, the caption height and the
// applied name put back. Apply's yardstick is its registry work alone, in the driver: every
// value "Before Apply" holds read once from the device and written three times, each key opened
// once (goal: Apply within twice that).
//
// With --nothing PATH (a program that starts and ends at once), N runs each of it and of two
// commands of Orvanel, timed from CreateProcess until the process has ended: "/apply NAME" of
// the configuration the device has applied (so the device keeps its settings) and "/export NAME
// FILE /yes" of the same one into O:\Temp. Every command must end with exit code 0.
//
// Exit code: 0 when every run started, got ready and ended; 1 otherwise.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr DWORD kReadyTimeoutMs = 30000;
constexpr DWORD kCloseTimeoutMs = 15000;
constexpr int kSheetPages = 6;

// Owns a process and its thread handle from CreateProcess.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess() {
        if (info_.hThread) CloseHandle(info_.hThread);
        if (info_.hProcess) CloseHandle(info_.hProcess);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    bool Start(const std::wstring& path, const std::wstring& cwd) {
        std::wstring commandLine = L"\"" + path + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        return CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              cwd.empty() ? nullptr : cwd.c_str(), &startup, &info_) != FALSE;
    }
    HANDLE process() const { return info_.hProcess; }
    DWORD id() const { return info_.dwProcessId; }
private:
    PROCESS_INFORMATION info_{};
};

double NowMs() {
    static LARGE_INTEGER frequency = [] { LARGE_INTEGER f; QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// What the driver sees of a child's windows.
struct Windows {
    DWORD pid = 0;
    const wchar_t* mainClass = nullptr;   // the class of the program's main window; none: no main window
    HWND main = nullptr;    // top-level window of that class
    HWND sheet = nullptr;   // top-level window holding the sheet's tab control
    int tabs = 0;
};

BOOL CALLBACK FindTabs(HWND child, LPARAM param) {
    wchar_t name[64];
    if (GetClassNameW(child, name, 64) && wcscmp(name, WC_TABCONTROLW) == 0) {
        *reinterpret_cast<int*>(param) = static_cast<int>(SendMessageW(child, TCM_GETITEMCOUNT, 0, 0));
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindProgramWindows(HWND wnd, LPARAM param) {
    auto* seen = reinterpret_cast<Windows*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (pid != seen->pid) return TRUE;
    wchar_t name[64];
    if (seen->mainClass && GetClassNameW(wnd, name, 64) && wcscmp(name, seen->mainClass) == 0) seen->main = wnd;
    int tabs = 0;
    EnumChildWindows(wnd, FindTabs, reinterpret_cast<LPARAM>(&tabs));
    if (tabs > 0) { seen->sheet = wnd; seen->tabs = tabs; }
    return TRUE;
}

Windows Look(DWORD pid, const wchar_t* mainClass) {
    Windows seen;
    seen.pid = pid;
    seen.mainClass = mainClass;
    EnumWindows(FindProgramWindows, reinterpret_cast<LPARAM>(&seen));
    return seen;
}

struct Program {
    const wchar_t* name;
    std::wstring path;
    const wchar_t* mainClass;   // the main window's class; the minimal sheet has only its sheet
    std::vector<double> readyMs;
    std::vector<double> peakMiB;
    int late = 0;           // runs whose first idle came before the sheet was complete
    int failures = 0;
};

bool Ready(const Program& program, const Windows& seen) {
    return seen.sheet && seen.tabs == kSheetPages && (!program.mainClass || seen.main);
}

// Starts the program, waits until it is ready, notes the time and the peak memory, closes it.
bool RunOnce(Program& program, const std::wstring& cwd, bool record) {
    ChildProcess child;
    double start = NowMs();
    if (!child.Start(program.path, cwd)) {
        std::fprintf(stderr, "bench: %ls did not start (error %lu)\n", program.name, GetLastError());
        return false;
    }
    DWORD idle = WaitForInputIdle(child.process(), kReadyTimeoutMs);
    double ready = NowMs();
    Windows seen = Look(child.id(), program.mainClass);
    bool late = false;
    while (!Ready(program, seen) && NowMs() - start < kReadyTimeoutMs &&
           WaitForSingleObject(child.process(), 1) == WAIT_TIMEOUT) {
        late = true;
        seen = Look(child.id(), program.mainClass);
        ready = NowMs();
    }
    if (!Ready(program, seen)) {
        std::fprintf(stderr, "bench: %ls was not ready within %lu ms (WaitForInputIdle %lu)\n",
                     program.name, kReadyTimeoutMs, idle);
        TerminateProcess(child.process(), 1);
        return false;
    }
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    bool haveMemory = GetProcessMemoryInfo(child.process(), &memory, sizeof(memory)) &&
                      memory.PeakWorkingSetSize > 0;

    PostMessageW(program.mainClass ? seen.main : seen.sheet, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(child.process(), kCloseTimeoutMs) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "bench: %ls did not end after WM_CLOSE\n", program.name);
        TerminateProcess(child.process(), 1);
        WaitForSingleObject(child.process(), kCloseTimeoutMs);
        return false;
    }
    if (record) {
        program.readyMs.push_back(ready - start);
        if (haveMemory) program.peakMiB.push_back(memory.PeakWorkingSetSize / (1024.0 * 1024.0));
        if (late || idle != 0) ++program.late;
    }
    return true;
}

struct Dialog {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND wnd, LPARAM param) {
    auto* dialog = reinterpret_cast<Dialog*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    wchar_t name[16];
    if (pid != dialog->pid || !IsWindowVisible(wnd) || !GetClassNameW(wnd, name, 16) ||
        wcscmp(name, L"#32770") != 0)
        return TRUE;
    int tabs = 0;
    EnumChildWindows(wnd, FindTabs, reinterpret_cast<LPARAM>(&tabs));
    if (tabs > 0) return TRUE;   // the property sheet is a #32770 too
    dialog->found = wnd;
    return FALSE;
}

// A dialog box of the process other than its sheet (a file dialog, a message box), or null.
HWND OpenDialog(DWORD pid) {
    Dialog dialog{pid, nullptr};
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&dialog));
    return dialog.found;
}

// Runs a menu command that asks for a file, answers the file dialog with `path` and returns the
// milliseconds from the file dialog's end until the program waits for messages again (the
// program's own work); negative on failure. `dialogMs`, when given, gets the time from OK until
// the dialog was gone (the file dialog's own work on OK).
// The command goes to `target` when given (a page's own command), else to the main window.
double TimeFileCommand(DWORD pid, HWND main, UINT command, const std::wstring& path, double* dialogMs = nullptr,
                       HWND target = nullptr, int type = 0) {
    constexpr int kFileNameEdit = 1101, kFileList = 1108;   // the device's file dialogs: Name, the Open list
    constexpr int kFileType = 1105;                         // their Type choice
    PostMessageW(target ? target : main, WM_COMMAND, command, 0);
    HWND dialog = nullptr;
    for (double start = NowMs(); !dialog && NowMs() - start < kReadyTimeoutMs; Sleep(1)) dialog = OpenDialog(pid);
    if (!dialog) {
        std::fprintf(stderr, "bench: menu command %u showed no file dialog\n", command);
        return -1;
    }
    // Save: the file's name typed in (its folder is \My Documents, the dialog's first choice).
    // Open: the first file of the list picked with the Home key, as on a keyboard; the list must
    // hold that file alone (the list's texts cannot be read from another process).
    const std::wstring name = path.substr(path.find_last_of(L"\\/") + 1);
    if (type > 0) {   // another type than the first: chosen as a tap on the choice would
        HWND types = GetDlgItem(dialog, kFileType);
        SendMessageW(types, CB_SETCURSEL, type, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kFileType, CBN_SELCHANGE), reinterpret_cast<LPARAM>(types));
    }
    if (HWND edit = GetDlgItem(dialog, kFileNameEdit)) {
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    } else if (HWND list = GetDlgItem(dialog, kFileList)) {
        if (SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) != 1) {
            std::fprintf(stderr, "bench: the Open dialog lists other files than %ls\n", name.c_str());
            return -1;
        }
        SendMessageW(list, WM_KEYDOWN, VK_HOME, 0);
    } else {
        return -1;
    }
    double start = NowMs();
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    // Sent messages are handled in the dialog's own loop too: wait for it to go first.
    while (IsWindow(dialog) && NowMs() - start < kReadyTimeoutMs) Sleep(0);
    const double gone = NowMs();
    DWORD_PTR result = 0;
    if (IsWindow(dialog) || !SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, kReadyTimeoutMs, &result)) {
        std::fprintf(stderr, "bench: the file dialog of menu command %u did not end on OK\n", command);
        return -1;
    }
    double elapsed = NowMs() - gone;
    if (dialogMs) *dialogMs = gone - start;
    if (HWND box = OpenDialog(pid)) {   // an error message instead of the work done
        wchar_t text[256] = {};
        GetWindowTextW(box, text, 256);
        std::fprintf(stderr, "bench: the program showed \"%ls\"\n", text);
        return -1;
    }
    return elapsed;
}

// Starts Orvanel and waits until its sheet is complete.
bool StartReady(Program& program, const std::wstring& cwd, ChildProcess& child, Windows& seen) {
    if (!child.Start(program.path, cwd)) return false;
    WaitForInputIdle(child.process(), kReadyTimeoutMs);
    seen = Look(child.id(), program.mainClass);
    for (double start = NowMs(); !Ready(program, seen) && NowMs() - start < kReadyTimeoutMs; Sleep(1))
        seen = Look(child.id(), program.mainClass);
    return Ready(program, seen);
}

// Starts Orvanel, exports the configuration to `path` and imports it again, then closes it.
// A fresh start each time: after an import the settings count as changed, and the next import
// would first ask whether to save them.
bool ExportImportOnce(Program& program, const std::wstring& cwd, const std::wstring& path,
                      double& exported, double& imported, double& dialog, int type = 0) {
    ChildProcess child;
    Windows seen;
    bool ok = StartReady(program, cwd, child, seen);
    if (!child.process()) return false;
    DeleteFileW(path.c_str());   // no question about replacing it
    if (ok) exported = TimeFileCommand(child.id(), seen.main, 40008, path, &dialog, nullptr, type);
    if (ok && exported >= 0) imported = TimeFileCommand(child.id(), seen.main, 40009, path, nullptr, nullptr, type);
    ok = ok && exported >= 0 && imported >= 0;
    PostMessageW(seen.main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(child.process(), kCloseTimeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(child.process(), 1);
        WaitForSingleObject(child.process(), kCloseTimeoutMs);
        ok = false;
    }
    DeleteFileW(path.c_str());
    return ok;
}

// Times `runs` exports and imports, after one pair that is not counted.
bool TimeExportImport(Program& program, const std::wstring& cwd, const std::wstring& path, int runs,
                      std::vector<double>& exports, std::vector<double>& imports, std::vector<double>* dialogs = nullptr,
                      int type = 0) {
    for (int i = 0; i <= runs; ++i) {
        double exported = -1, imported = -1, dialog = -1;
        if (!ExportImportOnce(program, cwd, path, exported, imported, dialog, type)) {
            std::fprintf(stderr, "bench: export and import run %d failed\n", i);
            return false;
        }
        if (i > 0) { exports.push_back(exported); imports.push_back(imported); }
        if (i > 0 && dialogs) dialogs->push_back(dialog);
    }
    return true;
}

bool SendAndWait(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result = nullptr) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kReadyTimeoutMs,
                               result ? result : &ignored) != 0;
}

constexpr int kFontLookupButton = 1045;
constexpr int kFontsPageIndex = 3;

BOOL CALLBACK FindLookupButton(HWND child, LPARAM param) {
    if (GetDlgCtrlID(child) != kFontLookupButton) return TRUE;
    wchar_t name[16];
    if (!GetClassNameW(child, name, 16) || _wcsicmp(name, L"Button") != 0) return TRUE;
    *reinterpret_cast<HWND*>(param) = child;
    return FALSE;
}

// Starts Orvanel and presses "Lookup for fonts" runs + 1 times, timing all but the first press
// from the press until the page has handled it.
bool TimeFontLookup(Program& program, const std::wstring& cwd, int runs, std::vector<double>& lookups) {
    ChildProcess child;
    Windows seen;
    bool ready = StartReady(program, cwd, child, seen);
    if (!child.process()) return false;
    HWND button = nullptr;
    // The page's dialog is made when the page is first shown, as the user's tap on its tab does.
    if (ready && SendAndWait(seen.sheet, PSM_SETCURSEL, kFontsPageIndex, 0))
        EnumChildWindows(seen.sheet, FindLookupButton, reinterpret_cast<LPARAM>(&button));
    bool ok = button != nullptr;
    for (int i = 0; ok && i <= runs; ++i) {
        // Sent, not posted: a posted press could still wait in the queue when a sent WM_NULL,
        // which the program takes first, came back.
        DWORD_PTR result = 0;
        double start = NowMs();
        ok = SendMessageTimeoutW(GetParent(button), WM_COMMAND, MAKEWPARAM(kFontLookupButton, BN_CLICKED),
                                 reinterpret_cast<LPARAM>(button), SMTO_NORMAL, kReadyTimeoutMs, &result) != 0;
        if (ok && i > 0) lookups.push_back(NowMs() - start);
    }
    if (!ok) std::fprintf(stderr, "bench: the Fonts page's lookup could not be timed\n");
    PostMessageW(seen.main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(child.process(), kCloseTimeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(child.process(), 1);
        WaitForSingleObject(child.process(), kCloseTimeoutMs);
        ok = false;
    }
    return ok;
}


// Closes a program started by StartReady; false when it had to be killed.
bool CloseProgram(ChildProcess& child, const Windows& seen) {
    PostMessageW(seen.main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(child.process(), kCloseTimeoutMs) == WAIT_OBJECT_0) return true;
    TerminateProcess(child.process(), 1);
    WaitForSingleObject(child.process(), kCloseTimeoutMs);
    return false;
}


// The pages with a preview, by their place in the sheet.
struct PreviewPage {
    int index;
    const char* row;
};
constexpr PreviewPage kPreviewPages[] = {{0, "repaint GUI preview (ms)"},
                                         {1, "repaint Size preview (ms)"},
                                         {5, "repaint Theme preview (ms)"}};
constexpr int kPreviews = sizeof(kPreviewPages) / sizeof(kPreviewPages[0]);

// Shows each preview page in turn and times `runs` repaints of it (after one not counted), and
// as many bare WM_NULL round trips to it.
bool TimeRepaints(Program& program, const std::wstring& cwd, int runs, std::vector<double> (&repaints)[kPreviews],
                  std::vector<double>& roundTrips) {
    ChildProcess child;
    Windows seen;
    bool ok = StartReady(program, cwd, child, seen);
    for (int p = 0; ok && p < kPreviews; ++p) {
        DWORD_PTR page = 0;
        ok = SendAndWait(seen.sheet, PSM_SETCURSEL, kPreviewPages[p].index, 0) &&
             SendAndWait(seen.sheet, PSM_GETCURRENTPAGEHWND, 0, 0, &page) && page;
        HWND window = reinterpret_cast<HWND>(page);
        // Let the page's first paint (which draws the preview) and its children's go by.
        for (double start = NowMs(); ok && NowMs() - start < 200; Sleep(10)) ok = SendAndWait(window, WM_NULL, 0, 0);
        for (int i = 0; ok && i <= runs; ++i) {
            double start = NowMs();
            InvalidateRect(window, nullptr, FALSE);
            while (GetUpdateRect(window, nullptr, FALSE) && NowMs() - start < kReadyTimeoutMs) Sleep(0);
            ok = !GetUpdateRect(window, nullptr, FALSE) && SendAndWait(window, WM_NULL, 0, 0);
            double elapsed = NowMs() - start;
            if (ok && i > 0) repaints[p].push_back(elapsed);
            start = NowMs();
            ok = ok && SendAndWait(window, WM_NULL, 0, 0);
            if (ok && i > 0 && p == 0) roundTrips.push_back(NowMs() - start);
            Sleep(5);   // the children's paints
        }
    }
    if (!ok) std::fprintf(stderr, "bench: the previews' repaints could not be timed\n");
    return CloseProgram(child, seen) && ok;
}

// On the Theme page, "Theme..." > "Save as theme..." into `path` (in \My Documents, the only
// theme there) and "Open theme..." of it again, `runs` times each in one start (after one pair not
// counted), timed as the export and import are: from the file dialog's end until the program
// waits for messages again. The theme holds the device's Today and Start images.
bool TimeThemes(Program& program, const std::wstring& cwd, const std::wstring& path, int runs,
                std::vector<double>& saves, std::vector<double>& opens) {
    constexpr int kThemePage = 5;
    constexpr UINT kOpenTheme = 40030, kSaveTheme = 40031;
    ChildProcess child;
    Windows seen;
    bool ok = StartReady(program, cwd, child, seen);
    DWORD_PTR page = 0;
    ok = ok && SendAndWait(seen.sheet, PSM_SETCURSEL, kThemePage, 0) &&
         SendAndWait(seen.sheet, PSM_GETCURRENTPAGEHWND, 0, 0, &page) && page;
    for (int i = 0; ok && i <= runs; ++i) {
        DeleteFileW(path.c_str());   // no question about replacing it
        const double saved = TimeFileCommand(child.id(), seen.main, kSaveTheme, path, nullptr, reinterpret_cast<HWND>(page));
        const double opened = saved >= 0 ? TimeFileCommand(child.id(), seen.main, kOpenTheme, path, nullptr,
                                                           reinterpret_cast<HWND>(page))
                                         : -1;
        ok = saved >= 0 && opened >= 0;
        if (ok && i > 0) { saves.push_back(saved); opens.push_back(opened); }
    }
    DeleteFileW(path.c_str());
    if (!ok) std::fprintf(stderr, "bench: saving and opening a theme could not be timed\n");
    return CloseProgram(child, seen) && ok;
}

// Switches between the first two configurations of the menu `runs` times (after one switch not
// counted).
bool TimeSwitches(Program& program, const std::wstring& cwd, int runs, std::vector<double>& switches) {
    constexpr UINT kFirstConfig = 4096;   // IDM_CONFIG_FIRST
    ChildProcess child;
    Windows seen;
    bool ok = StartReady(program, cwd, child, seen);
    for (int i = 0; ok && i <= runs; ++i) {
        double start = NowMs();
        ok = SendAndWait(seen.main, WM_COMMAND, kFirstConfig + i % 2, 0) && !OpenDialog(child.id());
        if (ok && i > 0) switches.push_back(NowMs() - start);
    }
    if (!ok) std::fprintf(stderr, "bench: the configuration switches could not be timed\n");
    return CloseProgram(child, seen) && ok;
}

// A dialog box of the process other than its sheet and other than `other`, waited for; or null.
HWND WaitForDialog(DWORD pid, HWND other = nullptr) {
    for (double start = NowMs(); NowMs() - start < kReadyTimeoutMs; Sleep(0)) {
        HWND found = OpenDialog(pid);
        if (found && found != other) return found;
    }
    return nullptr;
}

// Presses a button of a dialog box and waits until the box is gone.
bool Press(HWND dialog, int button) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    for (double start = NowMs(); IsWindow(dialog) && NowMs() - start < kReadyTimeoutMs;) Sleep(0);
    return !IsWindow(dialog);
}

// Starts Orvanel once and times `runs` Compares with the device (Tools > Compare..., the device
// chosen: from OK on the choice until the list is up and has answered a WM_NULL), then one Apply
// that keeps "Before Apply", and `runs` Undo Applies (from Yes at the confirmation until the
// reset question is up); each after one not counted. The reset is never accepted, and a "Before
// Apply" the device did not hold before is removed afterwards.
// The value Apply and Save are timed with: the device's caption height, set one higher before
// each Apply so that there is something to keep, and put back afterwards.
constexpr wchar_t kGwe[] = L"SYSTEM\\GWE";
DWORD LiveCaption() {
    DWORD value = 0, size = sizeof value;
    RegGetValueW(HKEY_LOCAL_MACHINE, kGwe, L"cyCap", RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}
void SetLiveCaption(DWORD value) { RegSetKeyValueW(HKEY_LOCAL_MACHINE, kGwe, L"cyCap", REG_DWORD, &value, sizeof value); }

// Every value of a key and its subkeys: subkey path, name, type and data.
struct KeptValue {
    std::wstring subkey, name;
    DWORD type;
    std::vector<BYTE> data;
};
void ReadTree(HKEY root, const std::wstring& path, const std::wstring& subkey, std::vector<KeptValue>& out) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, (path + subkey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    for (DWORD i = 0;; ++i) {
        wchar_t name[260];
        DWORD chars = 260, type = 0, size = 4096;
        std::vector<BYTE> data(size);
        if (RegEnumValueW(key, i, name, &chars, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
        data.resize(size);
        out.push_back({subkey, name, type, std::move(data)});
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[260];
        DWORD chars = 260;
        if (RegEnumKeyExW(key, i, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        ReadTree(root, path, (subkey.empty() ? L"" : subkey + L"\\") + name, out);
    }
    RegCloseKey(key);
}

// The yardstick of Apply: the registry work it needs and nothing else, in this process. Every
// value the pages write (as "Before Apply" holds them) read once from the device and written
// three times (the kept settings, the configuration, the device; here three scratch keys), each
// key opened once for the whole pass.
double TimeApplyRegistryWork(const std::vector<KeptValue>& values) {
    constexpr wchar_t kScratch[] = L"Orvanel\\@bench ";
    struct Open {
        std::wstring subkey;
        HKEY live = nullptr;
        HKEY scratch[3] = {};
    };
    const double start = NowMs();
    std::vector<Open> keys;
    for (const KeptValue& v : values) {
        Open* open = nullptr;
        for (Open& o : keys)
            if (o.subkey == v.subkey) open = &o;
        if (!open) {
            keys.push_back({v.subkey});
            open = &keys.back();
            // The device keeps a value under SYSTEM, the user's key or its own path.
            const std::wstring system = L"SYSTEM\\" + v.subkey;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, system.c_str(), 0, KEY_READ, &open->live) != ERROR_SUCCESS &&
                RegOpenKeyExW(HKEY_CURRENT_USER, v.subkey.c_str(), 0, KEY_READ, &open->live) != ERROR_SUCCESS)
                RegOpenKeyExW(HKEY_LOCAL_MACHINE, v.subkey.c_str(), 0, KEY_READ, &open->live);
            for (int i = 0; i < 3; ++i)
                RegCreateKeyExW(HKEY_LOCAL_MACHINE, (kScratch + std::to_wstring(i) + L"\\" + v.subkey).c_str(), 0,
                                nullptr, 0, KEY_WRITE, nullptr, &open->scratch[i], nullptr);
        }
        BYTE data[4096];
        DWORD type = 0, size = sizeof data;
        if (open->live) RegQueryValueExW(open->live, v.name.c_str(), nullptr, &type, data, &size);
        for (HKEY target : open->scratch)
            if (target) RegSetValueExW(target, v.name.c_str(), 0, v.type, v.data.data(), static_cast<DWORD>(v.data.size()));
    }
    for (Open& o : keys) {
        if (o.live) RegCloseKey(o.live);
        for (HKEY target : o.scratch)
            if (target) RegCloseKey(target);
    }
    const double elapsed = NowMs() - start;
    for (int i = 0; i < 3; ++i) RegDeleteTreeW(HKEY_LOCAL_MACHINE, (kScratch + std::to_wstring(i)).c_str());
    return elapsed;
}

bool TimeCompareAndUndo(Program& program, const std::wstring& cwd, int runs, std::vector<double>& compares,
                        std::vector<double>& undos, std::vector<double>& applies, std::vector<double>& saves,
                        std::vector<double>& registryWork) {
    constexpr UINT kSave = 40001, kApply = 40005, kCompare = 40020, kUndoApply = 40021;
    constexpr wchar_t kKept[] = L"Orvanel\\Before Apply";
    HKEY probe = nullptr;
    const bool hadKept = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKept, 0, KEY_READ, &probe) == ERROR_SUCCESS;
    if (probe) RegCloseKey(probe);
    // An undo records "Before Apply" as the applied configuration: the device's own goes back after.
    wchar_t applied[260] = {};
    DWORD appliedBytes = sizeof(applied);
    const bool hadApplied = RegGetValueW(HKEY_LOCAL_MACHINE, L"Orvanel", L"CurrName", RRF_RT_REG_SZ, nullptr, applied,
                                         &appliedBytes) == ERROR_SUCCESS;
    ChildProcess child;
    Windows seen;
    bool ok = StartReady(program, cwd, child, seen);
    const DWORD pid = child.id();
    for (int i = 0; ok && i <= runs; ++i) {
        PostMessageW(seen.main, WM_COMMAND, kCompare, 0);
        HWND sides = WaitForDialog(pid);
        ok = sides != nullptr;
        const double start = NowMs();
        ok = ok && Press(sides, IDOK);   // the first side: the device as it is now
        HWND list = ok ? WaitForDialog(pid) : nullptr;
        DWORD_PTR result = 0;
        ok = list && SendMessageTimeoutW(list, WM_NULL, 0, 0, SMTO_NORMAL, kReadyTimeoutMs, &result);
        if (ok && i > 0) compares.push_back(NowMs() - start);
        ok = ok && Press(list, IDOK);
    }
    if (!ok) std::fprintf(stderr, "bench: Compare with the device could not be timed\n");
    // Applies of the configuration being edited, the applied one, each after the device's
    // caption height was changed behind its back: each keeps the device's settings (nothing is
    // asked, and the device gets its own values back). Then Saves of it, which write the
    // configuration and the device.
    const DWORD caption = LiveCaption();
    for (int i = 0; ok && i <= runs; ++i) {
        SetLiveCaption(caption + 1);
        const double start = NowMs();
        ok = SendAndWait(seen.main, WM_COMMAND, kApply, 0) && !OpenDialog(pid);
        if (ok && i > 0) applies.push_back(NowMs() - start);
    }
    for (int i = 0; ok && i <= runs; ++i) {
        const double start = NowMs();
        ok = SendAndWait(seen.main, WM_COMMAND, kSave, 0) && !OpenDialog(pid);
        if (ok && i > 0) saves.push_back(NowMs() - start);
    }
    if (!ok) std::fprintf(stderr, "bench: Apply and Save could not be timed\n");
    std::vector<KeptValue> kept;
    ReadTree(HKEY_LOCAL_MACHINE, L"Orvanel\\Before Apply\\", L"", kept);
    for (int i = 0; ok && !kept.empty() && i <= runs; ++i) {
        const double elapsed = TimeApplyRegistryWork(kept);
        if (i > 0) registryWork.push_back(elapsed);
    }
    for (int i = 0; ok && i <= runs; ++i) {
        PostMessageW(seen.main, WM_COMMAND, kUndoApply, 0);
        HWND confirm = WaitForDialog(pid);
        const double start = NowMs();
        ok = confirm && Press(confirm, IDYES);
        HWND reset = ok ? WaitForDialog(pid, confirm) : nullptr;
        ok = reset != nullptr;
        if (ok && i > 0) undos.push_back(NowMs() - start);
        ok = ok && Press(reset, IDNO);
    }
    if (!ok) std::fprintf(stderr, "bench: Undo Apply could not be timed\n");
    const bool closed = CloseProgram(child, seen);
    SetLiveCaption(caption);
    if (!hadKept) RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKept);
    if (hadApplied)
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"Orvanel", L"CurrName", REG_SZ, applied,
                        static_cast<DWORD>((wcslen(applied) + 1) * sizeof(wchar_t)));
    return closed && ok;
}

// Times `runs` imports of the file at `path`, which `write` makes anew before each (after one
// not counted), each in a fresh start.
bool TimeImports(Program& program, const std::wstring& cwd, const std::wstring& path, bool (*write)(const std::wstring&),
                 int runs, std::vector<double>& imports) {
    bool ok = true;
    for (int i = 0; ok && i <= runs; ++i) {
        ChildProcess child;
        Windows seen;
        ok = write(path) && StartReady(program, cwd, child, seen);
        double imported = ok ? TimeFileCommand(child.id(), seen.main, 40009, path) : -1;
        ok = CloseProgram(child, seen) && ok && imported >= 0;
        if (ok && i > 0) imports.push_back(imported);
    }
    DeleteFileW(path.c_str());
    if (!ok) std::fprintf(stderr, "bench: the imports could not be timed\n");
    return ok;
}

// ---- The loaded device -------------------------------------------------------------------------

constexpr int kLoadConfigs = 65;
constexpr int kLoadFonts = 121;     // added to the seeded device's 8: 129
constexpr int kLoadMethods = 33;
constexpr int kLoadFileBytes = 200 * 1024;
constexpr int kLoadDepth = 64;
constexpr wchar_t kLoadConfigPrefix[] = L"Bench load ";
constexpr wchar_t kLoadMethodPrefix[] = L"{0BE4C400-0000-4000-8000-0000000000";   // + 2 digits + "}"

std::wstring g_root;   // the object store's root, "O:\"

std::wstring StorePath(const wchar_t* path) { return g_root + path; }

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring full = folder + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(full);
            else DeleteFileW(full.c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

std::wstring Numbered(const wchar_t* prefix, int n) {
    wchar_t digits[8];
    std::swprintf(digits, 8, L"%02d", n);
    return prefix + std::wstring(digits);
}

// What a save of the Sip page may write of the device's own settings, put back after the load.
struct SipSettings {
    bool kept = false;
    wchar_t defaultIm[130] = {};
    DWORD allowChange = 0;
    bool hasDefault = false, hasAllow = false;
};
SipSettings g_sip;

void KeepSipSettings() {
    DWORD bytes = sizeof g_sip.defaultIm - sizeof(wchar_t);
    g_sip.hasDefault = RegGetValueW(HKEY_CURRENT_USER, L"ControlPanel\\Sip", L"DefaultIm", RRF_RT_REG_SZ, nullptr,
                                    g_sip.defaultIm, &bytes) == ERROR_SUCCESS;
    bytes = sizeof g_sip.allowChange;
    g_sip.hasAllow = RegGetValueW(HKEY_CURRENT_USER, L"ControlPanel\\Sip", L"AllowChange", RRF_RT_REG_DWORD, nullptr,
                                  &g_sip.allowChange, &bytes) == ERROR_SUCCESS;
    g_sip.kept = true;
}

void RestoreSipSettings() {
    if (!g_sip.kept) return;
    if (g_sip.hasDefault)
        RegSetKeyValueW(HKEY_CURRENT_USER, L"ControlPanel\\Sip", L"DefaultIm", REG_SZ, g_sip.defaultIm,
                        static_cast<DWORD>((wcslen(g_sip.defaultIm) + 1) * sizeof(wchar_t)));
    if (g_sip.hasAllow)
        RegSetKeyValueW(HKEY_CURRENT_USER, L"ControlPanel\\Sip", L"AllowChange", REG_DWORD, &g_sip.allowChange,
                        sizeof g_sip.allowChange);
}

void TearDownLoad() {
    RestoreSipSettings();
    for (int i = 0; i < kLoadConfigs; ++i)
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, (L"Orvanel\\" + Numbered(kLoadConfigPrefix, i)).c_str());
    for (int i = 0; i < kLoadMethods; ++i)
        RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + Numbered(kLoadMethodPrefix, i) + L"}").c_str());
    RemoveTree(StorePath(L"Temp\\Bench fonts"));
    RemoveTree(StorePath(L"Storage Card\\Bench tree"));
}

bool SetUpLoad() {
    TearDownLoad();
    KeepSipSettings();
    bool ok = true;
    for (int i = 0; i < kLoadConfigs; ++i) {
        HKEY key = nullptr;
        ok = RegCreateKeyExW(HKEY_LOCAL_MACHINE, (L"Orvanel\\" + Numbered(kLoadConfigPrefix, i)).c_str(), 0, nullptr, 0,
                             KEY_WRITE, nullptr, &key, nullptr) == ERROR_SUCCESS && ok;
        if (key) RegCloseKey(key);
    }
    for (int i = 0; i < kLoadMethods; ++i) {
        const std::wstring clsid = L"CLSID\\" + Numbered(kLoadMethodPrefix, i) + L"}";
        const std::wstring name = Numbered(L"Bench method ", i);
        ok = RegSetKeyValueW(HKEY_CLASSES_ROOT, clsid.c_str(), nullptr, REG_SZ, name.c_str(),
                             static_cast<DWORD>((name.size() + 1) * 2)) == ERROR_SUCCESS && ok;
        ok = RegSetKeyValueW(HKEY_CLASSES_ROOT, (clsid + L"\\IsSIPInputMethod").c_str(), nullptr, REG_SZ, L"1", 4) ==
                 ERROR_SUCCESS && ok;
    }
    // The font files: copies of one of the device's own.
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(StorePath(L"Windows\\*.ttf").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    const std::wstring font = StorePath(L"Windows\\") + data.cFileName;
    CreateDirectoryW(StorePath(L"Temp").c_str(), nullptr);
    ok = CreateDirectoryW(StorePath(L"Temp\\Bench fonts").c_str(), nullptr) && ok;
    for (int i = 0; i < kLoadFonts; ++i)
        ok = CopyFileW(font.c_str(), (StorePath(L"Temp\\Bench fonts\\") + Numbered(L"bench", i) + L".ttf").c_str(), FALSE) &&
             ok;
    std::wstring folder = StorePath(L"Storage Card");
    CreateDirectoryW(folder.c_str(), nullptr);
    folder += L"\\Bench tree";
    for (int depth = 0; ok && depth < kLoadDepth; ++depth) {
        ok = CreateDirectoryW(folder.c_str(), nullptr) != FALSE;
        folder += L"\\d";
    }
    if (!ok) std::fprintf(stderr, "bench: the load could not be set up\n");
    return ok;
}

// A configuration file of kLoadFileBytes: the header, then records of a value no page reads up
// to the end, so every lookup searches as far as it may and finds nothing.
bool WriteBigFile(const std::wstring& path) {
    std::wstring text = L"#!ver2.0\r\n#         Orvanel generated file. Please don't edit.\r\n#\r\n";
    const std::wstring record = L"aaeeaaegaagbaagjaagmaagmaaccaafmaaeoaagpaahcaaenaagbaaggaagmaagl=aaaaaaaa\r\n";
    while ((text.size() + record.size()) * sizeof(wchar_t) <= kLoadFileBytes) text += record;
    text.resize(kLoadFileBytes / sizeof(wchar_t), L'\n');
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, text.data(), kLoadFileBytes, &written, nullptr) && written == kLoadFileBytes;
    CloseHandle(file);
    return ok;
}

// Runs `path` with `arguments` to its end; the time from CreateProcess to the end, or -1 when it
// did not start, did not end in time or ended with another exit code than 0.
double StartToExit(const std::wstring& path, const std::wstring& arguments, const std::wstring& cwd) {
    std::wstring commandLine = L"\"" + path + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;   // no output of the commands in the table
    PROCESS_INFORMATION info{};
    double start = NowMs();
    if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        cwd.empty() ? nullptr : cwd.c_str(), &startup, &info))
        return -1;
    DWORD code = 1;
    bool ended = WaitForSingleObject(info.hProcess, kReadyTimeoutMs) == WAIT_OBJECT_0;
    double end = NowMs();
    if (!ended) TerminateProcess(info.hProcess, 1);
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    if (!ended || code != 0) {
        std::fprintf(stderr, "bench: \"%ls\" %s (exit code %lu)\n", arguments.c_str(), ended ? "failed" : "did not end", code);
        return -1;
    }
    return end - start;
}

// The command rows: the applied configuration applied again and exported, against a program
// that does nothing, one run each in turn after one of each not counted.
bool TimeCommands(const std::wstring& orvanel, const std::wstring& nothing, const std::wstring& cwd, int runs,
                  std::vector<double>& applies, std::vector<double>& exports, std::vector<double>& idle) {
    wchar_t applied[128] = {};
    DWORD size = sizeof(applied);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"Orvanel", L"CurrName", RRF_RT_REG_SZ, nullptr, applied, &size) != ERROR_SUCCESS) {
        std::fprintf(stderr, "bench: the device has no applied configuration to time /apply with\n");
        return false;
    }
    const std::wstring name = L"\"" + std::wstring(applied) + L"\"";
    const std::wstring apply = L"/apply " + name;
    const std::wstring exportTo = L"/export " + name + L" O:\\Temp\\bench-command.ov /yes";
    bool ok = true;
    for (int i = 0; ok && i <= runs; ++i) {
        double a = StartToExit(orvanel, apply, cwd), e = StartToExit(orvanel, exportTo, cwd);
        double n = StartToExit(nothing, L"", cwd);
        ok = a >= 0 && e >= 0 && n >= 0;
        if (ok && i > 0) {
            applies.push_back(a);
            exports.push_back(e);
            idle.push_back(n);
        }
    }
    DeleteFileW(L"O:\\Temp\\bench-command.ov");
    return ok;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

void PrintRow(const char* what, const std::vector<double>& orvanel, const std::vector<double>& minimal,
              const char* goal) {
    if (orvanel.empty()) {
        std::printf("| %-30s | %9s | %9s | %6s | %-6s |\n", what, "n/a", "n/a", "n/a", goal);
        return;
    }
    if (minimal.empty()) {   // a row only Orvanel has
        std::printf("| %-30s | %9.2f | %9s | %6s | %-6s |\n", what, Median(orvanel), "-", "-", goal);
        return;
    }
    double a = Median(orvanel), b = Median(minimal);
    std::printf("| %-30s | %9.1f | %9.1f | %6.2f | %-6s |\n", what, a, b, a / b, goal);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Program orvanel{L"orvanel", L"", L"ORVANEL"};
    Program firstScreen{L"first_screen", L"", L"ORVANEL_FIRST_SCREEN"};
    Program minimal{L"minimal_sheet", L"", nullptr};
    std::wstring cwd, configFile, nothing;
    int runs = 10;
    bool load = false;
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg == L"--orvanel" && i + 1 < argc) orvanel.path = argv[++i];
        else if (arg == L"--minimal" && i + 1 < argc) minimal.path = argv[++i];
        else if (arg == L"--first-screen" && i + 1 < argc) firstScreen.path = argv[++i];
        else if (arg == L"--cwd" && i + 1 < argc) cwd = argv[++i];
        else if (arg == L"--runs" && i + 1 < argc) runs = std::max(1, _wtoi(argv[++i]));
        else if (arg == L"--config-file" && i + 1 < argc) configFile = argv[++i];
        else if (arg == L"--load") load = true;
        else if (arg == L"--nothing" && i + 1 < argc) nothing = argv[++i];
        else {
            std::fprintf(stderr, "usage: bench --orvanel PATH --first-screen PATH --minimal PATH [--runs N] [--cwd DIR] "
                                 "[--config-file PATH] [--load] [--nothing PATH]\n");
            return 2;
        }
    }
    if (orvanel.path.empty() || firstScreen.path.empty() || minimal.path.empty()) {
        std::fprintf(stderr, "bench: --orvanel, --first-screen and --minimal are needed\n");
        return 2;
    }
    if (load && (cwd.empty() || configFile.empty())) {
        std::fprintf(stderr, "bench: --load needs --cwd (the object store's root) and --config-file\n");
        return 2;
    }
    g_root = cwd;
    if (!g_root.empty() && g_root.back() != L'\\') g_root += L'\\';

    bool ok = RunOnce(orvanel, cwd, false) && RunOnce(firstScreen, cwd, false) && RunOnce(minimal, cwd, false);
    for (int i = 0; ok && i < runs; ++i)
        ok = RunOnce(orvanel, cwd, true) && RunOnce(firstScreen, cwd, true) && RunOnce(minimal, cwd, true);
    std::vector<double> exports, imports, dialogs;
    if (ok && !configFile.empty()) ok = TimeExportImport(orvanel, cwd, configFile, runs, exports, imports, &dialogs);
    // The device's own forms, chosen by the dialogs' second and third types, next to the file.
    std::vector<double> formExports[2], formImports[2];
    const wchar_t* const kFormExtensions[2] = {L".cab", L".xml"};
    for (int f = 0; f < 2 && ok && !configFile.empty(); ++f) {
        const std::wstring formFile = configFile.substr(0, configFile.rfind(L'.')) + kFormExtensions[f];
        ok = TimeExportImport(orvanel, cwd, formFile, runs, formExports[f], formImports[f], nullptr, f + 1);
    }
    std::vector<double> lookups;
    if (ok) ok = TimeFontLookup(orvanel, cwd, runs, lookups);
    std::vector<double> repaints[kPreviews], roundTrips;
    if (ok) ok = TimeRepaints(orvanel, cwd, runs, repaints, roundTrips);
    std::vector<double> themeSaves, themeOpens;
    if (ok && !g_root.empty())
        ok = TimeThemes(orvanel, cwd, StorePath(L"My Documents\\bench.tsk"), runs, themeSaves, themeOpens);
    std::vector<double> compares, undos, applies, saves, registryWork;
    if (ok) ok = TimeCompareAndUndo(orvanel, cwd, runs, compares, undos, applies, saves, registryWork);
    std::vector<double> commandApplies, commandExports, nothingRuns;
    if (ok && !nothing.empty()) ok = TimeCommands(orvanel.path, nothing, cwd, runs, commandApplies, commandExports, nothingRuns);

    // The same at the load sizes, on a device loaded for the purpose and unloaded afterwards.
    Program loaded{L"orvanel", orvanel.path, orvanel.mainClass};
    Program loadedFirstScreen{L"first_screen", firstScreen.path, firstScreen.mainClass};
    Program loadedMinimal{L"minimal_sheet", minimal.path, nullptr};
    std::vector<double> loadedExports, loadedImports, bigImports, loadedLookups, switches, perFont;
    if (ok && load) {
        ok = SetUpLoad() && RunOnce(loaded, cwd, false);
        for (int i = 0; ok && i < runs; ++i)
            ok = RunOnce(loaded, cwd, true) && RunOnce(loadedFirstScreen, cwd, true) && RunOnce(loadedMinimal, cwd, true);
        if (ok) ok = TimeExportImport(loaded, cwd, configFile, runs, loadedExports, loadedImports);
        if (ok) ok = TimeImports(loaded, cwd, configFile, WriteBigFile, runs, bigImports);
        if (ok) ok = TimeFontLookup(loaded, cwd, runs, loadedLookups);
        if (ok) ok = TimeSwitches(loaded, cwd, runs, switches);
        TearDownLoad();
        if (ok) perFont.push_back((Median(loadedLookups) - Median(lookups)) / kLoadFonts);
    }
    if (!ok) return 1;

    std::printf("Orvanel on the emulated device, median of %d runs each (first runs not counted)\n\n", runs);
    std::printf("| %-30s | %9s | %9s | %6s | %-6s |\n", "", "orvanel", "yardstick", "ratio", "goal");
    std::printf("|%s|%s|%s|%s|%s|\n", "--------------------------------", "-----------", "-----------", "--------", "--------");
    PrintRow("start-to-ready (ms)", orvanel.readyMs, firstScreen.readyMs, "1.1");
    PrintRow("  minimal sheet (ms)", orvanel.readyMs, minimal.readyMs, "");
    PrintRow("peak memory (MiB)", orvanel.peakMiB, minimal.peakMiB, "1.30");
    // Full export and full import of a configuration file (Orvanel only): printed as n/a
    // unless --config-file was given.
    PrintRow("export (ms)", exports, {}, "20");
    PrintRow("import (ms)", imports, {}, "20");
    PrintRow("file dialog's OK (ms)", dialogs, {}, "");
    PrintRow("export as installer (ms)", formExports[0], {}, "20");
    PrintRow("import an installer (ms)", formImports[0], {}, "20");
    PrintRow("export as document (ms)", formExports[1], {}, "20");
    PrintRow("import a document (ms)", formImports[1], {}, "20");
    PrintRow("font lookup, 8 fonts (ms)", lookups, {}, "");
    for (int p = 0; p < kPreviews; ++p) PrintRow(kPreviewPages[p].row, repaints[p], {}, "2");
    PrintRow("message round trip (ms)", roundTrips, {}, "");
    PrintRow("save as theme (ms)", themeSaves, {}, "20");
    PrintRow("open a theme (ms)", themeOpens, {}, "20");
    PrintRow("compare with the device (ms)", compares, {}, "50");
    PrintRow("undo apply (ms)", undos, {}, "50");
    PrintRow("apply (ms), its registry work", applies, registryWork, "2");
    PrintRow("save (ms)", saves, {}, "");
    // Against a program that does nothing (printed as n/a without --nothing).
    PrintRow("/apply, start-to-exit (ms)", commandApplies, nothingRuns, "1.5");
    PrintRow("/export, start-to-exit (ms)", commandExports, nothingRuns, "1.5");
    if (load) {
        PrintRow("loaded: start-to-ready (ms)", loaded.readyMs, loadedFirstScreen.readyMs, "1.1");
        PrintRow("  minimal sheet (ms)", loaded.readyMs, loadedMinimal.readyMs, "");
        PrintRow("loaded: peak memory (MiB)", loaded.peakMiB, loadedMinimal.peakMiB, "1.30");
        PrintRow("33 input methods: export (ms)", loadedExports, {}, "20");
        PrintRow("33 input methods: import (ms)", loadedImports, {}, "20");
        PrintRow("200 KiB file: import (ms)", bigImports, {}, "20");
        PrintRow("129 fonts, deep tree: lookup", loadedLookups, {}, "");
        PrintRow("catalogue, per font (ms)", perFont, {}, "");
        PrintRow("65 configurations: switch (ms)", switches, {}, "");
    }
    std::printf("\nThe start-to-ready yardstick is the first screen (tools/bench/first_screen.cpp); the row below\n"
                "it is the minimal sheet's, for reference. Peak memory is against the minimal sheet.\n");
    std::printf("Start-to-ready ranges: orvanel %.0f-%.0f ms, first screen %.0f-%.0f ms, minimal %.0f-%.0f ms.\n",
                *std::min_element(orvanel.readyMs.begin(), orvanel.readyMs.end()),
                *std::max_element(orvanel.readyMs.begin(), orvanel.readyMs.end()),
                *std::min_element(firstScreen.readyMs.begin(), firstScreen.readyMs.end()),
                *std::max_element(firstScreen.readyMs.begin(), firstScreen.readyMs.end()),
                *std::min_element(minimal.readyMs.begin(), minimal.readyMs.end()),
                *std::max_element(minimal.readyMs.begin(), minimal.readyMs.end()));
    if (load)
        std::printf("Loaded start-to-ready range: %.0f-%.0f ms.\n",
                    *std::min_element(loaded.readyMs.begin(), loaded.readyMs.end()),
                    *std::max_element(loaded.readyMs.begin(), loaded.readyMs.end()));
    std::printf("Ready at the first idle moment: orvanel %d/%d, first screen %d/%d, minimal %d/%d runs.\n",
                runs - orvanel.late, runs, runs - firstScreen.late, runs, runs - minimal.late, runs);
    if (orvanel.peakMiB.size() != static_cast<size_t>(runs) || minimal.peakMiB.size() != static_cast<size_t>(runs))
        std::printf("Peak memory was not reported for every run (orvanel %u, minimal %u).\n",
                    static_cast<unsigned>(orvanel.peakMiB.size()), static_cast<unsigned>(minimal.peakMiB.size()));
    std::fflush(stdout);
    return 0;
}
