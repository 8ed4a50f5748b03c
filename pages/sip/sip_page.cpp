#include "pages/sip/sip_page.h"

#include "pages/page_factory.h"
#include "resources/resource.h"

SipPage::SipPage(HINSTANCE instance) : SettingsPage(instance, IDD_SIP, nullptr), StoredPage(kTagSip) {}

BOOL SipPage::OnMessage(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
BOOL SipPage::Load(const wchar_t*) { return TRUE; }
BOOL SipPage::Save(const wchar_t*) { return TRUE; }

SettingsPage* CreateSipPage(HINSTANCE instance) { return new SipPage(instance); }
