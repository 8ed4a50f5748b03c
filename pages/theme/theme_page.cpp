#include "pages/theme/theme_page.h"

#include "resources/resource.h"

ThemePage::ThemePage(PageHost& host) : KitPage(host, IDD_THEME) {}

std::unique_ptr<SettingsPage> CreateThemePage(PageHost& host) { return std::make_unique<ThemePage>(host); }
