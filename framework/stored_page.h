// A settings page whose live settings are its settings under the store key "SYSTEM": grabbing
// the system loads from it, applying saves to it. Every page of the program is one.
#pragma once
#include "framework/settings_page.h"

class StoredPage : public virtual SettingsPage {
public:
    explicit StoredPage(DWORD kindTag) : kindTag_(kindTag) {}
    BOOL GrabSystem() override { return Load(kSystemStoreKey); }
    BOOL ApplySystem() override { return Save(kSystemStoreKey); }
    BOOL IsKind(DWORD tag) override { return tag == kindTag_; }
    // Each page says where its settings live.
    BOOL Load(const wchar_t* storeKey) override = 0;
    BOOL Save(const wchar_t* storeKey) override = 0;

private:
    DWORD kindTag_;
};
