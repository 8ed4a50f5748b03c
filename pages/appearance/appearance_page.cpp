#include "pages/appearance/appearance_page.h"

#include "resources/resource.h"

AppearancePage::AppearancePage(PageHost& host) : KitPage(host, IDD_APPEARANCE) {}

std::unique_ptr<SettingsPage> CreateAppearancePage(PageHost& host) { return std::make_unique<AppearancePage>(host); }
