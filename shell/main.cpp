// The program's entry point: installer hooks ("first", "last"), single running copy, main window.
#include <windows.h>
#include <commctrl.h>

#include "platform/pocketpc.h"
#include "shell/program.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    FitMessageBoxesToDeviceScreen();
    Program program(instance);
    return program.Main(commandLine, showCommand);
}
