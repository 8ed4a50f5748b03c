// The fonts page.
#pragma once
#include "framework/stored_page.h"

class FontsPage : public StoredPage {
public:
    explicit FontsPage(HINSTANCE instance);
    BOOL OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL Load(const wchar_t* storeKey) override;
    BOOL Save(const wchar_t* storeKey) override;
};
