#include "pages/sip/sip_page.h"

#include "resources/resource.h"

SipPage::SipPage(PageHost& host) : KitPage(host, IDD_SIP) {}

std::unique_ptr<SettingsPage> CreateSipPage(PageHost& host) { return std::make_unique<SipPage>(host); }
