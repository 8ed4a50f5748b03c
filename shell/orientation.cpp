// Relayout of the pages between their portrait and landscape templates. The pages are always
// created from the portrait template; a relayout moves the existing controls to the positions of
// the other template and refreshes what their look takes from it (labels, images, selections).
#include <cstdint>

#include "base/strings.h"
#include "framework/settings_page.h"
#include "platform/pocketpc.h"
#include "shell/program.h"

namespace {
// The input method page sets this line's text at run time; a relayout leaves it alone.
constexpr WORD kDefaultMethodLine = 1036;

constexpr WORD kClassButton = 0x80;
constexpr WORD kClassStatic = 0x82;
constexpr WORD kClassListBox = 0x83;
constexpr WORD kClassComboBox = 0x85;

// Reads a dialog template with bounds checks: a truncated resource stops the walk.
class TemplateReader {
public:
    TemplateReader(const BYTE* data, size_t size) : base_(data), size_(size) {}
    bool ok() const { return ok_; }
    WORD Word() {
        if (pos_ + 2 > size_) { ok_ = false; return 0; }
        WORD w;
        memcpy(&w, base_ + pos_, 2);
        pos_ += 2;
        return w;
    }
    DWORD Dword() {
        DWORD lo = Word();
        return lo | (static_cast<DWORD>(Word()) << 16);
    }
    // A class or title field: 0xFFFF and an ordinal, or a NUL-terminated string.
    struct Field { bool isOrdinal; WORD ordinal; const wchar_t* text; };
    Field ReadField() {
        Field f = {false, 0, L""};
        if (pos_ + 2 > size_) { ok_ = false; return f; }
        WORD first;
        memcpy(&first, base_ + pos_, 2);
        if (first == 0xFFFF) {
            pos_ += 2;
            f.isOrdinal = true;
            f.ordinal = Word();
            return f;
        }
        f.text = reinterpret_cast<const wchar_t*>(base_ + pos_);
        while (Word() != 0 && ok_) {}
        if (!ok_) f.text = L"";
        return f;
    }
    void SkipField() { ReadField(); }
    void Skip(size_t bytes) { if (pos_ + bytes > size_) ok_ = false; else pos_ += bytes; }
    void AlignDword() { pos_ = (pos_ + 3) & ~size_t(3); if (pos_ > size_) ok_ = false; }
private:
    const BYTE* base_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

bool IsWindowOfClass(HWND wnd, const wchar_t* cls) {
    wchar_t name[32] = {};
    GetClassNameW(wnd, name, 32);
    return SameNameIgnoringCase(name, cls);
}

void ClearVerticalScrollBar(HWND dialog) {
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    SetScrollInfo(dialog, SB_VERT, &info, TRUE);
}

void ReplaceImage(HINSTANCE instance, HWND control, UINT imageType, WORD id) {
    HANDLE image = LoadImageW(instance, MAKEINTRESOURCEW(id), imageType, 0, 0, 0);
    UINT getMessage = IsWindowOfClass(control, L"Button") ? BM_GETIMAGE : STM_GETIMAGE;
    UINT setMessage = getMessage == BM_GETIMAGE ? BM_SETIMAGE : STM_SETIMAGE;
    HANDLE old = reinterpret_cast<HANDLE>(SendMessageW(control, getMessage, imageType, 0));
    SendMessageW(control, setMessage, imageType, reinterpret_cast<LPARAM>(image));
    if (old) {
        if (imageType == IMAGE_ICON) DestroyIcon(static_cast<HICON>(old));
        else DeleteObject(old);
    }
}

// Refreshes a control's content from its template item.
void RefreshControl(HINSTANCE instance, HWND control, WORD id, DWORD style, const TemplateReader::Field& cls,
                    const TemplateReader::Field& title) {
    if (!control || !cls.isOrdinal) return;
    switch (cls.ordinal) {
    case kClassButton:
    case kClassStatic:
        if (title.isOrdinal) {
            if ((style & 0x0F) == SS_ICON) ReplaceImage(instance, control, IMAGE_ICON, title.ordinal);
            else if ((style & 0x0F) == SS_BITMAP) ReplaceImage(instance, control, IMAGE_BITMAP, title.ordinal);
        } else if (id != kDefaultMethodLine && title.text[0] != L'\0') {
            // A control without text in its template is one its page writes at run time.
            SetWindowTextW(control, title.text);
        }
        break;
    case kClassListBox: {
        LRESULT sel = SendMessageW(control, LB_GETCURSEL, 0, 0);
        if (sel != LB_ERR) SendMessageW(control, LB_SETCURSEL, sel, 0);
        break;
    }
    case kClassComboBox: {
        LRESULT sel = SendMessageW(control, CB_GETCURSEL, 0, 0);
        if (sel != CB_ERR) SendMessageW(control, CB_SETCURSEL, sel, 0);
        break;
    }
    }
}

}  // namespace

void RelayoutPage(HINSTANCE instance, SettingsPage* page, bool landscape) {
    if (!page || page->landscapeDialogId == 0) return;
    WORD id = landscape ? page->landscapeDialogId : page->portraitDialogId;
    if (!ApplyDialogLayout(instance, page->hwnd, id)) MessageBoxW(nullptr, L"1", L"2", MB_OK | MB_TOPMOST);
    ClearVerticalScrollBar(page->hwnd);
}

bool IsLandscapeScreen() { return DeviceMetric(SM_CYSCREEN) < DeviceMetric(SM_CXSCREEN); }

BOOL ApplyDialogLayout(HINSTANCE instance, HWND dialog, WORD templateId) {
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(templateId), RT_DIALOG);
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!data) return FALSE;
    TemplateReader in(data, SizeofResource(instance, found));

    DWORD style = in.Dword();
    in.Dword();                 // extended style
    WORD items = in.Word();
    in.Skip(8);                 // x, y, cx, cy
    in.SkipField();             // menu
    in.SkipField();             // class
    in.SkipField();             // title
    if (style & DS_SETFONT) {
        in.Word();              // point size
        in.SkipField();         // face name
    }
    if (!in.ok()) return FALSE;

    HDWP batch = BeginDeferWindowPos(items);
    int unnamed = 0;
    for (WORD i = 0; i < items && in.ok(); ++i) {
        in.AlignDword();
        DWORD itemStyle = in.Dword();
        in.Dword();             // extended style
        RECT r;
        r.left = static_cast<int16_t>(in.Word());
        r.top = static_cast<int16_t>(in.Word());
        LONG cx = static_cast<int16_t>(in.Word());
        LONG cy = static_cast<int16_t>(in.Word());
        WORD id = in.Word();
        TemplateReader::Field cls = in.ReadField();
        TemplateReader::Field title = in.ReadField();
        WORD extra = in.Word();
        if (extra) in.Skip(extra - 2);
        if (!in.ok()) break;
        if (id == 0xFFFF) ++unnamed;
        r.right = r.left + cx;
        r.bottom = r.top + cy;
        MapDialogRect(dialog, &r);
        HWND control = GetDlgItem(dialog, id);
        if (control && batch)
            batch = DeferWindowPos(batch, control, nullptr, r.left, r.top, r.right - r.left,
                                   r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
        RefreshControl(instance, control, id, itemStyle, cls, title);
    }
    if (batch) EndDeferWindowPos(batch);
    ClearVerticalScrollBar(dialog);
    InvalidateRect(dialog, nullptr, TRUE);
    UpdateWindow(dialog);
    return unnamed < 2;
}
