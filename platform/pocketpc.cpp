// Shell calls of the device layer: dialog initialisation, the Done button, setting changes,
// the input panel and image loading.
#include "platform/pocketpc.h"

#include <wincodec.h>

#include <utility>

#include "platform/sheet_internal.h"

namespace {

bool inputPanelUp = false;
int settingChangeCalls = 0;

// Holds one COM interface and releases it when it goes.
template <typename T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() { if (p_) p_->Release(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T** put() {
        if (p_) p_->Release();
        p_ = nullptr;
        return &p_;
    }
private:
    T* p_ = nullptr;
};

// Initialises COM on this thread for the holder's lifetime when nobody has yet.
class ComApartment {
public:
    ComApartment() : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() { if (initialised_) CoUninitialize(); }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
private:
    bool initialised_;
};

void ShowChild(HWND parent, int id, bool show) {
    if (HWND child = GetDlgItem(parent, id)) ShowWindow(child, show ? SW_SHOWNA : SW_HIDE);
}

// Decodes the first frame of an image file into a 32-bpp top-down DIB section.
HBITMAP DecodeImage(const wchar_t* fileName) {
    ComRef<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(factory.put()))))
        return nullptr;
    ComRef<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromFilename(fileName, nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, decoder.put())))
        return nullptr;
    ComRef<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, frame.put()))) return nullptr;
    ComRef<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(converter.put()))) return nullptr;
    if (FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)))
        return nullptr;
    UINT width = 0, height = 0;
    if (FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0 ||
        width > 0x4000 || height > 0x4000)
        return nullptr;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height);   // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) {
        if (bitmap) DeleteObject(bitmap);
        return nullptr;
    }
    UINT stride = width * 4;
    if (FAILED(converter->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits)))) {
        DeleteObject(bitmap);
        return nullptr;
    }
    GdiFlush();
    return bitmap;
}

}  // namespace

BOOL SHInitDialog(SHINITDLGINFO* info) {
    if (!info || !(info->dwMask & SHIDIM_FLAGS) || !IsWindow(info->hDlg)) return FALSE;
    HWND dialog = info->hDlg;
    bool child = (GetWindowLongPtrW(dialog, GWL_STYLE) & WS_CHILD) != 0;
    // A property page is a child: its sheet places it, so sizing applies to top-level windows.
    if (!child && (info->dwFlags & (SHIDIF_SIZEDLG | SHIDIF_SIZEDLGFULLSCREEN))) {
        RECT area = DeviceWorkArea();
        SetWindowPos(dialog, nullptr, area.left, area.top, area.right - area.left,
                     area.bottom - area.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (info->dwFlags & SHIDIF_SIPDOWN) SipShowIM(SIPF_OFF);
    // The Done button is the caption's OK on the device; on the desktop there is nothing to add.
    return TRUE;
}

BOOL SHDoneButton(HWND wnd, DWORD state) {
    if (!IsWindow(wnd) || (state != SHDB_SHOW && state != SHDB_HIDE)) return FALSE;
    bool show = state == SHDB_SHOW;
    ShowChild(wnd, IDOK, show);
    if (!show && IsPpcSheetWindow(wnd)) {
        // The device's sheet has no buttons at all: its Done button is in the caption.
        HideSheetButtons(wnd);
    }
    return TRUE;
}

BOOL SHHandleWMSettingChange(HWND, WPARAM, LPARAM, SHACTIVATEINFO*) {
    ++settingChangeCalls;
    return TRUE;
}

int SettingChangeCallsForTests() { return settingChangeCalls; }

BOOL SipShowIM(DWORD flags) {
    inputPanelUp = (flags & SIPF_ON) != 0;
    return TRUE;
}

bool IsInputPanelUp() { return inputPanelUp; }

HBITMAP SHLoadImageFile(const wchar_t* fileName) {
    if (!fileName || !*fileName) return nullptr;
    ComApartment apartment;
    return DecodeImage(fileName);
}
