// The test program's entry: common controls, COM, the object store as the current drive, and
// the program's own module as the resource instance.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <gtest/gtest.h>

#include "shell/program.h"

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // "\Windows\..." resolves on the object store's drive.
    SetCurrentDirectoryW(L"O:\\");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
