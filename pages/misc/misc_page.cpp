#include "pages/misc/misc_page.h"

#include "pages/page_factory.h"
#include "resources/resource.h"

MiscPage::MiscPage(HINSTANCE instance) : SettingsPage(instance, IDD_MISC, nullptr), StoredPage(kTagAnim) {}

BOOL MiscPage::OnMessage(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
BOOL MiscPage::Load(const wchar_t*) { return TRUE; }
BOOL MiscPage::Save(const wchar_t*) { return TRUE; }

SettingsPage* CreateMiscPage(HINSTANCE instance) { return new MiscPage(instance); }
