// The test program's entry: common controls, COM, the object store as the current drive, and
// the program's own module as the resource instance.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "shell/program.h"

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // "\Windows\..." resolves on the object store's drive.
    SetCurrentDirectoryW(L"O:\\");
    testing::InitGoogleTest(&argc, argv);
    // The tests of a full or read-only \Windows need the folder mounted so; they are run, and
    // listed, only by scripts/windows-folder-test.sh, which says which it mounted.
    // Likewise the look at the device after its reset: the test that resets it starts this
    // program again for it.
    auto leaveOut = [](const char* pattern) {
        std::string filter = GTEST_FLAG_GET(filter);
        filter += filter.find('-') == std::string::npos ? "-" : ":";
        GTEST_FLAG_SET(filter, filter + pattern);
    };
    if (!std::getenv("ORVANEL_WINDOWS_FOLDER")) leaveOut("WindowsFolder*");
    if (!std::getenv("ORVANEL_RESET_FACE")) leaveOut("*.AfterReset*");
    return RUN_ALL_TESTS();
}
