// The real program started as separate processes on the test device: one running copy only,
// and the removal hook closes it.
#include <gtest/gtest.h>

#include <string>

#include "support/app_fixture.h"
#include "support/modal.h"

namespace {

std::wstring ProgramPath() {
    std::string unixPath = ORVANEL_EXE_PATH;
    std::wstring path = L"Z:";
    for (char c : unixPath) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return path;
}

class Program {
public:
    explicit Program(const wchar_t* arguments) {
        std::wstring line = L"\"" + ProgramPath() + L"\" " + arguments;
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info_);
    }
    ~Program() {
        if (!info_.hProcess) return;
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 99);
        CloseHandle(info_.hProcess);
        CloseHandle(info_.hThread);
    }
    bool started() const { return info_.hProcess != nullptr; }
    DWORD id() const { return info_.dwProcessId; }
    bool running() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }
    // The exit code, or 0xFFFFFFFF when it did not end in time.
    DWORD Wait(DWORD ms) const {
        if (WaitForSingleObject(info_.hProcess, ms) != WAIT_OBJECT_0) return 0xFFFFFFFF;
        DWORD code = 0;
        GetExitCodeProcess(info_.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION info_ = {};
};

HWND WaitForMainWindow(DWORD ms) {
    for (DWORD waited = 0; waited < ms; waited += 50) {
        if (HWND wnd = FindWindowW(L"ORVANEL", L"Orvanel")) return wnd;
        Sleep(50);
    }
    return nullptr;
}

struct BoxSearch {
    DWORD process;
    HWND found;
};

// A dialog window of another process: its message boxes are answered from outside.
HWND WaitForBox(DWORD process, DWORD ms) {
    for (DWORD waited = 0; waited < ms; waited += 50) {
        BoxSearch search = {process, nullptr};
        EnumWindows(
            [](HWND wnd, LPARAM lParam) -> BOOL {
                auto* s = reinterpret_cast<BoxSearch*>(lParam);
                DWORD owner = 0;
                GetWindowThreadProcessId(wnd, &owner);
                wchar_t cls[32] = {};
                GetClassNameW(wnd, cls, 32);
                if (owner == s->process && lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(wnd)) {
                    s->found = wnd;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        Sleep(50);
    }
    return nullptr;
}

TEST(SingleInstance, SecondStartActivatesTheFirstAndLastClosesIt) {
    ClearProgramKeys();
    Program first(L"");
    ASSERT_TRUE(first.started());
    ASSERT_NE(WaitForMainWindow(30000), nullptr);

    Program second(L"");
    EXPECT_EQ(second.Wait(30000), 0u) << "a second start ends at once";
    EXPECT_TRUE(first.running());

    Program removal(L"last");
    HWND box = WaitForBox(removal.id(), 30000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(WindowText(box), L"Confirm");
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
    EXPECT_EQ(removal.Wait(30000), 0u);
    EXPECT_EQ(first.Wait(30000), 0u) << "the running copy was closed";
    EXPECT_EQ(FindWindowW(L"ORVANEL", L"Orvanel"), nullptr);
    ClearProgramKeys();
}
}  // namespace
