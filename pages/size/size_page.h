// The size page: the widths and heights of the scroll bars and the caption height, one at a time,
// with a window drawn at those sizes.
#pragma once
#include <array>
#include <memory>
#include <string>

#include "base/handles.h"
#include "framework/page_kit.h"
#include "framework/page_queries.h"
#include "framework/preview_cache.h"

// One metric: its label, where it is kept, its range and its value.
struct SizeItem {
    std::wstring label;        // at most 64 characters
    std::wstring subkey;       // the registry path up to its last separator
    std::wstring valueName;    // and after it
    int value = 50;            // always within [minimum, maximum]
    int minimum = 0;
    int maximum = 100;
    bool inUse = false;

    void SetValue(int v) { value = v < minimum ? minimum : v > maximum ? maximum : v; }
};

class SizePage : public KitPage, public SizeMetrics {
public:
    static constexpr int kSlotCount = 14;
    static constexpr int kCaptionSlot = 12;

    explicit SizePage(PageHost& host);
    BOOL IsKind(DWORD tag) override { return tag == kTagSize; }
    BOOL Load(Store& store) override;
    BOOL Save(Store& store) override;
    // The value of slot 0 to 13 (50 for a slot not in use), else 0.
    INT_PTR QueryItem(int index, INT_PTR reserved) override;
    int SizeMetric(int slot) const override;

    // Makes a slot in use the current one and shows it; with `moveList` the list selects it too.
    void SelectSlot(int slot, bool moveList);
    int currentSlot() const { return current_; }

    std::array<SizeItem, kSlotCount> slots;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code) override;
    void OnSettingChange() override { Repaint(); }
    std::vector<SettingWords> DescribeStore(Store& store) override;
    std::optional<BOOL> OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void SetUpSlots();
    void FillList();
    void Repaint();
    void PaintPreview(HDC dc);
    void DrawPreview(HDC dc, const RECT& frame) const;

    int current_ = kCaptionSlot;
    PreviewCache preview_;   // drawn off screen once per change
};

std::unique_ptr<SettingsPage> CreateSizePage(PageHost& host);
