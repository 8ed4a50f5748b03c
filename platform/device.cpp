// The emulated device: its screen, its ROM image, its object store and its reboot request.
#include "platform/pocketpc.h"

#include <algorithm>
#include <cwchar>
#include <limits>
#include <string>
#include <vector>

#include "base/handles.h"

namespace {

struct Screen { int width; int height; int dpi; };

// Set by a test, or by the screen changing size while the program runs.
bool screenOverridden = false;
Screen screenOverride{};
RebootHandler rebootHandler = nullptr;

// Parses "WIDTHxHEIGHT" with an optional "@DPI"; false when the text is not of that form.
bool ParseScreen(const wchar_t* text, Screen& out) {
    wchar_t* end = nullptr;
    long width = std::wcstol(text, &end, 10);
    if (end == text || (*end != L'x' && *end != L'X')) return false;
    const wchar_t* rest = end + 1;
    long height = std::wcstol(rest, &end, 10);
    if (end == rest) return false;
    long dpi = 96;
    if (*end == L'@') {
        rest = end + 1;
        dpi = std::wcstol(rest, &end, 10);
        if (end == rest) return false;
    }
    if (*end != L'\0' || width <= 0 || height <= 0 || dpi <= 0) return false;
    out = {static_cast<int>(width), static_cast<int>(height), static_cast<int>(dpi)};
    return true;
}

Screen CurrentScreen() {
    if (screenOverridden) return screenOverride;
    wchar_t text[64];
    DWORD length = GetEnvironmentVariableW(L"ORVANEL_SCREEN", text, 64);
    Screen screen{};
    if (length > 0 && length < 64 && ParseScreen(text, screen)) return screen;

    screen.width = GetSystemMetrics(SM_CXSCREEN);
    screen.height = GetSystemMetrics(SM_CYSCREEN);
    screen.dpi = 96;
    if (HDC dc = GetDC(nullptr)) {
        screen.dpi = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(nullptr, dc);
    }
    if (screen.dpi <= 0) screen.dpi = 96;
    return screen;
}

// The height of the navigation bar and of the menu bar on this screen.
int BarHeight(const Screen& screen) { return kMenuBarHeight * screen.dpi / 96; }

struct RomFile {
    std::wstring name;
    DWORD attributes;
    DWORD sizeLow;
};

// The files (not folders) of the ROM folder, sorted by name ignoring case so that an index
// names the same file on every call.
std::vector<RomFile> ListRomFiles() {
    std::vector<RomFile> files;
    std::wstring pattern = RomDirectory();
    pattern += L"*";
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW(pattern.c_str(), &data));
    if (!find) return files;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        files.push_back({data.cFileName, data.dwFileAttributes, data.nFileSizeLow});
    } while (FindNextFileW(find.get(), &data));
    std::sort(files.begin(), files.end(), [](const RomFile& a, const RomFile& b) {
        int order = _wcsicmp(a.name.c_str(), b.name.c_str());
        return order != 0 ? order < 0 : a.name < b.name;
    });
    return files;
}

constexpr DWORD kRomFiles = 2;

DWORD ClampToDword(ULONGLONG value) {
    return value > std::numeric_limits<DWORD>::max() ? std::numeric_limits<DWORD>::max()
                                                     : static_cast<DWORD>(value);
}

}  // namespace

int DeviceMetric(int index) {
    Screen screen = CurrentScreen();
    if (index == SM_CXSCREEN) return screen.width;
    if (index == SM_CYSCREEN) return screen.height;
    return GetSystemMetrics(index);
}

int DeviceDpi() { return CurrentScreen().dpi; }

bool IsLandscapeScreen() { return DeviceMetric(SM_CXSCREEN) > DeviceMetric(SM_CYSCREEN); }

RECT DeviceWorkArea() {
    Screen screen = CurrentScreen();
    int bar = BarHeight(screen);
    return RECT{0, bar, screen.width, screen.height - bar};
}

RECT DeviceDefaultWindowRect() {
    Screen screen = CurrentScreen();
    return RECT{0, BarHeight(screen), screen.width, screen.height};
}

const wchar_t* RomDirectory() {
    static std::wstring directory;
    wchar_t buffer[MAX_PATH];
    DWORD length = GetEnvironmentVariableW(L"ORVANEL_ROM", buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        directory = L"R:\\";
    } else {
        directory.assign(buffer, length);
        if (directory.back() != L'\\' && directory.back() != L'/') directory += L'\\';
    }
    return directory.c_str();
}

BOOL GetRomFileInfo(DWORD type, WIN32_FIND_DATAW* findData, DWORD index) {
    if (type != kRomFiles || !findData) {
        SetLastError(type != kRomFiles ? ERROR_NOT_SUPPORTED : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<RomFile> files = ListRomFiles();
    if (index >= files.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    const RomFile& file = files[index];
    *findData = WIN32_FIND_DATAW{};
    findData->dwFileAttributes = file.attributes;
    findData->nFileSizeLow = file.sizeLow;
    wcsncpy(findData->cFileName, file.name.c_str(), MAX_PATH - 1);
    findData->cFileName[MAX_PATH - 1] = L'\0';
    return TRUE;
}

DWORD GetRomFileBytes(DWORD type, DWORD index, DWORD position, void* buffer, DWORD count) {
    if (type != kRomFiles || (!buffer && count > 0)) return 0;
    std::vector<RomFile> files = ListRomFiles();
    if (index >= files.size()) return 0;
    std::wstring path = RomDirectory() + files[index].name;
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 0;
    LARGE_INTEGER offset;
    offset.QuadPart = position;
    if (!SetFilePointerEx(file.get(), offset, nullptr, FILE_BEGIN)) return 0;
    DWORD total = 0;
    auto* out = static_cast<BYTE*>(buffer);
    while (total < count) {
        DWORD read = 0;
        if (!ReadFile(file.get(), out + total, count - total, &read, nullptr) || read == 0) break;
        total += read;
    }
    return total;
}

BOOL GetStoreInformation(STORE_INFORMATION* info) {
    if (!info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ULARGE_INTEGER available, total, free;
    if (!GetDiskFreeSpaceExW(L"\\", &available, &total, &free)) return FALSE;
    info->dwStoreSize = ClampToDword(total.QuadPart);
    info->dwFreeSize = ClampToDword(free.QuadPart);
    return TRUE;
}

BOOL KernelIoControl(DWORD code, void*, DWORD, void*, DWORD, DWORD* returned) {
    if (code != IOCTL_HAL_REBOOT) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    if (returned) *returned = 0;
    if (rebootHandler) {
        rebootHandler();
        return TRUE;
    }
    // The device script starts the program again when it ends with this code.
    ExitProcess(kRebootExitCode);
}

void SetDeviceScreenSize(int width, int height) {
    if (width <= 0 || height <= 0) return;
    int dpi = CurrentScreen().dpi;
    screenOverridden = true;
    screenOverride = {width, height, dpi};
}

void SetDeviceScreenForTests(int width, int height, int dpi) {
    screenOverridden = width > 0 && height > 0;
    screenOverride = {width, height, dpi > 0 ? dpi : 96};
}

void SetRebootHandlerForTests(RebootHandler handler) { rebootHandler = handler; }
