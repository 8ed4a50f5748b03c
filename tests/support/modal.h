// Answers the modal message boxes and dialogs a test provokes, as a user would, and records
// what each one asked. Scripted answers are used in order; an unscripted box fails the test.
#pragma once
#include <windows.h>
#include <deque>
#include <functional>
#include <string>
#include <vector>

struct SeenBox {
    std::wstring caption;
    std::wstring text;   // a message box's text; empty for other dialogs
};

class ModalScript {
public:
    ModalScript();
    ~ModalScript();
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    // The next modal window is answered by pressing this button (IDOK, IDYES, IDNO, IDCANCEL...).
    ModalScript& Press(int buttonId);
    // The next modal window is handed to the action, which must end it.
    ModalScript& Then(std::function<void(HWND)> action);

    const std::vector<SeenBox>& seen() const { return seen_; }
    size_t unused() const { return script_.size(); }

private:
    static LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD);
    void Activated(HWND wnd);

    HHOOK hook_ = nullptr;
    std::deque<std::function<void(HWND)>> script_;
    std::vector<SeenBox> seen_;
    std::vector<HWND> answered_;
    HWND pendingWindow_ = nullptr;
    std::function<void(HWND)> pendingAction_;
};

// Pumps messages for about `ms` milliseconds.
void PumpMessages(DWORD ms = 0);
// The text of a window.
std::wstring WindowText(HWND wnd);
