// The theme page: the colours of the Today screen (status bar, Today text, title bar gradient,
// separators, notification bubbles, title text), kept as numbered values under
// HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Color, with a picture of a Today screen in them.
#pragma once
#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "base/handles.h"
#include "framework/page_kit.h"
#include "store/today_theme.h"

// One thing on the Today screen the user can colour.
struct ThemeItem {
    // Flags.
    static constexpr int kTwoColors = 2;      // a gradient from the first colour to the second
    static constexpr int kAlwaysShown = 4;    // its layer is always in the picture
    static constexpr int kWhenSelected = 8;   // a bubble: its layer shows only while it is selected

    UINT labelId = 0;
    int flags = 0;
    int firstColor = 0;    // colour numbers
    int secondColor = 0;   // the first again for a one-colour item
    std::wstring label;
    WORD maskId = 0;       // 240 x 167, 1 bit: 0 marks the pixels the item colours
    OwnedBitmap mask;
    int gradientWidth = 240;
    int gradientStart = 0;
    WORD tipPictureId = 0;   // a bubble's picture and its mask, 0 for others
    WORD tipMaskId = 0;
    OwnedBitmap tipPicture;
    OwnedBitmap tipMask;
};

class ThemePage : public KitPage {
public:
    static constexpr int kColorSlots = 27;
    static constexpr int kItemRoom = 8;
    static constexpr int kPictureWidth = 240;
    static constexpr int kPictureHeight = 167;

    explicit ThemePage(PageHost& host);
    ~ThemePage() override;
    BOOL IsKind(DWORD tag) override { return tag == kTagTheme; }
    // The ten colours below the store; a missing value, or 0xFFFFFFFF, gives the default. The
    // live device keeps them at HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Color, a configuration
    // below its own key. Always TRUE.
    BOOL Load(Store& store) override;
    BOOL Save(Store& store) override;

    // The colour with this number, 0xFFFFFFFF for a number the page does not keep.
    DWORD ColorValue(int number) const;
    int ItemCount() const { return static_cast<int>(items_.size()); }
    const ThemeItem& Item(int index) const { return items_[index]; }
    int SelectedItem() const { return selected_; }
    // How often the picture was composed, and how many inversions flashes have shown.
    int Compositions() const { return compositions_; }
    int InversionsShown() const { return inversions_; }

    // Today themes (theme_file.h). Opening takes a theme's ten colours as the user's edits and
    // keeps the rest of it (its other colours, images, name, provider) until the program ends or
    // another is opened; the picture then shows its Today image. Each says what went wrong, or
    // a note, in a box over the sheet and changes nothing on failure. TRUE when it worked.
    BOOL OpenThemeFile(const wchar_t* path);
    // Writes the page's ten colours as a theme, with the opened theme's other contents.
    BOOL SaveThemeFile(const wchar_t* path);
    // The theme last opened, or null.
    const TodayTheme* OpenedTheme() const { return opened_ ? &*opened_ : nullptr; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code) override;
    std::optional<BOOL> OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    std::vector<SettingWords> DescribeStore(Store& store) override;

private:
    void AddItem(UINT labelId, WORD maskId, int flags, int firstColor, int secondColor, int gradientStart,
                 int gradientWidth, WORD tipPictureId, WORD tipMaskId);
    DwordValue* Color(int number) const;
    COLORREF ItemColor(const ThemeItem& item, bool second) const;
    void ShowColorButtons();
    // The picture is out of date: the page and its buttons repaint at once, the title line too.
    void Refresh();
    void ShowThemeMenu();
    void AskOpenTheme();
    void AskSaveTheme();
    bool AskThemePath(bool save, wchar_t* path, size_t chars);
    void Tell(const std::wstring& text, UINT captionId, UINT type);

    // The picture (theme_preview.cpp).
    bool EnsureDrawingObjects();
    void DrawThemeLayers();
    void FillGradient(const ThemeItem& item);
    void Paint(HDC dc);
    void FlashItemArea(const ThemeItem& item);
    RECT ControlRect(int id) const;

    std::array<std::unique_ptr<DwordValue>, kColorSlots> colors_;
    std::vector<ThemeItem> items_;
    int selected_ = 0;
    std::optional<TodayTheme> opened_;
    std::wstring openedPath_;

    // Made when the picture is first composed, then kept: the watermark (loaded again after each
    // Load), the Today picture and its mask, the picture and work DCs with their bitmaps, and the
    // DC masks are read through.
    OwnedBitmap watermark_;
    bool watermarkWanted_ = true;
    OwnedBitmap today_;
    OwnedBitmap todayMask_;
    OwnedBitmap pictureBitmap_;
    OwnedBitmap workBitmap_;
    MemoryDc pictureDc_;
    MemoryDc workDc_;
    MemoryDc maskDc_;
    std::unique_ptr<DcSelection> pictureSelection_;
    bool drawingObjectsMade_ = false;
    bool composed_ = false;
    int compositions_ = 0;
    int inversions_ = 0;
};

std::unique_ptr<SettingsPage> CreateThemePage(PageHost& host);
