#include "pages/fonts/fonts_page.h"

#include "pages/page_factory.h"
#include "resources/resource.h"

FontsPage::FontsPage(HINSTANCE instance) : SettingsPage(instance, IDD_FONTS, nullptr), StoredPage(kTagFont) {}

BOOL FontsPage::OnMessage(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
BOOL FontsPage::Load(const wchar_t*) { return TRUE; }
BOOL FontsPage::Save(const wchar_t*) { return TRUE; }

SettingsPage* CreateFontsPage(HINSTANCE instance) { return new FontsPage(instance); }
