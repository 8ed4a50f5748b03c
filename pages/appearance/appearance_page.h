// The appearance (GUI) page.
#pragma once
#include <memory>

#include "framework/page_kit.h"

class AppearancePage : public KitPage {
public:
    explicit AppearancePage(PageHost& host);
    BOOL IsKind(DWORD tag) override { return tag == kTagGui; }
};

std::unique_ptr<SettingsPage> CreateAppearancePage(PageHost& host);
