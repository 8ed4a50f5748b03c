// The size page.
#pragma once
#include <memory>

#include "framework/page_kit.h"

class SizePage : public KitPage {
public:
    explicit SizePage(PageHost& host);
    BOOL IsKind(DWORD tag) override { return tag == kTagSize; }
};

std::unique_ptr<SettingsPage> CreateSizePage(PageHost& host);
