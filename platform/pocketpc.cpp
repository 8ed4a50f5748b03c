// Shell calls of the device layer: dialog initialisation, the Done button, setting changes,
// the input panel and image loading (the file dialogs are in save_dialog.cpp and open_dialog.cpp).
//
// COM (for the image codecs) is loaded when first used: start-up does not need it, and loading it
// with the program cost a tenth of its start time and a fifth of its memory. Nothing here may
// call into ole32, oleaut32 or windowscodecs directly.
#include "platform/pocketpc.h"

#include <wincodec.h>

#include <utility>

#include "base/handles.h"
#include "platform/com_apartment.h"
#include "platform/sheet_internal.h"

namespace {

// The COM calls image loading needs, from ole32.dll loaded at the first call and kept until the
// program ends. Null when the library or one of its entries is missing.
struct ComCalls {
    decltype(&CoInitializeEx) initialize;
    decltype(&CoUninitialize) uninitialize;
    decltype(&CoCreateInstance) createInstance;
};

const ComCalls* Com() {
    static OwnedModule ole32(LoadLibraryW(L"ole32.dll"));
    static const ComCalls calls{
        ProcEntry<decltype(&CoInitializeEx)>(ole32.get(), "CoInitializeEx"),
        ProcEntry<decltype(&CoUninitialize)>(ole32.get(), "CoUninitialize"),
        ProcEntry<decltype(&CoCreateInstance)>(ole32.get(), "CoCreateInstance"),
    };
    return calls.initialize && calls.uninitialize && calls.createInstance ? &calls : nullptr;
}

// The codec classes, written out here so that no import library is needed for them.
constexpr CLSID kWicImagingFactory = {0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
constexpr IID kIWicImagingFactory = {0xec5ec8a9, 0xc395, 0x4314, {0x9c, 0x77, 0x54, 0xd7, 0xa9, 0x35, 0xff, 0x70}};
constexpr GUID kWicPixelFormat32bppBgra = {0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x0f}};

bool inputPanelUp = false;
int settingChangeCalls = 0;

void ShowChild(HWND parent, int id, bool show) {
    if (HWND child = GetDlgItem(parent, id)) ShowWindow(child, show ? SW_SHOWNA : SW_HIDE);
}

// Decodes the first frame of an image file, or of image bytes in memory, into a 32-bpp top-down
// DIB section.
HBITMAP DecodeImage(const ComCalls& com, const wchar_t* fileName, const BYTE* bytes = nullptr, DWORD size = 0) {
    ComRef<IWICImagingFactory> factory;
    if (FAILED(com.createInstance(kWicImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  kIWicImagingFactory, reinterpret_cast<void**>(factory.put()))))
        return nullptr;
    ComRef<IWICBitmapDecoder> decoder;
    ComRef<IWICStream> stream;
    if (fileName) {
        if (FAILED(factory->CreateDecoderFromFilename(fileName, nullptr, GENERIC_READ,
                                                      WICDecodeMetadataCacheOnDemand, decoder.put())))
            return nullptr;
    } else if (FAILED(factory->CreateStream(stream.put())) ||
               FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(bytes), size)) ||
               FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                       decoder.put()))) {
        return nullptr;
    }
    ComRef<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, frame.put()))) return nullptr;
    ComRef<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(converter.put()))) return nullptr;
    if (FAILED(converter->Initialize(frame.get(), kWicPixelFormat32bppBgra,
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

namespace {
// Puts the top-level windows a window owns back in place: its menu bar at the bottom of the
// screen, its sheets over the work area. Remembers how high the menu bar is.
struct OwnedWindows {
    HWND owner;
    int menuBarHeight;
};

BOOL CALLBACK FitOwnedWindow(HWND wnd, LPARAM param) {
    auto* owned = reinterpret_cast<OwnedWindows*>(param);
    if (GetWindow(wnd, GW_OWNER) != owned->owner) return TRUE;
    if (PlaceMenuBar(wnd)) {
        RECT r{};
        GetWindowRect(wnd, &r);
        owned->menuBarHeight = r.bottom - r.top;
    } else if (IsPpcSheetWindow(wnd)) {
        FitSheetToScreen(wnd);
    }
    return TRUE;
}

}  // namespace

BOOL SHHandleWMSettingChange(HWND wnd, WPARAM wParam, LPARAM, SHACTIVATEINFO*) {
    ++settingChangeCalls;
    if (wParam != SETTINGCHANGE_RESET || !IsWindow(wnd) || (GetWindowLongPtrW(wnd, GWL_STYLE) & WS_CHILD))
        return TRUE;
    // The screen was laid out anew (it turned): the window takes the screen below the navigation
    // bar again, less its menu bar, and what it owns follows.
    OwnedWindows owned{wnd, 0};
    EnumThreadWindows(GetWindowThreadProcessId(wnd, nullptr), FitOwnedWindow, reinterpret_cast<LPARAM>(&owned));
    RECT place = DeviceDefaultWindowRect();
    place.bottom -= owned.menuBarHeight;
    SetWindowPos(wnd, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

void TranslateDisplayChange(HWND wnd, LPARAM lParam) {
    int width = LOWORD(lParam), height = HIWORD(lParam);
    if (width > 0 && height > 0) SetDeviceScreenSize(width, height);
    if (IsWindow(wnd)) SendMessageW(wnd, WM_SETTINGCHANGE, SETTINGCHANGE_RESET, 0);
}

int SettingChangeCallsForTests() { return settingChangeCalls; }

BOOL SipShowIM(DWORD flags) {
    inputPanelUp = (flags & SIPF_ON) != 0;
    return TRUE;
}

bool IsInputPanelUp() { return inputPanelUp; }

HBITMAP SHLoadImageFile(const wchar_t* fileName) {
    if (!fileName || !*fileName) return nullptr;
    const ComCalls* com = Com();
    if (!com) return nullptr;
    ComApartment apartment(com->initialize, com->uninitialize);
    return DecodeImage(*com, fileName);
}

HBITMAP LoadImageBytes(const void* bytes, size_t size) {
    if (!bytes || size == 0 || size > 0x7FFFFFFF) return nullptr;
    const ComCalls* com = Com();
    if (!com) return nullptr;
    ComApartment apartment(com->initialize, com->uninitialize);
    return DecodeImage(*com, nullptr, static_cast<const BYTE*>(bytes), static_cast<DWORD>(size));
}
