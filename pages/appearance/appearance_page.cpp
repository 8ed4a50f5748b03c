#include "pages/appearance/appearance_page.h"

#include <cstring>
#include <cwchar>
#include <set>

#include "base/strings.h"
#include "framework/color_chooser.h"
#include "framework/controls.h"
#include "platform/pocketpc.h"
#include "resources/resource.h"

namespace {

constexpr UINT kFirstLabel = 3100;   // the label of element n is string 3100 + n
constexpr size_t kLabelChars = 64;
constexpr size_t kColorBytes = AppearancePage::kColorCount * sizeof(COLORREF);

// The device's colours where "SysColor" gives none.
constexpr COLORREF kDefaultColors[AppearancePage::kColorCount] = {
    0xC0C0C0, 0x000000, 0x990000, 0x808080, 0xFFFFFF, 0xFFFFFF, 0x000000, 0x000000, 0x000000, 0xFFFFFF,
    0x990000, 0xC0C0C0, 0xFFFFFF, 0x990000, 0xFFFFFF, 0xC0C0C0, 0x808080, 0x808080, 0x000000, 0xFFFFFF,
    0xFFFFFF, 0x000000, 0xFFFFFF, 0x000000, 0xCCFFFF, 0xFFFFFF, 0x000000, 0x000000, 0x000000,
};

// The elements the user can pick: number, system colour index, font (-1: none).
struct ElementRow {
    int number;
    int color;
    int font;
};
constexpr ElementRow kElements[] = {
    {2, COLOR_ACTIVECAPTION, -1},  {3, COLOR_INACTIVECAPTION, -1}, {4, COLOR_MENU, -1},
    {5, COLOR_WINDOW, -1},         {6, COLOR_MENUTEXT, 2},         {7, COLOR_MENUTEXT, 1},
    {8, COLOR_WINDOWTEXT, 0},      {9, COLOR_CAPTIONTEXT, 3},      {12, COLOR_HIGHLIGHT, -1},
    {13, COLOR_HIGHLIGHTTEXT, 2},  {14, COLOR_HIGHLIGHTTEXT, 1},   {15, COLOR_BTNFACE, -1},
    {16, COLOR_GRAYTEXT, 1},       {17, COLOR_BTNTEXT, 0},         {18, COLOR_INACTIVECAPTIONTEXT, 3},
    {21, 25, -1},                  {22, 26, 0},   // the device's COLOR_STATIC and COLOR_STATICTEXT
};

constexpr int kFirstSize = 8;
constexpr int kLastSize = 20;
constexpr int kNormalWeight = 400;
constexpr int kBoldWeight = 700;
constexpr DWORD kNone = 0xFFFFFFFF;   // the device's "no value"
constexpr wchar_t kParentFontKey[] = L"GDI\\SYSFNT";   // the record the button font shares with

std::optional<int> ReadNumber(Store& store, const wchar_t* subkey, const wchar_t* name) {
    auto value = store.ReadDword({LiveRoot::System, subkey, name});
    if (!value || *value == kNone) return std::nullopt;
    return static_cast<int>(*value);
}

// The device's own system font, for what a font description lacks: Tahoma, 12 pixels, regular.
constexpr wchar_t kFactoryFace[] = L"Tahoma";
constexpr int kFactoryHeight = -12;

// One font description from its key. Values the font shares with its parent come from the parent.
// The record changes only when everything it needs was there, unless it holds no font yet (never
// loaded whole): then what is missing is the factory font's, and the device never gets an empty
// face or a height of 0 from it.
bool LoadFont(AppearancePage& page, Store& store, const wchar_t* subkey, int index) {
    FontSpec& font = page.fonts[index];
    const bool child = font.parent() != nullptr;
    const bool empty = font.face().empty() || font.height() == 0;
    bool complete = true;
    auto orDefault = [&](std::optional<int> value, int fallback, bool needed) {
        if (value) return *value;
        if (needed) complete = false;
        return fallback;
    };
    int height = orDefault(ReadNumber(store, subkey, L"Ht"), kFactoryHeight, !child);
    if (page.host().IsVersion421()) {
        if (height == -11) height = 800;
        else if (height == -12) height = 900;
    }
    int italic = orDefault(ReadNumber(store, subkey, L"It"), 0, !child);
    int charset = orDefault(ReadNumber(store, subkey, L"CS"), 0, !child);
    std::wstring face = font.face();
    if (auto name = store.ReadString({LiveRoot::System, subkey, L"Nm"}, (FontSpec::kFaceChars + 1) * sizeof(wchar_t)))
        face = *name;
    else if (face.empty())
        face = kFactoryFace;
    int weight = orDefault(ReadNumber(store, subkey, child ? L"FontWeight" : L"Wt"), kNormalWeight, true);
    if (child) {
        height = font.height();
        italic = font.italic();
        charset = font.charset();
        face = font.face();
    }
    if (!complete && !empty) return false;
    font.Set(face, height, italic, weight, charset);
    return complete;
}

// The fonts' writes never decide Save's result: "SysColor" does.
bool SaveFont(const AppearancePage& page, Store& store, const wchar_t* subkey, int index) {
    const FontSpec& font = page.fonts[index];
    auto write = [&](const wchar_t* name, int value) {
        store.WriteDword({LiveRoot::System, subkey, name}, static_cast<DWORD>(value));
    };
    if (font.parent()) {
        write(L"FontWeight", font.weight());
        return true;
    }
    write(L"Ht", font.height());
    write(L"It", font.italic());
    write(L"CS", font.charset());
    write(L"Wt", font.weight());
    store.WriteString({LiveRoot::System, subkey, L"Nm"}, font.face());
    return true;
}

// "SysColor": a value that cannot be read leaves every default standing; a shorter one replaces
// the first colours only.
void LoadColors(AppearancePage& page, const std::optional<std::vector<BYTE>>& bytes) {
    std::memcpy(page.sysColors.data(), kDefaultColors, kColorBytes);
    if (bytes) std::memcpy(page.sysColors.data(), bytes->data(), bytes->size() < kColorBytes ? bytes->size() : kColorBytes);
}

std::vector<BYTE> SavedColors(const AppearancePage& page) {
    const BYTE* data = reinterpret_cast<const BYTE*>(page.sysColors.data());
    return std::vector<BYTE>(data, data + kColorBytes);
}

// The labels of the elements drawn with a colour (or a font), joined; empty for none.
std::wstring ElementsUsing(int ElementRow::*which, int number) {
    std::wstring labels;
    for (const ElementRow& row : kElements) {
        if (row.*which != number) continue;
        if (!labels.empty()) labels += L" / ";
        labels += std::wstring(LoadResString(kFirstLabel + row.number)).substr(0, kLabelChars);
    }
    return labels;
}

// A font record in words: face, size, bold and italic; a record sharing its parent's face, size
// and italic reads them from the parent's key. Missing when a value it needs is.
void DescribeFont(const AppearancePage& page, Store& store, const wchar_t* subkey, int index,
                  std::vector<SettingWords>& out) {
    std::wstring label = ElementsUsing(&ElementRow::font, index);
    size_t cut = label.find(L" / ");
    if (cut != std::wstring::npos) label.resize(cut);   // the first element names the font
    SettingWords line{{}, FormatText(96, LoadResString(IDS_COMPARE_FONT_LINE), label.c_str()), std::nullopt};
    const bool child = page.fonts[index].parent() != nullptr;
    const wchar_t* own = child ? kParentFontKey : subkey;
    auto height = ReadNumber(store, own, L"Ht");
    auto italic = ReadNumber(store, own, L"It");
    auto face = store.ReadString({LiveRoot::System, own, L"Nm"}, (FontSpec::kFaceChars + 1) * sizeof(wchar_t));
    auto weight = ReadNumber(store, subkey, child ? L"FontWeight" : L"Wt");
    if (height && face && weight) {
        std::wstring words = FormatText(96, LoadResString(IDS_COMPARE_FONT), face->c_str(), FontSpec::DisplaySizeOf(*height));
        if (*weight != kNormalWeight) words += LoadResString(IDS_COMPARE_BOLD);
        if (italic.value_or(0)) words += LoadResString(IDS_COMPARE_ITALIC);
        line.value = words;
    }
    out.push_back(std::move(line));
}

// "SysColor" in words: every colour of the block under the elements drawn with it; colours the
// block does not reach are missing.
void DescribeColors(const std::optional<std::vector<BYTE>>& bytes, std::vector<SettingWords>& out) {
    for (int i = 0; i < AppearancePage::kColorCount; ++i) {
        std::wstring label = ElementsUsing(&ElementRow::color, i);
        if (label.empty()) label = FormatText(64, LoadResString(IDS_COMPARE_SYSCOLOR), i);
        std::optional<COLORREF> color;
        if (bytes && bytes->size() >= (i + 1) * sizeof(COLORREF)) {
            COLORREF c;
            std::memcpy(&c, bytes->data() + i * sizeof(COLORREF), sizeof c);
            color = c;
        }
        out.push_back(kit::ColorWords(label, color));
    }
}

constexpr kit::GroupCodec<AppearancePage> kFont = {LoadFont, SaveFont, DescribeFont};
constexpr kit::BinaryCodec<AppearancePage> kColors = {kColorBytes, LoadColors, SavedColors, DescribeColors};

// Read and written in this order: the four fonts, then the colours.
const kit::Setting<AppearancePage> kSettings[] = {
    {.subkey = L"GDI\\SYSFNT", .name = nullptr, .live = LiveRoot::System, .group = &kFont, .index = 0},
    {.subkey = L"GWE\\Menu\\BarFnt", .name = nullptr, .live = LiveRoot::System, .group = &kFont, .index = 1},
    {.subkey = L"GWE\\Menu\\PopFnt", .name = nullptr, .live = LiveRoot::System, .group = &kFont, .index = 2},
    {.subkey = L"GWE\\Button", .name = nullptr, .live = LiveRoot::System, .group = &kFont, .index = 3},
    {.subkey = L"GWE", .name = L"SysColor", .live = LiveRoot::System, .binary = &kColors},
};

// Selects every line whose text is exactly `text`, so that the last such line stays selected;
// without one the list keeps its selection.
void SelectMatching(HWND dialog, int id, const std::wstring& text) {
    LRESULT count = SendDlgItemMessageW(dialog, id, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i)
        if (SameName(LineText(dialog, id, static_cast<int>(i)), text))
            SendDlgItemMessageW(dialog, id, CB_SETCURSEL, i, 0);
}

struct Faces {
    HWND list;
    std::set<std::wstring> seen;
};

int CALLBACK AddFace(const LOGFONTW* logFont, const TEXTMETRICW*, DWORD, LPARAM param) {
    auto* faces = reinterpret_cast<Faces*>(param);
    const std::wstring name = reinterpret_cast<const ENUMLOGFONTW*>(logFont)->elfFullName;
    if (!name.empty() && faces->seen.insert(name).second)
        SendMessageW(faces->list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    return 1;
}

}  // namespace

AppearancePage::AppearancePage(PageHost& host) : KitPage(host, IDD_APPEARANCE) {
    const int dpi = DeviceDpi();
    for (FontSpec& font : fonts) font.SetDpi(dpi);
    fonts[3].SetParent(&fonts[0]);
    std::memcpy(sysColors.data(), kDefaultColors, kColorBytes);
    RebuildElements();
}

void AppearancePage::RebuildElements() {
    for (AppearanceElement& e : elements) e = AppearanceElement{};
    for (const ElementRow& row : kElements) {
        AppearanceElement& e = elements[row.number];
        e.label = std::wstring(LoadResString(kFirstLabel + row.number)).substr(0, kLabelChars);
        e.labelCopy = e.label;
        e.font = row.font >= 0 ? &fonts[row.font] : nullptr;
        e.color = &sysColors[row.color];
        e.defined = 1;
    }
}

BOOL AppearancePage::Load(Store& store) {
    bool complete = kit::LoadSettings<AppearancePage>(*this, store, kSettings);
    host().SettingsChanged();
    RebuildElements();
    FillElementList();
    SelectElement(2, true);
    return complete ? TRUE : FALSE;
}

std::vector<SettingWords> AppearancePage::DescribeStore(Store& store) {
    return kit::DescribeSettings<AppearancePage>(*this, store, kSettings);
}

BOOL AppearancePage::Save(Store& store) {
    return kit::SaveSettings<AppearancePage>(*this, store, kSettings) ? TRUE : FALSE;
}

INT_PTR AppearancePage::QueryItem(int index, INT_PTR) {
    if (index < 0 || index >= kElementCount) return 0;
    return reinterpret_cast<INT_PTR>(&elements[index]);
}

std::optional<COLORREF> AppearancePage::ElementColor(int element) const {
    if (element < 0 || element >= kElementCount || !elements[element].color) return std::nullopt;
    return *elements[element].color;
}

HFONT AppearancePage::ElementFont(int element) const {
    if (element < 0 || element >= kElementCount || !elements[element].font) return nullptr;
    return elements[element].font->font();
}

void AppearancePage::FillElementList() {
    if (!hwnd) return;
    UpdatingControls guard(*this);
    SendDlgItemMessageW(hwnd, IDC_GUI_ELEMENT, CB_RESETCONTENT, 0, 0);
    for (const AppearanceElement& e : elements)
        if (e.defined) SendDlgItemMessageW(hwnd, IDC_GUI_ELEMENT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.label.c_str()));
}

// The faces of the screen's fonts in the order the system reports them, each once (a face comes
// once per character set). Made once, when an element with a font is first shown: the element
// the page starts with has none.
void AppearancePage::FillFaceList() {
    if (facesListed_) return;
    facesListed_ = true;
    Faces faces{GetDlgItem(hwnd, IDC_GUI_FACE), {}};
    WindowDc screen(nullptr);
    EnumFontFamiliesW(screen.get(), nullptr, AddFace, reinterpret_cast<LPARAM>(&faces));
}

BOOL AppearancePage::OnInitDialog() {
    SHINITDLGINFO info = {SHIDIM_FLAGS, hwnd, SHIDIF_SIZEDLG};
    SHInitDialog(&info);
    {
        UpdatingControls guard(*this);
        for (int size = kFirstSize; size <= kLastSize; ++size)
            SendDlgItemMessageW(hwnd, IDC_GUI_SIZE, CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(FormatText(16, L"%d", size).c_str()));
        if (SendDlgItemMessageW(hwnd, IDC_GUI_ELEMENT, CB_GETCOUNT, 0, 0) == 0) FillElementList();
    }
    // The grab ran before the lists were filled: show the selected element in them now.
    SelectElement(selected_, true);
    return TRUE;
}

void AppearancePage::SelectElement(int element, bool inList) {
    if (element < 0 || element >= kElementCount) return;
    selected_ = element;
    preview_.Invalidate();
    if (!hwnd) return;
    const AppearanceElement& e = elements[element];
    {
        UpdatingControls guard(*this);
        if (inList) {
            LRESULT line = SendDlgItemMessageW(hwnd, IDC_GUI_ELEMENT, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                               reinterpret_cast<LPARAM>(e.label.c_str()));
            SendDlgItemMessageW(hwnd, IDC_GUI_ELEMENT, CB_SETCURSEL, line == CB_ERR ? -1 : line, 0);
        }
        EnableControl(hwnd, IDC_GUI_COLOR, e.color != nullptr);
        for (int id : {IDC_GUI_FACE, IDC_GUI_SIZE, IDC_GUI_BOLD, IDC_GUI_ITALIC}) EnableControl(hwnd, id, e.font != nullptr);
        if (e.font) {
            FillFaceList();
            SelectMatching(hwnd, IDC_GUI_FACE, e.font->face());
            SelectMatching(hwnd, IDC_GUI_SIZE, FormatText(16, L"%d", e.font->DisplaySize()));
            SetChecked(hwnd, IDC_GUI_ITALIC, e.font->italic() != 0);
            SetChecked(hwnd, IDC_GUI_BOLD, e.font->weight() != kNormalWeight);
        } else {
            SendDlgItemMessageW(hwnd, IDC_GUI_FACE, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
            SendDlgItemMessageW(hwnd, IDC_GUI_SIZE, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        }
    }
    Refresh();
}

void AppearancePage::Refresh() {
    preview_.Invalidate();
    if (hwnd) {
        InvalidateRect(hwnd, nullptr, TRUE);
        if (HWND button = GetDlgItem(hwnd, IDC_GUI_COLOR)) InvalidateRect(button, nullptr, TRUE);
        UpdateWindow(hwnd);
    }
    host().RefreshTitle();
}

bool AppearancePage::OnCommand(WORD id, WORD code) {
    const AppearanceElement& e = elements[selected_];
    switch (id) {
    case IDC_GUI_ELEMENT: {
        if (code != CBN_SELCHANGE) return false;
        auto line = SelectedLine(hwnd, id);
        if (!line) return true;
        const std::wstring text = LineText(hwnd, id, *line);
        for (int n = 0; n < kElementCount; ++n) {
            if (elements[n].defined && SameName(elements[n].label, text)) {
                SelectElement(n, false);
                break;
            }
        }
        return true;
    }
    case IDC_GUI_FACE: {
        if (code != CBN_SELCHANGE || !e.font) return false;
        host().NoteUserChange();
        if (auto line = SelectedLine(hwnd, id)) e.font->SetFace(LineText(hwnd, id, *line));
        break;
    }
    case IDC_GUI_SIZE: {
        if (code != CBN_SELCHANGE || !e.font) return false;
        host().NoteUserChange();
        auto line = SelectedLine(hwnd, id);
        int size = line ? static_cast<int>(std::wcstol(LineText(hwnd, id, *line).c_str(), nullptr, 10)) : 0;
        if (size <= 0) return true;
        e.font->SetDisplaySize(size);
        break;
    }
    case IDC_GUI_ITALIC:
        if (code != BN_CLICKED || !e.font) return false;
        host().NoteUserChange();
        e.font->SetItalic(IsChecked(hwnd, id) ? 1 : 0);
        break;
    case IDC_GUI_BOLD:
        if (code != BN_CLICKED || !e.font) return false;
        host().NoteUserChange();
        e.font->SetWeight(IsChecked(hwnd, id) ? kBoldWeight : kNormalWeight);
        break;
    case IDC_GUI_COLOR:
        if (code != BN_CLICKED || !e.color) return false;
        PickColor(host(), *e.color, nullptr);
        break;
    default:
        return false;
    }
    Refresh();
    return true;
}

std::optional<BOOL> AppearancePage::OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint();
        return TRUE;
    case WM_PRINTCLIENT:
        // A picture of the page (a screenshot, a test) shows the preview as a paint would.
        PaintPreview(reinterpret_cast<HDC>(wParam));
        return TRUE;
    case WM_MEASUREITEM: {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (!item || item->CtlID != IDC_GUI_COLOR) return std::nullopt;
        item->itemWidth = 32;
        item->itemHeight = 12;
        return TRUE;
    }
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (!item || item->CtlID != IDC_GUI_COLOR) return std::nullopt;
        const AppearanceElement& e = elements[selected_];
        DrawColorButton(*item, e.color ? std::optional<COLORREF>(*e.color) : std::nullopt);
        return TRUE;
    }
    }
    return std::nullopt;
}

void AppearancePage::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    PaintPreview(dc);
    EndPaint(hwnd, &ps);
}

void AppearancePage::PaintPreview(HDC dc) {
    RECT area = {};
    if (HWND marker = GetDlgItem(hwnd, IDC_GUI_PREVIEW)) {
        GetWindowRect(marker, &area);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&area), 2);
    }
    const bool landscape = IsLandscapeScreen();
    preview_.Paint(dc, area, host(), landscape ? 1 : 0, [this](HDC memory, const RECT& r) { DrawPreview(memory, r); });
}

std::unique_ptr<SettingsPage> CreateAppearancePage(PageHost& host) { return std::make_unique<AppearancePage>(host); }
