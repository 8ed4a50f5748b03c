// Message boxes as the device shows them: never wider than its screen. The desktop's message
// box sizes itself to its own template and may be wider than a small device screen; a box that
// would be is narrowed to the screen, its text wrapped again and its buttons moved to suit.
#include <algorithm>
#include <string>

#include "base/handles.h"
#include "platform/pocketpc.h"

namespace {

constexpr int kMessageTextId = 0xFFFF;   // the message box's text line
HHOOK fitHook = nullptr;

bool HasClass(HWND wnd, const wchar_t* name) {
    wchar_t cls[32] = {};
    GetClassNameW(wnd, cls, 32);
    return lstrcmpiW(cls, name) == 0;
}

bool IsMessageBox(HWND wnd) {
    HWND text = GetDlgItem(wnd, kMessageTextId);
    return HasClass(wnd, L"#32770") && text && HasClass(text, L"Static");
}

RECT ChildRect(HWND parent, HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The height the text needs when wrapped to `width` pixels in the control's own font.
int WrappedHeight(HWND text, int width) {
    int length = GetWindowTextLengthW(text);
    std::wstring content(length + 1, L'\0');
    GetWindowTextW(text, content.data(), length + 1);
    WindowDc dc(text);
    DcSelection font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(text, WM_GETFONT, 0, 0)));
    RECT r = {0, 0, width, 0};
    DrawTextW(dc.get(), content.c_str(), length, &r, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    return r.bottom - r.top;
}

void FitToScreen(HWND box) {
    RECT outer;
    GetWindowRect(box, &outer);
    int screenWidth = DeviceMetric(SM_CXSCREEN), screenHeight = DeviceMetric(SM_CYSCREEN);
    int excess = (outer.right - outer.left) - screenWidth;
    if (excess <= 0) return;

    HWND text = GetDlgItem(box, kMessageTextId);
    RECT textRect = ChildRect(box, text);
    int textWidth = std::max<int>(40, textRect.right - textRect.left - excess);
    int textHeight = std::max<int>(textRect.bottom - textRect.top, WrappedHeight(text, textWidth));
    int grow = textHeight - (textRect.bottom - textRect.top);
    SetWindowPos(text, nullptr, textRect.left, textRect.top, textWidth, textHeight, SWP_NOZORDER | SWP_NOACTIVATE);

    // The buttons stay centred under the narrower text and move down with it.
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!HasClass(child, L"Button")) continue;
        RECT r = ChildRect(box, child);
        SetWindowPos(child, nullptr, r.left - excess / 2, r.top + grow, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    int height = outer.bottom - outer.top + grow;
    SetWindowPos(box, nullptr, 0, std::max(0, (screenHeight - height) / 2), screenWidth, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK FitHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND wnd = reinterpret_cast<HWND>(wParam);
        if (IsMessageBox(wnd)) FitToScreen(wnd);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

void FitMessageBoxesToDeviceScreen() {
    if (!fitHook) fitHook = SetWindowsHookExW(WH_CBT, FitHook, nullptr, GetCurrentThreadId());
}
