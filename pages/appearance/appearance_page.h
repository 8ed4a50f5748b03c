// The appearance (GUI) page: the colours and fonts of the window elements the system draws,
// picked element by element, with a miniature screen drawn in them.
#pragma once
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "base/handles.h"
#include "framework/page_kit.h"
#include "framework/page_queries.h"
#include "framework/preview_cache.h"
#include "pages/appearance/system_font.h"

// One element of the window system that the user can pick: its label, and the font and system
// colour it uses (several elements share one).
struct AppearanceElement {
    std::wstring label;        // at most 64 characters
    std::wstring labelCopy;
    FontSpec* font = nullptr;
    COLORREF* color = nullptr;
    int defined = 0;
};

class AppearancePage : public KitPage, public AppearanceElements, public SystemColorsValue {
public:
    ValueRef SystemColorsRef() const override { return {LiveRoot::System, L"GWE", L"SysColor"}; }
    static constexpr int kColorCount = 29;
    static constexpr int kElementCount = 23;
    static constexpr int kFontCount = 4;

    explicit AppearancePage(PageHost& host);
    BOOL IsKind(DWORD tag) override { return tag == kTagGui; }
    BOOL Load(Store& store) override;
    BOOL Save(Store& store) override;
    // The element record of number 0 to 22 (its address), else 0.
    INT_PTR QueryItem(int index, INT_PTR reserved) override;

    std::optional<COLORREF> ElementColor(int element) const override;
    HFONT ElementFont(int element) const override;

    // Makes an element the selected one and shows it in the controls; with `inList` the element
    // list selects it too. Numbers outside 0 to 22 are ignored.
    void SelectElement(int element, bool inList);
    int selectedElement() const { return selected_; }

    std::array<FontSpec, kFontCount> fonts;
    std::array<COLORREF, kColorCount> sysColors = {};
    std::array<AppearanceElement, kElementCount> elements;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code) override;
    void OnSettingChange() override { Refresh(); }
    std::vector<SettingWords> DescribeStore(Store& store) override;
    std::optional<BOOL> OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void RebuildElements();
    void FillElementList();
    void FillFaceList();
    // Repaints the preview and the colour button, and the title line.
    void Refresh();
    void Paint();
    // Copies the preview into the page's DC at the preview area, drawing it first when stale.
    void PaintPreview(HDC dc);
    void DrawPreview(HDC dc, const RECT& area) const;

    int selected_ = 2;
    bool facesListed_ = false;
    PreviewCache preview_;
};

std::unique_ptr<SettingsPage> CreateAppearancePage(PageHost& host);
