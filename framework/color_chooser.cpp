#include "framework/color_chooser.h"

#include <commctrl.h>

#include <array>
#include <cstdlib>
#include <cwchar>

#include "base/handles.h"
#include "resources/resource.h"

namespace {

struct Swatch {
    COLORREF color;
    int id;
};

constexpr int kSwatchCount = 16;
constexpr int kTableRows = kSwatchCount + 1;   // the swatches and the sample
constexpr int kSampleRow = kSwatchCount;
constexpr UINT_PTR kSwatchSubclassId = 1;

// The fixed swatches, four rows of four in the template (0x00BBGGRR).
constexpr std::array<Swatch, kSwatchCount> kSwatches = {{
    {0xFFFFFF, IDC_CHOOSER_SWATCH_FIRST + 0},    // white
    {0x00FFFF, IDC_CHOOSER_SWATCH_FIRST + 1},    // yellow
    {0xFF00FF, IDC_CHOOSER_SWATCH_FIRST + 2},    // magenta
    {0x0000FF, IDC_CHOOSER_SWATCH_FIRST + 3},    // red
    {0xFFFF00, IDC_CHOOSER_SWATCH_FIRST + 4},    // cyan
    {0x00FF00, IDC_CHOOSER_SWATCH_FIRST + 5},    // green
    {0xFF0000, IDC_CHOOSER_SWATCH_FIRST + 6},    // blue
    {0x000000, IDC_CHOOSER_SWATCH_FIRST + 7},    // black
    {0x808080, IDC_CHOOSER_SWATCH_FIRST + 8},    // grey
    {0x008080, IDC_CHOOSER_SWATCH_FIRST + 9},    // olive
    {0x800080, IDC_CHOOSER_SWATCH_FIRST + 10},   // purple
    {0x000080, IDC_CHOOSER_SWATCH_FIRST + 11},   // maroon
    {0x808000, IDC_CHOOSER_SWATCH_FIRST + 12},   // teal
    {0x008000, IDC_CHOOSER_SWATCH_FIRST + 13},   // dark green
    {0x800000, IDC_CHOOSER_SWATCH_FIRST + 14},   // navy
    {0xCCCCCC, IDC_CHOOSER_SWATCH_FIRST + 15},   // light grey
}};
static_assert(IDC_CHOOSER_SWATCH_FIRST + kSwatchCount - 1 == IDC_CHOOSER_SWATCH_LAST);

constexpr std::array<int, 3> kEditIds = {IDC_CHOOSER_RED, IDC_CHOOSER_GREEN, IDC_CHOOSER_BLUE};
constexpr std::array<int, 3> kUpDownIds = {IDC_CHOOSER_RED_ARROWS, IDC_CHOOSER_GREEN_ARROWS,
                                           IDC_CHOOSER_BLUE_ARROWS};

// One open chooser. The current colour is the host's, so it outlives the dialog.
struct Chooser {
    COLORREF& current;
    COLORREF initial;
    HWND dialog = nullptr;
    std::array<HWND, 3> edits = {};
};

int TableRow(int id) {
    if (id == IDC_CHOOSER_SAMPLE) return kSampleRow;
    for (int row = 0; row < kSwatchCount; ++row)
        if (kSwatches[row].id == id) return row;
    return -1;
}

COLORREF RowColor(const Chooser& chooser, int row) {
    return row == kSampleRow ? chooser.current : kSwatches[row].color;
}

int TableId(int row) { return row == kSampleRow ? IDC_CHOOSER_SAMPLE : kSwatches[row].id; }

int Channel(COLORREF color, int channel) { return (color >> (8 * channel)) & 0xFF; }

void RepaintNow(HWND control) {
    if (!control) return;
    InvalidateRect(control, nullptr, FALSE);
    UpdateWindow(control);
}

void WriteChannel(const Chooser& chooser, int channel, COLORREF color) {
    wchar_t text[16] = {};
    _itow(Channel(color, channel), text, 10);
    SetWindowTextW(chooser.edits[channel], text);
}

// Makes a colour current and shows it in the sample. With `rewrite`, the edits of the channels
// that changed get the new values; the others keep their text, so the edit being typed in is
// left alone.
void SetCurrent(Chooser& chooser, COLORREF color, bool rewrite) {
    const COLORREF previous = chooser.current;
    chooser.current = color;
    RepaintNow(GetDlgItem(chooser.dialog, IDC_CHOOSER_SAMPLE));
    if (!rewrite) return;
    for (int channel = 0; channel < 3; ++channel)
        if (Channel(color, channel) != Channel(previous, channel)) WriteChannel(chooser, channel, color);
}

// Reads one edit: empty is 0, a value above 255 beeps and counts as 255.
int ReadChannel(const Chooser& chooser, int channel, bool& clamped) {
    wchar_t text[32] = {};
    GetWindowTextW(chooser.edits[channel], text, 32);
    if (!text[0]) return 0;
    long value = std::wcstol(text, nullptr, 10);
    if (value > 255) {
        MessageBeep(0xFFFFFFFF);
        clamped = true;
        return 255;
    }
    return value < 0 ? 0 : static_cast<int>(value);
}

void ColorFromEdits(Chooser& chooser) {
    bool clamped = false;
    const int red = ReadChannel(chooser, 0, clamped);
    const int green = ReadChannel(chooser, 1, clamped);
    const int blue = ReadChannel(chooser, 2, clamped);
    SetCurrent(chooser, RGB(red, green, blue), clamped);
}

// The swatches and the sample: the row's colour over the whole control, framed in black.
void PaintSwatch(HWND control, HDC dc, COLORREF color) {
    RECT client{};
    GetClientRect(control, &client);
    OwnedBrush brush(CreateSolidBrush(color));
    DcSelection pen(dc, GetStockObject(BLACK_PEN));
    DcSelection fill(dc, brush.get());
    Rectangle(dc, client.left, client.top, client.right, client.bottom);
}

LRESULT CALLBACK SwatchProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                            DWORD_PTR data) {
    const Chooser* chooser = reinterpret_cast<const Chooser*>(data);
    const int row = TableRow(GetDlgCtrlID(control));
    switch (message) {
    case WM_PAINT:
        if (chooser && row >= 0) {
            PAINTSTRUCT paint;
            if (HDC dc = BeginPaint(control, &paint)) {
                PaintSwatch(control, dc, RowColor(*chooser, row));
                EndPaint(control, &paint);
            }
        }
        break;
    case WM_PRINTCLIENT:
        // A picture of the dialog (PrintWindow) shows the swatch as the screen does.
        if (chooser && row >= 0) {
            LRESULT result = DefSubclassProc(control, message, wParam, lParam);
            PaintSwatch(control, reinterpret_cast<HDC>(wParam), RowColor(*chooser, row));
            return result;
        }
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(control, SwatchProc, kSwatchSubclassId);
        break;
    }
    return DefSubclassProc(control, message, wParam, lParam);
}

void OnInit(HWND dialog, Chooser& chooser) {
    chooser.dialog = dialog;
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&chooser));
    for (int row = 0; row < kTableRows; ++row)
        if (HWND control = GetDlgItem(dialog, TableId(row)))
            SetWindowSubclass(control, SwatchProc, kSwatchSubclassId, reinterpret_cast<DWORD_PTR>(&chooser));
    for (int id : kUpDownIds) SendDlgItemMessageW(dialog, id, UDM_SETRANGE32, 0, 255);
    for (int channel = 0; channel < 3; ++channel) chooser.edits[channel] = GetDlgItem(dialog, kEditIds[channel]);
    // Every edit is written, even when the colour is the one of the last opening. Each write
    // passes through EN_UPDATE, which ends on the initial colour once the last edit is written.
    chooser.current = chooser.initial;
    RepaintNow(GetDlgItem(dialog, IDC_CHOOSER_SAMPLE));
    for (int channel = 0; channel < 3; ++channel) WriteChannel(chooser, channel, chooser.initial);
}

void OnCommand(Chooser& chooser, int id, int notification) {
    const int row = TableRow(id);
    if (row >= 0) RepaintNow(GetDlgItem(chooser.dialog, id));
    if (row >= 0 && row < kSwatchCount && notification == BN_CLICKED) {
        SetCurrent(chooser, kSwatches[row].color, true);
        return;
    }
    if (notification == EN_UPDATE) {
        ColorFromEdits(chooser);
        return;
    }
    if (id == IDOK) EndDialog(chooser.dialog, static_cast<INT_PTR>(chooser.current));
    else if (id == IDCANCEL) EndDialog(chooser.dialog, -1);
}

INT_PTR CALLBACK ChooserProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        OnInit(dialog, *reinterpret_cast<Chooser*>(lParam));
        return TRUE;
    }
    Chooser* chooser = reinterpret_cast<Chooser*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!chooser) return FALSE;   // messages before WM_INITDIALOG
    if (message == WM_COMMAND) {
        OnCommand(*chooser, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

bool PickColor(PageHost& host, COLORREF& color, HWND owner) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);

    HINSTANCE instance = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(IDD_CHOOSE_COLOR), RT_DIALOG);
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const auto* dialogTemplate = loaded ? static_cast<const DLGTEMPLATE*>(LockResource(loaded)) : nullptr;
    if (!dialogTemplate) return false;

    // A colour never has bits above the low 24, so no colour reads as the cancel result -1.
    Chooser chooser{host.ChooserColor(), color & 0xFFFFFF};
    INT_PTR result = DialogBoxIndirectParamW(instance, dialogTemplate, owner, ChooserProc,
                                             reinterpret_cast<LPARAM>(&chooser));
    if (result == -1) return false;
    color = static_cast<COLORREF>(result) & 0xFFFFFF;
    host.NoteColorChoice();
    return true;
}
