// The menu bar: a row of buttons along the bottom of the screen, built from a menu bar record
// and a menu resource. Each button with a drop-down opens it above itself; the chosen command
// goes to the bar's parent window as WM_COMMAND.
#include "platform/pocketpc.h"

#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kBarClass[] = L"OrvanelMenuBar";
constexpr WORD kNoSubMenu = 0xFFFF;
constexpr size_t kWordsPerButton = 7;

struct BarButton {
    UINT command;
    WORD subMenu;   // index into the bar's menu, or kNoSubMenu
    std::wstring text;
};

struct BarState {
    HWND parent = nullptr;
    HWND previousActive = nullptr;   // the window that was active before a button took focus
    HMENU menu = nullptr;   // owned: destroyed with the bar
    std::vector<BarButton> buttons;

    ~BarState() { if (menu) DestroyMenu(menu); }

    HMENU SubMenuOf(UINT command) const {
        if (!menu) return nullptr;
        for (const BarButton& button : buttons)
            if (button.command == command && button.subMenu != kNoSubMenu)
                return GetSubMenu(menu, button.subMenu);
        return nullptr;
    }
};

HINSTANCE CodeInstance() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&CodeInstance), &module);
    return module;
}

BarState* StateOf(HWND bar) { return reinterpret_cast<BarState*>(GetWindowLongPtrW(bar, GWLP_USERDATA)); }

// Reads the menu bar record: menu id, button count, then seven words per button. False when
// the record is missing or shorter than its count says.
bool ReadRecord(HINSTANCE inst, UINT id, WORD& menuId, std::vector<BarButton>& buttons) {
    HRSRC info = FindResourceW(inst, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (!info) return false;
    DWORD size = SizeofResource(inst, info);
    HGLOBAL data = LoadResource(inst, info);
    auto* words = data ? static_cast<const WORD*>(LockResource(data)) : nullptr;
    if (!words || size < 2 * sizeof(WORD)) return false;
    size_t available = size / sizeof(WORD);
    menuId = words[0];
    size_t count = words[1];
    if (available < 2 + count * kWordsPerButton) return false;
    for (size_t i = 0; i < count; ++i) {
        const WORD* entry = words + 2 + i * kWordsPerButton;
        // entry: image, command, state, style, string id, reserved, sub-menu index
        BarButton button{entry[1], entry[6], {}};
        const wchar_t* text = nullptr;
        int length = entry[4] ? LoadStringW(inst, entry[4], reinterpret_cast<LPWSTR>(&text), 0) : 0;
        if (text && length > 0) button.text.assign(text, static_cast<size_t>(length));
        while (!button.text.empty() && button.text.back() == L'\0') button.text.pop_back();
        buttons.push_back(std::move(button));
    }
    return true;
}

// Lays the buttons out from the left, each as wide as its text plus a margin.
void CreateButtons(HWND bar, BarState& state, int height, int dpi) {
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HDC dc = GetDC(bar);
    HGDIOBJ old = dc ? SelectObject(dc, font) : nullptr;
    int margin = 8 * dpi / 96;
    int x = 0;
    for (const BarButton& item : state.buttons) {
        SIZE extent{0, 0};
        if (dc) GetTextExtentPoint32W(dc, item.text.c_str(), static_cast<int>(item.text.size()), &extent);
        int width = extent.cx + 2 * margin;
        HWND button = CreateWindowExW(0, L"Button", item.text.c_str(),
                                      WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | BS_FLAT, x, 0, width, height, bar,
                                      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(item.command)),
                                      CodeInstance(), nullptr);
        if (button) SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        x += width;
    }
    if (dc) {
        SelectObject(dc, old);
        ReleaseDC(bar, dc);
    }
}

// A pressed button takes the focus and so activates the bar; the device's bar never keeps
// it, so the window that was active before gets the activation (and its focus) back.
void GiveActivationBack(HWND bar, BarState& state) {
    if (GetActiveWindow() == bar && IsWindow(state.previousActive)) SetActiveWindow(state.previousActive);
}

// Opens the drop-down of a button above it and hands the chosen command to the parent.
void OpenDropDown(HWND bar, BarState& state, UINT command, HWND button) {
    UINT chosen = 0;
    if (HMENU popup = state.SubMenuOf(command)) {
        RECT r{};
        GetWindowRect(button ? button : bar, &r);
        chosen = static_cast<UINT>(TrackPopupMenu(
            popup, TPM_BOTTOMALIGN | TPM_LEFTALIGN | TPM_RETURNCMD, r.left, r.top, 0, bar, nullptr));
    } else {
        // A plain button (no drop-down) is a command of its own.
        for (const BarButton& item : state.buttons)
            if (item.command == command) chosen = command;
    }
    GiveActivationBack(bar, state);
    // The command may end the program and the bar with it: nothing of the bar is used after.
    if (chosen != 0 && IsWindow(state.parent))
        SendMessageW(state.parent, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
}

LRESULT CALLBACK BarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && lParam != 0) {
            if (BarState* state = StateOf(bar))
                OpenDropDown(bar, *state, LOWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        }
        break;
    case WM_INITMENUPOPUP:
        // Lets the owner of the bar bring a drop-down up to date before it shows.
        if (BarState* state = StateOf(bar)) {
            if (IsWindow(state->parent)) SendMessageW(state->parent, message, wParam, lParam);
            return 0;
        }
        break;
    case SHCMBM_GETSUBMENU:
        if (BarState* state = StateOf(bar))
            return reinterpret_cast<LRESULT>(state->SubMenuOf(static_cast<UINT>(lParam)));
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) {
            auto previous = reinterpret_cast<HWND>(lParam);
            if (BarState* state = StateOf(bar); state && previous != bar && !IsChild(bar, previous))
                state->previousActive = previous;
        }
        break;
    case WM_NCDESTROY:
        delete StateOf(bar);
        SetWindowLongPtrW(bar, GWLP_USERDATA, 0);
        break;
    }
    return DefWindowProcW(bar, message, wParam, lParam);
}

bool RegisterBarClass() {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSW wc{};
    wc.lpfnWndProc = BarProc;
    wc.hInstance = CodeInstance();
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kBarClass;
    registered = RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return registered;
}

}  // namespace

BOOL SHCreateMenuBar(SHMENUBARINFO* info) {
    if (!info || !IsWindow(info->hwndParent)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    info->hwndMB = nullptr;
    auto state = std::unique_ptr<BarState>(new (std::nothrow) BarState);
    if (!state) return FALSE;
    state->parent = info->hwndParent;
    if (!(info->dwFlags & SHCMBF_EMPTYBAR)) {
        WORD menuId = 0;
        if (!ReadRecord(info->hInstRes, info->nToolBarId, menuId, state->buttons)) {
            SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
            return FALSE;
        }
        state->menu = LoadMenuW(info->hInstRes, MAKEINTRESOURCEW(menuId));
        if (!state->menu) return FALSE;
    }
    if (!RegisterBarClass()) return FALSE;

    int dpi = DeviceDpi();
    int height = kMenuBarHeight * dpi / 96;
    int width = DeviceMetric(SM_CXSCREEN);
    int top = DeviceMetric(SM_CYSCREEN) - height;
    HWND bar = CreateWindowExW(0, kBarClass, L"", WS_POPUP | WS_CLIPCHILDREN, 0, top, width, height,
                               info->hwndParent, nullptr, CodeInstance(), nullptr);
    if (!bar) return FALSE;
    // From here the bar owns its state and deletes it when it is destroyed.
    BarState* raw = state.release();
    SetWindowLongPtrW(bar, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(raw));
    CreateButtons(bar, *raw, height, dpi);
    // Shown without taking the activation from the window that owns it.
    ShowWindow(bar, SW_SHOWNOACTIVATE);
    info->hwndMB = bar;
    return TRUE;
}

bool PlaceMenuBar(HWND bar) {
    wchar_t name[32] = {};
    if (!bar || !GetClassNameW(bar, name, 32) || lstrcmpW(name, kBarClass) != 0) return false;
    RECT r{};
    GetWindowRect(bar, &r);
    int height = r.bottom - r.top;
    SetWindowPos(bar, nullptr, 0, DeviceMetric(SM_CYSCREEN) - height, DeviceMetric(SM_CXSCREEN), height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

HWND MenuBarButton(HWND menuBar, UINT command) {
    return menuBar ? GetDlgItem(menuBar, static_cast<int>(command)) : nullptr;
}
