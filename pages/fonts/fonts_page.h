// The fonts page.
#pragma once
#include <memory>

#include "framework/page_kit.h"

class FontsPage : public KitPage {
public:
    explicit FontsPage(PageHost& host);
    BOOL IsKind(DWORD tag) override { return tag == kTagFont; }
};

std::unique_ptr<SettingsPage> CreateFontsPage(PageHost& host);
