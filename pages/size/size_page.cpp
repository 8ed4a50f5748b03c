#include "pages/size/size_page.h"

#include "pages/page_factory.h"
#include "resources/resource.h"

SizePage::SizePage(HINSTANCE instance) : SettingsPage(instance, IDD_SIZE, nullptr), StoredPage(kTagSize) {}

BOOL SizePage::OnMessage(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
BOOL SizePage::Load(const wchar_t*) { return TRUE; }
BOOL SizePage::Save(const wchar_t*) { return TRUE; }

SettingsPage* CreateSizePage(HINSTANCE instance) { return new SizePage(instance); }
