// The theme page.
#pragma once
#include <memory>

#include "framework/page_kit.h"

class ThemePage : public KitPage {
public:
    explicit ThemePage(PageHost& host);
    BOOL IsKind(DWORD tag) override { return tag == kTagTheme; }
};

std::unique_ptr<SettingsPage> CreateThemePage(PageHost& host);
