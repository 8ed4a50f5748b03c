// GDI helpers for tests: free object slots, and a window's own picture of its client area.
#pragma once
#include <windows.h>

#include <cstddef>

// How many GDI objects the process can still make. Wine's GetGuiResources answers 0, so a test
// that wants to see objects leak counts the brushes that can still be made instead.
size_t FreeGdiSlots();

// The colour at (x, y) of what the window paints into a memory DC when asked to print its client
// area (WM_PRINTCLIENT).
COLORREF PrintedPixel(HWND window, int x, int y);

// How many window-manager objects (windows, menus, icons, cursors) the process can still make,
// counted the same way: Wine answers 0 for those too.
size_t FreeUserSlots();
