#include "framework/page_kit.h"

BOOL KitPage::OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_SETTINGCHANGE:
        OnSettingChange();
        return FALSE;
    case WM_COMMAND:
        // What the page's own filling of its controls sets off is no user's doing.
        if (Updating()) return TRUE;
        return OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case WM_NOTIFY:
        if (!lParam) return FALSE;
        if (std::optional<LRESULT> result = OnNotify(*reinterpret_cast<const NMHDR*>(lParam))) {
            SetWindowLongPtrW(dialog, DWLP_MSGRESULT, *result);
            return TRUE;
        }
        return FALSE;
    }
    if (std::optional<BOOL> handled = OnOtherMessage(message, wParam, lParam)) return *handled;
    return FALSE;
}

std::optional<std::vector<SettingWords>> KitPage::Describe(Store* store) {
    if (SavesToDevice()) return std::nullopt;
    if (store) return DescribeStore(*store);
    MemoryStore held;
    Save(held);
    return DescribeStore(held);
}
