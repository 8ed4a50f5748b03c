#include "framework/controls.h"

#include <cwchar>
#include <string>

#include "base/handles.h"
#include "base/strings.h"

void SetChecked(HWND dialog, int id, bool checked) {
    CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void FillNumberList(HWND dialog, int id, std::span<const int> numbers, const wchar_t* format) {
    SendDlgItemMessageW(dialog, id, CB_RESETCONTENT, 0, 0);
    for (int n : numbers) {
        std::wstring text = FormatText(32, format, n);
        SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
}

void SelectLine(HWND dialog, int id, int line) {
    LRESULT count = SendDlgItemMessageW(dialog, id, CB_GETCOUNT, 0, 0);
    SendDlgItemMessageW(dialog, id, CB_SETCURSEL, line >= 0 && line < count ? line : -1, 0);
}

std::optional<int> SelectedLine(HWND dialog, int id) {
    LRESULT line = SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0);
    if (line == CB_ERR) return std::nullopt;
    return static_cast<int>(line);
}

std::wstring LineText(HWND dialog, int id, int line) {
    LRESULT length = SendDlgItemMessageW(dialog, id, CB_GETLBTEXTLEN, line, 0);
    if (length == CB_ERR || length < 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendDlgItemMessageW(dialog, id, CB_GETLBTEXT, line, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

void EnableControl(HWND dialog, int id, bool enabled) {
    if (HWND control = GetDlgItem(dialog, id)) EnableWindow(control, enabled);
}

void SetNumber(HWND dialog, int id, long value) {
    SetDlgItemTextW(dialog, id, FormatText(32, L"%ld", value).c_str());
}

std::optional<long> ReadNumber(HWND dialog, int id, int maxChars) {
    if (maxChars < 1) return std::nullopt;
    std::wstring text(static_cast<size_t>(maxChars) + 1, L'\0');
    GetDlgItemTextW(dialog, id, text.data(), maxChars + 1);
    const wchar_t* start = text.c_str();
    wchar_t* end = nullptr;
    long value = std::wcstol(start, &end, 10);
    if (end == start) return std::nullopt;
    return value;
}

void SetUpDown(HWND dialog, int upDownId, int minimum, int maximum, int position) {
    SendDlgItemMessageW(dialog, upDownId, UDM_SETRANGE32, minimum, maximum);
    SendDlgItemMessageW(dialog, upDownId, UDM_SETPOS32, 0, position);
}

void DrawColorButton(const DRAWITEMSTRUCT& item, std::optional<COLORREF> color) {
    const bool disabled = item.itemState == ODS_DISABLED;
    OwnedPen outline(CreatePen(PS_SOLID, 1, disabled ? RGB(0x80, 0x80, 0x80) : RGB(0, 0, 0)));
    {
        DcSelection pen(item.hDC, outline.get());
        DcSelection brush(item.hDC, GetStockObject(LTGRAY_BRUSH));
        Rectangle(item.hDC, item.rcItem.left, item.rcItem.top, item.rcItem.right, item.rcItem.bottom);
    }
    if (disabled || !color) return;
    RECT inner = item.rcItem;
    InflateRect(&inner, -2, -2);
    OwnedBrush fill(CreateSolidBrush(*color));
    FillRect(item.hDC, &inner, fill.get());
}

void SetUpReportList(HWND dialog, int id, DWORD extendedStyles) {
    HWND list = GetDlgItem(dialog, id);
    if (!list) return;
    LONG_PTR style = GetWindowLongPtrW(list, GWL_STYLE);
    SetWindowLongPtrW(list, GWL_STYLE, (style & ~LVS_TYPEMASK) | LVS_REPORT | LVS_NOCOLUMNHEADER);
    ListView_SetExtendedListViewStyle(list, extendedStyles);
    RECT client;
    GetClientRect(list, &client);
    LVCOLUMNW column = {};
    column.mask = LVCF_WIDTH;
    column.cx = client.right - client.left;
    ListView_InsertColumn(list, 0, &column);
}

void KeepListInView(HWND list, int topRow, int selectedRow) {
    const int count = ListView_GetItemCount(list);
    if (count <= 0) return;
    if (topRow >= count) topRow = count - 1;
    const int now = ListView_GetTopIndex(list);
    RECT row = {};
    if (topRow != now && ListView_GetItemRect(list, 0, &row, LVIR_BOUNDS) && row.bottom > row.top)
        ListView_Scroll(list, 0, (topRow - now) * (row.bottom - row.top));
    if (selectedRow >= 0 && selectedRow < count) ListView_EnsureVisible(list, selectedRow, FALSE);
}

void FitListColumn(HWND list) {
    RECT client;
    if (!list || !GetClientRect(list, &client)) return;
    const int width = client.right - client.left;
    if (ListView_GetColumnWidth(list, 0) != width) ListView_SetColumnWidth(list, 0, width);
}

void ClearVerticalScrollBar(HWND dialog) {
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    SetScrollInfo(dialog, SB_VERT, &info, TRUE);
}
