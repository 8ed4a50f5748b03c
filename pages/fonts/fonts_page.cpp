#include "pages/fonts/fonts_page.h"

#include "resources/resource.h"

FontsPage::FontsPage(PageHost& host) : KitPage(host, IDD_FONTS) {}

std::unique_ptr<SettingsPage> CreateFontsPage(PageHost& host) { return std::make_unique<FontsPage>(host); }
