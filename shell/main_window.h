// The main window: its procedure, the menu bar, and the routing of menu commands.
#pragma once
#include <windows.h>

LRESULT CALLBACK MainWindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);
// Carries out a menu or accelerator command; false for ids that are not the program's.
bool HandleCommand(HWND wnd, UINT id);

// The property sheet host: pages, sheet, first-run capture, menu. Runs once per main window.
void CreatePropertySheetHost(HWND owner);
// Destroys the pages and clears the host's state (tests start again from nothing).
void DestroyPropertySheetHost();
// The sheet callback.
int CALLBACK SheetCallback(HWND wnd, UINT message, LPARAM lParam);

// Orientation: true when the screen is wider than high.
extern bool isLandscape;
BOOL CheckOrientation();
void RelayoutPages();
BOOL ApplyDialogLayout(HINSTANCE instance, HWND dialog, WORD templateId);
bool IsWindowOfClass(HWND wnd, const wchar_t* cls);
