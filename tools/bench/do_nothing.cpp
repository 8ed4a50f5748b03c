// The yardstick of the command rows of the benchmark: a windows program that starts and ends at
// once, with the same start-up libraries Orvanel links (common controls, GDI, user, shell).
#include <windows.h>
#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    return 0;
}
