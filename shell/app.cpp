#include "shell/app.h"

#include <string>

#include "config/store.h"
#include "framework/handles.h"
#include "framework/registry.h"
#include "platform/pocketpc.h"
#include "resources/resource.h"

HINSTANCE instanceHandle = nullptr;
HWND mainWindow = nullptr;
HWND menuBar = nullptr;
HMENU configMenu = nullptr;
bool quitRunningInstance = false;

const wchar_t* LoadResString(UINT id) {
    const wchar_t* text = nullptr;
    if (LoadStringW(instanceHandle, id, reinterpret_cast<LPWSTR>(&text), 0) <= 0 || !text) return L"";
    return text;
}

void ShowCriticalError(const wchar_t* text) {
    wchar_t message[260];
    _snwprintf(message, 260, L"%ls%ls", text ? text : L"", LoadResString(IDS_TERMINATE));
    message[259] = L'\0';
    if (MessageBoxW(nullptr, message, LoadResString(IDS_CRITICAL_ERROR), MB_YESNO | MB_TOPMOST) == IDYES)
        PostQuitMessage(-1);
}

void ShowCriticalErrorId(UINT id) { ShowCriticalError(LoadResString(id)); }

void DeleteLeftoverFiles() {
    WIN32_FIND_DATAW found;
    FindHandle find(FindFirstFileW(L"\\Windows\\delme_*.*", &found));
    if (!find) return;
    do {
        std::wstring path = std::wstring(L"\\Windows\\") + found.cFileName;
        DeleteFileW(path.c_str());
    } while (FindNextFileW(find.get(), &found));
}

namespace {
std::wstring KeyName(UINT id) { return LoadResString(id); }

// After installation: offer to take back the data a previous removal kept.
void InstallHook() {
    std::wstring backup = KeyName(IDS_BACKUP_KEY);
    if (!KeyExists(backup.c_str(), nullptr)) return;
    if (MessageBoxW(nullptr, LoadResString(IDS_IMPORT_PREVIOUS), LoadResString(IDS_INFORMATION),
                    MB_YESNO | MB_TOPMOST) == IDYES)
        CopyKeyTree(backup.c_str(), KeyName(IDS_PROGRAM_KEY).c_str(), HKEY_LOCAL_MACHINE);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, backup.c_str());
}

// Before removal: keep the configurations under the backup key unless the user wants them gone.
void RemovalHook() {
    std::wstring program = KeyName(IDS_PROGRAM_KEY);
    if (MessageBoxW(nullptr, LoadResString(IDS_DELETE_DATA), LoadResString(IDS_CONFIRM),
                    MB_YESNO | MB_TOPMOST) != IDYES)
        CopyKeyTree(program.c_str(), KeyName(IDS_BACKUP_KEY).c_str(), HKEY_LOCAL_MACHINE);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, program.c_str());
    quitRunningInstance = true;
}
}  // namespace

int RunMessageLoop() {
    HACCEL accelerators = LoadAcceleratorsW(instanceHandle, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!TranslateAcceleratorW(msg.hwnd, accelerators, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}

int OrvanelMain(HINSTANCE instance, const wchar_t* commandLine, int showCommand) {
    instanceHandle = instance;
    const wchar_t* line = commandLine ? commandLine : L"";
    if (wcsstr(line, L"first")) {
        InstallHook();
        return 0;
    }
    if (wcsstr(line, L"last")) RemovalHook();
    if (!CreateMainWindow(showCommand)) return 0;
    return RunMessageLoop();
}
