// Process-wide state of the program and the helpers every part uses.
#pragma once
#include <windows.h>
#include <commctrl.h>

class SettingsPage;

constexpr int kMaxPages = 6;

// Start-up and main window.
extern HINSTANCE instanceHandle;    // module instance; every resource load uses it
extern HWND mainWindow;             // the top-level window
extern HWND menuBar;                // its menu bar, or null
extern HMENU configMenu;            // the Configuration drop-down of the menu bar
extern bool quitRunningInstance;    // set by the "last" hook: close a running copy, open none

// Property sheet host.
extern SettingsPage* pageList[kMaxPages];
extern HPROPSHEETPAGE pageHandles[kMaxPages];
extern int pageCount;
extern HWND propertySheet;          // owner of the store's message boxes and dialogs
extern HWND titleControl;           // the sheet's title line
extern int scale;                   // screen pixels per inch / 96
extern bool isVersion421;           // platform 4.21 or later

// The string with this id, straight from the resource; read-only, never freed.
// A missing id gives the empty string.
const wchar_t* LoadResString(UINT id);

// The fatal-error prompt: the text, then "\nTerminate program?", caption "Critical Error".
// Yes posts quit with code -1.
void ShowCriticalError(const wchar_t* text);
void ShowCriticalErrorId(UINT id);

// The entry point's work, apart from the platform's entry so tests can call it.
int OrvanelMain(HINSTANCE instance, const wchar_t* commandLine, int showCommand);

// Start-up steps, usable on their own.
bool CreateMainWindow(int showCommand);   // window, menu bar, sheet and pages
int RunMessageLoop();                      // until quit; returns the quit code
void DeleteLeftoverFiles();                // "\Windows\delme_*.*"

// Tears down what CreateMainWindow built, so a test can start again from nothing.
void DestroyMainWindowForTests();
