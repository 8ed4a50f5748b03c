// The two dialogs of Tools > Compare...: the choice of the other side, and the full-screen list
// of differences (owner-drawn rows: a band per page, then each setting over its two values, a
// colour with its swatch).
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "base/handles.h"
#include "base/strings.h"
#include "shell/compare_view.h"
#include "config/config_file.h"
#include "config/configurations.h"
#include "platform/pocketpc.h"
#include "resources/resource.h"

namespace {

constexpr UINT kRefit = WM_APP + 1;   // posted when the screen turns: fit the dialog again
constexpr int kMargin = 4;

bool Landscape() { return IsLandscapeScreen(); }

int TextHeight(HWND wnd) {
    WindowDc dc(wnd);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(wnd, WM_GETFONT, 0, 0));
    DcSelection chosen(dc.get(), font);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc.get(), &metrics);
    return metrics.tmHeight > 0 ? metrics.tmHeight : 13;
}

// Fills the screen below the navigation bar; the control `fill` takes what the buttons along the
// foot leave (the buttons keep their sizes, right-aligned).
void FitToScreen(HWND dialog, int fill) {
    // The navigation bar shows the caption: the dialog has no caption bar of its own.
    const LONG_PTR style = GetWindowLongPtrW(dialog, GWL_STYLE);
    if (style & WS_CAPTION) {
        SetWindowLongPtrW(dialog, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_CAPTION));
        SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    }
    SHINITDLGINFO info = {SHIDIM_FLAGS, dialog, SHIDIF_SIZEDLGFULLSCREEN};
    SHInitDialog(&info);
    RECT client;
    GetClientRect(dialog, &client);
    const int margin = kMargin * DeviceDpi() / 96;
    int right = client.right - margin, buttonsHeight = 0;
    for (int id : {IDCANCEL, IDOK}) {
        HWND button = GetDlgItem(dialog, id);
        if (!button) continue;
        RECT r;
        GetWindowRect(button, &r);
        const int w = r.right - r.left, h = r.bottom - r.top;
        buttonsHeight = h;
        MoveWindow(button, right - w, client.bottom - margin - h, w, h, TRUE);
        right -= w + margin;
    }
    MoveWindow(GetDlgItem(dialog, fill), margin, margin, client.right - 2 * margin,
               client.bottom - 3 * margin - buttonsHeight, TRUE);
}

// ---- The other side.

struct SidesState {
    Session* session;
    std::vector<std::wstring> configurations;
    int chosen = -1;   // 0 the device, 1..n a configuration, n + 1 a file
};

INT_PTR CALLBACK SidesProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<SidesState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        state = reinterpret_cast<SidesState*>(lParam);
        HWND list = GetDlgItem(dialog, IDC_COMPARE_SIDES);
        auto add = [list](const wchar_t* text) { SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)); };
        add(LoadResString(IDS_COMPARE_DEVICE));
        for (const std::wstring& name : state->configurations) add(name.c_str());
        add(LoadResString(IDS_COMPARE_FILE));
        SendMessageW(list, LB_SETCURSEL, 0, 0);
        FitToScreen(dialog, IDC_COMPARE_SIDES);
        return TRUE;
    }
    case WM_SETTINGCHANGE:
    case WM_DISPLAYCHANGE:
        PostMessageW(dialog, kRefit, 0, 0);
        return FALSE;
    case kRefit:
        FitToScreen(dialog, IDC_COMPARE_SIDES);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_COMPARE_SIDES:
            if (HIWORD(wParam) != LBN_DBLCLK) return FALSE;
            [[fallthrough]];
        case IDOK:
            if (state) state->chosen = static_cast<int>(SendDlgItemMessageW(dialog, IDC_COMPARE_SIDES, LB_GETCURSEL, 0, 0));
            EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

// ---- The differences.

struct Row {
    bool band;                 // a page's band; else a difference
    const Difference* difference;
    std::wstring page;
};

struct ListState {
    const std::vector<Difference>* differences;
    std::wstring hereName, thereName;
    std::vector<Row> rows;
    OwnedFont bold;
};

void SizeColumns(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_COMPARE_LIST);
    RECT r;
    GetClientRect(list, &r);
    const int half = (r.right - r.left) / 2;
    ListView_SetColumnWidth(list, 0, 0);
    ListView_SetColumnWidth(list, 1, half);
    ListView_SetColumnWidth(list, 2, r.right - r.left - half);
}

void Fit(HWND dialog) {
    FitToScreen(dialog, IDC_COMPARE_LIST);
    RECT client;
    GetClientRect(dialog, &client);
    HWND none = GetDlgItem(dialog, IDC_COMPARE_NONE);
    const int h = TextHeight(dialog) + 4;
    MoveWindow(none, 0, (client.bottom - h) / 2, client.right, h, TRUE);
    SizeColumns(dialog);
}

void FillList(HWND dialog, ListState& state) {
    HWND list = GetDlgItem(dialog, IDC_COMPARE_LIST);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    // Column 0 holds the setting (drawn across the row's first line); the two sides head the others.
    const std::wstring empty;
    const std::wstring* names[] = {&empty, &state.hereName, &state.thereName};
    for (int i = 0; i < 3; ++i) {
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<wchar_t*>(names[i]->c_str());
        column.cx = 80;
        ListView_InsertColumn(list, i, &column);
    }
    for (const Difference& d : *state.differences) {
        if (state.rows.empty() || !SameName(state.rows.back().page, d.page)) state.rows.push_back({true, nullptr, d.page});
        state.rows.push_back({false, &d, d.page});
    }
    // The items carry the texts too (column 0 the setting or the page, then the two values).
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (size_t i = 0; i < state.rows.size(); ++i) {
        const Row& row = state.rows[i];
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = static_cast<int>(i);
        item.lParam = static_cast<LPARAM>(i);
        item.pszText = const_cast<wchar_t*>(row.band ? row.page.c_str() : row.difference->setting.c_str());
        ListView_InsertItem(list, &item);
        if (!row.band) {
            ListView_SetItemText(list, static_cast<int>(i), 1, const_cast<wchar_t*>(row.difference->here.c_str()));
            ListView_SetItemText(list, static_cast<int>(i), 2, const_cast<wchar_t*>(row.difference->there.c_str()));
        }
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    const bool none = state.differences->empty();
    ShowWindow(list, none ? SW_HIDE : SW_SHOW);
    ShowWindow(GetDlgItem(dialog, IDC_COMPARE_NONE), none ? SW_SHOW : SW_HIDE);
}

// A value, after its swatch when it is a colour.
void DrawValue(HDC dc, RECT box, const std::wstring& text, COLORREF swatch, int lineHeight) {
    if (swatch != 0xFFFFFFFF) {
        const int side = lineHeight - 4;
        RECT square = {box.left, box.top + 2, box.left + side, box.top + 2 + side};
        OwnedBrush fill(CreateSolidBrush(swatch));
        FillRect(dc, &square, fill.get());
        FrameRect(dc, &square, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        box.left += side + 3;
    }
    DrawTextW(dc, text.c_str(), -1, &box, DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | DT_VCENTER);
}

void DrawRow(HWND dialog, const ListState& state, const DRAWITEMSTRUCT& item) {
    if (item.itemID >= state.rows.size()) return;
    const Row& row = state.rows[item.itemID];
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    const int line = (r.bottom - r.top) / 2;
    const int inset = 3 * DeviceDpi() / 96;
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor = GetTextColor(dc);
    if (row.band) {
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        DcSelection font(dc, state.bold.get());
        RECT text = {r.left + inset, r.top, r.right - inset, r.bottom};
        DrawTextW(dc, row.page.c_str(), -1, &text, DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | DT_VCENTER);
    } else {
        const bool selected = (item.itemState & ODS_SELECTED) != 0;
        FillRect(dc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        const Difference& d = *row.difference;
        RECT setting = {r.left + inset, r.top, r.right - inset, r.top + line};
        DrawTextW(dc, d.setting.c_str(), -1, &setting, DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | DT_VCENTER);
        const int split = r.left + ListView_GetColumnWidth(item.hwndItem, 0) + ListView_GetColumnWidth(item.hwndItem, 1);
        DrawValue(dc, RECT{r.left + 2 * inset, r.top + line, split - inset, r.bottom}, d.here, d.hereColor, line);
        DrawValue(dc, RECT{split + inset, r.top + line, r.right - inset, r.bottom}, d.there, d.thereColor, line);
    }
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
}

INT_PTR CALLBACK ListProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<ListState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        state = reinterpret_cast<ListState*>(lParam);
        LOGFONTW face = {};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof face, &face);
        face.lfWeight = FW_BOLD;
        state->bold.reset(CreateFontIndirectW(&face));
        FillList(dialog, *state);
        Fit(dialog);
        SHDoneButton(dialog, SHDB_SHOW);
        return TRUE;
    }
    case WM_MEASUREITEM: {
        // Sent while the list is made, before the dialog's own initialisation: two lines of its font.
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (!measure || measure->CtlID != IDC_COMPARE_LIST) return FALSE;
        measure->itemHeight = 2 * TextHeight(dialog) + 4;
        return TRUE;
    }
    case WM_DRAWITEM: {
        auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (!draw || !state || draw->CtlID != IDC_COMPARE_LIST) return FALSE;
        DrawRow(dialog, *state, *draw);
        return TRUE;
    }
    case WM_SETTINGCHANGE:
    case WM_DISPLAYCHANGE:
        PostMessageW(dialog, kRefit, 0, 0);
        return FALSE;
    case kRefit:
        Fit(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        break;
    }
    return FALSE;
}

WORD Template(WORD portrait, WORD landscape) { return Landscape() ? landscape : portrait; }

}  // namespace

void ShowDifferences(Session& session, const std::vector<Difference>& differences, const std::wstring& hereName,
                     const std::wstring& thereName) {
    ListState state{&differences, hereName, thereName, {}, {}};
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(Template(IDD_COMPARE, IDD_COMPARE_LAND)),
                    session.sheet, ListProc, reinterpret_cast<LPARAM>(&state));
}

void CompareCommand(Session& session) {
    SidesState sides{&session, {}, -1};
    for (const auto& slot : session.configNameTable)
        if (slot[0]) sides.configurations.emplace_back(slot.data());
    if (DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(Template(IDD_COMPARE_WITH, IDD_COMPARE_WITH_LAND)),
                        session.sheet, SidesProc, reinterpret_cast<LPARAM>(&sides)) != IDOK ||
        sides.chosen < 0)
        return;

    const int configurations = static_cast<int>(sides.configurations.size());
    std::vector<Difference> differences;
    std::wstring thereName;
    if (sides.chosen == 0) {
        differences = CompareWith(session, kSystemStoreKey);
        thereName = LoadResString(IDS_COMPARE_DEVICE_COLUMN);
    } else if (sides.chosen <= configurations) {
        thereName = sides.configurations[sides.chosen - 1];
        differences = CompareWith(session, StoreKeyOf(thereName));
    } else {
        auto file = AskConfigFile(session, IDS_COMPARE_WITH_TITLE);
        if (!file) return;
        differences = CompareWithStore(session, *file->store);
        thereName = file->storeKey.substr(file->storeKey.find_last_of(L"\\@") + 1);
    }
    ShowDifferences(session, differences, session.activeConfigName, thereName);
}
