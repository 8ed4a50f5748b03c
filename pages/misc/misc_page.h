// The misc page: window and menu animation, the glyph cache limit, the Inbox message list's font
// size and the browser's text size.
#pragma once
#include <memory>
#include <string>

#include "framework/page_kit.h"

class MiscPage : public KitPage {
public:
    explicit MiscPage(PageHost& host);
    BOOL IsKind(DWORD tag) override { return tag == kTagAnim; }
    BOOL Load(Store& store) override;
    BOOL Save(Store& store) override;
    // 0: window animation; 1: menu animation type; anything else 0.
    INT_PTR QueryItem(int index, INT_PTR reserved) override;

    int windowAnimation = 0;        // 0 off, else on
    int menuAnimationType = 6;      // 0 off; any loaded value is kept, switching on gives 6
    int menuAnimationSpeed = 9;     // 1 (slowest) to 9 (fastest)
    int menuAnimationTime = 100;    // "AniTime" as read; Save writes it while its speed is shown
    int inboxFontSize = 8;          // points
    int inboxFontTenths = 80;       // the Inbox size as read, in tenths of a point; kept likewise
    int browserTextSize = 2;        // 0 to 10, shown as an offset from -2
    int glyphCacheLimit = 8192;
    std::wstring inboxFontFace = L"Tahoma";   // at most 63 characters

    // The glyph cache limit "Set" accepts.
    static constexpr int kMinGlyphCache = 1024;
    static constexpr int kMaxGlyphCache = 0x40000;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code) override;
    void OnSettingChange() override { RefreshControls(); }
    std::vector<SettingWords> DescribeStore(Store& store) override;

private:
    void RefreshControls();
};

std::unique_ptr<SettingsPage> CreateMiscPage(PageHost& host);
