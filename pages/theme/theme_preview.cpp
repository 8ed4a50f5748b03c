// The theme page's picture of a Today screen: composed off screen, layer by layer, from the
// watermark, the Today picture and one 1-bit mask per colour, once per change; every paint only
// copies it and draws the colour bar of the selected item.
#include <string>

#include "base/handles.h"
#include "pages/theme/theme_file.h"
#include "pages/theme/theme_page.h"
#include "platform/pocketpc.h"
#include "resources/resource.h"

namespace {

// MaskBlt operations. Where the mask is 0 the source replaces the destination, where it is 1 the
// source is ANDed into it: a picture cut in along its mask.
constexpr DWORD kCutIn = 0xCC8800C6;     // MAKEROP4(SRCAND, SRCCOPY)
// A bitmap blitted onto itself: white where the mask is 1, unchanged where it is 0.
constexpr DWORD kWhiten = 0xCCFF0062;    // MAKEROP4(WHITENESS, SRCCOPY)

constexpr int kBitmapWidth = 240;
constexpr int kBitmapHeight = 320;
constexpr int kWatermarkTop = 26;
constexpr int kWatermarkHeight = 115;
constexpr int kPictureTop = 5;   // where the picture stands on the page
constexpr DWORD kFlashPause = 100;

const wchar_t* const kWatermarks[] = {L"\\Windows\\tdywater.gif", L"\\Windows\\stWater.gif"};

HBITMAP LoadBitmapResource(WORD id) {
    return static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0));
}

bool IsLandscape() { return IsLandscapeScreen(); }

}  // namespace

// The DCs, their bitmaps and the page's bitmaps, made the first time the picture is needed (the
// page is the last of the sheet: a start that never shows it does not pay for them).
bool ThemePage::EnsureDrawingObjects() {
    if (drawingObjectsMade_) return pictureDc_ && workDc_ && maskDc_ && pictureBitmap_ && workBitmap_;
    drawingObjectsMade_ = true;
    WindowDc screen(nullptr);
    pictureDc_.reset(CreateCompatibleDC(screen.get()));
    workDc_.reset(CreateCompatibleDC(screen.get()));
    maskDc_.reset(CreateCompatibleDC(screen.get()));
    pictureBitmap_.reset(CreateCompatibleBitmap(screen.get(), kBitmapWidth, kBitmapHeight));
    workBitmap_.reset(CreateCompatibleBitmap(screen.get(), kBitmapWidth, kBitmapHeight));
    if (!pictureDc_ || !workDc_ || !maskDc_ || !pictureBitmap_ || !workBitmap_) return false;
    pictureSelection_ = std::make_unique<DcSelection>(pictureDc_.get(), pictureBitmap_.get());
    SetStretchBltMode(workDc_.get(), COLORONCOLOR);
    today_.reset(LoadBitmapResource(IDB_TODAY));
    todayMask_.reset(LoadBitmapResource(IDB_TODAY_MASK));
    for (ThemeItem& item : items_) {
        item.mask.reset(LoadBitmapResource(item.maskId));
        if (item.tipPictureId) item.tipPicture.reset(LoadBitmapResource(item.tipPictureId));
        if (item.tipMaskId) item.tipMask.reset(LoadBitmapResource(item.tipMaskId));
    }
    return true;
}

// Row 0 of the work bitmap from the item's start column over about its width: the first colour
// running into the second, in single precision as the device computes it; then row 0 stretched
// over the picture's other rows. Columns outside the gradient keep what they held.
void ThemePage::FillGradient(const ThemeItem& item) {
    const COLORREF c1 = ItemColor(item, false), c2 = ItemColor(item, true);
    const float red = static_cast<float>(GetRValue(c1)), green = static_cast<float>(GetGValue(c1)),
                blue = static_cast<float>(GetBValue(c1));
    const float dRed = static_cast<float>(GetRValue(c2)) - red;
    const float dGreen = static_cast<float>(GetGValue(c2)) - green;
    const float dBlue = static_cast<float>(GetBValue(c2)) - blue;
    const int width = item.gradientWidth > 0 ? item.gradientWidth : 1;
    const float step = 1.0f / static_cast<float>(width);
    float t = 0.0f;
    HDC dc = workDc_.get();
    // The sum of the steps may stop just short of 1: then one more column is set.
    for (int x = item.gradientStart; x <= item.gradientStart + width; ++x) {
        SetPixel(dc, x, 0,
                 RGB(static_cast<int>(red + t * dRed), static_cast<int>(green + t * dGreen),
                     static_cast<int>(blue + t * dBlue)));
        t += step;
        if (t >= 1.0f) break;
    }
    StretchBlt(dc, 0, 1, kPictureWidth, kPictureHeight - 1, dc, 0, 0, kPictureWidth, 1, SRCCOPY);
}

void ThemePage::DrawThemeLayers() {
    HDC picture = pictureDc_.get(), work = workDc_.get();
    if (watermarkWanted_) {
        watermarkWanted_ = false;
        // An opened theme's own Today image, else the device's.
        if (opened_) watermark_.reset(DecodeTodayImage(*opened_));
        for (const wchar_t* file : kWatermarks) {
            if (watermark_) break;
            watermark_.reset(SHLoadImageFile(file));
        }
    }
    // The watermark below everything, its top-left part; where it has no pixels (no watermark, or
    // a small one) the Today area is white.
    PatBlt(picture, 0, kWatermarkTop, kPictureWidth, kWatermarkHeight, WHITENESS);
    BITMAP size = {};
    if (watermark_ && GetObjectW(watermark_.get(), sizeof size, &size)) {
        DcSelection select(work, watermark_.get());
        BitBlt(picture, 0, kWatermarkTop, size.bmWidth < kPictureWidth ? size.bmWidth : kPictureWidth,
               size.bmHeight < kWatermarkHeight ? size.bmHeight : kWatermarkHeight, work, 0, 0, SRCCOPY);
    }
    if (today_ && todayMask_) {
        DcSelection select(work, today_.get());
        MaskBlt(picture, 0, 0, kPictureWidth, kPictureHeight, work, 0, 0, todayMask_.get(), 0, 0, kCutIn);
    }
    DcSelection selectWork(work, workBitmap_.get());
    auto paintLayer = [&](const ThemeItem& item) {
        if (!item.mask) return;
        FillGradient(item);
        MaskBlt(work, 0, 0, kPictureWidth, kPictureHeight, work, 0, 0, item.mask.get(), 0, 0, kWhiten);
        MaskBlt(picture, 0, 0, kPictureWidth, kPictureHeight, work, 0, 0, item.mask.get(), 0, 0, kCutIn);
    };
    for (const ThemeItem& item : items_)
        if (item.flags & ThemeItem::kAlwaysShown) paintLayer(item);
    const ThemeItem& selected = items_[selected_];
    if ((selected.flags & ThemeItem::kWhenSelected) && selected.tipPicture && selected.tipMask) {
        {
            DcSelection select(work, selected.tipPicture.get());
            MaskBlt(picture, 0, 0, kPictureWidth, kPictureHeight, work, 0, 0, selected.tipMask.get(), 0, 0, kCutIn);
        }
        paintLayer(selected);
    }
    composed_ = true;
    ++compositions_;
}

RECT ThemePage::ControlRect(int id) const {
    RECT r = {};
    if (HWND control = GetDlgItem(hwnd, id)) {
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
    }
    return r;
}

// Portrait: the picture at (0, 5), stretched by the screen's scale, composed first when out of
// date. Landscape: the note of control 1059 instead. Both: the selected item's colour or gradient in the bar of control 1051
// (its place is read at each paint, so it follows the page into either orientation).
void ThemePage::Paint(HDC dc) {
    if (!hwnd || !dc || !EnsureDrawingObjects()) return;
    if (IsLandscape()) {
        HWND note = GetDlgItem(hwnd, IDC_THEME_LANDSCAPE_NOTE);
        wchar_t text[128] = {};
        if (note) GetWindowTextW(note, text, 128);
        RECT r = ControlRect(IDC_THEME_LANDSCAPE_NOTE);
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
        DcSelection selectFont(dc, font);
        const int oldMode = SetBkMode(dc, TRANSPARENT);
        const COLORREF oldColor = SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        DrawTextW(dc, text, -1, &r, DT_CENTER | DT_WORDBREAK);
        SetTextColor(dc, oldColor);
        SetBkMode(dc, oldMode);
    } else {
        if (!composed_) DrawThemeLayers();
        const int scale = host().Scale();
        if (scale == 1) {
            BitBlt(dc, 0, kPictureTop, kPictureWidth, kPictureHeight, pictureDc_.get(), 0, 0, SRCCOPY);
        } else {
            const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
            StretchBlt(dc, 0, kPictureTop, kPictureWidth * scale, kPictureHeight * scale, pictureDc_.get(), 0, 0,
                       kPictureWidth, kPictureHeight, SRCCOPY);
            SetStretchBltMode(dc, oldMode);
        }
    }
    const ThemeItem& item = items_[selected_];
    const RECT bar = ControlRect(IDC_THEME_BAR);
    DcSelection selectWork(workDc_.get(), workBitmap_.get());
    FillGradient(item);
    const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, bar.left, bar.top, bar.right - bar.left, bar.bottom - bar.top, workDc_.get(), item.gradientStart, 0,
               item.gradientWidth, 1, SRCCOPY);
    SetStretchBltMode(dc, oldMode);
}

// Shows the item's area: inverted, normal, inverted, normal, 100 ms apart at scale 1 (one after
// another at other scales, where each inversion takes longer by itself).
void ThemePage::FlashItemArea(const ThemeItem& item) {
    if (!hwnd || !EnsureDrawingObjects() || !item.mask) return;
    {
        DcSelection selectWork(workDc_.get(), workBitmap_.get());
        DcSelection selectMask(maskDc_.get(), item.mask.get());
        BitBlt(workDc_.get(), 0, 0, kPictureWidth, kPictureHeight, maskDc_.get(), 0, 0, NOTSRCCOPY);
    }
    WindowDc page(hwnd);
    if (!page.get()) return;
    DcSelection selectWork(workDc_.get(), workBitmap_.get());
    const int scale = host().Scale();
    for (int i = 0; i < 4; ++i) {
        if (scale == 1) {
            Sleep(kFlashPause);
            BitBlt(page.get(), 0, kPictureTop, kPictureWidth, kPictureHeight, workDc_.get(), 0, 0, SRCINVERT);
        } else {
            StretchBlt(page.get(), 0, kPictureTop, kPictureWidth * scale, kPictureHeight * scale, workDc_.get(), 0, 0,
                       kPictureWidth, kPictureHeight, SRCINVERT);
        }
        ++inversions_;
    }
}
