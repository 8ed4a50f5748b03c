// Relayout of the pages between their portrait and landscape templates. The pages are always
// created from the portrait template; a relayout moves the existing controls to the positions of
// the other template and refreshes what their look takes from it (labels, images, selections).
#include <string>

#include "base/strings.h"
#include "framework/controls.h"
#include "framework/settings_page.h"
#include "platform/pocketpc.h"
#include "shell/dialog_template.h"
#include "shell/program.h"

namespace {
// The input method page sets this line's text at run time; a relayout leaves it alone.
constexpr WORD kDefaultMethodLine = 1036;
constexpr WORD kUnnamed = 0xFFFF;

bool IsWindowOfClass(HWND wnd, const wchar_t* cls) {
    wchar_t name[32] = {};
    GetClassNameW(wnd, name, 32);
    return SameNameIgnoringCase(name, cls);
}

void DestroyImage(UINT type, HANDLE image) {
    if (!image) return;
    if (type == IMAGE_ICON) DestroyIcon(static_cast<HICON>(image));
    else DeleteObject(image);
}

// Loads the template's image into the control. The page holds the new one; the one it replaces
// is destroyed, whether the page held it or the control had it from its template.
void ReplaceImage(HINSTANCE instance, HWND control, WORD controlId, UINT type, WORD imageId,
                  ControlImages& images) {
    HANDLE image = LoadImageW(instance, MAKEINTRESOURCEW(imageId), type, 0, 0, 0);
    if (!image) return;
    bool button = IsWindowOfClass(control, L"Button");
    HANDLE old = reinterpret_cast<HANDLE>(SendMessageW(control, button ? BM_GETIMAGE : STM_GETIMAGE, type, 0));
    SendMessageW(control, button ? BM_SETIMAGE : STM_SETIMAGE, type, reinterpret_cast<LPARAM>(image));
    HANDLE held = images.Held(controlId);
    images.Adopt(controlId, type, image);   // destroys `held`
    if (old != held && old != image) DestroyImage(type, old);
}

void Reselect(HWND control, UINT get, UINT set, LRESULT none) {
    LRESULT selection = SendMessageW(control, get, 0, 0);
    if (selection != none) SendMessageW(control, set, static_cast<WPARAM>(selection), 0);
}

// Refreshes a control's content from its template item; items with a class name are left alone.
void RefreshControl(HINSTANCE instance, HWND control, const TemplateItem& item, ControlImages& images) {
    if (!control || !item.windowClass.isOrdinal) return;
    switch (item.windowClass.ordinal) {
    case kTemplateButton:
    case kTemplateStatic:
        if (item.title.isOrdinal) {
            DWORD kind = item.style & 0x0F;
            if (kind == SS_ICON) ReplaceImage(instance, control, item.id, IMAGE_ICON, item.title.ordinal, images);
            else if (kind == SS_BITMAP) ReplaceImage(instance, control, item.id, IMAGE_BITMAP, item.title.ordinal, images);
        } else if (item.id != kDefaultMethodLine) {
            std::wstring text(item.title.text);
            SetWindowTextW(control, text.c_str());
        }
        break;
    case kTemplateListBox:
        Reselect(control, LB_GETCURSEL, LB_SETCURSEL, LB_ERR);
        break;
    case kTemplateComboBox:
        Reselect(control, CB_GETCURSEL, CB_SETCURSEL, CB_ERR);
        break;
    }
}

}  // namespace

BOOL ApplyDialogTemplate(HINSTANCE instance, HWND dialog, const DialogTemplate& layout, ControlImages& images) {
    HDWP batch = BeginDeferWindowPos(layout.itemCount);
    int unnamed = 0;
    for (const TemplateItem& item : layout.items) {
        if (item.id == kUnnamed) ++unnamed;
        RECT r = item.rect;
        MapDialogRect(dialog, &r);
        HWND control = GetDlgItem(dialog, item.id);
        if (control && batch)
            batch = DeferWindowPos(batch, control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                   SWP_NOZORDER | SWP_NOACTIVATE);
        RefreshControl(instance, control, item, images);
    }
    if (batch) EndDeferWindowPos(batch);
    ClearVerticalScrollBar(dialog);
    InvalidateRect(dialog, nullptr, TRUE);
    UpdateWindow(dialog);
    // Unnamed items cannot be told apart: with two or more, one of them was moved twice.
    return unnamed < 2;
}

BOOL ApplyDialogLayout(HINSTANCE instance, HWND dialog, WORD templateId, ControlImages& images) {
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(templateId), RT_DIALOG);
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    DialogTemplate layout;
    if (!data || !ReadDialogTemplate(data, SizeofResource(instance, found), layout)) return FALSE;
    return ApplyDialogTemplate(instance, dialog, layout, images);
}

void RelayoutPage(HINSTANCE instance, SettingsPage* page, bool landscape) {
    if (!page || !page->hwnd || page->landscapeDialogId == 0) return;   // not made yet: fitted when made
    WORD id = landscape ? page->landscapeDialogId : page->portraitDialogId;
    // A template that cannot be read leaves the controls where they stand: the page stays usable.
    ApplyDialogLayout(instance, page->hwnd, id, page->images);
    ClearVerticalScrollBar(page->hwnd);
    RedrawWindow(page->hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

bool Program::CheckOrientation() {
    bool landscape = IsLandscapeScreen();
    if (landscape == isLandscape_) return false;
    isLandscape_ = landscape;
    return true;
}

void Program::RelayoutPages() {
    if (!CheckOrientation()) return;
    ++relayouts_;
    for (SettingsPage* page : session_.pages) RelayoutPage(instance_, page, isLandscape_);
}
