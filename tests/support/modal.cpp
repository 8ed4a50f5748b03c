#include "support/modal.h"

#include <gtest/gtest.h>

namespace {
ModalScript* current = nullptr;

bool IsDialogClass(HWND wnd) {
    wchar_t cls[32] = {};
    GetClassNameW(wnd, cls, 32);
    return lstrcmpW(cls, L"#32770") == 0;
}

// The program's own modeless property sheet is a dialog too, but nobody answers it.
bool IsPropertySheet(HWND wnd) {
    return FindWindowExW(wnd, nullptr, L"SysTabControl32", nullptr) != nullptr;
}

// The message text of a message box: its longest static text.
std::wstring MessageText(HWND box) {
    std::wstring best;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t cls[32] = {};
        GetClassNameW(child, cls, 32);
        if (lstrcmpiW(cls, L"Static") != 0) continue;
        std::wstring text = WindowText(child);
        if (text.size() > best.size()) best = text;
    }
    return best;
}
}  // namespace

std::wstring WindowText(HWND wnd) {
    int len = GetWindowTextLengthW(wnd);
    std::wstring text(len + 1, L'\0');
    GetWindowTextW(wnd, text.data(), len + 1);
    text.resize(lstrlenW(text.c_str()));
    return text;
}

void PumpMessages(DWORD ms) {
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (ms) Sleep(5);
    } while (GetTickCount() - start < ms);
}

ModalScript::ModalScript() {
    current = this;
    hook_ = SetWindowsHookExW(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
}

ModalScript::~ModalScript() {
    if (hook_) UnhookWindowsHookEx(hook_);
    current = nullptr;
    EXPECT_EQ(script_.size(), 0u) << "scripted answers left unused";
}

ModalScript& ModalScript::Press(int buttonId) {
    script_.push_back([buttonId](HWND wnd) {
        PostMessageW(wnd, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0);
    });
    return *this;
}

ModalScript& ModalScript::Then(std::function<void(HWND)> action) {
    script_.push_back(std::move(action));
    return *this;
}

LRESULT CALLBACK ModalScript::CbtHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && current) current->Activated(reinterpret_cast<HWND>(wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void ModalScript::Activated(HWND wnd) {
    if (!IsDialogClass(wnd) || IsPropertySheet(wnd)) return;
    // A dialog may be activated more than once; answer it once.
    for (HWND seen : answered_)
        if (seen == wnd && IsWindow(wnd)) return;
    answered_.push_back(wnd);
    seen_.push_back({WindowText(wnd), MessageText(wnd)});
    if (script_.empty()) {
        ADD_FAILURE() << "unexpected modal window: caption \"" << testing::PrintToString(seen_.back().caption)
                      << "\" text " << testing::PrintToString(seen_.back().text);
        PostMessageW(wnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        PostMessageW(wnd, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
        return;
    }
    // Act from the modal loop, not from inside activation.
    pendingWindow_ = wnd;
    pendingAction_ = std::move(script_.front());
    script_.pop_front();
    SetTimer(nullptr, 0, 1, OnTimer);
}

void CALLBACK ModalScript::OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (!current || !current->pendingAction_) return;
    auto action = std::move(current->pendingAction_);
    current->pendingAction_ = nullptr;
    action(current->pendingWindow_);
}
