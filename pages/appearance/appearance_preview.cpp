// The appearance page's miniature screen: an inactive window behind an active dialog with a text
// and a button, a scroll bar, and a menu bar with an open popup menu, all drawn in the colours
// and fonts being edited.
#include <windows.h>
#include <commctrl.h>

#include "base/handles.h"
#include "base/strings.h"
#include "framework/preview_draw.h"
#include "pages/appearance/appearance_page.h"
#include "platform/pocketpc.h"

namespace {
// Captions and texts of the preview.
constexpr UINT kActiveWindow = 3123, kInactiveWindow = 3124, kMenu = 3128, kDisabled = 3129, kSelected = 3130,
               kPopup = 3131, kEdit = 3132, kButton = 3133, kWindowTextLabel = 3134, kDialogTextLabel = 3135;

void Move(RECT& r, int dx, int dy) { OffsetRect(&r, dx, dy); }
}  // namespace

void AppearancePage::DrawPreview(HDC dc, const RECT& a) const {
    auto color = [this](int element) { return ElementColor(element).value_or(kNoColor); };
    auto font = [this](int element) { return ElementFont(element); };
    PreviewMetrics m = QueryPreviewMetrics(host());
    m.menuItemHeight = GetSystemMetrics(SM_CYMENU);
    const int s = m.scale;
    const bool landscape = IsLandscapeScreen();

    // The screen: a white area inside a black line.
    {
        DcSelection pen(dc, GetStockObject(BLACK_PEN));
        DcSelection brush(dc, GetStockObject(WHITE_BRUSH));
        Rectangle(dc, a.left, a.top, a.right, a.bottom);
    }
    RECT r = {a.left + 5, a.top + 5, a.right - 50 * s, a.bottom - 50 * s - 50};
    DrawWindowFrame(dc, r, LoadResString(kInactiveWindow), font(kInactiveTitleText), color(kInactiveTitleText),
                    color(kInactiveTitleBar), color(kWindowBackground), m);
    Move(r, 5 * s, 35 * s);
    DrawLabelBox(dc, r, LoadResString(kWindowTextLabel), font(kWindowText), color(kWindowBackground),
                 color(kWindowText), CLR_NONE, 0);
    Move(r, -5 * s, -35 * s);

    if (landscape) Move(r, 70 * s, 20 * s);
    else Move(r, 60 * s, 60 * s);
    r.right -= 36 * s;
    r.bottom += 40 * s;
    DrawWindowFrame(dc, r, LoadResString(kActiveWindow), font(kActiveTitleText), color(kActiveTitleText),
                    color(kActiveTitleBar), color(kDialogBackground), m);
    Move(r, 48 * s, 56 * s);
    DrawLabelBox(dc, r, LoadResString(kButton), font(kButtonText), color(kThreeD), color(kButtonText), RGB(0, 0, 0),
                 2);
    Move(r, -45 * s, -29 * s);
    DrawLabelBox(dc, r, LoadResString(kDialogTextLabel), font(kDialogText), color(kDialogBackground),
                 color(kDialogText), CLR_NONE, 0);

    const int scrollWidth = m.vScrollWidth ? m.vScrollWidth : GetSystemMetrics(SM_CXVSCROLL);
    const int menuHeight = GetSystemMetrics(SM_CYMENU);
    DrawVScrollBar(dc, RECT{a.right - scrollWidth * s - 1, a.top, a.right, a.bottom - 2 * menuHeight}, 0xFFFFFF,
                   color(kThreeD), m);

    const RECT menu = {a.left, a.bottom - (5 * menuHeight) / 4, a.right, a.bottom};
    DrawPopupMenu(dc, menu, font(kPopupMenuText), LoadResString(kPopup), color(kSelectedItems),
                  color(kMenuBackground), color(kPopupMenuText), color(kSelectedMenuText), LoadResString(kSelected), m);
    DrawMenuBar(dc, menu, font(kMenuBarText), LoadResString(kEdit), color(kThreeD), color(kMenuBackground),
                color(kMenuBarText), LoadResString(kDisabled), color(kDisabledText), LoadResString(kMenu),
                color(kSelectedItemsText), color(kSelectedItems), m);
}
