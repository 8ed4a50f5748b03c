// The input method (Sip) page.
#pragma once
#include <memory>

#include "framework/page_kit.h"

class SipPage : public KitPage {
public:
    explicit SipPage(PageHost& host);
    BOOL IsKind(DWORD tag) override { return tag == kTagSip; }
};

std::unique_ptr<SettingsPage> CreateSipPage(PageHost& host);
