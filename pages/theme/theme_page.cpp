#include "pages/theme/theme_page.h"

#include "base/strings.h"
#include "framework/color_chooser.h"
#include "framework/controls.h"
#include "pages/theme/theme_file.h"
#include "platform/pocketpc.h"
#include "resources/resource.h"

namespace {

constexpr wchar_t kColorKey[] = L"SOFTWARE\\Microsoft\\Color";
constexpr DWORD kNone = 0xFFFFFFFF;   // the device's "no colour"

// The colours the page keeps, by number, with the device's defaults.
struct ColorRow {
    int number;
    COLORREF initial;
};
constexpr ColorRow kColors[] = {
    {4, 0x9C2400},  {5, 0xE76D08},  {6, 0xEF8E73},  {7, 0xC6C3C6},  {8, 0x9C2400},
    {9, 0xFFFFFF},  {13, 0x9C2400}, {14, 0xF79A4A}, {25, 0x0030CE}, {26, 0x009AFF},
};

// Where the store keeps a colour: the live device at HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Color,
// any other store below its own key.
ValueRef Where(const DwordValue& value) { return {LiveRoot::Machine, value.keyPath, value.valueName}; }

}  // namespace

ThemePage::ThemePage(PageHost& host) : KitPage(host, IDD_THEME) {
    for (const ColorRow& row : kColors) {
        auto value = std::make_unique<DwordValue>();
        value->BindRange(kColorKey, FormatText(8, L"%d", row.number).c_str(), 0, 0xFFFFFFFF, row.initial);
        colors_[row.number] = std::move(value);
    }
    items_.reserve(kItemRoom);
    using F = ThemeItem;
    AddItem(IDS_THEME_STATUS_BAR, IDB_TODAY_STATUS, F::kAlwaysShown, 7, -1, 0, 240, 0, 0);
    AddItem(IDS_THEME_TODAY_TEXT, IDB_TODAY_TEXT, F::kAlwaysShown, 4, -1, 0, 240, 0, 0);
    AddItem(IDS_THEME_TITLE, IDB_TODAY_TITLE, F::kAlwaysShown, 5, 8, 0, 240, 0, 0);
    AddItem(IDS_THEME_SEPARATORS, IDB_TODAY_SEPARATORS, F::kAlwaysShown, 6, -1, 0, 240, 0, 0);
    AddItem(IDS_THEME_TOOLTIP, IDB_TODAY_TIP_TITLE, F::kWhenSelected, 13, 14, 11, 218, IDB_TIP, IDB_TIP_MASK);
    AddItem(IDS_THEME_CRITICAL, IDB_TODAY_CRITICAL_TITLE, F::kWhenSelected, 25, 26, 11, 218, IDB_CRITICAL,
            IDB_CRITICAL_MASK);
    AddItem(IDS_THEME_TITLE_TEXT, IDB_TODAY_TITLE_TEXT, F::kAlwaysShown, 9, -1, 0, 240, 0, 0);
}

ThemePage::~ThemePage() = default;

// A second colour of -1 is the first one; a second colour of its own makes a gradient. The
// bitmaps are loaded with the rest of the picture's objects, when it is first composed.
void ThemePage::AddItem(UINT labelId, WORD maskId, int flags, int firstColor, int secondColor, int gradientStart,
                        int gradientWidth, WORD tipPictureId, WORD tipMaskId) {
    if (static_cast<int>(items_.size()) >= kItemRoom) return;
    ThemeItem& item = items_.emplace_back();
    item.labelId = labelId;
    item.flags = flags;
    item.firstColor = firstColor;
    if (secondColor == -1) {
        item.secondColor = firstColor;
    } else {
        item.secondColor = secondColor;
        item.flags |= ThemeItem::kTwoColors;
    }
    item.label = LoadResString(labelId);
    item.maskId = maskId;
    item.gradientStart = gradientStart;
    item.gradientWidth = gradientWidth;
    item.tipPictureId = tipPictureId;
    item.tipMaskId = tipMaskId;
}

DwordValue* ThemePage::Color(int number) const {
    return number >= 0 && number < kColorSlots ? colors_[number].get() : nullptr;
}

DWORD ThemePage::ColorValue(int number) const {
    const DwordValue* value = Color(number);
    return value ? value->value : kNone;
}

COLORREF ThemePage::ItemColor(const ThemeItem& item, bool second) const {
    return ColorValue(second ? item.secondColor : item.firstColor);
}

BOOL ThemePage::Load(Store& store) {
    // The watermark may have changed with the device: it is read again for the next picture.
    watermark_.reset();
    watermarkWanted_ = true;
    for (const auto& value : colors_) {
        if (!value) continue;
        value->SetValue(store.ReadDword(Where(*value)).value_or(kNone));
        if (value->value == kNone) value->SetValue(value->initial);
    }
    Refresh();
    return TRUE;
}

// The Today colours by item: a gradient's two colours as its start and its end.
std::vector<SettingWords> ThemePage::DescribeStore(Store& store) {
    std::vector<SettingWords> out;
    auto color = [&](int number) -> std::optional<COLORREF> {
        const DwordValue* value = Color(number);
        auto stored = value ? store.ReadDword(Where(*value)) : std::nullopt;
        if (!stored || *stored == kNone) return std::nullopt;
        return *stored;
    };
    auto line = [&](std::wstring label, int number) {
        SettingWords words = kit::ColorWords(std::move(label), color(number));
        if (const DwordValue* value = Color(number)) words.places = {{value->keyPath, value->valueName}};
        out.push_back(std::move(words));
    };
    for (const ThemeItem& item : items_) {
        if (!(item.flags & ThemeItem::kTwoColors)) {
            line(item.label, item.firstColor);
            continue;
        }
        line(FormatText(96, LoadResString(IDS_COMPARE_FROM), item.label.c_str()), item.firstColor);
        line(FormatText(96, LoadResString(IDS_COMPARE_TO), item.label.c_str()), item.secondColor);
    }
    return out;
}

BOOL ThemePage::Save(Store& store) {
    for (const auto& value : colors_)
        if (value) store.WriteDword(Where(*value), value->value);
    return TRUE;
}

void ThemePage::Refresh() {
    composed_ = false;
    if (hwnd) {
        InvalidateRect(hwnd, nullptr, TRUE);
        for (int id : {IDC_THEME_FIRST_COLOR, IDC_THEME_SECOND_COLOR})
            if (HWND button = GetDlgItem(hwnd, id)) InvalidateRect(button, nullptr, TRUE);
        UpdateWindow(hwnd);
    }
    host().RefreshTitle();
}

void ThemePage::ShowColorButtons() {
    if (!hwnd) return;
    const bool two = (items_[selected_].flags & ThemeItem::kTwoColors) != 0;
    ShowWindow(GetDlgItem(hwnd, IDC_THEME_SECOND_COLOR), two ? SW_SHOW : SW_HIDE);
}

BOOL ThemePage::OnInitDialog() {
    {
        UpdatingControls guard(*this);
        for (const ThemeItem& item : items_)
            SendDlgItemMessageW(hwnd, IDC_THEME_ITEM, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.label.c_str()));
        SelectLine(hwnd, IDC_THEME_ITEM, selected_);
    }
    ShowColorButtons();
    return FALSE;
}

bool ThemePage::OnCommand(WORD id, WORD code) {
    switch (id) {
    case IDC_THEME_ITEM: {
        if (code != CBN_SELCHANGE) return false;
        auto line = SelectedLine(hwnd, id);
        if (line && *line < ItemCount()) selected_ = *line;
        ShowColorButtons();
        Refresh();
        if (DeviceMetric(SM_CXSCREEN) <= DeviceMetric(SM_CYSCREEN)) FlashItemArea(items_[selected_]);
        return true;
    }
    case IDC_THEME_FILE:
        if (code == BN_CLICKED) ShowThemeMenu();
        return code == BN_CLICKED;
    case IDM_THEME_OPEN:
        AskOpenTheme();
        return true;
    case IDM_THEME_SAVE:
        AskSaveTheme();
        return true;
    case IDC_THEME_FIRST_COLOR:
    case IDC_THEME_SECOND_COLOR: {
        if (code != BN_CLICKED) return false;
        const ThemeItem& item = items_[selected_];
        DwordValue* value = Color(id == IDC_THEME_FIRST_COLOR ? item.firstColor : item.secondColor);
        if (!value) return true;
        COLORREF color = value->value;
        // "Cancel" leaves the colour and the change counters as they were.
        if (PickColor(host(), color, hwnd)) value->SetValue(color);
        Refresh();
        return true;
    }
    }
    return false;
}

std::optional<BOOL> ThemePage::OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        Paint(dc);
        EndPaint(hwnd, &ps);
        return TRUE;
    }
    case WM_PRINTCLIENT:
        // A picture of the page (a screenshot, a test) shows what a paint would.
        Paint(reinterpret_cast<HDC>(wParam));
        return TRUE;
    case WM_MEASUREITEM: {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (!item || (item->CtlID != IDC_THEME_FIRST_COLOR && item->CtlID != IDC_THEME_SECOND_COLOR))
            return std::nullopt;
        item->CtlType = ODT_BUTTON;
        item->itemWidth = 32;
        item->itemHeight = 12;
        return TRUE;
    }
    case WM_DRAWITEM: {
        auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (!draw || (draw->CtlID != IDC_THEME_FIRST_COLOR && draw->CtlID != IDC_THEME_SECOND_COLOR))
            return std::nullopt;
        const ThemeItem& item = items_[selected_];
        COLORREF color = ItemColor(item, false);
        if (draw->CtlID == IDC_THEME_SECOND_COLOR)
            color = (item.flags & ThemeItem::kTwoColors) ? ItemColor(item, true) : RGB(0, 0, 0);
        DrawColorButton(*draw, color);
        return TRUE;
    }
    }
    return std::nullopt;
}

// ---- Today themes ------------------------------------------------------------------------------

namespace {
constexpr size_t kPathChars = 260;   // the file dialogs' name buffer
constexpr size_t kFilterChars = 64;

struct MenuTraits {
    using Handle = HMENU;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { DestroyMenu(h); }
};
}  // namespace

// "Theme...": a menu below the button with "Open theme..." and "Save as theme...", whose
// commands come back to the page.
void ThemePage::ShowThemeMenu() {
    UniqueHandle<MenuTraits> menu(CreatePopupMenu());
    if (!menu) return;
    AppendMenuW(menu.get(), MF_STRING, IDM_THEME_OPEN, LoadResString(IDS_THEME_OPEN_ITEM));
    AppendMenuW(menu.get(), MF_STRING, IDM_THEME_SAVE, LoadResString(IDS_THEME_SAVE_ITEM));
    RECT button = {};
    GetWindowRect(GetDlgItem(hwnd, IDC_THEME_FILE), &button);
    const UINT chosen = static_cast<UINT>(TrackPopupMenuEx(menu.get(), TPM_RIGHTALIGN | TPM_TOPALIGN | TPM_RETURNCMD,
                                                           button.right, button.bottom, hwnd, nullptr));
    if (chosen) OnCommand(static_cast<WORD>(chosen), 0);
}

void ThemePage::Tell(const std::wstring& text, UINT captionId, UINT type) {
    host().ShowMessage(text.c_str(), LoadResString(captionId), type);
}

// The device's Open or Save dialog, as the program's session answers it, for "Today themes
// (*.tsk)". Save starts in \My Documents under the opened theme's name and offers \Windows, where
// the device's Today settings also look for themes.
bool ThemePage::AskThemePath(bool save, wchar_t* path, size_t chars) {
    wchar_t filter[kFilterChars] = {};
    const wchar_t* source = LoadResString(IDS_THEME_FILTER);
    for (size_t i = 0; i < kFilterChars - 2 && source[i]; ++i) filter[i] = source[i] == L'#' ? L'\0' : source[i];
    std::wstring start;
    if (save) {
        std::wstring name = openedPath_.substr(openedPath_.find_last_of(L'\\') + 1);
        if (const size_t dot = name.rfind(L'.'); dot != std::wstring::npos) name.erase(dot);
        start = L"\\My Documents\\" + name;
    }
    CopyText(path, chars, start);
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = host().MessageOwner();
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = static_cast<DWORD>(chars);
    ofn.lpstrTitle = LoadResString(save ? IDS_THEME_SAVE_TITLE : IDS_THEME_OPEN_TITLE);
    ofn.lpstrInitialDir = save ? L"\\Windows" : nullptr;
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    if (!host().AskFileName(save, &ofn)) return false;
    path[chars - 1] = L'\0';
    return path[0] != L'\0';
}

void ThemePage::AskOpenTheme() {
    wchar_t path[kPathChars];
    if (AskThemePath(false, path, kPathChars)) OpenThemeFile(path);
}

void ThemePage::AskSaveTheme() {
    wchar_t path[kPathChars];
    if (AskThemePath(true, path, kPathChars)) SaveThemeFile(path);
}

BOOL ThemePage::OpenThemeFile(const wchar_t* path) {
    TodayTheme theme;
    OwnedBitmap picture;
    const ThemeOutcome outcome = ReadThemeFile(path, theme, &picture);
    if (!outcome.ok) {
        Tell(outcome.message, IDS_ERROR, MB_OK | MB_ICONEXCLAMATION | MB_TOPMOST);
        return FALSE;
    }
    // The theme's colours are the user's edits; a colour it lacks keeps the page's, and its "no
    // colour" is the default, as when the page loads one.
    for (int number : kTodayColorNumbers) {
        auto found = theme.colors.find(number);
        DwordValue* value = Color(number);
        if (found != theme.colors.end() && value) value->SetValue(found->second == kNone ? value->initial : found->second);
    }
    opened_ = std::move(theme);
    openedPath_ = path;
    // The picture stands on the theme's Today image, decoded once already; without one, on the
    // device's.
    watermarkWanted_ = !picture;
    watermark_ = std::move(picture);
    host().NoteColorChoice();
    host().SettingsChanged();
    Refresh();
    if (!outcome.message.empty()) Tell(outcome.message, IDS_INFORMATION, MB_OK | MB_ICONINFORMATION | MB_TOPMOST);
    return TRUE;
}

BOOL ThemePage::SaveThemeFile(const wchar_t* path) {
    std::map<int, uint32_t> colors;
    for (int number : kTodayColorNumbers) colors[number] = ColorValue(number);
    const ThemeOutcome outcome = WriteThemeFile(path, colors, OpenedTheme());
    if (!outcome.ok) Tell(outcome.message, IDS_ERROR, MB_OK | MB_ICONEXCLAMATION | MB_TOPMOST);
    return outcome.ok ? TRUE : FALSE;
}

std::unique_ptr<SettingsPage> CreateThemePage(PageHost& host) { return std::make_unique<ThemePage>(host); }
