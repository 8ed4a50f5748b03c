// The device layer: the Pocket PC shell and core calls that desktop Win32 lacks, under their
// device names, implemented on desktop Win32 with the effect the program expects on a device.
// Each call is documented in one line. The emulated screen is the device's screen, not the host's.
#pragma once
#include <windows.h>
#include <commctrl.h>
// The file dialogs below are this layer's own: commdlg.h declares them as plain functions here,
// not as imports from comdlg32.
#ifndef WINCOMMDLGAPI
#define WINCOMMDLGAPI
#endif
#include <commdlg.h>
#include <cderr.h>

// ---- Shell: dialog initialisation and the Done button -------------------------------------
#define SHIDIM_FLAGS 0x0001
#define SHIDIF_DONEBUTTON 0x0001
#define SHIDIF_SIZEDLG 0x0002
#define SHIDIF_SIZEDLGFULLSCREEN 0x0004
#define SHIDIF_SIPDOWN 0x0008
#define SHDB_SHOW 1
#define SHDB_HIDE 2
struct SHINITDLGINFO { DWORD dwMask; HWND hDlg; DWORD dwFlags; };
// Full-screen flag: a top-level dialog fills the work area; SIPDOWN lowers the input panel.
BOOL SHInitDialog(SHINITDLGINFO* info);
// Shows or hides the window's Done (OK, id 1) button; a property sheet hides all its buttons.
BOOL SHDoneButton(HWND wnd, DWORD state);

// ---- Shell: the menu bar -------------------------------------------------------------------
#define SHCMBM_GETSUBMENU (WM_USER + 401)
#define SHCMBF_EMPTYBAR 0x0001
struct SHMENUBARINFO {
    DWORD cbSize; HWND hwndParent; DWORD dwFlags; UINT nToolBarId; HINSTANCE hInstRes;
    int nBmpId; int cBmpImages; HWND hwndMB; COLORREF clrBk;
};
// Creates a 26-pixel bar along the bottom of the screen from the menu bar record (RCDATA
// nToolBarId: menu id, button count, then per button image, command, state, style, string id,
// 0, sub-menu index). A button opens its drop-down; chosen commands go to hwndParent.
BOOL SHCreateMenuBar(SHMENUBARINFO* info);
constexpr int kMenuBarHeight = 26;
// The menu bar's button with this command id (for tests that press it), or null.
HWND MenuBarButton(HWND menuBar, UINT command);

// ---- Shell: setting changes and the input panel ---------------------------------------------
struct SHACTIVATEINFO { DWORD cbSize; HWND hwndLastFocus; UINT fSipUp : 1; UINT fSipOnDeactivation : 1;
                        UINT fActive : 1; UINT fReserved : 29; };
// The shell's notification that the screen was laid out anew (sent when the screen turns).
#define SETTINGCHANGE_RESET 0x3002
// Lets the shell react to a setting change. For SETTINGCHANGE_RESET it puts a top-level window
// back below the navigation bar, its menu bar at the bottom and its sheets over the work area.
BOOL SHHandleWMSettingChange(HWND wnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* info);
// Desktop Windows tells a screen of a new size with WM_DISPLAYCHANGE (lParam: width, height);
// the device's shell sends WM_SETTINGCHANGE SETTINGCHANGE_RESET. This takes the new size as the
// device screen and sends `wnd` the device's setting change, so that a program turns on both.
void TranslateDisplayChange(HWND wnd, LPARAM lParam);
// How many times SHHandleWMSettingChange has been called in this process (for tests).
int SettingChangeCallsForTests();
#define SIPF_OFF 0x0
#define SIPF_ON 0x1
// Raises (SIPF_ON) or lowers (SIPF_OFF) the input panel; here it records the state.
BOOL SipShowIM(DWORD flags);
// Whether the input panel is up, as last set.
bool IsInputPanelUp();

// ---- Shell: images ---------------------------------------------------------------------------
// Loads an image file (GIF, BMP, JPEG, PNG) through the system codecs into a bitmap, or null.
HBITMAP SHLoadImageFile(const wchar_t* fileName);
// The same for image bytes in memory (an image inside a theme file).
HBITMAP LoadImageBytes(const void* bytes, size_t size);

// ---- Common dialogs: the file dialogs -----------------------------------------------------------
// The device's Save and Open dialogs under the system's names (nothing links comdlg32). Full screen, laid out for the
// screen and again when it turns. Save: "Name", "Folder" (of \My Documents or the card), "Type"
// (the filter; its extension is added) and "Location" (main memory, or the storage card while
// \Storage Card exists); a device's name (NUL, COM1.ov) is refused like a name with a bad
// character; OFN_OVERWRITEPROMPT asks before a file is replaced. Open: the files of
// the chosen type in \My Documents, its folders and the card's, in a list sorted by a tap on a
// column; a tap on a file opens it. lpstrFile gets the path, nFileOffset, nFileExtension,
// nFilterIndex (and lpstrFileTitle) are set. FALSE on Cancel, with CommDlgExtendedError() 0.
BOOL WINAPI GetSaveFileNameW(LPOPENFILENAMEW ofn);
BOOL WINAPI GetOpenFileNameW(LPOPENFILENAMEW ofn);
DWORD WINAPI CommDlgExtendedError();

// ---- Shell: property sheets ------------------------------------------------------------------
#define PSCB_GETVERSION 3
#define PSCB_GETTITLE 4
#define COMCTL32_VERSION_PPC 0x020C
#define PSH_MAXIMIZE 0x2000
// Creates a Pocket PC property sheet: full screen, a title line (a static control, asked from
// the callback with PSCB_GETTITLE), tabs along the bottom, no buttons; the dialog of a page whose
// descriptor is marked premature is made at once, any other when first shown. Modeless headers
// return the sheet window.
INT_PTR PpcPropertySheet(PROPSHEETHEADERW* header);

// ---- Core: ROM file table, object store, reboot ----------------------------------------------
// type 2 = files of the ROM image. Fills the index-th file's find data; fails past the last.
BOOL GetRomFileInfo(DWORD type, WIN32_FIND_DATAW* findData, DWORD index);
// Copies `count` bytes from `position` of the index-th ROM file; returns the bytes copied.
DWORD GetRomFileBytes(DWORD type, DWORD index, DWORD position, void* buffer, DWORD count);
struct STORE_INFORMATION { DWORD dwStoreSize; DWORD dwFreeSize; };
// Size and free space of the object store (the drive of the current directory).
BOOL GetStoreInformation(STORE_INFORMATION* info);
#define IOCTL_HAL_REBOOT 0x0101003C
// IOCTL_HAL_REBOOT asks the emulated device to restart: the program ends with kRebootExitCode
// and the device script starts it again. Other codes fail.
BOOL KernelIoControl(DWORD code, void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned);
constexpr UINT kRebootExitCode = 3010;

// ---- Message boxes -----------------------------------------------------------------------------
// From now on this thread's message boxes never get wider than the device screen: a wider box is
// narrowed to it, its text wrapped again. The device's own boxes do this by themselves.
void FitMessageBoxesToDeviceScreen();

// ---- The emulated device -------------------------------------------------------------------
// The device screen in pixels and its dots per inch: ORVANEL_SCREEN ("240x320", "320x240",
// "480x640@192") when set, else the host's screen.
int DeviceMetric(int index);   // SM_CXSCREEN or SM_CYSCREEN
int DeviceDpi();
// Whether the device screen is turned on its side: wider than high (a square screen is upright).
bool IsLandscapeScreen();
// The work area a full-screen window or dialog takes: below the 26-pixel navigation bar and
// above the menu bar.
RECT DeviceWorkArea();
// Where the Pocket PC puts a top-level window created with default position and size.
RECT DeviceDefaultWindowRect();
// The folder of the ROM image: ORVANEL_ROM when set, else "R:\".
const wchar_t* RomDirectory();

// The screen turned or changed size at run time: from now on it is width x height, at the same
// dots per inch.
void SetDeviceScreenSize(int width, int height);

// Test seams: replace the screen (a width or height of 0 goes back to ORVANEL_SCREEN or the
// host), and what the reboot request does (null: the process ends with kRebootExitCode).
void SetDeviceScreenForTests(int width, int height, int dpi);
using RebootHandler = void (*)();
void SetRebootHandlerForTests(RebootHandler handler);
