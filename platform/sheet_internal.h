// Shared between the property sheet and the shell calls of the device layer.
#pragma once
#include <windows.h>

// Whether the window is a sheet created by PpcPropertySheet (from its initialisation on).
bool IsPpcSheetWindow(HWND wnd);
// Hides every button of a sheet: OK, Cancel, Help and Apply.
void HideSheetButtons(HWND sheet);
