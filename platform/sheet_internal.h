// Shared between the property sheet and the shell calls of the device layer.
#pragma once
#include <windows.h>

// Whether the window is a sheet created by PpcPropertySheet (from its initialisation on).
bool IsPpcSheetWindow(HWND wnd);
// Hides every button of a sheet: OK, Cancel, Help and Apply.
void HideSheetButtons(HWND sheet);
// Fits a sheet of this layer to the device's work area again and lays its parts out anew.
void FitSheetToScreen(HWND sheet);
// Moves a menu bar of this layer to the bottom of the device screen, as wide as the screen.
bool PlaceMenuBar(HWND bar);
