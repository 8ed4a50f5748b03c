#include "pages/size/size_page.h"

#include "resources/resource.h"

SizePage::SizePage(PageHost& host) : KitPage(host, IDD_SIZE) {}

std::unique_ptr<SettingsPage> CreateSizePage(PageHost& host) { return std::make_unique<SizePage>(host); }
