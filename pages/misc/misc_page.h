// The misc page.
#pragma once
#include "framework/stored_page.h"

class MiscPage : public StoredPage {
public:
    explicit MiscPage(HINSTANCE instance);
    BOOL OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL Load(const wchar_t* storeKey) override;
    BOOL Save(const wchar_t* storeKey) override;

    DWORD browserTextSize = 2;       // index of the browser's text size
    DWORD glyphCacheLimit = 8192;    // GDI\GLYPHCACHE "limit"
    bool refreshingControls = false; // set while the page fills its controls itself
};
