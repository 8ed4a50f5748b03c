#include "pages/theme/theme_page.h"

#include "pages/page_factory.h"
#include "resources/resource.h"

ThemePage::ThemePage(HINSTANCE instance) : SettingsPage(instance, IDD_THEME, nullptr), StoredPage(kTagTheme) {}

BOOL ThemePage::OnMessage(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
BOOL ThemePage::Load(const wchar_t*) { return TRUE; }
BOOL ThemePage::Save(const wchar_t*) { return TRUE; }

SettingsPage* CreateThemePage(HINSTANCE instance) { return new ThemePage(instance); }
