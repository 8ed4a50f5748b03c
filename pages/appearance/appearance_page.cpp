#include "pages/appearance/appearance_page.h"

#include "pages/page_factory.h"
#include "resources/resource.h"

AppearancePage::AppearancePage(HINSTANCE instance) : SettingsPage(instance, IDD_APPEARANCE, nullptr), StoredPage(kTagGui) {}

BOOL AppearancePage::OnMessage(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
BOOL AppearancePage::Load(const wchar_t*) { return TRUE; }
BOOL AppearancePage::Save(const wchar_t*) { return TRUE; }

SettingsPage* CreateAppearancePage(HINSTANCE instance) { return new AppearancePage(instance); }
