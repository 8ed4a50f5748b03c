#include "pages/size/size_page.h"

#include <commctrl.h>

#include <cwchar>

#include "base/strings.h"
#include "framework/controls.h"
#include "framework/preview_draw.h"
#include "platform/pocketpc.h"
#include "resources/resource.h"

namespace {

constexpr size_t kLabelChars = 64;
constexpr int kEditChars = 259;
constexpr UINT kActiveWindow = 3123;

// A slot's value: read as the device reads it (0xFFFFFFFF is no value), kept within its range.
bool LoadSlot(SizePage& page, Store& store, const wchar_t*, int index) {
    SizeItem& item = page.slots[index];
    auto value = store.ReadDword({LiveRoot::System, item.subkey.c_str(), item.valueName.c_str()});
    if (value && *value != 0xFFFFFFFF) item.SetValue(static_cast<int>(*value));
    return true;
}

bool SaveSlot(const SizePage& page, Store& store, const wchar_t*, int index) {
    const SizeItem& item = page.slots[index];
    return store.WriteDword({LiveRoot::System, item.subkey.c_str(), item.valueName.c_str()},
                            static_cast<DWORD>(item.value));
}

constexpr kit::GroupCodec<SizePage> kSlot = {LoadSlot, SaveSlot};

// The metrics the page edits, in slot order (`index` is the slot; the other slots stay unused),
// each with its range and default. Saved and exported in this order.
const kit::Setting<SizePage> kSettings[] = {
    {.subkey = L"GWE", .name = L"cxHScr", .live = LiveRoot::System, .initial = 20, .minimum = 7, .maximum = 30,
     .group = &kSlot, .index = 6,
     .label = 3162, .shown = kit::Shown::Pixels},
    {.subkey = L"GWE", .name = L"cyHScr", .live = LiveRoot::System, .initial = 13, .minimum = 7, .maximum = 30,
     .group = &kSlot, .index = 7,
     .label = 3163, .shown = kit::Shown::Pixels},
    {.subkey = L"GWE", .name = L"cxVScr", .live = LiveRoot::System, .initial = 13, .minimum = 7, .maximum = 30,
     .group = &kSlot, .index = 8,
     .label = 3168, .shown = kit::Shown::Pixels},
    {.subkey = L"GWE", .name = L"cyVScr", .live = LiveRoot::System, .initial = 20, .minimum = 7, .maximum = 30,
     .group = &kSlot, .index = 9,
     .label = 3169, .shown = kit::Shown::Pixels},
    {.subkey = L"GWE", .name = L"cyCap", .live = LiveRoot::System, .initial = 23, .minimum = 10, .maximum = 46,
     .group = &kSlot, .index = 12,
     .label = 3172, .shown = kit::Shown::Pixels},
};

}  // namespace

SizePage::SizePage(PageHost& host) : KitPage(host, IDD_SIZE) {}

// Fresh slots, then the five in use with their defaults.
void SizePage::SetUpSlots() {
    for (SizeItem& item : slots) item = SizeItem{};
    for (const kit::Setting<SizePage>& row : kSettings) {
        SizeItem& item = slots[row.index];
        item.label = std::wstring(LoadResString(row.label)).substr(0, kLabelChars);
        item.subkey = row.subkey;
        item.valueName = row.name;
        item.minimum = row.minimum;
        item.maximum = row.maximum;
        item.SetValue(row.initial);
        item.inUse = true;
    }
}

BOOL SizePage::Load(Store& store) {
    SetUpSlots();
    kit::LoadSettings<SizePage>(*this, store, kSettings);
    host().SettingsChanged();
    FillList();
    SelectSlot(kCaptionSlot, true);
    return TRUE;
}

std::vector<SettingWords> SizePage::DescribeStore(Store& store) {
    return kit::DescribeSettings<SizePage>(*this, store, kSettings);
}

BOOL SizePage::Save(Store& store) { return kit::SaveSettings<SizePage>(*this, store, kSettings) ? TRUE : FALSE; }

INT_PTR SizePage::QueryItem(int index, INT_PTR) {
    if (index < 0 || index >= kSlotCount) return 0;
    return slots[index].value;
}

int SizePage::SizeMetric(int slot) const {
    if (slot < 0 || slot >= kSlotCount) return 0;
    return slots[slot].value;
}

void SizePage::FillList() {
    if (!hwnd) return;
    UpdatingControls guard(*this);
    SendDlgItemMessageW(hwnd, IDC_SIZE_METRIC, CB_RESETCONTENT, 0, 0);
    for (const SizeItem& item : slots)
        if (item.inUse) SendDlgItemMessageW(hwnd, IDC_SIZE_METRIC, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.label.c_str()));
}

BOOL SizePage::OnInitDialog() {
    SHINITDLGINFO info = {SHIDIM_FLAGS, hwnd, SHIDIF_SIZEDLG};
    SHInitDialog(&info);
    SendDlgItemMessageW(hwnd, IDC_SIZE_ARROWS, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(hwnd, IDC_SIZE_VALUE)), 0);
    // The settings were taken before the dialog was made (at start-up, for a page first shown
    // later): show them now.
    if (SendDlgItemMessageW(hwnd, IDC_SIZE_METRIC, CB_GETCOUNT, 0, 0) == 0) FillList();
    SelectSlot(current_, true);
    return TRUE;
}

void SizePage::SelectSlot(int slot, bool moveList) {
    if (slot < 0 || slot >= kSlotCount || !slots[slot].inUse) return;
    current_ = slot;
    if (!hwnd) return;
    const SizeItem& item = slots[slot];
    {
        UpdatingControls guard(*this);
        if (moveList) {
            int before = 0;
            for (int i = 0; i < slot; ++i) before += slots[i].inUse ? 1 : 0;
            SelectLine(hwnd, IDC_SIZE_METRIC, before);
        }
        SetDlgItemTextW(hwnd, IDC_SIZE_LABEL, item.label.c_str());
        SetNumber(hwnd, IDC_SIZE_VALUE, item.value);
        SetUpDown(hwnd, IDC_SIZE_ARROWS, item.minimum, item.maximum, item.value);
    }
    Repaint();
}

void SizePage::Repaint() {
    preview_.Invalidate();
    if (hwnd) {
        InvalidateRect(hwnd, nullptr, TRUE);
        UpdateWindow(hwnd);
    }
    host().RefreshTitle();
}

bool SizePage::OnCommand(WORD id, WORD code) {
    if (id == IDC_SIZE_METRIC && code == CBN_SELCHANGE) {
        auto line = SelectedLine(hwnd, id);
        if (!line) return true;
        const std::wstring text = LineText(hwnd, id, *line);
        for (int slot = 0; slot < kSlotCount; ++slot) {
            if (slots[slot].inUse && SameName(slots[slot].label, text)) {
                SelectSlot(slot, false);
                return false;
            }
        }
        return true;
    }
    if (id == IDC_SIZE_VALUE && code == EN_CHANGE) {
        // The edit keeps what was typed; the slot keeps its range. A number that is not above 0
        // changes nothing, but counts as a change when it differs.
        long typed = ReadNumber(hwnd, id, kEditChars).value_or(0);
        SizeItem& item = slots[current_];
        if (typed != item.value) host().NoteUserChange();
        if (typed <= 0) return true;
        item.SetValue(static_cast<int>(typed));
        host().SettingsChanged();
        Repaint();
        return false;
    }
    return true;
}

std::optional<BOOL> SizePage::OnOtherMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        PaintPreview(dc);
        EndPaint(hwnd, &ps);
        return FALSE;
    }
    case WM_PRINTCLIENT:
        PaintPreview(reinterpret_cast<HDC>(wParam));
        return TRUE;
    }
    return std::nullopt;
}

void SizePage::PaintPreview(HDC dc) {
    RECT client;
    GetClientRect(hwnd, &client);
    // Above the controls: 50 pixels (at 96 dpi) from the page's foot, and clear of the list.
    RECT frame = {client.left + 5, client.top + 5, client.right - 5, client.bottom - 50 * host().Scale()};
    if (HWND list = GetDlgItem(hwnd, IDC_SIZE_METRIC)) {
        RECT r;
        GetWindowRect(list, &r);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
        if (r.top - 4 < frame.bottom) frame.bottom = r.top - 4;
    }
    preview_.Paint(dc, frame, host(), 0, [this](HDC memory, const RECT& r) { DrawPreview(memory, r); });
}

void SizePage::DrawPreview(HDC dc, const RECT& f) const {
    const AppearanceElements* look = FindPageAnswering<AppearanceElements>(host());
    using E = AppearanceElements;
    auto color = [look](int element) { return look ? look->ElementColor(element).value_or(E::kNoColor) : E::kNoColor; };
    HFONT captionFont = look ? look->ElementFont(E::kActiveTitleText) : nullptr;
    PreviewMetrics m = QueryPreviewMetrics(host());
    m.menuItemHeight = GetSystemMetrics(SM_CYMENU);
    const int menu = GetSystemMetrics(SM_CYMENU);
    {
        DcSelection pen(dc, GetStockObject(BLACK_PEN));
        DcSelection brush(dc, GetStockObject(WHITE_BRUSH));
        Rectangle(dc, f.left, f.top, f.right, f.bottom);
    }
    DrawWindowFrame(dc, RECT{f.left + 5, f.top + 5, f.right - 90, f.bottom - 100}, LoadResString(kActiveWindow),
                    captionFont, color(E::kActiveTitleText), color(E::kActiveTitleBar), color(E::kDialogBackground), m);
    const int w = m.vScrollWidth ? m.vScrollWidth : GetSystemMetrics(SM_CXVSCROLL);
    DrawVScrollBar(dc, RECT{f.right - w * m.scale - 1, f.top, f.right, f.bottom - menu}, 0xFFFFFF, color(E::kThreeD), m);
    const int h = slots[7].value ? slots[7].value : GetSystemMetrics(SM_CYHSCROLL);
    DrawHScrollBar(dc, RECT{f.left, f.bottom - h * m.scale - 1, f.right - 2 * menu, f.bottom}, 0xFFFFFF,
                   color(E::kThreeD), m);
}

std::unique_ptr<SettingsPage> CreateSizePage(PageHost& host) { return std::make_unique<SizePage>(host); }
