// bench: times the start of Orvanel against a minimal six-page property sheet on the emulated
// device, and measures the peak memory of both. scripts/device.sh bench runs it inside the
// device (its desktop, O:\ as current directory, the installed program).
//
//   bench --orvanel PATH --minimal PATH [--runs N] [--cwd DIR] [--config-file PATH]
//
// Each program is started once untimed (the file cache, Wine's own first-start work), then N
// times each, alternating. Start-to-ready is CreateProcess until WaitForInputIdle returns: the
// program's first wait for a message, after its window, its sheet and every page are made. Each
// time that moment comes the driver checks that the sheet (a tab control with six tabs) is
// really there; should it not be, the driver polls until it is and counts the run as late.
// Peak memory is the child's PeakWorkingSetSize (GetProcessMemoryInfo; Wine reads the Unix
// process's VmHWM), taken just before the program is closed with WM_CLOSE.
//
// With --config-file, N more starts of Orvanel (and a first one not counted) each time one full
// export and one full import of a configuration file at PATH: the driver sends the menu command
// (Tools > Export 40008, Import 40009), types PATH into the file dialog and presses OK, and
// times from OK until the program is back in its message loop (a WM_NULL sent to it returns).
//
// Then one more start of Orvanel times "Lookup for fonts" on the Fonts page N times (after one
// press not counted): the font catalogue of the device rebuilt and its lists filled again, from
// the press until the page has handled it.
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
    HWND main = nullptr;    // top-level window of class ORVANEL (Orvanel only)
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
    if (GetClassNameW(wnd, name, 64) && wcscmp(name, L"ORVANEL") == 0) seen->main = wnd;
    int tabs = 0;
    EnumChildWindows(wnd, FindTabs, reinterpret_cast<LPARAM>(&tabs));
    if (tabs > 0) { seen->sheet = wnd; seen->tabs = tabs; }
    return TRUE;
}

Windows Look(DWORD pid) {
    Windows seen;
    seen.pid = pid;
    EnumWindows(FindProgramWindows, reinterpret_cast<LPARAM>(&seen));
    return seen;
}

struct Program {
    const wchar_t* name;
    std::wstring path;
    bool hasMainWindow;     // Orvanel: the ORVANEL window; the minimal sheet has only its sheet
    std::vector<double> readyMs;
    std::vector<double> peakMiB;
    int late = 0;           // runs whose first idle came before the sheet was complete
    int failures = 0;
};

bool Ready(const Program& program, const Windows& seen) {
    return seen.sheet && seen.tabs == kSheetPages && (!program.hasMainWindow || seen.main);
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
    Windows seen = Look(child.id());
    bool late = false;
    while (!Ready(program, seen) && NowMs() - start < kReadyTimeoutMs &&
           WaitForSingleObject(child.process(), 1) == WAIT_TIMEOUT) {
        late = true;
        seen = Look(child.id());
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

    PostMessageW(program.hasMainWindow ? seen.main : seen.sheet, WM_CLOSE, 0, 0);
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
// milliseconds from OK until the program waits for messages again; negative on failure.
double TimeFileCommand(DWORD pid, HWND main, UINT command, const std::wstring& path) {
    constexpr int kFileNameEdit = 0x480, kFileNameCombo = 0x47c;   // edt1, cmb13
    PostMessageW(main, WM_COMMAND, command, 0);
    HWND dialog = nullptr;
    for (double start = NowMs(); !dialog && NowMs() - start < kReadyTimeoutMs; Sleep(1)) dialog = OpenDialog(pid);
    if (!dialog) return -1;
    HWND name = GetDlgItem(dialog, kFileNameEdit);
    if (!name) name = GetDlgItem(dialog, kFileNameCombo);
    if (!name) return -1;
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    double start = NowMs();
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    // Sent messages are handled in the dialog's own loop too: wait for it to go first.
    while (IsWindow(dialog) && NowMs() - start < kReadyTimeoutMs) Sleep(0);
    DWORD_PTR result = 0;
    if (IsWindow(dialog) || !SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, kReadyTimeoutMs, &result))
        return -1;
    double elapsed = NowMs() - start;
    if (HWND box = OpenDialog(pid)) {   // an error message instead of the work done
        wchar_t text[256] = {};
        GetWindowTextW(box, text, 256);
        std::fprintf(stderr, "bench: the program showed \"%ls\"\n", text);
        return -1;
    }
    return elapsed;
}

// Starts Orvanel, exports the configuration to `path` and imports it again, then closes it.
// A fresh start each time: after an import the settings count as changed, and the next import
// would first ask whether to save them.
bool ExportImportOnce(Program& program, const std::wstring& cwd, const std::wstring& path,
                      double& exported, double& imported) {
    ChildProcess child;
    if (!child.Start(program.path, cwd)) return false;
    WaitForInputIdle(child.process(), kReadyTimeoutMs);
    Windows seen = Look(child.id());
    for (double start = NowMs(); !Ready(program, seen) && NowMs() - start < kReadyTimeoutMs; Sleep(1))
        seen = Look(child.id());
    bool ok = Ready(program, seen);
    DeleteFileW(path.c_str());   // no question about replacing it
    if (ok) exported = TimeFileCommand(child.id(), seen.main, 40008, path);
    if (ok && exported >= 0) imported = TimeFileCommand(child.id(), seen.main, 40009, path);
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
                      std::vector<double>& exports, std::vector<double>& imports) {
    for (int i = 0; i <= runs; ++i) {
        double exported = -1, imported = -1;
        if (!ExportImportOnce(program, cwd, path, exported, imported)) {
            std::fprintf(stderr, "bench: export and import run %d failed\n", i);
            return false;
        }
        if (i > 0) { exports.push_back(exported); imports.push_back(imported); }
    }
    return true;
}

constexpr int kFontLookupButton = 1045;

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
    if (!child.Start(program.path, cwd)) return false;
    WaitForInputIdle(child.process(), kReadyTimeoutMs);
    Windows seen = Look(child.id());
    for (double start = NowMs(); !Ready(program, seen) && NowMs() - start < kReadyTimeoutMs; Sleep(1))
        seen = Look(child.id());
    HWND button = nullptr;
    if (Ready(program, seen)) EnumChildWindows(seen.sheet, FindLookupButton, reinterpret_cast<LPARAM>(&button));
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

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

void PrintRow(const char* what, const std::vector<double>& orvanel, const std::vector<double>& minimal,
              const char* goal) {
    if (orvanel.empty()) {
        std::printf("| %-22s | %9s | %9s | %6s | %-6s |\n", what, "n/a", "n/a", "n/a", goal);
        return;
    }
    if (minimal.empty()) {   // a row only Orvanel has
        std::printf("| %-22s | %9.1f | %9s | %6s | %-6s |\n", what, Median(orvanel), "-", "-", goal);
        return;
    }
    double a = Median(orvanel), b = Median(minimal);
    std::printf("| %-22s | %9.1f | %9.1f | %6.2f | %-6s |\n", what, a, b, a / b, goal);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Program orvanel{L"orvanel", L"", true};
    Program minimal{L"minimal_sheet", L"", false};
    std::wstring cwd, configFile;
    int runs = 10;
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg == L"--orvanel" && i + 1 < argc) orvanel.path = argv[++i];
        else if (arg == L"--minimal" && i + 1 < argc) minimal.path = argv[++i];
        else if (arg == L"--cwd" && i + 1 < argc) cwd = argv[++i];
        else if (arg == L"--runs" && i + 1 < argc) runs = std::max(1, _wtoi(argv[++i]));
        else if (arg == L"--config-file" && i + 1 < argc) configFile = argv[++i];
        else {
            std::fprintf(stderr, "usage: bench --orvanel PATH --minimal PATH [--runs N] [--cwd DIR] [--config-file PATH]\n");
            return 2;
        }
    }
    if (orvanel.path.empty() || minimal.path.empty()) {
        std::fprintf(stderr, "bench: --orvanel and --minimal are needed\n");
        return 2;
    }

    bool ok = RunOnce(orvanel, cwd, false) && RunOnce(minimal, cwd, false);
    for (int i = 0; ok && i < runs; ++i) {
        ok = RunOnce(orvanel, cwd, true) && RunOnce(minimal, cwd, true);
    }
    std::vector<double> exports, imports;
    if (ok && !configFile.empty()) ok = TimeExportImport(orvanel, cwd, configFile, runs, exports, imports);
    std::vector<double> lookups;
    if (ok) ok = TimeFontLookup(orvanel, cwd, runs, lookups);
    if (!ok) return 1;

    std::printf("Start-up on the emulated device, median of %d runs each (first runs not counted)\n\n", runs);
    std::printf("| %-22s | %9s | %9s | %6s | %-6s |\n", "", "orvanel", "minimal", "ratio", "goal");
    std::printf("|%s|%s|%s|%s|%s|\n", "------------------------", "-----------", "-----------", "--------", "--------");
    PrintRow("start-to-ready (ms)", orvanel.readyMs, minimal.readyMs, "1.15");
    PrintRow("peak memory (MiB)", orvanel.peakMiB, minimal.peakMiB, "1.30");
    // Full export and full import of a configuration file (Orvanel only): printed as n/a
    // unless --config-file was given.
    PrintRow("export (ms)", exports, {}, "");
    PrintRow("import (ms)", imports, {}, "");
    PrintRow("font lookup (ms)", lookups, {}, "");
    std::printf("\nStart-to-ready ranges: orvanel %.0f-%.0f ms, minimal %.0f-%.0f ms.\n",
                *std::min_element(orvanel.readyMs.begin(), orvanel.readyMs.end()),
                *std::max_element(orvanel.readyMs.begin(), orvanel.readyMs.end()),
                *std::min_element(minimal.readyMs.begin(), minimal.readyMs.end()),
                *std::max_element(minimal.readyMs.begin(), minimal.readyMs.end()));
    std::printf("Ready at the first idle moment: orvanel %d/%d, minimal %d/%d runs.\n",
                runs - orvanel.late, runs, runs - minimal.late, runs);
    if (orvanel.peakMiB.size() != static_cast<size_t>(runs) || minimal.peakMiB.size() != static_cast<size_t>(runs))
        std::printf("Peak memory was not reported for every run (orvanel %u, minimal %u).\n",
                    static_cast<unsigned>(orvanel.peakMiB.size()), static_cast<unsigned>(minimal.peakMiB.size()));
    std::fflush(stdout);
    return 0;
}
