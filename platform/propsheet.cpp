// The Pocket PC property sheet on top of the desktop one: full screen below the navigation bar,
// a title line at the top, the tabs along the bottom, no buttons, and the dialogs of pages marked
// premature made when the sheet is made.
#include "platform/pocketpc.h"

#include <new>

#include "base/handles.h"
#include "platform/sheet_internal.h"

namespace {

constexpr UINT_PTR kSheetSubclassId = 0x50504353;   // 'PPCS'
constexpr int kTitleControlId = 0x3030;
constexpr int kApplyButtonId = 0x3021;
constexpr int kTitleHeight = 20;   // pixels at 96 dpi
constexpr size_t kTitleLength = 260;
// The window property that marks a sheet of this layer and holds its state.
constexpr wchar_t kStateProperty[] = L"OrvanelPpcSheet";

// What the layer keeps for each sheet it made; freed when the sheet is destroyed.
struct SheetState {
    HWND title = nullptr;
    OwnedFont titleFont;
    bool layingOut = false;
};

// The sheet being created: PropertySheetW calls back while it runs.
struct Creation {
    PFNPROPSHEETCALLBACK programCallback = nullptr;
    bool withTitle = false;
};
Creation* creation = nullptr;

int Scaled(int pixels) { return pixels * DeviceDpi() / 96; }

}  // namespace

void HideSheetButtons(HWND sheet) {
    for (int id : {IDOK, IDCANCEL, IDHELP, kApplyButtonId})
        if (HWND button = GetDlgItem(sheet, id)) ShowWindow(button, SW_HIDE);
}

namespace {

// The tab strip's own height: its rows of tabs and the border below them.
int TabStripHeight(HWND tab) {
    RECT item{};
    if (!tab || TabCtrl_GetItemCount(tab) == 0 || !TabCtrl_GetItemRect(tab, 0, &item))
        return Scaled(kMenuBarHeight);
    int rows = TabCtrl_GetRowCount(tab);
    if (rows < 1) rows = 1;
    return rows * (item.bottom - item.top) + Scaled(4);
}

// Places the title line, the pages and the tabs inside the sheet's client area.
void Layout(HWND sheet, SheetState& state) {
    if (state.layingOut) return;
    state.layingOut = true;
    RECT client{};
    GetClientRect(sheet, &client);
    int width = client.right - client.left;
    int height = client.bottom - client.top;
    int titleHeight = state.title ? Scaled(kTitleHeight) : 0;

    HWND tab = PropSheet_GetTabControl(sheet);
    int tabHeight = 0;
    if (tab) {
        LONG_PTR tabStyle = GetWindowLongPtrW(tab, GWL_STYLE);
        // One compact row of tabs along the bottom, as on the device.
        LONG_PTR wanted = (tabStyle | TCS_BOTTOM) & ~static_cast<LONG_PTR>(TCS_MULTILINE);
        if (wanted != tabStyle) {
            SetWindowLongPtrW(tab, GWL_STYLE, wanted);
            // Room above and below the caption: the unselected tabs draw their text lower.
            SendMessageW(tab, TCM_SETPADDING, 0, MAKELPARAM(Scaled(4), Scaled(5)));
            SendMessageW(tab, TCM_SETMINTABWIDTH, 0, Scaled(20));
        }
        tabHeight = TabStripHeight(tab);
        SetWindowPos(tab, nullptr, 0, height - tabHeight, width, tabHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    int pageHeight = height - titleHeight - tabHeight;
    if (pageHeight < 0) pageHeight = 0;
    int pages = tab ? TabCtrl_GetItemCount(tab) : 0;
    for (int i = 0; i < pages; ++i) {
        if (HWND page = PropSheet_IndexToHwnd(sheet, i))
            SetWindowPos(page, nullptr, 0, titleHeight, width, pageHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (state.title) {
        // First in z-order, so that it is the first child of the sheet a caller finds.
        SetWindowPos(state.title, HWND_TOP, 0, 0, width, titleHeight, SWP_NOACTIVATE);
    }
    HideSheetButtons(sheet);
    state.layingOut = false;
}

bool ChangesLayout(UINT message, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
    case PSM_SETCURSEL:
    case PSM_SETCURSELID:
    case PSM_ADDPAGE:
    case PSM_REMOVEPAGE:
        return true;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<const NMHDR*>(lParam);
        return header && header->code == static_cast<UINT>(TCN_SELCHANGE);
    }
    default:
        return false;
    }
}

LRESULT CALLBACK SheetProc(HWND sheet, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                           DWORD_PTR data) {
    auto* state = reinterpret_cast<SheetState*>(data);
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(sheet, SheetProc, id);
        RemovePropW(sheet, kStateProperty);
        LRESULT result = DefSubclassProc(sheet, message, wParam, lParam);
        delete state;
        return result;
    }
    LRESULT result = DefSubclassProc(sheet, message, wParam, lParam);
    // The desktop sheet places a page when it shows it and may show its buttons again.
    if (ChangesLayout(message, lParam)) Layout(sheet, *state);
    return result;
}

// Turns the sheet into a captionless popup over the work area.
void MakeFullScreen(HWND sheet) {
    LONG_PTR style = GetWindowLongPtrW(sheet, GWL_STYLE);
    style &= ~static_cast<LONG_PTR>(WS_CAPTION | WS_THICKFRAME | WS_BORDER | WS_DLGFRAME | DS_MODALFRAME |
                                    WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
    style |= WS_POPUP;
    SetWindowLongPtrW(sheet, GWL_STYLE, style);
    LONG_PTR exStyle = GetWindowLongPtrW(sheet, GWL_EXSTYLE);
    exStyle &= ~static_cast<LONG_PTR>(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE |
                                      WS_EX_STATICEDGE | WS_EX_CONTEXTHELP);
    SetWindowLongPtrW(sheet, GWL_EXSTYLE, exStyle);
    RECT area = DeviceWorkArea();
    SetWindowPos(sheet, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

HWND CreateTitle(HWND sheet, SheetState& state, const wchar_t* text) {
    HWND title = CreateWindowExW(0, L"Static", text, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0,
                                 0, Scaled(kTitleHeight), sheet,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTitleControlId)),
                                 reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(sheet, GWLP_HINSTANCE)),
                                 nullptr);
    if (!title) return nullptr;
    LOGFONTW font{};
    if (GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font)) {
        font.lfWeight = FW_BOLD;
        state.titleFont.reset(CreateFontIndirectW(&font));
    }
    HGDIOBJ use = state.titleFont ? static_cast<HGDIOBJ>(state.titleFont.get()) : GetStockObject(DEFAULT_GUI_FONT);
    SendMessageW(title, WM_SETFONT, reinterpret_cast<WPARAM>(use), FALSE);
    SetWindowPos(title, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return title;
}

// Gives a freshly initialised sheet the Pocket PC look; true once the sheet is set up.
bool AttachPocketLook(HWND sheet, const Creation& made) {
    auto* state = new (std::nothrow) SheetState;
    if (!state) return false;
    if (!SetWindowSubclass(sheet, SheetProc, kSheetSubclassId, reinterpret_cast<DWORD_PTR>(state))) {
        delete state;
        return false;
    }
    SetPropW(sheet, kStateProperty, state);
    if (made.withTitle && made.programCallback) {
        wchar_t title[kTitleLength] = {};
        made.programCallback(sheet, PSCB_GETTITLE, reinterpret_cast<LPARAM>(title));
        title[kTitleLength - 1] = L'\0';
        state->title = CreateTitle(sheet, *state, title);
    }
    MakeFullScreen(sheet);
    Layout(sheet, *state);
    return true;
}

int CALLBACK SheetCallback(HWND sheet, UINT message, LPARAM lParam) {
    // Only the initialisation reaches the program: the desktop's other callback codes share
    // numbers with the Pocket PC's version and title requests and mean something else.
    if (message != PSCB_INITIALIZED || !creation) return 0;
    AttachPocketLook(sheet, *creation);
    if (creation->programCallback) return creation->programCallback(sheet, message, lParam);
    return 0;
}

// Creates the dialogs of the pages marked premature that the desktop sheet left for their first
// showing (Wine's does so), then shows the page that was current again. Where those pages
// already exist this changes nothing.
void CreatePrematurePages(HWND sheet, const PROPSHEETHEADERW& header) {
    // Only descriptors tell the flag; pages handed in as handles are made when first shown.
    if (!(header.dwFlags & PSH_PROPSHEETPAGE) || !header.ppsp) return;
    HWND current = PropSheet_GetCurrentPageHwnd(sheet);
    int currentIndex = current ? PropSheet_HwndToIndex(sheet, current) : -1;
    bool selected = false;
    const BYTE* desc = reinterpret_cast<const BYTE*>(header.ppsp);
    for (UINT i = 0; i < header.nPages; ++i) {
        const auto* page = reinterpret_cast<const PROPSHEETPAGEW*>(desc);
        if (page->dwSize < PROPSHEETPAGEW_V1_SIZE) break;   // not a descriptor the sheet took either
        desc += page->dwSize;
        if (!(page->dwFlags & PSP_PREMATURE)) continue;
        if (PropSheet_IndexToHwnd(sheet, i)) continue;
        PropSheet_SetCurSel(sheet, nullptr, i);
        selected = true;
    }
    if (selected && currentIndex >= 0) PropSheet_SetCurSel(sheet, nullptr, currentIndex);
}

// Restores the enclosing creation when the call ends, even on an early return.
class CreationScope {
public:
    explicit CreationScope(Creation* made) : previous_(creation) { creation = made; }
    ~CreationScope() { creation = previous_; }
    CreationScope(const CreationScope&) = delete;
    CreationScope& operator=(const CreationScope&) = delete;
private:
    Creation* previous_;
};

}  // namespace

bool IsPpcSheetWindow(HWND wnd) { return wnd && GetPropW(wnd, kStateProperty) != nullptr; }

void FitSheetToScreen(HWND sheet) {
    auto* state = sheet ? static_cast<SheetState*>(GetPropW(sheet, kStateProperty)) : nullptr;
    if (!state) return;
    MakeFullScreen(sheet);
    Layout(sheet, *state);
}

INT_PTR PpcPropertySheet(PROPSHEETHEADERW* header) {
    if (!header) return -1;
    // The program's header follows the device's layout: fix its size and drop the flags that
    // mean something else on the desktop (0x2000 is a wizard style there).
    PROPSHEETHEADERW desktop = *header;
    desktop.dwSize = sizeof(desktop);
    desktop.dwFlags &= ~static_cast<DWORD>(PSH_MAXIMIZE);
    if (!(header->dwFlags & PSH_MODELESS)) return PropertySheetW(&desktop);

    desktop.dwFlags &= ~static_cast<DWORD>(PSH_HASHELP);
    Creation made;
    if (header->dwFlags & PSH_USECALLBACK) made.programCallback = header->pfnCallback;
    // The program's answer selects the sheet style: the title line belongs to the Pocket PC one.
    if (made.programCallback)
        made.withTitle = made.programCallback(nullptr, PSCB_GETVERSION, 0) >= COMCTL32_VERSION_PPC;
    desktop.dwFlags |= PSH_USECALLBACK;
    desktop.pfnCallback = SheetCallback;

    INT_PTR result;
    {
        CreationScope scope(&made);
        result = PropertySheetW(&desktop);
    }
    auto sheet = reinterpret_cast<HWND>(result);
    if (result == 0 || result == -1 || !IsWindow(sheet)) return result;

    CreatePrematurePages(sheet, desktop);
    FitSheetToScreen(sheet);
    return result;
}
