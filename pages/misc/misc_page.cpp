#include "pages/misc/misc_page.h"

#include <cwchar>

#include "base/strings.h"
#include "framework/controls.h"
#include "platform/pocketpc.h"
#include "resources/resource.h"

namespace {

constexpr wchar_t kInboxSettings[] = L"Software\\Microsoft\\Inbox\\Settings";
constexpr wchar_t kBrowserMain[] = L"Software\\Microsoft\\Internet Explorer\\Main";
constexpr size_t kFaceChars = 64;

constexpr int kSpeeds[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
constexpr int kInboxSizes[] = {5, 6, 7, 8, 9, 10, 11, 12, 14, 16, 20, 24};
constexpr int kBrowserOffsets[] = {-2, -1, 0, 1, 2, 3, 4, 5, 6};

// The menu animation speed is kept as a time: speed 1 is 900, speed 9 is 100. A time between
// those steps (250) shows as the speed below it (8) and is written back as it was read.
constexpr kit::NumberForm kSpeedAsTime = {
    [](int speed) { return static_cast<DWORD>(1000 - speed * 100); },
    [](DWORD time) { return static_cast<int>(10 - time / 100); },
};

// The Inbox size shown for the stored tenths of a point: 0 comes out as 7.
int InboxSizeOf(int tenths) { return tenths / 10 == 0 ? 7 : tenths / 10; }

// "face,size×10": the face before the first comma, the size from the number after it. Text
// without a comma is a face alone and leaves the size at 6; a size that comes out 0 is 7.
int InboxFontSizeOf(const std::wstring& text) {
    size_t comma = text.find(L',');
    if (comma == std::wstring::npos) return 6;
    return InboxSizeOf(static_cast<int>(std::wcstol(text.c_str() + comma + 1, nullptr, 10)));
}

void LoadInboxFont(MiscPage& page, const std::optional<std::wstring>& stored) {
    std::wstring text = stored.value_or(L"Tahoma,80,x");
    page.inboxFontSize = 6;
    page.inboxFontTenths = 60;
    size_t comma = text.find(L',');
    if (comma != std::wstring::npos) {
        page.inboxFontTenths = static_cast<int>(std::wcstol(text.c_str() + comma + 1, nullptr, 10));
        page.inboxFontSize = InboxSizeOf(page.inboxFontTenths);
        text.resize(comma);
    }
    if (text.size() > kFaceChars - 1) text.resize(kFaceChars - 1);
    page.inboxFontFace = text;
}

// The size as read while it is the one shown ("Tahoma,85" stays 85); a size chosen since in
// the page's own form, tenths of its points.
int InboxTenths(const MiscPage& page) {
    return InboxSizeOf(page.inboxFontTenths) == page.inboxFontSize ? page.inboxFontTenths : page.inboxFontSize * 10;
}

std::wstring InboxFont(const MiscPage& page) {
    return FormatText(128, L"%s,%d", page.inboxFontFace.c_str(), InboxTenths(page));
}

std::wstring InboxBoldFont(const MiscPage& page) {
    return FormatText(128, L"%s,%d,b", page.inboxFontFace.c_str(), InboxTenths(page));
}

// The face the Inbox list font text names, and its size as the page's list shows it.
std::optional<std::wstring> DescribeInboxFont(const std::optional<std::wstring>& stored) {
    if (!stored) return std::nullopt;
    std::wstring face = stored->substr(0, stored->find(L','));
    if (face.size() > kFaceChars - 1) face.resize(kFaceChars - 1);
    return FormatText(96, LoadResString(IDS_COMPARE_FONT), face.c_str(), InboxFontSizeOf(*stored));
}

// The header and bold fonts are written from the list font: its line speaks for them too.
constexpr const wchar_t* kInboxFontsAlso[] = {L"MsgListHeaderFont", L"MsgListBoldFont", nullptr};

// The stored text is read into 64 bytes, as the device reads it.
constexpr kit::TextCodec<MiscPage> kReadFont = {64, LoadInboxFont, InboxFont, DescribeInboxFont};
constexpr kit::TextCodec<MiscPage> kHeaderFont = {0, nullptr, InboxFont};
constexpr kit::TextCodec<MiscPage> kBoldFont = {0, nullptr, InboxBoldFont};

// The page's values in the order they are saved and exported. The first four live under
// HKEY_LOCAL_MACHINE\SYSTEM on the device, the Inbox and browser values are the user's.
const kit::Setting<MiscPage> kSettings[] = {
    {.subkey = L"GWE", .name = L"Animation", .live = LiveRoot::System,
     .field = &MiscPage::windowAnimation, .initial = 0,
     .label = IDS_MISC_WINDOW_ANIMATION, .shown = kit::Shown::OnOff},
    {.subkey = L"GWE\\Menu", .name = L"AniType", .live = LiveRoot::System,
     .field = &MiscPage::menuAnimationType, .initial = 6,
     .label = IDS_MISC_MENU_ANIMATION, .shown = kit::Shown::OnOff},
    {.subkey = L"GWE\\Menu", .name = L"AniTime", .live = LiveRoot::System,
     .field = &MiscPage::menuAnimationTime, .initial = 100,
     .label = IDS_MISC_SPEED, .shownForm = &kSpeedAsTime},
    {.subkey = L"GDI\\GLYPHCACHE", .name = L"limit", .live = LiveRoot::System,
     .field = &MiscPage::glyphCacheLimit, .initial = 8192,
     .label = IDS_MISC_GLYPH_CACHE},
    {.subkey = kInboxSettings, .name = L"MsgListReadFont", .live = LiveRoot::User, .text = &kReadFont,
     .label = IDS_MISC_INBOX_SIZE, .covers = kInboxFontsAlso},
    {.subkey = kInboxSettings, .name = L"MsgListHeaderFont", .live = LiveRoot::User, .text = &kHeaderFont},
    {.subkey = kInboxSettings, .name = L"MsgListBoldFont", .live = LiveRoot::User, .text = &kBoldFont},
    {.subkey = kBrowserMain, .name = L"ZoomSetting", .live = LiveRoot::User,
     .field = &MiscPage::browserTextSize, .initial = 2, .minimum = 0, .maximum = 10,
     .outOfRange = kit::OutOfRange::Default,
     .label = IDS_MISC_BROWSER_SIZE, .format = L"%+d", .shownOffset = -2},   // as the list shows it
};

int IndexOf(std::span<const int> table, int value) {
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i] == value) return static_cast<int>(i);
    return -1;
}

}  // namespace

MiscPage::MiscPage(PageHost& host) : KitPage(host, IDD_MISC) {}

BOOL MiscPage::Load(Store& store) {
    kit::LoadSettings<MiscPage>(*this, store, kSettings);
    menuAnimationSpeed = kSpeedAsTime.fromStored(static_cast<DWORD>(menuAnimationTime));
    RefreshControls();
    return TRUE;
}

std::vector<SettingWords> MiscPage::DescribeStore(Store& store) {
    return kit::DescribeSettings<MiscPage>(*this, store, kSettings);
}

BOOL MiscPage::Save(Store& store) {
    // The time as read while its speed is the one shown; a speed chosen since as its own time.
    if (kSpeedAsTime.fromStored(static_cast<DWORD>(menuAnimationTime)) != menuAnimationSpeed)
        menuAnimationTime = static_cast<int>(kSpeedAsTime.toStored(menuAnimationSpeed));
    kit::SaveSettings<MiscPage>(*this, store, kSettings);
    return TRUE;
}

INT_PTR MiscPage::QueryItem(int index, INT_PTR) {
    if (index == 0) return windowAnimation;
    if (index == 1) return menuAnimationType;
    return 0;
}

BOOL MiscPage::OnInitDialog() {
    SHINITDLGINFO info = {SHIDIM_FLAGS, hwnd, SHIDIF_SIZEDLG};
    SHInitDialog(&info);
    FillNumberList(hwnd, IDC_MISC_SPEED, kSpeeds, L"%d");
    FillNumberList(hwnd, IDC_MISC_INBOX_SIZE, kInboxSizes, L"%d");
    FillNumberList(hwnd, IDC_MISC_BROWSER_SIZE, kBrowserOffsets, L"%+d");
    RefreshControls();
    return TRUE;
}

void MiscPage::RefreshControls() {
    if (!hwnd) return;
    UpdatingControls guard(*this);
    SetChecked(hwnd, IDC_MISC_WINDOW_ANIMATION, windowAnimation != 0);
    SetChecked(hwnd, IDC_MISC_MENU_ANIMATION, menuAnimationType != 0);
    SelectLine(hwnd, IDC_MISC_SPEED, menuAnimationSpeed - 1);
    EnableControl(hwnd, IDC_MISC_SPEED, menuAnimationType != 0);
    // An unlisted size shows the first line.
    int sizeLine = IndexOf(kInboxSizes, inboxFontSize);
    SelectLine(hwnd, IDC_MISC_INBOX_SIZE, sizeLine < 0 ? 0 : sizeLine);
    SelectLine(hwnd, IDC_MISC_BROWSER_SIZE, browserTextSize);
    SetNumber(hwnd, IDC_MISC_GLYPH_EDIT, glyphCacheLimit);
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateWindow(hwnd);
    host().RefreshTitle();
}

bool MiscPage::OnCommand(WORD id, WORD code) {
    bool changed = false;
    switch (id) {
    case IDC_MISC_WINDOW_ANIMATION:
        if (code != BN_CLICKED) return false;
        windowAnimation = IsChecked(hwnd, id) ? 1 : 0;
        changed = true;
        break;
    case IDC_MISC_MENU_ANIMATION:
        // Only this box changes the type: a loaded type other than 6 stays until it is clicked.
        if (code != BN_CLICKED) return false;
        menuAnimationType = IsChecked(hwnd, id) ? 6 : 0;
        changed = true;
        break;
    case IDC_MISC_SPEED:
        if (code != CBN_SELCHANGE) return false;
        if (auto line = SelectedLine(hwnd, id)) {
            menuAnimationSpeed = *line + 1;
            changed = true;
        }
        break;
    case IDC_MISC_BROWSER_SIZE:
        if (code != CBN_SELCHANGE) return false;
        if (auto line = SelectedLine(hwnd, id)) {
            browserTextSize = *line;
            changed = true;
        }
        break;
    case IDC_MISC_INBOX_SIZE:
        if (code != CBN_SELCHANGE) return false;
        if (auto line = SelectedLine(hwnd, id); line && *line < static_cast<int>(std::size(kInboxSizes))) {
            inboxFontSize = kInboxSizes[*line];
            changed = true;
        }
        break;
    case IDC_MISC_GLYPH_SET:
        if (code != BN_CLICKED) return false;
        // Typing changes nothing until Set; an empty text or a number not above 0 is ignored.
        if (auto number = ReadNumber(hwnd, IDC_MISC_GLYPH_EDIT, 30); number && *number > 0) {
            glyphCacheLimit = static_cast<int>(
                *number < kMinGlyphCache ? kMinGlyphCache : *number > kMaxGlyphCache ? kMaxGlyphCache : *number);
            changed = true;
        }
        break;
    default:
        return false;
    }
    if (changed) {
        host().MarkChanged();
        RefreshControls();
    }
    return true;
}

std::unique_ptr<SettingsPage> CreateMiscPage(PageHost& host) { return std::make_unique<MiscPage>(host); }
